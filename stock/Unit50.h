// Form 50 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm50 : public TForm {
  KIV_CLASS(TForm50, TForm)
 public:
  explicit TForm50(TComponent* owner);
  static void Published(TPropBuilder<TForm50>& p);

  void FormCreate(TObject* Sender);
};

extern TForm50* Form50;
