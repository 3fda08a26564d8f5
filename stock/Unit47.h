// Form 47 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm47 : public TForm {
  KIV_CLASS(TForm47, TForm)
 public:
  explicit TForm47(TComponent* owner);
  static void Published(TPropBuilder<TForm47>& p);

  void FormCreate(TObject* Sender);
};

extern TForm47* Form47;
