// Export filters: the base through which a report run feeds a filter page by page (texts, shapes,
// pictures), the record of a text item, and the program-wide library of filter classes that the
// preview's save dialog offers.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/StringList.h"
#include "platform/controls/Controls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Graphics.h"

class TQRPrinter;

enum TExportType { exptText, exptNumeric, exptFormula };
enum TXLNumFormat {
  nfGeneral,
  nfInteger,
  nfDec2,
  nfIntRound,
  nfCurrencyNS,
  nfCurrency,
  nfCurrency2,
  nfCurrencyDec,
  nfCurrencyDec2,
  nfPercent,
  nfPercentDec2,
  nfFraction,
  nfFraction2,
  nfDate1,
  nfDate2,
  nfDate3,
  nfDate4,
  nfTime1,
  nfTime2,
  nfTime3,
  nfTime4,
  nfDateTime
};

// One text item as a text control hands it over: position in 0.1 mm, the target spreadsheet column
// and how the text is to be taken there.
struct TExportInfoRec {
  Extended Xpos = 0, Ypos = 0;
  TFont* Font = nullptr;
  TColor BGColor = clWhite;
  TAlignment Alignment = taLeftJustify;
  String Text;
  Integer Column = 0;
  TExportType ExportAs = exptText;
  String ControlName;
  Extended ControlWidth = 0, controlHeight = 0, controlLeft = 0, controlTop = 0;
  TXLNumFormat XLNumFormat = nfGeneral;
  TTextLayout VAlignment = tlTop;
  // The display mask that made a number of the text (FormatFloat's language), empty for other texts.
  String NumberMask;
};

// What a filter needs of a shape or a rule: its kind and size (screen pixels) with its pen and brush.
enum TQRExportShapeType {
  qesRectangle,
  qesRoundRect,
  qesCircle,
  qesVertLine,
  qesHorLine,
  qesTopAndBottom,
  qesRightAndLeft,
  qesLeftDiagonal,
  qesRightDiagonal,
  qesHRule
};

struct TQRExportShape {
  TQRExportShapeType Shape = qesRectangle;
  Integer Width = 0, Height = 0;
  TColor PenColor = clBlack;
  Integer PenWidth = 1;
  TPenStyle PenStyle = psSolid;
  TColor BrushColor = clWhite;
  TBrushStyle BrushStyle = bsSolid;
  String Name;
};

// A picture to place: the graphic and the box it fills (screen pixels). Stretch fills the box; else
// the picture keeps its own size scaled to the box only when it is larger.
struct TQRExportPicture {
  TGraphic* Graphic = nullptr;
  Integer Width = 0, Height = 0;
  bool Stretch = true;
  String Name;
};

// A printable control that can be exported as a shape or a picture says so through this interface;
// AcceptGraphic asks it for its description.
class IQRExportGraphic {
 public:
  virtual ~IQRExportGraphic() = default;
  virtual bool GetExportShape(TQRExportShape&) const { return false; }
  virtual bool GetExportPicture(TQRExportPicture&) const { return false; }
};

// The name of the text control and of the band being printed; the engine sets them before it hands
// a line or a band to a filter.
extern String QRCurrentControlName;
extern String QRCurrentBandName;

class TQRExportFilter : public TObject {
  KIV_CLASS(TQRExportFilter, TObject)
 public:
  explicit TQRExportFilter(const String& filename);
  ~TQRExportFilter() override;

  virtual String GetDescription() const;
  virtual String GetFileExtension() const { return {}; }
  virtual String GetName() const;
  virtual String GetVendor() const;
  virtual bool GetStreaming() const { return false; }

  // PaperWidth and PaperHeight in 0.1 mm.
  virtual void Start(Integer PaperWidth, Integer PaperHeight, TFont* Font);
  virtual void EndPage() {}
  virtual void Finish();
  virtual void NewPage() {}
  // Offsets in device pixels of the page. Asks the control for its shape or picture.
  virtual void AcceptGraphic(Extended Xoff, Extended Yoff, TControl* GControl);
  virtual void AcceptTextControl(Extended, Extended, TControl*) {}
  virtual void AcceptBand(TControl*, Extended, Extended, Extended) {}
  // X and Y in 0.1 mm.
  virtual void TextOut(Extended X, Extended Y, TFont* Font, TColor BGColor, TAlignment Alignment,
                       const String& Text);
  virtual void TextOutRec(const TExportInfoRec& ExportInfo);
  virtual void AcceptShape(Extended, Extended, const TQRExportShape&) {}
  virtual void AcceptPicture(Extended, Extended, const TQRExportPicture&) {}
  // A markup fragment of the band printing for the filters that write markup; every "!xx!" in it
  // stands for the top yp (pixels of the page, 96 to the inch).
  virtual void acceptHTMLTag(const String&, Integer) {}

  TQRPrinter* GetOriginalQRPrinter() const { return originalQRPrinter_; }
  void SetOriginalQRPrinter(TQRPrinter* value) { originalQRPrinter_ = value; }
  bool GetActive() const { return active_; }
  void SetActive(bool value) { active_ = value; }
  const String& GetFilename() const { return filename_; }
  TComponent* GetOwner() const { return owner_; }
  void SetOwner(TComponent* value) { owner_ = value; }
  TStringList* finalDoc() const { return finalDoc_.get(); }

 private:
  TQRPrinter* originalQRPrinter_ = nullptr;
  bool active_ = false;
  String filename_;
  TComponent* owner_ = nullptr;
  std::unique_ptr<TStringList> finalDoc_;
};

// A filter class: its name and its virtual constructor.
struct TQRExportFilterClassRec {
  TClass Class;
  std::unique_ptr<TQRExportFilter> (*Create)(const String& filename);
};
using TQRExportFilterClass = const TQRExportFilterClassRec*;

template <class T>
TQRExportFilterClass ExportFilterClass() {
  static const TQRExportFilterClassRec rec{
      T::StaticClass(),
      [](const String& f) -> std::unique_ptr<TQRExportFilter> { return std::make_unique<T>(f); }};
  return &rec;
}

class TQRExportFilterLibraryEntry : public TObject {
  KIV_CLASS(TQRExportFilterLibraryEntry, TObject)
 public:
  TQRExportFilterClass ExportFilterClass = nullptr;
  String FilterName;
  String Extension;
  Integer XLSXMargin = 0;
};

class TQRExportFilterLibrary : public TObject {
  KIV_CLASS(TQRExportFilterLibrary, TObject)
 public:
  void AddFilter(TQRExportFilterClass AFilter);
  void RemoveFilter(TQRExportFilterClass AFilter);
  TQRExportFilterLibraryEntry* GetFilterByExtension(const String& fext) const;
  String GetSaveDialogFilterString() const;
  Integer GetCount() const { return static_cast<Integer>(filters_.size()); }
  // True while the library makes a filter only to ask its name: a filter's constructor then leaves
  // the settings it shares with every other filter as they are.
  static bool Probing();
  TQRExportFilterLibraryEntry* GetEntry(Integer index) const { return filters_[index].get(); }

 private:
  std::vector<std::unique_ptr<TQRExportFilterLibraryEntry>> filters_;
};

// The program's one filter library.
TQRExportFilterLibrary* QRExportFilterLibrary();

// The 1-based position of str in text, 0 when absent.
Integer SubstringPos(const String& str, const String& text);
