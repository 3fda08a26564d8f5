// Form 14 of the reference data screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm14 : public TForm {
  KIV_CLASS(TForm14, TForm)
 public:
  explicit TForm14(TComponent* owner);
  static void Published(TPropBuilder<TForm14>& p);

  void FormCreate(TObject* Sender);
};

extern TForm14* Form14;
