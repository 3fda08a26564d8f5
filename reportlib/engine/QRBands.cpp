// Bands: their types, child and link bands, stretching, and the band printing with its forced
// breaks, space check, background, controls and frame.
#include "reportlib/engine/QRBands.h"

#include <cmath>

#include "platform/graphics/Colors.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QRControllers.h"
#include "reportlib/engine/QRPrintable.h"
#include "reportlib/engine/RezavOze.h"

namespace {

constexpr const Char* BandTypeNames[] = {u"Title",         u"Page Header",  u"Detail",       u"Page Footer",
                                         u"Summary",       u"Group Header", u"Group Footer", u"Sub Detail",
                                         u"Column Header", u"Overlay",      u"Wild",         u"Child"};
constexpr const Char* BandNameBases[] = {u"TitleBand",       u"PageHeaderBand", u"DetailBand",
                                         u"PageFooterBand",  u"SummaryBand",    u"GroupHeaderBand",
                                         u"GroupFooterBand", u"SubDetailBand",  u"ColumnHeaderBand",
                                         u"OverlayBand",     u"WildBand",       u"ChildBand"};

bool BreakableType(TQRBandType t) {
  return (t >= rbSummary && t <= rbSubDetail) || t == rbWild || t == rbChild;
}

}  // namespace

const TTypeInfo* QRBandTypeType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TQRBandType", {u"rbTitle", u"rbPageHeader", u"rbDetail", u"rbPageFooter",
                                       u"rbSummary", u"rbGroupHeader", u"rbGroupFooter", u"rbSubDetail",
                                       u"rbColumnHeader", u"rbOverlay", u"rbWild", u"rbChild"});
  return &t;
}

String QRBandTypeName(TQRBandType type) { return BandTypeNames[type]; }
String QRBandNameBase(TQRBandType type) { return BandNameBases[type]; }

const String& CurrentBandName() { return QRRunGlobals().CurrentBandName; }

// ---- TQRCustomBand ----

void TQRCustomBand::Published(TPropBuilder<TQRCustomBand>& p) {
  using B = TQRCustomBand;
  p.Enum(u"BandType", QRBandTypeType(), &B::GetBandType, &B::SetBandType).Default(rbTitle);
  p.Object(u"Size", &B::GetSize, &B::SetSize);
  p.Object(u"Frame", &B::GetFrame, &B::SetFrame);
  p.Bool(u"ForceNewPage", &B::GetForceNewPage, &B::SetForceNewPage).Default(false);
  p.Bool(u"ForceNewColumn", &B::GetForceNewColumn, &B::SetForceNewColumn).Default(false);
  p.Bool(u"AlignToBottom", &B::GetAlignToBottom, &B::SetAlignToBottom).Default(false);
  p.Bool(u"TransparentBand", &B::GetTransparentBand, &B::SetTransparentBand).Default(false);
  p.Bool(u"PreCaluculateBandHeight", &B::GetPreCaluculateBandHeight, &B::SetPreCaluculateBandHeight)
      .Default(false);
  p.Bool(u"KeepOnOnePage", &B::GetKeepOnOnePage, &B::SetKeepOnOnePage).Default(false);
  p.Object(u"LinkBand", &B::GetLinkBand, &B::SetLinkBand);
  p.Bool(u"HasChild", &B::GetHasChild, &B::SetHasChild).Stored(false);
  p.Event(u"BeforePrint", &B::BeforePrint, u"TQRBandBeforePrintEvent");
  p.Event(u"AfterPrint", &B::AfterPrint, u"TQRBandAfterPrintEvent");
}

TQRCustomBand::TQRCustomBand(TComponent* owner)
    : TQRBasePanel(owner), size_(std::make_unique<TQRBandSize>(this)) {
  SetAlignment(taLeftJustify);
  SetBevelInner(bvNone);
  SetBevelOuter(bvNone);
  SetShowCaption(false);
  SetColor(clWhite);
  height_ = 40;
}

TQRCustomBand::~TQRCustomBand() {
  if (parentReport_) parentReport_->RemoveBand(this);
}

void TQRCustomBand::SetBandType(TQRBandType value) {
  bandType_ = value;
  if (parentReport_ && parentReport_->GetAvailable()) parentReport_->RebuildBandList();
}

void TQRCustomBand::SetEnabled(bool value) {
  enabled_ = value;
  TQRBasePanel::SetEnabled(value);
  Invalidate();
}

void TQRCustomBand::SetParentReport(TCustomRezavOze* value) {
  parentReport_ = value;
  size_->SetParentReport(value);
}

void TQRCustomBand::SetLinkBand(TQRCustomBand* value) {
  for (TQRCustomBand* b = value; b; b = b->linkBand_)
    if (b == this) return;
  if (linkBand_) linkBand_->RemoveFreeNotification(this);
  linkBand_ = value;
  if (value) value->FreeNotification(this);
}

TQRChildBand* TQRCustomBand::GetChildBand() const {
  if (!parentReport_) return nullptr;
  for (TQRCustomBand* b : parentReport_->GetBandList())
    if (auto* child = dynamic_cast<TQRChildBand*>(b); child && child->GetParentBand() == this) return child;
  // Bands not yet in the list (while loading) are found among the report's controls; a running
  // report's list holds them all, and each band asks twice a print.
  if (!parentReport_->GetAvailable()) return nullptr;
  for (Integer i = 0; i < parentReport_->GetControlCount(); ++i)
    if (auto* child = dynamic_cast<TQRChildBand*>(parentReport_->GetControl(i));
        child && child->GetParentBand() == this)
      return child;
  return nullptr;
}

void TQRCustomBand::SetHasChild(bool value) {
  TQRChildBand* child = GetChildBand();
  if (value == (child != nullptr)) return;
  if (value) {
    auto* band = new TQRChildBand(GetOwner());
    band->SetParent(GetParent());
    band->SetParentBand(this);
    if (parentReport_) parentReport_->RebuildBandList();
    return;
  }
  if (TQRChildBand* grandChild = child->GetChildBand()) grandChild->SetParentBand(this);
  delete child;
}

void TQRCustomBand::Notification(TComponent* component, TOperation operation) {
  TQRBasePanel::Notification(component, operation);
  if (operation == opRemove && component == linkBand_) linkBand_ = nullptr;
}

template <class F>
void TQRCustomBand::ForEachPrintable(F&& f) const {
  for (Integer i = 0; i < GetControlCount(); ++i)
    if (auto* p = dynamic_cast<TQRPrintable*>(GetControl(i)); p && p->GetEnabled()) f(p);
}

void TQRCustomBand::ExpandedHeight(Extended& NewHeight) {
  Extended expandedHeight = size_->GetRaw(0);
  Extended gap = 0;
  const Extended pixel = 96 / 254.0;
  ForEachPrintable([&](TQRPrintable* p) {
    if (!p->Stretches()) return;
    Extended h = p->GetHeight();
    p->GetExpandedHeight(h);
    const Extended bottom = (p->GetTop() + h) / pixel;
    if (bottom > expandedHeight) {
      expandedHeight = bottom;
      gap = (GetHeight() - p->GetTop() - p->GetHeight() + 1) / pixel;
    }
  });
  if (gap < 0) gap = 0;
  NewHeight = gap + expandedHeight;
}

bool TQRCustomBand::CanExpand(Extended Value) {
  return parentReport_ && QRRound(Value + size_->GetRaw(0) + expanded_) <= parentReport_->AvailableSpace();
}

bool TQRCustomBand::ExpandBand(Extended Value, Extended& NewExpanded, bool& HasExpanded) {
  if (!CanExpand(Value)) return false;
  bool result = false;
  if (HasExpanded || Value >= expanded_)
    expanded_ += Value;
  else
    result = true;
  NewExpanded = expanded_;
  HasExpanded = true;
  return result;
}

TQRPrintable* TQRCustomBand::AddPrintable(TClass PrintableClass) {
  auto* control = PrintableClass->Create<TQRPrintable>(GetOwner());
  control->SetParent(this);
  Integer right = 0;
  for (Integer i = 0; i < GetControlCount(); ++i)
    if (auto* p = dynamic_cast<TQRPrintable*>(GetControl(i)); p && p != control)
      right = std::max(right, p->GetLeft() + p->GetWidth());
  control->SetLeft(right >= 1 ? right + 10 : 1);
  return control;
}

Extended TQRCustomBand::NeededSpace(bool WithLinks) const {
  Extended result = size_->GetRaw(0);
  if (WithLinks && linkBand_) result += linkBand_->NeededSpace(true);
  return result;
}

void TQRCustomBand::AdvancePosition() {
  parentReport_->SetCurrentY(parentReport_->GetCurrentY() + QRRound(size_->GetRaw(0) + expanded_));
}

void TQRCustomBand::CheckSpace() {
  TCustomRezavOze* r = parentReport_;
  TQRPage* page = r->GetPage();
  if (page->GetPrintOrder() == RowByRow && page->GetColumns() > 1) return;
  const Integer need = QRRound(NeededSpace(true));
  const bool pageExists = r->GetCurrentY() >= 0 && r->GetPageNumber() > 0;
  const Extended usable = page->GetRaw(1) - page->GetRaw(2) - page->GetRaw(0);
  const bool fits = bandType_ == rbPageFooter || need <= r->AvailableSpace() || need > usable;
  TQRRunGlobals& g = QRRunGlobals();
  if (fits && pageExists) {
    if (bandType_ == rbDetail) g.DetailOverflow = false;
    return;
  }
  g.DetailOverflow = bandType_ == rbDetail;
  if (!(page->GetContinuous() && pageExists)) r->NewColumn();
}

void TQRCustomBand::PrintChild(bool before) {
  TQRChildBand* child = GetChildBand();
  if (!child) return;
  const TCBPrintOrder order = child->GetPrintOrder();
  if (before && order != cboBeforeParent && order != cboBeforeAndAfter) return;
  if (!before && order != cboAfterParent && order != cboBeforeAndAfter) return;
  if (bandType_ == rbPageFooter)
    child->bandType_ = rbPageFooter;
  else if (!before && bandType_ == rbGroupFooter)
    child->bandType_ = rbGroupFooter;
  if (!before) QRRunGlobals().DetailOverflow = false;
  parentReport_->PrintBand(child);
  child->bandType_ = rbChild;
  if (!before && autoActivateChild) child->enabled_ = false;
}

// Answers true when the band stops here (it was just printed as a repeated header, a group
// header repeated at the top of this page, or the report was cancelled).
bool TQRCustomBand::PrintForcedBreaks(bool& stop) {
  TCustomRezavOze* r = parentReport_;
  TQRRunGlobals& g = QRRunGlobals();
  auto* main = dynamic_cast<TQRController*>(r->GetController());
  const Integer detailCount = main ? main->GetDetailNumber() : 0;
  const bool headersRepeat = r->GetController() && !r->GetController()->GetColHeaders().empty();
  const bool a = !headersRepeat && r->GetPageNumber() == 0;
  const bool b = headersRepeat && detailCount < 2;
  auto* group = dynamic_cast<TQRGroup*>(this);
  if (bandType_ == rbDetail && (forceNewPage_ || forceNewColumn_) && !a && !b) {
    if (forceNewPage_)
      r->NewPage(true);
    else
      r->NewColumn();
    return false;
  }
  if (forceNewPage_ && BreakableType(bandType_) && !g.DetailOverflow && detailCount > 1) {
    if (group && group->InGroup) return false;
    suppressBeforePrint_ = true;
    r->NewPage(true);
    g.DetailOverflow = false;
    suppressBeforePrint_ = false;
    stop = r->GetController() && r->GetController()->IsColHeader(this);
    return false;
  }
  if (forceNewColumn_ && BreakableType(bandType_) && r->GetPageNumber() > 0) {
    suppressBeforePrint_ = true;
    r->NewColumn();
    suppressBeforePrint_ = false;
    stop = r->GetController() && r->GetController()->IsColHeader(this);
    return false;
  }
  CheckSpace();
  if ((group && printedInHeader_) || r->GetCancelled()) stop = true;
  return false;
}

void TQRCustomBand::Print() {
  TCustomRezavOze* r = parentReport_;
  TQRPrinter* printer = r->GetQRPrinter();
  if (printer->GetCancelled() && printer->GetDestination() == qrdPrinter) return;
  bool printIt = enabled_;
  if (enabled_ && !suppressBeforePrint_ && BeforePrint) BeforePrint(this, printIt);
  TQRRunGlobals& g = QRRunGlobals();
  if (printIt) {
    TQRPage* page = r->GetPage();
    if (bandType_ == rbSummary && page->GetColumns() > 1) {
      if (alignToBottom_) {
        r->NewPage(true);
      } else {
        const Integer n = page->GetColumns();
        const Extended width =
            (page->GetRaw(3) - (page->GetRaw(4) + page->GetRaw(5)) - page->GetRaw(6) * (n - 1)) / n;
        const Integer c = r->GetCurrentColumn();
        r->SetCurrentX(QRRound(page->GetRaw(4) + (c - 1) * width) + QRRound(page->GetRaw(6) * (c - 1)));
        size_->SetRaw(1, width);
      }
    }
    PrintChild(true);
    if (autoActivateChild)
      if (TQRChildBand* child = GetChildBand()) child->enabled_ = true;
    bool stop = false;
    PrintForcedBreaks(stop);
    if (stop) return;
    if (notifyController_)
      if (auto* main = dynamic_cast<TQRController*>(r->GetController()); main && main->GetDetailNumber() > 0)
        notifyController_->NotifyClients(qrNotifyDetail);
    if (keepOnOnePage_) {
      Extended h = 0;
      ExpandedHeight(h);
      if (h > r->AvailableSpace()) r->NewColumn();
    }
    const Extended length = size_->GetRaw(0);
    Extended height = length;
    if (preCalculate_) ExpandedHeight(height);
    bandFrameRect_ =
        TRect(printer->XPos(r->GetCurrentX()), printer->YPos(r->GetCurrentY()),
              printer->XPos(r->GetCurrentX() + size_->GetRaw(1)), printer->YPos(r->GetCurrentY() + height));
    g.CurrentBandName = GetName();
    if (printer->YSize(length) != 0 && enabled_) PrintContents();
    if (r->GetExporting() && QRFilterTakesHTMLTags(r->GetExportFilter())) ExportHTMLMarker();
  } else if (notifyController_ && !enabled_) {
    notifyController_->NotifyClients(qrNotifyDetail);
  }
  if (AfterPrint) AfterPrint(this, printIt);
  PrintChild(false);
  g.DetailOverflow = false;
}

// A hidden element where the band lies, for the page's scripts; positions in the document's pixels
// (96 to the inch) of the band's rectangle, the top left for the filter to fill in.
void TQRCustomBand::ExportHTMLMarker() {
  TCustomRezavOze* r = parentReport_;
  TQRPrinter* printer = r->GetQRPrinter();
  const Extended toPx = 96 / 254.0 / printer->GetXFactor(), toPy = 96 / 254.0 / printer->GetYFactor();
  // The printer's device pixels back to the paper (its unprintable margins added again).
  const Integer left =
      QRRound((bandFrameRect_.Left / printer->GetXFactor() + printer->GetLeftWaste()) * 96 / 254.0);
  const Integer top =
      QRRound((bandFrameRect_.Top / printer->GetYFactor() + printer->GetTopWaste()) * 96 / 254.0);
  const String tag = u"<DIV id=\"" + GetName() + u"\" name=\"" + QRBandTypeName(bandType_) +
                     u"\" class=\"qrband\" style=\"visibility:hidden;position:absolute;left:" +
                     IntToStr(left) + u"px;top:!xx!px;width:" +
                     IntToStr(QRRound(bandFrameRect_.Width() * toPx)) + u"px;height:" +
                     IntToStr(QRRound(bandFrameRect_.Height() * toPy)) + u"px;\"></div>";
  r->GetExportFilter()->acceptHTMLTag(tag, top);
}

void TQRCustomBand::PrintContents() {
  TCustomRezavOze* r = parentReport_;
  TQRPrinter* printer = r->GetQRPrinter();
  TCanvas* canvas = printer->GetCanvas();
  TQRRunGlobals& g = QRRunGlobals();
  if (r->GetFinalPass() && !transparentBand_ && canvas) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(bandFrameRect_);
  }
  // A white band adds nothing to the filter's white page.
  if (r->GetExporting() && !transparentBand_ && GetColor() != clWhite) {
    QRCurrentBandName = GetName();
    TQRExportBox box(GetColor(), bandFrameRect_.Width(), bandFrameRect_.Height());
    r->GetExportFilter()->AcceptGraphic(bandFrameRect_.Left, bandFrameRect_.Top, &box);
  }
  expanded_ = 0;
  const Extended length = size_->GetRaw(0);
  bool firstPass = true;
  bool allFinished = true;
  do {
    allFinished = true;
    Extended maxExpanded = 0;
    ForEachPrintable([&](TQRPrintable* p) {
      expanded_ = 0;
      if (firstPass || !p->GetPrintFinished()) {
        g.CurrentBandName = GetName();
        p->Print(r->GetCurrentX(), r->GetCurrentY());
      }
      allFinished = allFinished && p->GetPrintFinished();
      maxExpanded = std::max(maxExpanded, expanded_);
    });
    expanded_ = maxExpanded;
    firstPass = false;
    if ((r->GetFinalPass() || r->GetExporting()) && printer->GetCanvas()) {
      const TRect rect(printer->XPos(r->GetCurrentX()), printer->YPos(r->GetCurrentY()),
                       printer->XPos(r->GetCurrentX() + size_->GetRaw(1)),
                       printer->YPos(r->GetCurrentY() + length + expanded_ + 1));
      frame_->PaintIt(printer->GetCanvas(), rect, printer->GetXFactor(), printer->GetYFactor());
    }
    if (!allFinished) {
      g.DetailOverflow = true;
      r->NewColumn();
      g.DetailOverflow = false;
      size_->SetRaw(0, length);
      expanded_ = 0;
      // A run cancelled in the page break ends the continuation.
      if (r->GetCancelled()) break;
    }
  } while (!allFinished);
  AdvancePosition();
  size_->SetRaw(0, length);
}

void TQRCustomBand::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  if (GetComponentState().Contains(csLoading)) {
    // Only the stream's own height counts; the report lays the bands out meanwhile as well.
    if (height != 40 && !updating_ && !(size_ && size_->GetParentUpdating())) loadedHeight_ = height;
    TQRBasePanel::SetBounds(left, top, width, height);
    return;
  }
  if (!parentReport_ || (size_ && size_->GetParentUpdating()) || updating_) {
    TQRBasePanel::SetBounds(left, top, width, height);
    if (parentReport_ && size_ && size_->GetParentUpdating() && !updating_) {
      parentReport_->SetBandValues();
      ForEachPrintable([](TQRPrintable* p) {
        if (p->GetAlignToBand()) p->ControllerNotify(nullptr, qrNotifyBandResized);
      });
    }
    return;
  }
  size_->SwitchToPixels();
  if (height != QRRound(size_->GetLength())) size_->SetLength(height);
  size_->RestoreUnits();
  TQRBasePanel::SetBounds(left, top, GetWidth(), GetHeight());
}

void TQRCustomBand::SetParent(TWinControl* parent) {
  if (parentReport_ && parentReport_ != parent) parentReport_->RemoveBand(this);
  if (auto* band = dynamic_cast<TQRCustomBand*>(parent)) parent = band->GetParent();
  TQRBasePanel::SetParent(parent);
  if (auto* report = dynamic_cast<TCustomRezavOze*>(parent)) {
    SetParentReport(report);
    size_->SetUnits(report->GetUnits());
    zoom_ = report->GetZoom();
    size_->SetZoom(zoom_);
    report->AddBand(this);
  }
}

void TQRCustomBand::Loaded() {
  TQRBasePanel::Loaded();
  if (!size_->GetValuesRead()) {
    // Only the pixel height was stored: the length follows from it.
    size_->SwitchToPixels();
    size_->SetLength(loadedHeight_);
    size_->RestoreUnits();
  }
  size_->Loaded();
  if (parentReport_) parentReport_->SetBandValues();
}

void TQRCustomBand::SetZoom(Integer value) {
  TQRBasePanel::SetZoom(value);
  if (value == 0) return;
  size_->SetZoom(value);
  size_->SetParentSizes();
}

void TQRCustomBand::Paint() {
  TQRBasePanel::Paint();
  TCanvas* canvas = GetCanvas();
  if (parentReport_ && parentReport_->GetPage()->GetRuler()) DrawRuler(parentReport_->GetUnits(), false);
  const TQRDesignScheme& s = QRDesignScheme();
  const Integer w = GetWidth(), h = GetHeight();
  canvas->GetPen()->SetColor(s.BandOutlineColor);
  canvas->GetPen()->SetStyle(s.BandOutlineStyle);
  canvas->GetPen()->SetWidth(1);
  canvas->MoveTo(0, 0);
  canvas->LineTo(w, 0);
  canvas->MoveTo(0, h - 1);
  canvas->LineTo(w - 1, h - 1);
  canvas->MoveTo(0, 0);
  canvas->LineTo(0, h - 1);
  canvas->MoveTo(w - 1, 0);
  canvas->LineTo(w - 1, h - 1);
  frame_->PaintIt(canvas, TRect(0, 0, w - 1, h - 1), 96 / 254.0, 96 / 254.0);
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->GetFont()->SetColor(s.RulerFontColor);
  canvas->TextOut(2, h - canvas->TextHeight(u"W") - 4, QRBandTypeName(bandType_));
}

// ---- TQRChildBand ----

namespace {
const TTypeInfo* PrintOrderType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TCBPrintOrder", {u"cboBeforeParent", u"cboAfterParent", u"cboBeforeAndAfter"});
  return &t;
}
}  // namespace

void TQRChildBand::Published(TPropBuilder<TQRChildBand>& p) {
  p.Object(u"ParentBand", &TQRChildBand::GetParentBand, &TQRChildBand::SetParentBand);
  p.Enum(u"PrintOrder", PrintOrderType(), &TQRChildBand::GetPrintOrder, &TQRChildBand::SetPrintOrder)
      .Default(cboAfterParent);
}

TQRChildBand::TQRChildBand(TComponent* owner) : TQRCustomBand(owner) { SetBandType(rbChild); }

void TQRChildBand::SetParentBand(TQRCustomBand* value) {
  for (TQRCustomBand* b = value; b;
       b = dynamic_cast<TQRChildBand*>(b) ? static_cast<TQRChildBand*>(b)->parentBand_ : nullptr)
    if (b == this) return;
  if (parentBand_) parentBand_->RemoveFreeNotification(this);
  parentBand_ = value;
  if (value) value->FreeNotification(this);
  if (GetParentReport() && GetParentReport()->GetAvailable()) GetParentReport()->RebuildBandList();
}

void TQRChildBand::Notification(TComponent* component, TOperation operation) {
  TQRCustomBand::Notification(component, operation);
  if (operation == opRemove && component == parentBand_) parentBand_ = nullptr;
}
