// Text controls: layout of a caption or a line list into lines that fit the width, the designer's
// painting, and printing line by line with stretching and continuation in the next column or page.
#include "reportlib/engine/controls/QRLabels.h"

#include "platform/classes/Streaming.h"
#include "platform/graphics/Colors.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QRBands.h"
#include "reportlib/engine/RezavOze.h"

namespace {

bool IsBreakChar(Char c) { return c == u' ' || c == u'-' || c == u'\r'; }

bool IsBlank(const String& s) {
  for (Char c : s)
    if (c > u' ') return false;
  return true;
}

}  // namespace

const TTypeInfo* WrapStyleType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TWrapStyle", {u"BreakOnSpaces", u"BreakAnywhere"});
  return &t;
}

const TTypeInfo* TextLayoutType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TTextLayout", {u"tlTop", u"tlCenter", u"tlBottom"});
  return &t;
}

// ---- TQRCustomLabel ----

void TQRCustomLabel::Published(TPropBuilder<TQRCustomLabel>& p) {
  using L = TQRCustomLabel;
  p.Bool(u"AutoSize", &L::GetAutoSize, &L::SetAutoSize).Default(true);
  p.Bool(u"AutoStretch", &L::GetAutoStretch, &L::SetAutoStretch).Default(false);
  p.Bool(u"WordWrap", &L::GetWordWrap, &L::SetWordWrap).Default(true);
  p.Event(u"OnPrint", &L::OnPrint, u"TQRLabelOnPrintEvent");
}

TQRCustomLabel::TQRCustomLabel(TComponent* owner)
    : TQRPrintable(owner),
      formattedLines_(std::make_unique<TStringList>()),
      lines_(std::make_unique<TStringList>()) {}

TQRCustomLabel::~TQRCustomLabel() = default;

void TQRCustomLabel::SetCaption(const String& value) {
  caption_ = value;
  printCaption_ = value;
  doneFormat_ = false;
  BuildFormattedLines();
  Invalidate();
}

void TQRCustomLabel::SetAutoStretch(bool value) {
  autoStretch_ = value;
  Invalidate();
}

void TQRCustomLabel::SetWordWrap(bool value) {
  wordWrap_ = value;
  Invalidate();
}

void TQRCustomLabel::SetLines(TStrings* value) {
  lines_->Assign(value);
  doneFormat_ = false;
  Invalidate();
}

void TQRCustomLabel::SetParent(TWinControl* parent) {
  TQRPrintable::SetParent(parent);
  doneFormat_ = false;
  BuildFormattedLines();
}

Integer TQRCustomLabel::LayoutWidth() const {
  return QRRound(size_->GetRaw(3) * size_->GetResolution() / 254.0 * GetZoom() / 100);
}

Integer TQRCustomLabel::MeasureText(const String& text) {
  if (parentReport_) return MulDiv(parentReport_->TextWidth(GetFont(), text), GetZoom(), 100);
  return GetCanvas()->TextWidth(text);
}

bool TQRCustomLabel::FitsWhole(const String& text, Integer width) {
  if (parentReport_) {
    const Integer bound = parentReport_->TextWidthBound(GetFont(), text);
    if (bound >= 0 && MulDiv(bound, GetZoom(), 100) <= width) return true;
  }
  return MeasureText(text) <= width;
}

Integer TQRCustomLabel::EffectiveAlignment() const {
  TAlignment a = alignment_;
  if (UseRightToLeftAlignment()) {
    if (a == taLeftJustify)
      a = taRightJustify;
    else if (a == taRightJustify)
      a = taLeftJustify;
  }
  return a;
}

// A word that does not fit a line of its own is split across lines (at least one character a line,
// so a width too narrow for any character still ends); nothing of it is dropped.
void TQRCustomLabel::AddWord(String& line, const String& word) {
  const Integer width = LayoutWidth();
  if (MeasureText(line + word) <= width) {
    line += word;
    return;
  }
  if (!wordWrap_) {
    line += word;
    return;
  }
  if (!line.empty()) {
    formattedLines_->Add(line);
    line.clear();
  }
  String rest = word;
  while (!rest.empty() && MeasureText(rest) > width) {
    size_t fit = 1;
    while (fit < rest.size() && MeasureText(rest.substr(0, fit + 1)) <= width) ++fit;
    // A break after the part that fits, unless only blanks would be left for the next line.
    if (IsBlank(rest.substr(fit))) break;
    formattedLines_->Add(rest.substr(0, fit));
    rest.erase(0, fit);
  }
  line = rest;
}

void TQRCustomLabel::WrapParagraph(const String& paragraph) {
  if (autoSize_) {
    formattedLines_->Add(paragraph);
    return;
  }
  const Integer width = LayoutWidth();
  String line;
  if (wrapStyle_ == BreakAnywhere) {
    for (Char c : paragraph) {
      if (!line.empty() && MeasureText(line + c) > width) {
        formattedLines_->Add(line);
        line.clear();
      }
      line += c;
    }
    if (!IsBlank(line)) formattedLines_->Add(line);
    return;
  }
  // Widths know no kerning: when the whole paragraph fits, every word fits after the ones before.
  if (!wordWrap_ || FitsWhole(paragraph, width)) {
    formattedLines_->Add(paragraph);
    return;
  }
  size_t start = 0;
  while (start < paragraph.size()) {
    size_t end = start;
    while (end < paragraph.size() && !IsBreakChar(paragraph[end])) ++end;
    if (end < paragraph.size()) ++end;
    AddWord(line, paragraph.substr(start, end - start));
    start = end;
  }
  formattedLines_->Add(line);
}

void TQRCustomLabel::WrapText(const String& text) {
  if (text.find_first_of(u"\r\n") == String::npos) {
    WrapParagraph(text);
    return;
  }
  String rest;
  rest.reserve(text.size());
  for (Char c : text)
    if (c != u'\n') rest += c;
  size_t at;
  while ((at = rest.find(u'\r')) != String::npos) {
    WrapParagraph(rest.substr(0, at));
    rest.erase(0, at + 1);
  }
  WrapParagraph(rest);
}

void TQRCustomLabel::FitToText() {
  Integer widest = 0;
  for (Integer i = 0; i < formattedLines_->GetCount(); ++i)
    widest = std::max(widest, MeasureText(formattedLines_->Strings(i)));
  if (frame_->GetDrawLeft()) widest += frame_->GetWidth();
  if (frame_->GetDrawRight()) widest += frame_->GetWidth();
  const Integer oldWidth = LayoutWidth();
  const Integer oldLeft = QRRound(size_->GetRaw(1) * size_->GetResolution() / 254.0 * GetZoom() / 100);
  Integer left = oldLeft;
  if (EffectiveAlignment() == taRightJustify)
    left += oldWidth - widest;
  else if (EffectiveAlignment() == taCenter)
    left += (oldWidth - widest) / 2;
  const Extended toNative = 254.0 / size_->GetResolution() * 100 / GetZoom();
  if (isPrinting_) {
    // During a run the control's window is not touched (the run may be on a worker thread).
    size_->SetRaw(1, size_->GetRaw(1) + (left - oldLeft) * toNative);
    size_->SetRaw(3, widest * toNative);
  } else {
    SetBounds(left, GetTop(), widest, GetHeight());
  }
}

void TQRCustomLabel::BuildFormattedLines() {
  if (!GetParent()) return;
  formattedLines_->Clear();
  const bool onReport = parentReport_ != nullptr;
  auto raiseHeight = [&](const String& sample) {
    if (!onReport || updatingBounds_) return;
    const Integer needed = parentReport_->TextHeight(GetFont(), sample) * GetZoom() / 100 + 1;
    const Integer height = QRRound(size_->GetRaw(0) * size_->GetResolution() / 254.0 * GetZoom() / 100);
    if (height >= needed) return;
    updatingBounds_ = true;
    if (isPrinting_)
      size_->SetRaw(0, needed * 254.0 / size_->GetResolution() * 100 / GetZoom());
    else
      SetHeight(needed);
    updatingBounds_ = false;
  };
  if (GetCaptionBased()) {
    WrapText(printCaption_);
    raiseHeight(u"Wp");
  } else if (lines_->GetCount() > 0) {
    for (Integer i = 0; i < lines_->GetCount(); ++i) {
      if (autoSize_)
        formattedLines_->Add(lines_->Strings(i));
      else
        WrapText(lines_->Strings(i));
    }
  }
  if (autoSize_ && onReport && !updatingBounds_) {
    updatingBounds_ = true;
    FitToText();
    updatingBounds_ = false;
    raiseHeight(u"W");
  }
  doneFormat_ = true;
}

void TQRCustomLabel::Prepare() {
  TQRPrintable::Prepare();
  currentLine_ = 0;
  printFinished_ = true;
  SetCaption(caption_);
}

void TQRCustomLabel::GetExpandedHeight(Extended& newheight) {
  BuildFormattedLines();
  const Integer lineHeight = parentReport_
                                 ? MulDiv(parentReport_->TextHeight(GetFont(), u"W"), GetZoom(), 100)
                                 : GetCanvas()->TextHeight(u"W");
  newheight = static_cast<Extended>(lineHeight) * formattedLines_->GetCount();
}

void TQRCustomLabel::Print(Integer OfsX, Integer OfsY) {
  if (!CanPrint() || !parentReport_) return;
  if (!qrPrinter_) Prepare();
  TCanvas* canvas = qrPrinter_->GetCanvas();
  Extended LH = 0;
  if (canvas) {
    LH = parentReport_->PageTextHeight(canvas, GetFont(), u"W") / qrPrinter_->GetYFactor();
  } else {
    LH = parentReport_->TextHeight(GetFont(), u"W") * 254.0 / 96;
  }
  const Extended X = size_->GetRaw(1) + OfsX, Y = size_->GetRaw(2) + OfsY;
  const Extended W = size_->GetRaw(3), H = size_->GetRaw(0);
  PrintFormattedLines(canvas, X, Y, W, H, LH);
}

void TQRCustomLabel::PrintFormattedLines(TCanvas* canvas, Extended X, Extended Y, Extended W0, Extended H,
                                         Extended LH) {
  TQRRunGlobals& g = QRRunGlobals();
  g.CurrentControlName = GetName();
  const String savedCaption = printCaption_;
  bool captionChanged = false;
  if (OnPrint) {
    String value = printCaption_;
    OnPrint(this, value);
    if (canvas) LH = parentReport_->PageTextHeight(canvas, GetFont(), u"W") / qrPrinter_->GetYFactor();
    H = size_->GetRaw(0);
    if (value != printCaption_) {
      printCaption_ = value;
      captionChanged = true;
    }
  }
  BuildFormattedLines();
  const Extended W = size_->GetRaw(3);
  const bool finalPass = parentReport_->GetFinalPass() && canvas;
  TQRPrinter* printer = qrPrinter_;
  const Integer alignment = EffectiveAlignment();
  if (finalPass && !transparent_) {
    Extended left = X, right = X + W;
    if (alignment == taRightJustify) {
      right = X + W0;
      left = std::max(X, X + W0 - canvas->TextWidth(printCaption_) / printer->GetXFactor());
    }
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(GetColor());
    canvas->GetPen()->SetWidth(0);
    canvas->FillRect(
        TRect(printer->XPos(left), printer->YPos(Y), printer->XPos(right), printer->YPos(Y + H)));
  }
  const Integer inset = QRRound(frame_->GetWidth() / 72.0 * 254);
  TQRExportFilter* filter = ExportFilter();
  if (filter) {
    QRCurrentControlName = GetName();
    QRCurrentBandName = g.CurrentBandName;
    if (!transparent_ && GetColor() != clWhite) {
      Extended left = X, width = W;
      if (alignment == taRightJustify && canvas) {
        width = canvas->TextWidth(printCaption_) / printer->GetXFactor();
        left = X + W0 - width;
      }
      TQRExportBox box(GetColor(), printer->XPos(width), printer->YPos(H));
      filter->AcceptGraphic(printer->XPos(left), printer->YPos(Y), &box);
    }
  }
  if (frame_->AnyFrame()) {
    if (frame_->GetDrawTop()) Y += inset;
    if (frame_->GetDrawLeft()) X += inset;
  }
  Extended B = Y + H + 1, CY = Y, E = 0;
  Extended TX = X;
  if (autoSize_) {
    if (alignment == taRightJustify)
      TX = X - (W - W0);
    else if (alignment == taCenter)
      TX = X - (W - W0) / 2;
  }
  const Extended lineStart = TX;
  UINT options = 0;
  UINT align = TA_LEFT | TA_TOP;
  if (UseRightToLeftReading()) {
    options |= ETO_RTLREADING;
    align |= TA_RTLREADING;
  }
  if (alignment == taRightJustify) {
    align = (align & TA_RTLREADING) | TA_RIGHT | TA_TOP;
    TX += W;
  } else if (alignment == taCenter) {
    align = (align & TA_RTLREADING) | TA_CENTER | TA_TOP;
    TX += W / 2;
  }
  if (canvas) {
    SetBkMode(canvas->GetHandle(), TRANSPARENT);
    SetTextAlign(canvas->GetHandle(), align);
  }
  if (formattedLines_->GetCount() == 1 && canvas && verticalAlignment_ != tlTop) {
    const Extended d = (H * printer->GetYFactor() - parentReport_->PageTextHeight(canvas, GetFont(), u"Wp")) /
                       printer->GetYFactor();
    if (verticalAlignment_ == tlCenter) CY += d / 2;
    if (verticalAlignment_ == tlBottom) CY += d;
  }
  const bool continuing = !printFinished_;
  if (!continuing) currentLine_ = 0;
  TQRCustomBand* band = ParentBand();
  bool hasExpanded = false;
  bool printedAny = false;
  while (currentLine_ < formattedLines_->GetCount()) {
    bool room = CY + LH <= B;
    if (!room && autoStretch_ && band && band->CanExpand(LH)) {
      const Extended oldE = E;
      band->ExpandBand(LH, E, hasExpanded);
      B = Y + H + 1 + E;
      room = CY + LH <= B;
      if (finalPass && !transparent_) {
        canvas->GetBrush()->SetStyle(bsSolid);
        canvas->GetBrush()->SetColor(GetColor());
        canvas->FillRect(TRect(printer->XPos(X), printer->YPos(Y + H + oldE), printer->XPos(X + W),
                               printer->YPos(Y + H + E)));
        SetBkMode(canvas->GetHandle(), TRANSPARENT);
        SetTextAlign(canvas->GetHandle(), align);
      }
    }
    // A line taller than a whole page would never find room: a continuation prints at least one.
    if (!room && !(continuing && !printedAny && autoStretch_)) break;
    const String line = formattedLines_->Strings(currentLine_);
    if (finalPass && !line.empty()) {
      if (fullJustify_) {
        PrintJustified(canvas, line, QRRound(TX), CY, options);
      } else if (GetVisible()) {
        ExtTextOut(canvas->GetHandle(), printer->XPos(TX), printer->YPos(CY), options, nullptr, line.data(),
                   static_cast<UINT>(line.size()), nullptr);
      }
      if (parentReport_->UsePreviewLinks && activeInPreview_ && parentReport_->GetCurrentLinkPage()) {
        auto item = std::make_unique<TPageItemRec>();
        item->controlname = GetName();
        item->controlclass = ClassType()->ClassName();
        item->recordnumber = g.CurrentDetailNumber;
        item->textcontent = line;
        item->left = lineStart * 96 / 254;
        item->top = CY * 96 / 254;
        item->width = GetWidth();
        item->height = GetHeight();
        parentReport_->GetCurrentLinkPage()->addItemRec(std::move(item));
      }
    }
    if (filter && !line.empty()) {
      if (fullJustify_ && canvas) {
        ExportJustified(filter, canvas, line, QRRound(TX), CY);
      } else if (QRFilterTakesTextRecords(filter)) {
        TExportInfoRec r;
        r.Xpos = TX;
        r.Ypos = CY;
        r.Font = GetFont();
        r.BGColor = GetColor();
        r.Alignment = static_cast<TAlignment>(alignment);
        r.VAlignment = verticalAlignment_;
        r.Text = line;
        r.Column = xlColumn_;
        r.XLNumFormat = xlNumFormat_;
        r.NumberMask = numberMask_;
        r.ExportAs = exportAs_;
        r.ControlName = GetName();
        r.ControlWidth = W;
        r.controlHeight = H;
        r.controlLeft = X;
        r.controlTop = Y;
        filter->TextOutRec(r);
      } else {
        filter->TextOut(TX, CY, GetFont(), GetColor(), static_cast<TAlignment>(alignment), line);
      }
    }
    CY += LH;
    ++currentLine_;
    printedAny = true;
  }
  printFinished_ = currentLine_ >= formattedLines_->GetCount() || !autoStretch_;
  if (captionChanged) printCaption_ = savedCaption;
  if (frame_->AnyFrame() && (finalPass || (filter && canvas))) {
    const TRect r(printer->XPos(X - (frame_->GetDrawLeft() ? inset : 0)),
                  printer->YPos(Y - (frame_->GetDrawTop() ? inset : 0)), printer->XPos(X + W),
                  printer->YPos(Y + H + E));
    frame_->PaintIt(canvas, r, printer->GetXFactor(), printer->GetYFactor());
  }
}

void TQRCustomLabel::PrintJustified(TCanvas* canvas, const String& line, Integer tx, Extended cy,
                                    UINT options) {
  LayOutJustified(canvas, line, tx, [&](const String& w, Extended x) {
    ExtTextOut(canvas->GetHandle(), QRRound(x), qrPrinter_->YPos(cy), options, nullptr, w.data(),
               static_cast<UINT>(w.size()), nullptr);
  });
}

void TQRCustomLabel::ExportJustified(TQRExportFilter* filter, TCanvas* canvas, const String& line, Integer tx,
                                     Extended cy) {
  const auto alignment = static_cast<TAlignment>(EffectiveAlignment());
  LayOutJustified(canvas, line, tx, [&](const String& w, Extended x) {
    // Device pixels of the page back to 0.1 mm.
    filter->TextOut(x / qrPrinter_->GetXFactor(), cy, GetFont(), GetColor(), alignment, w);
  });
}

void TQRCustomLabel::LayOutJustified(TCanvas* canvas, const String& line, Integer tx,
                                     const std::function<void(const String&, Extended)>& place) {
  TQRPrinter* printer = qrPrinter_;
  std::vector<String> words;
  String word;
  for (Char c : line + u" ") {
    if (c == u' ') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  const Extended scale = printer->YPos(100000) / 100000.0 / 0.37795;
  const Extended available = scale * GetWidth();
  Extended total = 0;
  for (const String& w : words) total += canvas->TextWidth(w);
  const Extended space = canvas->TextWidth(u" ");
  Extended gap = space;
  if (words.size() > 1 && total < available)
    gap = (available - total) / static_cast<Extended>(words.size() - 1);
  if (space > 0 && gap / space > maxBreakChars_) gap = space;
  Extended x = printer->XPos(tx);
  for (const String& w : words) {
    place(w, x);
    x += canvas->TextWidth(w) + gap;
  }
}

void TQRCustomLabel::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  const Integer size = QRRound(GetFont()->GetSize() * GetZoom() / 100.0);
  if (canvas->GetFont()->GetSize() != size) canvas->GetFont()->SetSize(size);
  TQRPrintable::Paint();
  const Integer lineHeight = canvas->TextHeight(u"W");
  BuildFormattedLines();
  if (!transparent_) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(TRect(0, 0, GetWidth(), GetHeight()));
  }
  Integer x = 0, y = 0;
  const Integer inset = QRRound(GetZoom() * (frame_->GetWidth() / 72.0 * 96) / 100);
  if (frame_->GetDrawTop() && frame_->GetWidth() > 0) y += inset;
  if (frame_->GetDrawLeft()) x += inset;
  HDC dc = canvas->GetHandle();
  SetBkMode(dc, TRANSPARENT);
  switch (EffectiveAlignment()) {
    case taRightJustify:
      SetTextAlign(dc, TA_RIGHT | TA_TOP);
      x = GetWidth();
      break;
    case taCenter:
      SetTextAlign(dc, TA_CENTER | TA_TOP);
      x += GetWidth() / 2;
      break;
    default:
      SetTextAlign(dc, TA_LEFT | TA_TOP);
  }
  const Integer count = formattedLines_->GetCount();
  for (Integer i = 0; i < count; ++i) {
    const String line = formattedLines_->Strings(i);
    if (line.empty()) continue;
    Integer ly = y + i * lineHeight;
    if (count == 1 && verticalAlignment_ == tlCenter)
      ly = QRRound(y + (GetHeight() - canvas->TextHeight(u"Wq")) / 2.0);
    else if (count == 1 && verticalAlignment_ == tlBottom)
      ly = QRRound(y + GetHeight() - static_cast<Extended>(lineHeight));
    ExtTextOut(dc, x, ly, 0, nullptr, line.data(), static_cast<UINT>(line.size()), nullptr);
  }
}

void TQRCustomLabel::DefineProperties(TFiler* filer) {
  TQRPrintable::DefineProperties(filer);
  filer->DefineProperty(u"FontSize", TReaderProc(this, &TQRCustomLabel::ReadFontSize),
                        TWriterProc(this, &TQRCustomLabel::WriteFontSize), true);
}

void TQRCustomLabel::ReadFontSize(TReader* reader) { fontSize_ = reader->ReadInteger(); }
void TQRCustomLabel::WriteFontSize(TWriter* writer) { writer->WriteInteger(GetFont()->GetSize()); }

void TQRCustomLabel::Loaded() {
  TQRPrintable::Loaded();
  if (fontSize_ > 0) GetFont()->SetSize(fontSize_);
  doneFormat_ = false;
}

// ---- TQRLabel and TQRMemo ----

void TQRLabel::Published(TPropBuilder<TQRLabel>& p) {
  using L = TQRLabel;
  p.Str(u"Caption", &L::GetCaption, &L::SetCaption);
  p.Enum(u"WrapStyle", WrapStyleType(), &L::GetWrapStyle, &L::SetWrapStyle).Default(BreakOnSpaces);
  p.Enum(u"VerticalAlignment", TextLayoutType(), &L::GetVerticalAlignment, &L::SetVerticalAlignment)
      .Default(tlTop);
}

void TQRMemo::Published(TPropBuilder<TQRMemo>& p) {
  using M = TQRMemo;
  p.Object(u"Lines", &M::GetLines, &M::SetLines);
  p.Bool(u"FullJustify", &M::GetFullJustify, &M::SetFullJustify).Default(false);
  p.Int(u"MaxBreakChars", &M::GetMaxBreakChars, &M::SetMaxBreakChars).Default(5);
}

TQRMemo::TQRMemo(TComponent* owner) : TQRCustomLabel(owner) { captionBased_ = false; }
