// Inside the rich edit: its Qt document, the conversions between our formatted runs and Qt's text
// formats, and the format-range layout. Only platform libraries include this header; it brings Qt in.
#pragma once

#include <QImage>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <memory>

#include "platform/controls/RichEdit.h"

// Character properties we keep beyond Qt's own.
enum : int {
  RichEditCharsetProperty = QTextFormat::UserProperty + 1,
  RichEditPitchProperty = QTextFormat::UserProperty + 2,
};

// Which fields of a TRtfCharFormat a change touches.
enum : unsigned {
  rcfName = 1,
  rcfSize = 2,
  rcfStyle = 4,
  rcfColor = 8,
  rcfCharset = 16,
  rcfPitch = 32,
  rcfBackColor = 64,
  rcfAll = 127,
};

// The laid-out copy of the document that format-range calls share until the text or the
// rectangle's width changes.
struct TRichEditLayoutCache {
  std::unique_ptr<QImage> device;  // tells the layout the target's resolution; outlives doc
  std::unique_ptr<QTextDocument> doc;
  quint64 revision = 0;
  Integer width = 0;  // target pixels
  Integer dpi = 0;
  Integer start = 0;  // the character of the original at the copy's position 0
};

struct TRichEditData {
  QTextDocument doc;
  QTextCursor cursor{&doc};  // the selection while there is no window
  QPointer<QTextEdit> edit;
  TColor defaultColor = clWindowText;
  TFontCharset defaultCharset = 1;
  TFontPitch defaultPitch = fpDefault;
  String lastText;
  quint64 revision = 1;  // counts content and format changes
  int quiet = 0;         // bulk changes under way: no events until they end
  bool trimming = false;
  TRichEditLayoutCache layout;
};

QTextCharFormat RichEditToQt(const TRtfCharFormat& format, unsigned fields);
// The format with every field resolved (the document's defaults where the run has none).
TRtfCharFormat RichEditFromQt(const QTextCharFormat& format, const TRichEditData& data);
void RichEditFill(TRichEditData& data, const TRtfDocument& document);
TRtfDocument RichEditRead(const TRichEditData& data);
TRtfParaFormat RichEditParaFromQt(const QTextBlock& block);

Integer RichEditFormatRange(TRichEditData& data, TFormatRange& range, bool render);
void RichEditFreeLayout(TRichEditData& data);
