// Form 59 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm59 : public TForm {
  KIV_CLASS(TForm59, TForm)
 public:
  explicit TForm59(TComponent* owner);
  static void Published(TPropBuilder<TForm59>& p);

  void FormCreate(TObject* Sender);
};

extern TForm59* Form59;
