// Printer settings: the paper and bin tables, reading a printer's device mode into the settings and
// writing them back before a job, and the report's stored choices.
#include "reportlib/output/QRPrinterSettings.h"

#include <cmath>

#include "platform/classes/Thread.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/RtlMath.h"
#include "reportlib/output/QRPrinter.h"

namespace {

struct PaperMM {
  double w, l;
};

// Millimetres of the paper sizes 1 .. 68, portrait (index 0 and 69 carry none).
constexpr PaperMM Papers[QRPaperSizeCount] = {
    {0, 0},         {215.9, 279.4}, {215.9, 279.4},  {279.4, 431.8}, {431.8, 279.4}, {215.9, 355.6},
    {139.7, 215.9}, {190.5, 254},   {297, 420},      {210, 297},     {210, 297},     {148, 210},
    {250, 354},     {182, 257},     {215.9, 330.2},  {215, 275},     {254, 355.6},   {279.4, 431.8},
    {215.9, 279.4}, {98.43, 225.4}, {104.8, 241.3},  {114.3, 263.5}, {120.7, 279.4}, {127, 292.1},
    {431.8, 558.8}, {558.8, 863.6}, {863.6, 1117.6}, {110, 220},     {162, 229},     {324, 458},
    {229, 324},     {114, 162},     {114, 229},      {250, 353},     {176, 250},     {176, 125},
    {110, 230},     {98.43, 190.5}, {92.01, 165.1},  {377.8, 279.4}, {215.9, 304.8}, {215.9, 330.2},
    {250, 353},     {100, 148},     {228.6, 279.4},  {254, 279.4},   {381, 279.4},   {220, 220},
    {100, 100},     {100, 100},     {241.3, 304.8},  {241.3, 381},   {296.9, 457.2}, {236, 322},
    {279.4, 215.9}, {297, 210},     {304.8, 241.3},  {227, 356},     {305, 487},     {215.9, 322.3},
    {210, 330},     {210, 148},     {257, 182},      {322, 445},     {174, 235},     {201, 276},
    {420, 594},     {420, 297},     {445, 322},      {0, 0},
};

constexpr Integer BinCodes[QRBinCount] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14};

// One tenth of a millimetre, rounded half to even as every conversion of the library.
Integer Tenths(double mm) { return static_cast<Integer>(Round(mm * 10)); }

}  // namespace

const TTypeInfo* QRPaperSizeType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TQRPaperSize", {u"Default",
                                                               u"Letter",
                                                               u"LetterSmall",
                                                               u"Tabloid",
                                                               u"Ledger",
                                                               u"Legal",
                                                               u"Statement",
                                                               u"Executive",
                                                               u"A3",
                                                               u"A4",
                                                               u"A4Small",
                                                               u"A5",
                                                               u"B4",
                                                               u"B5",
                                                               u"Folio",
                                                               u"Quarto",
                                                               u"qr10X14",
                                                               u"qr11X17",
                                                               u"Note",
                                                               u"Env9",
                                                               u"Env10",
                                                               u"Env11",
                                                               u"Env12",
                                                               u"Env14",
                                                               u"CSheet",
                                                               u"DSheet",
                                                               u"ESheet",
                                                               u"EnvDL",
                                                               u"EnvC5",
                                                               u"EnvC3",
                                                               u"EnvC4",
                                                               u"EnvC6",
                                                               u"EnvC65",
                                                               u"EnvB4",
                                                               u"EnvB5",
                                                               u"EnvB6",
                                                               u"EnvItaly",
                                                               u"EnvMonarch",
                                                               u"EnvPersonal",
                                                               u"FanfoldUSStd",
                                                               u"FanfoldGerStd",
                                                               u"FanfoldGerLegal",
                                                               u"B4ISO",
                                                               u"PostcardJap",
                                                               u"qr9X11",
                                                               u"qr10X11",
                                                               u"qr15X11",
                                                               u"EnvInvite",
                                                               u"Reserved1",
                                                               u"Reserved2",
                                                               u"LetterExtra",
                                                               u"LegalExtra",
                                                               u"TabloidExtra",
                                                               u"A4Extra",
                                                               u"LetterTrans",
                                                               u"A4Trans",
                                                               u"LetterExtraTrans",
                                                               u"SuperASuperAA4",
                                                               u"SuperBSuperBA3",
                                                               u"LetterPlus",
                                                               u"A4Plus",
                                                               u"A5Trans",
                                                               u"B5Trans",
                                                               u"A3Extra",
                                                               u"A5Extra",
                                                               u"B5Extra",
                                                               u"A2",
                                                               u"A3Trans",
                                                               u"A3ExtraTrans",
                                                               u"Custom"});
  return &t;
}

const TTypeInfo* QRBinType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TQRBin", {u"First", u"Upper", u"Lower", u"Middle", u"Manual", u"Envelope", u"EnvManual", u"Auto",
                  u"Tractor", u"SmallFormat", u"LargeFormat", u"LargeCapacity", u"Cassette", u"Last"});
  return &t;
}

const TTypeInfo* PrinterOrientationType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TPrinterOrientation", {u"poPortrait", u"poLandscape"});
  return &t;
}

Integer QRPaperCode(TQRPaperSize size) {
  return size == TQRPaperSize::Custom ? DMPAPER_USER : static_cast<Integer>(size);
}

bool QRPaperSizeMM(TQRPaperSize size, double& widthMM, double& lengthMM) {
  if (size == TQRPaperSize::Default || size == TQRPaperSize::Custom) return false;
  widthMM = Papers[static_cast<Integer>(size)].w;
  lengthMM = Papers[static_cast<Integer>(size)].l;
  return true;
}

Integer QRBinCode(TQRBin bin) { return BinCodes[static_cast<Integer>(bin)]; }

TQRPaperSize QRPaperSizeOfCode(Integer code, bool& ok) {
  for (Integer i = 0; i < QRPaperSizeCount; ++i)
    if (QRPaperCode(static_cast<TQRPaperSize>(i)) == code) {
      ok = true;
      return static_cast<TQRPaperSize>(i);
    }
  ok = false;
  return TQRPaperSize::Default;
}

TQRBin QRBinOfCode(Integer code, bool& ok) {
  for (Integer i = 0; i < QRBinCount; ++i)
    if (BinCodes[i] == code) {
      ok = true;
      return static_cast<TQRBin>(i);
    }
  ok = false;
  return TQRBin::First;
}

// ---- TPrinterSettings ----

TPrinterSettings::TPrinterSettings() = default;
TPrinterSettings::~TPrinterSettings() = default;

void TPrinterSettings::SetPrinter(TPrinter* printer) {
  printer_ = printer;
  if (printer_ && printer_->GetPrinters()->GetCount() > 0) ReadPrinterSettings();
}

void TPrinterSettings::ReadPrinterSettings() {
  try {
    // A printer set up on a report's worker thread leaves the main thread's messages to it.
    if (Application && IsMainThread()) Application->ProcessMessages();
    const Cardinal fields = deviceMode_.Fields;
    printer_->GetPrinter(device_, driver_, port_, deviceMode_.Mode);
    deviceMode_.Fields = fields;
    haveDeviceMode_ = true;
    bool cancel = false;
    if (OnGetPrinterSettings) OnGetPrinterSettings(this, cancel, &deviceMode_);
    if (cancel) return;
    const TDeviceMode& m = deviceMode_.Mode;
    pixelsPerX_ = printer_->DeviceCaps(LOGPIXELSX);
    pixelsPerY_ = printer_->DeviceCaps(LOGPIXELSY);
    copies_ = Offers(DM_COPIES) ? m.dmCopies : 1;
    bool ok = false;
    outputBin_ = TQRBin::First;
    if (Offers(DM_DEFAULTSOURCE)) {
      const TQRBin bin = QRBinOfCode(m.dmDefaultSource, ok);
      if (ok) outputBin_ = bin;
    }
    if (Offers(DM_DUPLEX)) {
      duplex_ = m.dmDuplex != DMDUP_SIMPLEX;
      extendedDuplex_ = m.dmDuplex;
    }
    leftOffset_ = static_cast<Integer>(Round(printer_->DeviceCaps(PHYSICALOFFSETX) * 254.0 / pixelsPerX_));
    topOffset_ = static_cast<Integer>(Round(printer_->DeviceCaps(PHYSICALOFFSETY) * 254.0 / pixelsPerY_));
    paperSize_ = TQRPaperSize::Default;
    if (Offers(DM_PAPERSIZE)) {
      const TQRPaperSize size = QRPaperSizeOfCode(m.dmPaperSize, ok);
      if (ok) paperSize_ = size;
    }
    paperWidth_ = static_cast<Integer>(Round(printer_->DeviceCaps(PHYSICALWIDTH) * 254.0 / pixelsPerX_));
    paperLength_ = static_cast<Integer>(Round(printer_->DeviceCaps(PHYSICALHEIGHT) * 254.0 / pixelsPerY_));
    // Our printers take every standard size the platform knows, and any custom size.
    paperSizes_.fill(false);
    for (Integer i = 1; i < QRPaperSizeCount - 1; ++i) {
      double w, h;
      paperSizes_[i] = PaperSizeMM(static_cast<Word>(i), w, h);
    }
    paperSizes_[static_cast<Integer>(TQRPaperSize::Custom)] = true;
    printQuality_ = m.dmPrintQuality;
    collate_ = m.dmCollate;
    colorOption_ = m.dmColor;
    index_ = printer_->GetPrinterIndex();
  } catch (const Exception&) {
    // A printer that cannot be read is left alone: the settings keep their values and printing
    // goes on without it, as with no printer at all.
    printer_ = nullptr;
  }
}

void TPrinterSettings::ApplySettings() {
  if (!printer_) return;
  if (!haveDeviceMode_) {
    const Cardinal fields = deviceMode_.Fields;
    printer_->GetPrinter(device_, driver_, port_, deviceMode_.Mode);
    deviceMode_.Fields = fields;
    haveDeviceMode_ = true;
  }
  TDeviceMode& m = deviceMode_.Mode;
  deviceMode_.Fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  m.dmPaperLength = static_cast<SmallInt>(GetPaperLength());
  m.dmPaperWidth = static_cast<SmallInt>(GetPaperWidth());
  if ((deviceMode_.Fields & DM_PAPERSIZE) && paperSize_ != TQRPaperSize::Default)
    m.dmPaperSize = static_cast<Word>(useCustomPaperCode_ ? customPaperCode_ : QRPaperCode(paperSize_));
  deviceMode_.Fields |= DM_COPIES;
  m.dmCopies = static_cast<SmallInt>(copies_);
  if (deviceMode_.Fields & DM_DUPLEX)
    m.dmDuplex = static_cast<Word>(extendedDuplex_ != 0 ? extendedDuplex_
                                   : duplex_            ? DMDUP_HORIZONTAL
                                                        : DMDUP_SIMPLEX);
  deviceMode_.Fields |= DM_DEFAULTSOURCE;
  m.dmDefaultSource = static_cast<Word>(useCustomBinCode_ ? customBinCode_ : QRBinCode(outputBin_));
  deviceMode_.Fields |= DM_ORIENTATION;
  m.dmOrientation = orientation_ == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  if (deviceMode_.Fields & DM_COLLATE) m.dmCollate = static_cast<Word>(collate_);
  if (deviceMode_.Fields & DM_PRINTQUALITY) m.dmPrintQuality = static_cast<SmallInt>(printQuality_);
  if (deviceMode_.Fields & DM_COLOR) m.dmColor = static_cast<Word>(colorOption_);
  bool cancel = false;
  if (OnApplyPrinterSettings) OnApplyPrinterSettings(this, cancel, &deviceMode_);
  if (!cancel) printer_->SetPrinter(device_, driver_, port_, m);
}

bool TPrinterSettings::GetPaperSizeSupported(TQRPaperSize size) const {
  if (size == TQRPaperSize::Custom) return true;
  return paperSizes_[static_cast<Integer>(size)];
}

void TPrinterSettings::SetCopies(Integer value) {
  if (Offers(DM_COPIES) && haveDeviceMode_) copies_ = value;
}
void TPrinterSettings::SetDuplex(bool value) {
  if (Offers(DM_DUPLEX) && haveDeviceMode_) duplex_ = value;
}
void TPrinterSettings::SetOrientation(TPrinterOrientation value) {
  if (Offers(DM_ORIENTATION) && haveDeviceMode_) orientation_ = value;
}
void TPrinterSettings::SetOutputBin(TQRBin value) {
  if (Offers(DM_DEFAULTSOURCE) && haveDeviceMode_) outputBin_ = value;
}
void TPrinterSettings::SetPaperSize(TQRPaperSize value) {
  if (value == TQRPaperSize::Default || GetPaperSizeSupported(value)) paperSize_ = value;
}

Integer TPrinterSettings::GetPaperWidth() const {
  double w, l;
  return QRPaperSizeMM(paperSize_, w, l) ? Tenths(w) : paperWidth_;
}
Integer TPrinterSettings::GetPaperLength() const {
  double w, l;
  return QRPaperSizeMM(paperSize_, w, l) ? Tenths(l) : paperLength_;
}

// ---- TQRPrinterSettings ----

void TQRPrinterSettings::Published(TPropBuilder<TQRPrinterSettings>& p) {
  using S = TQRPrinterSettings;
  p.Int(u"Copies", &S::Copies, &S::Copies).Default(1);
  p.Bool(u"Duplex", &S::Duplex, &S::Duplex).Default(false);
  p.Enum(u"Orientation", PrinterOrientationType(), &S::Orientation, &S::Orientation).Default(poPortrait);
  p.Enum(u"OutputBin", QRBinType(), &S::OutputBin, &S::OutputBin).Default(static_cast<Integer>(TQRBin::Auto));
  p.Enum(u"PaperSize", QRPaperSizeType(), &S::PaperSize, &S::PaperSize)
      .Default(static_cast<Integer>(TQRPaperSize::Letter));
  p.Int(u"PrinterIndex", &S::PrinterIndex, &S::PrinterIndex).Default(-1);
  p.Str(u"Title", &S::Title, &S::Title);
  p.Int(u"FirstPage", &S::FirstPage, &S::FirstPage).Default(0);
  p.Int(u"LastPage", &S::LastPage, &S::LastPage).Default(0);
  p.Bool(u"PrintMetafile", &S::PrintMetafile, &S::PrintMetafile).Default(false);
  p.Bool(u"UseStandardprinter", &S::UseStandardprinter, &S::UseStandardprinter).Default(false);
  p.Bool(u"UseExtendedDuplex", &S::UseExtendedDuplex, &S::UseExtendedDuplex).Default(false);
  p.Int(u"ExtendedDuplex", &S::ExtendedDuplex, &S::ExtendedDuplex).Default(0);
  p.Int(u"MemoryLimit", &S::MemoryLimit, &S::MemoryLimit).Default(1000000);
  p.Int(u"PrintQuality", &S::PrintQuality, &S::PrintQuality).Default(0);
  p.Int(u"Collate", &S::Collate, &S::Collate).Default(0);
  p.Int(u"ColorOption", &S::ColorOption, &S::ColorOption).Default(0);
  p.Bool(u"UseCustomBinCode", &S::UseCustomBinCode, &S::UseCustomBinCode).Default(false);
  p.Int(u"CustomBinCode", &S::CustomBinCode, &S::CustomBinCode).Default(0);
  p.Bool(u"UseCustomPaperCode", &S::UseCustomPaperCode, &S::UseCustomPaperCode).Default(false);
  p.Int(u"CustomPaperCode", &S::CustomPaperCode, &S::CustomPaperCode).Default(0);
}

void TQRPrinterSettings::Assign(TPersistent* source) {
  if (auto* s = dynamic_cast<TQRPrinterSettings*>(source)) {
    Copies = s->Copies;
    Duplex = s->Duplex;
    Orientation = s->Orientation;
    OutputBin = s->OutputBin;
    PaperSize = s->PaperSize;
    PrinterIndex = s->PrinterIndex;
    Title = s->Title;
    FirstPage = s->FirstPage;
    LastPage = s->LastPage;
    PrintMetafile = s->PrintMetafile;
    UseStandardprinter = s->UseStandardprinter;
    UseExtendedDuplex = s->UseExtendedDuplex;
    ExtendedDuplex = s->ExtendedDuplex;
    MemoryLimit = s->MemoryLimit;
    PrintQuality = s->PrintQuality;
    Collate = s->Collate;
    ColorOption = s->ColorOption;
    UseCustomBinCode = s->UseCustomBinCode;
    CustomBinCode = s->CustomBinCode;
    UseCustomPaperCode = s->UseCustomPaperCode;
    CustomPaperCode = s->CustomPaperCode;
    return;
  }
  TPersistent::Assign(source);
}

void TQRPrinterSettings::ApplySettings(TQRPrinter* printer) {
  if (printer->GetPrinterIndex() != PrinterIndex) printer->SetPrinterIndex(PrinterIndex);
  printer->SetPaperSize(PaperSize);
  printer->SetCopies(Copies);
  printer->SetDuplex(Duplex);
  printer->SetOrientation(Orientation);
  printer->SetOutputBin(OutputBin);
  printer->SetTitle(Title);
}

TQRPaperSize DefaultPrinterPaperSize() {
  try {
    TPrinter* printer = Printer();
    if (printer->GetPrinters()->GetCount() == 0) return TQRPaperSize::Default;
    bool ok = false;
    const TQRPaperSize size = QRPaperSizeOfCode(printer->GetDeviceMode().dmPaperSize, ok);
    return ok ? size : TQRPaperSize::Default;
  } catch (const Exception&) {
    // No usable printer: a new report takes the default paper.
    return TQRPaperSize::Default;
  }
}

void ResetPrinterDevMode(TPrinter* printer) {
  String device, driver, port;
  TDeviceMode mode;
  printer->GetPrinter(device, driver, port, mode);
  printer->SetPrinter(device, driver, port, TDeviceMode());
}
