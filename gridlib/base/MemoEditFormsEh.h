// The memo drop-down editor: a multi-line text box with OK and Cancel that drops down under an edit
// or runs as a dialog, shared by the whole application, and the memo-edit routine grids call.
#pragma once

#include "gridlib/base/DropDownFormEh.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"

class TMemoEditWinEh : public TCustomDropDownFormEh {
  KIV_CLASS(TMemoEditWinEh, TCustomDropDownFormEh)
 public:
  explicit TMemoEditWinEh(TComponent* owner);
  ~TMemoEditWinEh() override;

  // The shared instance, made on first request.
  static TCustomDropDownFormEh* GetGlobalRef();

  TDropDownPassParamsEh GetPassParams() const { return passParams_; }

  void CustomDropDownFormEhCreate(TObject* sender);
  void CustomDropDownFormEhInitForm(TCustomDropDownFormEh* sender, TDynVarsEh* dynParams);
  void CustomDropDownFormEhReturnParams(TCustomDropDownFormEh* sender, TDynVarsEh* dynParams);
  void sbOkClick(TObject* sender);
  void sbCancelClick(TObject* sender);

  TMemo* Memo1 = nullptr;
  TPanel* Panel1 = nullptr;
  TSpeedButton* sbOk = nullptr;
  TSpeedButton* sbCancel = nullptr;
  TBevel* Bevel1 = nullptr;

 private:
  TDropDownPassParamsEh passParams_ = pspByFieldNamesEh;
};

// The memo-edit routine: edits text in the shared memo form as a dialog; true and the new text on OK.
// The editor's screen rectangle is not used.
bool MemoEditWinEhEdit(String& text, const TRect& editorRect, bool readOnly);

// The routine the grids call for a long text; empty until the memo unit is initialised.
using TMemoEditProcEh = bool (*)(String& text, const TRect& editorRect, bool readOnly);
TMemoEditProcEh GetMemoEditProcEh();
void SetMemoEditProcEh(TMemoEditProcEh proc);

// Registers the memo form class and installs the memo-edit routine; idempotent.
void InitializeMemoEditFormsEh();
