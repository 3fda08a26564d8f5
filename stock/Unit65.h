// Form 65 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm65 : public TForm {
  KIV_CLASS(TForm65, TForm)
 public:
  explicit TForm65(TComponent* owner);
  static void Published(TPropBuilder<TForm65>& p);

  void FormCreate(TObject* Sender);
};

extern TForm65* Form65;
