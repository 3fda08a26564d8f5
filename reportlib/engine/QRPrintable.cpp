// Printable control base: the box in 0.1 mm, the frame, the report and printer of a run, and the
// protocol by which bands and controllers drive every control.
#include "reportlib/engine/QRPrintable.h"

#include "platform/graphics/Colors.h"
#include "platform/rtl/RtlMath.h"
#include "reportlib/engine/QRBands.h"
#include "reportlib/engine/RezavOze.h"

namespace {

const TTypeInfo* ExportTypeType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TExportType", {u"exptText", u"exptNumeric", u"exptFormula"});
  return &t;
}

const TTypeInfo* XLNumFormatType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TXLNumFormat",
      {u"nfGeneral",   u"nfInteger",     u"nfDec2",         u"nfIntRound", u"nfCurrencyNS",  u"nfCurrency",
       u"nfCurrency2", u"nfCurrencyDec", u"nfCurrencyDec2", u"nfPercent",  u"nfPercentDec2", u"nfFraction",
       u"nfFraction2", u"nfDate1",       u"nfDate2",        u"nfDate3",    u"nfDate4",       u"nfTime1",
       u"nfTime2",     u"nfTime3",       u"nfTime4",        u"nfDateTime"});
  return &t;
}

}  // namespace

void TQRPrintable::Published(TPropBuilder<TQRPrintable>& p) {
  using P = TQRPrintable;
  p.Object(u"Size", &P::GetSize, &P::SetSize);
  p.Object(u"Frame", &P::GetFrame, &P::SetFrame);
  p.Enum(u"Alignment", TypeInfoAlignment(), &P::GetAlignment, &P::SetAlignment).Default(taLeftJustify);
  p.Bool(u"AlignToBand", &P::GetAlignToBand, &P::SetAlignToBand).Default(false);
  p.Bool(u"Transparent", &P::GetTransparent, &P::SetTransparent).Default(false);
  p.Enum(u"ExportAs", ExportTypeType(), &P::GetExportAs, &P::SetExportAs).Default(exptText);
  p.Int(u"XLColumn", &P::GetXLColumn, &P::SetXLColumn).Default(0);
  p.Enum(u"XLNumFormat", XLNumFormatType(), &P::GetXLNumFormat, &P::SetXLNumFormat).Default(nfGeneral);
  p.Bool(u"ActiveInPreview", &P::GetActiveInPreview, &P::SetActiveInPreview).Default(false);
}

TQRPrintable::TQRPrintable(TComponent* owner)
    : TCustomControl(owner),
      size_(std::make_unique<TQRPrintableSize>(this)),
      frame_(std::make_unique<TQRFrame>()) {
  frame_->SetParent(this);
  SetColor(clWhite);
  width_ = 10;
  height_ = 10;
}

TQRPrintable::~TQRPrintable() = default;

TQRExportCarrier::TQRExportCarrier(const TQRExportShape& shape) : TControl(nullptr), shape_(shape) {
  width_ = shape.Width;
  height_ = shape.Height;
}

bool TQRExportCarrier::GetExportShape(TQRExportShape& shape) const {
  shape = shape_;
  return true;
}

namespace {
TQRExportShape BoxShape(TColor color, Integer width, Integer height) {
  TQRExportShape shape;
  shape.Shape = qesRectangle;
  shape.Width = width;
  shape.Height = height;
  shape.PenStyle = psClear;
  shape.PenWidth = 0;
  shape.PenColor = color;
  shape.BrushColor = color;
  shape.BrushStyle = bsSolid;
  return shape;
}
}  // namespace

TQRExportBox::TQRExportBox(TColor color, Integer width, Integer height)
    : TQRExportCarrier(BoxShape(color, width, height)) {}

namespace {
// Whether the filter is of one of the named classes or descends from one. Asked for every line and
// band: the last class asked is remembered.
template <int Question>
bool FilterOfClass(const TQRExportFilter* filter, std::initializer_list<const Char*> names) {
  thread_local TClass lastClass = nullptr;
  thread_local bool lastAnswer = false;
  const TClass cls = filter ? filter->ClassType() : nullptr;
  if (cls && cls == lastClass) return lastAnswer;
  bool answer = false;
  for (TClass c = cls; c && !answer; c = c->ClassParent())
    for (const Char* name : names)
      if (c->ClassName() == name) answer = true;
  lastClass = cls;
  lastAnswer = answer;
  return answer;
}
}  // namespace

bool QRFilterTakesTextRecords(const TQRExportFilter* filter) {
  return FilterOfClass<0>(filter,
                          {u"TQRGHTMLDocumentFilter", u"TQRXDocumentFilter", u"TQRXLSXDocumentFilter"});
}

bool QRFilterTakesHTMLTags(const TQRExportFilter* filter) {
  return FilterOfClass<1>(filter, {u"TQRGHTMLDocumentFilter"});
}

TQRExportFilter* TQRPrintable::ExportFilter() const {
  return parentReport_ && parentReport_->GetExporting() ? parentReport_->GetExportFilter() : nullptr;
}

TQRCustomBand* TQRPrintable::ParentBand() const { return dynamic_cast<TQRCustomBand*>(GetParent()); }

void TQRPrintable::SetParentReport(TCustomRezavOze* value) {
  parentReport_ = value;
  size_->SetParentReport(value);
}

void TQRPrintable::SetZoom(Integer value) {
  size_->SetZoom(value);
  size_->SetParentSizes();
}

void TQRPrintable::SetAlignment(TAlignment value) {
  alignment_ = value;
  if (alignToBand_) RealignToBand();
  Invalidate();
}

void TQRPrintable::SetAlignToBand(bool value) {
  alignToBand_ = value;
  if (value) RealignToBand();
}

void TQRPrintable::SetTransparent(bool value) {
  transparent_ = value;
  Invalidate();
}

bool TQRPrintable::CanPrint() const { return GetEnabled() || !GetVisible(); }

void TQRPrintable::RealignToBand() {
  if (!alignToBand_ || alignUpdating_) return;
  alignUpdating_ = true;
  const bool onBand = ParentBand() != nullptr;
  switch (alignment_) {
    case taLeftJustify:
      SetLeft(0);
      break;
    case taRightJustify:
      if (onBand) SetLeft(GetParent()->GetWidth() - GetWidth());
      break;
    case taCenter:
      if (onBand) SetLeft((GetParent()->GetWidth() - GetWidth()) / 2);
      break;
  }
  alignUpdating_ = false;
}

void TQRPrintable::Prepare() {
  isPrinting_ = true;
  qrPrinter_ = parentReport_ ? parentReport_->GetQRPrinter() : nullptr;
}

void TQRPrintable::Unprepare() { isPrinting_ = false; }

void TQRPrintable::PrintFrame(Extended x, Extended y, Extended w, Extended h) {
  if (!frame_->AnyFrame() || !qrPrinter_ || !qrPrinter_->GetCanvas()) return;
  const TRect r(qrPrinter_->XPos(x), qrPrinter_->YPos(y), qrPrinter_->XPos(x + w), qrPrinter_->YPos(y + h));
  frame_->PaintIt(qrPrinter_->GetCanvas(), r, qrPrinter_->GetXFactor(), qrPrinter_->GetYFactor());
}

void TQRPrintable::Print(Integer OfsX, Integer OfsY) {
  if (!parentReport_ || !(parentReport_->GetFinalPass() || parentReport_->GetExporting())) return;
  PrintFrame(OfsX + size_->GetRaw(1), OfsY + size_->GetRaw(2), size_->GetRaw(3), size_->GetRaw(0));
}

void TQRPrintable::ControllerNotify(TObject*, Integer Operation) {
  if (Operation == qrNotifyBandResized) RealignToBand();
}

void TQRPrintable::GetExpandedHeight(Extended&) {}

void TQRPrintable::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  if (size_ && size_->GetParentUpdating()) {
    TCustomControl::SetBounds(left, top, width, height);
    if (parentReport_ && !alignUpdating_) parentReport_->Invalidate();
  } else if (GetComponentState().Contains(csLoading) ||
             (parentReport_ && parentReport_->PreparingDesignTime) || !size_) {
    if (left) loadedLeft_ = left;
    if (top) loadedTop_ = top;
    if (width) loadedWidth_ = width;
    if (height) loadedHeight_ = height;
    TCustomControl::SetBounds(left, top, width, height);
  } else {
    size_->SwitchToPixels();
    size_->SetHeight(height);
    size_->SetWidth(width);
    size_->SetTop(top);
    size_->SetLeft(left);
    size_->RestoreUnits();
    // Without a report nothing is pushed: the bounds are the control's own.
    if (GetLeft() != left || GetTop() != top || GetWidth() != width || GetHeight() != height)
      TCustomControl::SetBounds(left, top, width, height);
  }
  if (alignToBand_ && !alignUpdating_) RealignToBand();
}

void TQRPrintable::SetParent(TWinControl* parent) {
  TCustomControl::SetParent(parent);
  if (auto* report = dynamic_cast<TCustomRezavOze*>(parent)) {
    size_->SetUnits(report->GetUnits());
    SetParentReport(report);
  } else if (auto* band = dynamic_cast<TQRCustomBand*>(parent)) {
    size_->SetUnits(band->GetSize() ? band->GetSize()->GetUnits() : Native);
    if (band->GetParentReport()) SetParentReport(band->GetParentReport());
    size_->SetParentSizes();
  }
}

void TQRPrintable::Loaded() {
  TCustomControl::Loaded();
  Integer l = GetLeft(), t = GetTop(), w = GetWidth(), h = GetHeight();
  if (l == 0 && loadedLeft_) l = loadedLeft_;
  if (t == 0 && loadedTop_) t = loadedTop_;
  if (w == 0 && loadedWidth_) w = loadedWidth_;
  if (h == 0 && loadedHeight_) h = loadedHeight_;
  if (size_->GetValuesRead()) {
    size_->Loaded();
    return;
  }
  // Only the pixel bounds were stored: the measures follow from them.
  SetBounds(l, t, w, h);
}

void TQRPrintable::Paint() {
  if (isPrinting_) return;
  TCanvas* canvas = GetCanvas();
  const Integer w = GetWidth(), h = GetHeight();
  if (!transparent_) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(clWhite);
    canvas->FillRect(TRect(0, 0, w, h));
  }
  canvas->GetPen()->SetColor(clBlack);
  canvas->GetPen()->SetWidth(1);
  canvas->GetPen()->SetStyle(psSolid);
  auto mark = [&](Integer x, Integer y, Integer dx, Integer dy) {
    canvas->MoveTo(x, y);
    canvas->LineTo(x + dx * 3, y);
    canvas->MoveTo(x, y);
    canvas->LineTo(x, y + dy * 3);
  };
  mark(0, 0, 1, 1);
  mark(w - 1, 0, -1, 1);
  mark(0, h - 1, 1, -1);
  mark(w - 1, h - 1, -1, -1);
  const Extended f = GetZoom() * (96 / 254.0) / 100;
  frame_->PaintIt(canvas, TRect(0, 0, w, h), f, f);
}
