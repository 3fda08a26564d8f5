// Base grid structure: construction with its defaults, options, counts and the properties over the
// axes, cell coordinates and rectangles, streaming of the cell sizes, focus, the axis notifications,
// and the appearance parameter objects the grid owns.
#include "gridlib/grids/GridsEh.h"

#include <algorithm>

#include "platform/classes/Streaming.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

TGridOptionsEh DefaultGridOptionsEh() {
  return {goFixedVertLineEh,
          goFixedHorzLineEh,
          goVertLineEh,
          goHorzLineEh,
          goDrawFocusSelectedEh,
          goRowSizingEh,
          goColSizingEh,
          goRowMovingEh,
          goColMovingEh,
          goEditingEh,
          goContraVertBoundaryLineEh,
          goContraHorzBoundaryLineEh};
}

// ======================= Line colours =======================

TColor TGridLineColorsEh::DefaultLineColor(bool dark) const {
  if (dark) return StyleServices()->GetSystemColor(clGray);
  const bool silverGrid = ColorToRGB(grid_->GetColor()) == ColorToRGB(clSilver);
  return StyleServices()->GetSystemColor(silverGrid ? clGray : clSilver);
}

TColor TGridLineColorsEh::GetBrightColor() const {
  return brightColor_ == clDefault ? DefaultLineColor(false) : brightColor_;
}
TColor TGridLineColorsEh::GetDarkColor() const {
  return darkColor_ == clDefault ? DefaultLineColor(true) : darkColor_;
}
TColor TGridLineColorsEh::GetDataHorzColor() const { return Or(dataHorzColor_, GetBrightColor()); }
TColor TGridLineColorsEh::GetDataVertColor() const { return Or(dataVertColor_, GetBrightColor()); }

void TGridLineColorsEh::SetBrightColor(TColor value) {
  if (brightColor_ == value) return;
  brightColor_ = value;
  grid_->Invalidate();
}
void TGridLineColorsEh::SetDarkColor(TColor value) {
  if (darkColor_ == value) return;
  darkColor_ = value;
  grid_->Invalidate();
}
void TGridLineColorsEh::SetDataHorzColor(TColor value) {
  if (dataHorzColor_ == value) return;
  dataHorzColor_ = value;
  grid_->Invalidate();
}
void TGridLineColorsEh::SetDataVertColor(TColor value) {
  if (dataVertColor_ == value) return;
  dataVertColor_ = value;
  grid_->Invalidate();
}

TColor TGridLineColorsEh::GetCellLineColor(Integer col, Integer row) const {
  if (col < grid_->GetFixedColCount() - grid_->GetFrozenColCount() ||
      row < grid_->GetFixedRowCount() - grid_->GetFrozenRowCount())
    return GetDarkColor();
  if (row >= grid_->GetRowCount()) return GetVertAreaContraVertColor();
  if (col >= grid_->GetColCount()) return GetHorzAreaContraHorzColor();
  return GetBrightColor();
}

TColor TGridLineColorsEh::GetFrozenRowBoundaryColor(Integer /*col*/, Integer row) const {
  return grid_->GetFrozenRowCount() > 0 && row == grid_->GetFixedRowCount() - 1 ? GetDarkColor()
                                                                                : GetBrightColor();
}

TColor TGridLineColorsEh::GetContraColBoundaryColor(Integer col) const {
  return col == grid_->GetColCount() ? GetVertAreaContraBorderColor() : GetBrightColor();
}

TColor TGridLineColorsEh::GetFrozenColBoundaryColor(Integer col) const {
  return grid_->GetFrozenColCount() > 0 && col == grid_->GetFixedColCount() - 1
             ? GetVertAreaFrozenBorderColor()
             : GetBrightColor();
}

TColor TGridLineColorsEh::GetContraRowBoundaryColor(Integer /*col*/, Integer row) const {
  return row == grid_->GetRowCount() ? GetHorzAreaContraBorderColor() : GetBrightColor();
}

// ======================= Out-boundary strips =======================

template <class T>
void TGridOutBoundaryDataEh::Set(T& field, T value) {
  if (field == value) return;
  field = value;
  grid_->OutBoundaryDataChanged();
}
template void TGridOutBoundaryDataEh::Set<Integer>(Integer&, Integer);
template void TGridOutBoundaryDataEh::Set<TCornerDrawPriorityEh>(TCornerDrawPriorityEh&,
                                                                 TCornerDrawPriorityEh);

bool TGridOutBoundaryDataEh::GetOutBoundaryRect(TRect& rect, TGridCellBorderTypeEh side) const {
  const Integer w = grid_->GetClientWidth(), h = grid_->GetClientHeight();
  const auto vert = [](TCornerDrawPriorityEh p) { return p == crpVerticalDataPriorityEh; };
  switch (side) {
    case cbtTopEh:
      if (topIndent_ <= 0) return false;
      rect = TRect(vert(leftTop_) ? leftIndent_ : 0, 0, vert(rightTop_) ? w - rightIndent_ : w, topIndent_);
      return true;
    case cbtBottomEh:
      if (bottomIndent_ <= 0) return false;
      rect = TRect(vert(leftBottom_) ? leftIndent_ : 0, h - bottomIndent_,
                   vert(rightBottom_) ? w - rightIndent_ : w, h);
      return true;
    case cbtLeftEh:
      if (leftIndent_ <= 0) return false;
      rect =
          TRect(0, vert(leftTop_) ? 0 : topIndent_, leftIndent_, vert(leftBottom_) ? h : h - bottomIndent_);
      return true;
    case cbtRightEh:
      if (rightIndent_ <= 0) return false;
      rect = TRect(w - rightIndent_, vert(rightTop_) ? 0 : topIndent_, w,
                   vert(rightBottom_) ? h : h - bottomIndent_);
      return true;
  }
  return false;
}

void TGridOutBoundaryDataEh::InvalidateOutBoundary(TGridCellBorderTypeEh side) {
  TRect r;
  if (grid_->HandleAllocated() && GetOutBoundaryRect(r, side))
    ::InvalidateRect(grid_->GetHandle(), &r, false);
}

// ======================= Hot-track spot =======================

void TGridHotTrackSpotEh::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TGridHotTrackSpotEh*>(source);
  if (!other) return inherited::Assign(source);
  Col = other->Col;
  Row = other->Row;
  InCellX = other->InCellX;
  InCellY = other->InCellY;
}

// ======================= Background picture =======================

TGridBackgroundDataEh::TGridBackgroundDataEh(TCustomGridEh* grid)
    : grid_(grid), picture_(std::make_unique<TPicture>()) {
  picture_->OnChange = TNotifyEvent(this, &TGridBackgroundDataEh::PictureChanged);
}

TGridBackgroundDataEh::~TGridBackgroundDataEh() = default;

void TGridBackgroundDataEh::PictureChanged(TObject* /*sender*/) { grid_->Invalidate(); }

void TGridBackgroundDataEh::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  grid_->Invalidate();
}
void TGridBackgroundDataEh::SetPlacement(TImagePlacementEh value) {
  if (placement_ == value) return;
  placement_ = value;
  grid_->Invalidate();
}
void TGridBackgroundDataEh::SetHorzMargin(Integer value) {
  if (horzMargin_ == value) return;
  horzMargin_ = value;
  grid_->Invalidate();
}
void TGridBackgroundDataEh::SetVertMargin(Integer value) {
  if (vertMargin_ == value) return;
  vertMargin_ = value;
  grid_->Invalidate();
}

TRect TGridBackgroundDataEh::BoundRect() const {
  return TRect(grid_->GetHorzAxis()->GetGridClientStart(), grid_->GetVertAxis()->GetGridClientStart(),
               grid_->GetHorzAxis()->GetGridClientStop(), grid_->GetVertAxis()->GetGridClientStop());
}

TRect TGridBackgroundDataEh::PictureRect(const TRect& bound) const {
  const Integer bw = bound.Width(), bh = bound.Height();
  const Integer pw = picture_->GetWidth(), ph = picture_->GetHeight();
  const bool sized = pw > 0 && ph > 0;
  const double ratio = sized ? static_cast<double>(pw) / ph : 1.0;
  Integer w = pw, h = ph;
  if (placement_ == ipStretchEh || (!sized && (placement_ == ipFitEh || placement_ == ipFillEh))) {
    w = bw;
    h = bh;
  } else if (placement_ == ipFitEh) {
    w = bw;
    h = static_cast<Integer>(bw / ratio);
    if (h > bh) {
      h = bh;
      w = static_cast<Integer>(bh * ratio);
    }
  } else if (placement_ == ipFillEh) {
    w = static_cast<Integer>(bh * ratio);
    h = bh;
    if (w < bw) {
      w = bw;
      h = static_cast<Integer>(bw / ratio);
    }
  }
  const Integer dx = (bw - w) / 2, dy = (bh - h) / 2;
  Integer ox = 0, oy = 0;
  switch (placement_) {
    case ipTopCenterEh:
      ox = dx;
      break;
    case ipTopRightEh:
      ox = bw - w;
      break;
    case ipCenterLeftEh:
      oy = dy;
      break;
    case ipCenterCenterEh:
      ox = dx;
      oy = dy;
      break;
    case ipCenterRightEh:
      ox = bw - w;
      oy = dy;
      break;
    case ipBottomLeftEh:
      oy = bh - h;
      break;
    case ipBottomCenterEh:
      ox = dx;
      oy = bh - h;
      break;
    case ipBottomRightEh:
      ox = bw - w;
      oy = bh - h;
      break;
    case ipFillEh:
      (h != bh ? oy : ox) = h != bh ? dy : dx;
      break;
    case ipFitEh:
      (w == bw ? oy : ox) = w == bw ? dy : dx;
      break;
    default:
      break;
  }
  const Integer left = bound.Left + horzMargin_ + ox, top = bound.Top + vertMargin_ + oy;
  return TRect(left, top, left + w, top + h);
}

void TGridBackgroundDataEh::PaintBackgroundData() {
  TCanvas* c = grid_->GetCanvas();
  c->GetPen()->SetStyle(psSolid);
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(grid_->GetColor());
  c->GetPen()->SetColor(grid_->GetColor());
  c->Rectangle(0, 0, grid_->GetWidth(), grid_->GetHeight());
  TGraphic* graphic = picture_->GetGraphic();
  if (!graphic || graphic->GetEmpty()) return;
  const TRect r = PictureRect(BoundRect());
  if (placement_ != ipTileEh) {
    c->StretchDraw(r, graphic);
    return;
  }
  const Integer w = picture_->GetWidth(), h = picture_->GetHeight();
  for (Integer y = r.Top; y < grid_->GetClientHeight(); y += h)
    for (Integer x = r.Left; x < grid_->GetClientWidth(); x += w) c->Draw(x, y, graphic);
}

// ======================= Scroll-bar settings =======================

void TGridScrollBarEh::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TGridScrollBarEh*>(source)) {
    tracking_ = other->tracking_;
    return;
  }
  inherited::Assign(source);
}

bool TGridScrollBarEh::CalcScrollBarShowing() {
  if (visibleMode_ == sbAlwaysShowEh) return true;
  if (visibleMode_ == sbNeverShowEh) return false;
  Integer pos = 0, min = 0, max = 0, page = 0;
  if (kind_ == sbHorizontal)
    grid_->CalcHorzScrollBarParams(pos, min, page, max);
  else
    grid_->CalcVertScrollBarParams(pos, min, page, max);
  return min < max && max - min >= page;
}

void TGridScrollBarEh::ScrollBarChanged() {
  if (grid_) grid_->UpdateScrollBars();
}

Integer TGridScrollBarEh::ActualSize() { return size_ > 0 ? size_ : grid_->GetScrollBarSize(); }

Integer TGridScrollBarEh::ActualScrollBarBoxSize() {
  const Integer size = ActualSize();
  return IsKeepMaxSizeInDefault() ? std::min(size, GetSystemMetrics(SM_CYHSCROLL)) : size;
}

void TGridScrollBarEh::SetSize(Integer value) {
  if (size_ == value) return;
  size_ = value;
  grid_->ScrollBarSizeChanged(this);
}

void TGridScrollBarEh::SetSmoothStep(bool value) {
  if (smoothStep_ == value) return;
  smoothStep_ = value;
  SmoothStepChanged();
}

void TGridScrollBarEh::SetVisibleMode(TScrollBarVisibleModeEh value) {
  if (visibleMode_ == value) return;
  visibleMode_ = value;
  grid_->UpdateBoundaries();
}

// ======================= Draw style =======================

namespace {
TGridDrawStyleEh* defaultDrawStyle = nullptr;
std::unique_ptr<TGridDrawStyleEh> defaultDrawStyleHolder;
}  // namespace

TGridDrawStyleEh* GetGridDefaultDrawStyle() {
  if (!defaultDrawStyle) {
    defaultDrawStyleHolder = std::make_unique<TGridDrawStyleEh>(nullptr);
    defaultDrawStyle = defaultDrawStyleHolder.get();
  }
  return defaultDrawStyle;
}

TGridDrawStyleEh::TGridDrawStyleEh(TComponent* owner) : TComponent(owner) {}

TGridDrawStyleEh::~TGridDrawStyleEh() {
  if (defaultDrawStyle == this) defaultDrawStyle = nullptr;
  while (!grids_.empty()) grids_.back()->SetDrawStyle(nullptr);
}

void TGridDrawStyleEh::AddChangeNotification(TCustomGridEh* grid) {
  if (!GridInChangeNotification(grid)) grids_.push_back(grid);
}

void TGridDrawStyleEh::RemoveChangeNotification(TCustomGridEh* grid) {
  grids_.erase(std::remove(grids_.begin(), grids_.end(), grid), grids_.end());
}

bool TGridDrawStyleEh::GridInChangeNotification(TCustomGridEh* grid) const {
  return std::find(grids_.begin(), grids_.end(), grid) != grids_.end();
}

void TGridDrawStyleEh::Changed() {
  for (TCustomGridEh* grid : grids_) grid->DrawStyleChanged();
}

bool TGridDrawStyleEh::IsCustomStyleActive() const { return CustomStyleActiveEh(); }

TGridSelectionDrawStyleEh TGridDrawStyleEh::GetDefaultActualSelectionStyle() const {
  if (ThemesEnabledEh() && IsCustomStyleActive()) return gsdsGridThemedEh;
  if (VistaThemesEnabledEh()) return gsdsListViewThemedEh;
  return gsdsClassicEh;
}

TGridSelectionDrawStyleEh TGridDrawStyleEh::GetActualSelectionStyle() const {
  if (selectionStyle_ == gsdsDefaultEh ||
      (selectionStyle_ == gsdsListViewThemedEh && !VistaThemesEnabledEh()))
    return GetDefaultActualSelectionStyle();
  return selectionStyle_;
}

bool TGridDrawStyleEh::DefaultDrawFocusFrame() const {
  return GetActualSelectionStyle() == gsdsClassicEh && !IsCustomStyleActive();
}

bool TGridDrawStyleEh::GetDrawFocusFrame() const {
  return drawFocusFrameStored_ ? drawFocusFrame_ : DefaultDrawFocusFrame();
}

void TGridDrawStyleEh::SetDrawFocusFrame(bool value) {
  if (drawFocusFrameStored_ && drawFocusFrame_ == value) return;
  drawFocusFrameStored_ = true;
  drawFocusFrame_ = value;
  Changed();
}

void TGridDrawStyleEh::SetDrawFocusFrameStored(bool value) {
  if (drawFocusFrameStored_ == value) return;
  drawFocusFrameStored_ = value;
  drawFocusFrame_ = DefaultDrawFocusFrame();
  Changed();
}

void TGridDrawStyleEh::SetSelectionStyle(TGridSelectionDrawStyleEh value) {
  if (selectionStyle_ == value) return;
  selectionStyle_ = value;
  Changed();
}

TGridSelectionDrawStyleEh TGridSelectionDrawParamsEh::GetActualSelectionStyle() const {
  if (selectionStyle_ != gsdsDefaultEh &&
      !(selectionStyle_ == gsdsListViewThemedEh && !VistaThemesEnabledEh()))
    return selectionStyle_;
  return grid_->DrawStyleSelectionStyle();
}

bool TGridSelectionDrawParamsEh::DefaultDrawFocusFrame() const {
  if (selectionStyle_ != gsdsDefaultEh) return GetActualSelectionStyle() == gsdsClassicEh;
  return grid_->IsDrawFocusFrame();
}

bool TGridSelectionDrawParamsEh::GetDrawFocusFrame() const {
  return drawFocusFrameStored_ ? drawFocusFrame_ : DefaultDrawFocusFrame();
}

void TGridSelectionDrawParamsEh::SetDrawFocusFrame(bool value) {
  if (drawFocusFrameStored_ && drawFocusFrame_ == value) return;
  drawFocusFrameStored_ = true;
  drawFocusFrame_ = value;
  grid_->Invalidate();
}

void TGridSelectionDrawParamsEh::SetDrawFocusFrameStored(bool value) {
  if (drawFocusFrameStored_ == value) return;
  drawFocusFrameStored_ = value;
  drawFocusFrame_ = DefaultDrawFocusFrame();
  grid_->Invalidate();
}

void TGridSelectionDrawParamsEh::SetSelectionStyle(TGridSelectionDrawStyleEh value) {
  if (selectionStyle_ == value) return;
  selectionStyle_ = value;
  grid_->Invalidate();
}

// ======================= The grid: life cycle =======================

TCustomGridEh::TCustomGridEh(TComponent* owner) : TCustomControlEh(owner) {
  controlStyle_ = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csGestures, csNeedsBorderPaint};
  SetDrawStyle(GetGridDefaultDrawStyle());
  horzAxis_ = std::make_unique<TGridAxisDataEh>(this);
  vertAxis_ = std::make_unique<TGridAxisDataEh>(this);
  horzScrollBar_.reset(CreateScrollBar(sbHorizontal));
  vertScrollBar_.reset(CreateScrollBar(sbVertical));
  scrollBarSize_ = GetSystemMetrics(SM_CYHSCROLL);
  SetDefaultColWidth(50);
  SetDefaultRowHeight(20);
  canEditModify_ = true;
  options_ = DefaultGridOptionsEh();
  designOptionsBoost_ = TGridOptionsEh{goRowSizingEh, goColSizingEh, goColMovingEh};
  gridLineWidth_ = 1;
  fixedColor_ = clBtnFace;
  borderStyle_ = bsSingle;
  editorMode_ = false;
  SetColor(clWindow);
  SetParentColor(false);
  SetTabStop(true);
  fixedLineColor_ = clBlack;
  gridLineColors_.reset(CreateGridLineColors());
  outBoundaryData_ = std::make_unique<TGridOutBoundaryDataEh>(this);
  gridTimer_ = new TTimer(this);
  gridTimer_->SetEnabled(false);
  gridTimer_->OnTimer = TNotifyEvent(this, &TCustomGridEh::TimedScroll);
  oldHotTrackSpot_.reset(CreateHotTrackSpot());
  newHotTrackSpot_.reset(CreateHotTrackSpot());
  backgroundData_.reset(CreateBackgroundData());
  sizeGripPostion_ = sgpBottomRight;
  const auto preparePanel = [this](TCustomPanel* panel, const Char* name) {
    if (name) panel->SetName(name);
    panel->SetParent(this);
    panel->SetVisible(false);
    panel->SetBounds(0, 0, 0, 0);
    panel->SetParentBackground(false);
  };
  horzScrollBarPanelControl_ = CreateHorzScrollBarPanel();
  preparePanel(horzScrollBarPanelControl_, u"HorzScrollBarPanelControl");
  vertScrollBarPanelControl_ = CreateVertScrollBarPanel();
  preparePanel(vertScrollBarPanelControl_, u"VertScrollBarPanelControl");
  cornerScrollBarPanelControl_ = CreateSizeGripPanel();
  preparePanel(cornerScrollBarPanelControl_, u"CornerScrollBarPanelControl");
  extraSizeGripControl_ = new TSizeGripPanelEh(this);
  preparePanel(extraSizeGripControl_, nullptr);
  extraSizeGripControl_->SetGripActiveStatus(gasNeverEh);
  horzAxis_->SetRolCelCount(5);
  vertAxis_->SetRolCelCount(5);
  horzAxis_->SetFixedCelCount(1);
  vertAxis_->SetFixedCelCount(1);
  SetBounds(GetLeft(), GetTop(), GetColCount() * GetDefaultColWidth(), GetRowCount() * GetDefaultRowHeight());
  selectionDrawParams_ = std::make_unique<TGridSelectionDrawParamsEh>(this);
}

TCustomGridEh::~TCustomGridEh() {
  if (drawStyle_) drawStyle_->RemoveChangeNotification(this);
  delete inplaceEdit_;
  inplaceEdit_ = nullptr;
  gridTimer_->SetEnabled(false);
}

TGridBackgroundDataEh* TCustomGridEh::CreateBackgroundData() { return new TGridBackgroundDataEh(this); }
GridsEh::TInplaceEdit* TCustomGridEh::CreateEditor() { return new GridsEh::TInplaceEdit(this); }
TGridLineColorsEh* TCustomGridEh::CreateGridLineColors() { return new TGridLineColorsEh(this); }
TGridHotTrackSpotEh* TCustomGridEh::CreateHotTrackSpot() { return new TGridHotTrackSpotEh(); }
TGridScrollBarEh* TCustomGridEh::CreateScrollBar(TScrollBarKind kind) {
  return new TGridScrollBarEh(this, kind);
}
TGridScrollBarPanelControlEh* TCustomGridEh::CreateHorzScrollBarPanel() {
  return new TGridScrollBarPanelControlEh(this, sbHorizontal);
}
TGridScrollBarPanelControlEh* TCustomGridEh::CreateVertScrollBarPanel() {
  return new TGridScrollBarPanelControlEh(this, sbVertical);
}
TSizeGripPanelEh* TCustomGridEh::CreateSizeGripPanel() { return new TSizeGripPanelEh(this); }

void TCustomGridEh::SetDrawStyle(TGridDrawStyleEh* style) {
  if (drawStyle_) drawStyle_->RemoveChangeNotification(this);
  drawStyle_ = style ? style : defaultDrawStyle;
  if (drawStyle_) drawStyle_->AddChangeNotification(this);
  Invalidate();
}

void TCustomGridEh::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= WS_TABSTOP;
  params.WindowClassStyle = CS_DBLCLKS;
  if (borderStyle_ == bsSingle) {
    if (GetCtl3D()) {
      params.Style &= ~WS_BORDER;
      params.ExStyle |= WS_EX_CLIENTEDGE;
    } else {
      params.Style |= WS_BORDER;
    }
  }
  params.Style |= WS_CLIPCHILDREN;
}

// ======================= Options and simple properties =======================

void TCustomGridEh::SetOptions(TGridOptionsEh value) {
  if (value == options_) return;
  if (value.Contains(goRowSelectEh)) value >> goAlwaysShowEditorEh;
  options_ = value;
  if (!editorMode_) {
    if (options_.Contains(goAlwaysShowEditorEh))
      ShowEditor();
    else
      HideEditor();
  }
  if (options_.Contains(goRowSelectEh)) MoveCurCell(curCell_.X, curCell_.Y, false, true);
  if (HandleAllocated()) UpdateBoundaries();
  Invalidate();
}

Integer TCustomGridEh::VertLineWidth() const {
  return options_.Contains(goFixedVertLineEh) || options_.Contains(goVertLineEh) ? gridLineWidth_ : 0;
}
Integer TCustomGridEh::HorzLineWidth() const {
  return options_.Contains(goFixedHorzLineEh) || options_.Contains(goHorzLineEh) ? gridLineWidth_ : 0;
}
bool TCustomGridEh::IsLinesVisible(bool horz) const {
  return horz ? options_.Contains(goFixedHorzLineEh) || options_.Contains(goHorzLineEh)
              : options_.Contains(goFixedVertLineEh) || options_.Contains(goVertLineEh);
}

void TCustomGridEh::SetGridLineWidth(Integer value) {
  if (gridLineWidth_ == value) return;
  gridLineWidth_ = value;
  UpdateBoundaries();
}

void TCustomGridEh::SetFixedColor(TColor value) {
  if (fixedColor_ == value) return;
  fixedColor_ = value;
  Invalidate();
}

void TCustomGridEh::SetFlat(bool value) {
  if (flat_ == value) return;
  flat_ = value;
  fixedLineColor_ = StyleServices()->GetSystemColor(flat_ ? clGray : clBlack);
  Invalidate();
}

void TCustomGridEh::SetBorderStyle(TBorderStyle value) {
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  RecreateWnd();
}

void TCustomGridEh::SetSizeGripAlwaysShow(bool value) {
  if (sizeGripAlwaysShow_ == value) return;
  sizeGripAlwaysShow_ = value;
  UpdateScrollBarPanels();
}

void TCustomGridEh::SetSizeGripPostion(TSizeGripPosition value) {
  if (sizeGripPostion_ == value) return;
  sizeGripPostion_ = value;
  UpdateScrollBarPanels();
}

bool TCustomGridEh::IsDrawFocusFrame() { return drawStyle_ ? drawStyle_->GetDrawFocusFrame() : true; }

TGridSelectionDrawStyleEh TCustomGridEh::DrawStyleSelectionStyle() {
  return drawStyle_ ? drawStyle_->GetActualSelectionStyle() : gsdsClassicEh;
}

// ======================= Coordinates and rectangles =======================

namespace {

// The cell of one axis at a client coordinate; the contra start belongs to the rolling cells on the
// horizontal axis and to the contra cells on the vertical one.
Integer AxisCellAt(TGridAxisDataEh* axis, Integer p, bool contraStartIsRolling, Integer contraLine) {
  if (p < axis->GetGridClientStart()) return -1;
  if (p < axis->GetFixedBoundary()) {
    Integer e = axis->GetGridClientStart();
    for (Integer i = 0; i < axis->GetFixedCelCount(); ++i) {
      const Integer len = axis->GetFixedCelLens(i);
      if (p >= e && p < e + len) return i;
      e += len;
    }
    return -1;
  }
  if (contraStartIsRolling ? p <= axis->GetContraStart() : p < axis->GetContraStart()) {
    Integer e = axis->GetFixedBoundary() - axis->GetRolStartVisCelOfst();
    for (Integer i = axis->GetStartVisCel(); i < axis->GetCelCount(); ++i) {
      const Integer len = axis->GetCelLens(i);
      if (p >= e && p < e + len) return i;
      e += len;
      if (e > axis->GetContraStart()) break;
    }
    return axis->GetFullCelCount();
  }
  if (p < axis->GetGridClientStop()) {
    Integer e = axis->GetContraStart() + contraLine;
    for (Integer i = axis->GetCelCount(); i < axis->GetFullCelCount(); ++i) {
      const Integer len = axis->GetCelLens(i);
      if (p >= e && p < e + len) return i;
      e += len;
    }
    return -1;
  }
  return axis->GetFullCelCount();
}

}  // namespace

// Contra cells are painted after their boundary line, so rectangles and hit tests start there too.
Integer TCustomGridEh::ContraLineWidth(bool horz) const {
  if (horz) return GetContraColCount() > 0 && options_.Contains(goContraVertBoundaryLineEh) ? 1 : 0;
  return GetContraRowCount() > 0 && options_.Contains(goContraHorzBoundaryLineEh) ? 1 : 0;
}

TGridCoord TCustomGridEh::CalcCoordFromPoint(Integer x, Integer y) {
  CheckUpdateAxes();
  if (UseRightToLeftAlignment()) x = horzAxis_->RightToLeftReflect(x);
  return {AxisCellAt(horzAxis_.get(), x, true, ContraLineWidth(true)),
          AxisCellAt(vertAxis_.get(), y, false, ContraLineWidth(false))};
}

TGridCoord TCustomGridEh::MouseCoord(Integer x, Integer y) {
  TGridCoord c = CalcCoordFromPoint(x, y);
  if (c.X < 0 || c.X >= GetFullColCount()) c.X = -1;
  if (c.Y < 0 || c.Y >= GetFullRowCount()) c.Y = -1;
  return c;
}

void TCustomGridEh::ClampCellCoord(Integer& col, Integer& row) {
  col = std::clamp(col, 0, GetFullColCount() - 1);
  row = std::clamp(row, 0, GetFullRowCount() - 1);
}

void TCustomGridEh::CheckCoordInGrid(TGridCoord& coord) {
  if (coord.X < 0 || coord.X >= GetFullColCount() || coord.Y < 0 || coord.Y >= GetFullRowCount())
    coord = {-1, -1};
}

namespace {

// Start and end edges on one axis of the cells first .. last.
void AxisSpan(TGridAxisDataEh* axis, Integer first, Integer last, bool clip, Integer contraLine,
              Integer& start, Integer& stop) {
  const Integer fixed = axis->GetFixedCelCount(), cels = axis->GetCelCount();
  const Int64 scroll = axis->GetRolStartVisPos();
  if (first < fixed) {
    start = axis->GetGridClientStart() + axis->GetFixedCelPos(first);
  } else if (first < cels) {
    const Int64 s = axis->GetRolLocCelPosArr(first - fixed) - scroll;
    start = clip && s < 0
                ? axis->GetFixedBoundary()
                : static_cast<Integer>(std::clamp<Int64>(s + axis->GetFixedBoundary(), -(1 << 30), 1 << 30));
  } else {
    start = axis->GetContraStart() + contraLine;
    for (Integer i = cels; i < first; ++i) start += axis->GetCelLens(i);
  }
  if (last < fixed) {
    stop = std::min(axis->GetGridClientStart() + axis->GetFixedCelPos(last + 1), axis->GetContraStart());
  } else if (last < cels) {
    const Int64 e = axis->GetRolLocCelPosArr(last - fixed) + axis->GetCelLens(last) - scroll;
    if (clip && e < 0)
      stop = axis->GetFixedBoundary() - 1;
    else
      stop = static_cast<Integer>(std::clamp<Int64>(axis->GetFixedBoundary() + e, -(1 << 30), 1 << 30));
    if (clip) stop = std::min(stop, axis->GetContraStart());
  } else {
    stop = axis->GetContraStart() + contraLine;
    for (Integer i = cels; i <= last; ++i) stop += axis->GetCelLens(i);
  }
}

}  // namespace

TRect TCustomGridEh::BoxRect(TGridRect gridRect, bool reflectRightToLeft, bool clip) {
  if (gridRect.Right < gridRect.Left || gridRect.Bottom < gridRect.Top) return TRect();
  CheckUpdateAxes();
  TRect r;
  AxisSpan(horzAxis_.get(), gridRect.Left, gridRect.Right, clip, ContraLineWidth(true), r.Left, r.Right);
  AxisSpan(vertAxis_.get(), gridRect.Top, gridRect.Bottom, clip, ContraLineWidth(false), r.Top, r.Bottom);
  if (r.Right < r.Left || r.Bottom < r.Top) return TRect();
  if (reflectRightToLeft && UseRightToLeftAlignment() && !canvasRightToLeftReflected_)
    horzAxis_->SwapRightToLeftPoses(r.Left, r.Right);
  return r;
}

TRect TCustomGridEh::CellRect(Integer col, Integer row, bool reflectRightToLeft) {
  return BoxRect({col, row, col, row}, reflectRightToLeft, true);
}
TRect TCustomGridEh::CellRectUnclipped(Integer col, Integer row) {
  return BoxRect({col, row, col, row}, true, false);
}
TRect TCustomGridEh::BoxRectUnclipped(TGridRect gridRect) { return BoxRect(gridRect, true, false); }

TRect TCustomGridEh::GetEditorRect(Integer col, Integer row) {
  TRect r = CellRect(col, row, true);
  if (IsCellBorderVisible(col, row, cbtRightEh) && r.Right >= r.Left + GetColWidths(col)) {
    if (UseRightToLeftAlignment())
      r.Left += gridLineWidth_;
    else
      r.Right -= gridLineWidth_;
  }
  if (IsCellBorderVisible(col, row, cbtBottomEh)) r.Bottom -= gridLineWidth_;
  return r;
}

namespace {
Int64 RangeLength(TGridAxisDataEh* axis, Integer index, Integer count) {
  if (count <= 0) return 0;
  Int64 sum = 0;
  const Integer fixed = axis->GetFixedCelCount(), cels = axis->GetCelCount();
  const Integer last = index + count - 1;
  for (Integer i = index; i <= std::min(last, fixed - 1); ++i) sum += axis->GetCelLens(i);
  const Integer rf = std::max(index, fixed), rl = std::min(last, cels - 1);
  if (rf <= rl)
    sum += axis->GetRolLocCelPosArr(rl - fixed) + axis->GetCelLens(rl) - axis->GetRolLocCelPosArr(rf - fixed);
  for (Integer i = std::max(index, cels); i <= last; ++i) sum += axis->GetCelLens(i);
  return sum;
}
}  // namespace

Int64 TCustomGridEh::CalcColRangeWidth(Integer index, Integer count) {
  return RangeLength(horzAxis_.get(), index, count);
}
Int64 TCustomGridEh::CalcRowRangeHeight(Integer index, Integer count) {
  return RangeLength(vertAxis_.get(), index, count);
}

// ======================= Streaming of the cell sizes =======================

void TCustomGridEh::DefineProperties(TFiler* filer) {
  inherited::DefineProperties(filer);
  if (!saveCellExtents_) return;
  auto* ancestor = dynamic_cast<TCustomGridEh*>(filer->GetAncestor());
  const bool cols = ancestor ? !AxisCelLensEqual(horzAxis_.get(), ancestor->horzAxis_.get())
                             : horzAxis_->GetFullCelCount() > 0;
  const bool rows = ancestor ? !AxisCelLensEqual(vertAxis_.get(), ancestor->vertAxis_.get())
                             : vertAxis_->GetFullCelCount() > 0;
  filer->DefineProperty(u"ColWidths", TReaderProc(this, &TCustomGridEh::ReadColWidths),
                        TWriterProc(this, &TCustomGridEh::WriteColWidths), cols);
  filer->DefineProperty(u"RowHeights", TReaderProc(this, &TCustomGridEh::ReadRowHeights),
                        TWriterProc(this, &TCustomGridEh::WriteRowHeights), rows);
}

void TCustomGridEh::ReadColWidths(TReader* reader) {
  reader->ReadListBegin();
  for (Integer i = 0; !reader->EndOfList(); ++i) {
    const Integer w = reader->ReadInteger();
    if (i < GetColCount()) SetColWidths(i, w);
  }
  reader->ReadListEnd();
}

void TCustomGridEh::WriteColWidths(TWriter* writer) {
  writer->WriteListBegin();
  for (Integer i = 0; i < GetColCount(); ++i) writer->WriteInteger(GetColWidths(i));
  writer->WriteListEnd();
}

void TCustomGridEh::ReadRowHeights(TReader* reader) {
  reader->ReadListBegin();
  for (Integer i = 0; !reader->EndOfList(); ++i) {
    const Integer h = reader->ReadInteger();
    if (i < GetRowCount()) SetRowHeights(i, h);
  }
  reader->ReadListEnd();
}

void TCustomGridEh::WriteRowHeights(TWriter* writer) {
  writer->WriteListBegin();
  for (Integer i = 0; i < GetRowCount(); ++i) writer->WriteInteger(GetRowHeights(i));
  writer->WriteListEnd();
}

// ======================= Focus =======================

bool TCustomGridEh::CanFocus() const { return inherited::CanFocus(); }
bool TCustomGridEh::Focused() const { return inherited::Focused(); }

bool TCustomGridEh::IsActiveControl() const {
  // The editor inside the grid holds the focus on the grid's behalf.
  if (TCustomForm* form = GetParentForm(this, false)) {
    TWinControl* active = form->GetActiveControl();
    return active == this || (active && ContainsControl(active));
  }
  return ContainsFocus();
}

bool TCustomGridEh::ContainsFocus() const {
  if (!HandleAllocated()) return false;
  HWND focus = ::GetFocus();
  HWND self = const_cast<TCustomGridEh*>(this)->GetHandle();
  return focus == self || (focus && ::IsChild(self, focus));
}

bool TCustomGridEh::TryFocusGrid() {
  if (CanFocus() && !GetComponentState().Contains(csDesigning)) SetFocus();
  return true;
}

void TCustomGridEh::FocusControlInternally(TWinControl* control) {
  internalFocusResetting_ = true;
  auto reset = MakeScopeExit([this] { internalFocusResetting_ = false; });
  ::SetFocus(control->GetHandle());
}

void TCustomGridEh::DoExit() {
  inherited::DoExit();
  if (!options_.Contains(goAlwaysShowEditorEh)) HideEditor();
}

void TCustomGridEh::Resize() {
  inherited::Resize();
  UpdateBoundaries();
}

void TCustomGridEh::Loaded() {
  inherited::Loaded();
  UpdateBoundaries();
}

// ======================= Axis notifications =======================

void TCustomGridEh::AxisCelMoved(TGridAxisDataEh* axis, Integer fromIndex, Integer toIndex) {
  Invalidate();
  if (axis == horzAxis_.get())
    ColMoved(fromIndex, toIndex);
  else
    RowMoved(fromIndex, toIndex);
}

void TCustomGridEh::ColMoved(Integer fromIndex, Integer toIndex) {
  const bool anchorOnCurrent = anchorCell_ == curCell_;
  Integer& cur = curCell_.X;
  if (fromIndex == cur)
    cur = toIndex;
  else if (fromIndex < cur && cur <= toIndex)
    --cur;
  else if (toIndex <= cur && cur < fromIndex)
    ++cur;
  if (anchorOnCurrent) anchorCell_ = curCell_;
}

void TCustomGridEh::AxisCelLenChanged(TGridAxisDataEh* axis, Integer index, Integer /*oldLen*/) {
  if (index < axis->GetFixedCelCount() || index >= axis->GetCelCount()) UpdateBoundaries();
  if (axis == horzAxis_.get())
    ColWidthsChanged();
  else
    RowHeightsChanged();
}

void TCustomGridEh::AxisCelCountChanged(TGridAxisDataEh* /*axis*/) {
  Invalidate();
  if (!horzAxis_ || !vertAxis_) return;
  const auto clampInto = [](Integer v, Integer lo, Integer hi) { return v > hi ? hi : (v < lo ? lo : v); };
  curCell_.X = clampInto(curCell_.X, GetFixedColCount() - GetFrozenColCount(), GetColCount() - 1);
  curCell_.Y = clampInto(curCell_.Y, GetFixedRowCount() - GetFrozenRowCount(), GetRowCount() - 1);
  anchorCell_ = curCell_;
}

void TCustomGridEh::DeleteColumn(Integer index) {
  MoveColumn(index, GetColCount() - 1);
  SetColCount(GetColCount() - 1);
}

void TCustomGridEh::DeleteRow(Integer index) {
  LockPaint();
  auto unlock = MakeScopeExit([this] { UnlockPaint(); });
  vertAxis_->DeleteRolCels(index - GetFixedRowCount(), 1);
}
