// Form 77 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm77 : public TForm {
  KIV_CLASS(TForm77, TForm)
 public:
  explicit TForm77(TComponent* owner);
  static void Published(TPropBuilder<TForm77>& p);

  void FormCreate(TObject* Sender);
};

extern TForm77* Form77;
