// Printable control base: every control that prints on a band keeps its box in 0.1 mm, owns a frame,
// knows its report and the report's printer during a run, and is driven by bands and controllers
// through prepare, print at a band offset, stretched height, notifications and unprepare.
#pragma once

#include <memory>

#include "platform/controls/Controls.h"
#include "reportlib/engine/QRUnits.h"
#include "reportlib/output/QRExportFilter.h"

class TQRPrinter;
class TQRCustomBand;

// Whether a filter takes whole text records (the spreadsheet, HTML and report-document filters);
// every other filter gets plain text output.
bool QRFilterTakesTextRecords(const TQRExportFilter* filter);
// Whether a filter takes the hidden band markers of the HTML document.
bool QRFilterTakesHTMLTags(const TQRExportFilter* filter);

// A shape that the engine hands to an export filter in place of a control: a background box, a
// frame side.
class TQRExportCarrier : public TControl, public IQRExportGraphic {
 public:
  explicit TQRExportCarrier(const TQRExportShape& shape);
  bool GetExportShape(TQRExportShape& shape) const override;

 private:
  TQRExportShape shape_;
};

// A filled box without a pen that a band or a text hands to an export filter as its background.
class TQRExportBox : public TQRExportCarrier {
 public:
  // Width and height in device pixels of the page.
  TQRExportBox(TColor color, Integer width, Integer height);
};

// Controller notifications a printable receives.
enum : Integer { qrNotifyDetail = 0, qrNotifyBandResized = 2 };

class TQRPrintable : public TCustomControl {
  KIV_CLASS(TQRPrintable, TCustomControl)
 public:
  static void Published(TPropBuilder<TQRPrintable>& p);
  explicit TQRPrintable(TComponent* owner);
  ~TQRPrintable() override;

  TQRPrintableSize* GetSize() const { return size_.get(); }
  void SetSize(TQRPrintableSize* value) { size_->Assign(value); }
  TQRFrame* GetFrame() const { return frame_.get(); }
  void SetFrame(TQRFrame* value) { frame_->Assign(value); }
  TAlignment GetAlignment() const { return alignment_; }
  virtual void SetAlignment(TAlignment value);
  bool GetAlignToBand() const { return alignToBand_; }
  void SetAlignToBand(bool value);
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool value);
  TExportType GetExportAs() const { return exportAs_; }
  void SetExportAs(TExportType value) { exportAs_ = value; }
  Integer GetXLColumn() const { return xlColumn_; }
  void SetXLColumn(Integer value) { xlColumn_ = value; }
  TXLNumFormat GetXLNumFormat() const { return xlNumFormat_; }
  void SetXLNumFormat(TXLNumFormat value) { xlNumFormat_ = value; }
  bool GetActiveInPreview() const { return activeInPreview_; }
  void SetActiveInPreview(bool value) { activeInPreview_ = value; }
  Integer GetZoom() const { return size_->GetZoom(); }
  void SetZoom(Integer value);

  TCustomRezavOze* GetParentReport() const { return parentReport_; }
  void SetParentReport(TCustomRezavOze* value);
  TQRPrinter* GetQRPrinter() const { return qrPrinter_; }
  bool GetIsPrinting() const { return isPrinting_; }
  bool GetPrintFinished() const { return printFinished_; }
  // The filter of the report's export run, or null.
  TQRExportFilter* ExportFilter() const;
  // The band the control sits on, or null.
  TQRCustomBand* ParentBand() const;

  virtual bool CanPrint() const;
  virtual void RealignToBand();
  virtual void Prepare();
  // Prints at the band offset (the report's position in 0.1 mm); the base draws the frame.
  virtual void Print(Integer OfsX, Integer OfsY);
  virtual void ControllerNotify(TObject* Sender, Integer Operation);
  virtual void Unprepare();
  // The height the control needs, in pixels of its design size; the base leaves it as it is.
  virtual void GetExpandedHeight(Extended& newheight);
  virtual void GetFieldString(String&) {}
  // Whether the control may stretch its band (field texts, memos, rich texts, data images).
  virtual bool Stretches() const { return false; }
  // Whether the control prints the number of pages, which the report then counts first.
  virtual bool NeedsPageCount() const { return false; }

  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  void SetParent(TWinControl* parent) override;
  void Loaded() override;

 protected:
  void Paint() override;
  // Paints the frame around the device rectangle of a box in 0.1 mm.
  void PrintFrame(Extended x, Extended y, Extended w, Extended h);

  std::unique_ptr<TQRPrintableSize> size_;
  std::unique_ptr<TQRFrame> frame_;
  TAlignment alignment_ = taLeftJustify;
  bool alignToBand_ = false;
  bool alignUpdating_ = false;
  bool isPrinting_ = false;
  TCustomRezavOze* parentReport_ = nullptr;
  bool printFinished_ = true;
  TQRPrinter* qrPrinter_ = nullptr;
  Integer loadedTop_ = 0, loadedLeft_ = 0, loadedWidth_ = 0, loadedHeight_ = 0;
  TExportType exportAs_ = exptText;
  Integer xlColumn_ = 0;
  TXLNumFormat xlNumFormat_ = nfGeneral;
  bool activeInPreview_ = false;
  bool transparent_ = false;
};
