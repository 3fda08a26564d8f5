// Text controls: the text machinery of every label-like control (layout into lines that fit the
// width, alignment, printing line by line with band stretching and continuation on the next page)
// and the fixed label and the memo built on it.
#pragma once

#include <functional>
#include <memory>

#include "platform/classes/Delegate.h"
#include "platform/classes/StringList.h"
#include "platform/controls/StdCtrls.h"
#include "reportlib/engine/QRPrintable.h"

enum TWrapStyle { BreakOnSpaces, BreakAnywhere };

using TQRLabelOnPrintEvent = TDelegate<void(TObject* sender, String& Value)>;

class TQRCustomLabel : public TQRPrintable {
  KIV_CLASS(TQRCustomLabel, TQRPrintable)
 public:
  static void Published(TPropBuilder<TQRCustomLabel>& p);
  explicit TQRCustomLabel(TComponent* owner);
  ~TQRCustomLabel() override;

  // Sets the caption and the printed caption and lays the text out again.
  const String& GetCaption() const { return caption_; }
  void SetCaption(const String& value);
  const String& GetPrintCaption() const { return printCaption_; }
  virtual bool GetCaptionBased() const { return captionBased_; }
  bool GetAutoSize() const { return autoSize_; }
  void SetAutoSize(bool value) override { autoSize_ = value; }
  bool GetAutoStretch() const { return autoStretch_; }
  void SetAutoStretch(bool value);
  bool GetWordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  TWrapStyle GetWrapStyle() const { return wrapStyle_; }
  void SetWrapStyle(TWrapStyle value) { wrapStyle_ = value; }
  bool GetFullJustify() const { return fullJustify_; }
  void SetFullJustify(bool value) { fullJustify_ = value; }
  Integer GetMaxBreakChars() const { return maxBreakChars_; }
  void SetMaxBreakChars(Integer value) { maxBreakChars_ = value; }
  TTextLayout GetVerticalAlignment() const { return verticalAlignment_; }
  void SetVerticalAlignment(TTextLayout value) { verticalAlignment_ = value; }
  TStrings* GetLines() const { return lines_.get(); }
  void SetLines(TStrings* value);
  TStrings* GetFormattedLines() const { return formattedLines_.get(); }
  Integer GetCurrentLine() const { return currentLine_; }

  // Breaks the caption or the lines into formatted lines that fit the width.
  virtual void BuildFormattedLines();
  void Prepare() override;
  void Print(Integer OfsX, Integer OfsY) override;
  void GetExpandedHeight(Extended& newheight) override;
  void DefineProperties(TFiler* filer) override;
  void Loaded() override;
  void SetParent(TWinControl* parent) override;

  TQRLabelOnPrintEvent OnPrint;

 protected:
  void Paint() override;
  void SetPrintCaption(const String& value) { printCaption_ = value; }
  // The width the text wraps at, in pixels of the design size.
  Integer LayoutWidth() const;
  Integer MeasureText(const String& text);
  // Whether the text fits the width on one line; measures only when its characters leave doubt.
  bool FitsWhole(const String& text, Integer width);
  Integer EffectiveAlignment() const;
  void PrintFormattedLines(TCanvas* canvas, Extended X, Extended Y, Extended W, Extended H, Extended LH);

  bool captionBased_ = true;
  bool doneFormat_ = false;
  bool autoSize_ = true;
  bool autoStretch_ = false;
  String caption_;
  TWrapStyle wrapStyle_ = BreakOnSpaces;
  Integer currentLine_ = 0;
  String printCaption_;
  // The mask that formatted the number now printed; a spreadsheet shows the value with it.
  String numberMask_;
  Integer fontSize_ = 0;
  std::unique_ptr<TStringList> formattedLines_;
  std::unique_ptr<TStringList> lines_;
  bool wordWrap_ = true;
  bool fullJustify_ = false;
  Integer maxBreakChars_ = 5;
  TTextLayout verticalAlignment_ = tlTop;
  bool updatingBounds_ = false;

 private:
  void WrapText(const String& text);
  void WrapParagraph(const String& paragraph);
  void AddWord(String& line, const String& word);
  void FitToText();
  void ReadFontSize(TReader* reader);
  void WriteFontSize(TWriter* writer);
  void PrintJustified(TCanvas* canvas, const String& line, Integer tx, Extended cy, UINT options);
  void ExportJustified(TQRExportFilter* filter, TCanvas* canvas, const String& line, Integer tx, Extended cy);
  // Places the words of a justified line: place gets each word and its x in device pixels.
  void LayOutJustified(TCanvas* canvas, const String& line, Integer tx,
                       const std::function<void(const String&, Extended)>& place);
};

class TQRLabel : public TQRCustomLabel {
  KIV_CLASS(TQRLabel, TQRCustomLabel)
 public:
  static void Published(TPropBuilder<TQRLabel>& p);
  explicit TQRLabel(TComponent* owner) : TQRCustomLabel(owner) {}
};

class TQRMemo : public TQRCustomLabel {
  KIV_CLASS(TQRMemo, TQRCustomLabel)
 public:
  static void Published(TPropBuilder<TQRMemo>& p);
  explicit TQRMemo(TComponent* owner);
  bool GetCaptionBased() const override { return false; }
  bool Stretches() const override { return true; }
};

const TTypeInfo* WrapStyleType();
const TTypeInfo* TextLayoutType();
