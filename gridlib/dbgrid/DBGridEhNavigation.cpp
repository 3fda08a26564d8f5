// Moving the current record through the data grid, and keeping the current record's place on screen
// across a re-read of the dataset.
#include <algorithm>

#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/rtl/ScopeGuard.h"

Integer TCustomDBGridEh::MoveBy(Integer distance) {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return 0;
  return link->MoveBy(distance);
}

bool TCustomDBGridEh::Eof() const { return TCustomDBAxisGridEh::GetDataLink()->Eof(); }

bool TCustomDBGridEh::Bof() const { return TCustomDBAxisGridEh::GetDataLink()->Bof(); }

Integer TCustomDBGridEh::ReferenceBufferRow() const {
  const Integer n = TCustomDBAxisGridEh::GetDataLink()->GetRecordCount();
  return n / 2 - (n + 1) % 2;
}

// A record the table's view filters out or folds away is valid, but not there to go back to.
bool TCustomDBGridEh::BookmarkInVisibleView(const TBookmark& bookmark) {
  if (intMemTable_) return intMemTable_->BookmarkInVisibleView(bookmark);
  TDataSet* ds = GetDataLink()->GetDataSet();
  return ds && ds->BookmarkValid(bookmark);
}

void TCustomDBGridEh::SaveBookmark() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return;
  TDataSet* ds = link->GetDataSet();
  if (MemTableSupported()) {
    lockedBookmark_ = ds->GetBookmark();
    lookedOffset_ = GetRow() - GetTopRow();
    return;
  }
  const Integer n = link->GetRecordCount();
  const Integer a = link->GetActiveRecord();
  lookedOffset_ = a - ReferenceBufferRow();
  if (0 < a - lookedOffset_ && a - lookedOffset_ < n) {
    // The reference row's record is read in place; the dataset does not move.
    InstantReadEnter(a - lookedOffset_);
    auto leave = MakeScopeExit([this] { InstantReadLeave(); });
    lockedBookmark_ = ds->GetBookmark();
  } else {
    lookedOffset_ = 0;
    lockedBookmark_ = ds->GetBookmark();
  }
}

void TCustomDBGridEh::RestoreBookmark() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return;
  TDataSet* ds = link->GetDataSet();
  if (ds->IsEmpty() || (!lockedBookmark_.empty() && !BookmarkInVisibleView(lockedBookmark_))) return;
  ds->SetBookmark(lockedBookmark_);
  if (MemTableSupported())
    KeepRowOnScreen();
  else
    MoveBy(lookedOffset_);
}

// View mode: the current row goes back to its distance from the top, painted once in its place.
void TCustomDBGridEh::KeepRowOnScreen() {
  LockPaint();
  auto unlock = MakeScopeExit([this] {
    UnlockPaint();
    Invalidate();
  });
  SynchronizeCurrentCell();
  SetTopRow(std::max(GetFixedRowCount(), GetRow() - lookedOffset_));
}

void TCustomDBGridEh::CenterCurRowInView() {
  if (!MemTableSupported()) return;
  GetVertAxis()->SafeSetRolStartVisCel(std::max(0, GetRow() - GetFixedRowCount() - GetVisibleRowCount() / 2),
                                       sstByCellEh);
}

void TCustomDBGridEh::ShiftAnchorCell(Integer flags) {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  constexpr Integer up = 4, down = 8;
  if (link->GetActive() && (flags & (up | down))) {
    if (flags & up)
      MoveBy(-(link->GetActiveRecord() + 1));
    else
      MoveBy(link->GetRecordCount() - link->GetActiveRecord());
    flags &= ~(up | down);
  }
  if (flags) TCustomDBAxisGridEh::ShiftAnchorCell(flags);
}

// The reference row's key values are read where they stand on screen, so that taking the position
// leaves the dataset and its events alone.
void TCustomDBGridEh::SaveVertPos(const String& keyFieldNames) {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return;
  TDataSet* ds = link->GetDataSet();
  if (MemTableSupported()) {
    lookedKeyValue_ = ds->FieldValues(keyFieldNames);
    lookedOffset_ = GetRow() - GetTopRow();
    return;
  }
  const Integer n = link->GetRecordCount();
  const Integer a = link->GetActiveRecord();
  lookedOffset_ = a - ReferenceBufferRow();
  const Integer reference = a - lookedOffset_;
  if (reference < 0 || reference >= n) lookedOffset_ = 0;
  InstantReadEnter(a - lookedOffset_);
  auto leave = MakeScopeExit([this] { InstantReadLeave(); });
  lookedKeyValue_ = ds->FieldValues(keyFieldNames);
}

void TCustomDBGridEh::RestoreVertPos(const String& keyFieldNames) {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return;
  if (!link->GetDataSet()->Locate(keyFieldNames, lookedKeyValue_, TLocateOptions())) return;
  if (MemTableSupported())
    KeepRowOnScreen();
  else
    MoveBy(lookedOffset_);
}

void TCustomDBGridEh::VertScroll(Integer scrollCode, Integer pos) {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive() || IsExtendedScrollingActive()) {
    TCustomDBAxisGridEh::VertScroll(scrollCode, pos);
    return;
  }
  TDataSet* ds = link->GetDataSet();
  const Integer active = link->GetActiveRecord();
  const Integer page = VisibleDataRowCount();
  const bool numbered = sumList_->GetDataSet() == ds && sumList_->IsSequenced();
  switch (scrollCode) {
    case SB_LINEUP:
      MoveBy(-active - 1);
      break;
    case SB_LINEDOWN:
      MoveBy(link->GetRecordCount() - active);
      break;
    case SB_PAGEUP:
      MoveBy(-page);
      break;
    case SB_PAGEDOWN:
      MoveBy(page);
      break;
    case SB_THUMBPOSITION:
      if (numbered) {
        MoveBy(pos - sumList_->GetRecNo());
      } else {
        switch (pos) {
          case 0:
            ds->First();
            break;
          case 1:
            MoveBy(-page);
            break;
          case 3:
            MoveBy(page);
            break;
          case 4:
            ds->Last();
            break;
          default:
            break;
        }
      }
      break;
    case SB_THUMBTRACK:
      if (GetVertScrollBar()->GetTracking() && numbered) MoveBy(pos - sumList_->GetRecNo());
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

namespace {
bool AskWheelHandler(const TMouseWheelUpDownEvent& handler, TObject* sender, TShiftState shift, TPoint pos) {
  bool handled = false;
  if (handler) handler(sender, shift, pos, handled);
  return handled;
}
}  // namespace

// In view mode with pixel scrolling the wheel scrolls the view and leaves the record; with Shift it
// moves the record, by a page with Ctrl. Otherwise one record per notch, Ctrl or not.
bool TCustomDBGridEh::MouseWheelStep(Integer direction, TShiftState shift, TPoint mousePos) {
  const TMouseWheelUpDownEvent& handler = direction > 0 ? OnMouseWheelDown : OnMouseWheelUp;
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (link->GetActive() && IsExtendedScrollingActive()) {
    if (!shift.Contains(ssShift))
      return direction > 0 ? TCustomDBAxisGridEh::DoMouseWheelDown(shift, mousePos)
                           : TCustomDBAxisGridEh::DoMouseWheelUp(shift, mousePos);
    if (AskWheelHandler(handler, this, shift, mousePos)) return true;
    if (shift.Contains(ssCtrl))
      MoveBy(direction * VisibleDataRowCount());
    else if (direction > 0)
      link->GetDataSet()->Next();
    else
      link->GetDataSet()->Prior();
    return true;
  }
  if (!AskWheelHandler(handler, this, shift, mousePos) && link->GetActive()) MoveBy(direction);
  return true;
}

bool TCustomDBGridEh::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  return MouseWheelStep(1, shift, mousePos);
}

bool TCustomDBGridEh::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  return MouseWheelStep(-1, shift, mousePos);
}

// A view scrolled to its last read row reads on: the rows below are still with the driver.
void TCustomDBGridEh::ScrollPosChanged(Int64 oldLeftPos, Int64 oldTopPos) {
  TCustomDBAxisGridEh::ScrollPosChanged(oldLeftPos, oldTopPos);
  if (MemTableSupported() && GetTopPos() != oldTopPos) FetchVisibleRecords();
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}
