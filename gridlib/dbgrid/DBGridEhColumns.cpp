// The data grid's columns and titles, their collection with its change reaction, tab order and stored
// order, the grid-wide column defaults and the area parameter objects.
#include <algorithm>
#include <functional>
#include <memory>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/classes/StringList.h"
#include "platform/graphics/ImageList.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"

// ======================= Title =======================

namespace {

const TTypeInfo* TypeInfoSortMarkerEh() {
  static const TTypeInfo info = TTypeInfo::Enum(u"TSortMarkerEh", {u"smNoneEh", u"smDownEh", u"smUpEh"});
  return &info;
}

const TTypeInfo* TypeInfoTitleOrientationEh() {
  static const TTypeInfo info = TTypeInfo::Enum(u"TTextOrientationEh", {u"tohHorizontal", u"tohVertical"});
  return &info;
}

// A flagged title value is written only once the title set it.
std::function<bool(const TObject*)> TitleValueStored(TAxisBarEhValue flag) {
  return [flag](const TObject* o) {
    return static_cast<const TColumnTitleEh*>(o)->GetAxisBar()->GetAssignedValues().Contains(flag);
  };
}

}  // namespace

// The digits of a multi-column sort index are measured and drawn in a small font of their own, as
// high as the down marker's picture less one pixel.
TFont* DBGridSortIndexFont() {
  static TFont* font = [] {
    auto* f = new TFont();
    f->SetName(u"Arial");
    RegisterGraphicsResources();
    TBitmap marker;
    LoadBitmapFromResourceEh(&marker, u"DBSMDOWNEH");
    f->SetHeight(1 - marker.GetHeight());
    return f;
  }();
  return font;
}

void TColumnTitleEh::Published(TPropBuilder<TColumnTitleEh>& p) {
  p.Bool(u"EndEllipsis", &TAxisBarTitleEh::GetEndEllipsis, &TAxisBarTitleEh::SetEndEllipsis)
      .NoDefault()
      .Stored(TitleValueStored(cvTitleEndEllipsis));
  p.Int(u"ImageIndex", &TColumnTitleEh::GetImageIndex, &TColumnTitleEh::SetImageIndex).Default(-1);
  p.Enum(u"Orientation", TypeInfoTitleOrientationEh(), &TAxisBarTitleEh::GetOrientation,
         &TAxisBarTitleEh::SetOrientation)
      .NoDefault()
      .Stored(TitleValueStored(cvTitleOrientation));
  p.Bool(u"TitleButton", &TAxisBarTitleEh::GetTitleButton, &TAxisBarTitleEh::SetTitleButton)
      .NoDefault()
      .Stored(TitleValueStored(cvTitleButton));
  p.Bool(u"ToolTips", &TAxisBarTitleEh::GetToolTips, &TAxisBarTitleEh::SetToolTips)
      .NoDefault()
      .Stored(TitleValueStored(cvTitleToolTips));
  p.Bool(u"ShowImageAndText", &TColumnTitleEh::GetShowImageAndText, &TColumnTitleEh::SetShowImageAndText)
      .NoDefault()
      .Stored(&TColumnTitleEh::GetShowImageAndTextStored);
  p.Int(u"SortIndex", &TColumnTitleEh::GetSortIndex, &TColumnTitleEh::SetSortIndex).Default(0);
  p.Enum(u"SortMarker", TypeInfoSortMarkerEh(), &TColumnTitleEh::GetSortMarker,
         &TColumnTitleEh::SetSortMarker)
      .Default(smNoneEh);
}

TColumnEh* TColumnTitleEh::GetColumn() const { return static_cast<TColumnEh*>(GetAxisBar()); }

void TColumnTitleEh::Assign(TPersistent* source) {
  TAxisBarTitleEh::Assign(source);
  if (auto* src = dynamic_cast<TColumnTitleEh*>(source)) {
    imageIndex_ = src->imageIndex_;
    showImageAndText_ = src->showImageAndText_;
    showImageAndTextStored_ = src->showImageAndTextStored_;
    SetSortIndex(src->sortIndex_);
    SetSortMarker(src->sortMarker_);
  }
}

// A form being read sets markers and indexes before the grid's options: they are stored as read.
bool TColumnTitleEh::CollectionUpdating() const {
  TCollection* collection = GetColumn()->GetCollection();
  TCustomDBGridEh* grid = GetColumn()->GetDBGrid();
  return (collection && collection->GetUpdateCount() > 0) || (grid && grid->IsLoading());
}

// The grid keeps the marked columns in sort order; the index is the 1-based place in that list.
void TColumnTitleEh::SetSortMarker(TSortMarkerEh value) {
  if (sortMarker_ == value) return;
  const TSortMarkerEh old = sortMarker_;
  sortMarker_ = value;
  TColumnEh* column = GetColumn();
  TCustomDBGridEh* grid = column->GetDBGrid();
  if (!grid || CollectionUpdating()) return;
  TDBGridColumnsEh* columns = grid->GetColumns();
  TColumnsEhList* marked = grid->GetSortMarkedColumns();
  const bool set = old == smNoneEh, cleared = value == smNoneEh;
  if (grid->GetOptionsEh().Contains(dghMultiSortMarking)) {
    if (set && sortIndex_ == 0) {
      Integer already = 0;
      for (Integer i = 0; i < columns->GetCount(); ++i)
        if (columns->GetColumn(i)->GetTitle()->sortIndex_ != 0) ++already;
      sortIndex_ = already + 1;
      marked->Add(column);
    } else if (cleared && sortIndex_ != 0) {
      for (Integer i = 0; i < columns->GetCount(); ++i) {
        TColumnTitleEh* other = columns->GetColumn(i)->GetTitle();
        if (other->sortIndex_ > sortIndex_) --other->sortIndex_;
      }
      marked->Remove(column);
      sortIndex_ = 0;
    }
  } else if (!cleared) {
    for (Integer i = 0; i < columns->GetCount(); ++i) {
      TColumnTitleEh* other = columns->GetColumn(i)->GetTitle();
      if (other != this && other->sortMarker_ != smNoneEh) other->SetSortMarker(smNoneEh);
    }
    sortIndex_ = 1;
    marked->Clear();
    marked->Add(column);
  } else {
    sortIndex_ = 0;
    marked->Clear();
  }
  column->Changed(false);
}

// Outside an update a marked column trades places in the sort order with the column at that place.
void TColumnTitleEh::SetSortIndex(Integer value) {
  value = std::max<Integer>(0, value);
  if (sortIndex_ == value) return;
  TColumnEh* column = GetColumn();
  TCustomDBGridEh* grid = column->GetDBGrid();
  if (!grid || CollectionUpdating()) {
    sortIndex_ = value;
    return;
  }
  if (sortMarker_ == smNoneEh) return;
  TDBGridColumnsEh* columns = grid->GetColumns();
  TColumnsEhList* marked = grid->GetSortMarkedColumns();
  for (Integer i = 0; i < columns->GetCount(); ++i) {
    TColumnEh* other = columns->GetColumn(i);
    if (other == column || other->GetTitle()->sortIndex_ != value) continue;
    const Integer mine = marked->IndexOf(column), theirs = marked->IndexOf(other);
    if (mine >= 0 && theirs >= 0) {
      marked->SetAxisBar(mine, other);
      marked->SetAxisBar(theirs, column);
    }
    other->GetTitle()->sortIndex_ = sortIndex_;
    sortIndex_ = value;
    column->Changed(false);
    return;
  }
}

void TColumnTitleEh::NextSortMarker() { SetSortMarker(sortMarker_ == smDownEh ? smUpEh : smDownEh); }

void TColumnTitleEh::SetNextSortMarkerValue(bool keepMulti) {
  TColumnEh* column = GetColumn();
  TCustomDBGridEh* grid = column->GetDBGrid();
  if (!keepMulti && grid) {
    TDBGridColumnsEh* columns = grid->GetColumns();
    for (Integer i = 0; i < columns->GetCount(); ++i) {
      TColumnTitleEh* other = columns->GetColumn(i)->GetTitle();
      if (other != this) other->SetSortMarker(smNoneEh);
    }
  }
  TDBGridEhCenter* center = grid ? grid->GetCenter() : nullptr;
  const TSortMarkerEh first = center ? center->GetFirstSortMarkerState(grid, column) : smDownEh;
  switch (sortMarker_) {
    case smNoneEh:
      SetSortMarker(first);
      break;
    case smDownEh:
      SetSortMarker(keepMulti && first == smUpEh ? smNoneEh : smUpEh);
      break;
    case smUpEh:
      SetSortMarker(keepMulti && first == smDownEh ? smNoneEh : smDownEh);
      break;
  }
}

// The marker glyph is 16 pixels with its margins; with several marked columns the index follows it.
// A column too narrow for both drops the glyph, then the index too.
Integer TColumnTitleEh::GetSortMarkingWidth() const {
  if (sortIndex_ == 0) return 0;
  Integer width = 16;
  TCustomDBGridEh* grid = GetColumn()->GetDBGrid();
  if (grid && grid->GetSortMarkedColumns()->GetCount() >= 2) {
    TCanvas* canvas = GetScreenCanvasEh();
    canvas->GetFont()->Assign(DBGridSortIndexFont());
    width += canvas->TextWidth(IntToStr(sortIndex_));
  }
  const Integer room = GetColumn()->GetWidth() - 4;
  if (width > room) width -= 14;
  if (width > room) width = 0;
  return width;
}

Integer TColumnTitleEh::GetFilterButtonAreaWidth() const { return 0; }

Integer TColumnTitleEh::ImageAreaWidth() const {
  TCustomDBGridEh* grid = GetColumn()->GetDBGrid();
  TCustomImageList* images = grid ? grid->GetTitleParams()->GetImages() : nullptr;
  return images && imageIndex_ != -1 ? images->GetWidth() + 2 : 0;
}

bool TColumnTitleEh::GetShowImageAndText() const {
  if (showImageAndTextStored_) return showImageAndText_;
  TCustomDBGridEh* grid = GetColumn()->GetDBGrid();
  return grid && grid->GetColumnDefValues()->GetTitle()->GetShowImageAndText();
}

void TColumnTitleEh::SetShowImageAndText(bool value) {
  if (showImageAndTextStored_ && showImageAndText_ == value) return;
  showImageAndText_ = value;
  showImageAndTextStored_ = true;
  if (TCustomDBGridEh* grid = GetColumn()->GetDBGrid()) grid->Invalidate();
}

void TColumnTitleEh::SetShowImageAndTextStored(bool value) {
  if (value == showImageAndTextStored_) return;
  if (value) showImageAndText_ = GetShowImageAndText();
  showImageAndTextStored_ = value;
  if (TCustomDBGridEh* grid = GetColumn()->GetDBGrid()) grid->Invalidate();
}

void TColumnTitleEh::SetImageIndex(TImageIndex value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  TCustomDBGridEh* grid = GetColumn()->GetDBGrid();
  if (grid && !CollectionUpdating()) grid->LayoutChanged();
}

TFont* TColumnTitleEh::DefaultFont() const {
  TCustomDBGridEh* grid = GetColumn()->GetDBGrid();
  return grid ? grid->GetTitleParams()->GetFont() : TAxisBarTitleEh::DefaultFont();
}

// ======================= Column =======================

TColumnEh::TColumnEh(TCollection* collection) : TBaseColumnEh(collection) {
  InitTitle();
  footer_.reset(TColumnFooterEh::CreateApart(this));
  footers_ = std::make_unique<TColumnFootersEh>(this);
  InitLookupParams();
  autoFitColWidth_ = true;
  initWidth_ = GetWidth();
}

TColumnEh::~TColumnEh() {
  // The grid's column selection holds plain pointers. While the grid itself goes, its selection is
  // gone before its columns, and the cast finds no data grid.
  if (TCustomDBGridEh* grid = GetDBGrid()) {
    if (TDBGridEhSelection* selection = grid->GetSelection()) selection->GetColumns()->ColumnGone(this);
    if (TColumnsEhList* sorted = grid->GetSortMarkedColumns()) sorted->Remove(this);
  }
}

TCustomDBGridEh* TColumnEh::GetDBGrid() const { return dynamic_cast<TCustomDBGridEh*>(GetGrid()); }

Integer TColumnEh::GetDataCellHorzOffset() {
  TCustomDBGridEh* grid = GetDBGrid();
  TDBGridEhStyle* style = grid ? grid->GetStyle() : nullptr;
  return style ? style->GetDataCellHorzOffset(grid, this) : TBaseColumnEh::GetDataCellHorzOffset();
}

TAxisBarTitleEh* TColumnEh::CreateTitle() { return new TColumnTitleEh(this); }

void TColumnEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TColumnEh*>(source);
  if (!src) {
    TBaseColumnEh::Assign(source);
    return;
  }
  TCollection* owner = GetCollection();
  if (owner) owner->BeginUpdate();
  auto end = MakeScopeExit([owner] {
    if (owner) owner->EndUpdate();
  });
  TBaseColumnEh::Assign(source);
  if (src->GetAssignedValues().Contains(cvWidth)) SetWidth(src->GetWidth());
  initWidth_ = src->initWidth_;
  autoFitColWidth_ = src->autoFitColWidth_;
  footer_->Assign(src->footer_.get());
  footers_->Assign(src->footers_.get());
  SetMinWidth(src->minWidth_);
  SetMaxWidth(src->maxWidth_);
  OnGetCellParams = src->OnGetCellParams;
  SetHideDuplicates(src->hideDuplicates_);
}

// A field found on first use is bound like one set: the footers' aggregates follow it.
TField* TColumnEh::GetField() {
  TField* field = TBaseColumnEh::GetField();
  if (field && field != sumsField_) {
    sumsField_ = field;
    EnsureFooterSums();
  }
  return field;
}

void TColumnEh::SetField(TField* value) {
  if (GetFieldProp() == value) return;
  TBaseColumnEh::SetField(value);
  // A column the grid made follows its field's width.
  if (IsDefaultBar()) initWidth_ = GetWidth();
  sumsField_ = value;
  EnsureFooterSums();
}

void TColumnEh::EnsureFooterSums() {
  footer_->EnsureSumValue();
  for (Integer i = 0; i < footers_->GetCount(); ++i) footers_->GetFooter(i)->EnsureSumValue();
}

Integer TColumnEh::ConstrainWidth(Integer width) const {
  if (minWidth_ > 0 && width < minWidth_) return minWidth_;
  if (maxWidth_ > 0 && width > maxWidth_) return maxWidth_;
  return width;
}

bool TColumnEh::CanApplyAggregateFunction(TGroupFooterValueTypeEh valueType) {
  TField* field = GetField();
  if (!field) return false;
  const bool numeric = dynamic_cast<TNumericField*>(field) != nullptr;
  switch (valueType) {
    case gfvNonEh:
      return false;
    case gfvSumEh:
      return numeric || dynamic_cast<TBooleanField*>(field) != nullptr;
    case gfvAvgEh:
      return numeric;
    default:
      return true;
  }
}

void TColumnEh::OptimizeWidth() {
  if (TCustomDBGridEh* grid = GetDBGrid()) grid->OptimizeColsWidth({this}, -1, 0);
}

namespace {
// The scratch cell parameters of text requests, one for all grids (main thread only).
TAxisColCellParamsEh& DBGridTextValueParams() {
  static TAxisColCellParamsEh params;
  return params;
}
}  // namespace

// The text the cell shows for the current record: the same for display and edit requests.
String TColumnEh::GetTextValue(bool) {
  TCustomDBGridEh* grid = GetDBGrid();
  if (!grid) return DisplayText();
  TAxisColCellParamsEh& params = DBGridTextValueParams();
  FillColCellParams(&params);
  if (params.Font) params.Font->Assign(grid->GetCanvas()->GetFont());
  if (grid->OnGetCellParams) {
    TColor background = params.Background;
    grid->OnGetCellParams(grid, this, params.Font, background, params.State);
    params.Background = background;
  }
  GetColCellParams(false, &params);
  return params.Text;
}

void TColumnEh::GetColCellParams(bool editMode, TAxisColCellParamsEh* params) {
  TBaseColumnEh::GetColCellParams(editMode, params);
  TCustomDBGridEh* grid = GetDBGrid();
  if (grid && grid->GetCenter()) grid->GetCenter()->GetColCellParams(grid, this, editMode, params);
  if (OnGetCellParams) OnGetCellParams(this, editMode, params);
}

Integer TColumnEh::DefaultWidth() const {
  TCustomDBGridEh* grid = GetDBGrid();
  if (!grid) return 64;
  TField* field = GetFieldProp();
  if (!field) return grid->GetDefaultColWidth();
  TCanvas* canvas = GetScreenCanvasEh();
  canvas->GetFont()->Assign(const_cast<TColumnEh*>(this)->GetFont());
  return field->GetDisplayWidth() * canvas->TextWidth(u"0") + 4;
}

Integer TColumnEh::GetWidth() const {
  return GetAssignedValues().Contains(cvWidth) ? width_ : DefaultWidth();
}

bool TColumnEh::IsWidthStored() const {
  return GetAssignedValues().Contains(cvWidth) && width_ != DefaultWidth();
}

void TColumnEh::SetWidth(Integer value) {
  TCustomDBGridEh* grid = GetDBGrid();
  const bool loading = grid && grid->IsLoading();
  // A column the grid made for a field keeps its width in the field, where the next layout reads it.
  if (grid && IsDefaultBar()) {
    TField* field = GetFieldProp();
    if (field && grid->HandleAllocated() && grid->GetUpdateFields()) {
      TCanvas* canvas = GetScreenCanvasEh();
      canvas->GetFont()->Assign(GetFont());
      TEXTMETRICW tm{};
      GetTextMetrics(canvas->GetHandle(), &tm);
      const Integer zero = std::max(1, canvas->TextWidth(u"0"));
      field->SetDisplayWidth((value + tm.tmAveCharWidth / 2 - tm.tmOverhang - 3) / zero);
    }
    if (grid->GetLayoutFromDataset() && !GetAssignedValues().Contains(cvWidth)) return;
  }
  if (value != -1 && (GetAssignedValues().Contains(cvWidth) || value != DefaultWidth() || loading)) {
    if (maxWidth_ > 0 && value > maxWidth_) value = maxWidth_;
    if (value < minWidth_) value = minWidth_;
    width_ = value;
    AssignedValuesRef().Include(cvWidth);
  }
  Changed(false);
}

void TColumnEh::SetMinWidth(Integer value) {
  minWidth_ = value;
  if (value > 0 && GetWidth() < value) SetWidth(value);
}

void TColumnEh::SetMaxWidth(Integer value) {
  maxWidth_ = value;
  if (value > 0 && GetWidth() > value) SetWidth(value);
}

void TColumnEh::SetAutoFitColWidth(bool value) {
  if (autoFitColWidth_ == value) return;
  autoFitColWidth_ = value;
  TCustomDBGridEh* grid = GetDBGrid();
  if (grid && grid->IsAutoFitColWidthsActive() && !grid->IsLoading()) SetWidth(initWidth_);
  Changed(false);
}

void TColumnEh::SetHideDuplicates(bool value) {
  if (hideDuplicates_ == value) return;
  hideDuplicates_ = value;
  Changed(false);
}

void TDBGridColumnEh::Published(TPropBuilder<TDBGridColumnEh>& p) {
  p.Bool(u"AutoFitColWidth", &TColumnEh::GetAutoFitColWidth, &TColumnEh::SetAutoFitColWidth).Default(1);
  p.Object(u"CellButtons", &TAxisBarEh::GetCellButtons, &TAxisBarEh::SetCellButtons);
  p.Bool(u"HideDuplicates", &TColumnEh::GetHideDuplicates, &TColumnEh::SetHideDuplicates).Default(0);
  p.Int(u"MaxWidth", &TColumnEh::GetMaxWidth, &TColumnEh::SetMaxWidth).Default(0);
  p.Int(u"MinWidth", &TColumnEh::GetMinWidth, &TColumnEh::SetMinWidth).Default(0);
  p.Int(u"Width", &TColumnEh::GetWidth, &TColumnEh::SetWidth).NoDefault().Stored(&TColumnEh::IsWidthStored);
  p.Object(u"Footer", &TColumnEh::GetFooter, &TColumnEh::SetFooter);
  p.Object(u"Footers", &TColumnEh::GetFooters, &TColumnEh::SetFooters);
  p.Event(u"OnAdvDrawDataCell", &TColumnEh::OnAdvDrawDataCell, u"TDBGridEhAdvDrawColumnDataEvent");
  p.Event(u"OnGetCellParams", &TColumnEh::OnGetCellParams, u"TColCellParamsEvent");
}

// ======================= Defaults =======================

TAlignment TCustomDBGridEh::GetTitleLineMode() {
  return titleParams_ && titleParams_->GetMultiTitle() ? taCenter : taLeftJustify;
}

void TCustomDBGridEh::Loaded() {
  TCustomDBAxisGridEh::Loaded();
  GetColumns()->RebuildSortMarkedList();
}

TColumnDefValuesEh::TColumnDefValuesEh(TCustomDBAxisGridEh* grid) : TCustomColumnDefValuesEh(grid) {
  InitTitle();
}

void TColumnDefValuesEh::Assign(TPersistent* source) {
  TCustomColumnDefValuesEh::Assign(source);
  if (auto* src = dynamic_cast<TColumnDefValuesEh*>(source)) {
    footer_->Assign(src->footer_.get());
    SetEditButtonDrawBackTime(src->GetEditButtonDrawBackTime());
    SetLayout(src->GetLayout());
    SetHighlightRequired(src->GetHighlightRequired());
  }
}

void TColumnTitleDefValuesEh::Assign(TPersistent* source) {
  TAxisBarCaptionDefValuesEh::Assign(source);
  if (auto* src = dynamic_cast<TColumnTitleDefValuesEh*>(source)) SetShowImageAndText(src->showImageAndText_);
}

void TColumnTitleDefValuesEh::SetShowImageAndText(bool value) {
  if (showImageAndText_ == value) return;
  showImageAndText_ = value;
  if (TCustomDBAxisGridEh* grid = GetGrid()) grid->Invalidate();
}

// ======================= Empty-data info and indicator title =======================

TGridEmptyDataInfoEh::~TGridEmptyDataInfoEh() = default;

void TGridEmptyDataInfoEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TGridEmptyDataInfoEh*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  SetActive(src->active_);
  SetText(src->text_);
  if (!src->parentFont_) SetFont(src->font_.get());
  SetParentFont(src->parentFont_);
}

TFont* TGridEmptyDataInfoEh::GetFont() {
  if (!font_) {
    font_ = std::make_unique<TFont>();
    if (grid_) font_->Assign(grid_->GetFont());
    font_->SetColor(clGray);
    font_->OnChange = TNotifyEvent(this, &TGridEmptyDataInfoEh::EmptyInfoFontChanged);
  }
  RefreshDefaultFont();
  return font_.get();
}

void TGridEmptyDataInfoEh::RefreshDefaultFont() {
  if (!parentFont_ || !font_ || !grid_ || fontSyncing_) return;
  fontSyncing_ = true;
  auto done = MakeScopeExit([this] { fontSyncing_ = false; });
  TFont* gridFont = grid_->GetFont();
  font_->SetSize(gridFont->GetSize());
  font_->SetName(gridFont->GetName());
  font_->SetCharset(gridFont->GetCharset());
}

void TGridEmptyDataInfoEh::SetParentFont(bool value) {
  if (parentFont_ == value) return;
  parentFont_ = value;
  RefreshDefaultFont();
  if (grid_) grid_->Invalidate();
}

void TGridEmptyDataInfoEh::EmptyInfoFontChanged(TObject*) {
  if (fontSyncing_) return;
  parentFont_ = false;
  if (grid_) grid_->Invalidate();
}

TRect TGridEmptyDataInfoEh::GetDrawRect() {
  TCanvas* canvas = GetScreenCanvasEh();
  canvas->GetFont()->Assign(GetFont());
  const String text = GetDisplayText();
  const Integer textWidth = canvas->TextWidth(text);
  const Integer textHeight = canvas->TextHeight(text) + 2;
  TGridAxisDataEh* horz = grid_->GetHorzAxis();
  TGridAxisDataEh* vert = grid_->GetVertAxis();
  const TRect area(horz->GetFixedBoundary() - horz->GetFrozenLen() + 10,
                   vert->GetFixedBoundary() - vert->GetFrozenLen() + 10, horz->GetContraStart() - 10,
                   vert->GetContraStart() - 10);
  TRect rect(area.Left, area.Top, area.Left + textWidth, area.Top + textHeight);
  if (area.Width() < textWidth) {
    rect = TRect(area.Left, area.Top, area.Right, area.Top);
    DrawTextWEh(canvas->GetHandle(), text, rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    rect.Right = area.Right;
  }
  const Integer dx = area.Left + (area.Width() - rect.Width()) / 2 - rect.Left;
  const Integer dy = area.Top + (area.Height() - rect.Height()) / 2 - rect.Top;
  return TRect(rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy);
}

void TGridEmptyDataInfoEh::PaintEmptyDataInfo() {
  TCanvas* canvas = grid_->GetCanvas();
  TRect textRect = GetDrawRect();
  const TRect rect(textRect.Left - 5, textRect.Top - 5, textRect.Right + 5, textRect.Bottom + 5);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(grid_->GetColor());
  canvas->FillRect(rect);
  canvas->GetFont()->Assign(GetFont());
  DrawTextWEh(canvas->GetHandle(), GetDisplayText(), textRect, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  if (grid_->GetOptionsEh().Contains(dghExtendVertLines)) {
    canvas->GetBrush()->SetColor(
        MixColorsEh(ColorToRGB(GetFont()->GetColor()), ColorToRGB(grid_->GetColor()), 192));
    canvas->FrameRect(TRect(rect.Left - 1, rect.Top - 1, rect.Right + 1, rect.Bottom + 1));
  }
}

void TDBGridEhIndicatorTitle::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TDBGridEhIndicatorTitle*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  SetShowDropDownSign(src->showDropDownSign_);
  titleButton_ = src->titleButton_;
  useGlobalMenu_ = src->useGlobalMenu_;
  SetDropdownMenu(src->dropdownMenu_);
}

void TDBGridEhIndicatorTitle::SetDropdownMenu(TPopupMenu* value) {
  if (dropdownMenu_ == value) return;
  dropdownMenu_ = value;
  if (dropdownMenu_) dropdownMenu_->FreeNotification(grid_);
}

void TDBGridEhPopupMenuParams::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TDBGridEhPopupMenuParams*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  useGlobalMenu_ = src->useGlobalMenu_;
  SetUseIndicatorMenu(src->GetUseIndicatorMenu());
  SetBuildMenuOnPopup(src->GetBuildMenuOnPopup());
}

TPersistent* TDBGridEhPopupMenuParams::GetOwner() const { return grid_; }
bool TDBGridEhPopupMenuParams::GetUseIndicatorMenu() const { return grid_->useIndicatorMenu_; }
void TDBGridEhPopupMenuParams::SetUseIndicatorMenu(bool value) { grid_->useIndicatorMenu_ = value; }
bool TDBGridEhPopupMenuParams::GetBuildMenuOnPopup() const { return grid_->buildMenuOnPopup_; }
void TDBGridEhPopupMenuParams::SetBuildMenuOnPopup(bool value) { grid_->buildMenuOnPopup_ = value; }

// ======================= Background picture =======================

TDBGridBackgroundDataEh::TDBGridBackgroundDataEh(TCustomDBGridEh* grid)
    : TGridBackgroundDataEh(grid), dbGrid_(grid) {}

void TDBGridBackgroundDataEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TGridBackgroundDataEh*>(source);
  if (!src) {
    TGridBackgroundDataEh::Assign(source);
    return;
  }
  SetPicture(src->GetPicture());
  SetPlacement(src->GetPlacement());
  SetHorzMargin(src->GetHorzMargin());
  SetVertMargin(src->GetVertMargin());
  SetVisible(src->GetVisible());
  if (auto* db = dynamic_cast<TDBGridBackgroundDataEh*>(source)) {
    SetExcludeTitle(db->excludeTitle_);
    SetExcludeIndicator(db->excludeIndicator_);
    SetExcludeFooter(db->excludeFooter_);
  }
}

void TDBGridBackgroundDataEh::SetFlag(bool& flag, bool value) {
  if (flag == value) return;
  flag = value;
  dbGrid_->Invalidate();
}
void TDBGridBackgroundDataEh::SetExcludeTitle(bool value) { SetFlag(excludeTitle_, value); }
void TDBGridBackgroundDataEh::SetExcludeIndicator(bool value) { SetFlag(excludeIndicator_, value); }
void TDBGridBackgroundDataEh::SetExcludeFooter(bool value) { SetFlag(excludeFooter_, value); }

TRect TDBGridBackgroundDataEh::BoundRect() const {
  TRect r = TGridBackgroundDataEh::BoundRect();
  TGridAxisDataEh* horz = dbGrid_->GetHorzAxis();
  TGridAxisDataEh* vert = dbGrid_->GetVertAxis();
  if (excludeFooter_) r.Bottom = vert->GetContraStart();
  if (excludeIndicator_) r.Left += horz->GetFixedBoundary() - horz->GetFrozenLen();
  if (excludeTitle_) r.Top += vert->GetFixedBoundary();
  return r;
}

TAxisBarCaptionDefValuesEh* TColumnDefValuesEh::CreateTitleDefValues() {
  return new TColumnTitleDefValuesEh(this);
}

// ======================= Collection =======================

TDBGridColumnsEh::TDBGridColumnsEh(TCustomDBGridEh* grid, TClass columnClass)
    : TGridAxisBarsEh(grid, columnClass) {}

TCustomDBGridEh* TDBGridColumnsEh::GetDBGrid() const { return static_cast<TCustomDBGridEh*>(GetGrid()); }

void TDBGridColumnsEh::Update(TCollectionItem* item) {
  TCustomDBGridEh* grid = GetDBGrid();
  if (!grid || grid->IsLoading() || grid->IsDestroying()) return;
  if (!item) RebuildSortMarkedList();
  grid->LayoutChanged();
  // A selected column that went away or hid gives way to the first visible one.
  const Integer selected = grid->GetSelectedIndex();
  if (grid->GetVisibleColumns()->GetCount() > 0 &&
      (selected >= GetCount() || (selected >= 0 && !GetColumn(selected)->GetVisible())))
    grid->SetSelectedIndex(grid->GetVisibleColumns()->GetColumn(0)->GetIndex());
  if (grid->GetLayoutLock() == 0) grid->InvalidateEditor();
}

void TDBGridColumnsEh::RebuildSortMarkedList() {
  TCustomDBGridEh* grid = GetDBGrid();
  if (!grid) return;
  TColumnsEhList* sorted = grid->GetSortMarkedColumns();
  sorted->Clear();
  std::vector<TColumnEh*> marked;
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetColumn(i)->GetTitle()->GetSortIndex() > 0) marked.push_back(GetColumn(i));
  std::stable_sort(marked.begin(), marked.end(), [](TColumnEh* a, TColumnEh* b) {
    return a->GetTitle()->GetSortIndex() < b->GetTitle()->GetSortIndex();
  });
  for (TColumnEh* c : marked) sorted->Add(c);
}

// The field value lists belong to the dataset's earlier opening; lookups find their fields anew.
void TDBGridColumnsEh::ActiveChanged() {
  TGridAxisBarsEh::ActiveChanged();
  for (Integer i = 0; i < GetCount(); ++i)
    if (TDBLookupDataEh* lookup = GetColumn(i)->GetLookupParams()) lookup->UpdateLookupState();
}

bool TDBGridColumnsEh::ExistFooterValueType(TFooterValueType valueType) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetColumn(i)->GetFooter()->GetValueType() == valueType) return true;
  return false;
}

void TDBGridColumnsEh::GetColumnNames(TStrings* list) const {
  for (Integer i = 0; i < GetCount(); ++i) list->Add(GetColumn(i)->GetName());
}

TColumnEh* TDBGridColumnsEh::VisibleColumnAt(Integer index) const {
  TCustomDBGridEh* grid = GetDBGrid();
  TColumnsEhList* visible = grid ? grid->GetVisibleColumns() : nullptr;
  return visible && index >= 0 && index < visible->GetCount() ? visible->GetColumn(index) : nullptr;
}

TColumnEh* TDBGridColumnsEh::GetFirstFrozenVisibleColumn() const {
  const Integer frozen = GetDBGrid() ? GetDBGrid()->GetFrozenColCount() : 0;
  return frozen > 0 ? VisibleColumnAt(0) : nullptr;
}

TColumnEh* TDBGridColumnsEh::GetLastFrozenVisibleColumn() const {
  const Integer frozen = GetDBGrid() ? GetDBGrid()->GetFrozenColCount() : 0;
  return frozen > 0 ? VisibleColumnAt(frozen - 1) : nullptr;
}

TColumnEh* TDBGridColumnsEh::GetFirstContraVisibleColumn() const {
  TCustomDBGridEh* grid = GetDBGrid();
  const Integer contra = grid ? grid->GetContraColCount() : 0;
  return contra > 0 ? VisibleColumnAt(grid->GetVisibleColumns()->GetCount() - contra) : nullptr;
}

TColumnEh* TDBGridColumnsEh::GetLastContraVisibleColumn() const {
  TCustomDBGridEh* grid = GetDBGrid();
  const Integer contra = grid ? grid->GetContraColCount() : 0;
  return contra > 0 ? VisibleColumnAt(grid->GetVisibleColumns()->GetCount() - 1) : nullptr;
}

String TDBGridColumnsEh::GetColumnsIndex() const {
  String result;
  for (Integer i = 0; i < GetCount(); ++i) {
    if (i > 0) result += u",";
    result += u"\"" + GetColumn(i)->GetFieldName() + u"\"";
  }
  return result;
}

// Names that match no column keep their place in the count; a place past the last column is
// skipped rather than failing halfway through a restore.
void TDBGridColumnsEh::SetColumnsIndex(const String& value) {
  TStringList names;
  names.SetCommaText(value);
  BeginUpdate();
  auto end = MakeScopeExit([this] { EndUpdate(); });
  for (Integer i = 0; i < names.GetCount() && i < GetCount(); ++i) {
    for (Integer j = 0; j < GetCount(); ++j) {
      if (GetColumn(j)->GetFieldName() == names.Get(i)) {
        GetColumn(j)->TCollectionItem::SetIndex(i);
        break;
      }
    }
  }
}

namespace {
bool IsTabStop(TColumnEh* column) { return column->CanEditValue(); }
}  // namespace

TColumnEh* TDBGridColumnsEh::GetFirstTabColumn() const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (IsTabStop(GetColumn(i))) return GetColumn(i);
  return nullptr;
}

TColumnEh* TDBGridColumnsEh::GetLastTabColumn() const {
  const Integer contra = GetDBGrid() ? GetDBGrid()->GetContraColCountProp() : 0;
  for (Integer i = GetCount() - contra - 1; i >= 0; --i)
    if (IsTabStop(GetColumn(i))) return GetColumn(i);
  return nullptr;
}

TColumnEh* TDBGridColumnsEh::GetNextTabColumn(TColumnEh* forColumn, bool goForward) const {
  const Integer contra = GetDBGrid() ? GetDBGrid()->GetContraColCountProp() : 0;
  const Integer start = forColumn->GetIndex();
  for (Integer i = start + (goForward ? 1 : -1); i >= 0 && i < GetCount() - contra && i != start;
       i += goForward ? 1 : -1)
    if (IsTabStop(GetColumn(i))) return GetColumn(i);
  return forColumn;
}

// ======================= Area parameter objects =======================

TDBGridAreaParamsEh::TDBGridAreaParamsEh(TCustomDBGridEh* grid)
    : grid_(grid), font_(std::make_unique<TFont>()) {
  font_->OnChange = TNotifyEvent(this, &TDBGridAreaParamsEh::FontChanged);
}

TDBGridAreaParamsEh::~TDBGridAreaParamsEh() = default;

TPersistent* TDBGridAreaParamsEh::GetOwner() const { return grid_; }

void TDBGridAreaParamsEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TDBGridAreaParamsEh*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  color_ = src->color_;
  fillStyle_ = src->fillStyle_;
  parentFont_ = src->parentFont_;
  if (!parentFont_) {
    font_->Assign(src->font_.get());
    parentFont_ = false;
  }
  vertLineColor_ = src->vertLineColor_;
  horzLineColor_ = src->horzLineColor_;
  vertLines_ = src->vertLines_;
  horzLines_ = src->horzLines_;
  vertLinesStored_ = src->vertLinesStored_;
  horzLinesStored_ = src->horzLinesStored_;
  RefreshDefaultFont();
  Changed(true);
}

TColor TDBGridAreaParamsEh::DefaultColor() const { return clBtnFace; }

TColor TDBGridAreaParamsEh::DefaultLineColor() const {
  return grid_ ? grid_->GetGridLineColors()->GetDarkColor() : clBtnShadow;
}

TColor TDBGridAreaParamsEh::GetFillStyleColor() const {
  return color_ == clDefault ? DefaultColor() : color_;
}

void TDBGridAreaParamsEh::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  Changed();
}

void TDBGridAreaParamsEh::SetColorStored(bool value) { SetColor(value ? DefaultColor() : clDefault); }

void TDBGridAreaParamsEh::SetFillStyle(TGridCellFillStyleEh value) {
  if (fillStyle_ == value) return;
  fillStyle_ = value;
  Changed();
}

// Without themes a themed or gradient fill falls back to what the classic look can draw.
TGridCellFillStyleEh TDBGridAreaParamsEh::GetActualFillStyle() const {
  const bool themes = ThemesEnabledEh();
  const bool threeD = grid_ && grid_->GetOptionsEh().Contains(ThreeDOption());
  TGridCellFillStyleEh result = fillStyle_;
  if (fillStyle_ == cfstDefaultEh) {
    if (grid_ && grid_->GetFlat())
      result = threeD && themes ? cfstGradientEh : cfstSolidEh;
    else
      result = threeD && themes ? cfstThemedEh : cfstSolidEh;
  } else if (fillStyle_ == cfstThemedEh && !themes && !ExplicitThemedKept()) {
    result = threeD ? cfstGradientEh : cfstSolidEh;
  }
  TDBGridEhStyle* style = grid_ ? grid_->GetStyle() : nullptr;
  if (result == cfstGradientEh && !themes && !(style && style->GetGradientEnabledInClassicTheme()))
    result = cfstSolidEh;
  return result;
}

void TDBGridAreaParamsEh::SetParentFont(bool value) {
  if (parentFont_ == value) return;
  parentFont_ = value;
  RefreshDefaultFont();
  Changed();
}

void TDBGridAreaParamsEh::RefreshDefaultFont() {
  if (!parentFont_ || syncing_ || !grid_) return;
  syncing_ = true;
  auto done = MakeScopeExit([this] { syncing_ = false; });
  font_->Assign(grid_->GetFont());
}

// Setting the font by hand ends its following of the grid's font; a form being read sets it by hand
// too, and its ParentFont value comes with it.
void TDBGridAreaParamsEh::FontChanged(TObject*) {
  if (syncing_) return;
  if (!grid_ || !grid_->IsLoading()) parentFont_ = false;
  Changed(true);
}

TColor TDBGridAreaParamsEh::GetVertLineColor() const {
  return vertLineColor_ == clDefault ? DefaultLineColor() : vertLineColor_;
}

void TDBGridAreaParamsEh::SetVertLineColor(TColor value) {
  vertLineColor_ = value;
  Changed();
}

TColor TDBGridAreaParamsEh::GetHorzLineColor() const {
  return horzLineColor_ == clDefault ? DefaultLineColor() : horzLineColor_;
}

void TDBGridAreaParamsEh::SetHorzLineColor(TColor value) {
  horzLineColor_ = value;
  Changed();
}

bool TDBGridAreaParamsEh::GetVertLines() const {
  if (vertLinesStored_ || !grid_) return vertLines_;
  return grid_->GetDBOptions().Contains(dgColLines);
}

void TDBGridAreaParamsEh::SetVertLines(bool value) {
  if (vertLinesStored_ && vertLines_ == value) return;
  vertLines_ = value;
  vertLinesStored_ = true;
  Changed(LinesChangeLayout());
}

void TDBGridAreaParamsEh::SetVertLinesStored(bool value) {
  if (value == vertLinesStored_) return;
  if (value) vertLines_ = GetVertLines();
  vertLinesStored_ = value;
  Changed(LinesChangeLayout());
}

bool TDBGridAreaParamsEh::GetHorzLines() const {
  if (horzLinesStored_ || !grid_) return horzLines_;
  return grid_->GetDBOptions().Contains(dgRowLines);
}

void TDBGridAreaParamsEh::SetHorzLines(bool value) {
  if (horzLinesStored_ && horzLines_ == value) return;
  horzLines_ = value;
  horzLinesStored_ = true;
  Changed(LinesChangeLayout());
}

void TDBGridAreaParamsEh::SetHorzLinesStored(bool value) {
  if (value == horzLinesStored_) return;
  if (value) horzLines_ = GetHorzLines();
  horzLinesStored_ = value;
  Changed(LinesChangeLayout());
}

void TDBGridAreaParamsEh::Changed(bool relayout) {
  if (!grid_ || grid_->IsDestroying()) return;
  if (relayout)
    grid_->LayoutChanged();
  else
    grid_->Invalidate();
}

void TDBGridTitleParamsEh::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TDBGridTitleParamsEh*>(source)) {
    multiTitle_ = src->multiTitle_;
    rowHeight_ = src->rowHeight_;
    rowLines_ = src->rowLines_;
    borderInFillStyle_ = src->borderInFillStyle_;
    secondColor_ = src->secondColor_;
    vTitleMargin_ = src->vTitleMargin_;
    sortMarkerStyle_ = src->sortMarkerStyle_;
    sortMarkerStyleStored_ = src->sortMarkerStyleStored_;
    SetImages(src->GetImages());
    SetPopupMenu(src->GetPopupMenu());
  }
  TDBGridAreaParamsEh::Assign(source);
}

void TDBGridTitleParamsEh::SetPopupMenu(TPopupMenu* value) {
  if (popupMenu_ == value) return;
  popupMenu_ = value;
  if (popupMenu_ && GetGrid()) popupMenu_->FreeNotification(GetGrid());
}

TDBGridTitleParamsEh::~TDBGridTitleParamsEh() {
  if (images_) images_->UnRegisterChanges(imagesLink_.get());
}

void TDBGridTitleParamsEh::SetImages(TCustomImageList* value) {
  if (images_ == value) return;
  if (!imagesLink_) {
    imagesLink_ = std::make_unique<TChangeLink>();
    imagesLink_->OnChange = [this](TObject*) { Changed(); };
    imagesWatch_ = std::make_unique<TFreeWatchEh>([this](TComponent* c) {
      // A list being freed is only forgotten: nothing is asked of it any more.
      if (c != images_) return;
      images_ = nullptr;
      Changed(true);
    });
  }
  if (images_) {
    images_->UnRegisterChanges(imagesLink_.get());
    imagesWatch_->RemoveFreeNotification(images_);
  }
  images_ = value;
  if (images_) {
    images_->RegisterChanges(imagesLink_.get());
    imagesWatch_->FreeNotification(images_);
  }
  Changed(true);
}

TColor TDBGridTitleParamsEh::DefaultColor() const { return grid_ ? grid_->GetFixedColor() : clBtnFace; }

void TDBGridTitleParamsEh::SetMultiTitle(bool value) {
  if (multiTitle_ == value) return;
  multiTitle_ = value;
  Changed(true);
}

TSortMarkerStyleEh TDBGridTitleParamsEh::GetSortMarkerStyle() const {
  if (sortMarkerStyleStored_) return sortMarkerStyle_;
  TDBGridEhStyle* style = grid_ ? grid_->GetStyle() : nullptr;
  return style ? style->GetSortMarkerStyle() : smstDefaultEh;
}

void TDBGridTitleParamsEh::SetSortMarkerStyle(TSortMarkerStyleEh value) {
  if (sortMarkerStyleStored_ && sortMarkerStyle_ == value) return;
  sortMarkerStyle_ = value;
  sortMarkerStyleStored_ = true;
  Changed();
}

void TDBGridTitleParamsEh::SetSortMarkerStyleStored(bool value) {
  if (value == sortMarkerStyleStored_) return;
  if (value) sortMarkerStyle_ = GetSortMarkerStyle();
  sortMarkerStyleStored_ = value;
  Changed();
}

void TDBGridTitleParamsEh::SetRowHeight(Integer value) {
  rowHeight_ = std::max(0, value);
  Changed(true);
}

void TDBGridTitleParamsEh::SetRowLines(Integer value) {
  rowLines_ = std::max(0, value);
  Changed(true);
}

void TDBGridTitleParamsEh::SetBorderInFillStyle(bool value) {
  if (borderInFillStyle_ == value) return;
  borderInFillStyle_ = value;
  Changed(true);
}

TColor TDBGridTitleParamsEh::GetSecondColor() const {
  if (secondColor_ != clDefault) return secondColor_;
  return grid_ ? grid_->GetColor() : clWindow;
}

void TDBGridTitleParamsEh::SetSecondColor(TColor value) {
  if (secondColor_ == value) return;
  secondColor_ = value;
  Changed();
}

void TDBGridTitleParamsEh::SetSecondColorStored(bool value) {
  if (value == GetSecondColorStored()) return;
  SetSecondColor(value ? GetSecondColor() : clDefault);
}

void TDBGridTitleParamsEh::SetVTitleMargin(Integer value) {
  if (vTitleMargin_ == value) return;
  vTitleMargin_ = value;
  Changed(true);
}

TColor TDBGridIndicatorParamsEh::DefaultColor() const { return grid_ ? grid_->GetFixedColor() : clBtnFace; }

void TDBGridIndicatorParamsEh::SetRecNoShowStep(Integer value) {
  recNoShowStep_ = value;
  Changed();
}

TColor TDBGridFooterParamsEh::DefaultColor() const { return grid_ ? grid_->GetColor() : clWindow; }

void TDBGridFooterParamsEh::SetRowHeight(Integer value) {
  rowHeight_ = std::max(0, value);
  Changed(true);
}

void TDBGridFooterParamsEh::SetRowLines(Integer value) {
  rowLines_ = std::max(0, value);
  Changed(true);
}

// ======================= Storage interceptors =======================

void TColumnEhPropertyInterceptor::Published(TPropBuilder<TColumnEhPropertyInterceptor>& p) {
  p.Int(u"Width", &TColumnEhPropertyInterceptor::GetWidth, &TColumnEhPropertyInterceptor::SetWidth);
}

Integer TColumnEhPropertyInterceptor::GetWidth() const {
  auto* column = dynamic_cast<TColumnEh*>(GetTarget());
  return column ? column->GetWidth() : 0;
}

// A restored width is the width before fitting while the grid fits widths; the fitting then shares
// the room out in proportion again.
void TColumnEhPropertyInterceptor::SetWidth(Integer value) {
  auto* column = dynamic_cast<TColumnEh*>(GetTarget());
  if (!column) return;
  TCustomDBGridEh* grid = column->GetDBGrid();
  if (grid && grid->GetAutoFitColWidths())
    column->SetInitWidth(value);
  else
    column->SetWidth(value);
}

void TColumnsEhPropertyInterceptor::Published(TPropBuilder<TColumnsEhPropertyInterceptor>& p) {
  p.Str(u"ColumnsIndex", &TColumnsEhPropertyInterceptor::GetColumnsIndex,
        &TColumnsEhPropertyInterceptor::SetColumnsIndex);
}

String TColumnsEhPropertyInterceptor::GetColumnsIndex() const {
  auto* columns = dynamic_cast<TDBGridColumnsEh*>(GetTarget());
  return columns ? columns->GetColumnsIndex() : String();
}

void TColumnsEhPropertyInterceptor::SetColumnsIndex(const String& value) {
  if (auto* columns = dynamic_cast<TDBGridColumnsEh*>(GetTarget())) columns->SetColumnsIndex(value);
}

void RegisterDBGridColumnInterceptorsEh() {
  RegisterPropertyInterceptorEh(TColumnEh::StaticClass(), TColumnEhPropertyInterceptor::StaticClass());
  RegisterPropertyInterceptorEh(TDBGridColumnsEh::StaticClass(),
                                TColumnsEhPropertyInterceptor::StaticClass());
}

String VarListToTextEh(const Variant& value) {
  if (!VarIsArray(value)) return VarToStr(value);
  String text;
  for (int i = VarArrayLowBound(value, 1); i <= VarArrayHighBound(value, 1); ++i) {
    if (!text.empty()) text += u",";
    text += u"'" + VarToStr(VarArrayGet(value, i)) + u"'";
  }
  return text;
}
