// The day list of hourly work (maintenance and work at the average piecework rate): one day's
// entries, their timesheet hours, and the month's average piecework prices.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TCheckBox;
class TDateTimePicker;
class TDBGrid;
class TDataSource;
class TADOQuery;

class TForm76 : public TForm {
  KIV_CLASS(TForm76, TForm)
 public:
  explicit TForm76(TComponent* owner);
  static void Published(TPropBuilder<TForm76>& p);

  TDBGrid* DBGrid1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TADOQuery* fatigue = nullptr;
  TButton* Button5 = nullptr;
  TButton* Button6 = nullptr;
  TButton* Button7 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button8 = nullptr;
  TDateTimePicker* DTPcker1 = nullptr;
  TCheckBox* CBox1 = nullptr;

  // The shift written with each entry.
  int Shift = 1;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void DTPcker1Change(TObject* Sender);
  void CBox1Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  void Button6Click(TObject* Sender);
  void Button7Click(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button8Click(TObject* Sender);

  // Reads the entries of the picker's date again, keeping the record number.
  void ReopenDay();
};

extern TForm76* Form76;

// Sets the timesheet cell of a worker's hourly work of one kind and night flag on one day to the hours
// the day's entries hold (0 when none are left), making the month's row when there is none yet.
void RewriteHourlyCell(int worker, int kind, int night, TDateTime day);
