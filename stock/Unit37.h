// Form 37 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm37 : public TForm {
  KIV_CLASS(TForm37, TForm)
 public:
  explicit TForm37(TComponent* owner);
  static void Published(TPropBuilder<TForm37>& p);

  void FormCreate(TObject* Sender);
};

extern TForm37* Form37;
