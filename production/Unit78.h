// Form 78 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm78 : public TForm {
  KIV_CLASS(TForm78, TForm)
 public:
  explicit TForm78(TComponent* owner);
  static void Published(TPropBuilder<TForm78>& p);

  void FormCreate(TObject* Sender);
};

extern TForm78* Form78;
