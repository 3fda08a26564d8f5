// Form 46 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm46 : public TForm {
  KIV_CLASS(TForm46, TForm)
 public:
  explicit TForm46(TComponent* owner);
  static void Published(TPropBuilder<TForm46>& p);

  void FormCreate(TObject* Sender);
};

extern TForm46* Form46;
