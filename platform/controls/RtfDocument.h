// Rich text as plain data (paragraphs of formatted runs) and our RTF reader and writer for the subset
// the program uses. Widget-free: any code may convert RTF without a rich-edit control.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Types.h"

enum TRtfAlignment { raLeft, raRight, raCenter, raJustify };

struct TRtfCharFormat {
  String FontName;           // empty: the reader's or control's default
  TFontCharset Charset = 1;  // DEFAULT_CHARSET
  TFontPitch Pitch = fpDefault;
  Integer HalfPoints = 0;  // 0: not specified
  TFontStyles Style;
  TColor Color = clDefault;   // clDefault: automatic (window text)
  TColor BackColor = clNone;  // clNone: no highlight
  bool operator==(const TRtfCharFormat&) const = default;
};

// Indents and tab stops in twips, as RTF keeps them: FirstIndent is relative to LeftIndent.
struct TRtfParaFormat {
  TRtfAlignment Alignment = raLeft;
  Integer FirstIndent = 0;
  Integer LeftIndent = 0;
  Integer RightIndent = 0;
  bool Bullet = false;
  std::vector<Integer> Tabs;
  bool operator==(const TRtfParaFormat&) const = default;
};

// Text of a run: tabs are '\t', a line break inside the paragraph is U+2028.
struct TRtfRun {
  String Text;
  TRtfCharFormat Format;
};

struct TRtfParagraph {
  TRtfParaFormat Format;
  std::vector<TRtfRun> Runs;
  String Text() const;
};

struct TRtfDocument {
  std::vector<TRtfParagraph> Paragraphs;  // at least one after reading
  // The plain text, paragraphs joined by separator.
  String PlainText(const String& separator = u"\n") const;
  // The run holding the character at position pos of PlainText(one-character separator); null past
  // the end or on a paragraph end.
  const TRtfRun* RunAt(Integer pos) const;
  const TRtfParagraph* ParagraphAt(Integer pos) const;
};

// True when data starts as RTF does ("{\rtf" or "{\urtf", or "{urtf" which the rich edit also takes).
bool IsRtfData(std::string_view data);
// Reads what can be read: malformed input (unbalanced braces, truncated escapes, bad numbers) never
// throws; unknown destinations are skipped. \'hh bytes decode in the document's code page
// (windows-1251 unless \ansicpg says otherwise) or in the code page of the font's charset.
TRtfDocument ReadRtf(std::string_view data);
// RTF 1 with \ansicpg1251: characters windows-1251 holds as \'hh, others as \uN?.
std::string WriteRtf(const TRtfDocument& document);
