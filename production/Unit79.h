// Form 79 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm79 : public TForm {
  KIV_CLASS(TForm79, TForm)
 public:
  explicit TForm79(TComponent* owner);
  static void Published(TPropBuilder<TForm79>& p);

  void FormCreate(TObject* Sender);
};

extern TForm79* Form79;
