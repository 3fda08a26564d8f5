// Form 48 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm48 : public TForm {
  KIV_CLASS(TForm48, TForm)
 public:
  explicit TForm48(TComponent* owner);
  static void Published(TPropBuilder<TForm48>& p);

  void FormCreate(TObject* Sender);
};

extern TForm48* Form48;
