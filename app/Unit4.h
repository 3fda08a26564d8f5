// Form 4 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm4 : public TForm {
  KIV_CLASS(TForm4, TForm)
 public:
  explicit TForm4(TComponent* owner);
  static void Published(TPropBuilder<TForm4>& p);

  void FormCreate(TObject* Sender);
};

extern TForm4* Form4;
