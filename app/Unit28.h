// Form 28 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm28 : public TForm {
  KIV_CLASS(TForm28, TForm)
 public:
  explicit TForm28(TComponent* owner);
  static void Published(TPropBuilder<TForm28>& p);

  void FormCreate(TObject* Sender);
};

extern TForm28* Form28;
