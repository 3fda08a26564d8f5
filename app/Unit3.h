// Form 3 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm3 : public TForm {
  KIV_CLASS(TForm3, TForm)
 public:
  explicit TForm3(TComponent* owner);
  static void Published(TPropBuilder<TForm3>& p);

  void FormCreate(TObject* Sender);
};

extern TForm3* Form3;
