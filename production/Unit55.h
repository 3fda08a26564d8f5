// Form 55 of the production screens, created hidden at start-up; its screen is built on this class.
#pragma once

#include "platform/controls/Forms.h"

class TForm55 : public TForm {
  KIV_CLASS(TForm55, TForm)
 public:
  explicit TForm55(TComponent* owner);
  static void Published(TPropBuilder<TForm55>& p);

  void FormCreate(TObject* Sender);
};

extern TForm55* Form55;
