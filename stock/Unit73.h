// Form 73 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm73 : public TForm {
  KIV_CLASS(TForm73, TForm)
 public:
  explicit TForm73(TComponent* owner);
  static void Published(TPropBuilder<TForm73>& p);

  void FormCreate(TObject* Sender);
};

extern TForm73* Form73;
