// Form 60 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm60 : public TForm {
  KIV_CLASS(TForm60, TForm)
 public:
  explicit TForm60(TComponent* owner);
  static void Published(TPropBuilder<TForm60>& p);

  void FormCreate(TObject* Sender);
};

extern TForm60* Form60;
