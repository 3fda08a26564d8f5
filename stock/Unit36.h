// Form 36 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm36 : public TForm {
  KIV_CLASS(TForm36, TForm)
 public:
  explicit TForm36(TComponent* owner);
  static void Published(TPropBuilder<TForm36>& p);

  void FormCreate(TObject* Sender);
};

extern TForm36* Form36;
