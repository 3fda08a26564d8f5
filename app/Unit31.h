// Form 31 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm31 : public TForm {
  KIV_CLASS(TForm31, TForm)
 public:
  explicit TForm31(TComponent* owner);
  static void Published(TPropBuilder<TForm31>& p);

  void FormCreate(TObject* Sender);
};

extern TForm31* Form31;
