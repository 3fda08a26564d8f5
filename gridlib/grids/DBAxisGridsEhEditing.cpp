// The axis grid's side of editing: writing the cell editor's pending text into the dataset through the
// selected bar, deciding whether keys, edits and data operations are allowed, and taking the focus.
#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/controls/Forms.h"

GridsEh::TInplaceEdit* TCustomDBAxisGridEh::CreateEditor() { return new TDBAxisGridInplaceEdit(this); }

void TCustomDBAxisGridEh::UpdateData() {
  const Integer index = GetSelectedIndex();
  if (index < 0 || index >= axisBars_->GetCount()) return;
  TAxisBarEh* bar = axisBars_->GetAxisBar(index);
  if (bar->LookupActive()) {
    TDBLookupDataEh* lookup = bar->GetLookupParams();
    TDataSet* list = lookup->GetLookupDataSet();
    if (VarEqualsEh(editKeyValue_, Variant::Null()) && !editText_.empty() && bar->OnNotInList && list &&
        !list->Locate(lookup->GetLookupDisplayFieldName(), Variant(editText_), {loCaseInsensitive})) {
      bool recheck = false;
      bar->OnNotInList(bar, editText_, recheck);
      if (recheck &&
          list->Locate(lookup->GetLookupDisplayFieldName(), Variant(editText_), {loCaseInsensitive}))
        editKeyValue_ = list->FieldValues(lookup->GetLookupKeyFieldNames());
    }
    if (FieldsCanModifyEh(lookup->GetKeyFields())) {
      dataLink_->GetDataSet()->Edit();
      bar->UpdateDataValues(editText_, editKeyValue_, false);
    }
    return;
  }
  TField* field = GetSelectedField();
  if (!field) return bar->UpdateDataValues(editText_, Variant(editText_), true);
  switch (bar->GetBarType()) {
    case ctPickList:
      if (bar->OnNotInList && bar->LocatePickList(editText_, false) == -1) {
        bool recheck = false;
        bar->OnNotInList(bar, editText_, recheck);
      }
      bar->UpdateDataValues(editText_, Variant(editText_), true);
      break;
    case ctKeyPickList:
      bar->UpdateDataValues(editText_, editKeyValue_, false);
      break;
    default:
      bar->UpdateDataValues(editText_, Variant(editText_), true);
      break;
  }
}

bool TCustomDBAxisGridEh::CanEditAcceptKey(Char key) {
  const Integer index = GetSelectedIndex();
  TAxisBarEh* bar = index >= 0 && index < axisBars_->GetCount() ? axisBars_->GetAxisBar(index) : nullptr;
  TDBAxisGridInplaceEdit* editor = GetAxisInplaceEditor();
  TField* field = bar ? bar->GetField() : nullptr;
  const bool editorPermission =
      editor && editor->GetReadOnlyStored() ? !editor->GetReadOnly() : field != nullptr;
  if (!dataLink_->GetActive() || !field) return editorPermission;
  if (bar->HasKeyListItems()) return editorPermission;
  return editorPermission && field->IsValidChar(key);
}

bool TCustomDBAxisGridEh::CanEditModify() {
  bool result = false;
  TDBAxisGridInplaceEdit* editor = GetAxisInplaceEditor();
  if (editor && editor->Visible() && editor->GetReadOnlyStored()) {
    if (editor->GetReadOnly()) return false;
    result = true;
    if (dataLink_->Edit()) dataLink_->Modified();
  }
  if (readOnly_ || !dataLink_->GetActive() || dataLink_->GetReadOnly()) return result;
  const Integer index = GetSelectedIndex();
  if (index < 0 || index >= axisBars_->GetCount()) return result;
  TAxisBarEh* bar = axisBars_->GetAxisBar(index);
  TField* field = bar->GetField();
  bool m = false;
  if (field) {
    if (field->GetFieldKind() == fkLookup) {
      std::vector<TField*> keys;
      if (!field->GetKeyFields().empty() && field->GetDataSet())
        field->GetDataSet()->GetFieldList(keys, field->GetKeyFields());
      m = !keys.empty() && FieldsCanModifyEh(keys);
    } else {
      m = field->CanModify();
    }
    if (m && field->IsBlob())
      m = static_cast<bool>(field->OnSetText) || (drawMemoText_ && IsMemoFieldTypeEh(field->GetDataType()));
  }
  if (!m || bar->GetReadOnly() || !bar->GetTextEditing() || !bar->CanModify(false)) return m;
  dataLink_->Edit();
  const bool editing = dataLink_->GetEditing();
  if (editing) dataLink_->Modified();
  return editing;
}

bool TCustomDBAxisGridEh::IsDataEditAllowed() {
  if (!dataLink_->GetActive()) return false;
  TDataSet* ds = dataLink_->GetDataSet();
  if (!allowedOperations_.Contains(alopUpdateEh) && ds->GetState() != dsInsert) return false;
  return !ds->IsEmpty() || allowedOperations_.Contains(alopInsertEh) ||
         allowedOperations_.Contains(alopAppendEh);
}

bool TCustomDBAxisGridEh::IsGridOrEditorFocused() {
  auto focused = [this] { return Focused() || (inplaceEdit_ && inplaceEdit_->Focused()); };
  if (focused()) return true;
  if (!acquireFocus_ || !CanFocus() || GetComponentState().Contains(csDesigning)) return true;
  SetFocus();
  return focused();
}

void TCustomDBAxisGridEh::InvalidateEditor() {
  TDBAxisGridInplaceEdit* editor = GetAxisInplaceEditor();
  if (editor && editor->GetListVisible()) {
    const bool saved = editor->GetLockCloseList();
    editor->SetLockCloseList(true);
    try {
      inherited::InvalidateEditor();
    } catch (...) {
      editor->SetLockCloseList(saved);
      throw;
    }
    editor->SetLockCloseList(saved);
    return;
  }
  inherited::InvalidateEditor();
}
