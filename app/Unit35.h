// Role administration: the list of the users' roles with their activation dates.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TDBGridEh;
class TDataSource;
class TEdit;

class TForm35 : public TForm {
  KIV_CLASS(TForm35, TForm)
 public:
  explicit TForm35(TComponent* owner);
  static void Published(TPropBuilder<TForm35>& p);

  TDBGridEh* DBGridEh1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button4 = nullptr;
  TEdit* Edit1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
};

extern TForm35* Form35;
