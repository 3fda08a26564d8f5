// The lookup grid: list fields as columns, the key's row selected, keys, mouse, wheel and typing choose
// another record; the drop-down box and its inner grid.
#include "gridlib/editors/DBLookupGridsEh.h"

#include <algorithm>

#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

// One time stamp for every lookup grid: typing pauses longer than this start a new search.
UInt64& LastSearchTickEh() {
  static UInt64 tick = 0;
  return tick;
}
constexpr UInt64 SearchPauseMsEh = 2000;
constexpr size_t SearchTextMaxEh = 32;

bool IsTextListField(TField* field) {
  if (!field) return false;
  const TFieldKind kind = field->GetFieldKind();
  if (kind != fkData && kind != fkCalculated && kind != fkInternalCalc) return false;
  const TFieldType type = field->GetDataType();
  return type == ftString || type == ftWideString || type == ftFixedChar || type == ftFixedWideChar;
}

}  // namespace

// ======================= TDBLookupGridColumnEh =======================

void TDBLookupGridColumnEh::SetIndex(int value) {
  const int old = GetIndex();
  auto* grid = dynamic_cast<TDBLookupGridEh*>(GetGrid());
  TCollection* columns = GetCollection();
  if (!grid || !columns || !grid->GetListActive() || old < 0 || old == value || value < 0 ||
      value >= columns->GetCount()) {
    TDBGridColumnEh::SetIndex(value);
    return;
  }
  // Counted as stored while it moves, so the move stays in the grid: the shared list dataset keeps the
  // order of its fields.
  const bool stored = GetStored();
  SetStored(true);
  auto restore = MakeScopeExit([this, stored] { SetStored(stored); });
  TDBGridColumnEh::SetIndex(value);
  grid->LookupColumnMoved(old, value);
}

// ======================= TDBLookupGridEh =======================

void TLookupGridDataLinkEh::ActiveChanged() {
  if (grid_) grid_->UpdateDataFields();
}

void TLookupGridDataLinkEh::LayoutChanged() {
  if (grid_) grid_->UpdateDataFields();
}

void TLookupGridDataLinkEh::RecordChanged(TField* field) {
  if (grid_) grid_->DataRecordChanged(field);
}

TDBLookupGridEh::TDBLookupGridEh(TComponent* owner)
    : TCustomDBGridEh(owner),
      dataLink_(std::make_unique<TLookupGridDataLinkEh>(this)),
      lookupSource_(std::make_unique<TDataSource>(nullptr)),
      specRow_(std::make_unique<TSpecRowEh>(this)) {
  // The data grid made its columns before this class could say which columns it wants.
  GetColumns()->SetItemClass(TDBLookupGridColumnEh::StaticClass());
  SetDBOptions(TDBGridOptions{dgColLines, dgRowSelect});
  TDBGridEhOptions options = GetOptionsEh();
  options.Include(dghTraceColSizing);
  SetOptionsEh(options);
  SetFlat(true);
  SetTabStop(false);
  SetParentColor(false);
  specRow_->OnChanged = TNotifyEvent(this, &TDBLookupGridEh::SpecRowChanged);
}

TDBLookupGridEh::~TDBLookupGridEh() {
  Destroying();
  // The owned lookup source goes before the grid's link would let go of it.
  if (lookupMode_) RunReportingFailure(this, [this] { SetDataSource(nullptr); });
  specRow_->OnChanged = TNotifyEvent();
  dataLink_->Detach();
  dataLink_->SetDataSource(nullptr);
}

void TDBLookupGridEh::SetOptions(TDBLookupGridEhOptions value) {
  options_ = value;
  TDBGridOptions options = GetDBOptions();
  const auto map = [&value](auto& set, TDBLookupGridEhOption from, auto to) {
    if (value.Contains(from))
      set.Include(to);
    else
      set.Exclude(to);
  };
  map(options, dlgColumnResizeEh, dgColumnResize);
  map(options, dlgColLinesEh, dgColLines);
  map(options, dlgRowLinesEh, dgRowLines);
  SetDBOptions(options);
  // Read after: column resizing brings its own options of the data grid, which must not be undone.
  TDBGridEhOptions optionsEh = GetOptionsEh();
  map(optionsEh, dlgAutoSortMarkingEh, dghAutoSortMarking);
  map(optionsEh, dlgMultiSortMarkingEh, dghMultiSortMarking);
  map(optionsEh, dlgAutoFitRowHeightEh, dghAutoFitRowHeight);
  SetOptionsEh(optionsEh);
  if (AutoHeight()) SetHeight(CalcAutoHeightForRowCount(rowCount_));
}

void TDBLookupGridEh::SetDataField(const String& value) {
  if (value == dataFieldName_) return;
  dataFieldName_ = value;
  UpdateDataFields();
}

void TDBLookupGridEh::UpdateDataFields() {
  dataFields_.clear();
  masterFields_.clear();
  masterFieldNames_.clear();
  TDataSet* dataSet = dataLink_->GetDataSet();
  if (dataLink_->GetActive() && !dataFieldName_.empty()) {
    TDataSet* list = GetListLink()->GetDataSet();
    if (list && GetListLink()->GetActive() && list->IsLinkedTo(dataLink_->GetDataSource()))
      DatabaseError(SCircularDataLink, this);
    GetFieldsArrByNamesEh(dataSet, this, dataFieldName_, dataFields_);
    // A lookup field takes the key in the fields it is keyed by.
    if (dataFields_.size() == 1 && dataFields_[0]->GetFieldKind() == fkLookup)
      GetFieldsArrByNamesEh(dataSet, this, dataFields_[0]->GetKeyFields(), masterFields_);
    else
      masterFields_ = dataFields_;
    for (TField* field : masterFields_)
      masterFieldNames_ += (masterFieldNames_.empty() ? u"" : u";") + field->GetFieldName();
  }
  SetLookupMode(dataFields_.size() == 1 && dataFields_[0]->GetFieldKind() == fkLookup);
  DataRecordChanged(nullptr);
}

void TDBLookupGridEh::SetLookupMode(bool value) {
  if (value == lookupMode_) return;
  if (value) {
    TField* field = dataFields_[0];
    lookupSource_->SetDataSet(field->GetLookupDataSet());
    keyFieldName_ = field->GetLookupKeyFields();
    lookupMode_ = true;
    SetDataSource(lookupSource_.get());
  } else {
    lookupMode_ = false;
    SetDataSource(nullptr);
    keyFieldName_.clear();
    lookupSource_->SetDataSet(nullptr);
    masterFields_ = dataFields_;
  }
  UpdateListFields();
}

void TDBLookupGridEh::CheckSettingsEditable() {
  if (lookupMode_) DatabaseError(u"Property already defined by lookup field", this);
  if (dataLink_->GetDataSourceFixed()) DatabaseError(u"Operation not allowed in a DBCtrlGrid", this);
}

void TDBLookupGridEh::SetListSource(TDataSource* value) {
  CheckSettingsEditable();
  SetDataSource(value);
}

void TDBLookupGridEh::DataRecordChanged(TField* field) {
  if (field && std::find(masterFields_.begin(), masterFields_.end(), field) == masterFields_.end()) return;
  if (masterFields_.empty()) {
    if (!dataFieldName_.empty()) SetKeyValue(Variant::Null());
    return;
  }
  Variant key;
  GetFieldsValuesEh(dataLink_->GetDataSet(), masterFields_, key);
  SetKeyValue(key);
}

void TDBLookupGridEh::SpecRowChanged(TObject*) {
  if (IsLoading()) return;
  UpdateTitleRow();
  Invalidate();
}

void TDBLookupGridEh::UpdateTitleRow() {
  const bool wanted = showTitles_ || specRow_->GetVisible();
  if (wanted != GetDBOptions().Contains(dgTitles)) {
    TDBGridOptions options = GetDBOptions();
    if (wanted)
      options.Include(dgTitles);
    else
      options.Exclude(dgTitles);
    SetDBOptions(options);
  }
  // The special row under the titles is one more fixed row.
  if (GetFixedRowCount() != TopDataOffset() && HandleAllocated()) UpdateRowCount();
  if (AutoHeight()) SetHeight(CalcAutoHeightForRowCount(rowCount_));
}

Integer TDBLookupGridEh::SpecGridRow() const {
  if (!specRow_->GetVisible()) return -1;
  return showTitles_ ? GetTitleRowCount() : 0;
}

bool TDBLookupGridEh::SpecRowAt(Integer x, Integer y) {
  const Integer row = SpecGridRow();
  if (row < 0) return false;
  const TGridCoord cell = MouseCoord(x, y);
  return cell.Y == row && cell.X >= 0;
}

void TDBLookupGridEh::SelectSpecRow() {
  specRow_->SetSelected(true);
  if (!VarEqualsEh(keyValue_, specRow_->GetValue()))
    SelectKeyValue(specRow_->GetValue());
  else
    UpdateSelectedItem(false);
  Invalidate();
}

void TDBLookupGridEh::SetKeyField(const String& value) {
  CheckSettingsEditable();
  if (value == keyFieldName_) return;
  keyFieldName_ = value;
  UpdateListFields();
}

void TDBLookupGridEh::SetListField(const String& value) {
  if (value == listFieldName_) return;
  listFieldName_ = value;
  UpdateListFields();
}

void TDBLookupGridEh::SetListFieldIndex(Integer value) {
  listFieldIndex_ = value;
  if (listActive_ && value >= 0 && value < static_cast<Integer>(listFields_.size())) {
    listField_ = listFields_[static_cast<size_t>(value)];
    UpdateSelectedItem(listActive_ && GetListLink()->GetDataSet()->GetActive() && LocateKey());
  }
}

void TDBLookupGridEh::SetKeyValue(const Variant& value) {
  if (VarEqualsEh(keyValue_, value)) return;
  keyValue_ = value;
  KeyValueChanged();
}

bool TDBLookupGridEh::CanModify() const {
  if (!listActive_ || readOnly_) return false;
  if (!dataLink_->GetDataSource()) return true;
  return !masterFields_.empty() &&
         std::all_of(masterFields_.begin(), masterFields_.end(), [](TField* f) { return f->CanModify(); });
}

// ---- Resolution ----

void TDBLookupGridEh::UpdateListFields() {
  const bool wasActive = listActive_;
  listActive_ = false;
  listField_ = nullptr;
  listFields_.clear();
  keyFields_.clear();
  TDataLink* link = GetListLink();
  if (link->GetActive() && !keyFieldName_.empty()) {
    TDataSet* list = link->GetDataSet();
    GetFieldsArrByNamesEh(list, this, keyFieldName_, keyFields_);
    if (!listFieldName_.empty()) {
      try {
        GetFieldsArrByNamesEh(list, this, listFieldName_, listFields_);
      } catch (const EDatabaseError&) {
        DatabaseErrorFmt(SFieldNotFound, {listFieldName_}, this);
      }
    }
    if (lookupMode_) {
      // The lookup field's result is the shown field, first in the list when ListField left it out.
      listField_ = list->FieldByName(dataFields_[0]->GetLookupResultField());
      if (std::find(listFields_.begin(), listFields_.end(), listField_) == listFields_.end())
        listFields_.insert(listFields_.begin(), listField_);
    } else {
      if (listFields_.empty()) listFields_ = keyFields_;
      const Integer index = listFieldIndex_ >= 0 && listFieldIndex_ < static_cast<Integer>(listFields_.size())
                                ? listFieldIndex_
                                : 0;
      listField_ = listFields_[static_cast<size_t>(index)];
    }
    listActive_ = true;
  }
  RebuildColumns();
  UpdateColumnWidths();
  if (listActive_ || wasActive) KeyValueChanged();
}

void TDBLookupGridEh::RebuildColumns() {
  // The list fields are the columns; the grid keeps them in the order ListField names them.
  TDBGridColumnsEh* columns = GetColumns();
  columns->BeginUpdate();
  auto end = MakeScopeExit([columns] { columns->EndUpdate(); });
  columns->Clear();
  for (TField* field : listFields_) {
    TColumnEh* column = static_cast<TColumnEh*>(columns->Add());
    column->SetFieldName(field->GetFieldName());
  }
}

TGridAxisBarsEh* TDBLookupGridEh::CreateAxisBars() {
  return new TDBGridColumnsEh(this, TDBLookupGridColumnEh::StaticClass());
}

namespace {

// A cell text as the special row reads it back: quoted where a separator, a quote or edge blanks would
// otherwise cut or trim it.
String SpecCellQuotedEh(const String& text) {
  const bool plain = text.find_first_of(u";\"") == String::npos &&
                     (text.empty() || (text.front() > u' ' && text.back() > u' '));
  if (plain) return text;
  String quoted = u"\"";
  for (Char c : text) {
    if (c == u'"') quoted += u'"';
    quoted += c;
  }
  return quoted + u"\"";
}

template <class T>
void MoveItemEh(std::vector<T>& items, size_t from, size_t to) {
  T item = items[from];
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(from));
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(to), item);
}

}  // namespace

void TDBLookupGridEh::LookupColumnMoved(Integer fromIndex, Integer toIndex) {
  const Integer count = GetColumns()->GetCount();
  const auto from = static_cast<size_t>(fromIndex), to = static_cast<size_t>(toIndex);
  if (!specRow_->GetCellsText().empty()) {
    std::vector<String> cells;
    for (Integer i = 0; i < count; ++i) cells.push_back(specRow_->GetCellText(i));
    MoveItemEh(cells, from, to);
    String text;
    for (size_t i = 0; i < cells.size(); ++i) text += (i ? u";" : u"") + SpecCellQuotedEh(cells[i]);
    specRow_->SetCellsText(text);
  }
  // The columns are the list fields: their order becomes ListField, and the shown field keeps its place
  // among them. The columns stay as they are; rebuilding them would free the one being moved.
  if (static_cast<Integer>(listFields_.size()) != count) return;
  MoveItemEh(listFields_, from, to);
  listFieldName_.clear();
  for (size_t i = 0; i < listFields_.size(); ++i)
    listFieldName_ += (i ? u";" : u"") + listFields_[i]->GetFieldName();
  const auto at = std::find(listFields_.begin(), listFields_.end(), listField_);
  if (at != listFields_.end()) listFieldIndex_ = static_cast<Integer>(at - listFields_.begin());
}

void TDBLookupGridEh::LinkActive(bool active) {
  TCustomDBGridEh::LinkActive(active);
  if (!IsDestroying()) UpdateListFields();
}

void TDBLookupGridEh::DataSetChanged() {
  TCustomDBGridEh::DataSetChanged();
  // Another hand moved or refreshed the list: the selected text follows the key again.
  if (listChanging_ == 0 && listActive_) {
    TDataSet* list = GetListLink()->GetDataSet();
    UpdateSelectedItem(list->GetActive() && !list->IsEmpty() && VarEqualsEh(CurrentRecordKey(), keyValue_));
  }
}

// ---- Key and selection ----

Variant TDBLookupGridEh::CurrentRecordKey() const {
  Variant key = Variant::Null();
  TDataSet* list = GetListLink()->GetDataSet();
  if (listActive_ && list && list->GetActive() && !list->IsEmpty()) GetFieldsValuesEh(list, keyFields_, key);
  return key;
}

bool TDBLookupGridEh::LocateKey() {
  ++listChanging_;
  auto lower = MakeScopeExit([this] { --listChanging_; });
  bool found = false;
  TDataSet* list = GetListLink()->GetDataSet();
  if (listActive_ && !keyValue_.IsNull() && list && list->GetActive()) {
    try {
      const Variant kept = keyValue_;
      found = list->Locate(keyFieldName_, keyValue_, {});
      keyValue_ = kept;
    } catch (const Exception&) {
      found = false;
    }
  }
  UpdateSelectedItem(found);
  return found;
}

void TDBLookupGridEh::KeyValueChanged() {
  const bool specShown = specRow_->GetVisible();
  bool found = false;
  if (listActive_) {
    found = LocateKey();
    specRow_->SetSelected(specShown && (VarEqualsEh(keyValue_, specRow_->GetValue()) ||
                                        (!found && specRow_->GetShowIfNotInKeyList())));
    TDataSet* list = GetListLink()->GetDataSet();
    if (!found && !specRow_->GetSelected() && list->GetActive()) {
      ++listChanging_;
      auto lower = MakeScopeExit([this] { --listChanging_; });
      list->First();
    }
  } else {
    specRow_->SetSelected(false);
  }
  UpdateSelectedItem(found);
  Invalidate();
  if (OnKeyValueChanged) OnKeyValueChanged(this);
}

void TDBLookupGridEh::UpdateSelectedItem(bool found) {
  if (!listField_) {
    selectedItem_.clear();
  } else if (specRow_->GetVisible() && specRow_->GetSelected()) {
    selectedItem_ = specRow_->GetCellText(listFieldIndex_);
  } else if (found) {
    selectedItem_ = listField_->IsBlob() ? listField_->GetAsString() : listField_->GetDisplayText();
  } else {
    selectedItem_.clear();
  }
}

void TDBLookupGridEh::SelectKeyValue(const Variant& value) {
  // Bound, the key goes into the record's fields; it comes back through the link.
  if (!masterFields_.empty()) {
    if (!dataLink_->Edit()) return;
    SetFieldsValuesEh(dataLink_->GetDataSet(), masterFieldNames_, value);
  }
  keyValue_ = value;
  UpdateSelectedItem(!value.IsNull() && VarEqualsEh(CurrentRecordKey(), value));
  Invalidate();
  if (OnKeyValueChanged) OnKeyValueChanged(this);
  Click();
}

void TDBLookupGridEh::SelectCurrent() {
  TDataSet* list = GetListLink()->GetDataSet();
  if (!listActive_ || !list->GetActive() || list->IsEmpty()) return;
  specRow_->SetSelected(false);
  const Variant key = CurrentRecordKey();
  if (!VarEqualsEh(key, keyValue_)) SelectKeyValue(key);
}

void TDBLookupGridEh::MoveListBy(Integer distance) {
  ++listChanging_;
  auto lower = MakeScopeExit([this] { --listChanging_; });
  GetListLink()->GetDataSet()->MoveBy(distance);
}

// ---- Keyboard ----

void TDBLookupGridEh::KeyDown(Word& key, TShiftState shift) {
  if (!CanModify()) {
    TCustomDBGridEh::KeyDown(key, shift);
    return;
  }
  TDataSet* list = GetListLink()->GetDataSet();
  const Integer page = std::max<Integer>(1, VisibleDataRowCount());
  Integer step = 0;
  bool toFirst = false, toLast = false;
  switch (key) {
    case VK_UP:
      step = -1;
      break;
    case VK_DOWN:
      step = 1;
      break;
    case VK_PRIOR:
      step = -page;
      break;
    case VK_NEXT:
      step = page;
      break;
    case VK_HOME:
      toFirst = true;
      break;
    case VK_END:
      toLast = true;
      break;
    default:
      TCustomDBGridEh::KeyDown(key, shift);
      return;
  }
  key = 0;
  searchText_.clear();
  ++listChanging_;
  auto lower = MakeScopeExit([this] { --listChanging_; });
  if (!list->GetActive() || list->IsEmpty()) return;
  const bool specSelected = specRow_->GetVisible() && specRow_->GetSelected();
  if (toFirst || (specSelected && step > 0)) {
    list->First();
  } else if (toLast) {
    list->Last();
  } else if (step < 0 && specRow_->GetVisible() && (specSelected || list->GetBof() || list->RecNo() == 1)) {
    // Up from the first record reaches the special row, which stands for its own key.
    list->First();
    SelectSpecRow();
    return;
  } else {
    // Moving starts from the chosen record, wherever another hand left the list.
    if (!LocateKey() && !keyValue_.IsNull()) {
      list->First();
      step = 0;
    }
    list->MoveBy(step);
  }
  SelectCurrent();
}

void TDBLookupGridEh::KeyPress(Char& key) {
  ProcessSearchChar(key);
  TCustomDBGridEh::KeyPress(key);
}

void TDBLookupGridEh::ProcessSearchChar(Char key) {
  if (!IsTextListField(listField_)) return;
  if (key == u'\b' || key == u'\x1b') {
    searchText_.clear();
    return;
  }
  if (key < 32 || !CanModify()) return;
  const UInt64 now = GetTickCount64();
  if (now - LastSearchTickEh() > SearchPauseMsEh) searchText_.clear();
  LastSearchTickEh() = now;
  if (searchText_.size() >= SearchTextMaxEh) return;
  const String candidate = searchText_ + key;
  ++listChanging_;
  auto lower = MakeScopeExit([this] { --listChanging_; });
  try {
    TDataSet* list = GetListLink()->GetDataSet();
    if (list->Locate(listField_->GetFieldName(), Variant(candidate), {loCaseInsensitive, loPartialKey}))
      SelectKeyValue(CurrentRecordKey());
  } catch (const Exception&) {
    // A search that fails keeps what was typed; the next character tries again.
  }
  searchText_ = candidate;
}

// ---- Mouse and wheel ----

Integer TDBLookupGridEh::DataRowAt(Integer x, Integer y) {
  const TGridCoord cell = MouseCoord(x, y);
  const Integer row = cell.Y - TopDataOffset();
  if (cell.Y < 0 || row < 0 || row >= InstantReadRecordCount()) return -1;
  return row;
}

void TDBLookupGridEh::SelectAtPoint(Integer x, Integer y) {
  const TRect client = GetClientRect();
  y = std::clamp(y, client.Top, client.Bottom - 1);
  if (y < GetTitleHeight()) {
    if (SpecRowAt(std::clamp(x, client.Left, client.Right - 1), y)) SelectSpecRow();
    return;
  }
  const Integer row = DataRowAt(std::clamp(x, client.Left, client.Right - 1), y);
  if (row < 0) return;
  Variant key;
  InstantReadEnter(row);
  {
    auto leave = MakeScopeExit([this] { InstantReadLeave(); });
    key = CurrentRecordKey();
  }
  if (VarEqualsEh(key, keyValue_)) return;
  specRow_->SetSelected(false);
  keyValue_ = key;
  LocateKey();
  SelectKeyValue(key);
}

void TDBLookupGridEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (button != mbLeft || (DataRowAt(x, y) < 0 && !SpecRowAt(x, y))) {
    TCustomDBGridEh::MouseDown(button, shift, x, y);
    return;
  }
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
  searchText_.clear();
  if (!CanModify()) return;
  tracking_ = true;
  SelectAtPoint(x, y);
}

void TDBLookupGridEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  if (tracking_ && CanModify()) SelectAtPoint(x, y);
  TCustomDBGridEh::MouseMove(shift, x, y);
}

void TDBLookupGridEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (tracking_) {
    tracking_ = false;
    if (CanModify()) SelectAtPoint(x, y);
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
    return;
  }
  TCustomDBGridEh::MouseUp(button, shift, x, y);
}

bool TDBLookupGridEh::DoMouseWheelDown(TShiftState, TPoint) {
  Word key = VK_DOWN;
  KeyDown(key, {});
  return true;
}

bool TDBLookupGridEh::DoMouseWheelUp(TShiftState, TPoint) {
  Word key = VK_UP;
  KeyDown(key, {});
  return true;
}

// ---- Height and widths ----

Integer TDBLookupGridEh::GetBorderHeight() const {
  if (!HandleAllocated()) return 0;
  return GetHeight() - GetClientHeight();
}

Integer TDBLookupGridEh::GetDataRowHeight() const {
  return GetDefaultRowHeight() + (GetDBOptions().Contains(dgRowLines) ? GetGridLineWidth() : 0);
}

Integer TDBLookupGridEh::GetTitleHeight() const {
  if (!GetDBOptions().Contains(dgTitles) || GetRowCount() == 0) return 0;
  Integer height = GetRowHeights(0) + GetGridLineWidth();
  if (IsSTFilterRowUnderTitle()) height += GetSpecRowHeight();
  return height;
}

Integer TDBLookupGridEh::GetSpecRowHeight() const { return GetDataRowHeight(); }

bool TDBLookupGridEh::RowHeightsFitText() const {
  return GetOptionsEh().Contains(dghAutoFitRowHeight) && GetListLink()->GetActive();
}

Integer TDBLookupGridEh::CalcAutoHeightForRowCount(Integer rowCount) {
  if (!RowHeightsFitText()) return GetTitleHeight() + rowCount * GetDataRowHeight() + GetBorderHeight();
  UpdateAllGridDataRowHeights();
  const Integer lines = GetDBOptions().Contains(dgRowLines) ? GetGridLineWidth() : 0;
  Integer height = GetTitleHeight() + GetBorderHeight();
  const Integer first = TopDataOffset();
  for (Integer r = first; r < first + rowCount && r < GetRowCount(); ++r) height += GetRowHeights(r) + lines;
  return height;
}

Integer TDBLookupGridEh::AdjustHeight(Integer offeredHeight) {
  if (RowHeightsFitText()) return offeredHeight;
  const Integer rows = std::max<Integer>(
      1, (offeredHeight - GetBorderHeight() - GetTitleHeight()) / std::max<Integer>(1, GetDataRowHeight()));
  return CalcAutoHeightForRowCount(rows);
}

void TDBLookupGridEh::SetRowCountProp(Integer value) {
  rowCount_ = std::clamp<Integer>(value, 1, 100);
  if (AutoHeight()) SetHeight(CalcAutoHeightForRowCount(rowCount_));
}

void TDBLookupGridEh::SetShowTitles(bool value) {
  if (value == showTitles_) return;
  showTitles_ = value;
  UpdateTitleRow();
  Invalidate();
}

void TDBLookupGridEh::SetLGAutoFitColWidths(bool value) {
  if (value == lgAutoFitColWidths_) return;
  lgAutoFitColWidths_ = value;
  // Columns fitted to the width need no horizontal scrolling.
  GetHorzScrollBar()->SetVisible(!value);
  UpdateColumnWidths();
}

void TDBLookupGridEh::UpdateColumnWidths() {
  if (internalWidthSetting_) return;
  internalWidthSetting_ = true;
  auto done = MakeScopeExit([this] { internalWidthSetting_ = false; });
  // The data grid fits the columns only for the moment: left on, it would squeeze the neighbour of a
  // column the user sizes, where the list is to widen instead.
  if (lgAutoFitColWidths_) FitColumnsOnce();
  if (AutoHeight()) SetHeight(CalcAutoHeightForRowCount(rowCount_));
}

void TDBLookupGridEh::FitColumnsOnce() {
  SetAutoFitColWidths(true);
  TDBGridColumnsEh* columns = GetColumns();
  for (Integer i = 0; i < columns->GetCount(); ++i) {
    auto* column = static_cast<TColumnEh*>(columns->GetItem(i));
    column->SetInitWidth(column->GetWidth());
  }
  SetAutoFitColWidths(false);
}

void TDBLookupGridEh::Resize() {
  TCustomDBGridEh::Resize();
  if (!lgAutoFitColWidths_ || internalWidthSetting_) return;
  internalWidthSetting_ = true;
  auto done = MakeScopeExit([this] { internalWidthSetting_ = false; });
  FitColumnsOnce();
}

void TDBLookupGridEh::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  // The rows a height holds become the row count, also where the box around rounds the height.
  if (!internalHeightSetting_ && HandleAllocated() && !RowHeightsFitText()) {
    internalHeightSetting_ = true;
    auto done = MakeScopeExit([this] { internalHeightSetting_ = false; });
    const Integer rows = std::max<Integer>(
        1, (height - GetBorderHeight() - GetTitleHeight()) / std::max<Integer>(1, GetDataRowHeight()));
    rowCount_ = std::min<Integer>(rows, 100);
    if (AutoHeight()) height = CalcAutoHeightForRowCount(rows);
  }
  TCustomDBGridEh::SetBounds(left, top, width, height);
}

Integer TDBLookupGridEh::GetColumnsWidthToFit() const {
  Integer width = 0;
  const bool lines = GetDBOptions().Contains(dgColLines);
  TDBGridColumnsEh* columns = GetColumns();
  for (Integer i = 0; i < columns->GetCount(); ++i) {
    auto* column = static_cast<TColumnEh*>(columns->GetItem(i));
    if (column->GetVisible()) width += column->GetWidth();
    // A hidden column still has its line in the grid's geometry.
    if (lines) width += GetGridLineWidth();
  }
  return width;
}

Integer TDBLookupGridEh::RightToLeftWidthExtra() {
  TGridAxisDataEh* axis = GetHorzAxis();
  return GetClientWidth() + axis->GetGridClientStart() - axis->GetGridClientStop();
}

void TDBLookupGridEh::SetColResizedControlWidth(Integer newControlWidth) {
  if (!UseRightToLeftAlignment()) {
    SetWidth(newControlWidth);
    return;
  }
  newControlWidth += RightToLeftWidthExtra();
  SetBounds(GetLeft() + GetWidth() - newControlWidth, GetTop(), newControlWidth, GetHeight());
}

void TDBLookupGridEh::ColWidthsChanged() {
  TCustomDBGridEh::ColWidthsChanged();
  // A column the user sized with the columns fitted to the width widens or narrows the whole list,
  // so the other columns keep their widths.
  if (GetGridState() != gsColSizingEh || !HandleAllocated() || !lgAutoFitColWidths_ || internalWidthSetting_)
    return;
  internalWidthSetting_ = true;
  auto done = MakeScopeExit([this] { internalWidthSetting_ = false; });
  const bool lines = GetDBOptions().Contains(dgColLines);
  Integer width = GetWidth() - GetClientWidth();
  // The fitted columns leave the vertical bar its room; right to left the width setter adds it.
  if (!UseRightToLeftAlignment()) width += RightToLeftWidthExtra();
  TColumnsEhList* visible = GetVisibleColumns();
  for (Integer i = 0; i < visible->GetCount(); ++i)
    width += visible->GetColumn(i)->GetWidth() + (lines ? GetGridLineWidth() : 0);
  SetColResizedControlWidth(width);
  TDBGridColumnsEh* columns = GetColumns();
  for (Integer i = 0; i < columns->GetCount(); ++i) {
    auto* column = static_cast<TColumnEh*>(columns->GetItem(i));
    column->SetInitWidth(column->GetWidth());
  }
}

bool TDBLookupGridEh::CanResize(Integer& newWidth, Integer& newHeight) {
  if (AutoHeight()) newHeight = AdjustHeight(newHeight);
  return TCustomDBGridEh::CanResize(newWidth, newHeight);
}

TRect TDBLookupGridEh::DataRect() {
  const Integer first = TopDataOffset();
  const Integer last = std::max(first, first + InstantReadRecordCount() - 1);
  const TRect a = CellRect(GetIndicatorOffset(), first, true);
  const TRect b = CellRect(GetColCount() - 1, last, true);
  return TRect(a.Left, a.Top, std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom));
}

// ---- Painting ----

bool TDBLookupGridEh::RowKeyIsKeyValue(Integer dataRow) {
  if (!listActive_ || keyValue_.IsNull() || (specRow_->GetVisible() && specRow_->GetSelected())) return false;
  InstantReadEnter(dataRow);
  auto leave = MakeScopeExit([this] { InstantReadLeave(); });
  return VarEqualsEh(CurrentRecordKey(), keyValue_);
}

void TDBLookupGridEh::ResetHighlightSubstr(const String& text) {
  if (text == highlightText_) return;
  highlightText_ = text;
  Invalidate();
}

void TDBLookupGridEh::DrawCell(Integer col, Integer row, TGridDrawState state, TRect rect) {
  Integer areaCol = 0, areaRow = 0;
  const TCellAreaTypeEh area = GetCellAreaType(col, row, areaCol, areaRow);
  TColumnEh* column = area.HorzType == hctDataEh ? GetColumnAtGridCol(col) : nullptr;
  if (column && ((area.VertType == vctTitleEh && SpecRowInTitle()) ||
                 (area.VertType == vctSubTitleEh && IsSTFilterRowUnderTitle()))) {
    DrawSpecCell(column, rect);
    return;
  }
  if (area.VertType != vctDataEh || !column || areaRow >= InstantReadRecordCount()) {
    TCustomDBGridEh::DrawCell(col, row, state, rect);
    return;
  }
  TCanvas* canvas = GetCanvas();
  const bool selected = RowKeyIsKeyValue(areaRow);
  const String text = GetVisibleCellText(areaRow, column);
  canvas->GetFont()->Assign(column->GetFont());
  if (selected) canvas->GetFont()->SetColor(clHighlightText);
  canvas->GetBrush()->SetColor(selected ? clHighlight : column->GetColor());
  canvas->FillRect(rect);
  const Integer textLeft = rect.Left + 2, textTop = rect.Top + 1;
  canvas->TextRect(rect, textLeft, textTop, text);
  // The part of the list field's text that a filter typed is marked, so the eye finds why a row is there;
  // dark on the light mark in every visual style.
  if (!highlightText_.empty() && !selected && column->GetField() == listField_) {
    const size_t at = AnsiUpperCase(text).find(AnsiUpperCase(highlightText_));
    if (at != String::npos) {
      const Integer from = textLeft + canvas->TextWidth(text.substr(0, at));
      const Integer width = canvas->TextWidth(text.substr(at, highlightText_.size()));
      TRect mark(from, rect.Top + 1, std::min<Integer>(from + width, rect.Right), rect.Bottom - 1);
      canvas->GetBrush()->SetColor(RGB(255, 255, 150));
      canvas->GetFont()->SetColor(clBlack);
      canvas->TextRect(mark, textLeft, textTop, text);
    }
  }
}

void TDBLookupGridEh::DrawSpecCell(TColumnEh* column, const TRect& rect) {
  TCanvas* canvas = GetCanvas();
  const bool selected = specRow_->GetSelected();
  canvas->GetFont()->Assign(specRow_->GetFont());
  if (selected) canvas->GetFont()->SetColor(clHighlightText);
  canvas->GetBrush()->SetColor(selected ? clHighlight : specRow_->GetColor());
  canvas->FillRect(rect);
  // The special row's cells follow the columns: one text per list field, in their order.
  canvas->TextRect(rect, rect.Left + 2, rect.Top + 1, specRow_->GetCellText(column->GetIndex()));
}

// ======================= TPopupInnerDataGridEh =======================

TPopupInnerDataGridEh::TPopupInnerDataGridEh(TComponent* owner) : TDBLookupGridEh(owner) {
  SetShowHint(true);
  SetSizeGripAlwaysShow(true);
}

void TPopupInnerDataGridEh::ChangeSizeGripPosition(TSizeGripChangePosition change) {
  SetSizeGripPostion(SizeGripPositionAfterChangeEh(GetSizeGripPostion(), change));
}

void TPopupInnerDataGridEh::Resize() {
  TDBLookupGridEh::Resize();
  // The owner clears the flag after its own sizing; what sizes the list later is the user's grip.
  sizeGripResized_ = true;
  Invalidate();
}

bool TPopupInnerDataGridEh::CanResize(Integer& newWidth, Integer& newHeight) {
  // Dragged small, the list still shows its scroll bar beside something and one whole row.
  newWidth = std::max<Integer>(newWidth, 2 * GetSystemMetrics(SM_CXVSCROLL));
  const Integer spec = GetSpecRow()->GetVisible() ? GetSpecRowHeight() : 0;
  newHeight = std::max<Integer>(newHeight, GetBorderHeight() + GetDataRowHeight() + spec);
  return TDBLookupGridEh::CanResize(newWidth, newHeight);
}

void TPopupInnerDataGridEh::SetColResizedControlWidth(Integer newControlWidth) {
  if (auto* box = dynamic_cast<TPopupDataGridBoxEh*>(GetOwner()))
    box->SetColResizedControlWidth(newControlWidth);
  else
    TDBLookupGridEh::SetColResizedControlWidth(newControlWidth);
}

void TPopupInnerDataGridEh::KeyValueChanged() {
  TDBLookupGridEh::KeyValueChanged();
  if (userKeyValueChanged_ && OnUserKeyValueChange) OnUserKeyValueChange(this);
}

void TPopupInnerDataGridEh::KeyDown(Word& key, TShiftState shift) {
  userKeyValueChanged_ = true;
  auto clear = MakeScopeExit([this] { userKeyValueChanged_ = false; });
  TDBLookupGridEh::KeyDown(key, shift);
}

void TPopupInnerDataGridEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  userKeyValueChanged_ = true;
  auto clear = MakeScopeExit([this] { userKeyValueChanged_ = false; });
  keySelection_ = true;
  TDBLookupGridEh::MouseDown(button, shift, x, y);
}

void TPopupInnerDataGridEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  userKeyValueChanged_ = true;
  auto clear = MakeScopeExit([this] { userKeyValueChanged_ = false; });
  // The row under the mouse is the one a release would choose.
  if (!tracking_ && !shift.Contains(ssLeft) && !GetReadOnly() && DataRowAt(x, y) >= 0) SelectAtPoint(x, y);
  TDBLookupGridEh::MouseMove(shift, x, y);
}

void TPopupInnerDataGridEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TDBLookupGridEh::MouseUp(button, shift, x, y);
  if (!keySelection_) return;
  keySelection_ = false;
  if (!OnMouseCloseUp) return;
  const bool inside = x >= 0 && y >= 0 && x < GetWidth() && y < GetHeight();
  if (!inside)
    OnMouseCloseUp(this, false);
  else if (DataRowAt(x, y) >= 0 || SpecRowAt(x, y))
    OnMouseCloseUp(this, true);
}

// ======================= TPopupDataGridBoxEh =======================

TPopupDataGridBoxEh::TPopupDataGridBoxEh(TComponent* owner) : TPopupInactiveFormEh(owner) {
  innerDataGrid_ = new TPopupInnerDataGridEh(this);
  innerDataGrid_->SetParent(this);
  innerDataGrid_->SetAlign(alClient);
  SetMasterActionsControl(innerDataGrid_);
}

void TPopupDataGridBoxEh::HandleNeeded() {
  TPopupInactiveFormEh::HandleNeeded();
  innerDataGrid_->HandleNeeded();
}

void TPopupDataGridBoxEh::StartInitSize() {
  innerDataGrid_->SetAlign(alNone);
  innerDataGrid_->SetBounds(0, 0, innerDataGrid_->GetWidth(), innerDataGrid_->GetHeight());
}

void TPopupDataGridBoxEh::StopInitSize() {
  SetClientHeight(innerDataGrid_->GetHeight());
  innerDataGrid_->SetAlign(alClient);
}

void TPopupDataGridBoxEh::SetRowCount(Integer value) {
  innerDataGrid_->SetRowCountProp(value);
  const Integer frame = GetHeight() - GetClientHeight();
  SetHeight(innerDataGrid_->CalcAutoHeightForRowCount(innerDataGrid_->GetRowCountProp()) + frame);
}

void TPopupDataGridBoxEh::SetColResizedControlWidth(Integer newControlWidth) {
  newControlWidth += GetWidth() - GetClientWidth();
  if (!innerDataGrid_->UseRightToLeftAlignment()) {
    SetWidth(newControlWidth);
    return;
  }
  newControlWidth += innerDataGrid_->RightToLeftWidthExtra();
  SetBounds(GetLeft() + GetWidth() - newControlWidth, GetTop(), newControlWidth, GetHeight());
}

void TPopupDataGridBoxEh::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  if (innerDataGrid_ && innerDataGrid_->HandleAllocated()) {
    const Integer frame = GetHeight() - GetClientHeight();
    height = innerDataGrid_->AdjustHeight(height - frame) + frame;
  }
  // A list dragged narrow still shows its scroll bar and something beside it.
  width = std::max<Integer>(width, 2 * GetSystemMetrics(SM_CXVSCROLL) + GetWidth() - GetClientWidth());
  TPopupInactiveFormEh::SetBounds(left, top, width, height);
}

void TPopupDataGridBoxEh::WndProc(TMessage& message) {
  // The placing routine says to which side of its owner the box went; only a shown grip moves.
  if (message.Msg == WM_USER + 100) {
    if (innerDataGrid_->GetSizeGripAlwaysShow())
      innerDataGrid_->ChangeSizeGripPosition(static_cast<TSizeGripChangePosition>(message.WParam));
    return;
  }
  TPopupInactiveFormEh::WndProc(message);
}

bool TPopupDataGridBoxEh::DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) {
  if (TPopupInactiveFormEh::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  return innerDataGrid_->DoMouseWheel(shift, wheelDelta, mousePos);
}

// ======================= Registration =======================

void InitializeLookupGridsEh() {
  SetDataListBoxFactoryEh([](TAxisBarEh* bar) -> TCustomForm* {
    auto* box = new TPopupDataGridBoxEh(bar ? bar->GetGrid() : nullptr);
    box->SetVisible(false);
    return box;
  });
}
