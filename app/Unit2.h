// Form 2 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm2 : public TForm {
  KIV_CLASS(TForm2, TForm)
 public:
  explicit TForm2(TComponent* owner);
  static void Published(TPropBuilder<TForm2>& p);

  void FormCreate(TObject* Sender);
};

extern TForm2* Form2;
