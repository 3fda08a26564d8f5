// The timesheet by hours: a month's hours per worker, day and shift, rebuilt from the shift records
// and hourly work, printed and written to an Excel workbook.
#pragma once

#include <memory>

#include "platform/controls/Forms.h"
#include "platform/controls/Grids.h"

class TADOQuery;
class TButton;
class TColumn;
class TComboBox;
class TDataSource;
class TDBGrid;
class TExcelWriter;
class TPageControl;
class TProgressBar;

class TForm19 : public TForm {
  KIV_CLASS(TForm19, TForm)
 public:
  explicit TForm19(TComponent* owner);
  ~TForm19() override;
  static void Published(TPropBuilder<TForm19>& p);

  TPageControl* PageControl1 = nullptr;
  TDBGrid* DBGrid1 = nullptr;
  TDBGrid* DBGrid2 = nullptr;
  TDBGrid* DBGrid3 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TDataSource* DataSource2 = nullptr;
  TDataSource* DataSource3 = nullptr;
  TButton* Button1 = nullptr;  // "Перестроить"
  TProgressBar* PB = nullptr;
  TButton* Button2 = nullptr;  // "Excel"
  TComboBox* ComboBox1 = nullptr;
  TComboBox* ComboBox2 = nullptr;
  TButton* Button5 = nullptr;  // "Обновить"
  TButton* Button4 = nullptr;  // "Выход"
  TButton* Button6 = nullptr;  // "Печать"

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void ComboBox1Change(TObject* Sender);
  void DBGrid1DrawColumnCell(TObject* Sender, const TRect& Rect, Integer DataCol, TColumn* Column,
                             TGridDrawState State);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  void Button6Click(TObject* Sender);

  // Selects the month and year of day (any year) and loads the three sheets.
  void SelectMonth(TDateTime day);
  int Month() const;
  int Year() const;

 private:
  std::unique_ptr<TExcelWriter> excel_;
};

extern TForm19* Form19;

// Replaces the timesheet rows of a month by those the month's shift records and hourly work give,
// in one transaction: one row per worker and shift (hourly work: per worker, kind and night flag)
// with the hours of each day.
void RebuildMonthTimesheet(int month, int year);
