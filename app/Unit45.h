// The shift journal: one day's shift records shift by shift, their deletion and acceptance, the menu
// of the timesheets; the same form keeps the login state that the other screens read.
#pragma once

#include <functional>

#include "platform/controls/Forms.h"
#include "platform/controls/Grids.h"
#include "platform/rtl/Types.h"

class TADOCommand;
class TADOQuery;
class TButton;
class TCheckBox;
class TColumn;
class TDataSource;
class TDateTimePicker;
class TDBGrid;
class TLabel;
class TMainMenu;
class TRadioButton;

class TForm45;

// The screens the journal opens belong to the production library, above this one: each registers
// how it is opened when it is created (some are created before the journal). An empty entry opens
// nothing.
struct TJournalScreens {
  std::function<void(TDateTime day)> AddRecord;  // a new shift record dated day
  std::function<void()> EditRecord;              // the current row of the current shift
  std::function<void()> ViewRecord;
  std::function<void(TDateTime day)> ShiftTimesheet;  // the timesheet by hours of day's month
  // The month grid of a kind: 0 piecework, 7777 maintenance, 7778 average piecework, -1 general.
  std::function<void(int kind)> MonthGrid;
  std::function<void(TDateTime day)> HourlyWork;
};

TJournalScreens& JournalScreens();

class TForm45 : public TForm {
  KIV_CLASS(TForm45, TForm)
 public:
  explicit TForm45(TComponent* owner);
  static void Published(TPropBuilder<TForm45>& p);

  // Set once by the login; Unicode text, so no character of a login is lost.
  String Login;
  String Password;
  int UserId = 0;
  int PersonId = 0;
  // 1 to 3, 4 for overtime.
  int CurrentShift = 1;
  TADOQuery* ShiftQuery = nullptr;

  TRadioButton* RadioButton1 = nullptr;
  TRadioButton* RadioButton2 = nullptr;
  TRadioButton* RadioButton3 = nullptr;
  TRadioButton* RadioButton4 = nullptr;
  TDateTimePicker* DateT = nullptr;
  TCheckBox* CBox1 = nullptr;
  TDBGrid* DBGrid2 = nullptr;
  TButton* Button1 = nullptr;  // "Добавить"
  TButton* Button2 = nullptr;  // "Изменить"
  TButton* Button3 = nullptr;  // "Удалить"
  TButton* Button4 = nullptr;  // "Выход"
  TButton* Button5 = nullptr;  // "Принять"
  TButton* Button6 = nullptr;  // "Принять ВСЕ"
  TButton* Button7 = nullptr;  // "Заявки"
  TButton* Button8 = nullptr;  // "Обновить"
  TButton* Button9 = nullptr;  // "Ср.сд./хоз. работы"
  TDataSource* DataSource1 = nullptr;
  TDataSource* DataSource2 = nullptr;
  TDataSource* DataSource3 = nullptr;
  TDataSource* DataSource4 = nullptr;
  TADOQuery* smena_gds_use_cnt = nullptr;
  TADOCommand* smena_accept_row = nullptr;
  TMainMenu* MainMenu1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void DateTChange(TObject* Sender);
  void DateTKeyPress(TObject* Sender, Char& Key);
  void RadioButton1Click(TObject* Sender);
  void RadioButton2Click(TObject* Sender);
  void RadioButton3Click(TObject* Sender);
  void RadioButton4Click(TObject* Sender);
  void CBox1Click(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  void Button6Click(TObject* Sender);
  void Button7Click(TObject* Sender);
  void Button8Click(TObject* Sender);
  void Button9Click(TObject* Sender);
  void DBGrid2DblClick(TObject* Sender);
  void DBGrid2TitleClick(TColumn* Column);
  void DBGrid2DrawColumnCell(TObject* Sender, const TRect& Rect, Integer DataCol, TColumn* Column,
                             TGridDrawState State);
  void N9Click(TObject* Sender);
  void N10Click(TObject* Sender);
  void N13Click(TObject* Sender);
  void N14Click(TObject* Sender);
  void N15Click(TObject* Sender);
  void N17Click(TObject* Sender);

  // ShiftQuery := the list of CurrentShift (Smena1 for any value outside 1 to 4).
  void SelectShiftQuery();
  // Closes and opens the current list with its sort kept; with keepRecNo, on the same record number.
  void ReopenShiftList(bool keepRecNo);
  // The journal's day.
  TDateTime Day() const;

 private:
  void ChooseShift(int shift);
  // Hands the current row to the database's acceptance; an error box when it has no material use.
  void AcceptCurrentRow();
};

extern TForm45* Form45;

// Rewrites a worker's timesheet cell of one shift and day from the shift records (0 when none are
// left; the row's other days stay), making the month's row when it has hours and there is none yet.
void RewriteShiftHours(int worker, int shift, TDateTime day);
