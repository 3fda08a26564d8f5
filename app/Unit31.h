// The department editor: name, note, parent department and warehouse kind of one department.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TGroupBox;
class TLabel;
class TADOQuery;
class TDataSource;
class TDBLookupComboBox;

class TForm31 : public TForm {
  KIV_CLASS(TForm31, TForm)
 public:
  explicit TForm31(TComponent* owner);
  static void Published(TPropBuilder<TForm31>& p);

  TGroupBox* GroupBox1 = nullptr;
  TEdit* Edit1 = nullptr;
  TEdit* Edit2 = nullptr;
  TDBLookupComboBox* p_department = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TLabel* Label3 = nullptr;
  TComboBox* type_combo = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TADOQuery* cb_department = nullptr;
  TDataSource* ds_department = nullptr;

  void FormCreate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormMouseWheelDown(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
  void FormMouseWheelUp(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
};

extern TForm31* Form31;
