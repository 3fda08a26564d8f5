// Form 72 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm72 : public TForm {
  KIV_CLASS(TForm72, TForm)
 public:
  explicit TForm72(TComponent* owner);
  static void Published(TPropBuilder<TForm72>& p);

  void FormCreate(TObject* Sender);
};

extern TForm72* Form72;
