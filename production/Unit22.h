// Form 22 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm22 : public TForm {
  KIV_CLASS(TForm22, TForm)
 public:
  explicit TForm22(TComponent* owner);
  static void Published(TPropBuilder<TForm22>& p);

  void FormCreate(TObject* Sender);
};

extern TForm22* Form22;
