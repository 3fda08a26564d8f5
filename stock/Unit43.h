// Form 43 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm43 : public TForm {
  KIV_CLASS(TForm43, TForm)
 public:
  explicit TForm43(TComponent* owner);
  static void Published(TPropBuilder<TForm43>& p);

  void FormCreate(TObject* Sender);
};

extern TForm43* Form43;
