// Form 53 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm53 : public TForm {
  KIV_CLASS(TForm53, TForm)
 public:
  explicit TForm53(TComponent* owner);
  static void Published(TPropBuilder<TForm53>& p);

  void FormCreate(TObject* Sender);
};

extern TForm53* Form53;
