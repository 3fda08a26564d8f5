// The data grid's find dialog: what to find (with a history), where, how it must match and which way;
// "Find next" hands it to the grid's own text search. One dialog per process, made on first use.
#pragma once

#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"

class TDBGridEhFindDlg : public TForm {
  KIV_CLASS(TDBGridEhFindDlg, TForm)
 public:
  explicit TDBGridEhFindDlg(TComponent* owner);
  ~TDBGridEhFindDlg() override;
  static void Published(TPropBuilder<TDBGridEhFindDlg>& p);

  TDBComboBoxEh* cbText = nullptr;
  TButton* bFind = nullptr;
  TButton* bCancel = nullptr;
  TLabel* Label1 = nullptr;
  TDBComboBoxEh* cbFindIn = nullptr;
  TLabel* Label2 = nullptr;
  TDBComboBoxEh* cbMatchinType = nullptr;
  TLabel* cbMatchType = nullptr;
  TDBComboBoxEh* cbFindDirection = nullptr;
  TLabel* Label3 = nullptr;
  TDBCheckBoxEh* cbCharCase = nullptr;
  TDBCheckBoxEh* cbUseFormat = nullptr;
  TLabel* Label4 = nullptr;
  TDBComboBoxEh* dbcTreeFindRange = nullptr;

  // Shows the dialog for grid with text to find; columnFields, when not empty, replaces the grid's
  // visible columns in the "Find in" list.
  void Execute(TCustomDBGridEh* grid, const String& text, bool modal, const TColumnFieldsArrEh* columnFields,
               const String& columnFieldName);
  virtual void UpdateLocalizedTexts();

  TCustomDBGridEh* GetGrid() const { return FGrid; }
  bool GetIsFirstTry() const { return IsFirstTry; }

  void bFindClick(TObject* Sender);
  void bCancelClick(TObject* Sender);
  void cbFindInChange(TObject* Sender);
  void cbTextChange(TObject* Sender);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);

 protected:
  void Dispatch(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TCustomDBGridEh* FGrid = nullptr;
  bool IsFirstTry = true;
  std::unique_ptr<TColumnsEhList> FFindColumnsList;
  Integer FCurInListColIndex = -1;
  TColumnFieldsArrEh FColumnFields;
  Integer FSourceHeight = 0;
};

// The process's dialog, nil before the first use.
extern TDBGridEhFindDlg* DBGridEhFindDlg;

// The grid's find-dialog routine: makes the dialog on first use (owned by the application) and runs it.
void ExecuteDBGridEhFindDialogProc(TCustomDBGridEh* grid, const String& text, const String& columnFieldName,
                                   bool modal, const TColumnFieldsArrEh* columnFields);

// Registers the dialog's classes for its form resource and its routine with the data grid.
void InitializeDBGridEhFindDlgs();
