// Form 30 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm30 : public TForm {
  KIV_CLASS(TForm30, TForm)
 public:
  explicit TForm30(TComponent* owner);
  static void Published(TPropBuilder<TForm30>& p);

  void FormCreate(TObject* Sender);
};

extern TForm30* Form30;
