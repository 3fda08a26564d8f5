// Printer settings: the report's stored printing choices (TQRPrinterSettings), the live link to one
// printer's device mode (TPrinterSettings), and the paper sizes and bins with their device codes,
// which the report's page uses as well.
#pragma once

#include <array>

#include "platform/classes/Delegate.h"
#include "platform/classes/Object.h"
#include "platform/classes/TypInfo.h"
#include "platform/printing/Printers.h"

enum class TQRPaperSize : Byte {
  Default,
  Letter,
  LetterSmall,
  Tabloid,
  Ledger,
  Legal,
  Statement,
  Executive,
  A3,
  A4,
  A4Small,
  A5,
  B4,
  B5,
  Folio,
  Quarto,
  qr10X14,
  qr11X17,
  Note,
  Env9,
  Env10,
  Env11,
  Env12,
  Env14,
  CSheet,
  DSheet,
  ESheet,
  EnvDL,
  EnvC5,
  EnvC3,
  EnvC4,
  EnvC6,
  EnvC65,
  EnvB4,
  EnvB5,
  EnvB6,
  EnvItaly,
  EnvMonarch,
  EnvPersonal,
  FanfoldUSStd,
  FanfoldGerStd,
  FanfoldGerLegal,
  B4ISO,
  PostcardJap,
  qr9X11,
  qr10X11,
  qr15X11,
  EnvInvite,
  Reserved1,
  Reserved2,
  LetterExtra,
  LegalExtra,
  TabloidExtra,
  A4Extra,
  LetterTrans,
  A4Trans,
  LetterExtraTrans,
  SuperASuperAA4,
  SuperBSuperBA3,
  LetterPlus,
  A4Plus,
  A5Trans,
  B5Trans,
  A3Extra,
  A5Extra,
  B5Extra,
  A2,
  A3Trans,
  A3ExtraTrans,
  Custom
};
constexpr Integer QRPaperSizeCount = 70;

enum class TQRBin : Byte {
  First,
  Upper,
  Lower,
  Middle,
  Manual,
  Envelope,
  EnvManual,
  Auto,
  Tractor,
  SmallFormat,
  LargeFormat,
  LargeCapacity,
  Cassette,
  Last
};
constexpr Integer QRBinCount = 14;

const TTypeInfo* QRPaperSizeType();
const TTypeInfo* QRBinType();
const TTypeInfo* PrinterOrientationType();

// The device paper code: the value itself, 256 for Custom.
Integer QRPaperCode(TQRPaperSize size);
// Width and length in millimetres, portrait; false for Default and Custom.
bool QRPaperSizeMM(TQRPaperSize size, double& widthMM, double& lengthMM);
// The device bin code of a bin.
Integer QRBinCode(TQRBin bin);
// The first size or bin with that device code; ok false when none has it.
TQRPaperSize QRPaperSizeOfCode(Integer code, bool& ok);
TQRBin QRBinOfCode(Integer code, bool& ok);

// Device mode fields a driver marks as present.
enum : Cardinal {
  DM_ORIENTATION = 0x1,
  DM_PAPERSIZE = 0x2,
  DM_PAPERLENGTH = 0x4,
  DM_PAPERWIDTH = 0x8,
  DM_COPIES = 0x100,
  DM_DEFAULTSOURCE = 0x200,
  DM_PRINTQUALITY = 0x400,
  DM_COLOR = 0x800,
  DM_DUPLEX = 0x1000,
  DM_COLLATE = 0x8000,
  DM_ALLFIELDS = 0x9F0F,
};

// The printer's device mode with the fields its driver offers.
struct TQRDeviceMode {
  TDeviceMode Mode;
  Cardinal Fields = DM_ALLFIELDS;
};

class TPrinterSettings;
using TQRPrinterSettingsEvent = TDelegate<void(TObject* sender, bool& cancel, TQRDeviceMode* devMode)>;

class TPrinterSettings : public TObject {
  KIV_CLASS(TPrinterSettings, TObject)
 public:
  TPrinterSettings();
  ~TPrinterSettings() override;

  TPrinter* GetPrinter() const { return printer_; }
  // Reads the printer's settings when it has printers; a failure detaches it.
  void SetPrinter(TPrinter* printer);
  // Writes the settings into the device mode and selects it for the next job.
  void ApplySettings();
  bool GetPaperSizeSupported(TQRPaperSize size) const;
  // The fields the attached driver offers; our printers offer all of them.
  Cardinal GetDeviceFields() const { return deviceMode_.Fields; }
  void SetDeviceFields(Cardinal fields) { deviceMode_.Fields = fields; }
  const TQRDeviceMode& GetDeviceMode() const { return deviceMode_; }

  Integer GetCopies() const { return copies_; }
  void SetCopies(Integer value);
  bool GetDuplex() const { return duplex_; }
  void SetDuplex(bool value);
  TPrinterOrientation GetOrientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation value);
  TQRBin GetOutputBin() const { return outputBin_; }
  void SetOutputBin(TQRBin value);
  TQRPaperSize GetPaperSize() const { return paperSize_; }
  // Taken when the printer offers the size; Default and Custom are always taken.
  void SetPaperSize(TQRPaperSize value);
  // In 0.1 mm: the table size for a standard paper, else the stored value.
  Integer GetPaperWidth() const;
  void SetPaperWidth(Integer value) { paperWidth_ = value; }
  Integer GetPaperLength() const;
  void SetPaperLength(Integer value) { paperLength_ = value; }
  bool GetPrintMetafile() const { return printMetafile_; }
  void SetPrintMetafile(bool value) { printMetafile_ = value; }
  bool GetUseStandardPrinter() const { return useStandardPrinter_; }
  void SetUseStandardPrinter(bool value) { useStandardPrinter_ = value; }
  bool GetUseExtendedDuplex() const { return useExtendedDuplex_; }
  void SetUseExtendedDuplex(bool value) { useExtendedDuplex_ = value; }
  Integer GetExtendedDuplex() const { return extendedDuplex_; }
  void SetExtendedDuplex(Integer value) { extendedDuplex_ = value; }
  bool GetUseCustomBinCode() const { return useCustomBinCode_; }
  void SetUseCustomBinCode(bool value) { useCustomBinCode_ = value; }
  Integer GetCustomBinCode() const { return customBinCode_; }
  void SetCustomBinCode(Integer value) { customBinCode_ = value; }
  bool GetUseCustomPaperCode() const { return useCustomPaperCode_; }
  void SetUseCustomPaperCode(bool value) { useCustomPaperCode_ = value; }
  Integer GetCustomPaperCode() const { return customPaperCode_; }
  void SetCustomPaperCode(Integer value) { customPaperCode_ = value; }
  Integer GetPrintQuality() const { return printQuality_; }
  void SetPrintQuality(Integer value) { printQuality_ = value; }
  Integer GetCollate() const { return collate_; }
  void SetCollate(Integer value) { collate_ = value; }
  Integer GetColorOption() const { return colorOption_; }
  void SetColorOption(Integer value) { colorOption_ = value; }
  Integer GetMemoryLimit() const { return memoryLimit_; }
  void SetMemoryLimit(Integer value) { memoryLimit_ = value; }
  Integer GetPixelsPerX() const { return pixelsPerX_; }
  Integer GetPixelsPerY() const { return pixelsPerY_; }
  Integer GetTopOffset() const { return topOffset_; }
  Integer GetLeftOffset() const { return leftOffset_; }
  Integer GetMaxExtentX() const { return 0; }
  Integer GetMaxExtentY() const { return 0; }
  Integer GetMinExtentX() const { return 0; }
  Integer GetMinExtentY() const { return 0; }
  const String& GetTitle() const { return title_; }
  void SetTitle(const String& value) { title_ = value; }
  // Device and Driver share one getter, as the class library's printer names them.
  const String& GetDevice() const { return driver_; }
  const String& GetDriver() const { return driver_; }
  const String& GetPort() const { return port_; }

  TQRPrinterSettingsEvent OnGetPrinterSettings;
  TQRPrinterSettingsEvent OnApplyPrinterSettings;

 private:
  void ReadPrinterSettings();
  bool Offers(Cardinal field) const { return printer_ && (deviceMode_.Fields & field); }

  Integer index_ = -1;
  String device_, driver_, port_;
  TQRDeviceMode deviceMode_;
  bool haveDeviceMode_ = false;
  Integer copies_ = 1;
  bool duplex_ = false;
  bool printMetafile_ = false;
  bool useStandardPrinter_ = false;
  bool useExtendedDuplex_ = false;
  Integer extendedDuplex_ = 0;
  bool useCustomBinCode_ = false;
  Integer customBinCode_ = 0;
  Integer printQuality_ = 0, collate_ = 0, colorOption_ = 0;
  Integer memoryLimit_ = 250000;
  bool useCustomPaperCode_ = false;
  Integer customPaperCode_ = 0;
  TPrinterOrientation orientation_ = poPortrait;
  TQRBin outputBin_ = TQRBin::First;
  TQRPaperSize paperSize_ = TQRPaperSize::A4;
  std::array<bool, QRPaperSizeCount> paperSizes_{};
  Integer paperWidth_ = 0, paperLength_ = 0;
  Integer pixelsPerX_ = 0, pixelsPerY_ = 0;
  Integer topOffset_ = 0, leftOffset_ = 0;
  TPrinter* printer_ = nullptr;
  String title_;
};

class TQRPrinter;

// The report's stored choices.
class TQRPrinterSettings : public TPersistent {
  KIV_CLASS(TQRPrinterSettings, TPersistent)
 public:
  static void Published(TPropBuilder<TQRPrinterSettings>& p);
  TQRPrinterSettings() = default;
  void Assign(TPersistent* source) override;
  // Selects the printer and hands it paper, copies, duplex, orientation, bin and title.
  void ApplySettings(TQRPrinter* printer);

  Integer Copies = 1;
  bool Duplex = false;
  TPrinterOrientation Orientation = poPortrait;
  TQRBin OutputBin = TQRBin::Auto;
  TQRPaperSize PaperSize = TQRPaperSize::Letter;
  Integer PrinterIndex = -1;
  String Title;
  Integer FirstPage = 0;
  Integer LastPage = 0;
  bool PrintMetafile = false;
  bool UseStandardprinter = false;
  bool UseExtendedDuplex = false;
  Integer ExtendedDuplex = 0;
  Integer MemoryLimit = 1000000;
  Integer PrintQuality = 0;
  Integer Collate = 0;
  Integer ColorOption = 0;
  bool UseCustomBinCode = false;
  Integer CustomBinCode = 0;
  bool UseCustomPaperCode = false;
  Integer CustomPaperCode = 0;
};

// The paper size of the system's current printer; Default when there is none or it matches no size.
TQRPaperSize DefaultPrinterPaperSize();
// Selects the printer again without a device mode so that a fresh one is read.
void ResetPrinterDevMode(TPrinter* printer);
