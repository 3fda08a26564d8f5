// Report measures in 0.1 mm shown in the report's unit, the page's paper, and frame painting.
#include "reportlib/engine/QRUnits.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/classes/Streaming.h"
#include "platform/graphics/Colors.h"
#include "platform/rtl/RtlMath.h"
#include "reportlib/engine/QRBands.h"
#include "reportlib/engine/QRPrintable.h"
#include "reportlib/engine/RezavOze.h"
#include "reportlib/output/QRPrinter.h"

namespace {

std::atomic<bool> DefaultInches{false};

}  // namespace

const TTypeInfo* QRUnitType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TQRUnit", {u"MM", u"Inches", u"Pixels", u"Characters", u"Native"});
  return &t;
}

bool QRDefaultInches() { return DefaultInches; }
void SetQRDefaultInches(bool value) { DefaultInches = value; }

// ---- TQRUnitBase ----

TQRUnitBase::TQRUnitBase() {
  units_ = QRDefaultInches() ? Inches : MM;
  savedUnits_ = units_;
}

Integer TQRUnitBase::CharacterFontSize() const {
  if (parentReport_) return std::abs(parentReport_->GetFont()->GetSize());
  return 10;
}

Extended TQRUnitBase::ToUnits(Extended value, bool horizontal) const {
  switch (units_) {
    case MM:
      return value / 10;
    case Inches:
      return value / 254;
    case Pixels:
      return value / (254.0 / resolution_) * zoom_ / 100;
    case Characters: {
      const Extended s = std::max(1, CharacterFontSize());
      return horizontal ? value / (80 / s / 2.54) / 10 : value / (145.3 / s / 2.54) / 10;
    }
    case Native:
      return value;
  }
  return value;
}

Extended TQRUnitBase::FromUnits(Extended value, bool horizontal) const {
  switch (units_) {
    case MM:
      return value * 10;
    case Inches:
      return value * 254;
    case Pixels:
      return value * 100 / zoom_ * (254.0 / resolution_);
    case Characters: {
      const Extended s = std::max(1, CharacterFontSize());
      return horizontal ? value * 10 * (80 / s / 2.54) : value * 10 * (145.3 / s / 2.54);
    }
    case Native:
      return value;
  }
  return value;
}

void TQRUnitBase::SwitchToPixels() {
  savedUnits_ = units_;
  units_ = Pixels;
}

void TQRUnitBase::RestoreUnits() { units_ = savedUnits_; }

Extended TQRUnitBase::GetValue(int index) const {
  return ToUnits(values_[static_cast<size_t>(index)], horizontal_[static_cast<size_t>(index)]);
}

void TQRUnitBase::SetValue(int index, Extended value) {
  values_[static_cast<size_t>(index)] = FromUnits(value, horizontal_[static_cast<size_t>(index)]);
  ValueChanged(index);
}

bool TQRUnitBase::ReportRunning() const { return parentReport_ && !parentReport_->GetAvailable(); }

void TQRUnitBase::DefineProperties(TFiler* filer) {
  filer->DefineProperty(u"Values", TReaderProc(this, &TQRUnitBase::ReadValues),
                        TWriterProc(this, &TQRUnitBase::WriteValues), true);
}

void TQRUnitBase::ReadValues(TReader* reader) {
  reader->ReadListBegin();
  for (int i = 0; !reader->EndOfList(); ++i) {
    const Extended v = reader->ReadFloat();
    if (i < count_) values_[static_cast<size_t>(i)] = v;
  }
  reader->ReadListEnd();
  valuesRead_ = true;
}

void TQRUnitBase::WriteValues(TWriter* writer) {
  writer->WriteListBegin();
  for (int i = 0; i < count_; ++i) writer->WriteFloat(values_[static_cast<size_t>(i)]);
  writer->WriteListEnd();
}

// ---- TQRPage ----

void TQRPage::Published(TPropBuilder<TQRPage>& p) {
  using P = TQRPage;
  p.Int(u"Columns", &P::GetColumns, &P::SetColumns).Default(1);
  p.Enum(u"Orientation", PrinterOrientationType(), &P::GetOrientation, &P::SetOrientation)
      .Default(poPortrait);
  p.Enum(u"PaperSize", QRPaperSizeType(), &P::GetPaperSize, &P::SetPaperSize).NoDefault();
  p.Bool(u"Ruler", &P::GetRuler, &P::SetRuler).Default(true);
  p.Bool(u"Continuous", &P::GetContinuous, &P::SetContinuous).Default(false);
  p.Enum(u"Units", QRUnitType(), &P::GetUnits, &P::SetUnits).Stored(false);
  p.Float(u"BottomMargin", &P::GetBottomMargin, &P::SetBottomMargin).Stored(false);
  p.Float(u"Length", &P::GetLength, &P::SetLength).Stored(false);
  p.Float(u"TopMargin", &P::GetTopMargin, &P::SetTopMargin).Stored(false);
  p.Float(u"Width", &P::GetWidth, &P::SetWidth).Stored(false);
  p.Float(u"LeftMargin", &P::GetLeftMargin, &P::SetLeftMargin).Stored(false);
  p.Float(u"RightMargin", &P::GetRightMargin, &P::SetRightMargin).Stored(false);
  p.Float(u"ColumnSpace", &P::GetColumnSpace, &P::SetColumnSpace).Stored(false);
}

TQRPage::TQRPage() {
  count_ = 7;
  horizontal_ = {false, false, false, true, true, true, true};
  if (QRDefaultInches()) {
    units_ = Inches;
    paperSize_ = TQRPaperSize::Letter;
    values_[0] = values_[2] = values_[4] = values_[5] = 127;
  } else {
    units_ = MM;
    paperSize_ = TQRPaperSize::A4;
    values_[0] = values_[2] = values_[4] = values_[5] = 100;
  }
  double w = 0, l = 0;
  QRPaperSizeMM(paperSize_, w, l);
  values_[3] = w * 10;
  values_[1] = l * 10;
}

void TQRPage::SetLength(Extended v) {
  if (paperSize_ == TQRPaperSize::Custom) SetValue(1, v);
}

void TQRPage::SetWidth(Extended v) {
  if (paperSize_ == TQRPaperSize::Custom) SetValue(3, v);
}

void TQRPage::ValueChanged(int index) {
  if (index == 0 || index == 1 || index == 3) SetParentSizes();
  if (parentReport_ && !ReportRunning()) {
    if (index == 0 || index == 1 || index == 3) parentReport_->SetBandValues();
    parentReport_->Invalidate();
  }
}

void TQRPage::SetColumns(Integer value) {
  if (value <= 0 || value == columns_) return;
  columns_ = value;
  if (parentReport_ && !ReportRunning()) {
    parentReport_->SetBandValues();
    parentReport_->Invalidate();
  }
}

void TQRPage::SetOrientation(TPrinterOrientation value) {
  if (paperSize_ == TQRPaperSize::Custom && value != orientation_) {
    std::swap(values_[1], values_[3]);
    SetParentSizes();
  }
  orientation_ = value;
  if (parentReport_) parentReport_->GetPrinterSettings()->Orientation = value;
  SetPaperSize(paperSize_);
}

void TQRPage::SetPaperSize(TQRPaperSize value) {
  if (value != TQRPaperSize::Default && value != TQRPaperSize::Custom) {
    double w = 0, l = 0;
    if (QRPaperSizeMM(value, w, l)) {
      if (orientation_ == poLandscape) std::swap(w, l);
      values_[3] = w * 10;
      values_[1] = l * 10;
      SetParentSizes();
      if (parentReport_ && !ReportRunning()) parentReport_->SetBandValues();
    }
  }
  paperSize_ = value;
}

void TQRPage::SetRuler(bool value) {
  ruler_ = value;
  if (parentReport_) parentReport_->Invalidate();
}

void TQRPage::SetUnits(TQRUnit value) {
  units_ = value;
  if (parentReport_) parentReport_->Invalidate();
}

void TQRPage::SetParentSizes() {
  if (parentUpdating_ || !parentReport_ || ReportRunning()) return;
  parentUpdating_ = true;
  const Extended f = resolution_ / 254.0 * zoom_ / 100;
  parentReport_->SetBounds(parentReport_->GetLeft(), parentReport_->GetTop(), RoundInt(values_[3] * f),
                           RoundInt(values_[1] * f));
  parentUpdating_ = false;
}

// ---- TQRBandSize ----

void TQRBandSize::Published(TPropBuilder<TQRBandSize>& p) {
  p.Float(u"Height", &TQRBandSize::GetLength, &TQRBandSize::SetLength).Stored(false);
  p.Float(u"Width", &TQRBandSize::GetWidth, &TQRBandSize::SetWidth).Stored(false);
}

TQRBandSize::TQRBandSize(TQRCustomBand* band) : band_(band) {
  count_ = 2;
  horizontal_ = {false, true};
  values_[0] = 20;
  values_[1] = 40;
}

void TQRBandSize::SetParentSizes() {
  if (parentUpdating_ || !band_ || ReportRunning()) return;
  parentUpdating_ = true;
  const Extended f = resolution_ / 254.0 * zoom_ / 100;
  band_->SetBounds(band_->GetLeft(), band_->GetTop(), RoundInt(values_[1] * f), RoundInt(values_[0] * f));
  parentUpdating_ = false;
}

// ---- TQRPrintableSize ----

void TQRPrintableSize::Published(TPropBuilder<TQRPrintableSize>& p) {
  using S = TQRPrintableSize;
  p.Float(u"Height", &S::GetHeight, &S::SetHeight).Stored(false);
  p.Float(u"Left", &S::GetLeft, &S::SetLeft).Stored(false);
  p.Float(u"Top", &S::GetTop, &S::SetTop).Stored(false);
  p.Float(u"Width", &S::GetWidth, &S::SetWidth).Stored(false);
}

TQRPrintableSize::TQRPrintableSize(TQRPrintable* control) : control_(control) {
  count_ = 4;
  horizontal_ = {false, true, false, true};
  values_[0] = values_[1] = values_[2] = values_[3] = 20;
}

void TQRPrintableSize::SetParentSizes() {
  if (parentUpdating_ || !control_ || ReportRunning()) return;
  parentUpdating_ = true;
  // The control's zoom is its panel's (the panel hands it down).
  const Extended f = resolution_ / 254.0 * zoom_ / 100;
  control_->SetBounds(RoundInt(values_[1] * f), RoundInt(values_[2] * f), RoundInt(values_[3] * f),
                      RoundInt(values_[0] * f));
  parentUpdating_ = false;
}

// ---- TQRFrame ----

void TQRFrame::Published(TPropBuilder<TQRFrame>& p) {
  p.IntIdent(u"Color", TypeInfoColor(), &TQRFrame::GetColor, &TQRFrame::SetColor).Default(clBlack);
  p.Bool(u"DrawTop", &TQRFrame::GetDrawTop, &TQRFrame::SetDrawTop).Default(false);
  p.Bool(u"DrawBottom", &TQRFrame::GetDrawBottom, &TQRFrame::SetDrawBottom).Default(false);
  p.Bool(u"DrawLeft", &TQRFrame::GetDrawLeft, &TQRFrame::SetDrawLeft).Default(false);
  p.Bool(u"DrawRight", &TQRFrame::GetDrawRight, &TQRFrame::SetDrawRight).Default(false);
  p.Enum(u"Style", TypeInfoPenStyle(), &TQRFrame::GetStyle, &TQRFrame::SetStyle).Default(psSolid);
  p.Int(u"Width", &TQRFrame::GetWidth, &TQRFrame::SetWidth).Default(1);
}

void TQRFrame::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TQRFrame*>(source)) {
    color_ = f->color_;
    sides_ = f->sides_;
    style_ = f->style_;
    width_ = f->width_;
    Repaint();
    return;
  }
  TPersistent::Assign(source);
}

void TQRFrame::Repaint() {
  if (parent_) parent_->Invalidate();
}

void TQRFrame::SetColor(TColor value) {
  color_ = value;
  Repaint();
}

void TQRFrame::SetStyle(TPenStyle value) {
  style_ = value;
  Repaint();
}

void TQRFrame::SetWidth(Integer value) {
  width_ = value;
  Repaint();
}

void TQRFrame::SetSide(int index, bool value) {
  sides_[static_cast<size_t>(index)] = value;
  Repaint();
}

Integer TQRFrame::Thickness(Extended factor) const {
  if (width_ == -1) return 1;
  Integer t = RoundInt(factor / 72 * 254 * width_);
  if (t < 1 && width_ > 0) t = 1;
  return t;
}

void TQRFrame::PaintIt(TCanvas* canvas, const TRect& rect, Extended xFactor, Extended yFactor) {
  if (!AnyFrame()) return;
  const Integer tx = Thickness(xFactor), ty = Thickness(yFactor);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color_);
  canvas->GetPen()->SetWidth(1);
  canvas->GetPen()->SetStyle(style_);
  canvas->GetPen()->SetColor(color_);
  if (GetDrawTop()) canvas->FillRect(TRect(rect.Left, rect.Top, rect.Right, rect.Top + ty));
  if (GetDrawBottom()) canvas->FillRect(TRect(rect.Left, rect.Bottom - ty, rect.Right, rect.Bottom));
  if (GetDrawLeft()) canvas->FillRect(TRect(rect.Left, rect.Top, rect.Left + tx, rect.Bottom));
  if (GetDrawRight()) canvas->FillRect(TRect(rect.Right - tx, rect.Top, rect.Right, rect.Bottom));
  canvas->GetBrush()->SetStyle(bsClear);
  ExportSides(rect, tx, ty);
}

void TQRFrame::ExportSides(const TRect& rect, Integer tx, Integer ty) const {
  TCustomRezavOze* report = nullptr;
  if (auto* printable = dynamic_cast<TQRPrintable*>(parent_))
    report = printable->GetParentReport();
  else if (auto* band = dynamic_cast<TQRCustomBand*>(parent_))
    report = band->GetParentReport();
  else
    report = dynamic_cast<TCustomRezavOze*>(parent_);
  if (!report || !report->GetExporting() || !report->GetExportFilter() || !report->GetQRPrinter()) return;
  TQRExportFilter* filter = report->GetExportFilter();
  // The filters take positions in device pixels of the page and lengths in screen pixels.
  const Extended f = report->GetQRPrinter()->GetXFactor() / (ScreenDpi() / 254.0);
  auto screen = [f](Integer deviceLength) { return static_cast<Integer>(deviceLength / f); };
  auto send = [&](TQRExportShapeType type, Integer x, Integer y, Integer w, Integer h, Integer pen) {
    TQRExportShape shape;
    shape.Shape = type;
    shape.Width = w;
    shape.Height = h;
    shape.PenColor = color_;
    shape.PenWidth = std::max<Integer>(1, screen(pen));
    shape.PenStyle = psSolid;
    shape.BrushStyle = bsClear;
    shape.Name = parent_ ? parent_->GetName() : String();
    TQRExportCarrier carrier(shape);
    filter->AcceptGraphic(x, y, &carrier);
  };
  const Integer w = screen(rect.Right - rect.Left), h = screen(rect.Bottom - rect.Top);
  if (GetDrawTop() && GetDrawBottom() && GetDrawLeft() && GetDrawRight()) {
    send(qesRectangle, rect.Left, rect.Top, w, h, tx);
    return;
  }
  if (GetDrawTop()) send(qesHorLine, rect.Left, rect.Top, w, std::max<Integer>(1, screen(ty)), ty);
  if (GetDrawBottom()) send(qesHorLine, rect.Left, rect.Bottom - ty, w, std::max<Integer>(1, screen(ty)), ty);
  if (GetDrawLeft()) send(qesVertLine, rect.Left, rect.Top, std::max<Integer>(1, screen(tx)), h, tx);
  if (GetDrawRight()) send(qesVertLine, rect.Right - tx, rect.Top, std::max<Integer>(1, screen(tx)), h, tx);
}
