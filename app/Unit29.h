// Form 29 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm29 : public TForm {
  KIV_CLASS(TForm29, TForm)
 public:
  explicit TForm29(TComponent* owner);
  static void Published(TPropBuilder<TForm29>& p);

  void FormCreate(TObject* Sender);
};

extern TForm29* Form29;
