// The roles list: the system's roles, read only, with the filter box.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TEdit;
class TDBGrid;
class TDataSource;

class TForm32 : public TForm {
  KIV_CLASS(TForm32, TForm)
 public:
  explicit TForm32(TComponent* owner);
  static void Published(TPropBuilder<TForm32>& p);

  TDBGrid* DBGrid1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TButton* Button5 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button4 = nullptr;
  TEdit* Edit1 = nullptr;

  void FormCreate(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
};

extern TForm32* Form32;
