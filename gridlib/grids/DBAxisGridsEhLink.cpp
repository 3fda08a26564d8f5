// The axis grid's data link: every dataset notification becomes one call of the grid, and the field
// map says which dataset field each bar shows.
#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/rtl/ScopeGuard.h"

namespace {
constexpr Integer MaxMapSize = 0x0FFFFFFF;
}

TAxisGridDataLinkEh::TAxisGridDataLinkEh(TCustomDBAxisGridEh* grid) : grid_(grid) {}

TAxisGridDataLinkEh::~TAxisGridDataLinkEh() { ClearMapping(); }

bool TAxisGridDataLinkEh::GetDefaultFields() const {
  TDataSet* ds = GetDataSet();
  if (ds && !ds->GetDefaultFields()) return false;
  if (sparseMap_)
    for (Integer i = 0; i < fieldCount_; ++i)
      if (fieldMap_[static_cast<size_t>(i)] < 0) return false;
  return true;
}

TField* TAxisGridDataLinkEh::GetFields(Integer index) const {
  const Integer fieldIndex = MappedFieldIndex(index);
  TDataSet* ds = GetDataSet();
  if (fieldIndex < 0 || !ds || fieldIndex >= ds->GetFields()->GetCount()) return nullptr;
  return ds->GetFields()->GetField(fieldIndex);
}

Integer TAxisGridDataLinkEh::MappedFieldIndex(Integer barIndex) const {
  if (barIndex < 0 || barIndex >= fieldCount_) return -1;
  return fieldMap_[static_cast<size_t>(barIndex)];
}

bool TAxisGridDataLinkEh::AddMapping(const String& fieldName) {
  if (fieldCount_ >= MaxMapSize)
    throw EInvalidGridOperationEh(u"Grid requested to display more than 256 columns");
  TDataSet* ds = GetDataSet();
  TField* field = nullptr;
  if (ds) field = sparseMap_ ? ds->FindField(fieldName) : ds->FieldByName(fieldName);
  if (fieldCount_ == fieldMapSize_) {
    Integer size = fieldMapSize_ == 0 ? 8 : fieldMapSize_ * 2;
    if (size < fieldCount_) size = fieldCount_ + 1;
    if (size > MaxMapSize) size = MaxMapSize;
    fieldMap_.resize(static_cast<size_t>(size));
    fieldMapSize_ = size;
  }
  if (field) {
    fieldMap_[static_cast<size_t>(fieldCount_)] = field->GetIndex();
    field->FreeNotification(grid_);
  } else {
    fieldMap_[static_cast<size_t>(fieldCount_)] = -1;
  }
  ++fieldCount_;
  return true;
}

void TAxisGridDataLinkEh::ClearMapping() {
  fieldMap_.clear();
  fieldMap_.shrink_to_fit();
  fieldCount_ = 0;
  fieldMapSize_ = 0;
}

void TAxisGridDataLinkEh::Reset() {
  if (modified_)
    RecordChanged(nullptr);
  else
    grid_->CancelEditing();
}

void TAxisGridDataLinkEh::StoreBookmark() {
  if (GetActive() && GetDataSet()) lastBookmark_ = GetDataSet()->GetBookmark();
}

void TAxisGridDataLinkEh::ActiveChanged() {
  grid_->LinkActive(GetActive());
  modified_ = false;
  StoreBookmark();
}

void TAxisGridDataLinkEh::DataSetChanged() {
  grid_->DataSetChanged();
  modified_ = false;
  StoreBookmark();
}

void TAxisGridDataLinkEh::DataSetScrolled(int distance) {
  grid_->DataScrolled(distance);
  StoreBookmark();
}

void TAxisGridDataLinkEh::LayoutChanged() {
  const bool saved = grid_->GetLayoutFromDataset();
  grid_->SetLayoutFromDataset(true);
  {
    auto restore = MakeScopeExit([this, saved] { grid_->SetLayoutFromDataset(saved); });
    grid_->LayoutChanged();
  }
  TDataLink::LayoutChanged();
}

void TAxisGridDataLinkEh::FocusControl(TField** field) {
  if (!field || !*field) return;
  grid_->SetSelectedField(*field);
  if (grid_->GetSelectedField() == *field && grid_->IsGridOrEditorFocused()) {
    *field = nullptr;
    grid_->ShowEditor();
  }
}

void TAxisGridDataLinkEh::EditingChanged() {
  if (GetDataSet() && GetDataSet()->GetState() == dsBrowse) modified_ = false;
  grid_->EditingChanged();
}

void TAxisGridDataLinkEh::RecordChanged(TField* field) {
  grid_->RecordChanged(field);
  modified_ = false;
}

void TAxisGridDataLinkEh::UpdateData() {
  if (inUpdateData_ || !GetActive()) return;
  inUpdateData_ = true;
  auto clear = MakeScopeExit([this] { inUpdateData_ = false; });
  if (modified_) grid_->UpdateData();
  modified_ = false;
}

void TAxisGridDataLinkEh::CheckBrowseMode() {
  if (GetDataSet()) lastDataSetState_ = GetDataSet()->GetState();
  TDataLink::CheckBrowseMode();
}
