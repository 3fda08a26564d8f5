// The check box bound to a field: the state read from the field, toggling and posting.
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/data/DataSet.h"

TCustomDBCheckBoxEh::TCustomDBCheckBoxEh(TComponent* owner)
    : TCustomCheckBox(owner), dataLink_(std::make_unique<TFieldDataLinkEh>()) {
  SetBounds(GetLeft(), GetTop(), 97, 17);
  SetTabStop(true);
  controlStyle_ >> csDoubleClicks;
  controlStyle_ << csReplicatable;
  dataLink_->SetControl(this);
  dataLink_->OnDataChange = TNotifyEvent(this, &TCustomDBCheckBoxEh::DataChange);
  dataLink_->OnUpdateData = TNotifyEvent(this, &TCustomDBCheckBoxEh::UpdateDataEvent);
  dataLink_->DataIndependentValue = Variant(false);
}

TCustomDBCheckBoxEh::~TCustomDBCheckBoxEh() {
  dataLink_->OnDataChange = TNotifyEvent();
  dataLink_->OnUpdateData = TNotifyEvent();
  dataLink_->SetDataSource(nullptr);
}

void TCustomDBCheckBoxEh::SetDataSource(TDataSource* value) {
  if (GetComponentState().Contains(csLoading) && dataLink_->GetDataSourceFixed()) return;
  dataLink_->SetDataSource(value);
  if (value) value->FreeNotification(this);
}

void TCustomDBCheckBoxEh::Notification(TComponent* component, TOperation operation) {
  TCustomCheckBox::Notification(component, operation);
  if (operation == opRemove && dataLink_ && component == dataLink_->GetDataSource())
    dataLink_->SetDataSource(nullptr);
}

void TCustomDBCheckBoxEh::SetValueChecked(const String& value) {
  valueChecked_ = value;
  DataChange(this);
}

void TCustomDBCheckBoxEh::SetValueUnchecked(const String& value) {
  valueUnchecked_ = value;
  DataChange(this);
}

bool TCustomDBCheckBoxEh::ValueListContains(const String& list, const String& text) {
  size_t start = 0;
  while (true) {
    const size_t end = list.find(u';', start);
    const String entry = Trim(list.substr(start, end == String::npos ? String::npos : end - start));
    if (AnsiCompareTextEh(entry, text) == 0) return true;
    if (end == String::npos) return false;
    start = end + 1;
  }
}

TCheckBoxState TCustomDBCheckBoxEh::GetStateFromData() const {
  if (dataLink_->GetDataIndepended()) {
    const Variant& v = dataLink_->DataIndependentValue;
    if (VarEqualsEh(v, Variant(true))) return cbChecked;
    if (VarEqualsEh(v, Variant(false))) return cbUnchecked;
    return cbGrayed;
  }
  TField* field = GetField();
  if (!field) return cbUnchecked;
  // A boolean field is shown by its value, whatever the texts say: it is posted as a boolean, and what
  // the box shows must be what it posts.
  if (field->GetDataType() == ftBoolean) {
    if (field->IsNull()) return cbGrayed;
    return field->GetAsBoolean() ? cbChecked : cbUnchecked;
  }
  const String text = field->GetText();
  if (ValueListContains(valueChecked_, text)) return cbChecked;
  if (ValueListContains(valueUnchecked_, text)) return cbUnchecked;
  return cbGrayed;
}

void TCustomDBCheckBoxEh::DataChange(TObject*) {
  if (GetComponentState().Contains(csDestroying)) return;
  const bool saved = internalSetting_;
  internalSetting_ = true;
  InternalSetState(GetStateFromData());
  internalSetting_ = saved;
  modified_ = false;
}

void TCustomDBCheckBoxEh::InternalSetState(TCheckBoxState value) {
  if (value == GetState()) return;
  TCustomCheckBox::SetState(value);
  modified_ = true;
  Invalidate();
}

void TCustomDBCheckBoxEh::SetState(TCheckBoxState value) {
  if (!dataLink_->GetDataIndepended() && GetDataSource() && GetDataSource()->GetDataSet())
    GetDataSource()->GetDataSet()->Edit();
  InternalSetState(value);
  if (dataPosting_) return;
  try {
    UpdateData();
  } catch (...) {
    dataLink_->Reset();
    throw;
  }
}

void TCustomDBCheckBoxEh::Toggle() {
  if (!dataLink_->Edit()) return;
  switch (GetState()) {
    case cbUnchecked:
      InternalSetState(GetAllowGrayed() ? cbGrayed : cbChecked);
      break;
    case cbChecked:
      InternalSetState(cbUnchecked);
      break;
    case cbGrayed:
      InternalSetState(cbChecked);
      break;
  }
  dataLink_->Modified();
}

void TCustomDBCheckBoxEh::UpdateDataEvent(TObject*) {
  if (!dataPosting_) UpdateData();
}

void TCustomDBCheckBoxEh::UpdateData() {
  bool handled = false;
  if (OnUpdateData) {
    dataPosting_ = true;
    try {
      OnUpdateData(this, handled);
    } catch (...) {
      dataPosting_ = false;
      throw;
    }
    dataPosting_ = false;
  }
  if (!handled) PostStateToField();
}

void TCustomDBCheckBoxEh::PostStateToField() {
  const TCheckBoxState state = GetState();
  if (dataLink_->GetDataIndepended()) {
    dataLink_->SetValue(state == cbGrayed ? Variant::Null() : Variant(state == cbChecked));
    return;
  }
  TField* field = GetField();
  if (!field) return;
  if (state == cbGrayed) {
    field->Clear();
  } else if (field->GetDataType() == ftBoolean) {
    field->SetAsBoolean(state == cbChecked);
  } else {
    const String& list = state == cbChecked ? valueChecked_ : valueUnchecked_;
    field->SetText(Trim(list.substr(0, list.find(u';'))));
  }
}

void TCustomDBCheckBoxEh::KeyPress(Char& key) {
  TCustomCheckBox::KeyPress(key);
  if (key == u'\b' || key == u' ') dataLink_->Edit();
  if (key == u'\x1b') {
    dataLink_->Reset();
    key = 0;
  }
}

void TCustomDBCheckBoxEh::DoExit() {
  try {
    dataLink_->UpdateRecord();
  } catch (...) {
    if (CanFocus()) SetFocus();
    throw;
  }
  TCustomCheckBox::DoExit();
}

void TCustomDBCheckBoxEh::Dispatch(TMessage& message) {
  if (message.Msg == CM_GETDATALINK) {
    message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
    return;
  }
  if (message.Msg == CM_WANTSPECIALKEY && message.WParam == VK_ESCAPE && modified_) {
    message.Result = 1;
    return;
  }
  TCustomCheckBox::Dispatch(message);
}
