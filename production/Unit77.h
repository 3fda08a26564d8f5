// The hourly work entry dialog: worker, item group, kind, hours and the night flag of one entry.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TCheckBox;
class TEdit;
class TGroupBox;
class TADOQuery;
class TDBEdit;
class TDBLookupComboBox;

class TForm77 : public TForm {
  KIV_CLASS(TForm77, TForm)
 public:
  explicit TForm77(TComponent* owner);
  static void Published(TPropBuilder<TForm77>& p);

  TGroupBox* GroupBox1 = nullptr;
  TDBLookupComboBox* cb_person = nullptr;
  TDBLookupComboBox* cb_item = nullptr;
  TDBLookupComboBox* cb_type_work = nullptr;
  TEdit* Edit6 = nullptr;  // hours
  TDBEdit* DBEdit1 = nullptr;
  TCheckBox* CBox1 = nullptr;  // "Ночные"
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TADOQuery* type_work = nullptr;
  TADOQuery* persons = nullptr;
  TADOQuery* items = nullptr;

  void FormCreate(TObject* Sender);
  void Edit6KeyPress(TObject* Sender, Char& Key);
  void Button1Click(TObject* Sender);

  void OpenLists();
  void CloseLists();
};

extern TForm77* Form77;
