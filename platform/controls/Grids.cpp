// The class library's grids: geometry of fixed and scrolling cells, painting, the scroll bars the
// grid draws in its non-client margin, keyboard and mouse movement, sizing and moving of columns
// and rows, and the in-place editor; the string grid's sparse cell store.
#include "platform/controls/Grids.h"

#include <algorithm>

#include "platform/classes/Streaming.h"
#include "platform/controls/Forms.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphics.h"

namespace {

constexpr Integer kBarSize = 16;
constexpr Integer kSizingMargin = 3;
constexpr Integer kMinThumb = 8;

const TTypeInfo* GridOptionsType() {
  static const TTypeInfo e = TTypeInfo::Enum(
      u"TGridOption", {u"goFixedVertLine", u"goFixedHorzLine", u"goVertLine", u"goHorzLine", u"goRangeSelect",
                       u"goDrawFocusSelected", u"goRowSizing", u"goColSizing", u"goRowMoving", u"goColMoving",
                       u"goEditing", u"goTabs", u"goRowSelect", u"goAlwaysShowEditor", u"goThumbTracking"});
  static const TTypeInfo t = TTypeInfo::Set(u"TGridOptions", &e);
  return &t;
}

const TGridOptions kDefaultOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};

}  // namespace

// ======================= TInplaceEdit =======================

TInplaceEdit::TInplaceEdit(TComponent* owner) : TCustomMaskEdit(owner) {
  tabStop_ = false;
  visible_ = false;
}

void TInplaceEdit::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

void TInplaceEdit::Dispatch(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS;
    if (grid_ && grid_->options_.Contains(goTabs)) message.Result |= DLGC_WANTTAB;
    return;
  }
  inherited::Dispatch(message);
}

void TInplaceEdit::Change() {
  if (!loading_) textModified_ = true;
  inherited::Change();
}

void TInplaceEdit::KeyDown(Word& key, TShiftState shift) {
  if (!grid_ || !GridKey(key, shift)) inherited::KeyDown(key, shift);
}

// Enter, Esc and the keys that leave the cell belong to the grid; answers whether it took the key.
bool TInplaceEdit::GridKey(Word& key, TShiftState shift) {
  bool ctrl = shift.Contains(ssCtrl);
  Integer len = static_cast<Integer>(GetText().size());
  bool atStart = GetSelStart() == 0 && GetSelLength() == 0;
  bool atEnd = GetSelStart() + GetSelLength() >= len && GetSelLength() == 0;
  switch (key) {
    case VK_RETURN:
      key = 0;
      grid_->EditorEnter();
      return true;
    case VK_ESCAPE:
      key = 0;
      grid_->EditorEscape();
      return true;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_TAB:
      break;
    case VK_LEFT:
      if (!atStart && !ctrl) return false;
      break;
    case VK_RIGHT:
      if (!atEnd && !ctrl) return false;
      break;
    case VK_HOME:
    case VK_END:
      if (!ctrl) return false;
      break;
    case VK_INSERT:
    case VK_DELETE:
      if (!ctrl) return false;
      break;
    default:
      return false;
  }
  TCustomGrid* grid = grid_;
  grid->KeyDown(key, shift);
  key = 0;
  return true;
}

void TInplaceEdit::KeyPress(Char& key) {
  // The characters of Enter, Esc and Tab: their keys went to the grid already.
  if (key == u'\r' || key == u'\x1b' || key == u'\t') {
    key = 0;
    return;
  }
  if (grid_ && !grid_->CanEditAcceptKey(key)) {
    key = 0;
    return;
  }
  inherited::KeyPress(key);
}

void TInplaceEdit::DoExit() {
  inherited::DoExit();
  // Focus going anywhere but the grid ends the edit, keeping what was typed.
  if (!grid_ || !grid_->editorMode_) return;
  HWND focus = ::GetFocus();
  if (grid_->HandleAllocated() && focus == grid_->GetHandle()) return;
  if (grid_->options_.Contains(goAlwaysShowEditor)) {
    grid_->UpdateText();
    return;
  }
  grid_->HideEditor();
}

// ======================= TCustomGrid =======================

void TDrawGrid::Published(TPropBuilder<TDrawGrid>& p) {
  p.Int(u"ColCount", &TCustomGrid::GetColCount, &TCustomGrid::SetColCount).Default(5);
  p.Int(u"RowCount", &TCustomGrid::GetRowCount, &TCustomGrid::SetRowCount).Default(5);
  p.Int(u"FixedCols", &TCustomGrid::GetFixedCols, &TCustomGrid::SetFixedCols).Default(1);
  p.Int(u"FixedRows", &TCustomGrid::GetFixedRows, &TCustomGrid::SetFixedRows).Default(1);
  p.Int(u"DefaultColWidth", &TCustomGrid::GetDefaultColWidth, &TCustomGrid::SetDefaultColWidth).Default(64);
  p.Int(u"DefaultRowHeight", &TCustomGrid::GetDefaultRowHeight, &TCustomGrid::SetDefaultRowHeight)
      .Default(24);
  p.Int(u"GridLineWidth", &TCustomGrid::GetGridLineWidth, &TCustomGrid::SetGridLineWidth).Default(1);
  p.Set(u"Options", GridOptionsType(), &TCustomGrid::GetOptions, &TCustomGrid::SetOptions)
      .Default(kDefaultOptions);
  p.IntIdent(u"FixedColor", TypeInfoColor(), &TCustomGrid::GetFixedColor, &TCustomGrid::SetFixedColor)
      .Default(clBtnFace);
  p.Bool(u"DefaultDrawing", &TCustomGrid::GetDefaultDrawing, &TCustomGrid::SetDefaultDrawing).Default(true);
  p.Bool(u"TabStop", &TCustomGrid::GetTabStop, &TCustomGrid::SetTabStop).Default(true);
  p.Event(u"OnSelectCell", &TCustomGrid::OnSelectCell, u"TSelectCellEvent");
  p.Event(u"OnDrawCell", &TCustomGrid::OnDrawCell, u"TDrawCellEvent");
  p.Event(u"OnTopLeftChanged", &TCustomGrid::OnTopLeftChanged);
  p.Event(u"OnGetEditMask", &TCustomGrid::OnGetEditMask, u"TGetEditEvent");
  p.Event(u"OnGetEditText", &TCustomGrid::OnGetEditText, u"TGetEditEvent");
  p.Event(u"OnSetEditText", &TCustomGrid::OnSetEditText, u"TSetEditEvent");
  p.Event(u"OnColumnMoved", &TCustomGrid::OnColumnMoved, u"TMovedEvent");
  p.Event(u"OnRowMoved", &TCustomGrid::OnRowMoved, u"TMovedEvent");
}

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
  // No click events from the window: the grid raises OnClick itself when a press or key moves the
  // current cell.
  controlStyle_ = {csCaptureMouse, csOpaque, csDoubleClicks};
  width_ = 320;
  height_ = 120;
  tabStop_ = true;
  color_ = clWindow;
  brush_->SetColor(color_);
  options_ = kDefaultOptions;
  colWidths_.assign(static_cast<size_t>(colCount_), defaultColWidth_);
  rowHeights_.assign(static_cast<size_t>(rowCount_), defaultRowHeight_);
  current_ = {fixedCols_, fixedRows_};
  anchor_ = current_;
  topLeft_ = current_;
}

TCustomGrid::~TCustomGrid() { DetachEditor(); }

// The editor is one of the grid's components and goes with them: it must not call back into a grid
// being destroyed.
void TCustomGrid::DetachEditor() {
  if (inplaceEdit_) inplaceEdit_->grid_ = nullptr;
  inplaceEdit_ = nullptr;
  editorMode_ = false;
}

void TCustomGrid::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == opRemove && component == inplaceEdit_) {
    inplaceEdit_ = nullptr;
    editorMode_ = false;
  }
}

void TCustomGrid::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

// ---- Size ----

void TCustomGrid::CheckIndex(Integer index, Integer count) const {
  if (index < 0 || index >= count) throw EInvalidGridOperation(SGridIndexOutOfRange);
}

void TCustomGrid::ChangeSize(Integer newColCount, Integer newRowCount) {
  Integer oldCols = colCount_, oldRows = rowCount_;
  colCount_ = newColCount;
  rowCount_ = newRowCount;
  colWidths_.resize(static_cast<size_t>(colCount_), defaultColWidth_);
  rowHeights_.resize(static_cast<size_t>(rowCount_), defaultRowHeight_);
  if (fixedCols_ > colCount_) fixedCols_ = colCount_;
  if (fixedRows_ > rowCount_) fixedRows_ = rowCount_;
  auto clampCoord = [&](TGridCoord& c) {
    c.X = std::clamp(c.X, std::min(fixedCols_, colCount_ - 1), std::max(0, colCount_ - 1));
    c.Y = std::clamp(c.Y, std::min(fixedRows_, rowCount_ - 1), std::max(0, rowCount_ - 1));
  };
  clampCoord(current_);
  clampCoord(anchor_);
  topLeft_.X = std::clamp(topLeft_.X, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
  topLeft_.Y = std::clamp(topLeft_.Y, fixedRows_, std::max(fixedRows_, MaxTopRow()));
  if (editorMode_ && (editCell_.X >= colCount_ || editCell_.Y >= rowCount_)) CancelEditor();
  SizeChanged(oldCols, oldRows);
  UpdateEditPosition();
  Invalidate();
}

void TCustomGrid::SetColCount(Integer value) {
  if (value < 1) value = 1;
  if (value == colCount_) return;
  if (value <= fixedCols_) fixedCols_ = value - 1;
  ChangeSize(value, rowCount_);
}

void TCustomGrid::SetRowCount(Integer value) {
  if (value < 1) value = 1;
  if (value == rowCount_) return;
  if (value <= fixedRows_) fixedRows_ = value - 1;
  ChangeSize(colCount_, value);
}

void TCustomGrid::SetFixedCols(Integer value) {
  if (value < 0) throw EInvalidGridOperation(SGridIndexOutOfRange);
  if (value >= colCount_) throw EInvalidGridOperation(SFixedColTooBig);
  fixedCols_ = value;
  current_.X = std::max(current_.X, fixedCols_);
  anchor_.X = std::max(anchor_.X, fixedCols_);
  topLeft_.X = std::max(topLeft_.X, fixedCols_);
  if (topLeft_.X > MaxLeftCol()) topLeft_.X = std::max(fixedCols_, MaxLeftCol());
  UpdateEditPosition();
  Invalidate();
}

void TCustomGrid::SetFixedRows(Integer value) {
  if (value < 0) throw EInvalidGridOperation(SGridIndexOutOfRange);
  if (value >= rowCount_) throw EInvalidGridOperation(SFixedRowTooBig);
  fixedRows_ = value;
  current_.Y = std::max(current_.Y, fixedRows_);
  anchor_.Y = std::max(anchor_.Y, fixedRows_);
  topLeft_.Y = std::max(topLeft_.Y, fixedRows_);
  if (topLeft_.Y > MaxTopRow()) topLeft_.Y = std::max(fixedRows_, MaxTopRow());
  UpdateEditPosition();
  Invalidate();
}

void TCustomGrid::SetDefaultColWidth(Integer value) {
  if (value < 0) value = 0;
  defaultColWidth_ = value;
  colWidths_.assign(static_cast<size_t>(colCount_), value);
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(Integer value) {
  if (value < 0) value = 0;
  defaultRowHeight_ = value;
  rowHeights_.assign(static_cast<size_t>(rowCount_), value);
  RowHeightsChanged();
}

Integer TCustomGrid::GetColWidths(Integer index) const {
  CheckIndex(index, colCount_);
  return colWidths_[static_cast<size_t>(index)];
}

void TCustomGrid::SetColWidths(Integer index, Integer value) {
  CheckIndex(index, colCount_);
  if (value < 0) value = -1;
  if (colWidths_[static_cast<size_t>(index)] == value) return;
  colWidths_[static_cast<size_t>(index)] = value;
  ColWidthsChanged();
}

Integer TCustomGrid::GetRowHeights(Integer index) const {
  CheckIndex(index, rowCount_);
  return rowHeights_[static_cast<size_t>(index)];
}

void TCustomGrid::SetRowHeights(Integer index, Integer value) {
  CheckIndex(index, rowCount_);
  if (value < 0) value = -1;
  if (rowHeights_[static_cast<size_t>(index)] == value) return;
  rowHeights_[static_cast<size_t>(index)] = value;
  RowHeightsChanged();
}

void TCustomGrid::ColWidthsChanged() {
  UpdateEditPosition();
  Invalidate();
}

void TCustomGrid::RowHeightsChanged() {
  UpdateEditPosition();
  Invalidate();
}

void TCustomGrid::SizeChanged(Integer, Integer) {}

void TCustomGrid::SetGridLineWidth(Integer value) {
  if (value < 0) value = 0;
  gridLineWidth_ = value;
  UpdateEditPosition();
  Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions value) {
  if (value.Contains(goRowSelect)) value.Exclude(goAlwaysShowEditor);
  if (value == options_) return;
  options_ = value;
  if (!options_.Contains(goEditing) || options_.Contains(goRowSelect))
    HideEditor();
  else if (options_.Contains(goAlwaysShowEditor))
    ShowEditor();
  if (options_.Contains(goRowSelect)) anchor_.Y = current_.Y;
  Invalidate();
}

void TCustomGrid::SetFixedColor(TColor value) {
  fixedColor_ = value;
  Invalidate();
}

void TCustomGrid::SetDefaultDrawing(bool value) {
  defaultDrawing_ = value;
  Invalidate();
}

// ---- Geometry ----

// A width or height below 0 hides the column or row, its line included.
Integer TCustomGrid::Extent(bool horz, Integer index) const {
  Integer e = horz ? colWidths_[static_cast<size_t>(index)] : rowHeights_[static_cast<size_t>(index)];
  return std::max(0, e);
}

Integer TCustomGrid::LineAfter(bool horz, Integer index, Integer line) const {
  Integer e = horz ? colWidths_[static_cast<size_t>(index)] : rowHeights_[static_cast<size_t>(index)];
  return e < 0 ? 0 : line;
}

TCustomGrid::Axis TCustomGrid::HorzAxis() const {
  Axis a;
  a.fixedCount = fixedCols_;
  a.count = colCount_;
  a.first = topLeft_.X;
  a.fixedLine = options_.Contains(goFixedVertLine) ? gridLineWidth_ : 0;
  a.line = options_.Contains(goVertLine) ? gridLineWidth_ : 0;
  for (Integer i = 0; i < fixedCols_; ++i) a.fixedExtent += Extent(true, i) + LineAfter(true, i, a.fixedLine);
  a.clientExtent = GetClientWidth();
  return a;
}

TCustomGrid::Axis TCustomGrid::VertAxis() const {
  Axis a;
  a.fixedCount = fixedRows_;
  a.count = rowCount_;
  a.first = topLeft_.Y;
  a.fixedLine = options_.Contains(goFixedHorzLine) ? gridLineWidth_ : 0;
  a.line = options_.Contains(goHorzLine) ? gridLineWidth_ : 0;
  for (Integer i = 0; i < fixedRows_; ++i)
    a.fixedExtent += Extent(false, i) + LineAfter(false, i, a.fixedLine);
  a.clientExtent = GetClientHeight();
  return a;
}

Integer TCustomGrid::FixedWidth() const { return HorzAxis().fixedExtent; }
Integer TCustomGrid::FixedHeight() const { return VertAxis().fixedExtent; }

Integer TCustomGrid::CellStart(const Axis& a, bool horz, Integer index) const {
  Integer p = 0;
  if (index < a.fixedCount) {
    for (Integer i = 0; i < index; ++i) p += Extent(horz, i) + LineAfter(horz, i, a.fixedLine);
    return p;
  }
  if (index < a.first) return -1;
  p = a.fixedExtent;
  for (Integer i = a.first; i < index; ++i) {
    p += Extent(horz, i) + LineAfter(horz, i, a.line);
    if (p >= a.clientExtent) return -1;
  }
  return p;
}

Integer TCustomGrid::CellAt(const Axis& a, bool horz, Integer pos) const {
  if (pos < 0) return -1;
  Integer p = 0;
  for (Integer i = 0; i < a.fixedCount; ++i) {
    p += Extent(horz, i) + LineAfter(horz, i, a.fixedLine);
    if (pos < p) return i;
  }
  for (Integer i = a.first; i < a.count && p < a.clientExtent; ++i) {
    p += Extent(horz, i) + LineAfter(horz, i, a.line);
    if (pos < p) return i;
  }
  return -1;
}

Integer TCustomGrid::LastFullVisible(const Axis& a, bool horz) const {
  Integer p = a.fixedExtent;
  Integer last = a.first - 1;
  for (Integer i = a.first; i < a.count; ++i) {
    Integer end = p + Extent(horz, i);
    if (end > a.clientExtent) break;
    last = i;
    p = end + a.line;
  }
  return last;
}

Integer TCustomGrid::FirstForLast(const Axis& a, bool horz, Integer index) const {
  Integer avail = a.clientExtent - a.fixedExtent;
  Integer first = index;
  Integer used = Extent(horz, index);
  while (first - 1 >= a.fixedCount) {
    Integer next = used + a.line + Extent(horz, first - 1);
    if (next > avail) break;
    used = next;
    --first;
  }
  return std::max(first, a.fixedCount);
}

Integer TCustomGrid::MaxTopRow() const {
  if (rowCount_ <= fixedRows_) return fixedRows_;
  return FirstForLast(VertAxis(), false, rowCount_ - 1);
}

Integer TCustomGrid::MaxLeftCol() const {
  if (colCount_ <= fixedCols_) return fixedCols_;
  return FirstForLast(HorzAxis(), true, colCount_ - 1);
}

Integer TCustomGrid::GetVisibleColCount() const {
  Axis a = HorzAxis();
  return std::max(1, LastFullVisible(a, true) - a.first + 1);
}

Integer TCustomGrid::GetVisibleRowCount() const {
  Axis a = VertAxis();
  return std::max(1, LastFullVisible(a, false) - a.first + 1);
}

Integer TCustomGrid::GetGridWidth() const {
  Axis a = HorzAxis();
  Integer p = a.fixedExtent;
  for (Integer i = a.first; i < a.count && p < a.clientExtent; ++i)
    p += Extent(true, i) + LineAfter(true, i, a.line);
  return std::min(p, a.clientExtent);
}

Integer TCustomGrid::GetGridHeight() const {
  Axis a = VertAxis();
  Integer p = a.fixedExtent;
  for (Integer i = a.first; i < a.count && p < a.clientExtent; ++i)
    p += Extent(false, i) + LineAfter(false, i, a.line);
  return std::min(p, a.clientExtent);
}

TRect TCustomGrid::CellRect(Integer ACol, Integer ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= colCount_ || ARow >= rowCount_) return TRect();
  Axis h = HorzAxis(), v = VertAxis();
  Integer x = CellStart(h, true, ACol);
  Integer y = CellStart(v, false, ARow);
  if (x < 0 || y < 0 || x >= h.clientExtent || y >= v.clientExtent) return TRect();
  return Bounds(x, y, Extent(true, ACol), Extent(false, ARow));
}

TGridCoord TCustomGrid::MouseCoord(Integer X, Integer Y) const {
  Integer c = CellAt(HorzAxis(), true, X);
  Integer r = CellAt(VertAxis(), false, Y);
  if (c < 0 || r < 0) return {-1, -1};
  return {c, r};
}

void TCustomGrid::MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow) const {
  TGridCoord c = MouseCoord(X, Y);
  ACol = c.X;
  ARow = c.Y;
}

// ---- Current cell and scrolling ----

TGridRect TCustomGrid::GetSelection() const {
  TGridRect r = GridRect(anchor_, current_);
  if (options_.Contains(goRowSelect)) {
    r.Left = fixedCols_;
    r.Right = colCount_ - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& value) {
  TGridRect r = value;
  r.Left = std::clamp(r.Left, 0, colCount_ - 1);
  r.Right = std::clamp(r.Right, 0, colCount_ - 1);
  r.Top = std::clamp(r.Top, 0, rowCount_ - 1);
  r.Bottom = std::clamp(r.Bottom, 0, rowCount_ - 1);
  if (current_.X != r.Right || current_.Y != r.Bottom) {
    if (!MoveCurrent(r.Right, r.Bottom, true, true)) return;
  }
  anchor_ = {r.Left, r.Top};
  if (!options_.Contains(goRangeSelect)) anchor_ = current_;
  Invalidate();
}

void TCustomGrid::SetCol(Integer value) {
  if (value != current_.X) FocusCell(value, current_.Y, true);
}

void TCustomGrid::SetRow(Integer value) {
  if (value != current_.Y) FocusCell(current_.X, value, true);
}

bool TCustomGrid::SelectCell(Integer ACol, Integer ARow) {
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
  return can;
}

bool TCustomGrid::MoveCurrent(Integer ACol, Integer ARow, bool moveAnchor, bool show) {
  if (ACol < 0 || ARow < 0 || ACol >= colCount_ || ARow >= rowCount_)
    throw EInvalidGridOperation(SGridIndexOutOfRange);
  if (!SelectCell(ACol, ARow)) return false;
  TGridCoord target{ACol, ARow};
  if (editorMode_ && !(editCell_ == target)) {
    UpdateText();
    if (!options_.Contains(goAlwaysShowEditor)) HideEditor();
  }
  current_ = target;
  if (moveAnchor || !options_.Contains(goRangeSelect)) anchor_ = current_;
  if (show) ClampInView(current_);
  if (options_.Contains(goAlwaysShowEditor) && !editorMode_) ShowEditor();
  UpdateEditPosition();
  Invalidate();
  return true;
}

void TCustomGrid::FocusCell(Integer ACol, Integer ARow, bool moveAnchor) {
  if (MoveCurrent(ACol, ARow, moveAnchor, true)) Click();
}

void TCustomGrid::MoveTopLeft(Integer ALeft, Integer ATop) {
  ALeft = std::clamp(ALeft, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
  ATop = std::clamp(ATop, fixedRows_, std::max(fixedRows_, MaxTopRow()));
  if (ALeft == topLeft_.X && ATop == topLeft_.Y) return;
  topLeft_ = {ALeft, ATop};
  UpdateEditPosition();
  Invalidate();
  TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TCustomGrid::SetTopRow(Integer value) { MoveTopLeft(topLeft_.X, value); }
void TCustomGrid::SetLeftCol(Integer value) { MoveTopLeft(value, topLeft_.Y); }

void TCustomGrid::ClampInView(TGridCoord coord) {
  Axis h = HorzAxis(), v = VertAxis();
  Integer left = topLeft_.X, top = topLeft_.Y;
  if (coord.X >= fixedCols_ && !options_.Contains(goRowSelect)) {
    if (coord.X < left)
      left = coord.X;
    else if (coord.X > LastFullVisible(h, true))
      left = FirstForLast(h, true, coord.X);
  }
  if (coord.Y >= fixedRows_) {
    if (coord.Y < top)
      top = coord.Y;
    else if (coord.Y > LastFullVisible(v, false))
      top = FirstForLast(v, false, coord.Y);
  }
  MoveTopLeft(left, top);
}

void TCustomGrid::InvalidateCell(Integer ACol, Integer ARow) {
  TRect r = CellRect(ACol, ARow);
  if (r.IsEmpty()) return;
  InflateRect(&r, gridLineWidth_, gridLineWidth_);
  InvalidateRect(r);
}

void TCustomGrid::InvalidateRow(Integer ARow) {
  TRect r = CellRect(fixedCols_ > 0 ? 0 : topLeft_.X, ARow);
  if (r.IsEmpty()) return;
  InvalidateRect(TRect(0, r.Top - gridLineWidth_, GetClientWidth(), r.Bottom + gridLineWidth_));
}

void TCustomGrid::InvalidateCol(Integer ACol) {
  TRect r = CellRect(ACol, fixedRows_ > 0 ? 0 : topLeft_.Y);
  if (r.IsEmpty()) return;
  InvalidateRect(TRect(r.Left - gridLineWidth_, 0, r.Right + gridLineWidth_, GetClientHeight()));
}

// ---- Scroll bars ----

void TCustomGrid::GetVertScrollInfo(Integer& min, Integer& max, Integer& page, Integer& pos) const {
  min = 0;
  max = std::max(0, rowCount_ - fixedRows_ - 1);
  page = GetVisibleRowCount();
  pos = topLeft_.Y - fixedRows_;
}

void TCustomGrid::GetHorzScrollInfo(Integer& min, Integer& max, Integer& page, Integer& pos) const {
  min = 0;
  max = std::max(0, colCount_ - fixedCols_ - 1);
  page = GetVisibleColCount();
  pos = topLeft_.X - fixedCols_;
}

bool TCustomGrid::ShowsVertScrollBar() const {
  GetClientRect();
  return vertBar_;
}

bool TCustomGrid::HorzBarShown() const {
  GetClientRect();
  return horzBar_;
}

TRect TCustomGrid::BarRect(bool vert) const {
  Integer cw = GetClientWidth(), ch = GetClientHeight();
  if (vert) return TRect(cw, 0, cw + kBarSize, ch);
  return TRect(0, ch, cw, ch + kBarSize);
}

TRect TCustomGrid::ThumbRect(bool vert) const {
  Integer min, max, page, pos;
  if (vert)
    GetVertScrollInfo(min, max, page, pos);
  else
    GetHorzScrollInfo(min, max, page, pos);
  TRect bar = BarRect(vert);
  Integer trackStart = (vert ? bar.Top : bar.Left) + kBarSize;
  Integer trackLen = (vert ? bar.Height() : bar.Width()) - 2 * kBarSize;
  if (trackLen <= 0) return TRect();
  Integer range = std::max(1, max - min + 1);
  Integer thumb = std::clamp(trackLen * std::max(1, page) / range, kMinThumb, trackLen);
  Integer span = std::max(1, range - std::max(1, page));
  Integer offset = (trackLen - thumb) * std::clamp(pos - min, 0, span) / span;
  if (vert) return TRect(bar.Left, trackStart + offset, bar.Right, trackStart + offset + thumb);
  return TRect(trackStart + offset, bar.Top, trackStart + offset + thumb, bar.Bottom);
}

TCustomGrid::TBarPart TCustomGrid::BarHit(bool vert, TPoint p, Integer& thumbOffset) const {
  TRect bar = BarRect(vert);
  if (!bar.Contains(p)) return bpNone;
  Integer at = vert ? p.Y - bar.Top : p.X - bar.Left;
  Integer len = vert ? bar.Height() : bar.Width();
  if (at < kBarSize) return bpLineUp;
  if (at >= len - kBarSize) return bpLineDown;
  TRect thumb = ThumbRect(vert);
  Integer thumbStart = vert ? thumb.Top : thumb.Left;
  Integer thumbEnd = vert ? thumb.Bottom : thumb.Right;
  Integer coord = vert ? p.Y : p.X;
  if (coord < thumbStart) return bpPageUp;
  if (coord >= thumbEnd) return bpPageDown;
  thumbOffset = coord - thumbStart;
  return bpThumb;
}

void TCustomGrid::PaintBar(TCanvas* canvas, bool vert, TPoint origin) {
  TRect bar = BarRect(vert);
  OffsetRect(&bar, origin.X, origin.Y);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(clScrollBar);
  canvas->FillRect(bar);
  auto button = [&](TRect r, bool first) {
    canvas->GetBrush()->SetColor(clBtnFace);
    canvas->FillRect(r);
    TRect edge = r;
    DrawEdge(canvas->GetHandle(), &edge, EDGE_RAISED, BF_RECT);
    canvas->GetBrush()->SetColor(clBtnText);
    canvas->GetPen()->SetColor(clBtnText);
    Integer cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    std::vector<TPoint> arrow;
    if (vert)
      arrow = first ? std::vector<TPoint>{{cx - 4, cy + 2}, {cx + 4, cy + 2}, {cx, cy - 2}}
                    : std::vector<TPoint>{{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 2}};
    else
      arrow = first ? std::vector<TPoint>{{cx + 2, cy - 4}, {cx + 2, cy + 4}, {cx - 2, cy}}
                    : std::vector<TPoint>{{cx - 2, cy - 4}, {cx - 2, cy + 4}, {cx + 2, cy}};
    canvas->Polygon(arrow);
  };
  if (vert) {
    button(TRect(bar.Left, bar.Top, bar.Right, bar.Top + kBarSize), true);
    button(TRect(bar.Left, bar.Bottom - kBarSize, bar.Right, bar.Bottom), false);
  } else {
    button(TRect(bar.Left, bar.Top, bar.Left + kBarSize, bar.Bottom), true);
    button(TRect(bar.Right - kBarSize, bar.Top, bar.Right, bar.Bottom), false);
  }
  TRect thumb = ThumbRect(vert);
  if (thumb.IsEmpty()) return;
  OffsetRect(&thumb, origin.X, origin.Y);
  canvas->GetBrush()->SetColor(clBtnFace);
  canvas->FillRect(thumb);
  DrawEdge(canvas->GetHandle(), &thumb, EDGE_RAISED, BF_RECT);
}

void TCustomGrid::PaintNonClient(TCanvas* canvas) {
  TCustomControl::PaintNonClient(canvas);
  TRect margins = GetNonClientMargins();
  TPoint origin(margins.Left, margins.Top);
  bool vert = ShowsVertScrollBar(), horz = HorzBarShown();
  if (vert) PaintBar(canvas, true, origin);
  if (horz) PaintBar(canvas, false, origin);
  if (vert && horz) {
    canvas->GetBrush()->SetColor(clBtnFace);
    TRect corner(GetClientWidth(), GetClientHeight(), GetClientWidth() + kBarSize,
                 GetClientHeight() + kBarSize);
    OffsetRect(&corner, origin.X, origin.Y);
    canvas->FillRect(corner);
  }
}

void TCustomGrid::VertScroll(Integer code, Integer pos) {
  Integer page = GetVisibleRowCount();
  switch (code) {
    case SB_LINEUP:
      MoveTopLeft(topLeft_.X, topLeft_.Y - 1);
      break;
    case SB_LINEDOWN:
      MoveTopLeft(topLeft_.X, topLeft_.Y + 1);
      break;
    case SB_PAGEUP:
      MoveTopLeft(topLeft_.X, topLeft_.Y - page);
      break;
    case SB_PAGEDOWN:
      MoveTopLeft(topLeft_.X, topLeft_.Y + page);
      break;
    case SB_THUMBTRACK:
      if (!options_.Contains(goThumbTracking)) break;
      [[fallthrough]];
    case SB_THUMBPOSITION:
      MoveTopLeft(topLeft_.X, fixedRows_ + pos);
      break;
    case SB_TOP:
      MoveTopLeft(topLeft_.X, fixedRows_);
      break;
    case SB_BOTTOM:
      MoveTopLeft(topLeft_.X, MaxTopRow());
      break;
    default:
      break;
  }
}

void TCustomGrid::HorzScroll(Integer code, Integer pos) {
  Integer page = GetVisibleColCount();
  switch (code) {
    case SB_LINELEFT:
      MoveTopLeft(topLeft_.X - 1, topLeft_.Y);
      break;
    case SB_LINERIGHT:
      MoveTopLeft(topLeft_.X + 1, topLeft_.Y);
      break;
    case SB_PAGELEFT:
      MoveTopLeft(topLeft_.X - page, topLeft_.Y);
      break;
    case SB_PAGERIGHT:
      MoveTopLeft(topLeft_.X + page, topLeft_.Y);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      MoveTopLeft(fixedCols_ + pos, topLeft_.Y);
      break;
    case SB_LEFT:
      MoveTopLeft(fixedCols_, topLeft_.Y);
      break;
    case SB_RIGHT:
      MoveTopLeft(MaxLeftCol(), topLeft_.Y);
      break;
    default:
      break;
  }
}

// Presses, drags and releases on the scroll bars, which lie outside the client area; answers
// whether the message was theirs.
bool TCustomGrid::BarMouse(TMessage& message) {
  TPoint p(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
  auto send = [&](bool vert, Integer code, Integer pos) {
    TWMScroll s{};
    s.Msg = vert ? WM_VSCROLL : WM_HSCROLL;
    s.ScrollCode = static_cast<SmallInt>(code);
    s.Pos = static_cast<SmallInt>(pos);
    TMessage& m = reinterpret_cast<TMessage&>(s);
    Perform(m.Msg, m.WParam, m.LParam);
  };
  auto thumbPos = [&](bool vert) {
    Integer min, max, page, pos;
    if (vert)
      GetVertScrollInfo(min, max, page, pos);
    else
      GetHorzScrollInfo(min, max, page, pos);
    TRect bar = BarRect(vert), thumb = ThumbRect(vert);
    Integer trackLen = (vert ? bar.Height() : bar.Width()) - 2 * kBarSize;
    Integer thumbLen = vert ? thumb.Height() : thumb.Width();
    Integer at = (vert ? p.Y - bar.Top : p.X - bar.Left) - kBarSize - barThumbOffset_;
    Integer span = std::max(1, max - min + 1 - std::max(1, page));
    Integer free = std::max(1, trackLen - thumbLen);
    return min + std::clamp(at, 0, free) * span / free;
  };
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (p.X < GetClientWidth() && p.Y < GetClientHeight()) return false;
      for (bool vert : {true, false}) {
        if (vert ? !ShowsVertScrollBar() : !HorzBarShown()) continue;
        Integer offset = 0;
        TBarPart part = BarHit(vert, p, offset);
        if (part == bpNone) continue;
        static const Integer codes[] = {0, SB_LINEUP, SB_PAGEUP, 0, SB_PAGEDOWN, SB_LINEDOWN};
        if (part == bpThumb) {
          barVert_ = vert;
          barPart_ = bpThumb;
          barThumbOffset_ = offset;
          SetMouseCapture(true);
        } else {
          send(vert, codes[part], 0);
        }
        return true;
      }
      return p.X >= GetClientWidth() || p.Y >= GetClientHeight();
    }
    case WM_MOUSEMOVE:
      if (barPart_ != bpThumb) return false;
      send(barVert_, SB_THUMBTRACK, thumbPos(barVert_));
      return true;
    case WM_LBUTTONUP:
      if (barPart_ != bpThumb) return false;
      send(barVert_, SB_THUMBPOSITION, thumbPos(barVert_));
      barPart_ = bpNone;
      SetMouseCapture(false);
      return true;
    default:
      return false;
  }
}

// ---- Messages ----

void TCustomGrid::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (BarMouse(message)) return;
      break;
    default:
      break;
  }
  TCustomControl::WndProc(message);
}

void TCustomGrid::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NCCALCSIZE: {
      TCustomControl::Dispatch(message);
      TRect& r = reinterpret_cast<TWMNCCalcSize&>(message).CalcSize_Params->rgrc[0];
      // The bars' need depends on the client size they leave: decide on the inner rectangle.
      TRect inner = r;
      Integer totalW = 0, totalH = 0;
      Integer fl = options_.Contains(goFixedVertLine) ? gridLineWidth_ : 0;
      Integer l = options_.Contains(goVertLine) ? gridLineWidth_ : 0;
      for (Integer i = 0; i < colCount_; ++i)
        totalW += Extent(true, i) + LineAfter(true, i, i < fixedCols_ ? fl : l);
      fl = options_.Contains(goFixedHorzLine) ? gridLineWidth_ : 0;
      l = options_.Contains(goHorzLine) ? gridLineWidth_ : 0;
      for (Integer i = 0; i < rowCount_; ++i)
        totalH += Extent(false, i) + LineAfter(false, i, i < fixedRows_ ? fl : l);
      bool vert = ForceVertScrollBar() || totalH > inner.Height() || topLeft_.Y > fixedRows_;
      bool horz = totalW > inner.Width() - (vert ? kBarSize : 0) || topLeft_.X > fixedCols_;
      if (horz && !vert) vert = totalH > inner.Height() - kBarSize;
      vertBar_ = vert;
      horzBar_ = horz;
      if (vert) r.Right = std::max(r.Left, r.Right - kBarSize);
      if (horz) r.Bottom = std::max(r.Top, r.Bottom - kBarSize);
      return;
    }
    case WM_VSCROLL: {
      auto& s = reinterpret_cast<TWMScroll&>(message);
      VertScroll(s.ScrollCode, s.Pos);
      return;
    }
    case WM_HSCROLL: {
      auto& s = reinterpret_cast<TWMScroll&>(message);
      HorzScroll(s.ScrollCode, s.Pos);
      return;
    }
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS;
      if (!options_.Contains(goRowSelect)) {
        if (options_.Contains(goTabs)) message.Result |= DLGC_WANTTAB;
        if (options_.Contains(goEditing)) message.Result |= DLGC_WANTCHARS;
      }
      return;
    case CM_WANTSPECIALKEY:
      if (message.WParam == VK_RETURN && options_.Contains(goEditing) && !options_.Contains(goRowSelect)) {
        message.Result = 1;
        return;
      }
      break;
    case WM_SETCURSOR: {
      TGridState state = gsNormal;
      Integer index = 0;
      TPoint p = ScreenToClient(Mouse->GetCursorPos());
      if (gridState_ == gsColSizing || gridState_ == gsRowSizing)
        state = gridState_;
      else
        CalcSizingZone(p.X, p.Y, state, index);
      if ((state == gsColSizing || state == gsRowSizing) && GetWidget()) {
        GetWidget()->setCursor(CursorToQCursor(state == gsColSizing ? crHSplit : crVSplit));
        message.Result = 1;
        return;
      }
      break;
    }
    default:
      break;
  }
  TCustomControl::Dispatch(message);
}

bool TCustomGrid::ForceVertScrollBar() const { return false; }

void TCustomGrid::Resize() {
  TCustomControl::Resize();
  MoveTopLeft(topLeft_.X, topLeft_.Y);
  UpdateEditPosition();
}

// ---- Painting ----

bool TCustomGrid::IsCellHighlighted(Integer, Integer, TGridDrawState state) const {
  if (!state.Contains(gdSelected)) return false;
  if (!ShowsSelectionUnfocused() && !Focused() && !(inplaceEdit_ && inplaceEdit_->Focused())) return false;
  return !state.Contains(gdFocused) || options_.Contains(goDrawFocusSelected) ||
         options_.Contains(goRowSelect);
}

void TCustomGrid::DrawCellText(const TRect& rect, const String& text, TAlignment alignment) {
  TCanvas* c = GetCanvas();
  TBrush* brush = c->GetBrush();
  if (brush->GetStyle() != bsClear) c->FillRect(rect);
  TRect r = rect;
  InflateRect(&r, -2, -2);
  TTextFormat format{tfSingleLine, tfNoPrefix, tfVerticalCenter};
  if (alignment == taRightJustify)
    format << tfRight;
  else if (alignment == taCenter)
    format << tfCenter;
  TBrushStyle style = brush->GetStyle();
  brush->SetStyle(bsClear);
  String shown = text;
  c->TextRect(r, shown, format);
  brush->SetStyle(style);
}

void TCustomGrid::Paint() {
  TCanvas* c = GetCanvas();
  Axis h = HorzAxis(), v = VertAxis();
  bool focused = Focused() || (inplaceEdit_ && inplaceEdit_->Focused());
  TGridRect sel = GetSelection();
  Integer width = GetClientWidth(), height = GetClientHeight();
  auto rowsOf = [&](const Axis& a, bool horz) {
    std::vector<std::pair<Integer, Integer>> list;  // index, start
    Integer p = 0;
    for (Integer i = 0; i < a.fixedCount; ++i) {
      list.push_back({i, p});
      p += Extent(horz, i) + LineAfter(horz, i, a.fixedLine);
    }
    for (Integer i = a.first; i < a.count && p < a.clientExtent; ++i) {
      list.push_back({i, p});
      p += Extent(horz, i) + LineAfter(horz, i, a.line);
    }
    return std::make_pair(list, p);
  };
  auto [cols, gridRight] = rowsOf(h, true);
  auto [rows, gridBottom] = rowsOf(v, false);
  for (auto [r, top] : rows) {
    for (auto [col, left] : cols) {
      TRect rect = Bounds(left, top, Extent(true, col), Extent(false, r));
      if (!RectVisible(c->GetHandle(), &rect)) continue;
      TGridDrawState state;
      bool fixed = col < fixedCols_ || r < fixedRows_;
      if (fixed) state << gdFixed;
      if (!fixed && focused && col == current_.X && r == current_.Y) state << gdFocused;
      if (!fixed && PointInGridRect(col, r, sel)) state << gdSelected;
      if (!fixed && options_.Contains(goRowSelect) && r == current_.Y) state << gdRowSelected;
      c->GetFont()->Assign(GetFont());
      c->GetBrush()->SetStyle(bsSolid);
      if (fixed) {
        c->GetBrush()->SetColor(fixedColor_);
      } else if (IsCellHighlighted(col, r, state)) {
        c->GetBrush()->SetColor(clHighlight);
        c->GetFont()->SetColor(clHighlightText);
      } else {
        c->GetBrush()->SetColor(color_);
      }
      if (defaultDrawing_) {
        c->FillRect(rect);
        if (fixed && GetCtl3D()) {
          TRect edge = rect;
          DrawEdge(c->GetHandle(), &edge, BDR_RAISEDINNER, BF_BOTTOMRIGHT | BF_TOPLEFT);
        }
      }
      DrawCell(col, r, rect, state);
      if (defaultDrawing_ && state.Contains(gdFocused) && !editorMode_ && !options_.Contains(goRowSelect))
        c->DrawFocusRect(rect);
    }
  }
  PaintLines(h, v);
  // What lies beyond the last column and row.
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(color_);
  if (gridRight < width) c->FillRect(TRect(gridRight, 0, width, height));
  if (gridBottom < height) c->FillRect(TRect(0, gridBottom, std::min(gridRight, width), height));
}

void TCustomGrid::PaintLines(const Axis& h, const Axis& v) {
  TCanvas* c = GetCanvas();
  Integer gridRight = 0, gridBottom = 0;
  std::vector<std::pair<Integer, bool>> xs, ys;  // line start, fixed
  Integer p = 0;
  for (Integer i = 0; i < h.fixedCount; ++i) {
    p += Extent(true, i);
    if (LineAfter(true, i, h.fixedLine)) xs.push_back({p, true});
    p += h.fixedLine;
  }
  for (Integer i = h.first; i < h.count && p < h.clientExtent; ++i) {
    p += Extent(true, i);
    if (LineAfter(true, i, h.line)) xs.push_back({p, false});
    p += h.line;
  }
  gridRight = std::min(p, h.clientExtent);
  p = 0;
  for (Integer i = 0; i < v.fixedCount; ++i) {
    p += Extent(false, i);
    if (LineAfter(false, i, v.fixedLine)) ys.push_back({p, true});
    p += v.fixedLine;
  }
  for (Integer i = v.first; i < v.count && p < v.clientExtent; ++i) {
    p += Extent(false, i);
    if (LineAfter(false, i, v.line)) ys.push_back({p, false});
    p += v.line;
  }
  gridBottom = std::min(p, v.clientExtent);
  c->GetBrush()->SetStyle(bsSolid);
  for (auto [x, fixed] : xs) {
    // A fixed column's line runs the whole height; a scrolling column's line only through the
    // scrolling rows, the fixed rows keeping their own colour.
    c->GetBrush()->SetColor(fixed ? clBtnShadow : clSilver);
    c->FillRect(TRect(x, fixed ? 0 : v.fixedExtent, x + gridLineWidth_, gridBottom));
    if (!fixed && v.fixedExtent > 0) {
      c->GetBrush()->SetColor(clBtnShadow);
      c->FillRect(TRect(x, 0, x + gridLineWidth_, v.fixedExtent));
    }
  }
  for (auto [y, fixed] : ys) {
    c->GetBrush()->SetColor(fixed ? clBtnShadow : clSilver);
    c->FillRect(TRect(fixed ? 0 : h.fixedExtent, y, gridRight, y + gridLineWidth_));
    if (!fixed && h.fixedExtent > 0) {
      c->GetBrush()->SetColor(clBtnShadow);
      c->FillRect(TRect(0, y, h.fixedExtent, y + gridLineWidth_));
    }
  }
}

void TCustomGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) {
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

// ---- Keyboard ----

void TCustomGrid::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  bool ctrl = shift.Contains(ssCtrl);
  bool extend = shift.Contains(ssShift) && options_.Contains(goRangeSelect);
  TGridCoord next = current_;
  Integer page = GetVisibleRowCount();
  switch (key) {
    case VK_UP:
      --next.Y;
      break;
    case VK_DOWN:
      ++next.Y;
      break;
    case VK_LEFT:
      if (options_.Contains(goRowSelect)) {
        HorzScroll(SB_LINELEFT, 0);
        key = 0;
        return;
      }
      --next.X;
      break;
    case VK_RIGHT:
      if (options_.Contains(goRowSelect)) {
        HorzScroll(SB_LINERIGHT, 0);
        key = 0;
        return;
      }
      ++next.X;
      break;
    case VK_PRIOR:
      next.Y -= page;
      MoveTopLeft(topLeft_.X, topLeft_.Y - page);
      break;
    case VK_NEXT:
      next.Y += page;
      MoveTopLeft(topLeft_.X, topLeft_.Y + page);
      break;
    case VK_HOME:
      if (ctrl) next.Y = fixedRows_;
      next.X = fixedCols_;
      break;
    case VK_END:
      if (ctrl) next.Y = rowCount_ - 1;
      next.X = colCount_ - 1;
      break;
    case VK_TAB:
      if (!options_.Contains(goTabs) || shift.Contains(ssAlt)) return;
      extend = false;
      if (shift.Contains(ssShift)) {
        if (--next.X < fixedCols_) {
          next.X = colCount_ - 1;
          if (--next.Y < fixedRows_) next.Y = rowCount_ - 1;
        }
      } else if (++next.X >= colCount_) {
        next.X = fixedCols_;
        if (++next.Y >= rowCount_) next.Y = fixedRows_;
      }
      break;
    case VK_F2:
      SetEditorMode(true);
      if (inplaceEdit_ && editorMode_)
        inplaceEdit_->SetSelStart(static_cast<Integer>(inplaceEdit_->GetText().size()));
      key = 0;
      return;
    default:
      return;
  }
  // A key the grid took goes no further: the form would take an arrow for moving the focus.
  key = 0;
  next.X = std::clamp(next.X, fixedCols_, std::max(fixedCols_, colCount_ - 1));
  next.Y = std::clamp(next.Y, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
  if (next.X >= colCount_ || next.Y >= rowCount_) return;
  if (next == current_) return;
  FocusCell(next.X, next.Y, !extend);
}

void TCustomGrid::KeyPress(Char& key) {
  TCustomControl::KeyPress(key);
  if (key == 0 || !options_.Contains(goEditing) || options_.Contains(goRowSelect)) return;
  if (key == u'\r') {
    if (!options_.Contains(goAlwaysShowEditor)) {
      if (editorMode_)
        HideEditor();
      else
        ShowEditor();
    }
    key = 0;
    return;
  }
  if (key != u'\b' && key < 32) return;
  if (!CanEditAcceptKey(key)) return;
  if (!editorMode_) {
    if (!CanEditModify()) return;
    ShowEditor();
  }
  if (!editorMode_ || !inplaceEdit_) return;
  if (key == u'\b')
    inplaceEdit_->SetSelText(String());
  else
    inplaceEdit_->SetSelText(String(1, key));
  key = 0;
}

void TCustomGrid::EditorEnter() {
  if (options_.Contains(goAlwaysShowEditor)) {
    UpdateText();
    return;
  }
  HideEditor();
}

void TCustomGrid::EditorEscape() { CancelEditor(); }

// ---- Mouse ----

void TCustomGrid::CalcSizingZone(Integer x, Integer y, TGridState& state, Integer& index) const {
  state = gsNormal;
  Axis h = HorzAxis(), v = VertAxis();
  // Only scrolling cells size: the fixed ones (the data grid's indicator among them) keep theirs.
  if (options_.Contains(goColSizing) && y >= 0 && y < v.fixedExtent) {
    Integer p = h.fixedExtent;
    for (Integer i = h.first; i < h.count && p < h.clientExtent; ++i) {
      if (colWidths_[static_cast<size_t>(i)] < 0) continue;
      p += Extent(true, i);
      if (x >= p - kSizingMargin && x <= p + h.line + kSizingMargin) {
        state = gsColSizing;
        index = i;
        return;
      }
      p += h.line;
    }
  }
  if (options_.Contains(goRowSizing) && x >= 0 && x < h.fixedExtent) {
    Integer p = v.fixedExtent;
    for (Integer i = v.first; i < v.count && p < v.clientExtent; ++i) {
      if (rowHeights_[static_cast<size_t>(i)] < 0) continue;
      p += Extent(false, i);
      if (y >= p - kSizingMargin && y <= p + v.line + kSizingMargin) {
        state = gsRowSizing;
        index = i;
        return;
      }
      p += v.line;
    }
  }
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (CanFocus() && !Focused() && !(inplaceEdit_ && inplaceEdit_->Focused())) SetFocus();
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  // The window raises no click events for the grid (see the constructor): a double click is ours.
  if (shift.Contains(ssDouble)) {
    DblClick();
    return;
  }
  TGridState zone = gsNormal;
  Integer index = 0;
  CalcSizingZone(x, y, zone, index);
  if (zone != gsNormal) {
    if (editorMode_) HideEditor();
    gridState_ = zone;
    sizingIndex_ = index;
    Axis a = zone == gsColSizing ? HorzAxis() : VertAxis();
    sizingStart_ = CellStart(a, zone == gsColSizing, index);
    return;
  }
  TGridCoord cell = MouseCoord(x, y);
  if (cell.X < 0) return;
  bool fixedRow = cell.Y < fixedRows_, fixedCol = cell.X < fixedCols_;
  if (fixedRow || fixedCol) {
    if ((fixedRow && !fixedCol && options_.Contains(goColMoving)) ||
        (fixedCol && !fixedRow && options_.Contains(goRowMoving))) {
      moveFrom_ = fixedRow ? cell.X : cell.Y;
      movePress_ = TPoint(x, y);
      moveStarted_ = false;
      gridState_ = fixedRow ? gsColMoving : gsRowMoving;
    }
    return;
  }
  if (options_.Contains(goEditing) && cell == current_ && !shift.Contains(ssShift) &&
      !options_.Contains(goRowSelect)) {
    ShowEditor();
    return;
  }
  bool extend = shift.Contains(ssShift) && options_.Contains(goRangeSelect);
  if (MoveCurrent(cell.X, cell.Y, !extend, true)) {
    if (options_.Contains(goRangeSelect)) gridState_ = gsSelecting;
    Click();
  }
}

void TCustomGrid::MouseMove(TShiftState shift, Integer x, Integer y) {
  TCustomControl::MouseMove(shift, x, y);
  switch (gridState_) {
    case gsColSizing:
    case gsRowSizing: {
      bool cols = gridState_ == gsColSizing;
      Integer size = std::max(0, (cols ? x : y) - sizingStart_);
      std::vector<Integer>& sizes = cols ? colWidths_ : rowHeights_;
      if (sizes[static_cast<size_t>(sizingIndex_)] != size) {
        sizes[static_cast<size_t>(sizingIndex_)] = size;
        Invalidate();
      }
      return;
    }
    case gsSelecting: {
      TGridCoord cell = MouseCoord(x, y);
      if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && !(cell == current_))
        MoveCurrent(cell.X, cell.Y, false, true);
      return;
    }
    case gsColMoving:
    case gsRowMoving:
      if (std::abs(x - movePress_.X) > 4 || std::abs(y - movePress_.Y) > 4) moveStarted_ = true;
      return;
    default:
      return;
  }
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TGridState state = gridState_;
  gridState_ = gsNormal;
  switch (state) {
    case gsColSizing:
      ColWidthsChanged();
      break;
    case gsRowSizing:
      RowHeightsChanged();
      break;
    case gsColMoving:
    case gsRowMoving: {
      if (!moveStarted_) break;
      TGridCoord cell = MouseCoord(x, y);
      bool cols = state == gsColMoving;
      Integer to = cols ? cell.X : cell.Y;
      Integer minIndex = cols ? fixedCols_ : fixedRows_;
      if (to >= minIndex && to != moveFrom_) {
        if (cols)
          ColumnMoved(moveFrom_, to);
        else
          RowMoved(moveFrom_, to);
      }
      break;
    }
    default:
      break;
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

bool TCustomGrid::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  if (TCustomControl::DoMouseWheelDown(shift, mousePos)) return true;
  if (current_.Y < rowCount_ - 1) FocusCell(current_.X, current_.Y + 1, true);
  return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  if (TCustomControl::DoMouseWheelUp(shift, mousePos)) return true;
  if (current_.Y > fixedRows_) FocusCell(current_.X, current_.Y - 1, true);
  return true;
}

void TCustomGrid::ColumnMoved(Integer fromIndex, Integer toIndex) {
  if (fromIndex == toIndex) return;
  Integer w = colWidths_[static_cast<size_t>(fromIndex)];
  colWidths_.erase(colWidths_.begin() + fromIndex);
  colWidths_.insert(colWidths_.begin() + toIndex, w);
  Invalidate();
  if (OnColumnMoved) OnColumnMoved(this, fromIndex, toIndex);
}

void TCustomGrid::RowMoved(Integer fromIndex, Integer toIndex) {
  if (fromIndex == toIndex) return;
  Integer hgt = rowHeights_[static_cast<size_t>(fromIndex)];
  rowHeights_.erase(rowHeights_.begin() + fromIndex);
  rowHeights_.insert(rowHeights_.begin() + toIndex, hgt);
  Invalidate();
  if (OnRowMoved) OnRowMoved(this, fromIndex, toIndex);
}

void TCustomGrid::DoExit() {
  TCustomControl::DoExit();
  if (!ShowsSelectionUnfocused()) Invalidate();
}

// ---- Editing ----

bool TCustomGrid::CanEditShow() const {
  return options_.Contains(goEditing) && !options_.Contains(goRowSelect) && current_.X >= fixedCols_ &&
         current_.Y >= fixedRows_ && current_.X < colCount_ && current_.Y < rowCount_;
}

bool TCustomGrid::CanEditModify() { return options_.Contains(goEditing); }

bool TCustomGrid::CanEditAcceptKey(Char) const { return true; }

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

String TCustomGrid::GetEditMask(Integer ACol, Integer ARow) {
  String mask;
  if (OnGetEditMask) OnGetEditMask(this, ACol, ARow, mask);
  return mask;
}

String TCustomGrid::GetEditText(Integer ACol, Integer ARow) {
  String value;
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
  return value;
}

void TCustomGrid::SetEditText(Integer ACol, Integer ARow, const String& Value) {
  if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TCustomGrid::SetEditorMode(bool value) {
  if (value)
    ShowEditor();
  else
    HideEditor();
}

void TCustomGrid::ShowEditor() {
  if (!CanEditShow()) return;
  if (!inplaceEdit_) {
    inplaceEdit_ = CreateEditor();
    inplaceEdit_->grid_ = this;
  }
  if (!editorMode_ || !(editCell_ == current_)) {
    editCell_ = current_;
    editOriginal_ = GetEditText(current_.X, current_.Y);
    inplaceEdit_->loading_ = true;
    inplaceEdit_->SetEditMask(GetEditMask(current_.X, current_.Y));
    inplaceEdit_->SetText(editOriginal_);
    inplaceEdit_->loading_ = false;
    inplaceEdit_->textModified_ = false;
  }
  editorMode_ = true;
  if (inplaceEdit_->GetParent() != this) inplaceEdit_->SetParent(this);
  inplaceEdit_->GetFont()->Assign(GetFont());
  UpdateEditPosition();
  inplaceEdit_->Show();
  if (inplaceEdit_->CanFocus()) {
    inplaceEdit_->SetFocus();
    inplaceEdit_->SelectAll();
  }
  Invalidate();
}

void TCustomGrid::UpdateEditPosition() {
  if (!editorMode_ || !inplaceEdit_) return;
  TRect r = CellRect(editCell_.X, editCell_.Y);
  if (r.IsEmpty()) {
    inplaceEdit_->SetBounds(-r.Width() - 100, 0, 1, 1);
    return;
  }
  inplaceEdit_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TCustomGrid::InvalidateEditor() {
  if (!editorMode_ || !inplaceEdit_) return;
  editOriginal_ = GetEditText(editCell_.X, editCell_.Y);
  inplaceEdit_->loading_ = true;
  inplaceEdit_->SetText(editOriginal_);
  inplaceEdit_->loading_ = false;
  inplaceEdit_->textModified_ = false;
}

void TCustomGrid::UpdateText() {
  if (!editorMode_ || !inplaceEdit_ || editCell_.X < 0) return;
  if (editCell_.X >= colCount_ || editCell_.Y >= rowCount_) return;
  SetEditText(editCell_.X, editCell_.Y, inplaceEdit_->GetText());
}

void TCustomGrid::HideEditor() {
  if (!editorMode_) return;
  UpdateText();
  CancelEditor();
}

void TCustomGrid::CancelEditor() {
  if (!editorMode_) return;
  editorMode_ = false;
  bool hadFocus = inplaceEdit_ && inplaceEdit_->Focused();
  if (hadFocus && CanFocus()) SetFocus();
  if (inplaceEdit_) {
    inplaceEdit_->loading_ = true;
    inplaceEdit_->SetText(editOriginal_);
    inplaceEdit_->loading_ = false;
    inplaceEdit_->textModified_ = false;
    inplaceEdit_->Hide();
  }
  editCell_ = {-1, -1};
  Invalidate();
}

// ---- Streaming of the sizes ----

void TCustomGrid::DefineProperties(TFiler* filer) {
  TCustomControl::DefineProperties(filer);
  bool colsStored =
      std::any_of(colWidths_.begin(), colWidths_.end(), [&](Integer w) { return w != defaultColWidth_; });
  bool rowsStored =
      std::any_of(rowHeights_.begin(), rowHeights_.end(), [&](Integer h) { return h != defaultRowHeight_; });
  filer->DefineProperty(u"ColWidths", TReaderProc(this, &TCustomGrid::ReadColWidths),
                        TWriterProc(this, &TCustomGrid::WriteColWidths), colsStored);
  filer->DefineProperty(u"RowHeights", TReaderProc(this, &TCustomGrid::ReadRowHeights),
                        TWriterProc(this, &TCustomGrid::WriteRowHeights), rowsStored);
}

void TCustomGrid::ReadColWidths(TReader* reader) {
  reader->ReadListBegin();
  for (Integer i = 0; !reader->EndOfList(); ++i) {
    Integer w = reader->ReadInteger();
    if (i < colCount_) colWidths_[static_cast<size_t>(i)] = std::max(0, w);
  }
  reader->ReadListEnd();
}

void TCustomGrid::WriteColWidths(TWriter* writer) {
  writer->WriteListBegin();
  for (Integer w : colWidths_) writer->WriteInteger(w);
  writer->WriteListEnd();
}

void TCustomGrid::ReadRowHeights(TReader* reader) {
  reader->ReadListBegin();
  for (Integer i = 0; !reader->EndOfList(); ++i) {
    Integer h = reader->ReadInteger();
    if (i < rowCount_) rowHeights_[static_cast<size_t>(i)] = std::max(0, h);
  }
  reader->ReadListEnd();
}

void TCustomGrid::WriteRowHeights(TWriter* writer) {
  writer->WriteListBegin();
  for (Integer h : rowHeights_) writer->WriteInteger(h);
  writer->WriteListEnd();
}

// ======================= TDrawGrid =======================

// ======================= TStringGrid =======================

void TStringGrid::Published(TPropBuilder<TStringGrid>&) {}

TStringGrid::TStringGrid(TComponent* owner) : TDrawGrid(owner) {}

TStringGrid::~TStringGrid() = default;

void TStringGrid::CheckCell(Integer ACol, Integer ARow) const {
  if (ACol < 0 || ARow < 0) throw EInvalidGridOperation(SGridIndexOutOfRange);
}

String TStringGrid::GetCells(Integer ACol, Integer ARow) const {
  CheckCell(ACol, ARow);
  auto it = cells_.find({ARow, ACol});
  return it == cells_.end() ? String() : it->second.text;
}

void TStringGrid::SetCells(Integer ACol, Integer ARow, const String& value) {
  CheckCell(ACol, ARow);
  auto it = cells_.find({ARow, ACol});
  if (value.empty() && (it == cells_.end() || !it->second.object)) {
    if (it != cells_.end()) cells_.erase(it);
  } else {
    cells_[{ARow, ACol}].text = value;
  }
  if (editorMode_ && editCell_ == TGridCoord{ACol, ARow} && !GetInplaceEditor()->GetTextModified())
    InvalidateEditor();
  InvalidateCell(ACol, ARow);
}

TObject* TStringGrid::GetObjects(Integer ACol, Integer ARow) const {
  CheckCell(ACol, ARow);
  auto it = cells_.find({ARow, ACol});
  return it == cells_.end() ? nullptr : it->second.object;
}

void TStringGrid::SetObjects(Integer ACol, Integer ARow, TObject* value) {
  CheckCell(ACol, ARow);
  auto it = cells_.find({ARow, ACol});
  if (!value && (it == cells_.end() || it->second.text.empty())) {
    if (it != cells_.end()) cells_.erase(it);
    return;
  }
  cells_[{ARow, ACol}].object = value;
}

TStrings* TStringGrid::GetCols(Integer index) {
  CheckIndex(index, GetColCount());
  auto& slot = lines_[{true, index}];
  if (!slot) slot = std::make_unique<TStringGridStrings>(this, true, index);
  return slot.get();
}

void TStringGrid::SetCols(Integer index, TStrings* value) { GetCols(index)->Assign(value); }

TStrings* TStringGrid::GetRows(Integer index) {
  CheckIndex(index, GetRowCount());
  auto& slot = lines_[{false, index}];
  if (!slot) slot = std::make_unique<TStringGridStrings>(this, false, index);
  return slot.get();
}

void TStringGrid::SetRows(Integer index, TStrings* value) { GetRows(index)->Assign(value); }

String TStringGrid::GetEditText(Integer ACol, Integer ARow) {
  String value = GetCells(ACol, ARow);
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
  return value;
}

void TStringGrid::SetEditText(Integer ACol, Integer ARow, const String& Value) {
  SetCells(ACol, ARow, Value);
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) {
  if (GetDefaultDrawing()) {
    auto it = cells_.find({ARow, ACol});
    if (it != cells_.end() && !it->second.text.empty()) DrawCellText(ARect, it->second.text, taLeftJustify);
  }
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

void TStringGrid::MoveLine(bool cols, Integer fromIndex, Integer toIndex) {
  std::map<Key, Cell> moved;
  for (auto& [key, cell] : cells_) {
    Integer i = cols ? key.second : key.first;
    Integer j = i;
    if (i == fromIndex)
      j = toIndex;
    else if (fromIndex < toIndex && i > fromIndex && i <= toIndex)
      j = i - 1;
    else if (fromIndex > toIndex && i >= toIndex && i < fromIndex)
      j = i + 1;
    Key k = cols ? Key{key.first, j} : Key{j, key.second};
    moved.emplace(k, std::move(cell));
  }
  cells_ = std::move(moved);
}

void TStringGrid::ColumnMoved(Integer fromIndex, Integer toIndex) {
  MoveLine(true, fromIndex, toIndex);
  TDrawGrid::ColumnMoved(fromIndex, toIndex);
}

void TStringGrid::RowMoved(Integer fromIndex, Integer toIndex) {
  MoveLine(false, fromIndex, toIndex);
  TDrawGrid::RowMoved(fromIndex, toIndex);
}

void TStringGrid::SizeChanged(Integer, Integer) {
  // Cells outside the new size go, so that a grid made smaller and larger again starts empty there.
  for (auto it = cells_.begin(); it != cells_.end();) {
    if (it->first.first >= GetRowCount() || it->first.second >= GetColCount())
      it = cells_.erase(it);
    else
      ++it;
  }
  for (auto it = lines_.begin(); it != lines_.end();) {
    bool gone = it->first.first ? it->first.second >= GetColCount() : it->first.second >= GetRowCount();
    it = gone ? lines_.erase(it) : std::next(it);
  }
}

// ---- TStringGridStrings ----

TGridCoord TStringGridStrings::Coord(int index) const {
  if (index < 0 || index >= GetCount()) throw EInvalidGridOperation(SGridIndexOutOfRange);
  return isCol_ ? TGridCoord{index_, index} : TGridCoord{index, index_};
}

int TStringGridStrings::GetCount() const { return isCol_ ? grid_->GetRowCount() : grid_->GetColCount(); }

String TStringGridStrings::Get(int index) const {
  TGridCoord c = Coord(index);
  return grid_->GetCells(c.X, c.Y);
}

TObject* TStringGridStrings::GetObject(int index) const {
  TGridCoord c = Coord(index);
  return grid_->GetObjects(c.X, c.Y);
}

void TStringGridStrings::Put(int index, const String& s) {
  TGridCoord c = Coord(index);
  grid_->SetCells(c.X, c.Y, s);
}

void TStringGridStrings::PutObject(int index, TObject* object) {
  TGridCoord c = Coord(index);
  grid_->SetObjects(c.X, c.Y, object);
}

void TStringGridStrings::Clear() {
  for (int i = 0; i < GetCount(); ++i) {
    Put(i, String());
    PutObject(i, nullptr);
  }
}

void TStringGridStrings::Delete(int) { throw EInvalidGridOperation(SInvalidStringGridOp); }

void TStringGridStrings::Insert(int, const String&) { throw EInvalidGridOperation(SInvalidStringGridOp); }

int TStringGridStrings::Add(const String& s) { return AddObject(s, nullptr); }

int TStringGridStrings::AddObject(const String& s, TObject* object) {
  for (int i = 0; i < GetCount(); ++i) {
    if (Get(i).empty() && !GetObject(i)) {
      Put(i, s);
      PutObject(i, object);
      return i;
    }
  }
  throw EInvalidGridOperation(SInvalidStringGridOp);
}
