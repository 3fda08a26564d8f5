// The staff position editor: name, description and department of one position.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TEdit;
class TGroupBox;
class TADOQuery;
class TDataSource;
class TDBLookupComboBox;

class TForm27 : public TForm {
  KIV_CLASS(TForm27, TForm)
 public:
  explicit TForm27(TComponent* owner);
  static void Published(TPropBuilder<TForm27>& p);

  TGroupBox* GroupBox1 = nullptr;
  TEdit* Edit1 = nullptr;
  TEdit* Edit2 = nullptr;
  TDBLookupComboBox* p_department = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TADOQuery* cb_department = nullptr;

  void FormCreate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void FormMouseWheelDown(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
  void FormMouseWheelUp(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
};

extern TForm27* Form27;
