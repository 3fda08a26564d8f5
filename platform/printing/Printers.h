// TPrinter over Qt's printing: the process-wide printer, its device settings (paper, bins, duplex,
// copies ...), and a canvas onto the page at the printer's resolution. With no printer installed it
// prints to a PDF file on A4 at 600 dpi.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Set.h"
#include "platform/classes/StringList.h"
#include "platform/graphics/Graphics.h"

enum TPrinterOrientation { poPortrait, poLandscape };
enum TPrinterCapability { pcCopies, pcOrientation, pcCollation };
using TPrinterCapabilities = TSet<TPrinterCapability>;

// Paper codes of the device mode (1 .. 68), and the custom size.
enum : Word {
  DMPAPER_LETTER = 1,
  DMPAPER_LEGAL = 5,
  DMPAPER_A3 = 8,
  DMPAPER_A4 = 9,
  DMPAPER_A5 = 11,
  DMPAPER_B4 = 12,
  DMPAPER_B5 = 13,
  DMPAPER_ENV_DL = 27,
  DMPAPER_A2 = 66,
  DMPAPER_LAST = 68,
  DMPAPER_CUSTOM = 69,
  DMPAPER_USER = 256,
};
enum : Word { DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2 };
enum : Word { DMDUP_SIMPLEX = 1, DMDUP_VERTICAL = 2, DMDUP_HORIZONTAL = 3 };
enum : Word { DMCOLLATE_FALSE = 0, DMCOLLATE_TRUE = 1 };
enum : Word { DMCOLOR_MONOCHROME = 1, DMCOLOR_COLOR = 2 };
enum : SmallInt { DMRES_DRAFT = -1, DMRES_LOW = -2, DMRES_MEDIUM = -3, DMRES_HIGH = -4 };
enum : Word {
  DMBIN_UPPER = 1,
  DMBIN_LOWER = 2,
  DMBIN_MIDDLE = 3,
  DMBIN_MANUAL = 4,
  DMBIN_ENVELOPE = 5,
  DMBIN_ENVMANUAL = 6,
  DMBIN_AUTO = 7,
  DMBIN_TRACTOR = 8,
  DMBIN_SMALLFMT = 9,
  DMBIN_LARGEFMT = 10,
  DMBIN_LARGECAPACITY = 11,
  DMBIN_CASSETTE = 14,
  DMBIN_FORMSOURCE = 15,
};

// The device mode the code reads and changes (the fields the libraries touch).
struct TDeviceMode {
  Word dmOrientation = DMORIENT_PORTRAIT;
  Word dmPaperSize = DMPAPER_A4;
  // Tenths of a millimetre; used with the custom size.
  SmallInt dmPaperLength = 2970;
  SmallInt dmPaperWidth = 2100;
  SmallInt dmCopies = 1;
  Word dmDefaultSource = DMBIN_AUTO;
  SmallInt dmPrintQuality = 600;
  Word dmColor = DMCOLOR_COLOR;
  Word dmDuplex = DMDUP_SIMPLEX;
  Word dmCollate = DMCOLLATE_FALSE;
};

// The size of a paper code in millimetres (portrait); false for an unknown code.
bool PaperSizeMM(Word paper, double& widthMM, double& heightMM);

class TPrinterCanvas;
struct TPrinterData;

class TPrinter : public TObject {
  KIV_CLASS(TPrinter, TObject)
 public:
  TPrinter();
  ~TPrinter() override;

  // Raise EPrinter "Printing in progress" when a job is open.
  void BeginDoc();
  // Raise EPrinter "Printer is not currently printing" without a job.
  void NewPage();
  void EndDoc();
  // Ends the job and throws its output away.
  void Abort();
  bool GetAborted() const;
  bool GetPrinting() const;
  Integer GetPageNumber() const;

  // A canvas onto the current page at the printer's resolution; it measures before a job starts.
  TCanvas* GetCanvas();
  HDC GetHandle();
  // The printable area in device pixels.
  Integer GetPageWidth() const;
  Integer GetPageHeight() const;

  // Installed printers; with none, one PDF printer.
  TStrings* GetPrinters();
  Integer GetPrinterIndex() const;
  // -1 selects the default printer; an index out of range raises EPrinter "Printer index out of range".
  void SetPrinterIndex(Integer index);
  void GetPrinter(String& device, String& driver, String& port, TDeviceMode& mode) const;
  // Selects the printer named device (the default one when empty) with the mode's settings.
  void SetPrinter(const String& device, const String& driver, const String& port, const TDeviceMode& mode);
  const TDeviceMode& GetDeviceMode() const;
  void SetDeviceMode(const TDeviceMode& mode);

  TPrinterOrientation GetOrientation() const;
  void SetOrientation(TPrinterOrientation value);
  Integer GetCopies() const;
  void SetCopies(Integer value);
  const String& GetTitle() const;
  void SetTitle(const String& title);
  TPrinterCapabilities GetCapabilities() const;
  // The font families the printer offers (the installed ones).
  TStrings* GetFonts();
  // The PDF printer writes here; by default a new file in the temporary folder per job.
  void SetOutputFileName(const String& fileName);
  const String& GetOutputFileName() const;
  // The file the last job of the PDF printer wrote.
  const String& GetLastOutputFileName() const;
  bool IsPdfPrinter() const;
  Integer GetResolution() const;
  // Device capabilities as GetDeviceCaps answers them for the printer.
  Integer DeviceCaps(Integer index) const;

 private:
  void CheckPrinting() const;
  // Ends the job in progress and drops what it wrote; nothing in it raises.
  void DiscardJob() noexcept;
  void Refresh();
  std::unique_ptr<TPrinterData> d_;
};

// The process-wide printer, made on first use.
TPrinter* Printer();
// Puts another printer in its place and answers the old one, which the caller now owns.
TPrinter* SetPrinter(TPrinter* newPrinter);
