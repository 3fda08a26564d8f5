// The operation types list: kept from the main menu, and the picker of an operation's type.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TEdit;
class TDBGrid;
class TDataSource;

class TForm8 : public TForm {
  KIV_CLASS(TForm8, TForm)
 public:
  explicit TForm8(TComponent* owner);
  static void Published(TPropBuilder<TForm8>& p);

  TDBGrid* DBGrid1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button4 = nullptr;
  TEdit* Edit1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
};

extern TForm8* Form8;
