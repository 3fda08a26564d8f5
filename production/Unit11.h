// Form 11 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm11 : public TForm {
  KIV_CLASS(TForm11, TForm)
 public:
  explicit TForm11(TComponent* owner);
  static void Published(TPropBuilder<TForm11>& p);

  void FormCreate(TObject* Sender);
};

extern TForm11* Form11;
