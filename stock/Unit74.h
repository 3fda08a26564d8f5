// Form 74 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm74 : public TForm {
  KIV_CLASS(TForm74, TForm)
 public:
  explicit TForm74(TComponent* owner);
  static void Published(TPropBuilder<TForm74>& p);

  void FormCreate(TObject* Sender);
};

extern TForm74* Form74;
