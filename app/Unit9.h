// Form 9 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm9 : public TForm {
  KIV_CLASS(TForm9, TForm)
 public:
  explicit TForm9(TComponent* owner);
  static void Published(TPropBuilder<TForm9>& p);

  void FormCreate(TObject* Sender);
};

extern TForm9* Form9;
