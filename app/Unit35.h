// Form 35 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm35 : public TForm {
  KIV_CLASS(TForm35, TForm)
 public:
  explicit TForm35(TComponent* owner);
  static void Published(TPropBuilder<TForm35>& p);

  void FormCreate(TObject* Sender);
};

extern TForm35* Form35;
