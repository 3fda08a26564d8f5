// Form 7 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm7 : public TForm {
  KIV_CLASS(TForm7, TForm)
 public:
  explicit TForm7(TComponent* owner);
  static void Published(TPropBuilder<TForm7>& p);

  void FormCreate(TObject* Sender);
};

extern TForm7* Form7;
