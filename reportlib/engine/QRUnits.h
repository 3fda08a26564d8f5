// Report measures: values kept in tenths of a millimetre and shown in the report's unit (page, band
// and control sizes), the paper of a page, and the frame lines that reports, bands and controls draw.
#pragma once

#include <array>

#include "platform/classes/Object.h"
#include "platform/graphics/Graphics.h"
#include "platform/printing/Printers.h"
#include "reportlib/output/QRPrinterSettings.h"

class TControl;
class TFiler;
class TReader;
class TWriter;
class TCustomRezavOze;

enum TQRUnit { MM, Inches, Pixels, Characters, Native };
enum TQRPrintOrder { ColByCol, RowByRow };

const TTypeInfo* QRUnitType();

// Whether new measures start in inches (a US-measure system); false on this platform unless set.
bool QRDefaultInches();
void SetQRDefaultInches(bool value);

// A fixed list of measures. Values are stored raw in 0.1 mm and read and written in Units.
class TQRUnitBase : public TPersistent {
  KIV_CLASS(TQRUnitBase, TPersistent)
 public:
  TQRUnitBase();

  virtual Extended ToUnits(Extended value, bool horizontal) const;
  virtual Extended FromUnits(Extended value, bool horizontal) const;
  TQRUnit GetUnits() const { return units_; }
  virtual void SetUnits(TQRUnit value) { units_ = value; }
  void SwitchToPixels();
  void RestoreUnits();

  Integer GetResolution() const { return resolution_; }
  Integer GetZoom() const { return zoom_; }
  void SetZoom(Integer value) { zoom_ = value > 0 ? value : 100; }
  TCustomRezavOze* GetParentReport() const { return parentReport_; }
  void SetParentReport(TCustomRezavOze* value) { parentReport_ = value; }
  bool GetParentUpdating() const { return parentUpdating_; }

  // The raw value of measure index in 0.1 mm; setting it raw skips the setter effects.
  Extended GetRaw(int index) const { return values_[static_cast<size_t>(index)]; }
  void SetRaw(int index, Extended value) { values_[static_cast<size_t>(index)] = value; }
  // Pushes the pixel size onto the control described; skipped during a run, while the object is
  // itself writing, and without parent.
  virtual void SetParentSizes() {}
  virtual void Loaded() { SetParentSizes(); }
  // Whether a stream gave the measures (older resources give only the control's pixel bounds).
  bool GetValuesRead() const { return valuesRead_; }
  void DefineProperties(TFiler* filer) override;

 protected:
  Extended GetValue(int index) const;
  void SetValue(int index, Extended value);
  // What a change of measure index does beyond storing it.
  virtual void ValueChanged(int) {}
  // Absolute font size for the Characters unit.
  virtual Integer CharacterFontSize() const;
  bool ReportRunning() const;
  void ReadValues(TReader* reader);
  void WriteValues(TWriter* writer);

  std::array<Extended, 7> values_{};
  std::array<bool, 7> horizontal_{};
  int count_ = 0;
  TQRUnit units_ = MM;
  TQRUnit savedUnits_ = MM;
  Integer resolution_ = 96;
  Integer zoom_ = 100;
  TCustomRezavOze* parentReport_ = nullptr;
  bool parentUpdating_ = false;
  bool valuesRead_ = false;
};

// The report's paper, margins and columns.
class TQRPage : public TQRUnitBase {
  KIV_CLASS(TQRPage, TQRUnitBase)
 public:
  static void Published(TPropBuilder<TQRPage>& p);
  TQRPage();

  Extended GetBottomMargin() const { return GetValue(0); }
  void SetBottomMargin(Extended v) { SetValue(0, v); }
  Extended GetLength() const { return GetValue(1); }
  void SetLength(Extended v);
  Extended GetTopMargin() const { return GetValue(2); }
  void SetTopMargin(Extended v) { SetValue(2, v); }
  Extended GetWidth() const { return GetValue(3); }
  void SetWidth(Extended v);
  Extended GetLeftMargin() const { return GetValue(4); }
  void SetLeftMargin(Extended v) { SetValue(4, v); }
  Extended GetRightMargin() const { return GetValue(5); }
  void SetRightMargin(Extended v) { SetValue(5, v); }
  Extended GetColumnSpace() const { return GetValue(6); }
  void SetColumnSpace(Extended v) { SetValue(6, v); }

  Integer GetColumns() const { return columns_; }
  void SetColumns(Integer value);
  TPrinterOrientation GetOrientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation value);
  TQRPaperSize GetPaperSize() const { return paperSize_; }
  void SetPaperSize(TQRPaperSize value);
  bool GetRuler() const { return ruler_; }
  void SetRuler(bool value);
  bool GetContinuous() const { return continuous_; }
  void SetContinuous(bool value) { continuous_ = value; }
  TQRPrintOrder GetPrintOrder() const { return printOrder_; }
  void SetPrintOrder(TQRPrintOrder value) { printOrder_ = value; }
  void SetUnits(TQRUnit value) override;

  void SetParentSizes() override;

 protected:
  void ValueChanged(int index) override;

 private:
  Integer columns_ = 1;
  TPrinterOrientation orientation_ = poPortrait;
  TQRPaperSize paperSize_ = TQRPaperSize::A4;
  bool ruler_ = true;
  bool continuous_ = false;
  TQRPrintOrder printOrder_ = ColByCol;
};

class TQRCustomBand;

// A band's height (Length) and width.
class TQRBandSize : public TQRUnitBase {
  KIV_CLASS(TQRBandSize, TQRUnitBase)
 public:
  static void Published(TPropBuilder<TQRBandSize>& p);
  explicit TQRBandSize(TQRCustomBand* band);

  Extended GetLength() const { return GetValue(0); }
  void SetLength(Extended v) { SetValue(0, v); }
  Extended GetWidth() const { return GetValue(1); }
  void SetWidth(Extended v) { SetValue(1, v); }
  void SetParentSizes() override;

 protected:
  void ValueChanged(int) override { SetParentSizes(); }

 private:
  TQRCustomBand* band_;
};

class TQRPrintable;

// A printable control's box.
class TQRPrintableSize : public TQRUnitBase {
  KIV_CLASS(TQRPrintableSize, TQRUnitBase)
 public:
  static void Published(TPropBuilder<TQRPrintableSize>& p);
  explicit TQRPrintableSize(TQRPrintable* control);

  Extended GetHeight() const { return GetValue(0); }
  void SetHeight(Extended v) { SetValue(0, v); }
  Extended GetLeft() const { return GetValue(1); }
  void SetLeft(Extended v) { SetValue(1, v); }
  Extended GetTop() const { return GetValue(2); }
  void SetTop(Extended v) { SetValue(2, v); }
  Extended GetWidth() const { return GetValue(3); }
  void SetWidth(Extended v) { SetValue(3, v); }
  void SetParentSizes() override;

 protected:
  void ValueChanged(int) override { SetParentSizes(); }

 private:
  TQRPrintable* control_;
};

// Frame lines of a report, band or control. Width is in points; -1 is the thinnest line.
class TQRFrame : public TPersistent {
  KIV_CLASS(TQRFrame, TPersistent)
 public:
  static void Published(TPropBuilder<TQRFrame>& p);
  TQRFrame() = default;
  void Assign(TPersistent* source) override;

  TColor GetColor() const { return color_; }
  void SetColor(TColor value);
  bool GetDrawTop() const { return sides_[0]; }
  void SetDrawTop(bool v) { SetSide(0, v); }
  bool GetDrawBottom() const { return sides_[1]; }
  void SetDrawBottom(bool v) { SetSide(1, v); }
  bool GetDrawLeft() const { return sides_[2]; }
  void SetDrawLeft(bool v) { SetSide(2, v); }
  bool GetDrawRight() const { return sides_[3]; }
  void SetDrawRight(bool v) { SetSide(3, v); }
  TPenStyle GetStyle() const { return style_; }
  void SetStyle(TPenStyle value);
  Integer GetWidth() const { return width_; }
  void SetWidth(Integer value);
  TControl* GetParent() const { return parent_; }
  void SetParent(TControl* value) { parent_ = value; }
  bool AnyFrame() const { return sides_[0] || sides_[1] || sides_[2] || sides_[3]; }

  // Line thickness in device pixels for the factor (pixels per 0.1 mm).
  Integer Thickness(Extended factor) const;
  // Draws the sides inside rect as filled strips.
  void PaintIt(TCanvas* canvas, const TRect& rect, Extended xFactor, Extended yFactor);

 private:
  void SetSide(int index, bool value);
  void Repaint();
  // While the report of the parent exports: the sides drawn, as shapes for the filter.
  void ExportSides(const TRect& rect, Integer tx, Integer ty) const;

  TColor color_ = clBlack;
  std::array<bool, 4> sides_{};
  TPenStyle style_ = psSolid;
  Integer width_ = 1;
  TControl* parent_ = nullptr;
};
