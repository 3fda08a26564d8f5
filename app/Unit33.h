// The technological process editor: the process's header (product, name, source material) and its
// ordered operations.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TEdit;
class TGroupBox;
class TDBGrid;
class TDBText;
class TDataSource;
class TADOQuery;

class TForm33 : public TForm {
  KIV_CLASS(TForm33, TForm)
 public:
  explicit TForm33(TComponent* owner);
  static void Published(TPropBuilder<TForm33>& p);

  TGroupBox* GroupBox1 = nullptr;
  TEdit* Edit1 = nullptr;
  TEdit* Edit2 = nullptr;  // product, filled by the picker
  TEdit* Edit3 = nullptr;  // name
  TEdit* Edit4 = nullptr;  // source material, filled by the picker
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button4 = nullptr;
  TButton* Button5 = nullptr;
  TButton* Button6 = nullptr;
  TButton* Button7 = nullptr;
  TButton* Button8 = nullptr;
  TDBGrid* DBGrid1 = nullptr;
  TDBText* DBText1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TADOQuery* full_price = nullptr;

  // The process edited (0 while a new one is not saved), its product and its source material.
  Integer ProcTechId = 0;
  Integer ProductId = 0;
  Integer SourceItemId = 0;
  // The header boxes as last loaded or saved: an unchanged header writes nothing.
  String SavedProductCaption;
  String SavedName;
  String SavedSourceItemCaption;

  void FormCreate(TObject* Sender);
  void Button4Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  void Button7Click(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button8Click(TObject* Sender);

  // The operation buttons, usable once the process is saved.
  void EnableOperations(bool enabled);
};

extern TForm33* Form33;

// The inventory items statement the editor's pickers show: the shared list's columns and joins with
// "Да" for paint items, under the given condition and without an order.
String ItemPickerText(const String& condition);
