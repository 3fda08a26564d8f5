// Form 44 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm44 : public TForm {
  KIV_CLASS(TForm44, TForm)
 public:
  explicit TForm44(TComponent* owner);
  static void Published(TPropBuilder<TForm44>& p);

  void FormCreate(TObject* Sender);
};

extern TForm44* Form44;
