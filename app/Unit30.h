// The departments list: filter, add, edit and delete of the enterprise's departments and warehouses.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TEdit;
class TDBGrid;
class TDataSource;

class TForm30 : public TForm {
  KIV_CLASS(TForm30, TForm)
 public:
  explicit TForm30(TComponent* owner);
  static void Published(TPropBuilder<TForm30>& p);

  TDBGrid* DBGrid1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TButton* Button5 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button4 = nullptr;
  TEdit* Edit1 = nullptr;

  void FormCreate(TObject* Sender);
  void Button5Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
};

extern TForm30* Form30;
