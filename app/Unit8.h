// Form 8 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm8 : public TForm {
  KIV_CLASS(TForm8, TForm)
 public:
  explicit TForm8(TComponent* owner);
  static void Published(TPropBuilder<TForm8>& p);

  void FormCreate(TObject* Sender);
};

extern TForm8* Form8;
