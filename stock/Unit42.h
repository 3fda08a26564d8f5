// Form 42 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm42 : public TForm {
  KIV_CLASS(TForm42, TForm)
 public:
  explicit TForm42(TComponent* owner);
  static void Published(TPropBuilder<TForm42>& p);

  void FormCreate(TObject* Sender);
};

extern TForm42* Form42;
