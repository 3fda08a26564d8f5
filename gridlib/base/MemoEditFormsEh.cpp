// The memo drop-down editor and the memo-edit routine.
#include "gridlib/base/MemoEditFormsEh.h"

#include <memory>

#include "gridlib/base/GridLibLangConsts.h"
#include "platform/controls/Forms.h"

namespace {

TMemoEditProcEh memoEditProc = nullptr;

TMemoEditWinEh*& GlobalMemoForm() {
  static TMemoEditWinEh* form = nullptr;
  return form;
}

}  // namespace

TMemoEditWinEh::TMemoEditWinEh(TComponent* owner) : TCustomDropDownFormEh(owner, 0) {
  SetClientWidth(447);
  SetClientHeight(324);
  SetBorderIcons(TBorderIcons());
  SetCaption(u"MemoEditWinEh");
  SetDropDownMode(true);
  Bevel1 = new TBevel(this);
  Bevel1->SetParent(this);
  Bevel1->SetAlign(alRight);
  Bevel1->SetWidth(2);
  Bevel1->SetShape(bsLeftLine);
  Panel1 = new TPanel(this);
  Panel1->SetParent(this);
  Panel1->SetAlign(alRight);
  Panel1->SetWidth(80);
  Panel1->SetBevelOuter(bvNone);
  Memo1 = new TMemo(this);
  Memo1->SetParent(this);
  Memo1->SetAlign(alClient);
  Memo1->SetBorderStyle(bsNone);
  Memo1->SetScrollBars(ssVertical);
  Memo1->GetLines()->SetText(u"Memo1");
  sbOk = new TSpeedButton(Panel1);
  sbOk->SetParent(Panel1);
  sbOk->SetBounds(6, 15, 68, 22);
  sbOk->SetCaption(u"OK");
  sbOk->OnClick = TNotifyEvent(this, &TMemoEditWinEh::sbOkClick);
  sbCancel = new TSpeedButton(Panel1);
  sbCancel->SetParent(Panel1);
  sbCancel->SetBounds(6, 40, 68, 22);
  sbCancel->SetCaption(u"Cancel");
  sbCancel->OnClick = TNotifyEvent(this, &TMemoEditWinEh::sbCancelClick);
  OnInitForm = TInitDropDownFormEventEh(this, &TMemoEditWinEh::CustomDropDownFormEhInitForm);
  OnReturnParams = TPutBackFormParamsEventEh(this, &TMemoEditWinEh::CustomDropDownFormEhReturnParams);
  SetActiveControl(Memo1);
  CustomDropDownFormEhCreate(this);
}

TMemoEditWinEh::~TMemoEditWinEh() {
  if (GlobalMemoForm() == this) GlobalMemoForm() = nullptr;
}

TCustomDropDownFormEh* TMemoEditWinEh::GetGlobalRef() {
  if (!GlobalMemoForm()) GlobalMemoForm() = new TMemoEditWinEh(Application);
  return GlobalMemoForm();
}

void TMemoEditWinEh::CustomDropDownFormEhCreate(TObject*) {
  TGridLibLanguageConsts* texts = GetGridLibLanguageConsts();
  sbOk->SetCaption(texts->GetOKButtonEh());
  sbCancel->SetCaption(texts->GetCancelButtonEh());
  SetCaption(texts->GetMemoEditWin_Caption());
}

void TMemoEditWinEh::CustomDropDownFormEhInitForm(TCustomDropDownFormEh*, TDynVarsEh* dynParams) {
  const Integer count = dynParams ? dynParams->GetCount() : 0;
  if (count == 0) {
    passParams_ = pspByFieldNamesEh;
  } else {
    passParams_ = count == 1 ? pspFieldValueEh : pspRecordValuesEh;
    Memo1->SetText(VarToStr(dynParams->GetItem(0)->GetValue()));
  }
  sbOk->SetEnabled(!GetReadOnly());
  Memo1->SetReadOnly(GetReadOnly());
}

void TMemoEditWinEh::CustomDropDownFormEhReturnParams(TCustomDropDownFormEh*, TDynVarsEh* dynParams) {
  if (dynParams && dynParams->GetCount() > 0) dynParams->GetItem(0)->SetValue(Variant(Memo1->GetText()));
}

void TMemoEditWinEh::sbOkClick(TObject*) {
  SetModalResult(mrOk);
  if (GetDropDownMode()) Close();
}

void TMemoEditWinEh::sbCancelClick(TObject*) {
  SetModalResult(mrCancel);
  if (GetDropDownMode()) Close();
}

bool MemoEditWinEhEdit(String& text, const TRect&, bool readOnly) {
  TCustomDropDownFormEh* form = TMemoEditWinEh::GetGlobalRef();
  auto* interactable = dynamic_cast<IDynParamsInteractableEh*>(form);
  if (!interactable) return false;
  auto params = std::make_unique<TDynVarsEh>(nullptr);
  params->CreateDynVar(String(), Variant(text));
  interactable->SetDynParams(params.get());
  form->SetReadOnly(readOnly);
  const bool ok = form->ShowModal() == mrOk;
  if (ok) {
    TDynVarsEh* back = nullptr;
    interactable->GetDynParams(back);
    text = VarToStr(back->GetItem(0)->GetValue());
  }
  interactable->SetDynParams(nullptr);
  return ok;
}

TMemoEditProcEh GetMemoEditProcEh() { return memoEditProc; }
void SetMemoEditProcEh(TMemoEditProcEh proc) { memoEditProc = proc; }

void InitializeMemoEditFormsEh() {
  RegisterClass(TMemoEditWinEh::StaticClass());
  SetMemoEditProcEh(&MemoEditWinEhEdit);
}
