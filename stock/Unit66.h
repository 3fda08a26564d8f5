// Form 66 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm66 : public TForm {
  KIV_CLASS(TForm66, TForm)
 public:
  explicit TForm66(TComponent* owner);
  static void Published(TPropBuilder<TForm66>& p);

  void FormCreate(TObject* Sender);
};

extern TForm66* Form66;
