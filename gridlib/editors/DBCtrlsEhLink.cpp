// The field data link: field resolution, the data-independent mode and the notifications.
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"

TFieldDataLinkEh::TFieldDataLinkEh() = default;

bool TFieldDataLinkEh::GetCanModify() const {
  if (dataIndepended_) return true;
  TField* field = GetField();
  return field && field->CanModify();
}

bool TFieldDataLinkEh::GetDataSetActive() const {
  TDataSource* source = GetDataSource();
  return source && source->GetDataSet() && source->GetDataSet()->GetActive();
}

void TFieldDataLinkEh::SetDataSource(TDataSource* value) {
  if (value == GetDataSource()) return;
  TDataLink::SetDataSource(value);
  UpdateDataIndepended();
}

void TFieldDataLinkEh::SetFieldName(const String& value) {
  if (value == fieldName_) return;
  fieldName_ = value;
  UpdateField();
  UpdateDataIndepended();
}

void TFieldDataLinkEh::SetMultiFields(bool value) {
  if (value == multiFields_) return;
  multiFields_ = value;
  UpdateField();
}

TField* TFieldDataLinkEh::GetFieldsField(Integer index) const {
  if (fields_.empty()) return nullptr;
  return fields_.at(static_cast<size_t>(index));
}

bool TFieldDataLinkEh::IsDataIndepended() const { return GetDataSource() == nullptr && fieldName_.empty(); }

void TFieldDataLinkEh::UpdateDataIndepended() {
  const bool value = IsDataIndepended();
  if (value == dataIndepended_) return;
  dataIndepended_ = value;
  DataIndependentValue = Variant::Null();
  LayoutChanged();
  if (dataIndepended_) RecordChanged(nullptr);
}

void TFieldDataLinkEh::UpdateField() {
  // The list is replaced only after every name resolved, so an unknown name keeps the old fields.
  TFieldsArrEh list;
  TDataSet* dataSet = GetDataSet();
  if (TDataLink::GetActive() && dataSet && !fieldName_.empty()) {
    if (multiFields_) {
      GetFieldsArrByNamesEh(dataSet, control_, fieldName_, list);
    } else {
      TField* field = dataSet->FindField(fieldName_);
      if (!field) DatabaseErrorFmt(SFieldNotFound, {fieldName_}, control_ ? control_ : dataSet);
      list.push_back(field);
    }
  }
  fields_ = list;
  EditingChanged();
  RecordChanged(nullptr);
}

void TFieldDataLinkEh::SetEditingFlag(bool value) {
  if (value == editing_) return;
  editing_ = value;
  modified_ = false;
  if (OnEditingChange) OnEditingChange(this);
}

bool TFieldDataLinkEh::Edit() {
  if (dataIndepended_) {
    if (!editing_ && !GetReadOnly()) SetEditingFlag(true);
  } else if (CanModify()) {
    TDataLink::Edit();
  }
  return editing_;
}

void TFieldDataLinkEh::Reset() { RecordChanged(nullptr); }

void TFieldDataLinkEh::SetText(const String& text) {
  if (dataIndepended_) {
    DataIndependentValue = Variant(text);
    RecordChanged(nullptr);
    return;
  }
  TField* field = GetField();
  if (!field) return;
  if (field->IsBlob())
    field->SetAsString(text);
  else
    field->SetText(text);
}

void TFieldDataLinkEh::SetValue(const Variant& value) {
  if (dataIndepended_) {
    DataIndependentValue = value;
    RecordChanged(nullptr);
    return;
  }
  if (fields_.size() > 1) {
    if (VarEqualsEh(value, Variant::Null())) {
      for (TField* field : fields_) field->Clear();
    } else {
      for (size_t i = 0; i < fields_.size(); ++i)
        fields_[i]->SetAsVariant(value.GetElement(static_cast<int>(i)));
    }
  } else if (fields_.size() == 1) {
    fields_[0]->SetAsVariant(value);
  }
}

void TFieldDataLinkEh::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLinkEh::EditingChanged() {
  if (dataIndepended_) return;
  SetEditingFlag(TDataLink::GetEditing() && CanModify());
}

void TFieldDataLinkEh::DataEvent(TDataEvent event, NativeInt info) {
  TDataLink::DataEvent(event, info);
  if (event != deDisabledStateChange) return;
  // The dataset sends 1 when it disables its controls and 0 when it enables them again. While they are
  // disabled the fields may go away; they are found again, and the control reloads, once enabled.
  if (info != 0)
    fields_.clear();
  else
    UpdateField();
}

void TFieldDataLinkEh::FocusControl(TField** fieldRef) {
  if (!fieldRef || !*fieldRef) return;
  bool linked = false;
  for (TField* field : fields_) linked = linked || field == *fieldRef;
  auto* control = dynamic_cast<TWinControl*>(control_);
  if (!linked || !control || !control->CanFocus()) return;
  *fieldRef = nullptr;
  control->SetFocus();
}

void TFieldDataLinkEh::LayoutChanged() { UpdateField(); }

void TFieldDataLinkEh::RecordChanged(TField* field) {
  if (field) {
    bool linked = false;
    for (TField* f : fields_) linked = linked || f == field;
    if (!linked) return;
  }
  if (OnDataChange) OnDataChange(this);
  modified_ = false;
}

void TFieldDataLinkEh::UpdateData() {
  if (dataIndepended_) {
    if (modified_ && OnUpdateData) OnUpdateData(this);
    modified_ = false;
    SetEditingFlag(false);
    return;
  }
  if (modified_ && GetField() && OnUpdateData) OnUpdateData(this);
  modified_ = false;
}

void TFieldDataLinkEh::UpdateRecordOnExit(TWinControl* control, const std::function<void()>& onRefused) {
  try {
    UpdateRecord();
  } catch (...) {
    // The value stays for the user to mend; the focus comes back to it.
    if (onRefused) onRefused();
    if (control->CanFocus()) control->SetFocus();
    throw;
  }
}

bool TFieldDataLinkEh::RunUpdateDataHandler(TObject* sender, const TDelegate<void(TObject*, bool&)>& handler,
                                            bool& posting) {
  bool handled = false;
  if (!handler) return false;
  posting = true;
  try {
    handler(sender, handled);
  } catch (...) {
    posting = false;
    throw;
  }
  posting = false;
  return handled;
}

void TFieldDataLinkEh::SetFromCode(const std::function<void()>& assign, const std::function<void()>& write,
                                   bool posting) {
  if (!GetDataIndepended() && GetDataSource() && GetDataSource()->GetDataSet())
    GetDataSource()->GetDataSet()->Edit();
  assign();
  if (posting) return;
  try {
    write();
  } catch (...) {
    Reset();
    throw;
  }
}
