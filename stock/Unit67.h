// Form 67 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm67 : public TForm {
  KIV_CLASS(TForm67, TForm)
 public:
  explicit TForm67(TComponent* owner);
  static void Published(TPropBuilder<TForm67>& p);

  void FormCreate(TObject* Sender);
};

extern TForm67* Form67;
