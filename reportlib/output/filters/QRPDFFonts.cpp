// PDF fonts: fontconfig finds the file of a report font, FreeType measures it and maps characters to
// glyphs, HarfBuzz cuts the embedded font down to the glyphs the document shows.
#include "reportlib/output/filters/QRPDFFonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H
#include <hb-subset.h>
#include <hb.h>
#include <iconv.h>
#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/classes/Encoding.h"
#include "platform/controls/RtfCodePages.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "reportlib/output/QRError.h"

// ---- TDictionary ----

void TDictionary::Clear() {
  keys_.Clear();
  values_.Clear();
}

void TDictionary::Add(const String& Key, const String& Value) {
  keys_.Add(Key);
  values_.Add(Value);
}

String TDictionary::Value(const String& Key) const {
  const int i = keys_.IndexOf(Key);
  return i < 0 ? String() : values_.Get(i);
}

void TDictionary::RemoveKey(const String& Key) {
  const int i = keys_.IndexOf(Key);
  if (i < 0) return;
  keys_.Delete(i);
  values_.Delete(i);
}

// ---- numbers and strings ----

std::string PdfNum(double value) {
  double r = std::round(value * 100) / 100;
  if (r == 0) r = 0;  // no "-0"
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::fixed, 2);
  std::string s(buf, end);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string PdfTextString(const String& text) {
  const bool ascii = std::all_of(text.begin(), text.end(), [](Char c) { return c >= 0x20 && c < 0x7F; });
  if (ascii) {
    std::string s = "(";
    for (Char c : text) {
      if (c == '(' || c == ')' || c == '\\') s += '\\';
      s += static_cast<char>(c);
    }
    return s + ")";
  }
  std::string s = "<FEFF";
  char hex[8];
  for (Char c : text) {
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(c));
    s += hex;
  }
  return s + ">";
}

namespace {

std::string Deflate(std::string_view data) {
  uLongf size = compressBound(data.size());
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                data.size(), 6) != Z_OK)
    throw EQRError(u"PDF export: compression failed");
  out.resize(size);
  return out;
}

std::string Utf8(const String& s) { return StringToUtf8(s); }

// The characters of a UTF-16 text as code points.
std::u32string CodePoints(const String& text) {
  std::u32string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    out += c;
  }
  return out;
}

// WinAnsiEncoding for the standard fonts; characters it lacks become '?'.
char WinAnsiByte(char32_t c) {
  if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  static const std::pair<char32_t, unsigned char> high[] = {
      {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
      {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
      {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
      {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
      {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F}};
  for (auto [u, b] : high)
    if (u == c) return static_cast<char>(b);
  return '?';
}

}  // namespace

// ---- TPDFObjectWriter ----

TPDFObjectWriter::TPDFObjectWriter(TSink sink) : sink_(std::move(sink)) {}
TPDFObjectWriter::~TPDFObjectWriter() = default;

Integer TPDFObjectWriter::NewObject() {
  offsets_.push_back(0);
  return static_cast<Integer>(offsets_.size());
}

void TPDFObjectWriter::BeginObject(Integer number) {
  offsets_[number - 1] = GetOffset();
  Line(std::to_string(number) + " 0 obj");
}

void TPDFObjectWriter::EndObject() { Line("endobj"); }

void TPDFObjectWriter::StreamObject(Integer number, std::string_view dictExtra, std::string_view data,
                                    bool compress) {
  std::string packed;
  if (compress) packed = Deflate(data);
  const std::string_view body = compress ? std::string_view(packed) : data;
  BeginObject(number);
  Line("<< /Length " + std::to_string(body.size()) + (compress ? " /Filter /FlateDecode" : "") +
       (dictExtra.empty() ? "" : " ") + std::string(dictExtra) + " >>");
  Line("stream");
  Write(body);
  Line("");
  Line("endstream");
  EndObject();
}

void TPDFObjectWriter::Write(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= (1 << 20)) Flush();
}

void TPDFObjectWriter::Line(std::string_view text) {
  buffer_.append(text);
  buffer_ += '\n';
  if (buffer_.size() >= (1 << 20)) Flush();
}

void TPDFObjectWriter::Flush() {
  if (buffer_.empty()) return;
  sink_(buffer_.data(), buffer_.size());
  written_ += buffer_.size();
  buffer_.clear();
}

void TPDFObjectWriter::Close(Integer root, Integer info) {
  const uint64_t xref = GetOffset();
  const size_t count = offsets_.size() + 1;
  Line("xref");
  Line("0 " + std::to_string(count));
  Write("0000000000 65535 f\r\n");
  char entry[32];
  for (uint64_t offset : offsets_) {
    std::snprintf(entry, sizeof entry, "%010llu 00000 n\r\n", static_cast<unsigned long long>(offset));
    Write(entry);
  }
  Line("trailer");
  Line("<< /Size " + std::to_string(count) + " /Root " + std::to_string(root) + " 0 R /Info " +
       std::to_string(info) + " 0 R >>");
  Line("startxref");
  Line(std::to_string(xref));
  Write("%%EOF\n");
  Flush();
}

// ---- the face of a font ----

namespace {

struct FreeTypeLibrary {
  FT_Library lib = nullptr;
  FreeTypeLibrary() {
    if (FT_Init_FreeType(&lib)) throw EQRError(u"PDF export: the font library cannot start");
  }
  ~FreeTypeLibrary() { FT_Done_FreeType(lib); }
};

FT_Library Library() {
  static FreeTypeLibrary library;
  return library.lib;
}

// Faces are made and freed under one lock: the library they share is not safe for that from two
// threads (a report may export from its generation thread).
std::mutex& FaceLock() {
  static std::mutex lock;
  return lock;
}

// fontconfig's choice for a family and style, as the screen's text uses it.
std::pair<std::string, int> MatchFont(const String& name, bool bold, bool italic) {
  FcPattern* pattern = FcPatternCreate();
  auto freePattern = MakeScopeExit([&] { FcPatternDestroy(pattern); });
  const std::string family = Utf8(Trim(name));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  if (!match) throw EQRError(u"PDF export: no font found for \"" + name + u"\"");
  auto freeMatch = MakeScopeExit([&] { FcPatternDestroy(match); });
  FcChar8* file = nullptr;
  int index = 0;
  if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch)
    throw EQRError(u"PDF export: no font file for \"" + name + u"\"");
  FcPatternGetInteger(match, FC_INDEX, 0, &index);
  return {reinterpret_cast<const char*>(file), index};
}

}  // namespace

struct TQRPDFFontFace {
  std::string path;
  int index = 0;
  FT_Face face = nullptr;
  bool trueType = false;  // glyf outlines: embeddable as FontFile2
  ~TQRPDFFontFace() {
    std::lock_guard<std::mutex> guard(FaceLock());
    if (face) FT_Done_Face(face);
  }
};

Integer CharsetCodePage(Byte charset) {
  // The system's default charset is the program's code page.
  if (charset == 1) return 1251;
  Integer page = RtfCharsetCodePage(charset);
  // Multi-byte charsets have no single-byte page; the PDF fonts know only the Windows ones.
  if (page >= 900 && page < 1000) return 0;
  if (page == 0 || page == 10000) return 1252;
  return page;
}

namespace {

// The standard glyph name of a Cyrillic letter, as readers know it from the glyph list (without it
// they cannot find the letter in a font they substitute); empty for other characters.
std::string CyrillicGlyphName(char32_t c) {
  int afii = 0;
  if (c >= 0x0410 && c <= 0x0415)
    afii = 10017 + (c - 0x0410);
  else if (c == 0x0401)
    afii = 10023;
  else if (c >= 0x0416 && c <= 0x042F)
    afii = 10024 + (c - 0x0416);
  else if (c >= 0x0430 && c <= 0x0435)
    afii = 10065 + (c - 0x0430);
  else if (c == 0x0451)
    afii = 10071;
  else if (c >= 0x0436 && c <= 0x044F)
    afii = 10072 + (c - 0x0436);
  else if (c >= 0x0402 && c <= 0x040C)
    afii = 10051 + (c - 0x0402);
  else if (c == 0x040E)
    afii = 10062;
  else if (c == 0x040F)
    afii = 10145;
  else if (c >= 0x0452 && c <= 0x045C)
    afii = 10099 + (c - 0x0452);
  else if (c == 0x045E)
    afii = 10110;
  else if (c == 0x045F)
    afii = 10193;
  else if (c == 0x0490)
    afii = 10050;
  else if (c == 0x0491)
    afii = 10098;
  else if (c == 0x2116)
    afii = 61352;
  return afii ? "afii" + std::to_string(afii) : std::string();
}

// The characters of the 256 codes of a Windows code page; 0 where a code has none.
std::u32string CodePageCharacters(Integer codePage) {
  std::u32string chars(256, U'\0');
  const std::string name = "CP" + std::to_string(codePage);
  iconv_t cd = iconv_open("UTF-32LE", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) throw EQRError(u"PDF export: no code page " + IntToStr(codePage));
  auto close = MakeScopeExit([&] { iconv_close(cd); });
  for (int code = 32; code < 256; ++code) {
    char in = static_cast<char>(code);
    char32_t out = 0;
    char* inp = &in;
    char* outp = reinterpret_cast<char*>(&out);
    size_t inLeft = 1, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1) && outLeft == 0)
      chars[code] = out;
  }
  return chars;
}

}  // namespace

TQRPDFFont::TQRPDFFont(const String& name, bool bold, bool italic, Byte charset, TQRPDFFontKind kind,
                       bool embed)
    : name_(Trim(name)),
      bold_(bold),
      italic_(italic),
      charset_(charset),
      kind_(kind),
      embed_(embed),
      face_(std::make_unique<TQRPDFFontFace>()) {
  auto [path, index] = MatchFont(name_, bold, italic);
  face_->path = path;
  face_->index = index;
  {
    std::lock_guard<std::mutex> guard(FaceLock());
    if (FT_New_Face(Library(), path.c_str(), index, &face_->face))
      throw EQRError(u"PDF export: the font file " + Utf8ToString(path) + u" cannot be read");
  }
  FT_ULong length = 0;
  face_->trueType =
      FT_IS_SFNT(face_->face) && FT_Load_Sfnt_Table(face_->face, TTAG_glyf, 0, nullptr, &length) == 0;
  advanceCache_.assign(face_->face->num_glyphs, -1);
  if (kind_ == pfkSingleByte) {
    codePage_ = CodePageCharacters(CharsetCodePage(charset_));
    for (int code = 255; code >= 32; --code)
      if (codePage_[code]) codes_[codePage_[code]] = static_cast<unsigned char>(code);
  }
}

TQRPDFFont::~TQRPDFFont() = default;

String TQRPDFFont::GetFontLine() const {
  return name_ + u"\t" + String(bold_ ? u"B" : u"") + String(italic_ ? u"I" : u"") + u"\t" +
         IntToStr(charset_) + u"\t" + GetBaseName();
}

String TQRPDFFont::GetBaseName() const {
  String base = StringReplace(name_, u" ", u"", {rfReplaceAll});
  if (bold_ || italic_) base += u"," + String(bold_ ? u"Bold" : u"") + String(italic_ ? u"Italic" : u"");
  return base;
}

const std::string& TQRPDFFont::GetFilePath() const { return face_->path; }

namespace {
double Per1000(FT_Face face, long units) { return units * 1000.0 / face->units_per_EM; }
}  // namespace

double TQRPDFFont::GlyphWidth(unsigned gid) const {
  int& advance = advanceCache_[gid];
  if (advance < 0) {
    FT_Fixed a = 0;
    FT_Get_Advance(face_->face, gid, FT_LOAD_NO_SCALE, &a);
    advance = static_cast<int>(a);
  }
  return Per1000(face_->face, advance);
}

double TQRPDFFont::TextWidth(const String& text, double size) const {
  double width = 0;
  for (char32_t c : CodePoints(text)) width += GlyphWidth(FT_Get_Char_Index(face_->face, c));
  return width * size / 1000;
}

double TQRPDFFont::GetAscent() const { return Per1000(face_->face, face_->face->ascender); }
double TQRPDFFont::GetDescent() const { return Per1000(face_->face, face_->face->descender); }

bool TQRPDFFont::CanShow(const String& text) const {
  if (kind_ != pfkSingleByte) return true;
  for (char32_t c : CodePoints(text))
    if (!codes_.count(c)) return false;
  return true;
}

std::string TQRPDFFont::ShowText(const String& text) {
  const std::u32string chars = CodePoints(text);
  std::string s;
  if (kind_ != pfkComposite) {
    s = "(";
    for (char32_t c : chars) {
      char b;
      if (kind_ == pfkStandard) {
        b = WinAnsiByte(c);
      } else {
        auto it = codes_.find(c);
        b = it == codes_.end() ? '?' : static_cast<char>(it->second);
        used_.emplace(static_cast<unsigned char>(b), it == codes_.end() ? U'?' : c);
      }
      if (b == '(' || b == ')' || b == '\\') s += '\\';
      s += b;
    }
    return s + ")";
  }
  static const char digits[] = "0123456789ABCDEF";
  s.reserve(chars.size() * 4 + 2);
  s = "<";
  for (char32_t c : chars) {
    const FT_UInt gid = FT_Get_Char_Index(face_->face, c);
    if (gid) used_.emplace(gid, c);
    s += digits[(gid >> 12) & 15];
    s += digits[(gid >> 8) & 15];
    s += digits[(gid >> 4) & 15];
    s += digits[gid & 15];
  }
  return s + ">";
}

namespace {

// At least 256 widths separated by blanks, else the error naming the font line.
std::vector<int> CustomWidths(const String& customWidths, const String& fontLine) {
  std::vector<int> custom;
  if (customWidths.empty()) return custom;
  const String text = Trim(customWidths);
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(u' ', start);
    if (end == String::npos) end = text.size();
    if (end > start) custom.push_back(StrToIntDef(text.substr(start, end - start), 0));
    start = end + 1;
  }
  if (custom.size() < 256)
    throw ERangeError(u"Not enough Custom widths (" + IntToStr(static_cast<int>(custom.size())) +
                      u" < 256) for font \"" + fontLine + u"\"  ");
  return custom;
}

}  // namespace

std::string TQRPDFFont::WidthsArray(const std::vector<int>& custom) const {
  // Custom widths are given per code of the font's code page.
  const Integer codePage = custom.empty() ? 0 : CharsetCodePage(charset_);
  const std::u32string page = codePage ? CodePageCharacters(codePage) : std::u32string();
  std::string w = "[";
  unsigned previous = 0;
  bool open = false;
  for (auto [gid, c] : used_) {
    double width;
    if (!custom.empty()) {
      const size_t code = page.find(c);
      width = custom[code == std::u32string::npos ? (c < 256 ? c : '?') : code];
    } else {
      width = GlyphWidth(gid);
    }
    if (!open || gid != previous + 1) {
      if (open) w += "]";
      w += " " + std::to_string(gid) + " [";
      open = true;
    } else {
      w += " ";
    }
    w += PdfNum(width);
    previous = gid;
  }
  if (open) w += "]";
  return w + " ]";
}

std::string TQRPDFFont::ToUnicodeCMap(bool twoByteCodes) const {
  std::string m =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n1 begincodespacerange\n";
  m += twoByteCodes ? "<0000> <FFFF>\n" : "<00> <FF>\n";
  m += "endcodespacerange\n";
  char line[64];
  auto it = used_.begin();
  while (it != used_.end()) {
    const size_t n = std::min<size_t>(100, std::distance(it, used_.end()));
    m += std::to_string(n) + " beginbfchar\n";
    for (size_t i = 0; i < n; ++i, ++it) {
      const char32_t c = it->second;
      const char* code = twoByteCodes ? "<%04X> " : "<%02X> ";
      int k = std::snprintf(line, sizeof line, code, it->first);
      if (c < 0x10000) {
        std::snprintf(line + k, sizeof line - k, "<%04X>\n", static_cast<unsigned>(c));
      } else {
        const unsigned v = c - 0x10000;
        std::snprintf(line + k, sizeof line - k, "<%04X%04X>\n", 0xD800 + (v >> 10), 0xDC00 + (v & 0x3FF));
      }
      m += line;
    }
    m += "endbfchar\n";
  }
  return m + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

std::string TQRPDFFont::FontProgram() const {
  hb_blob_t* blob = hb_blob_create_from_file_or_fail(face_->path.c_str());
  if (!blob) throw EQRError(u"PDF export: the font file " + Utf8ToString(face_->path) + u" cannot be read");
  auto freeBlob = MakeScopeExit([&] { hb_blob_destroy(blob); });
  hb_face_t* face = hb_face_create(blob, face_->index);
  auto freeFace = MakeScopeExit([&] { hb_face_destroy(face); });
  hb_subset_input_t* input = hb_subset_input_create_or_fail();
  if (!input) throw EQRError(u"PDF export: out of memory while cutting a font");
  auto freeInput = MakeScopeExit([&] { hb_subset_input_destroy(input); });
  // The glyph ids stay as they are: the text shows them directly.
  hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
  hb_set_t* glyphs = hb_subset_input_glyph_set(input);
  hb_set_add(glyphs, 0);
  for (const auto& used : used_) hb_set_add(glyphs, used.first);
  hb_face_t* subset = hb_subset_or_fail(face, input);
  if (!subset) throw EQRError(u"PDF export: the font " + name_ + u" cannot be cut to its glyphs");
  auto freeSubset = MakeScopeExit([&] { hb_face_destroy(subset); });
  hb_blob_t* out = hb_face_reference_blob(subset);
  auto freeOut = MakeScopeExit([&] { hb_blob_destroy(out); });
  unsigned length = 0;
  const char* data = hb_blob_get_data(out, &length);
  return std::string(data, length);
}

void TQRPDFFont::WriteDescriptor(TPDFObjectWriter& writer, Integer number, const std::string& baseName,
                                 Integer file) const {
  FT_Face face = face_->face;
  TT_Postscript* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
  TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const double italicAngle = post ? post->italicAngle / 65536.0 : 0;
  const double capHeight = os2 && os2->version >= 2 ? Per1000(face, os2->sCapHeight) : GetAscent();
  int flags = 32;  // non-symbolic
  if (FT_IS_FIXED_WIDTH(face)) flags |= 1;
  if (italic_ || italicAngle != 0) flags |= 64;
  writer.BeginObject(number);
  writer.Line("<< /Type /FontDescriptor /FontName /" + baseName + " /Flags " + std::to_string(flags) +
              " /FontBBox [" + PdfNum(Per1000(face, face->bbox.xMin)) + " " +
              PdfNum(Per1000(face, face->bbox.yMin)) + " " + PdfNum(Per1000(face, face->bbox.xMax)) + " " +
              PdfNum(Per1000(face, face->bbox.yMax)) + "] /ItalicAngle " + PdfNum(italicAngle) + " /Ascent " +
              PdfNum(GetAscent()) + " /Descent " + PdfNum(GetDescent()) + " /CapHeight " + PdfNum(capHeight) +
              " /StemV 80" + (file ? " /FontFile2 " + std::to_string(file) + " 0 R" : std::string()) + " >>");
  writer.EndObject();
}

void TQRPDFFont::WriteObjects(TPDFObjectWriter& writer, Integer number, Integer index,
                              const String& customWidths, const String& customEncoding, bool compress) const {
  if (kind_ == pfkSingleByte)
    WriteSingleByte(writer, number, index, customWidths, customEncoding, compress);
  else
    WriteComposite(writer, number, customWidths, compress);
}

// A TrueType font of one byte per character: widths per code in thousandths of the em, the code
// page's characters as a differences array of glyph names, and a ToUnicode map.
void TQRPDFFont::WriteSingleByte(TPDFObjectWriter& writer, Integer number, Integer index,
                                 const String& customWidths, const String& customEncoding,
                                 bool compress) const {
  const std::vector<int> custom = CustomWidths(customWidths, GetFontLine());
  const std::string baseName = Utf8(GetBaseName());
  std::string widths;
  for (int code = 0; code < 256; ++code) {
    double w = 0;
    if (!custom.empty())
      w = custom[code];
    else if (codePage_[code])
      w = GlyphWidth(FT_Get_Char_Index(face_->face, codePage_[code]));
    widths += PdfNum(w) + " ";
  }
  std::string differences;
  if (!customEncoding.empty()) {
    differences = Utf8(customEncoding);
  } else {
    // Glyph-list names for Cyrillic, else the font's own glyph names, else "uniXXXX".
    differences = "32";
    char name[64];
    FT_Face face = face_->face;
    for (int code = 32; code < 256; ++code) {
      const char32_t c = codePage_[code];
      const FT_UInt gid = c ? FT_Get_Char_Index(face, c) : 0;
      if (c == 0) {
        std::snprintf(name, sizeof name, "/.notdef");
      } else if (const std::string cyrillic = CyrillicGlyphName(c); !cyrillic.empty()) {
        std::snprintf(name, sizeof name, "/%s", cyrillic.c_str());
      } else if (!(gid && FT_HAS_GLYPH_NAMES(face) &&
                   FT_Get_Glyph_Name(face, gid, name + 1, sizeof name - 1) == 0 && name[1] &&
                   std::strpbrk(name + 1, " ()<>[]{}/%") == nullptr)) {
        std::snprintf(name, sizeof name, "/uni%04X", static_cast<unsigned>(c));
      } else {
        name[0] = '/';
      }
      differences += " ";
      differences += name;
    }
  }
  const Integer descriptor = writer.NewObject(), toUnicode = writer.NewObject();
  char resource[8];
  std::snprintf(resource, sizeof resource, "F%02d", index);
  writer.BeginObject(number);
  writer.Line(std::string("<< /Type /Font /Subtype /TrueType /Name /") + resource + " /BaseFont /" +
              baseName + " /FirstChar 0 /LastChar 255");
  writer.Line("/Widths [ " + widths + "]");
  writer.Line("/Encoding << /Type /Encoding /Differences [ " + differences + " ] >>");
  writer.Line("/FontDescriptor " + std::to_string(descriptor) + " 0 R /ToUnicode " +
              std::to_string(toUnicode) + " 0 R >>");
  writer.EndObject();
  WriteDescriptor(writer, descriptor, baseName, 0);
  writer.StreamObject(toUnicode, "", ToUnicodeCMap(false), compress);
}

void TQRPDFFont::WriteComposite(TPDFObjectWriter& writer, Integer number, const String& customWidths,
                                bool compress) const {
  FT_Face face = face_->face;
  const bool embedded = embed_ && face_->trueType;
  const char* ps = FT_Get_Postscript_Name(face);
  std::string baseName = ps ? ps : Utf8(StringReplace(GetBaseName(), u",", u"-", {rfReplaceAll}));
  if (embedded) {
    // A subset's name carries a tag of six capitals unique within the document.
    std::string tag = "KIV";
    for (int n = number, i = 0; i < 3; ++i, n /= 26) tag += static_cast<char>('A' + n % 26);
    baseName = tag + "+" + baseName;
  }
  const std::string widths = WidthsArray(CustomWidths(customWidths, GetFontLine()));
  const Integer cid = writer.NewObject(), descriptor = writer.NewObject(), toUnicode = writer.NewObject();
  const Integer file = embedded ? writer.NewObject() : 0;

  writer.BeginObject(number);
  writer.Line("<< /Type /Font /Subtype /Type0 /BaseFont /" + baseName +
              " /Encoding /Identity-H /DescendantFonts [" + std::to_string(cid) + " 0 R] /ToUnicode " +
              std::to_string(toUnicode) + " 0 R >>");
  writer.EndObject();

  writer.BeginObject(cid);
  writer.Line("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + baseName +
              " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " +
              std::to_string(descriptor) + " 0 R /CIDToGIDMap /Identity /DW 1000");
  writer.Line("/W " + widths + " >>");
  writer.EndObject();

  WriteDescriptor(writer, descriptor, baseName, file);
  writer.StreamObject(toUnicode, "", ToUnicodeCMap(true), compress);
  if (embedded) {
    const std::string program = FontProgram();
    writer.StreamObject(file, "/Length1 " + std::to_string(program.size()), program, compress);
  }
}

// ---- TQRPDFFontList ----

TQRPDFFontList::TQRPDFFontList() {
  reportFonts_.SetCaseSensitive(false);
  substitutedFonts_.Add(u"Arial:Helvetica");
  substitutedFonts_.Add(u"Times New Roman:Times");
  substitutedFonts_.Add(u"Courier New:Courier");
}

TQRPDFFontList::~TQRPDFFontList() = default;

Integer TQRPDFFontList::Register(TFont* font, TFontHandling handling, const String& text) {
  const bool bold = font->GetStyle().Contains(fsBold), italic = font->GetStyle().Contains(fsItalic);
  const String name = Trim(font->GetName());
  const Byte charset = font->GetCharset();
  TQRPDFFontKind kind = pfkComposite;
  bool embed = true;
  if (handling == fhSubstitute) {
    kind = pfkStandard;
  } else if (handling == fhNoEmbedding && embedFonts_.IndexOf(name) < 0) {
    embed = false;
    if (CharsetCodePage(charset)) kind = pfkSingleByte;
  }
  const String line = name + u"\t" + String(bold ? u"B" : u"") + String(italic ? u"I" : u"") + u"\t" +
                      IntToStr(charset) + u"\t";
  Integer fallback = -1;
  for (Integer i = 0; i < GetCount(); ++i) {
    if (!AnsiStartsText(line, reportFonts_.Get(i))) continue;
    const TQRPDFFont& f = *fonts_[i];
    if (f.GetKind() == kind && f.CanShow(text)) return i;
    if (f.GetKind() == pfkComposite && kind == pfkSingleByte) fallback = i;
  }
  if (fallback >= 0) return fallback;
  auto made = std::make_unique<TQRPDFFont>(name, bold, italic, charset, kind, embed);
  // Characters the code page lacks would be lost: such text goes to a composite font of the same face.
  if (kind == pfkSingleByte && !made->CanShow(text)) {
    made = std::make_unique<TQRPDFFont>(name, bold, italic, charset, pfkComposite, true);
  }
  fonts_.push_back(std::move(made));
  reportFonts_.Add(fonts_.back()->GetFontLine());
  return GetCount() - 1;
}

void TQRPDFFontList::AddFontMap(const String& ssmap) {
  const int colon = Pos(u":", ssmap);
  const String map =
      colon ? Trim(Copy(ssmap, 1, colon - 1)) + u":" + Trim(Copy(ssmap, colon + 1, Length(ssmap)))
            : Trim(ssmap);
  const int i = substitutedFonts_.IndexOf(map);
  if (i >= 0)
    substitutedFonts_.Put(i, map);
  else
    substitutedFonts_.Add(map);
}

void TQRPDFFontList::AddTTFont(const String& FontName) {
  if (embedFonts_.IndexOf(FontName) < 0) embedFonts_.Add(FontName);
}

String TQRPDFFontList::StandardBaseName(const TQRPDFFont& font) const {
  static const Char* const standard[] = {u"Courier", u"Helvetica", u"Times", u"Symbol", u"ZapfDingbats"};
  String family = u"Courier";
  for (int i = 0; i < substitutedFonts_.GetCount(); ++i) {
    const String map = substitutedFonts_.Get(i);
    if (!AnsiStartsText(font.GetFontName(), map)) continue;
    String target = Copy(map, Pos(u":", map) + 1, Length(map));
    if (target.empty()) target = u"Courier";
    if (const int dash = Pos(u"-", target)) target = Copy(target, 1, dash - 1);
    for (const Char* s : standard)
      if (SameText(target, s)) family = s;
    break;
  }
  if (!font.GetBold() && !font.GetItalic()) return family;
  String base = family + u"-";
  if (font.GetBold()) base += u"Bold";
  if (font.GetItalic()) base += family == u"Helvetica" || family == u"Courier" ? u"Oblique" : u"Italic";
  return base;
}

std::string TQRPDFFontList::WriteFonts(TPDFObjectWriter& writer, bool compress) {
  std::string resources;
  char name[16];
  for (Integer i = 0; i < GetCount(); ++i) {
    TQRPDFFont& font = *fonts_[i];
    const Integer number = writer.NewObject();
    std::snprintf(name, sizeof name, "F%02d", i);
    resources += "  /" + std::string(name) + " " + std::to_string(number) + " 0 R\n";
    if (font.GetKind() == pfkStandard) {
      writer.BeginObject(number);
      writer.Line(std::string("<< /Type /Font /Subtype /Type1 /Name /") + name + " /BaseFont /" +
                  Utf8(StandardBaseName(font)) + " /Encoding /WinAnsiEncoding >>");
      writer.EndObject();
      continue;
    }
    font.WriteObjects(writer, number, i, customWidths_.Value(font.GetBaseName()),
                      customEncodings_.Value(font.GetBaseName()), compress);
  }
  return resources;
}
