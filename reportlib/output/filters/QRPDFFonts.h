// PDF fonts: the report's fonts found through fontconfig and read with FreeType, measured for
// alignment, written either as standard Type 1 fonts or as composite TrueType fonts with their
// widths, a ToUnicode map (so readers extract the text) and the embedded glyphs used; plus the
// object writer that numbers the document's objects and counts their byte offsets.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/StringList.h"
#include "platform/graphics/Graphics.h"

// Small key/value list of the filter's custom widths and encodings, keyed by the font's base name.
class TDictionary : public TObject {
  KIV_CLASS(TDictionary, TObject)
 public:
  void Clear();
  void Add(const String& Key, const String& Value);
  String Key(Integer Index) const { return keys_.Get(Index); }
  Integer GetCount() const { return keys_.GetCount(); }
  bool KeyExists(const String& Key) const { return keys_.IndexOf(Key) >= 0; }
  String Value(const String& Key) const;
  void RemoveKey(const String& Key);

 private:
  TStringList keys_, values_;
};

enum TFontHandling { fhSubstitute, fhAutoEmbed, fhNoEmbedding };

// Writes the numbered objects of a PDF document to a sink and keeps their byte offsets for the
// cross-reference table. Everything is counted in bytes as written.
class TPDFObjectWriter {
 public:
  using TSink = std::function<void(const char* data, size_t size)>;
  explicit TPDFObjectWriter(TSink sink);
  ~TPDFObjectWriter();

  Integer NewObject();
  Integer GetObjectCount() const { return static_cast<Integer>(offsets_.size()); }
  void BeginObject(Integer number);
  void EndObject();
  // An object holding only a stream: extra dictionary entries, the data, flate-compressed when asked.
  void StreamObject(Integer number, std::string_view dictExtra, std::string_view data, bool compress);
  void Write(std::string_view text);
  void Line(std::string_view text);
  // The cross-reference table and the trailer; flushes everything to the sink.
  void Close(Integer root, Integer info);
  uint64_t GetOffset() const { return written_ + buffer_.size(); }

 private:
  void Flush();
  TSink sink_;
  std::string buffer_;
  uint64_t written_ = 0;
  std::vector<uint64_t> offsets_;
};

// Numbers in content streams: "." always, at most two decimals, no trailing zeros.
std::string PdfNum(double value);
// A PDF text string: printable ASCII escaped in parentheses, anything else as UTF-16BE in hex.
std::string PdfTextString(const String& text);

struct TQRPDFFontFace;

// How a font is written: a standard Type 1 font under its substitute name; a TrueType font with one
// byte per character in the code page of its charset (not embedded); or a composite font of glyph
// ids (embedded unless asked otherwise), which any character fits.
enum TQRPDFFontKind { pfkStandard, pfkSingleByte, pfkComposite };

// The code page of a font charset; 0 for the multi-byte ones, which only composite fonts show.
Integer CharsetCodePage(Byte charset);

// One font of the document as the report uses it.
class TQRPDFFont {
 public:
  TQRPDFFont(const String& name, bool bold, bool italic, Byte charset, TQRPDFFontKind kind = pfkComposite,
             bool embed = true);
  ~TQRPDFFont();

  const String& GetFontName() const { return name_; }
  bool GetBold() const { return bold_; }
  bool GetItalic() const { return italic_; }
  Byte GetCharset() const { return charset_; }
  // The font line of the document's font list: name, style letters, charset and base name by tabs.
  String GetFontLine() const;
  // The name without blanks, then ",Bold" / ",Italic" / ",BoldItalic".
  String GetBaseName() const;
  // The file fontconfig chose for the name and style.
  const std::string& GetFilePath() const;

  // Width of the text in points at the size, from the font's own advances.
  double TextWidth(const String& text, double size) const;
  // Ascent and descent in thousandths of the em (descent negative).
  double GetAscent() const;
  double GetDescent() const;
  TQRPDFFontKind GetKind() const { return kind_; }
  bool GetEmbed() const { return embed_; }
  // Whether a single-byte font's code page holds every character of the text.
  bool CanShow(const String& text) const;
  // The text as the operand of Tj: glyph ids in hex for a composite font, code-page bytes in
  // parentheses for the others; the characters are remembered for the ToUnicode map and the subset.
  std::string ShowText(const String& text);
  // The font's objects: the font dictionary is `number`, the others come from the writer. Raises
  // ERangeError when the custom widths are fewer than 256.
  void WriteObjects(TPDFObjectWriter& writer, Integer number, Integer index, const String& customWidths,
                    const String& customEncoding, bool compress) const;

 private:
  void WriteComposite(TPDFObjectWriter& writer, Integer number, const String& customWidths,
                      bool compress) const;
  void WriteSingleByte(TPDFObjectWriter& writer, Integer number, Integer index, const String& customWidths,
                       const String& customEncoding, bool compress) const;
  void WriteDescriptor(TPDFObjectWriter& writer, Integer number, const std::string& baseName,
                       Integer file) const;
  std::string WidthsArray(const std::vector<int>& custom) const;
  std::string ToUnicodeCMap(bool twoByteCodes) const;
  std::string FontProgram() const;
  double GlyphWidth(unsigned gid) const;

  String name_;
  bool bold_, italic_;
  Byte charset_;
  TQRPDFFontKind kind_;
  bool embed_;
  std::unique_ptr<TQRPDFFontFace> face_;
  std::map<unsigned, char32_t> used_;  // glyph id (or byte code) -> character
  std::u32string codePage_;            // single-byte fonts: the character of each code, 0 for none
  std::map<char32_t, unsigned char> codes_;
  mutable std::vector<int> advanceCache_;
};

// The report's fonts in the order of first use, with the substitution and embedding settings.
class TQRPDFFontList {
 public:
  TQRPDFFontList();
  ~TQRPDFFontList();

  // The index of the font that shows the text in the given way of handling fonts, registering it on
  // first use. Text that a single-byte font's code page lacks goes to a composite font instead.
  Integer Register(TFont* font, TFontHandling handling, const String& text);
  TQRPDFFont& Get(Integer index) { return *fonts_[index]; }
  Integer GetCount() const { return static_cast<Integer>(fonts_.size()); }
  TStringList& GetReportFonts() { return reportFonts_; }

  void AddFontMap(const String& ssmap);
  void AddTTFont(const String& FontName);
  void AddCustomWidths(const String& FontName, const String& widthstr) {
    customWidths_.Add(FontName, widthstr);
  }
  void AddCustomEncoding(const String& FontName, const String& encodingstr) {
    customEncodings_.Add(FontName, encodingstr);
  }
  TStringList& GetSubstitutedFonts() { return substitutedFonts_; }
  TStringList& GetEmbedFonts() { return embedFonts_; }

  // The standard Type 1 base font for a font under the substitution list ("Helvetica-BoldOblique").
  String StandardBaseName(const TQRPDFFont& font) const;

  // Writes every font; returns the resource lines "/F00 n 0 R".
  std::string WriteFonts(TPDFObjectWriter& writer, bool compress);

 private:
  std::vector<std::unique_ptr<TQRPDFFont>> fonts_;
  TStringList reportFonts_, substitutedFonts_, embedFonts_;
  TDictionary customWidths_, customEncodings_;
};
