// Form 69 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm69 : public TForm {
  KIV_CLASS(TForm69, TForm)
 public:
  explicit TForm69(TComponent* owner);
  static void Published(TPropBuilder<TForm69>& p);

  void FormCreate(TObject* Sender);
};

extern TForm69* Form69;
