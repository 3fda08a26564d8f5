// The shift record dialog: what one worker (alone or heading a brigade) did in one shift, entered,
// edited or shown for the shift journal; its save counts the work on the request line and its route,
// writes off blanks and paint, and keeps the worker's hours in the timesheet.
#pragma once

#include <functional>

#include "platform/controls/Forms.h"

class TADOCommand;
class TADOQuery;
class TButton;
class TDataSet;
class TDataSource;
class TDateTimePicker;
class TDBGrid;
class TDBLookupComboBox;
class TDBText;
class TEdit;
class TGroupBox;
class TLabel;

class TForm11 : public TForm {
  KIV_CLASS(TForm11, TForm)
 public:
  explicit TForm11(TComponent* owner);
  static void Published(TPropBuilder<TForm11>& p);

  TGroupBox* GroupBox1 = nullptr;
  TDBLookupComboBox* LCB_id_doc = nullptr;
  TDBLookupComboBox* LCB_id_doc_item = nullptr;
  TEdit* Edit1 = nullptr;  // worker's name
  TButton* Button3 = nullptr;
  TDBText* DBText1 = nullptr;  // operation
  TEdit* Edit3 = nullptr;      // quantity
  TEdit* Edit6 = nullptr;      // hours
  TDateTimePicker* DTimeP = nullptr;
  TEdit* Edit4 = nullptr;      // defects
  TEdit* Edit7 = nullptr;      // base price
  TEdit* Edit8 = nullptr;      // final price
  TEdit* Edit5 = nullptr;      // sum
  TButton* Button5 = nullptr;  // materials
  TButton* Button1 = nullptr;  // "Запись"
  TDBGrid* DBGrid2 = nullptr;  // brigade
  TLabel* Label10 = nullptr;
  TLabel* Label13 = nullptr;
  TButton* Button7 = nullptr;
  TButton* Button8 = nullptr;
  TButton* Button9 = nullptr;
  TButton* Button2 = nullptr;  // "Выход"

  TADOQuery* app_spec = nullptr;
  TADOQuery* app_doc_by_gds = nullptr;
  TADOQuery* tp_operation = nullptr;
  TADOQuery* v_mnf_requisition = nullptr;
  TADOQuery* v_mnf_requisition_item = nullptr;
  TADOQuery* fio_smena_gds = nullptr;
  TADOQuery* smena_gds_use = nullptr;
  TADOCommand* SmenaIU = nullptr;
  TADOCommand* ins_person = nullptr;
  TADOCommand* save_all = nullptr;
  TDataSource* DataSource1 = nullptr;
  TDataSource* DataSource2 = nullptr;
  TDataSource* DataSource3 = nullptr;
  TDataSource* DataSource4 = nullptr;
  TDataSource* DataSource5 = nullptr;

  int WorkerId = 0;
  int PersonId = 0;
  int SavedWorkerId = 0;
  int ItemId = 0;
  int OperationId = 0;
  int DocId = 0;
  int SpecId = 0;
  int ShiftRecordId = 0;
  double BasePrice = 0;
  double Price = 0;
  double Remaining = 0;
  int BlankId = 0;
  int ExcessSpecId = 0;
  double ExcessQty = 0;
  // The record being edited as it was read: its worker, shift and day, whose timesheet cell the
  // save rewrites as well when the worker or the day changes.
  int RecordWorkerId = 0;
  int RecordShift = 0;
  TDateTime RecordDay = 0;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void RG1Click(TObject* Sender);
  void LCB_id_docCloseUp(TObject* Sender);
  void LCB_id_doc_itemCloseUp(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Edit3Exit(TObject* Sender);
  void Edit6Exit(TObject* Sender);
  void Edit4Exit(TObject* Sender);
  void Edit3KeyPress(TObject* Sender, Char& Key);
  void DigitsKeyPress(TObject* Sender, Char& Key);
  void FormMouseWheelDown(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
  void FormMouseWheelUp(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
  void Button5Click(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button7Click(TObject* Sender);
  void Button8Click(TObject* Sender);
  void Button9Click(TObject* Sender);
  void Button2Click(TObject* Sender);

  // The journal's preparations: a new record of day, and the current row of the journal's list for
  // editing or viewing. Each shows the dialog modally.
  void ShowForAdding(TDateTime day);
  void ShowForEditing(TDataSet* row);
  void ShowForViewing(TDataSet* row);

 private:
  void TakeRow(TDataSet* row);
  void ShowRecordCaptions(int recordId);
  void SaveNew(double quantity);
  void SaveExisting();
  void EnterBrigadePhase();
  bool activated_ = false;
};

extern TForm11* Form11;

// Rounds to a multiple of 10^-digits, halves to the even digit.
double RoundHalfEven(double value, int digits);
// A typed quantity as a number: "," or "." the decimal point; raises EConvertError for other text.
double TypedNumber(const String& text);
