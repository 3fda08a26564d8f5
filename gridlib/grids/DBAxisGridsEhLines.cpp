// The axis grid's line parameters (data lines following a default until set, the data boundary, the
// colour scheme) and the settings of the grid control's own border.
#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/controls/StyleManager.h"
#include "platform/graphics/Themes.h"

// ======================= Line parameters =======================

bool TDBAxisGridLineParamsEh::DefaultDataHorzLines() const {
  throw Exception(u"Realize DefaultDataHorzLines in an inherited class");
}
bool TDBAxisGridLineParamsEh::DefaultDataVertLines() const {
  throw Exception(u"Realize DefaultDataVertLines in an inherited class");
}
TDBGridLinesColorSchemeEh TDBAxisGridLineParamsEh::GetActualColorScheme() const {
  throw Exception(u"Realize GetActualColorScheme in an inherited class");
}

TColor TDBAxisGridLineParamsEh::GetBrightColor() const {
  if (GetAssignedBrightColor() != clDefault || TStyleManager::IsCustomStyleActive())
    return TGridLineColorsEh::GetBrightColor();
  if (ThemesEnabledEh() && GetActualColorScheme() == glcsThemedEh) return clBtnFace;
  return TGridLineColorsEh::GetBrightColor();
}

TColor TDBAxisGridLineParamsEh::GetDarkColor() const {
  if (GetAssignedDarkColor() != clDefault || TStyleManager::IsCustomStyleActive())
    return TGridLineColorsEh::GetDarkColor();
  switch (GetActualColorScheme()) {
    case glcsFlatEh:
      return clGray;
    case glcsThemedEh:
      return static_cast<TColor>(0xB8C7CB);
    case glcsClassicEh:
      return ThemesEnabledEh() ? cl3DDkShadow : clBlack;
    default:
      return clBlack;
  }
}

TColor TDBAxisGridLineParamsEh::GetDataBoundaryColor() const {
  if (dataBoundaryColor_ != clDefault) return dataBoundaryColor_;
  const TColor horz = GetDataHorzColor(), vert = GetDataVertColor();
  if (horz == vert && horz != clNone) return GetDarkColor();
  return DarkerColorEh(vert, horz);
}

void TDBAxisGridLineParamsEh::Repaint() {
  if (TCustomGridEh* grid = GetGrid()) grid->Invalidate();
}

void TDBAxisGridLineParamsEh::LinesChanged(bool horz) {
  if (!horz) return Repaint();
  if (auto* grid = dynamic_cast<TCustomDBAxisGridEh*>(GetGrid()))
    grid->LayoutChanged();
  else
    Repaint();
}

void TDBAxisGridLineParamsEh::SetDataHorzLines(bool value) {
  if (dataHorzLinesStored_ && dataHorzLines_ == value) return;
  SetDataHorzLinesStored(true);
  dataHorzLines_ = value;
  LinesChanged(true);
}

void TDBAxisGridLineParamsEh::SetDataHorzLinesStored(bool value) {
  if (value == dataHorzLinesStored_) return;
  dataHorzLines_ = DefaultDataHorzLines();
  dataHorzLinesStored_ = value;
  LinesChanged(true);
}

void TDBAxisGridLineParamsEh::SetDataVertLines(bool value) {
  if (dataVertLinesStored_ && dataVertLines_ == value) return;
  SetDataVertLinesStored(true);
  dataVertLines_ = value;
  LinesChanged(false);
}

void TDBAxisGridLineParamsEh::SetDataVertLinesStored(bool value) {
  if (value == dataVertLinesStored_) return;
  dataVertLines_ = DefaultDataVertLines();
  dataVertLinesStored_ = value;
  LinesChanged(false);
}

void TDBAxisGridLineParamsEh::SetDataBoundaryColor(TColor value) {
  if (dataBoundaryColor_ == value) return;
  dataBoundaryColor_ = value;
  Repaint();
}

void TDBAxisGridLineParamsEh::SetGridBoundaries(bool value) {
  if (gridBoundaries_ == value) return;
  gridBoundaries_ = value;
  Repaint();
}

void TDBAxisGridLineParamsEh::SetColorScheme(TDBGridLinesColorSchemeEh value) {
  if (colorScheme_ == value) return;
  colorScheme_ = value;
  Repaint();
}

void TDBAxisGridLineParamsEh::SetVertEmptySpaceStyle(TDrawEmptySpaceStyle value) {
  if (vertEmptySpaceStyle_ == value) return;
  vertEmptySpaceStyle_ = value;
  Repaint();
}

// ======================= The control's border =======================

void TCustomDBAxisGridEh::SetBorder(TControlBorderEh* value) { border_->Assign(value); }

void TCustomDBAxisGridEh::CreateParams(TCreateParams& params) {
  TCustomGridEh::CreateParams(params);
  const bool single = GetBorderStyle() == bsSingle;
  params.Style &= ~WS_BORDER;
  if (border_ && border_->GetExtendedDraw()) {
    params.ExStyle &= ~WS_EX_CLIENTEDGE;
    ownBorderWidth_ = single ? 1 : 0;
  } else {
    // The system's frame; a grid without a border keeps none.
    ownBorderWidth_ = 0;
    if (single) params.ExStyle |= WS_EX_CLIENTEDGE;
  }
  params.Style |= WS_CLIPCHILDREN;
}

void TCustomDBAxisGridEh::PaintNonClient(TCanvas* canvas) {
  TCustomGridEh::PaintNonClient(canvas);
  DrawBorder(canvas);
}

void TCustomDBAxisGridEh::DrawBorder(TCanvas* canvas) {
  if (ownBorderWidth_ == 0) return;
  const TEdgeBordersEh edges = border_->GetEdgeBorders();
  TRect r(0, 0, GetWidth(), GetHeight());
  if (border_->GetColor() == clDefault) {
    UINT flags = 0;
    if (edges.Contains(ebLeftEh)) flags |= BF_LEFT;
    if (edges.Contains(ebTopEh)) flags |= BF_TOP;
    if (edges.Contains(ebRightEh)) flags |= BF_RIGHT;
    if (edges.Contains(ebBottomEh)) flags |= BF_BOTTOM;
    if (!GetCtl3D()) flags |= BF_MONO;
    DrawEdge(canvas->GetHandle(), &r, BDR_SUNKENOUTER, flags);
    return;
  }
  canvas->GetBrush()->SetColor(border_->GetColor());
  if (edges.Contains(ebLeftEh)) canvas->FillRect(TRect(r.Left, r.Top, r.Left + 1, r.Bottom));
  if (edges.Contains(ebTopEh)) canvas->FillRect(TRect(r.Left, r.Top, r.Right, r.Top + 1));
  if (edges.Contains(ebRightEh)) canvas->FillRect(TRect(r.Right - 1, r.Top, r.Right, r.Bottom));
  if (edges.Contains(ebBottomEh)) canvas->FillRect(TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
}

void TControlBorderEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TControlBorderEh*>(source);
  if (!src) return TPersistent::Assign(source);
  SetColor(src->color_);
  SetEdgeBorders(src->edgeBorders_);
  if (src->extendedDrawStored_) SetExtendedDraw(src->extendedDraw_);
}

bool TControlBorderEh::GetCtl3D() const { return grid_->GetCtl3D(); }
void TControlBorderEh::SetCtl3D(bool value) { grid_->SetCtl3D(value); }
TBorderStyle TControlBorderEh::GetStyle() const { return grid_->GetBorderStyle(); }
void TControlBorderEh::SetStyle(TBorderStyle value) { grid_->SetBorderStyle(value); }

bool TControlBorderEh::DefaultExtendedDraw() const {
  const bool allEdges = edgeBorders_ == TEdgeBordersEh{ebLeftEh, ebTopEh, ebRightEh, ebBottomEh};
  return grid_->GetFlat() && (grid_->GetCtl3D() || color_ != clDefault || !allEdges);
}

void TControlBorderEh::RecreateGridWnd() {
  ++recreateCount_;
  if (grid_->HandleAllocated()) grid_->RecreateWnd();
}

void TControlBorderEh::SetExtendedDraw(bool value) {
  if (extendedDrawStored_ && extendedDraw_ == value) return;
  extendedDrawStored_ = true;
  extendedDraw_ = value;
  RecreateGridWnd();
}

void TControlBorderEh::SetExtendedDrawStored(bool value) {
  if (value == extendedDrawStored_) return;
  extendedDraw_ = DefaultExtendedDraw();
  extendedDrawStored_ = value;
  grid_->Invalidate();
}

void TControlBorderEh::SetColor(TColor value) {
  if (color_ == value) return;
  oldExtendedDraw_ = DefaultExtendedDraw();
  color_ = value;
  grid_->Invalidate();
  UpdateExtendedDraw();
}

void TControlBorderEh::SetEdgeBorders(TEdgeBordersEh value) {
  if (edgeBorders_ == value) return;
  oldExtendedDraw_ = DefaultExtendedDraw();
  edgeBorders_ = value;
  grid_->Invalidate();
  UpdateExtendedDraw();
}

void TControlBorderEh::UpdateExtendedDraw() {
  if (DefaultExtendedDraw() != oldExtendedDraw_) RecreateGridWnd();
}
