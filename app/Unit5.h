// Form 5 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm5 : public TForm {
  KIV_CLASS(TForm5, TForm)
 public:
  explicit TForm5(TComponent* owner);
  static void Published(TPropBuilder<TForm5>& p);

  void FormCreate(TObject* Sender);
};

extern TForm5* Form5;
