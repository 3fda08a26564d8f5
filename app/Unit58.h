// Form 58 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm58 : public TForm {
  KIV_CLASS(TForm58, TForm)
 public:
  explicit TForm58(TComponent* owner);
  static void Published(TPropBuilder<TForm58>& p);

  void FormCreate(TObject* Sender);
};

extern TForm58* Form58;
