// Form 76 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm76 : public TForm {
  KIV_CLASS(TForm76, TForm)
 public:
  explicit TForm76(TComponent* owner);
  static void Published(TPropBuilder<TForm76>& p);

  void FormCreate(TObject* Sender);
};

extern TForm76* Form76;
