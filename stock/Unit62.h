// Form 62 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm62 : public TForm {
  KIV_CLASS(TForm62, TForm)
 public:
  explicit TForm62(TComponent* owner);
  static void Published(TPropBuilder<TForm62>& p);

  void FormCreate(TObject* Sender);
};

extern TForm62* Form62;
