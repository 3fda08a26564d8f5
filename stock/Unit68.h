// Form 68 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm68 : public TForm {
  KIV_CLASS(TForm68, TForm)
 public:
  explicit TForm68(TComponent* owner);
  static void Published(TPropBuilder<TForm68>& p);

  void FormCreate(TObject* Sender);
};

extern TForm68* Form68;
