// Form 33 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm33 : public TForm {
  KIV_CLASS(TForm33, TForm)
 public:
  explicit TForm33(TComponent* owner);
  static void Published(TPropBuilder<TForm33>& p);

  void FormCreate(TObject* Sender);
};

extern TForm33* Form33;
