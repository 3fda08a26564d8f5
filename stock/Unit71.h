// Form 71 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm71 : public TForm {
  KIV_CLASS(TForm71, TForm)
 public:
  explicit TForm71(TComponent* owner);
  static void Published(TPropBuilder<TForm71>& p);

  void FormCreate(TObject* Sender);
};

extern TForm71* Form71;
