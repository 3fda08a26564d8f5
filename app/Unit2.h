// The employee card: names, department, position and role of one person.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TEdit;
class TGroupBox;
class TADOQuery;
class TADOCommand;
class TDBLookupComboBox;

class TForm2 : public TForm {
  KIV_CLASS(TForm2, TForm)
 public:
  explicit TForm2(TComponent* owner);
  static void Published(TPropBuilder<TForm2>& p);

  TGroupBox* GroupBox1 = nullptr;
  TEdit* Edit1 = nullptr;  // surname
  TEdit* Edit2 = nullptr;  // first name
  TEdit* Edit3 = nullptr;  // patronymic
  TDBLookupComboBox* LCB_department = nullptr;
  TDBLookupComboBox* LCB_staffpos = nullptr;
  TDBLookupComboBox* LCB_roles = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TADOQuery* staffpos = nullptr;
  TADOQuery* department = nullptr;
  TADOQuery* roles = nullptr;
  TADOCommand* cmd_person = nullptr;

  // The person being changed.
  Integer PersonId = 0;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void Button1Click(TObject* Sender);
  void FormMouseWheelDown(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
  void FormMouseWheelUp(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
};

extern TForm2* Form2;
