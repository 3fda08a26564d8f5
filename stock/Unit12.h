// Form 12 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm12 : public TForm {
  KIV_CLASS(TForm12, TForm)
 public:
  explicit TForm12(TComponent* owner);
  static void Published(TPropBuilder<TForm12>& p);

  void FormCreate(TObject* Sender);
};

extern TForm12* Form12;
