// Form 18 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm18 : public TForm {
  KIV_CLASS(TForm18, TForm)
 public:
  explicit TForm18(TComponent* owner);
  static void Published(TPropBuilder<TForm18>& p);

  void FormCreate(TObject* Sender);
};

extern TForm18* Form18;
