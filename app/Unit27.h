// Form 27 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm27 : public TForm {
  KIV_CLASS(TForm27, TForm)
 public:
  explicit TForm27(TComponent* owner);
  static void Published(TPropBuilder<TForm27>& p);

  void FormCreate(TObject* Sender);
};

extern TForm27* Form27;
