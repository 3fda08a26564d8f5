// Form 19 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm19 : public TForm {
  KIV_CLASS(TForm19, TForm)
 public:
  explicit TForm19(TComponent* owner);
  static void Published(TPropBuilder<TForm19>& p);

  void FormCreate(TObject* Sender);
};

extern TForm19* Form19;
