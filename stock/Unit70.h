// Form 70 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm70 : public TForm {
  KIV_CLASS(TForm70, TForm)
 public:
  explicit TForm70(TComponent* owner);
  static void Published(TPropBuilder<TForm70>& p);

  void FormCreate(TObject* Sender);
};

extern TForm70* Form70;
