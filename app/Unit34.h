// Form 34 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm34 : public TForm {
  KIV_CLASS(TForm34, TForm)
 public:
  explicit TForm34(TComponent* owner);
  static void Published(TPropBuilder<TForm34>& p);

  void FormCreate(TObject* Sender);
};

extern TForm34* Form34;
