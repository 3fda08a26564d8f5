// Form 56 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm56 : public TForm {
  KIV_CLASS(TForm56, TForm)
 public:
  explicit TForm56(TComponent* owner);
  static void Published(TPropBuilder<TForm56>& p);

  void FormCreate(TObject* Sender);
};

extern TForm56* Form56;
