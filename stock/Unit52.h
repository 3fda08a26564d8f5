// Form 52 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm52 : public TForm {
  KIV_CLASS(TForm52, TForm)
 public:
  explicit TForm52(TComponent* owner);
  static void Published(TPropBuilder<TForm52>& p);

  void FormCreate(TObject* Sender);
};

extern TForm52* Form52;
