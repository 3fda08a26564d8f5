// Form 80 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm80 : public TForm {
  KIV_CLASS(TForm80, TForm)
 public:
  explicit TForm80(TComponent* owner);
  static void Published(TPropBuilder<TForm80>& p);

  void FormCreate(TObject* Sender);
};

extern TForm80* Form80;
