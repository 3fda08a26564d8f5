// The shift journal's form, which also keeps the login state that the other screens read.
#pragma once

#include "platform/controls/Forms.h"

class TADOQuery;

class TForm45 : public TForm {
  KIV_CLASS(TForm45, TForm)
 public:
  explicit TForm45(TComponent* owner);
  static void Published(TPropBuilder<TForm45>& p);

  // Set once by the login; Unicode text, so no character of a login is lost.
  String Login;
  String Password;
  int UserId = 0;
  int PersonId = 0;
  // 1 to 3, 4 for overtime.
  int CurrentShift = 1;
  TADOQuery* ShiftQuery = nullptr;

  void FormCreate(TObject* Sender);
};

extern TForm45* Form45;
