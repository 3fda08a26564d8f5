// Form 57 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm57 : public TForm {
  KIV_CLASS(TForm57, TForm)
 public:
  explicit TForm57(TComponent* owner);
  static void Published(TPropBuilder<TForm57>& p);

  void FormCreate(TObject* Sender);
};

extern TForm57* Form57;
