// Form 38 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm38 : public TForm {
  KIV_CLASS(TForm38, TForm)
 public:
  explicit TForm38(TComponent* owner);
  static void Published(TPropBuilder<TForm38>& p);

  void FormCreate(TObject* Sender);
};

extern TForm38* Form38;
