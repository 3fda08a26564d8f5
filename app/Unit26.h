// Form 26 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm26 : public TForm {
  KIV_CLASS(TForm26, TForm)
 public:
  explicit TForm26(TComponent* owner);
  static void Published(TPropBuilder<TForm26>& p);

  void FormCreate(TObject* Sender);
};

extern TForm26* Form26;
