// Form 75 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm75 : public TForm {
  KIV_CLASS(TForm75, TForm)
 public:
  explicit TForm75(TComponent* owner);
  static void Published(TPropBuilder<TForm75>& p);

  void FormCreate(TObject* Sender);
};

extern TForm75* Form75;
