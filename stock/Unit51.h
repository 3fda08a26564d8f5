// Form 51 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm51 : public TForm {
  KIV_CLASS(TForm51, TForm)
 public:
  explicit TForm51(TComponent* owner);
  static void Published(TPropBuilder<TForm51>& p);

  void FormCreate(TObject* Sender);
};

extern TForm51* Form51;
