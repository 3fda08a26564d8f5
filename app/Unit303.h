// Form 303 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm303 : public TForm {
  KIV_CLASS(TForm303, TForm)
 public:
  explicit TForm303(TComponent* owner);
  static void Published(TPropBuilder<TForm303>& p);

  void FormCreate(TObject* Sender);
};

extern TForm303* Form303;
