// Form 24 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm24 : public TForm {
  KIV_CLASS(TForm24, TForm)
 public:
  explicit TForm24(TComponent* owner);
  static void Published(TPropBuilder<TForm24>& p);

  void FormCreate(TObject* Sender);
};

extern TForm24* Form24;
