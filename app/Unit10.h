// Form 10 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm10 : public TForm {
  KIV_CLASS(TForm10, TForm)
 public:
  explicit TForm10(TComponent* owner);
  static void Published(TPropBuilder<TForm10>& p);

  void FormCreate(TObject* Sender);
};

extern TForm10* Form10;
