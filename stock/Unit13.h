// Form 13 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm13 : public TForm {
  KIV_CLASS(TForm13, TForm)
 public:
  explicit TForm13(TComponent* owner);
  static void Published(TPropBuilder<TForm13>& p);

  void FormCreate(TObject* Sender);
};

extern TForm13* Form13;
