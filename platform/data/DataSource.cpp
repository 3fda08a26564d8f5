// Data sources and data links: state tracking, event fan-out to links, the link's window on the
// dataset's buffer ring, and the field and master links.
#include "platform/data/DataSource.h"

#include <algorithm>

#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

// ======================= TDataSource =======================

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  Destroying();
  for (TDataLink* link : std::vector<TDataLink*>(links_)) link->SetDataSource(nullptr);
  if (dataSet_) dataSet_->RemoveDataSource(this);
  dataSet_ = nullptr;
}

void TDataSource::Published(TPropBuilder<TDataSource>& p) {
  p.Bool(u"AutoEdit", &TDataSource::GetAutoEdit, &TDataSource::SetAutoEdit).Default(1);
  p.Object(u"DataSet", &TDataSource::GetDataSet, &TDataSource::SetDataSet);
  p.Bool(u"Enabled", &TDataSource::GetEnabled, &TDataSource::SetEnabled).Default(1);
  p.Event(u"OnStateChange", &TDataSource::OnStateChange);
  p.Event(u"OnDataChange", &TDataSource::OnDataChange, u"TDataChangeEvent");
  p.Event(u"OnUpdateData", &TDataSource::OnUpdateData);
}

bool TDataSource::IsLinkedTo(TDataSet* dataSet) const {
  int guard = 0;
  while (dataSet && guard++ < 10000) {
    TDataSource* source = dataSet->GetDataSource();
    if (source == this) return true;
    if (!source) break;
    dataSet = source->GetDataSet();
  }
  return false;
}

void TDataSource::SetDataSet(TDataSet* value) {
  if (value == dataSet_) return;
  if (value && IsLinkedTo(value)) DatabaseError(SCircularDataLink, this);
  // The links go inactive on the old dataset first, so none keeps its fields across the switch.
  if (dataSet_) {
    dataSet_->RemoveDataSource(this);
    dataSet_ = nullptr;
    UpdateState();
  }
  dataSet_ = value;
  if (value) value->AddDataSource(this);
  UpdateState();
}

void TDataSource::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateState();
}

void TDataSource::Edit() {
  if (autoEdit_ && dataSet_ && dataSet_->GetState() == dsBrowse) dataSet_->Edit();
}

void TDataSource::UpdateState() { SetState(enabled_ && dataSet_ ? dataSet_->GetState() : dsInactive); }

void TDataSource::SetState(TDataSetState value) {
  if (value == state_) return;
  TDataSetState prior = state_;
  state_ = value;
  NotifyLinks(deUpdateState, 0);
  if (GetComponentState().Contains(csDestroying)) return;
  if (OnStateChange) OnStateChange(this);
  if (prior == dsInactive && OnDataChange) OnDataChange(this, nullptr);
}

void TDataSource::NotifyLinks(TDataEvent event, NativeInt info) {
  for (TDataLink* link : std::vector<TDataLink*>(links_))
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->DataEvent(event, info);
}

void TDataSource::DataEvent(TDataEvent event, NativeInt info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (state_ == dsInactive) return;
  NotifyLinks(event, info);
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) OnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default:
      break;
  }
}

void TDataSource::AddDataLink(TDataLink* link) {
  links_.push_back(link);
  link->dataSource_ = this;
  if (dataSet_) dataSet_->UpdateBufferCount();
}

void TDataSource::RemoveDataLink(TDataLink* link) {
  auto it = std::find(links_.begin(), links_.end(), link);
  if (it != links_.end()) links_.erase(it);
  link->dataSource_ = nullptr;
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == dataSet_) {
    dataSet_ = nullptr;
    UpdateState();
  }
}

// ======================= TDataLink =======================

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  active_ = false;
  if (dataSource_) dataSource_->RemoveDataLink(this);
}

TDataSet* TDataLink::GetDataSet() const { return dataSource_ ? dataSource_->GetDataSet() : nullptr; }

void TDataLink::SetDataSource(TDataSource* value) {
  if (value == dataSource_) return;
  if (dataSourceFixed_) DatabaseError(SDataSourceChange, value);
  if (value) {
    TDataSet* detail = GetDetailDataSet();
    if (detail && detail->IsLinkedTo(value)) DatabaseError(SCircularDataLink, value);
  }
  if (dataSource_) {
    dataSource_->RemoveDataLink(this);
    SetActive(false);
  }
  if (value) value->AddDataLink(this);
  UpdateState();
}

void TDataLink::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  UpdateState();
}

void TDataLink::UpdateState() {
  SetActive(dataSource_ && dataSource_->GetEnabled() && dataSource_->GetState() != dsInactive);
  SetEditing(active_ && !readOnly_ &&
             (dataSource_->GetState() == dsEdit || dataSource_->GetState() == dsInsert ||
              dataSource_->GetState() == dsSetKey));
}

void TDataLink::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  if (value)
    UpdateRange();
  else
    firstRecord_ = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool value) {
  if (value == editing_) return;
  editing_ = value;
  EditingChanged();
}

int TDataLink::GetActiveRecord() const {
  if (!dataSource_ || dataSource_->GetState() == dsSetKey) return 0;
  TDataSet* dataSet = GetDataSet();
  return dataSet ? dataSet->activeRecord_ - firstRecord_ : 0;
}

void TDataLink::SetActiveRecord(int value) {
  TDataSet* dataSet = GetDataSet();
  if (!dataSet || !dataSource_ || dataSource_->GetState() == dsSetKey) return;
  int index = value + firstRecord_;
  if (index < 0 || index >= std::max(dataSet->recordCount_, 1)) return;
  dataSet->SetLinkActiveRecord(index);
}

void TDataLink::SetBufferCount(int value) {
  if (value < 1) value = 1;
  if (value == bufferCount_) return;
  bufferCount_ = value;
  if (!active_) return;
  if (TDataSet* dataSet = GetDataSet()) dataSet->UpdateBufferCount();
  UpdateRange();
}

int TDataLink::GetRecordCount() const {
  TDataSet* dataSet = GetDataSet();
  if (!active_ || !dataSet) return 0;
  if (dataSource_->GetState() == dsSetKey) return 1;
  return std::clamp(dataSet->recordCount_ - firstRecord_, 0, bufferCount_);
}

bool TDataLink::GetBOF() const {
  TDataSet* dataSet = GetDataSet();
  return !dataSet || dataSet->Bof();
}

bool TDataLink::GetEOF() const {
  TDataSet* dataSet = GetDataSet();
  return !dataSet || dataSet->Eof();
}

bool TDataLink::Edit() {
  if (!readOnly_ && dataSource_) dataSource_->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  updating_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{updating_};
  UpdateData();
}

int TDataLink::MoveBy(int distance) {
  TDataSet* dataSet = GetDataSet();
  return dataSet ? dataSet->MoveBy(distance) : 0;
}

void TDataLink::UpdateRange() {
  TDataSet* dataSet = GetDataSet();
  if (!dataSet) return;
  int low = std::max(0, dataSet->activeRecord_ - bufferCount_ + 1);
  int high = std::min(std::max(0, dataSet->bufferCount_ - bufferCount_), dataSet->activeRecord_);
  if (firstRecord_ < low) firstRecord_ = low;
  if (firstRecord_ > high) firstRecord_ = high;
  if (firstRecord_ < 0) firstRecord_ = 0;
}

void TDataLink::DataEvent(TDataEvent event, NativeInt info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (event == deDisabledStateChange) {
    DisabledStateChanged(info != 0);
    return;
  }
  if (!active_) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!updating_) RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      int distance = 0;
      if (dataSource_->GetState() != dsSetKey) {
        if (event == deDataSetScroll) firstRecord_ += static_cast<int>(info);
        int first = firstRecord_;
        UpdateRange();
        distance = firstRecord_ - first;
      }
      if (event == deDataSetChange)
        DataSetChanged();
      else if (event == deDataSetScroll)
        DataSetScrolled(distance);
      else
        LayoutChanged();
      break;
    }
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      FocusControl(reinterpret_cast<TField**>(info));
      break;
    default:
      break;
  }
}

// ======================= TMasterDataLink =======================

TMasterDataLink::TMasterDataLink(TDataSet* detail) : detail_(detail) {}

void TMasterDataLink::SetFieldNames(const String& value) {
  if (value == fieldNames_) return;
  fieldNames_ = value;
  UpdateFields();
}

void TMasterDataLink::UpdateFields() {
  fields_.clear();
  TDataSet* master = GetDataSet();
  if (GetActive() && master) master->GetFieldList(fields_, fieldNames_);
}

void TMasterDataLink::ActiveChanged() {
  fields_.clear();
  if (GetActive()) {
    auto forget = MakeScopeExit([&] { fields_.clear(); });
    UpdateFields();
    forget.Release();
  }
  if (detail_ && GetActive() && OnMasterChange)
    OnMasterChange(this);
  else if (detail_ && !GetActive() && OnMasterDisable)
    OnMasterDisable(this);
}

void TMasterDataLink::CheckBrowseMode() {
  if (detail_ && detail_->GetActive()) detail_->CheckBrowseMode();
}

void TMasterDataLink::LayoutChanged() { ActiveChanged(); }

void TMasterDataLink::RecordChanged(TField* field) {
  if (!detail_ || fields_.empty() || !OnMasterChange) return;
  if (field && std::find(fields_.begin(), fields_.end(), field) == fields_.end()) return;
  OnMasterChange(this);
}

// ======================= TFieldDataLink =======================

std::function<bool(TComponent* control)> TFieldDataLink::FocusHandler;

void TFieldDataLink::SetFieldName(const String& value) {
  if (value == fieldName_) return;
  fieldName_ = value;
  UpdateField();
}

void TFieldDataLink::SetField(TField* value) {
  if (value == field_) return;
  field_ = value;
  EditingChanged();
  RecordChanged(nullptr);
}

void TFieldDataLink::UpdateField() {
  TDataSet* dataSet = GetDataSet();
  if (GetActive() && dataSet && !fieldName_.empty())
    SetField(dataSet->FieldByName(fieldName_));
  else
    SetField(nullptr);
}

bool TFieldDataLink::GetCanModify() const { return !GetReadOnly() && field_ && field_->CanModify(); }

bool TFieldDataLink::Edit() {
  if (GetCanModify()) TDataLink::Edit();
  return editing_;
}

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() {
  bool editing = TDataLink::GetEditing() && GetCanModify();
  if (editing == editing_) return;
  editing_ = editing;
  modified_ = false;
  if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLink::FocusControl(TField** fieldRef) {
  if (!fieldRef || !*fieldRef || *fieldRef != field_ || !control_ || !FocusHandler) return;
  if (FocusHandler(control_)) *fieldRef = nullptr;
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* field) {
  if (field && field != field_) return;
  if (OnDataChange) OnDataChange(this);
  modified_ = false;
}

void TFieldDataLink::UpdateData() {
  if (!modified_) return;
  if (field_ && OnUpdateData) OnUpdateData(this);
  modified_ = false;
}
