// The data grid: columns bound to fields (made from the dataset or kept from the form resource),
// rows drawn from the data link's buffers, the dataset moved by keys, mouse, wheel and scroll bar,
// and the in-place editor writing into the field when the dataset asks its controls for their data.
#include "platform/dbctrls/DBGrids.h"

#include <algorithm>

#include "platform/controls/Dialogs.h"
#include "platform/data/DataSet.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

constexpr Integer kIndicatorWidth = 11;

const TTypeInfo* DBGridOptionsType() {
  static const TTypeInfo e = TTypeInfo::Enum(
      u"TDBGridOption", {u"dgEditing", u"dgAlwaysShowEditor", u"dgTitles", u"dgIndicator", u"dgColumnResize",
                         u"dgColLines", u"dgRowLines", u"dgTabs", u"dgRowSelect", u"dgAlwaysShowSelection",
                         u"dgConfirmDelete", u"dgCancelOnExit", u"dgMultiSelect"});
  static const TTypeInfo t = TTypeInfo::Set(u"TDBGridOptions", &e);
  return &t;
}

const TTypeInfo* AlignmentType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TAlignment", {u"taLeftJustify", u"taRightJustify", u"taCenter"});
  return &t;
}

const TTypeInfo* ButtonStyleType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TColumnButtonStyle", {u"cbsAuto", u"cbsEllipsis", u"cbsNone"});
  return &t;
}

const TDBGridOptions kDefaultDBOptions{dgEditing,  dgTitles, dgIndicator,     dgColumnResize, dgColLines,
                                       dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit};

// Text metrics of a font, measured on a small bitmap since the grid's canvas has a device only
// while it paints. The bitmap lives as long as the program: freed at exit it would outlive the
// application object its painter needs.
TSize MeasureText(TFont* font, const String& text) {
  static TBitmap* const bitmap = new TBitmap(4, 4);
  TCanvas* c = bitmap->GetCanvas();
  c->GetFont()->Assign(font);
  return c->TextExtent(text);
}

}  // namespace

// ======================= TGridDataLink =======================

class TGridDataLink : public TDataLink {
 public:
  explicit TGridDataLink(TCustomDBGrid* grid) : grid_(grid) {}

 protected:
  void ActiveChanged() override { grid_->LinkActive(GetActive()); }
  void DataSetChanged() override { grid_->DataChanged(); }
  void DataSetScrolled(int distance) override { grid_->Scrolled(distance); }
  void LayoutChanged() override {
    grid_->LayoutChanged();
    grid_->DataChanged();
  }
  void RecordChanged(TField* field) override { grid_->RecordChanged(field); }
  void EditingChanged() override { grid_->EditingChanged(); }
  void UpdateData() override { grid_->UpdateData(); }
  void FocusControl(TField** fieldRef) override {
    if (!fieldRef || !*fieldRef) return;
    TDBGridColumns* cols = grid_->GetColumns();
    for (int i = 0; i < cols->GetCount(); ++i) {
      if (cols->GetItem(i)->GetField() == *fieldRef && cols->GetItem(i)->GetVisible()) {
        if (grid_->CanFocus()) grid_->SetFocus();
        grid_->SetSelectedIndex(i);
        *fieldRef = nullptr;
        return;
      }
    }
  }

 private:
  TCustomDBGrid* grid_;
};

// ======================= TColumnTitle =======================

void TColumnTitle::Published(TPropBuilder<TColumnTitle>& p) {
  p.Str(u"Caption", &TColumnTitle::GetCaption, &TColumnTitle::SetCaption)
      .Stored(&TColumnTitle::IsCaptionStored);
  p.Enum(u"Alignment", AlignmentType(), &TColumnTitle::GetAlignment, &TColumnTitle::SetAlignment)
      .Default(taLeftJustify);
  p.Object(u"Font", &TColumnTitle::GetFont, &TColumnTitle::SetFont).Stored(&TColumnTitle::IsFontStored);
  p.IntIdent(u"Color", TypeInfoColor(), &TColumnTitle::GetColor, &TColumnTitle::SetColor)
      .NoDefault()
      .Stored(&TColumnTitle::IsColorStored);
}

TColumnTitle::TColumnTitle(TColumn* column) : column_(column), font_(std::make_unique<TFont>()) {
  font_->OnChange = TNotifyEvent(this, &TColumnTitle::FontChanged);
}

TColumnTitle::~TColumnTitle() = default;

TPersistent* TColumnTitle::GetOwner() const { return column_; }

String TColumnTitle::GetCaption() const {
  if (captionSet_) return caption_;
  TField* field = column_->GetField();
  return field ? field->GetDisplayLabel() : column_->GetFieldName();
}

void TColumnTitle::SetCaption(const String& value) {
  caption_ = value;
  captionSet_ = true;
  column_->Changed();
}

void TColumnTitle::SetAlignment(TAlignment value) {
  alignment_ = value;
  column_->Changed();
}

TFont* TColumnTitle::GetFont() const {
  TCustomDBGrid* grid = column_->GetGrid();
  if (!fontSet_ && grid) {
    auto* self = const_cast<TColumnTitle*>(this);
    self->settingFont_ = true;
    font_->Assign(grid->GetTitleFont());
    self->settingFont_ = false;
  }
  return font_.get();
}

void TColumnTitle::SetFont(TFont* value) { font_->Assign(value); }

void TColumnTitle::FontChanged(TObject*) {
  if (settingFont_) return;
  fontSet_ = true;
  column_->Changed();
}

TColor TColumnTitle::GetColor() const {
  if (colorSet_) return color_;
  TCustomDBGrid* grid = column_->GetGrid();
  return grid ? grid->GetFixedColor() : clBtnFace;
}

void TColumnTitle::SetColor(TColor value) {
  color_ = value;
  colorSet_ = true;
  column_->Changed();
}

void TColumnTitle::RestoreDefaults() {
  captionSet_ = fontSet_ = colorSet_ = false;
  caption_.clear();
  alignment_ = taLeftJustify;
  column_->Changed();
}

void TColumnTitle::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TColumnTitle*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other->captionSet_) SetCaption(other->caption_);
  SetAlignment(other->alignment_);
  if (other->fontSet_) SetFont(other->font_.get());
  if (other->colorSet_) SetColor(other->color_);
}

// ======================= TColumn =======================

void TColumn::Published(TPropBuilder<TColumn>& p) {
  p.Enum(u"Alignment", AlignmentType(), &TColumn::GetAlignment, &TColumn::SetAlignment)
      .NoDefault()
      .Stored(&TColumn::IsAlignmentStored);
  p.Enum(u"ButtonStyle", ButtonStyleType(), &TColumn::GetButtonStyle, &TColumn::SetButtonStyle)
      .Default(cbsAuto);
  p.IntIdent(u"Color", TypeInfoColor(), &TColumn::GetColor, &TColumn::SetColor)
      .NoDefault()
      .Stored(&TColumn::IsColorStored);
  p.Int(u"DropDownRows", &TColumn::GetDropDownRows, &TColumn::SetDropDownRows).Default(7);
  p.Str(u"FieldName", &TColumn::GetFieldName, &TColumn::SetFieldName);
  p.Object(u"Font", &TColumn::GetFont, &TColumn::SetFont).Stored(&TColumn::IsFontStored);
  p.Object(u"PickList", &TColumn::GetPickList, &TColumn::SetPickList);
  p.Bool(u"ReadOnly", &TColumn::GetReadOnly, &TColumn::SetReadOnly).Default(false);
  p.Object(u"Title", &TColumn::GetTitle, &TColumn::SetTitle);
  p.Int(u"Width", &TColumn::GetWidth, &TColumn::SetWidth).NoDefault().Stored(&TColumn::IsWidthStored);
  p.Bool(u"Visible", &TColumn::GetVisible, &TColumn::SetVisible).Default(true);
}

TColumn::TColumn(TCollection* collection)
    : TCollectionItem(collection),
      title_(std::make_unique<TColumnTitle>(this)),
      font_(std::make_unique<TFont>()),
      pickList_(std::make_unique<TStringList>()) {
  font_->OnChange = TNotifyEvent(this, &TColumn::FontChanged);
}

TColumn::~TColumn() = default;

TCustomDBGrid* TColumn::GetGrid() const {
  auto* cols = dynamic_cast<TDBGridColumns*>(GetCollection());
  return cols ? cols->GetGrid() : nullptr;
}

String TColumn::GetDisplayName() const {
  String caption = title_->GetCaption();
  return caption.empty() ? TCollectionItem::GetDisplayName() : caption;
}

void TColumn::SetFieldName(const String& value) {
  if (value == fieldName_) return;
  fieldName_ = value;
  field_ = nullptr;
  Changed();
}

TField* TColumn::GetField() const {
  TCustomDBGrid* grid = GetGrid();
  TDataSet* dataSet = grid ? grid->GetDataLink()->GetDataSet() : nullptr;
  if (!dataSet || !dataSet->GetActive() || fieldName_.empty()) {
    field_ = nullptr;
    return nullptr;
  }
  // A field found once may have been freed with a reopened dataset's default fields: look again.
  field_ = dataSet->FindField(fieldName_);
  return field_;
}

void TColumn::SetField(TField* value) {
  field_ = value;
  fieldName_ = value ? value->GetFieldName() : String();
  Changed();
}

Integer TColumn::GetWidth() const {
  if (widthSet_) return width_;
  TCustomDBGrid* grid = GetGrid();
  TField* field = GetField();
  if (!grid || !field) return grid ? grid->GetDefaultColWidth() : 64;
  Integer avg = MeasureText(GetFont(), u"0").cx;
  Integer w = std::max<Integer>(field->GetDisplayWidth(), 1) * avg + 4;
  if (grid->GetOptions().Contains(dgTitles))
    w = std::max(w, MeasureText(title_->GetFont(), title_->GetCaption()).cx + 4);
  return w;
}

void TColumn::SetWidth(Integer value) {
  if (widthSet_ && value == width_) return;
  width_ = value;
  widthSet_ = true;
  Changed();
}

void TColumn::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Changed();
}

TAlignment TColumn::GetAlignment() const {
  if (alignmentSet_) return alignment_;
  TField* field = GetField();
  return field ? field->GetAlignment() : taLeftJustify;
}

void TColumn::SetAlignment(TAlignment value) {
  alignment_ = value;
  alignmentSet_ = true;
  Changed();
}

bool TColumn::GetReadOnly() const {
  TField* field = GetField();
  return readOnly_ || (field && field->GetReadOnly());
}

void TColumn::SetReadOnly(bool value) {
  readOnly_ = value;
  Changed();
}

TColor TColumn::GetColor() const {
  if (colorSet_) return color_;
  TCustomDBGrid* grid = GetGrid();
  return grid ? grid->GetColor() : clWindow;
}

void TColumn::SetColor(TColor value) {
  color_ = value;
  colorSet_ = true;
  Changed();
}

TFont* TColumn::GetFont() const {
  TCustomDBGrid* grid = GetGrid();
  if (!fontSet_ && grid) {
    auto* self = const_cast<TColumn*>(this);
    self->settingFont_ = true;
    font_->Assign(grid->GetFont());
    self->settingFont_ = false;
  }
  return font_.get();
}

void TColumn::SetFont(TFont* value) { font_->Assign(value); }

void TColumn::FontChanged(TObject*) {
  if (settingFont_) return;
  fontSet_ = true;
  Changed();
}

void TColumn::SetButtonStyle(TColumnButtonStyle value) {
  buttonStyle_ = value;
  Changed();
}

void TColumn::GridChanged() {
  if (!fontSet_) GetFont();
}

void TColumn::RestoreDefaults() {
  widthSet_ = alignmentSet_ = colorSet_ = fontSet_ = false;
  readOnly_ = false;
  title_->RestoreDefaults();
  Changed();
}

void TColumn::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TColumn*>(source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  if (GetCollection()) GetCollection()->BeginUpdate();
  fieldName_ = other->fieldName_;
  field_ = nullptr;
  if (other->widthSet_) SetWidth(other->width_);
  visible_ = other->visible_;
  if (other->alignmentSet_) SetAlignment(other->alignment_);
  readOnly_ = other->readOnly_;
  if (other->colorSet_) SetColor(other->color_);
  if (other->fontSet_) SetFont(other->font_.get());
  pickList_->Assign(other->pickList_.get());
  buttonStyle_ = other->buttonStyle_;
  dropDownRows_ = other->dropDownRows_;
  title_->Assign(other->title_.get());
  if (GetCollection()) GetCollection()->EndUpdate();
}

// ======================= TDBGridColumns =======================

TDBGridColumns::TDBGridColumns(TCustomDBGrid* grid) : TCollection(TColumn::StaticClass()), grid_(grid) {}

TPersistent* TDBGridColumns::GetOwner() const { return grid_; }

TColumn* TDBGridColumns::Add() {
  // The grid lays out once the column is whole, not while its base part joins the collection.
  BeginUpdate();
  TColumn* column = nullptr;
  // EndUpdate tells the listeners, which may raise.
  TryFinally(
      [&] {
        if (GetState() == csDefault) Clear();
        column = static_cast<TColumn*>(TCollection::Add());
      },
      [&] { EndUpdate(); });
  return column;
}

TDBGridColumnsState TDBGridColumns::GetState() const {
  return GetCount() > 0 && GetItem(0)->IsStored() ? csCustomized : csDefault;
}

void TDBGridColumns::SetState(TDBGridColumnsState value) {
  if (value == GetState()) return;
  if (value == csDefault) {
    BeginUpdate();
    Clear();
    EndUpdate();
    RebuildColumns();
    return;
  }
  BeginUpdate();
  for (int i = 0; i < GetCount(); ++i) GetItem(i)->SetStored(true);
  EndUpdate();
}

void TDBGridColumns::RebuildColumns() {
  TDataSet* dataSet = grid_->GetDataLink()->GetDataSet();
  BeginUpdate();
  Clear();
  if (dataSet && dataSet->GetActive()) {
    TFields* fields = dataSet->GetFields();
    for (int i = 0; i < fields->GetCount(); ++i) {
      TField* field = fields->GetField(i);
      if (!field->GetVisible()) continue;
      auto* column = static_cast<TColumn*>(TCollection::Add());
      column->SetStored(false);
      column->SetFieldName(field->GetFieldName());
    }
  }
  EndUpdate();
}

void TDBGridColumns::RestoreDefaults() {
  BeginUpdate();
  for (int i = 0; i < GetCount(); ++i) GetItem(i)->RestoreDefaults();
  EndUpdate();
}

void TDBGridColumns::Update(TCollectionItem*) {
  if (grid_ && !grid_->GetComponentState().Contains(csLoading)) grid_->UpdateLayout();
}

// ======================= TBookmarkList =======================

int TBookmarkList::Compare(const TBookmark& a, const TBookmark& b) const {
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  return ds ? ds->CompareBookmarks(a, b) : 0;
}

const TBookmark& TBookmarkList::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return list_[static_cast<size_t>(index)];
}

bool TBookmarkList::Find(const TBookmark& item, int& index) const {
  int lo = 0, hi = GetCount() - 1;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = Compare(list_[static_cast<size_t>(mid)], item);
    if (c == 0) {
      index = mid;
      return true;
    }
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  index = lo;
  return false;
}

int TBookmarkList::IndexOf(const TBookmark& item) const {
  int index = -1;
  return Find(item, index) ? index : -1;
}

bool TBookmarkList::GetCurrentRowSelected() const {
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  if (!ds || !ds->GetActive() || ds->IsEmpty()) return false;
  int index = 0;
  return Find(ds->GetBookmark(), index);
}

void TBookmarkList::SetCurrentRowSelected(bool value) {
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  if (!ds || !ds->GetActive() || ds->IsEmpty()) return;
  TBookmark current = ds->GetBookmark();
  if (current.empty()) return;
  int index = 0;
  bool found = Find(current, index);
  if (found == value) return;
  if (value)
    list_.insert(list_.begin() + index, current);
  else
    list_.erase(list_.begin() + index);
  grid_->Invalidate();
}

void TBookmarkList::Clear() {
  if (list_.empty()) return;
  list_.clear();
  grid_->Invalidate();
}

void TBookmarkList::Delete() {
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  if (!ds) return;
  ds->DisableControls();
  // EnableControls refreshes the linked controls, which may raise.
  TryFinally(
      [&] {
        // From the last, so that the bookmarks not yet used stay valid in datasets that renumber.
        while (!list_.empty()) {
          TBookmark b = list_.back();
          list_.pop_back();
          if (!ds->BookmarkValid(b)) continue;
          ds->GotoBookmark(b);
          ds->Delete();
        }
      },
      [&] { ds->EnableControls(); });
  grid_->Invalidate();
}

bool TBookmarkList::Refresh() {
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  if (!ds) return false;
  size_t before = list_.size();
  list_.erase(
      std::remove_if(list_.begin(), list_.end(), [&](const TBookmark& b) { return !ds->BookmarkValid(b); }),
      list_.end());
  if (list_.size() != before) grid_->Invalidate();
  return list_.size() != before;
}

// ======================= TCustomDBGrid =======================

void TCustomDBGrid::Published(TPropBuilder<TCustomDBGrid>&) {}

void TDBGrid::Published(TPropBuilder<TDBGrid>& p) {
  p.Object(u"Columns", &TCustomDBGrid::GetColumns, &TCustomDBGrid::SetColumns);
  p.Object(u"DataSource", &TCustomDBGrid::GetDataSource, &TCustomDBGrid::SetDataSource);
  p.Bool(u"DefaultDrawing", &TCustomGrid::GetDefaultDrawing, &TCustomGrid::SetDefaultDrawing).Default(true);
  p.IntIdent(u"FixedColor", TypeInfoColor(), &TCustomGrid::GetFixedColor, &TCustomGrid::SetFixedColor)
      .Default(clBtnFace);
  p.Set(u"Options", DBGridOptionsType(), &TCustomDBGrid::GetOptions, &TCustomDBGrid::SetOptions)
      .Default(kDefaultDBOptions);
  p.Bool(u"ReadOnly", &TCustomDBGrid::GetReadOnly, &TCustomDBGrid::SetReadOnly).Default(false);
  p.Object(u"TitleFont", &TCustomDBGrid::GetTitleFont, &TCustomDBGrid::SetTitleFont);
  p.Bool(u"TabStop", &TCustomDBGrid::GetTabStop, &TCustomDBGrid::SetTabStop).Default(true);
  p.Event(u"OnCellClick", &TCustomDBGrid::OnCellClick, u"TDBGridClickEvent");
  p.Event(u"OnColEnter", &TCustomDBGrid::OnColEnter);
  p.Event(u"OnColExit", &TCustomDBGrid::OnColExit);
  p.Event(u"OnColumnMoved", &TCustomDBGrid::OnColumnMoved, u"TMovedEvent");
  p.Event(u"OnDrawColumnCell", &TCustomDBGrid::OnDrawColumnCell, u"TDrawColumnCellEvent");
  p.Event(u"OnDrawDataCell", &TCustomDBGrid::OnDrawDataCell, u"TDrawDataCellEvent");
  p.Event(u"OnEditButtonClick", &TCustomDBGrid::OnEditButtonClick);
  p.Event(u"OnTitleClick", &TCustomDBGrid::OnTitleClick, u"TDBGridClickEvent");
}

TCustomDBGrid::TCustomDBGrid(TComponent* owner)
    : TCustomGrid(owner),
      dataLink_(std::make_unique<TGridDataLink>(this)),
      columns_(std::make_unique<TDBGridColumns>(this)),
      titleFont_(std::make_unique<TFont>()),
      selectedRows_(std::make_unique<TBookmarkList>(this)),
      dbOptions_(kDefaultDBOptions) {
  titleFont_->Assign(GetFont());
  titleFont_->OnChange = TNotifyEvent(this, &TCustomDBGrid::TitleFontChanged);
  width_ = 320;
  height_ = 120;
  ApplyOptions();
  UpdateLayout();
}

TCustomDBGrid::~TCustomDBGrid() {
  Destroying();
  DetachEditor();
  dataLink_->SetDataSource(nullptr);
  DestroyComponents();
}

TDataSource* TCustomDBGrid::GetDataSource() const { return dataLink_->GetDataSource(); }

void TCustomDBGrid::SetDataSource(TDataSource* value) {
  if (value == dataLink_->GetDataSource()) return;
  if (TDataSource* old = dataLink_->GetDataSource()) old->RemoveFreeNotification(this);
  dataLink_->SetDataSource(value);
  if (value) value->FreeNotification(this);
  selectedRows_->Clear();
  if (columns_->GetState() == csDefault) columns_->RebuildColumns();
  UpdateLayout();
}

TDataLink* TCustomDBGrid::GetDataLink() const { return dataLink_.get(); }

void TCustomDBGrid::Notification(TComponent* component, TOperation operation) {
  TCustomGrid::Notification(component, operation);
  if (operation == opRemove && dataLink_ && component == dataLink_->GetDataSource()) {
    dataLink_->SetDataSource(nullptr);
    if (columns_->GetState() == csDefault) columns_->RebuildColumns();
    UpdateLayout();
  }
}

void TCustomDBGrid::SetColumns(TDBGridColumns* value) { columns_->Assign(value); }

void TCustomDBGrid::SetOptions(TDBGridOptions value) {
  if (value.Contains(dgRowSelect)) {
    value.Exclude(dgEditing);
    value.Exclude(dgAlwaysShowEditor);
  }
  if (value == dbOptions_) return;
  bool layout = value.Contains(dgTitles) != dbOptions_.Contains(dgTitles) ||
                value.Contains(dgIndicator) != dbOptions_.Contains(dgIndicator);
  if (!value.Contains(dgMultiSelect)) selectedRows_->Clear();
  dbOptions_ = value;
  ApplyOptions();
  if (layout) UpdateLayout();
  Invalidate();
}

void TCustomDBGrid::ApplyOptions() {
  TGridOptions go;
  if (dbOptions_.Contains(dgColLines)) go << goFixedVertLine << goVertLine;
  if (dbOptions_.Contains(dgRowLines)) go << goFixedHorzLine << goHorzLine;
  if (dbOptions_.Contains(dgColumnResize)) go << goColSizing << goColMoving;
  if (dbOptions_.Contains(dgTabs)) go << goTabs;
  if (dbOptions_.Contains(dgRowSelect)) go << goRowSelect;
  if (dbOptions_.Contains(dgEditing)) go << goEditing;
  if (dbOptions_.Contains(dgAlwaysShowEditor)) go << goAlwaysShowEditor;
  TCustomGrid::SetOptions(go);
}

void TCustomDBGrid::SetTitleFont(TFont* value) { titleFont_->Assign(value); }

void TCustomDBGrid::TitleFontChanged(TObject*) { UpdateLayout(); }

void TCustomDBGrid::SetReadOnly(bool value) {
  readOnly_ = value;
  if (readOnly_) HideEditor();
}

bool TCustomDBGrid::DataActive() const { return dataLink_->GetActive() && dataLink_->GetDataSet(); }

bool TCustomDBGrid::GetFocused() const {
  TInplaceEdit* editor = GetInplaceEditor();
  return Focused() || (editor && editor->Focused());
}

// ---- Layout ----

void TCustomDBGrid::LayoutChanged() {
  if (columns_->GetState() == csDefault) columns_->RebuildColumns();
  UpdateLayout();
}

void TCustomDBGrid::UpdateLayout() {
  if (inLayout_ || GetComponentState().Contains(csLoading) || GetComponentState().Contains(csDestroying))
    return;
  inLayout_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inLayout_};
  Integer indicator = GetIndicatorOffset();
  Integer title = GetTitleOffset();
  Integer rowHeight = MeasureText(GetFont(), u"Wg").cy + 4;
  Integer titleHeight = std::max(rowHeight, MeasureText(titleFont_.get(), u"Wg").cy + 4);
  SetDefaultRowHeight(rowHeight);
  Integer cols = indicator + std::max(1, columns_->GetCount());
  if (GetColCount() != cols) SetColCount(cols);
  if (GetRowCount() < title + 1) SetRowCount(title + 1);
  SetFixedCols(indicator);
  SetFixedRows(title);
  if (title) SetRowHeights(0, titleHeight);
  if (indicator) SetColWidths(0, kIndicatorWidth);
  for (int i = 0; i < columns_->GetCount(); ++i) {
    TColumn* c = columns_->GetItem(i);
    SetColWidths(indicator + i, c->GetVisible() ? c->GetWidth() : -1);
  }
  if (columns_->GetCount() == 0) SetColWidths(indicator, GetDefaultColWidth());
  UpdateRowCount();
  if (current_.X < indicator) current_.X = anchor_.X = indicator;
  Invalidate();
}

Integer TCustomDBGrid::VisibleDataRows() const {
  Integer line = options_.Contains(goHorzLine) ? GetGridLineWidth() : 0;
  Integer avail = GetClientHeight() - FixedHeight();
  return std::max(1, avail / std::max(1, GetDefaultRowHeight() + line));
}

void TCustomDBGrid::UpdateRowCount() {
  Integer title = GetTitleOffset();
  if (!DataActive()) {
    SetRowCount(title + 1);
    current_.Y = anchor_.Y = title;
    return;
  }
  dataLink_->SetBufferCount(VisibleDataRows());
  Integer rows = title + std::max(1, dataLink_->GetRecordCount());
  if (GetRowCount() != rows) SetRowCount(rows);
  for (Integer r = title; r < rows; ++r)
    if (GetRowHeights(r) != GetDefaultRowHeight()) SetRowHeights(r, GetDefaultRowHeight());
  current_.Y = anchor_.Y = title + std::max(0, dataLink_->GetActiveRecord());
  topLeft_.Y = GetFixedRows();
}

void TCustomDBGrid::Resize() {
  TCustomGrid::Resize();
  if (!inLayout_) {
    UpdateRowCount();
    UpdateEditPosition();
  }
}

void TCustomDBGrid::Loaded() {
  TCustomGrid::Loaded();
  ApplyOptions();
  if (columns_->GetState() == csDefault) columns_->RebuildColumns();
  UpdateLayout();
}

void TCustomDBGrid::ColWidthsChanged() {
  TCustomGrid::ColWidthsChanged();
  if (inLayout_) return;
  // A width the user dragged becomes the column's own.
  Integer indicator = GetIndicatorOffset();
  inLayout_ = true;
  for (int i = 0; i < columns_->GetCount(); ++i) {
    TColumn* c = columns_->GetItem(i);
    Integer w = GetColWidths(indicator + i);
    if (c->GetVisible() && w >= 0 && w != c->GetWidth()) c->SetWidth(w);
  }
  inLayout_ = false;
}

void TCustomDBGrid::ColumnMoved(Integer fromIndex, Integer toIndex) {
  Integer from = RawToDataColumn(fromIndex), to = RawToDataColumn(toIndex);
  if (from < 0 || to < 0 || from >= columns_->GetCount() || to >= columns_->GetCount()) return;
  if (columns_->GetState() == csDefault) columns_->SetState(csCustomized);
  columns_->GetItem(from)->SetIndex(to);
  UpdateLayout();
  current_.X = anchor_.X = toIndex;
  if (OnColumnMoved) OnColumnMoved(this, fromIndex, toIndex);
}

Integer TCustomDBGrid::GetFieldCount() const {
  Integer n = 0;
  for (int i = 0; i < columns_->GetCount(); ++i)
    if (columns_->GetItem(i)->GetVisible() && columns_->GetItem(i)->GetField()) ++n;
  return n;
}

TField* TCustomDBGrid::GetFields(Integer index) const {
  for (int i = 0; i < columns_->GetCount(); ++i) {
    TColumn* c = columns_->GetItem(i);
    if (!c->GetVisible() || !c->GetField()) continue;
    if (index-- == 0) return c->GetField();
  }
  return nullptr;
}

TColumn* TCustomDBGrid::ColumnAt(Integer rawCol) const {
  Integer i = RawToDataColumn(rawCol);
  return i >= 0 && i < columns_->GetCount() ? columns_->GetItem(i) : nullptr;
}

// ---- Current column ----

Integer TCustomDBGrid::GetSelectedIndex() const {
  if (columns_->GetCount() == 0) return -1;
  return RawToDataColumn(current_.X);
}

void TCustomDBGrid::SetSelectedIndex(Integer value) {
  if (value < 0 || value >= columns_->GetCount()) return;
  SetCurrentColumn(value);
}

TField* TCustomDBGrid::GetSelectedField() const {
  TColumn* c = ColumnAt(current_.X);
  return c ? c->GetField() : nullptr;
}

void TCustomDBGrid::SetSelectedField(TField* value) {
  if (!value) return;
  for (int i = 0; i < columns_->GetCount(); ++i)
    if (columns_->GetItem(i)->GetField() == value) {
      SetSelectedIndex(i);
      return;
    }
}

void TCustomDBGrid::SetCurrentColumn(Integer dataCol) {
  if (dataCol == GetSelectedIndex()) return;
  // The cell's edit is written into the field before the column is left.
  if (GetEditorMode()) UpdateText();
  UpdateData();
  ColExit();
  if (MoveCurrent(DataToRawColumn(dataCol), current_.Y, true, true)) ColEnter();
}

void TCustomDBGrid::MoveCol(Integer rawCol, Integer direction) {
  Integer count = columns_->GetCount();
  Integer i = RawToDataColumn(rawCol) + direction;
  while (i >= 0 && i < count && !columns_->GetItem(i)->GetVisible()) i += direction;
  if (i < 0 || i >= count) return;
  SetCurrentColumn(i);
}

void TCustomDBGrid::ColEnter() {
  if (OnColEnter) OnColEnter(this);
}

void TCustomDBGrid::ColExit() {
  if (OnColExit) OnColExit(this);
}

void TCustomDBGrid::TitleClick(TColumn* column) {
  if (OnTitleClick) OnTitleClick(column);
}

void TCustomDBGrid::CellClick(TColumn* column) {
  if (OnCellClick) OnCellClick(column);
}

// ---- Data link notices ----

void TCustomDBGrid::LinkActive(bool value) {
  if (!value) {
    CancelEditor();
    selectedRows_->Clear();
  }
  // Default columns are made from the fields when the data comes and go with it.
  if (columns_->GetState() == csDefault) columns_->RebuildColumns();
  UpdateLayout();
}

void TCustomDBGrid::DataChanged() {
  if (inData_) return;
  inData_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inData_};
  Integer oldRow = current_.Y;
  UpdateRowCount();
  if (GetEditorMode() && (current_.Y != oldRow || !dataLink_->GetEditing())) {
    CancelEditor();
    editModified_ = false;
  } else if (GetEditorMode() && !editModified_) {
    InvalidateEditor();
  }
  if (dbOptions_.Contains(dgAlwaysShowEditor) && DataActive()) ShowEditor();
  Invalidate();
}

void TCustomDBGrid::Scrolled(int) { DataChanged(); }

void TCustomDBGrid::RecordChanged(TField* field) {
  if (GetEditorMode()) {
    TField* selected = GetSelectedField();
    if (!editModified_ && (!field || field == selected)) InvalidateEditor();
  }
  Invalidate();
}

void TCustomDBGrid::EditingChanged() {
  if (!dataLink_->GetEditing()) editModified_ = false;
  Invalidate();
}

void TCustomDBGrid::UpdateData() {
  if (GetEditorMode() && GetInplaceEditor() && GetInplaceEditor()->GetTextModified()) UpdateText();
  if (!editModified_) return;
  TField* field = GetSelectedField();
  // A text the field refuses raises and stays pending, so the user can correct it.
  if (field) field->SetText(editText_);
  editModified_ = false;
}

// ---- Editing ----

String TCustomDBGrid::GetEditMask(Integer ACol, Integer) {
  TColumn* c = ColumnAt(ACol);
  TField* field = c ? c->GetField() : nullptr;
  return field ? field->GetEditMask() : String();
}

String TCustomDBGrid::GetEditText(Integer ACol, Integer) {
  TColumn* c = ColumnAt(ACol);
  TField* field = c ? c->GetField() : nullptr;
  String text = field ? field->GetText() : String();
  return text;
}

void TCustomDBGrid::SetEditText(Integer ACol, Integer ARow, const String& Value) {
  editText_ = Value;
  TInplaceEdit* editor = GetInplaceEditor();
  if (editor && editor->GetTextModified()) editModified_ = true;
  TCustomGrid::SetEditText(ACol, ARow, Value);
}

bool TCustomDBGrid::CanEditShow() const {
  if (!TCustomGrid::CanEditShow() || !DataActive() || readOnly_) return false;
  TColumn* c = ColumnAt(current_.X);
  return c && c->GetField() && !dbOptions_.Contains(dgRowSelect);
}

bool TCustomDBGrid::CanEditModify() {
  if (readOnly_ || !DataActive() || dataLink_->GetReadOnly()) return false;
  TColumn* c = ColumnAt(current_.X);
  TField* field = c ? c->GetField() : nullptr;
  if (!c || c->GetReadOnly() || !field || !field->CanModify()) return false;
  dataLink_->Edit();
  return dataLink_->GetEditing();
}

bool TCustomDBGrid::CanEditAcceptKey(Char key) const {
  TField* field = GetSelectedField();
  return !field || key < 32 || field->IsValidChar(key);
}

void TCustomDBGrid::EditorEnter() {
  if (GetEditorMode()) UpdateText();
  UpdateData();
  if (!dbOptions_.Contains(dgAlwaysShowEditor)) CancelEditor();
}

void TCustomDBGrid::EditorEscape() {
  TInplaceEdit* editor = GetInplaceEditor();
  if (editor && editor->GetTextModified()) {
    // The first Esc gives the cell back the field's text; a second one cancels the record.
    editModified_ = false;
    InvalidateEditor();
    if (editor->CanFocus()) editor->SelectAll();
    return;
  }
  editModified_ = false;
  if (!dbOptions_.Contains(dgAlwaysShowEditor)) CancelEditor();
  TDataSet* ds = dataLink_->GetDataSet();
  if (ds && (ds->GetState() == dsEdit || ds->GetState() == dsInsert)) ds->Cancel();
}

// ---- Keyboard ----

void TCustomDBGrid::AppendOrMove(int distance) {
  TDataSet* ds = dataLink_->GetDataSet();
  if (distance > 0 && ds->GetState() == dsInsert && !ds->GetModified()) return;
  if (ds->MoveBy(distance) == 0 && distance > 0 && ds->Eof() && dbOptions_.Contains(dgEditing) &&
      !readOnly_ && !dataLink_->GetReadOnly() && ds->CanModify())
    ds->Append();
}

void TCustomDBGrid::DeleteWithConfirm() {
  TDataSet* ds = dataLink_->GetDataSet();
  if (readOnly_ || !ds->CanModify() || ds->IsEmpty()) return;
  bool confirm = dbOptions_.Contains(dgConfirmDelete);
  if (dbOptions_.Contains(dgMultiSelect) && selectedRows_->GetCount() > 0) {
    if (!confirm || MessageDlg(SDeleteMultipleRecordsQuestion, mtConfirmation, mbOKCancel, 0) != mrCancel)
      selectedRows_->Delete();
    return;
  }
  if (!confirm || MessageDlg(SDeleteRecordQuestion, mtConfirmation, mbOKCancel, 0) != mrCancel) ds->Delete();
}

void TCustomDBGrid::KeyDown(Word& key, TShiftState shift) {
  // NOLINTNEXTLINE(bugprone-parent-virtual-call): moves the dataset, not the cells
  TWinControl::KeyDown(key, shift);
  if (key == 0 || !DataActive()) return;
  TDataSet* ds = dataLink_->GetDataSet();
  bool ctrl = shift.Contains(ssCtrl);
  bool multi = dbOptions_.Contains(dgMultiSelect);
  auto selectRange = [&] {
    if (multi && shift.Contains(ssShift)) selectedRows_->SetCurrentRowSelected(true);
  };
  switch (key) {
    case VK_UP:
      selectRange();
      // Up from a new row nobody filled drops it.
      if (ds->GetState() == dsInsert && !ds->GetModified())
        ds->Cancel();
      else
        ds->MoveBy(-1);
      selectRange();
      break;
    case VK_DOWN:
      selectRange();
      AppendOrMove(1);
      selectRange();
      break;
    case VK_PRIOR:
      ds->MoveBy(-VisibleDataRows());
      break;
    case VK_NEXT:
      ds->MoveBy(VisibleDataRows());
      break;
    case VK_HOME:
      if (ctrl)
        ds->First();
      else
        MoveCol(GetIndicatorOffset() - 1, 1);
      break;
    case VK_END:
      if (ctrl)
        ds->Last();
      else
        MoveCol(GetIndicatorOffset() + columns_->GetCount(), -1);
      break;
    case VK_LEFT:
      if (dbOptions_.Contains(dgRowSelect))
        HorzScroll(SB_LINELEFT, 0);
      else
        MoveCol(current_.X, -1);
      break;
    case VK_RIGHT:
      if (dbOptions_.Contains(dgRowSelect))
        HorzScroll(SB_LINERIGHT, 0);
      else
        MoveCol(current_.X, 1);
      break;
    case VK_TAB: {
      if (!dbOptions_.Contains(dgTabs) || shift.Contains(ssAlt)) return;
      Integer before = GetSelectedIndex();
      bool back = shift.Contains(ssShift);
      MoveCol(current_.X, back ? -1 : 1);
      if (GetSelectedIndex() != before) break;
      // Past the last column: the next record's first column (the previous record's last).
      if (ds->MoveBy(back ? -1 : 1) != 0)
        MoveCol(back ? GetIndicatorOffset() + columns_->GetCount() : GetIndicatorOffset() - 1, back ? -1 : 1);
      break;
    }
    case VK_INSERT:
      if (!ctrl && dbOptions_.Contains(dgEditing) && !readOnly_ && ds->CanModify()) ds->Insert();
      break;
    case VK_DELETE:
      if (ctrl) DeleteWithConfirm();
      break;
    case VK_ESCAPE:
      if (ds->GetState() == dsEdit || ds->GetState() == dsInsert) ds->Cancel();
      if (multi) selectedRows_->Clear();
      break;
    case VK_F2:
      SetEditorMode(true);
      break;
    default:
      return;
  }
  // A key the grid took goes no further: the form would take an arrow for moving the focus.
  key = 0;
}

void TCustomDBGrid::KeyPress(Char& key) {
  if (!DataActive()) {
    // NOLINTNEXTLINE(bugprone-parent-virtual-call): moves the dataset, not the cells
    TWinControl::KeyPress(key);
    return;
  }
  TCustomGrid::KeyPress(key);
}

// ---- Mouse ----

void TCustomDBGrid::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  titlePressed_ = false;
  cellPress_ = {-1, -1};
  if (button == mbLeft && shift.Contains(ssDouble)) {
    // NOLINTNEXTLINE(bugprone-parent-virtual-call): selects in the dataset, not the cells
    TControl::MouseDown(button, shift, x, y);
    DblClick();
    return;
  }
  TGridCoord cell = MouseCoord(x, y);
  Integer title = GetTitleOffset();
  bool sizingZone = false;
  if (cell.Y >= 0 && cell.Y < title) {
    // Titles: sizing and moving belong to the grid; a press elsewhere on a title may become a click.
    TCustomGrid::MouseDown(button, shift, x, y);
    sizingZone = GetGridState() == gsColSizing;
    if (!sizingZone && button == mbLeft && cell.X >= GetIndicatorOffset()) {
      titlePressed_ = true;
      titlePress_ = cell;
    }
    return;
  }
  if (CanFocus() && !GetFocused()) SetFocus();
  // NOLINTNEXTLINE(bugprone-parent-virtual-call): selects in the dataset, not the cells
  TControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || cell.X < 0 || !DataActive()) return;
  Integer dataRow = cell.Y - title;
  if (dataRow < 0 || dataRow >= dataLink_->GetRecordCount()) return;
  TDataSet* ds = dataLink_->GetDataSet();
  bool sameCell = cell == current_;
  if (dataRow != dataLink_->GetActiveRecord()) ds->MoveBy(dataRow - dataLink_->GetActiveRecord());
  if (cell.X >= GetIndicatorOffset() && RawToDataColumn(cell.X) < columns_->GetCount())
    SetCurrentColumn(RawToDataColumn(cell.X));
  if (dbOptions_.Contains(dgMultiSelect)) {
    if (shift.Contains(ssCtrl))
      selectedRows_->SetCurrentRowSelected(!selectedRows_->GetCurrentRowSelected());
    else if (!shift.Contains(ssShift))
      selectedRows_->Clear();
    else
      selectedRows_->SetCurrentRowSelected(true);
  }
  if (sameCell && dbOptions_.Contains(dgEditing)) ShowEditor();
  cellPress_ = cell;
}

void TCustomDBGrid::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TGridState state = GetGridState();
  TCustomGrid::MouseUp(button, shift, x, y);
  TGridCoord cell = MouseCoord(x, y);
  if (titlePressed_ && button == mbLeft && state != gsColSizing && cell == titlePress_) {
    titlePressed_ = false;
    if (TColumn* c = ColumnAt(cell.X)) TitleClick(c);
    return;
  }
  titlePressed_ = false;
  if (button == mbLeft && cellPress_.X >= 0 && cell == cellPress_) {
    cellPress_ = {-1, -1};
    if (TColumn* c = ColumnAt(cell.X)) CellClick(c);
  }
}

bool TCustomDBGrid::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  // NOLINTNEXTLINE(bugprone-parent-virtual-call): moves the dataset, not the rows
  if (TControl::DoMouseWheelDown(shift, mousePos)) return true;
  if (DataActive()) dataLink_->GetDataSet()->MoveBy(1);
  return true;
}

bool TCustomDBGrid::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  // NOLINTNEXTLINE(bugprone-parent-virtual-call): moves the dataset, not the rows
  if (TControl::DoMouseWheelUp(shift, mousePos)) return true;
  if (DataActive()) dataLink_->GetDataSet()->MoveBy(-1);
  return true;
}

void TCustomDBGrid::DoExit() {
  TCustomGrid::DoExit();
  if (!dbOptions_.Contains(dgCancelOnExit) || !DataActive()) return;
  // A new row the user started but never filled is dropped when the focus leaves the grid.
  TDataSet* ds = dataLink_->GetDataSet();
  TInplaceEdit* editor = GetInplaceEditor();
  bool typed = editModified_ || (editor && editor->GetTextModified());
  if (ds->GetState() == dsInsert && !ds->GetModified() && !typed) ds->Cancel();
}

void TCustomDBGrid::Dispatch(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (dbOptions_.Contains(dgTabs)) message.Result |= DLGC_WANTTAB;
    return;
  }
  TCustomGrid::Dispatch(message);
}

// ---- Scroll bar over the dataset ----

bool TCustomDBGrid::ForceVertScrollBar() const { return true; }

void TCustomDBGrid::GetVertScrollInfo(Integer& min, Integer& max, Integer& page, Integer& pos) const {
  min = 0;
  max = 0;
  page = 1;
  pos = 0;
  if (!DataActive()) return;
  TDataSet* ds = dataLink_->GetDataSet();
  if (ds->IsSequenced() && ds->RecordCount() > 0) {
    max = ds->RecordCount() - 1;
    pos = std::max(0, ds->RecNo() - 1);
    return;
  }
  // Without record numbers the thumb says only: at the start, at the end, or between.
  max = 4;
  pos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
}

void TCustomDBGrid::VertScroll(Integer code, Integer pos) {
  if (!DataActive()) return;
  TDataSet* ds = dataLink_->GetDataSet();
  switch (code) {
    case SB_LINEUP:
      ds->MoveBy(-1);
      break;
    case SB_LINEDOWN:
      ds->MoveBy(1);
      break;
    case SB_PAGEUP:
      ds->MoveBy(-VisibleDataRows());
      break;
    case SB_PAGEDOWN:
      ds->MoveBy(VisibleDataRows());
      break;
    case SB_THUMBTRACK:
      if (!options_.Contains(goThumbTracking)) break;
      [[fallthrough]];
    case SB_THUMBPOSITION:
      if (ds->IsSequenced()) {
        ds->SetRecNo(pos + 1);
      } else if (pos <= 0) {
        ds->First();
      } else if (pos >= 4) {
        ds->Last();
      }
      break;
    case SB_TOP:
      ds->First();
      break;
    case SB_BOTTOM:
      ds->Last();
      break;
    default:
      break;
  }
}

void TCustomDBGrid::TopLeftChanged() {
  TCustomGrid::TopLeftChanged();
  // The rows scroll with the dataset's window, never inside the grid.
  if (topLeft_.Y != GetFixedRows()) topLeft_.Y = GetFixedRows();
}

// ---- Drawing ----

void TCustomDBGrid::DrawIndicator(const TRect& rect, Integer dataRow) {
  TCanvas* c = GetCanvas();
  bool current = dataRow == drawActiveRecord_;
  bool selected = false;
  if (dbOptions_.Contains(dgMultiSelect)) selected = selectedRows_->GetCurrentRowSelected();
  Integer cx = (rect.Left + rect.Right) / 2, cy = (rect.Top + rect.Bottom) / 2;
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(clWindowText);
  c->GetPen()->SetColor(clWindowText);
  if (current) {
    TDataSetState st = dataLink_->GetDataSet()->GetState();
    if (st == dsInsert) {
      // An asterisk: the row is new.
      c->MoveTo(cx, cy - 3);
      c->LineTo(cx, cy + 4);
      c->MoveTo(cx - 3, cy);
      c->LineTo(cx + 4, cy);
      c->MoveTo(cx - 2, cy - 2);
      c->LineTo(cx + 3, cy + 3);
      c->MoveTo(cx + 2, cy - 2);
      c->LineTo(cx - 3, cy + 3);
    } else if (st == dsEdit) {
      // An I-beam: the row is being edited.
      c->MoveTo(cx, cy - 4);
      c->LineTo(cx, cy + 5);
      c->MoveTo(cx - 2, cy - 4);
      c->LineTo(cx + 3, cy - 4);
      c->MoveTo(cx - 2, cy + 4);
      c->LineTo(cx + 3, cy + 4);
    } else {
      c->Polygon(std::vector<TPoint>{{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}});
    }
  }
  if (selected) {
    Integer dx = current ? -3 : 0;
    c->Ellipse(cx + dx - 2, cy - 2, cx + dx + 2, cy + 2);
  }
}

void TCustomDBGrid::DefaultDrawColumnCell(const TRect& Rect, Integer, TColumn* Column, TGridDrawState) {
  TField* field = Column ? Column->GetField() : nullptr;
  String text = field ? field->GetDisplayText() : String();
  DrawCellText(Rect, text, Column ? Column->GetAlignment() : taLeftJustify);
}

void TCustomDBGrid::DefaultDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState) {
  String text = Field ? Field->GetDisplayText() : String();
  DrawCellText(Rect, text, Field ? Field->GetAlignment() : taLeftJustify);
}

void TCustomDBGrid::DrawColumnCell(const TRect& rect, Integer dataCol, TColumn* column,
                                   TGridDrawState state) {
  if (OnDrawColumnCell) OnDrawColumnCell(this, rect, dataCol, column, state);
}

void TCustomDBGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) {
  TCanvas* c = GetCanvas();
  Integer title = GetTitleOffset();
  Integer dataRow = ARow - title;
  if (ACol < GetIndicatorOffset()) {
    if (ARow < title || !DataActive() || dataRow >= dataLink_->GetRecordCount()) return;
    Integer old = dataLink_->GetActiveRecord();
    drawActiveRecord_ = old;
    dataLink_->SetActiveRecord(dataRow);
    auto restore = MakeScopeExit([&] { dataLink_->SetActiveRecord(old); });
    DrawIndicator(ARect, dataRow);
    return;
  }
  Integer dataCol = RawToDataColumn(ACol);
  TColumn* column = ColumnAt(ACol);
  if (!column) return;
  if (ARow < title) {
    TColumnTitle* t = column->GetTitle();
    c->GetFont()->Assign(t->GetFont());
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(t->GetColor());
    if (GetDefaultDrawing()) {
      c->FillRect(ARect);
      if (GetCtl3D()) {
        TRect edge = ARect;
        DrawEdge(c->GetHandle(), &edge, BDR_RAISEDINNER, BF_RECT);
      }
    }
    DrawCellText(ARect, t->GetCaption(), t->GetAlignment());
    return;
  }
  if (!DataActive() || dataRow >= dataLink_->GetRecordCount()) return;
  // The row is read from the link's buffer: the dataset's cursor stays where it is.
  Integer old = dataLink_->GetActiveRecord();
  dataLink_->SetActiveRecord(dataRow);
  auto restore = MakeScopeExit([&] { dataLink_->SetActiveRecord(old); });
  bool highlight = IsCellHighlighted(ACol, ARow, AState) ||
                   (dbOptions_.Contains(dgMultiSelect) && selectedRows_->GetCurrentRowSelected());
  c->GetFont()->Assign(column->GetFont());
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(column->GetColor());
  if (highlight) {
    c->GetBrush()->SetColor(clHighlight);
    c->GetFont()->SetColor(clHighlightText);
  }
  if (GetDefaultDrawing()) DefaultDrawColumnCell(ARect, dataCol, column, AState);
  if (columns_->GetState() == csDefault && OnDrawDataCell)
    OnDrawDataCell(this, ARect, column->GetField(), AState);
  DrawColumnCell(ARect, dataCol, column, AState);
}
