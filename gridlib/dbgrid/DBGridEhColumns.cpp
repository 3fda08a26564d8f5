// The data grid's columns and titles, their collection with its change reaction, tab order and stored
// order, the grid-wide column defaults and the area parameter objects.
#include <algorithm>
#include <memory>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"

// ======================= Title =======================

void TColumnTitleEh::Published(TPropBuilder<TColumnTitleEh>& p) {
  p.Int(u"ImageIndex", &TColumnTitleEh::GetImageIndex, &TColumnTitleEh::SetImageIndex).Default(-1);
  p.Bool(u"ShowImageAndText", &TColumnTitleEh::GetShowImageAndText, &TColumnTitleEh::SetShowImageAndText)
      .NoDefault()
      .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
        return static_cast<const TColumnTitleEh*>(o)->GetShowImageAndTextStored();
      }));
  p.Int(u"SortIndex", &TColumnTitleEh::GetSortIndex, &TColumnTitleEh::SetSortIndex).Default(0);
}

TColumnEh* TColumnTitleEh::GetColumn() const { return static_cast<TColumnEh*>(GetAxisBar()); }

void TColumnTitleEh::Assign(TPersistent* source) {
  TAxisBarTitleEh::Assign(source);
  if (auto* src = dynamic_cast<TColumnTitleEh*>(source)) {
    sortIndex_ = src->sortIndex_;
    sortMarker_ = src->sortMarker_;
    imageIndex_ = src->imageIndex_;
    showImageAndText_ = src->showImageAndText_;
    showImageAndTextStored_ = src->showImageAndTextStored_;
  }
}

void TColumnTitleEh::SetSortIndex(Integer value) {
  if (sortIndex_ == value) return;
  sortIndex_ = value;
  GetColumn()->Changed(false);
}

void TColumnTitleEh::SetSortMarker(TSortMarkerEh value) {
  if (sortMarker_ == value) return;
  sortMarker_ = value;
  GetColumn()->Changed(false);
}

void TColumnTitleEh::NextSortMarker() { SetSortMarker(sortMarker_ == smDownEh ? smUpEh : smDownEh); }

void TColumnTitleEh::SetImageIndex(TImageIndex value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  if (TCustomDBGridEh* grid = GetColumn()->GetDBGrid()) grid->LayoutChanged();
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
  if (TCustomDBGridEh* grid = GetDBGrid())
    if (TDBGridEhSelection* selection = grid->GetSelection()) selection->GetColumns()->ColumnGone(this);
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
  SetMinWidth(src->minWidth_);
  SetMaxWidth(src->maxWidth_);
  hideDuplicates_ = src->hideDuplicates_;
  footer_->Assign(src->footer_.get());
  footers_->Assign(src->footers_.get());
}

TField* TColumnEh::GetField() { return TBaseColumnEh::GetField(); }

void TColumnEh::SetField(TField* value) {
  if (GetFieldProp() == value) return;
  TBaseColumnEh::SetField(value);
  // A column the grid made follows its field's width.
  if (IsDefaultBar()) initWidth_ = GetWidth();
  footer_->EnsureSumValue();
  for (Integer i = 0; i < footers_->GetCount(); ++i) footers_->GetFooter(i)->EnsureSumValue();
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

TColumnDefValuesEh::TColumnDefValuesEh(TCustomDBAxisGridEh* grid) : TCustomColumnDefValuesEh(grid) {
  InitTitle();
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
  if (!item) {
    // The sort-marked list follows the titles' sort indexes.
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
  grid->LayoutChanged();
  // A selected column that went away or hid gives way to the first visible one.
  const Integer selected = grid->GetSelectedIndex();
  if (grid->GetVisibleColumns()->GetCount() > 0 &&
      (selected >= GetCount() || (selected >= 0 && !GetColumn(selected)->GetVisible())))
    grid->SetSelectedIndex(grid->GetVisibleColumns()->GetColumn(0)->GetIndex());
  if (grid->GetLayoutLock() == 0) grid->InvalidateEditor();
}

void TDBGridColumnsEh::ActiveChanged() { TGridAxisBarsEh::ActiveChanged(); }

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
  }
  TDBGridAreaParamsEh::Assign(source);
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
