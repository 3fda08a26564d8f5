// Form 54 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm54 : public TForm {
  KIV_CLASS(TForm54, TForm)
 public:
  explicit TForm54(TComponent* owner);
  static void Published(TPropBuilder<TForm54>& p);

  void FormCreate(TObject* Sender);
};

extern TForm54* Form54;
