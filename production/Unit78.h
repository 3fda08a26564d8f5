// The month grids of the timesheet: piecework, maintenance work, work at the average piecework rate
// and all work together, with the month's totals of the enterprise.
#pragma once

#include "platform/controls/Forms.h"

class TADOQuery;
class TButton;
class TComboBox;
class TDataSource;
class TDBGrid;
class TDBLookupComboBox;
class TDBText;

class TForm78 : public TForm {
  KIV_CLASS(TForm78, TForm)
 public:
  explicit TForm78(TComponent* owner);
  static void Published(TPropBuilder<TForm78>& p);

  TDBGrid* DBGrid = nullptr;
  TDataSource* DataSource1 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TDBLookupComboBox* cb_year = nullptr;
  TDBText* DBText1 = nullptr;  // all_price
  TDBText* DBText2 = nullptr;  // price
  TDBText* DBText3 = nullptr;  // price7
  TDBText* DBText4 = nullptr;  // price8
  TButton* Button1 = nullptr;
  TADOQuery* H_Tabel0 = nullptr;
  TADOQuery* H_Tabel7777 = nullptr;
  TADOQuery* H_Tabel7778 = nullptr;
  TADOQuery* H_Tabel_all = nullptr;
  TADOQuery* all_price = nullptr;
  TADOQuery* price = nullptr;
  TADOQuery* price7 = nullptr;
  TADOQuery* price8 = nullptr;
  TADOQuery* q_year = nullptr;
  TADOQuery* CurrentQuery = nullptr;

  void FormCreate(TObject* Sender);
  void Button8Click(TObject* Sender);
  void ComboBox1Change(TObject* Sender);

  // Shows the kind (0 piecework, 7777, 7778, -1 general) for the month of day.
  void ShowKind(int kind, TDateTime day);

 private:
  // The name column's width for a month of 31 days.
  int nameWidth_ = 208;
};

extern TForm78* Form78;
