// Form 41 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm41 : public TForm {
  KIV_CLASS(TForm41, TForm)
 public:
  explicit TForm41(TComponent* owner);
  static void Published(TPropBuilder<TForm41>& p);

  void FormCreate(TObject* Sender);
};

extern TForm41* Form41;
