// The counterparties list: kept from the main menu, and a picker of a counterparty for the receipt
// order, request, purchase request and shipment request screens.
#pragma once

#include <map>

#include "app/ListScreen.h"
#include "platform/controls/Forms.h"

class TButton;
class TCheckBox;
class TEdit;
class TDBGrid;
class TDataSource;

class TForm34 : public TForm {
  KIV_CLASS(TForm34, TForm)
 public:
  explicit TForm34(TComponent* owner);
  static void Published(TPropBuilder<TForm34>& p);

  TDBGrid* DBGrid1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button4 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TEdit* Edit1 = nullptr;

  // The pick of a counterparty for the screen of each Tag 39, 43, 61 and 68 (its id member and box).
  std::map<int, TPickHandler> Pickers;

  void FormCreate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void CheckBox1Click(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
};

extern TForm34* Form34;

// The counterparties list's two texts: all of them by short name, and those with purchase requests.
extern const Char* const kCounterpartiesText;
extern const Char* const kCounterpartiesWithPurchasesText;
