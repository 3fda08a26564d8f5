// The RTF reader: a tokenizer over the bytes and a group-state machine for the subset we keep
// (fonts, colours, character and paragraph formatting, bullets, tables as text). Never throws on
// malformed input: it keeps what it could read.
#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <unordered_set>

#include "platform/controls/RtfCodePages.h"
#include "platform/controls/RtfDocument.h"

String TRtfParagraph::Text() const {
  String s;
  for (const TRtfRun& r : Runs) s += r.Text;
  return s;
}

String TRtfDocument::PlainText(const String& separator) const {
  String s;
  for (size_t i = 0; i < Paragraphs.size(); ++i) {
    if (i) s += separator;
    s += Paragraphs[i].Text();
  }
  return s;
}

const TRtfParagraph* TRtfDocument::ParagraphAt(Integer pos) const {
  for (const TRtfParagraph& p : Paragraphs) {
    const Integer len = static_cast<Integer>(p.Text().size());
    if (pos <= len) return &p;
    pos -= len + 1;
  }
  return nullptr;
}

const TRtfRun* TRtfDocument::RunAt(Integer pos) const {
  for (const TRtfParagraph& p : Paragraphs) {
    for (const TRtfRun& r : p.Runs) {
      const Integer len = static_cast<Integer>(r.Text.size());
      if (pos < len) return &r;
      pos -= len;
    }
    if (pos == 0) return nullptr;  // the paragraph end
    --pos;
  }
  return nullptr;
}

bool IsRtfData(std::string_view data) {
  return data.substr(0, 5) == "{\\rtf" || data.substr(0, 6) == "{\\urtf" || data.substr(0, 5) == "{urtf";
}

namespace {

enum class TDest { Text, Skip, FontTable, ColorTable, ListText, Pn };

struct TFontEntry {
  String Name;
  Integer Charset = 1;
  TFontPitch Pitch = fpDefault;
};

struct TGroupState {
  TDest Dest = TDest::Text;
  TRtfCharFormat Chr;
  TRtfParaFormat Para;
  Integer Uc = 1;
  Integer FontCodePage = 0;  // 0: the document's
};

const std::unordered_set<std::string>& SkippedDestinations() {
  static const std::unordered_set<std::string> names = {"stylesheet",
                                                        "info",
                                                        "pict",
                                                        "object",
                                                        "header",
                                                        "footer",
                                                        "headerl",
                                                        "headerr",
                                                        "headerf",
                                                        "footerl",
                                                        "footerr",
                                                        "footerf",
                                                        "footnote",
                                                        "annotation",
                                                        "xe",
                                                        "tc",
                                                        "txe",
                                                        "rxe",
                                                        "themedata",
                                                        "colorschememapping",
                                                        "latentstyles",
                                                        "datastore",
                                                        "listtable",
                                                        "listoverridetable",
                                                        "revtbl",
                                                        "rsidtbl",
                                                        "generator",
                                                        "fldinst",
                                                        "nonshppict",
                                                        "shpinst",
                                                        "shppict",
                                                        "bkmkstart",
                                                        "bkmkend",
                                                        "template",
                                                        "docvar",
                                                        "userprops",
                                                        "xmlnstbl",
                                                        "mmathPr",
                                                        "pgdsctbl",
                                                        "filetbl",
                                                        "ftnsep",
                                                        "ftnsepc",
                                                        "ftncn",
                                                        "aftnsep",
                                                        "aftnsepc",
                                                        "aftncn",
                                                        "atnid",
                                                        "atnauthor",
                                                        "comment",
                                                        "subject",
                                                        "title",
                                                        "author",
                                                        "operator",
                                                        "keywords",
                                                        "doccomm",
                                                        "company",
                                                        "buptim",
                                                        "creatim",
                                                        "printim",
                                                        "revtim",
                                                        "wgrffmtfilter",
                                                        "listpicture",
                                                        "pnseclvl",
                                                        "fonttbl_",
                                                        "falt",
                                                        "panose",
                                                        "sp",
                                                        "sn",
                                                        "sv"};
  return names;
}

bool IsBulletText(const String& text) {
  String t;
  for (Char c : text)
    if (c != u'\t' && c != u' ' && c != 0xA0) t += c;
  if (t.size() != 1) return false;
  switch (t[0]) {
    case 0x2022:
    case 0x00B7:
    case 0x25CF:
    case 0x25AA:
    case 0x25E6:
    case 0x2013:
    case 0x2014:
    case u'-':
    case u'o':
    case u'*':
    case 0x00A7:
    case 0xF0B7:
    case 0xF0A7:
    case 0xF0D8:
    case 0xF076:
      return true;
    default:
      return false;
  }
}

class TRtfReader {
 public:
  explicit TRtfReader(std::string_view data) : d_(data) {}

  TRtfDocument Read() {
    if (d_.substr(0, 5) == "{urtf") {
      // The rich edit's other spelling of the header: read as "{\rtf".
      p_ = 5;
      stack_.push_back(st_);
      started_ = true;
      Integer version = 0;
      ReadNumber(version);
      if (p_ < d_.size() && d_[p_] == ' ') ++p_;
    }
    while (p_ < d_.size()) {
      const unsigned char c = static_cast<unsigned char>(d_[p_]);
      if (c == '{') {
        ++p_;
        skipFallback_ = 0;
        stack_.push_back(st_);
        started_ = true;
        destNext_ = false;
      } else if (c == '}') {
        ++p_;
        skipFallback_ = 0;
        destNext_ = false;
        PopGroup();
        if (started_ && stack_.empty()) break;  // the document's group closed: ignore what follows
      } else if (c == '\\') {
        ++p_;
        ReadControl();
      } else if (c == '\r' || c == '\n') {
        ++p_;
      } else {
        ++p_;
        if (skipFallback_ > 0) {
          --skipFallback_;
          continue;
        }
        if (c == '\t') {
          Text(u"\t");
        } else if (c == ';' && (st_.Dest == TDest::FontTable || st_.Dest == TDest::ColorTable)) {
          if (st_.Dest == TDest::FontTable)
            FinishFont();
          else
            FinishColor();
        } else {
          TextByte(c);
        }
      }
    }
    FinishFont();
    if (!cur_.Runs.empty()) EndParagraph();
    if (doc_.Paragraphs.empty()) {
      cur_.Format = st_.Para;
      doc_.Paragraphs.push_back(cur_);
    }
    return std::move(doc_);
  }

 private:
  void PopGroup() {
    if (stack_.empty()) return;  // a stray closing brace
    const TGroupState inner = st_;
    st_ = stack_.back();
    stack_.pop_back();
    if (inner.Dest == TDest::FontTable) FinishFont();
    if (inner.Dest == TDest::ListText && st_.Dest != TDest::ListText) {
      if (IsBulletText(listText_))
        listBullet_ = true;
      else if (!listText_.empty())
        Text(listText_);
      listText_.clear();
    }
  }

  // A number after a control word: optional '-', digits, clamped to the Integer range.
  bool ReadNumber(Integer& value) {
    bool negative = false;
    size_t q = p_;
    if (q < d_.size() && d_[q] == '-') {
      negative = true;
      ++q;
    }
    if (q >= d_.size() || d_[q] < '0' || d_[q] > '9') return false;
    long long v = 0;
    while (q < d_.size() && d_[q] >= '0' && d_[q] <= '9') {
      if (v < 100000000000LL) v = v * 10 + (d_[q] - '0');
      ++q;
    }
    if (negative) v = -v;
    value = static_cast<Integer>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    p_ = q;
    return true;
  }

  static int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  void ReadControl() {
    if (p_ >= d_.size()) return;  // a lone backslash at the end
    const char c = d_[p_];
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      size_t q = p_;
      while (q < d_.size() && ((d_[q] >= 'a' && d_[q] <= 'z') || (d_[q] >= 'A' && d_[q] <= 'Z')) &&
             q - p_ < 32)
        ++q;
      std::string word(d_.substr(p_, q - p_));
      p_ = q;
      Integer param = 0;
      const bool hasParam = ReadNumber(param);
      if (p_ < d_.size() && d_[p_] == ' ') ++p_;
      Word(word, hasParam, param);
      return;
    }
    ++p_;
    if (c == '\'') {
      if (p_ + 2 <= d_.size() && Hex(d_[p_]) >= 0 && Hex(d_[p_ + 1]) >= 0) {
        const int b = Hex(d_[p_]) * 16 + Hex(d_[p_ + 1]);
        p_ += 2;
        if (skipFallback_ > 0) {
          --skipFallback_;
          return;
        }
        TextByte(static_cast<unsigned char>(b));
        return;
      }
      // A truncated or bad escape: drop the one hex digit that may be there.
      if (p_ < d_.size() && Hex(d_[p_]) >= 0) ++p_;
      return;
    }
    if (c == '*') {
      destNext_ = true;
      return;
    }
    if (skipFallback_ > 0) {
      --skipFallback_;
      return;
    }
    switch (c) {
      case '\\':
        Text(u"\\");
        break;
      case '{':
        Text(u"{");
        break;
      case '}':
        Text(u"}");
        break;
      case '~':
        Text(u"\u00A0");
        break;
      case '_':
        Text(u"\u2011");
        break;
      case '\r':
      case '\n':
        if (st_.Dest == TDest::Text) EndParagraph();
        break;
      default:
        break;  // \- \| \: and unknown symbols
    }
  }

  void Word(const std::string& w, bool hasParam, Integer param) {
    const bool destination = destNext_;
    destNext_ = false;
    if (w == "bin") {
      // Binary data: skipped whatever the destination; never past the end.
      const size_t n = hasParam && param > 0 ? static_cast<size_t>(param) : 0;
      p_ = std::min(d_.size(), p_ + n);
      return;
    }
    if (st_.Dest == TDest::Skip) return;
    if (destination) {
      st_.Dest = w == "pn" ? TDest::Pn : TDest::Skip;
      return;
    }
    if (w == "u") {
      if (!hasParam) return;
      if (skipFallback_ > 0) {
        --skipFallback_;
        return;
      }
      const Integer v = param < 0 ? param + 65536 : param;
      Text(String(1, static_cast<Char>(v & 0xFFFF)));
      skipFallback_ = std::max<Integer>(0, st_.Uc);
      return;
    }
    if (skipFallback_ > 0) {
      --skipFallback_;
      return;
    }
    if (w == "fonttbl") {
      st_.Dest = TDest::FontTable;
      return;
    }
    if (w == "colortbl") {
      st_.Dest = TDest::ColorTable;
      colors_.clear();
      colorSet_ = false;
      return;
    }
    if (w == "listtext" || w == "pntext") {
      st_.Dest = TDest::ListText;
      listText_.clear();
      return;
    }
    if (w == "pn") {
      st_.Dest = TDest::Pn;
      return;
    }
    if (SkippedDestinations().count(w)) {
      st_.Dest = TDest::Skip;
      return;
    }
    switch (st_.Dest) {
      case TDest::FontTable:
        FontWord(w, hasParam, param);
        return;
      case TDest::ColorTable:
        if (w == "red")
          red_ = param & 0xFF, colorSet_ = true;
        else if (w == "green")
          green_ = param & 0xFF, colorSet_ = true;
        else if (w == "blue")
          blue_ = param & 0xFF, colorSet_ = true;
        return;
      case TDest::Pn:
        if (w == "pnlvlblt") listBullet_ = true;
        return;
      default:
        break;
    }
    const bool on = !hasParam || param != 0;
    TRtfCharFormat& f = st_.Chr;
    TRtfParaFormat& pf = st_.Para;
    if (w == "ansicpg") {
      if (hasParam && param > 0) codePage_ = param;
    } else if (w == "deff") {
      defaultFont_ = param;
    } else if (w == "uc") {
      st_.Uc = std::clamp<Integer>(param, 0, 10);
    } else if (w == "plain") {
      f = TRtfCharFormat();
      st_.FontCodePage = 0;
      ApplyFont(defaultFont_, false);
    } else if (w == "b") {
      Style(fsBold, on);
    } else if (w == "i") {
      Style(fsItalic, on);
    } else if (w == "ulnone") {
      Style(fsUnderline, false);
    } else if (w.size() >= 2 && w.compare(0, 2, "ul") == 0 && w != "ulc") {
      Style(fsUnderline, on);
    } else if (w == "strike" || w == "striked") {
      Style(fsStrikeOut, on);
    } else if (w == "f") {
      ApplyFont(param, true);
    } else if (w == "fs") {
      if (hasParam && param > 0) f.HalfPoints = std::clamp<Integer>(param, 2, 3276);
    } else if (w == "cf") {
      f.Color = ColorAt(param, clDefault);
    } else if (w == "highlight" || w == "cb" || w == "chcbpat") {
      f.BackColor = ColorAt(param, clNone);
    } else if (w == "pard") {
      pf = TRtfParaFormat();
      if (st_.Dest == TDest::Text) listBullet_ = false;
    } else if (w == "ql") {
      pf.Alignment = raLeft;
    } else if (w == "qc") {
      pf.Alignment = raCenter;
    } else if (w == "qr") {
      pf.Alignment = raRight;
    } else if (w == "qj") {
      pf.Alignment = raJustify;
    } else if (w == "fi") {
      pf.FirstIndent = param;
    } else if (w == "li") {
      pf.LeftIndent = param;
    } else if (w == "ri") {
      pf.RightIndent = param;
    } else if (w == "tx" || w == "tb") {
      if (hasParam && param >= 0 && pf.Tabs.size() < 64) pf.Tabs.push_back(param);
    } else if (w == "par") {
      if (st_.Dest == TDest::Text) EndParagraph();
    } else if (w == "line") {
      Text(u"\u2028");
    } else if (w == "tab") {
      Text(u"\t");
    } else if (w == "cell" || w == "nestcell") {
      Text(u"\t");
    } else if (w == "row" || w == "nestrow") {
      if (st_.Dest == TDest::Text) {
        if (!cur_.Runs.empty() && !cur_.Runs.back().Text.empty() && cur_.Runs.back().Text.back() == u'\t')
          cur_.Runs.back().Text.pop_back();
        EndParagraph();
      }
    } else if (w == "emdash") {
      Text(u"\u2014");
    } else if (w == "endash") {
      Text(u"\u2013");
    } else if (w == "bullet") {
      Text(u"\u2022");
    } else if (w == "lquote") {
      Text(u"\u2018");
    } else if (w == "rquote") {
      Text(u"\u2019");
    } else if (w == "ldblquote") {
      Text(u"\u201C");
    } else if (w == "rdblquote") {
      Text(u"\u201D");
    } else if (w == "emspace" || w == "enspace" || w == "qmspace") {
      Text(u" ");
    }
  }

  void Style(TFontStyle s, bool on) {
    if (on)
      st_.Chr.Style << s;
    else
      st_.Chr.Style >> s;
  }

  TColor ColorAt(Integer index, TColor automatic) const {
    if (index <= 0 || index >= static_cast<Integer>(colors_.size())) return automatic;
    return colors_[index];
  }

  void ApplyFont(Integer number, bool explicitly) {
    auto it = fonts_.find(number);
    if (it == fonts_.end()) {
      if (explicitly) st_.FontCodePage = 0;
      return;
    }
    st_.Chr.FontName = it->second.Name;
    st_.Chr.Charset = static_cast<TFontCharset>(it->second.Charset);
    st_.Chr.Pitch = it->second.Pitch;
    st_.FontCodePage = RtfCharsetCodePage(it->second.Charset);
  }

  void FontWord(const std::string& w, bool hasParam, Integer param) {
    if (w == "f") {
      FinishFont();
      fontNumber_ = param;
      fontOpen_ = true;
      font_ = TFontEntry();
    } else if (w == "fcharset") {
      font_.Charset = param;
    } else if (w == "fprq") {
      font_.Pitch = param == 1 ? fpFixed : param == 2 ? fpVariable : fpDefault;
    } else if (w == "cpg" && hasParam) {
      // A font code page without a charset: keep it through the matching charset.
      if (param == 1251) font_.Charset = 204;
    }
  }

  void FinishFont() {
    if (!fontOpen_) return;
    fontOpen_ = false;
    String name = font_.Name;
    while (!name.empty() && (name.back() == u' ' || name.back() == u';')) name.pop_back();
    while (!name.empty() && name.front() == u' ') name.erase(0, 1);
    font_.Name = name;
    if (!fonts_.count(fontNumber_)) fonts_[fontNumber_] = font_;
  }

  void FinishColor() {
    colors_.push_back(colorSet_ ? static_cast<TColor>(red_ | (green_ << 8) | (blue_ << 16)) : clDefault);
    red_ = green_ = blue_ = 0;
    colorSet_ = false;
  }

  // Text without a \f of its own is in the default font (which may be declared after \deff).
  void DefaultFont() {
    if (st_.Chr.FontName.empty() && st_.Dest != TDest::FontTable && !fonts_.empty())
      ApplyFont(defaultFont_, false);
  }

  void TextByte(unsigned char b) {
    if (st_.Dest == TDest::ColorTable || st_.Dest == TDest::Skip || st_.Dest == TDest::Pn) return;
    DefaultFont();
    if (b < 0x80) {
      Text(String(1, static_cast<Char>(b)));
      return;
    }
    const Integer cp = st_.FontCodePage ? st_.FontCodePage : codePage_;
    Text(String(1, RtfCodePageTable(cp)[b]));
  }

  void Text(const String& s) {
    DefaultFont();
    switch (st_.Dest) {
      case TDest::Text:
        if (!cur_.Runs.empty() && cur_.Runs.back().Format == st_.Chr)
          cur_.Runs.back().Text += s;
        else
          cur_.Runs.push_back({s, st_.Chr});
        break;
      case TDest::ListText:
        listText_ += s;
        break;
      case TDest::FontTable:
        if (fontOpen_) font_.Name += s;
        break;
      default:
        break;
    }
  }

  void EndParagraph() {
    cur_.Format = st_.Para;
    cur_.Format.Bullet = cur_.Format.Bullet || listBullet_;
    std::erase_if(cur_.Runs, [](const TRtfRun& r) { return r.Text.empty(); });
    doc_.Paragraphs.push_back(std::move(cur_));
    cur_ = TRtfParagraph();
  }

  std::string_view d_;
  size_t p_ = 0;
  bool started_ = false;
  bool destNext_ = false;
  Integer skipFallback_ = 0;
  std::vector<TGroupState> stack_;
  TGroupState st_;
  Integer codePage_ = 1251;
  Integer defaultFont_ = 0;
  std::map<Integer, TFontEntry> fonts_;
  TFontEntry font_;
  Integer fontNumber_ = 0;
  bool fontOpen_ = false;
  std::vector<TColor> colors_;
  Integer red_ = 0, green_ = 0, blue_ = 0;
  bool colorSet_ = false;
  String listText_;
  bool listBullet_ = false;
  TRtfParagraph cur_;
  TRtfDocument doc_;
};

}  // namespace

TRtfDocument ReadRtf(std::string_view data) { return TRtfReader(data).Read(); }
