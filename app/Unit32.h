// Form 32 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm32 : public TForm {
  KIV_CLASS(TForm32, TForm)
 public:
  explicit TForm32(TComponent* owner);
  static void Published(TPropBuilder<TForm32>& p);

  void FormCreate(TObject* Sender);
};

extern TForm32* Form32;
