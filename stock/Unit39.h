// Form 39 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm39 : public TForm {
  KIV_CLASS(TForm39, TForm)
 public:
  explicit TForm39(TComponent* owner);
  static void Published(TPropBuilder<TForm39>& p);

  void FormCreate(TObject* Sender);
};

extern TForm39* Form39;
