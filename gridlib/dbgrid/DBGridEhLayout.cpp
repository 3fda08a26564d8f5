// The data grid's geometry: columns and options become the base grid's columns, rows and sizes; the
// row areas; automatic column widths; reading a visible row without moving the dataset.
#include <algorithm>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Grids.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"

// ======================= Layout =======================

void TCustomDBGridEh::InternalLayout() {
  if (IsLoading() || IsDestroying()) return;
  LockPaint();
  auto unlock = MakeScopeExit([this] { UnlockPaint(); });
  colWidthsChanged_ = false;
  // A change of the grid's font ends in a layout: the area fonts that follow it take it here.
  titleParams_->RefreshDefaultFont();
  indicatorParams_->RefreshDefaultFont();
  footerParams_->RefreshDefaultFont();
  indicatorOffset_ = IndicatorVisible() ? 1 : 0;
  TCustomDBAxisGridEh::InternalLayout();

  TDBGridColumnsEh* columns = GetColumns();
  TColumnsEhList* visible = GetVisibleColumns();
  for (Integer i = 0; i < columns->GetCount(); ++i)
    if (columns->GetColumn(i)->GetVisible()) visible->Add(columns->GetColumn(i));

  const Integer count = visible->GetCount();
  Integer frozen = 0, contra = 0;
  if (GetDataLink()->GetActive() || columns->GetState() == csCustomized) {
    frozen = std::clamp(frozenCols_, 0, std::max(0, count - 1));
    contra = contraColCount_ < count - frozen ? contraColCount_ : std::max(0, count - frozen - 1);
    contra = std::max(0, contra);
  }
  columns->firstScrollVisible_ = frozen < count ? visible->GetColumn(frozen) : nullptr;
  columns->lastScrollVisible_ =
      count - contra - 1 >= frozen ? visible->GetColumn(count - contra - 1) : nullptr;

  // The counts shrink first so that no step leaves more fixed than total columns.
  SetFrozenColCount(0);
  SetContraColCount(0);
  const Integer fixed = frozen + indicatorOffset_;
  SetFixedColCount(fixed);
  SetColCount(std::max(fixed + 1, count + indicatorOffset_ - contra));
  SetContraColCount(contra);
  SetFrozenColCount(frozen);

  CalcRowHeights();
  UpdateColWidths();
  if (IsAutoFitColWidthsActive() && HandleAllocated()) FitColWidths();
  UpdateRowCount();
  SynchronizeCurrentCell();
  Invalidate();
}

// Row and title heights from the fonts: the text line plus the cell's border.
void TCustomDBGridEh::CalcRowHeights() {
  TCanvas* canvas = GetScreenCanvasEh();
  canvas->GetFont()->Assign(GetFont());
  const Integer h = std::max(1, canvas->TextHeight(u"Wg"));
  Integer border = GetFlat() ? 1 : 3;
  if (options_.Contains(dgRowLines)) border += GetGridLineWidth();
  Integer rowHeight = h + border;
  stdDefaultTextHeight_ = h;
  if (newRowHeight_ > 0 || rowLines_ > 0) rowHeight = newRowHeight_ + rowLines_ * h;
  if (optionsEh_.Contains(dghFitRowHeightToText)) {
    const Integer n = (rowHeight - border) / h, rest = (rowHeight - border) % h;
    rowHeight = (rest <= h / 2 && n != 0 ? n : n + 1) * h + border;
    rowLines_ = (rowHeight - border) / h;
    newRowHeight_ = border;
  }
  stdDefaultRowHeight_ = std::max(1, rowHeight);

  // The title line: the tallest title font of the columns, or the grid's title font.
  Integer title = 0;
  for (Integer i = 0; i < GetColumns()->GetCount(); ++i) {
    canvas->GetFont()->Assign(GetColumns()->GetColumn(i)->GetTitle()->GetFont());
    title = std::max(title, canvas->TextHeight(u"Wg") + GetInterlinear());
  }
  if (GetColumns()->GetCount() == 0) {
    canvas->GetFont()->Assign(titleParams_->GetFont());
    title = canvas->TextHeight(u"Wg") + GetInterlinear();
  }
  if (titleParams_->GetRowHeight() > 0 || titleParams_->GetRowLines() > 0)
    title = titleParams_->GetRowLines() * title + titleParams_->GetRowHeight() +
            (options_.Contains(dgRowLines) ? 1 : 0);
  titleRowHeight_ = BuildMultiTitleTree(std::max(1, title));
  UpdateFooterRowHeights();
}

void TCustomDBGridEh::UpdateColWidths() {
  TColumnsEhList* visible = GetVisibleColumns();
  for (Integer i = 0; i < visible->GetCount(); ++i) {
    const Integer col = DataColToGridCol(i);
    if (col < GetFullColCount() && GetColWidths(col) != visible->GetColumn(i)->GetWidth())
      SetColWidths(col, visible->GetColumn(i)->GetWidth());
  }
  if (indicatorOffset_ > 0) {
    recNoTextWidth_ = CalcIndicatorColWidth();
    SetColWidths(0, recNoTextWidth_);
  }
}

// The indicator's glyph, the record numbers when shown, and the row-select check boxes.
Integer TCustomDBGridEh::CalcIndicatorColWidth() {
  Integer width = options_.Contains(dgIndicator) ? 11 : 0;
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (optionsEh_.Contains(dghShowRecNo) && link && link->GetDataSet())
    width += center_ ? center_->CalcIndicatorRowNumAreaWidth(this) : DefaultCalcIndicatorRowNumAreaWidth();
  if (indicatorOptions_.Contains(gioShowRowselCheckboxesEh)) width += RowselCheckboxesWidth;
  return width;
}

// One zero per digit of the record count, in the grid's font a point smaller.
Integer TCustomDBGridEh::DefaultCalcIndicatorRowNumAreaWidth() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  TDataSet* ds = link ? link->GetDataSet() : nullptr;
  Integer records = link && link->GetActive() && ds && ds->GetActive() ? ds->RecordCount() : 0;
  String zeros = u"0";
  for (Integer extra = 0; records >= 10 && extra <= 101; ++extra, records /= 10) zeros += u"0";
  TCanvas* canvas = GetScreenCanvasEh();
  canvas->GetFont()->Assign(GetFont());
  canvas->GetFont()->SetSize(GetFont()->GetSize() - 1);
  Integer width = canvas->TextWidth(zeros) + 2;
  if (!options_.Contains(dgIndicator)) width += 2;
  return std::max(11, width);
}

void TCustomDBGridEh::SetAutoFitColWidths(bool value) {
  if (autoFitColWidths_ == value) return;
  autoFitColWidths_ = value;
  if (GetComponentState().Contains(csDesigning)) return;
  TDBGridColumnsEh* columns = GetColumns();
  if (!value) {
    // Switching off gives every column back the width it was fitted from.
    BeginLayout();
    auto end = MakeScopeExit([this] { EndLayout(); });
    for (Integer i = 0; i < columns->GetCount(); ++i) {
      TColumnEh* column = columns->GetColumn(i);
      if (column->GetInitWidth() > 0) column->SetWidth(column->GetInitWidth());
    }
  } else if (!IsLoading()) {
    // Switching on remembers the widths to scale from.
    for (Integer i = 0; i < columns->GetCount(); ++i)
      columns->GetColumn(i)->SetInitWidth(columns->GetColumn(i)->GetWidth());
  }
  if (value && GetFixedColCount() < GetColCount()) SetLeftCol(GetFixedColCount());
  LayoutChanged();
}

void TCustomDBGridEh::SetMinAutoFitWidth(Integer value) {
  if (minAutoFitWidth_ == value) return;
  minAutoFitWidth_ = value;
  LayoutChanged();
}

// Checked against the columns only while they are known: an automatic grid over a closed dataset
// takes any count, and the layout freezes at most all but the last column.
void TCustomDBGridEh::SetFrozenCols(Integer value) {
  if (value < 0 || frozenCols_ == value) return;
  const bool unchecked =
      IsLoading() || (!GetDataLink()->GetActive() && GetColumns()->GetState() != csCustomized);
  if (!unchecked && value >= GetColCount() - indicatorOffset_)
    throw EInvalidGridOperationEh(u"Frozen column count must be less than scrollable column count");
  frozenCols_ = value;
  LayoutChanged();
}

void TCustomDBGridEh::SetContraColCountProp(Integer value) {
  if (contraColCount_ == value) return;
  if (!IsLoading()) {
    if (value < 0) throw EInvalidGridOperationEh(SGridIndexOutOfRange);
    const bool columnsKnown =
        TCustomDBAxisGridEh::GetDataLink()->GetActive() || GetColumns()->GetState() == csCustomized;
    if (columnsKnown && value >= GetHorzAxis()->GetFullCelCount() - GetHorzAxis()->GetFixedCelCount())
      throw EInvalidGridOperationEh(u"Contra column count must be less than scrollable column count");
  }
  contraColCount_ = value;
  LayoutChanged();
}

void TCustomDBGridEh::SetFooterRowCount(Integer value) {
  if (value < 0 || footerRowCount_ == value) return;
  footerRowCount_ = value;
  UpdateIntMemTable();
  LayoutChanged();
}

void TCustomDBGridEh::SetRowHeight(Integer value) {
  if (newRowHeight_ == value) return;
  newRowHeight_ = std::max(0, value);
  LayoutChanged();
  UpdateAllDataRowHeights();
}

void TCustomDBGridEh::SetRowLines(Integer value) {
  if (rowLines_ == value) return;
  rowLines_ = std::max(0, value);
  LayoutChanged();
  UpdateAllDataRowHeights();
}

void TCustomDBGridEh::SetRowSizingAllowed(bool value) {
  if (rowSizingAllowed_ == value) return;
  rowSizingAllowed_ = value;
  ApplyBaseOptions();
}

Integer TCustomDBGridEh::GetDataColWidth(Integer col) const {
  return GetColWidths(col) - (options_.Contains(dgColLines) ? GetGridLineWidth() : 0);
}

void TCustomDBGridEh::SetDataColWidth(Integer col, Integer value) {
  SetColWidths(col, value + (options_.Contains(dgColLines) ? GetGridLineWidth() : 0));
}

Integer TCustomDBGridEh::GetDataRowHeight(Integer row) const {
  return GetRowHeights(row) - (options_.Contains(dgRowLines) ? GetGridLineWidth() : 0);
}

void TCustomDBGridEh::SetDataRowHeight(Integer row, Integer value) {
  SetRowHeights(row, value + (options_.Contains(dgRowLines) ? GetGridLineWidth() : 0));
}

void TCustomDBGridEh::ChangeRowHeight(Integer index, Integer height) {
  defaultRowChanged_ = true;
  TCustomDBAxisGridEh::ChangeRowHeight(index, height);
}

void TCustomDBGridEh::RowHeightsChanged() {
  if (defaultRowChanged_ && !optionsEh_.Contains(dghAutoFitRowHeight) && !OnGetRowHeight) {
    defaultRowChanged_ = false;
    for (Integer r = TopDataOffset(); r < GetRowCount(); ++r) {
      if (GetRowHeights(r) == stdDefaultRowHeight_) continue;
      rowLines_ = 0;
      SetRowHeight(GetRowHeights(r));
      UpdateScrollBars();
      break;
    }
  }
  TCustomDBAxisGridEh::RowHeightsChanged();
  if (MemTableSupported()) UpdateScrollBars();
}

// The client width spread over the fitting columns in proportion to their initial widths.
void TCustomDBGridEh::FitColWidths() {
  TColumnsEhList* visible = GetVisibleColumns();
  for (Integer i = 0; i < visible->GetCount(); ++i) visible->GetColumn(i)->SetNotInWidthRange(false);
  Integer sum = 0, target = 0;
  for (Integer pass = 0; pass <= visible->GetCount(); ++pass) {
    Integer fixedPart = 0, base = 0;
    for (Integer i = 0; i < visible->GetCount(); ++i) {
      TColumnEh* c = visible->GetColumn(i);
      if (!c->GetAutoFitColWidth() || c->GetNotInWidthRange())
        fixedPart += c->GetWidth();
      else
        base += c->GetInitWidth();
    }
    // The room left of the vertical bar: a column under the bar would hide its right part.
    target = std::max(GetGridClientWidth(), minAutoFitWidth_) - fixedPart;
    if (indicatorOffset_ > 0) target -= GetColWidths(0) + (options_.Contains(dgColLines) ? 1 : 0);
    if (options_.Contains(dgColLines)) target -= visible->GetCount();
    target = std::max(0, target);
    if (base <= 0) return;
    sum = 0;
    bool marked = false;
    for (Integer i = 0; i < visible->GetCount(); ++i) {
      TColumnEh* c = visible->GetColumn(i);
      if (!c->GetAutoFitColWidth() || c->GetNotInWidthRange()) continue;
      const Integer asked = MulDiv(c->GetInitWidth(), target, base);
      const Integer keep = c->GetInitWidth();
      c->SetWidth(asked);
      c->SetInitWidth(keep);
      if (c->GetWidth() != asked) {
        c->SetNotInWidthRange(true);
        marked = true;
      }
      sum += c->GetWidth();
    }
    if (!marked) break;
  }
  if (sum != target) DistributeAutoFitRest(sum, target);
  UpdateColWidths();
}

void TCustomDBGridEh::DistributeAutoFitRest(Integer sum, Integer target) {
  TColumnsEhList* visible = GetVisibleColumns();
  for (Integer i = visible->GetCount() - 1; i >= 0 && sum != target; --i) {
    TColumnEh* c = visible->GetColumn(i);
    if (!c->GetAutoFitColWidth() || c->GetNotInWidthRange() || c->GetWidth() <= 0) continue;
    const Integer keep = c->GetInitWidth();
    const Integer step = sum > target ? -1 : 1;
    c->SetWidth(c->GetWidth() + step);
    c->SetInitWidth(keep);
    sum += step;
  }
}

// ======================= Rows =======================

Integer TCustomDBGridEh::VisibleDataRowCount() {
  Integer height = GetClientHeight();
  if (GetTitleRowCount() > 0) height -= titleRowHeight_;
  if (IsSTFilterRowUnderTitle()) height -= stdDefaultRowHeight_;
  for (const Integer footer : footerRowHeights_) height -= footer;
  return std::max(1, height / stdDefaultRowHeight_);
}

// One grid row per buffered record between the titles and the footers.
void TCustomDBGridEh::UpdateRowCount() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  Integer records = 1;
  if (MemTableSupported()) {
    link->SetBufferCount(1);
    records = std::max(1, intMemTable_->InstantReadRowCount());
  } else if (link->GetActive()) {
    link->SetBufferCount(VisibleDataRowCount());
    records = std::max(1, link->GetRecordCount());
  }
  SetDefaultRowHeight(stdDefaultRowHeight_);
  SetFixedRowCount(TopDataOffset());
  SetRowCount(TopDataOffset() + records);
  SetContraRowCount(footerRowCount_);
  // Record rows that fit their text keep the heights their records asked for.
  const bool fitted = MemTableSupported() && optionsEh_.Contains(dghAutoFitRowHeight);
  for (Integer r = 0; r < GetFullRowCount(); ++r) {
    const bool data = r >= TopDataOffset() && r < GetRowCount();
    const Integer footer = r - GetRowCount();
    const Integer height = r < GetTitleRowCount() ? titleRowHeight_
                           : data && fitted       ? DataRowHeight(r - TopDataOffset())
                           : footer >= 0 && static_cast<size_t>(footer) < footerRowHeights_.size()
                               ? footerRowHeights_[static_cast<size_t>(footer)]
                               : stdDefaultRowHeight_;
    if (GetRowHeights(r) != height) SetRowHeights(r, height);
  }
  if (MemTableSupported()) FetchVisibleRecords();
}

// The current cell goes to the dataset's record. In view mode the row is one of all the view's rows:
// it is scrolled into view, vertically even with whole-row selection, or the dataset's record could
// stand off screen.
void TCustomDBGridEh::SynchronizeCurrentCell() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive() || IsLoading()) return;
  const bool view = MemTableSupported();
  Integer row = TopDataOffset() + (view ? intMemTable_->GetInstantReadCurRow() : link->GetActiveRecord());
  if (row < TopDataOffset() || row >= GetRowCount()) {
    if (!view) return;
    row = TopDataOffset();
  }
  Integer col = GetCol();
  if (col < GetFixedColCount() && GetFixedColCount() < GetColCount()) col = GetFixedColCount();
  const bool show = !view || !lockAutoShowCurCell_;
  if (row != GetRow() || col != GetCol()) {
    if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
    MoveCurCell(col, row, show && !options_.Contains(dgRowSelect), show);
    UpdateEdit();
    InvalidateEditor();
  } else if (view && show && !fetchingRecords_) {
    ScrollCellIntoView(TGridCoord{col, row}, !options_.Contains(dgRowSelect), true);
  }
  if (view) InvalidateFooter();
}

void TCustomDBGridEh::FetchVisibleRecords() {
  if (!HandleAllocated() || fetchingRecords_ || !MemTableSupported()) return;
  fetchingRecords_ = true;
  auto done = MakeScopeExit([this] { fetchingRecords_ = false; });
  TGridAxisDataEh* axis = GetVertAxis();
  const Int64 dataEnd = axis->GetFixedBoundary() + axis->GetRolLen() - axis->GetRolStartVisPos();
  const Integer contraStart = axis->GetContraStart();
  if (dataEnd < contraStart) {
    intMemTable_->FetchRecords(static_cast<Integer>(contraStart - dataEnd) / stdDefaultRowHeight_ + 1);
  } else if (dataEnd == contraStart && GetLastFullVisibleRow() == GetRowCount() - 1) {
    intMemTable_->FetchRecords(1);
  }
}

TGridRect TCustomDBGridEh::DataBox() const {
  TGridRect box;
  box.Left = indicatorOffset_;
  box.Top = TopDataOffset();
  box.Right = GetFullColCount() - 1;
  box.Bottom = GetRowCount() - 1;
  return box;
}

TCellAreaTypeEh TCustomDBGridEh::GetCellAreaType(Integer col, Integer row, Integer& areaCol,
                                                 Integer& areaRow) const {
  TCellAreaTypeEh result;
  areaCol = col;
  areaRow = row;
  const TGridRect box = DataBox();
  if (col < box.Left) {
    result.HorzType = hctIndicatorEh;
  } else {
    result.HorzType = hctDataEh;
    areaCol = col - indicatorOffset_;
  }
  if (row < GetTitleRowCount()) {
    result.VertType = vctTitleEh;
  } else if (row < GetTitleRowCount() + (IsSTFilterRowUnderTitle() ? 1 : 0)) {
    result.VertType = vctSubTitleEh;
    areaRow = row - GetTitleRowCount();
  } else if (row >= box.Top && row <= box.Bottom) {
    result.VertType = vctDataEh;
    areaRow = row - box.Top;
  } else if (row > box.Bottom) {
    result.VertType = vctFooterEh;
    areaRow = row - (box.Bottom + 1);
  } else {
    throw Exception(u"Algorithm error in TCustomDBGridEh.GetCellType");
  }
  return result;
}

// ======================= Scroll bar =======================

// Pixel scrolling only over view rows: over the link's few buffered rows it would scroll nothing.
bool TCustomDBGridEh::IsExtendedScrollingActive() {
  return MemTableSupported() && center_->GetUseExtendedScrollingForMemTable();
}

// Record numbers come from the sum list, which numbers the records of a dataset that has none itself.
// Without them the bar only tells the beginning, the middle and the end apart.
void TCustomDBGridEh::CalcVertScrollBarParams(Integer& pos, Integer& min, Integer& page, Integer& max) {
  if (IsExtendedScrollingActive()) {
    TCustomDBAxisGridEh::CalcVertScrollBarParams(pos, min, page, max);
    return;
  }
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link) return;
  TDataSet* ds = link->GetDataSet();
  if (link->GetActive() && ds && ds->GetActive()) {
    if (sumList_->GetDataSet() == ds && sumList_->IsSequenced()) {
      min = 1;
      page = VisibleDataRowCount();
      max = sumList_->RecordCount() + page - 1;
      if (ds->GetState() < dsInsert) pos = std::max(1, sumList_->GetRecNo());
      return;
    }
    min = 0;
    page = 0;
    max = 4;
    pos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
    return;
  }
  min = 0;
  page = 2;
  max = 1;
  pos = 0;
}

// ======================= Visible records =======================

// Each reading remembers its own way back: a reading inside another (a painted row's neighbour) must
// return to the outer row, and the last one to the dataset's own record.
void TCustomDBGridEh::InstantReadEnter(Integer index) {
  if (MemTableSupported()) {
    instantReadReturns_.push_back(intMemTable_->GetInstantReadCurRow());
    oldActiveRecord_ = instantReadReturns_.back();
    intMemTable_->InstantReadEnter(index);
    return;
  }
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  instantReadReturns_.push_back(link->GetActiveRecord());
  oldActiveRecord_ = instantReadReturns_.back();
  link->SetActiveRecord(index);
}

void TCustomDBGridEh::InstantReadLeave() {
  const Integer back = instantReadReturns_.empty() ? -1 : instantReadReturns_.back();
  if (!instantReadReturns_.empty()) instantReadReturns_.pop_back();
  oldActiveRecord_ = instantReadReturns_.empty() ? -1 : instantReadReturns_.back();
  if (MemTableSupported()) {
    intMemTable_->InstantReadLeave();
    return;
  }
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (back >= 0) link->SetActiveRecord(back);
}

Integer TCustomDBGridEh::InstantReadRecordCount() const {
  if (intMemTable_ && center_ && center_->GetTryUseViewScroll()) return intMemTable_->InstantReadRowCount();
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  return link->GetActive() ? link->GetRecordCount() : 0;
}

bool TCustomDBGridEh::IsCurrentDataRow(Integer index) const {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive() || link->GetDataSet()->IsEmpty()) return false;
  if (intMemTable_ && center_ && center_->GetTryUseViewScroll())
    return index == intMemTable_->GetInstantReadCurRow();
  return index == link->GetActiveRecord();
}

String TCustomDBGridEh::GetVisibleCellText(Integer dataRow, TColumnEh* column) {
  if (dataRow < 0 || dataRow >= InstantReadRecordCount()) return String();
  InstantReadEnter(dataRow);
  auto leave = MakeScopeExit([this] { InstantReadLeave(); });
  return column->DisplayText();
}
