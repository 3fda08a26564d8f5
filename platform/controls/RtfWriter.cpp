// The RTF writer: windows-1251 RTF that our reader and office suites read; every run in a group of
// its own so no formatting leaks from one run into the next.
#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "platform/controls/RtfCodePages.h"
#include "platform/controls/RtfDocument.h"

namespace {

struct TFontKey {
  String Name;
  Integer Charset;
  TFontPitch Pitch;
  bool operator<(const TFontKey& o) const {
    return std::tie(Name, Charset, Pitch) < std::tie(o.Name, o.Charset, o.Pitch);
  }
};

// Fonts of the default or Cyrillic charset keep their text as windows-1251 bytes.
bool Writes1251(Integer charset) { return charset == 1 || charset == 204 || charset == 0; }

Integer WrittenCharset(Integer charset) { return charset == 1 || charset == 0 ? 204 : charset; }

void Escape(std::string& out, const String& text, bool as1251) {
  for (Char c : text) {
    if (c == u'\\' || c == u'{' || c == u'}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == u'\t') {
      out += "\\tab ";
    } else if (c == 0x2028 || c == u'\v') {
      out += "\\line ";
    } else if (c == 0xA0) {
      out += "\\~";
    } else if (c < 0x20) {
      // Other control characters have no place in the text.
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      const Integer b = as1251 ? RtfCp1251Byte(c) : -1;
      if (b >= 0) {
        static const char* hex = "0123456789abcdef";
        out += "\\'";
        out += hex[(b >> 4) & 15];
        out += hex[b & 15];
      } else {
        out += "\\u" + std::to_string(static_cast<int16_t>(c)) + "?";
      }
    }
  }
}

void Hex1251Name(std::string& out, const String& name) { Escape(out, name, true); }

}  // namespace

std::string WriteRtf(const TRtfDocument& document) {
  std::map<TFontKey, Integer> fonts;
  std::vector<TFontKey> fontList;
  auto fontIndex = [&](const TRtfCharFormat& f) {
    TFontKey key{f.FontName.empty() ? String(u"Arial") : f.FontName, WrittenCharset(f.Charset), f.Pitch};
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second;
    const Integer index = static_cast<Integer>(fontList.size());
    fonts.emplace(key, index);
    fontList.push_back(key);
    return index;
  };
  std::vector<TColor> colors;
  auto colorIndex = [&](TColor c) {
    const TColor rgb = static_cast<TColor>(ColorToRGB(c) & 0xFFFFFF);
    auto it = std::find(colors.begin(), colors.end(), rgb);
    if (it != colors.end()) return static_cast<Integer>(it - colors.begin()) + 1;
    colors.push_back(rgb);
    return static_cast<Integer>(colors.size());
  };

  // The first run's font is the default one.
  TRtfCharFormat first;
  for (const TRtfParagraph& p : document.Paragraphs)
    if (!p.Runs.empty()) {
      first = p.Runs.front().Format;
      break;
    }
  fontIndex(first);

  std::string body;
  for (size_t i = 0; i < document.Paragraphs.size(); ++i) {
    const TRtfParagraph& p = document.Paragraphs[i];
    const TRtfParaFormat& pf = p.Format;
    body += "\\pard";
    switch (pf.Alignment) {
      case raCenter:
        body += "\\qc";
        break;
      case raRight:
        body += "\\qr";
        break;
      case raJustify:
        body += "\\qj";
        break;
      default:
        body += "\\ql";
        break;
    }
    if (pf.FirstIndent) body += "\\fi" + std::to_string(pf.FirstIndent);
    if (pf.LeftIndent) body += "\\li" + std::to_string(pf.LeftIndent);
    if (pf.RightIndent) body += "\\ri" + std::to_string(pf.RightIndent);
    for (Integer tab : pf.Tabs) body += "\\tx" + std::to_string(tab);
    body += ' ';
    if (pf.Bullet) {
      const Integer f = fontIndex(p.Runs.empty() ? first : p.Runs.front().Format);
      body += "{\\pntext\\f" + std::to_string(f) + "\\'95\\tab}{\\*\\pn\\pnlvlblt\\pnf" + std::to_string(f) +
              "\\pnindent0{\\pntxtb\\'95}}";
    }
    for (const TRtfRun& r : p.Runs) {
      if (r.Text.empty()) continue;
      const TRtfCharFormat& f = r.Format;
      body += "{\\f" + std::to_string(fontIndex(f));
      if (f.HalfPoints > 0) body += "\\fs" + std::to_string(f.HalfPoints);
      if (f.Style.Contains(fsBold)) body += "\\b";
      if (f.Style.Contains(fsItalic)) body += "\\i";
      if (f.Style.Contains(fsUnderline)) body += "\\ul";
      if (f.Style.Contains(fsStrikeOut)) body += "\\strike";
      if (f.Color != clDefault && f.Color != clNone) body += "\\cf" + std::to_string(colorIndex(f.Color));
      if (f.BackColor != clNone && f.BackColor != clDefault)
        body += "\\highlight" + std::to_string(colorIndex(f.BackColor));
      body += ' ';
      Escape(body, r.Text, Writes1251(f.Charset));
      body += '}';
    }
    if (i + 1 < document.Paragraphs.size()) body += "\\par\r\n";
  }

  std::string out = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl";
  for (size_t i = 0; i < fontList.size(); ++i) {
    const TFontKey& k = fontList[i];
    out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset" + std::to_string(k.Charset);
    if (k.Pitch != fpDefault) out += k.Pitch == fpFixed ? "\\fprq1" : "\\fprq2";
    out += ' ';
    Hex1251Name(out, k.Name);
    out += ";}";
  }
  out += "}\r\n";
  if (!colors.empty()) {
    out += "{\\colortbl ;";
    for (TColor c : colors)
      out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
             std::to_string((c >> 16) & 0xFF) + ";";
    out += "}\r\n";
  }
  out += "\\viewkind4\\uc1";
  out += body;
  out += "\\par\r\n}\r\n";
  return out;
}
