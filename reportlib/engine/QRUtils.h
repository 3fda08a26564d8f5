// Small services of the report library: the progress window shown while a report prints, the list
// of datasets an expression editor offers, and the library's start-up.
#pragma once

#include "platform/controls/ComCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"

class TQRPrinter;
class TStringList;

class TQRProgressForm : public TForm {
  KIV_CLASS(TQRProgressForm, TForm)
 public:
  explicit TQRProgressForm(TComponent* owner);

  TQRPrinter* GetQRPrinter() const { return qrPrinter_; }
  void SetQRPrinter(TQRPrinter* value) { qrPrinter_ = value; }
  // Shows the printer's progress at every fifth percent.
  void UpdateProgress();
  void CancelButtonClick(TObject* sender);

  TLabel* Info;
  TButton* CancelButton;
  TProgressBar* Gauge;

 protected:
  void WndProc(TMessage& message) override;

 private:
  TQRPrinter* qrPrinter_ = nullptr;
};

// (Name, dataset) pairs: the datasets owned by form and, recursively, by its windowed controls, then
// with includeDataModules those of the application's data modules. The caller frees the list.
TStringList* GetDataSetList(TComponent* form, bool includeDataModules);
