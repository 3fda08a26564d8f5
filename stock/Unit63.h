// Form 63 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm63 : public TForm {
  KIV_CLASS(TForm63, TForm)
 public:
  explicit TForm63(TComponent* owner);
  static void Published(TPropBuilder<TForm63>& p);

  void FormCreate(TObject* Sender);
};

extern TForm63* Form63;
