// The personnel list: kept from the main menu, and a picker of an employee for the shift record,
// request, purchase request and shipment request screens.
#pragma once

#include <map>

#include "app/ListScreen.h"
#include "platform/controls/Forms.h"

class TButton;
class TEdit;
class TDBGrid;
class TDataSource;

class TForm5 : public TForm {
  KIV_CLASS(TForm5, TForm)
 public:
  explicit TForm5(TComponent* owner);
  static void Published(TPropBuilder<TForm5>& p);

  TDBGrid* DBGrid1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button4 = nullptr;
  TEdit* Edit1 = nullptr;

  // 0 on every activation; the shift record's handler (Tag 11) sets 1 when the pick changed its worker.
  int WorkerPicked = 0;
  // The pick of an employee for the screen of each Tag 11, 43, 61 and 68.
  std::map<int, TPickHandler> Pickers;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
};

extern TForm5* Form5;
