// Form 40 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm40 : public TForm {
  KIV_CLASS(TForm40, TForm)
 public:
  explicit TForm40(TComponent* owner);
  static void Published(TPropBuilder<TForm40>& p);

  void FormCreate(TObject* Sender);
};

extern TForm40* Form40;
