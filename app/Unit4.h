// The technological processes list: all processes (or those of one item) with their total piece
// rate; filter, sort, delete, and the process editor for a new or an existing process.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TCheckBox;
class TColumn;
class TEdit;
class TDBGrid;
class TDataSource;
class TADOQuery;

class TForm4 : public TForm {
  KIV_CLASS(TForm4, TForm)
 public:
  explicit TForm4(TComponent* owner);
  static void Published(TPropBuilder<TForm4>& p);

  TDBGrid* DBGrid1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button5 = nullptr;
  TButton* Button9 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TEdit* Edit1 = nullptr;
  TADOQuery* XLS_Rep = nullptr;

  // The item and its mark when the list shows the processes of one item (Tag 2).
  Integer ItemId = 0;
  String ItemCaption;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void DBGrid1TitleClick(TColumn* Column);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  // The norms of the operation current in the operations list; bound to no control.
  void DBGrid1DblClick(TObject* Sender);
};

extern TForm4* Form4;
