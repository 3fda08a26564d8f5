// The operation dialog of the technological process editor: position, type, result and piece rate of
// one operation.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TEdit;
class TGroupBox;
class TADOQuery;
class TDBLookupComboBox;

class TForm10 : public TForm {
  KIV_CLASS(TForm10, TForm)
 public:
  explicit TForm10(TComponent* owner);
  static void Published(TPropBuilder<TForm10>& p);

  TGroupBox* GroupBox1 = nullptr;
  TEdit* Edit1 = nullptr;  // position
  TEdit* Edit2 = nullptr;  // operation type, filled by the picker
  TEdit* Edit3 = nullptr;  // piece rate
  TButton* Button4 = nullptr;
  TDBLookupComboBox* cb_operation_state = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button5 = nullptr;
  TADOQuery* operation_state = nullptr;
  TADOQuery* max_num = nullptr;

  // The chosen operation type; written by the operation types picker.
  Integer OperationTypeId = 0;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Button4Click(TObject* Sender);
  void Edit1KeyPress(TObject* Sender, Char& Key);
  void Edit3KeyPress(TObject* Sender, Char& Key);
  void Button1Click(TObject* Sender);
};

extern TForm10* Form10;
