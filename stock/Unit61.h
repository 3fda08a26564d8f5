// Form 61 of the warehouses, supply and sales screens, created hidden at start-up; its screen is built on
// this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm61 : public TForm {
  KIV_CLASS(TForm61, TForm)
 public:
  explicit TForm61(TComponent* owner);
  static void Published(TPropBuilder<TForm61>& p);

  void FormCreate(TObject* Sender);
};

extern TForm61* Form61;
