// The text form of component streams (`object Name: TClass ... end`): conversion to and from the
// binary form, and the test that tells the forms apart.
#include <cfloat>
#include <charconv>
#include <cstring>
#include <string>

#include "platform/classes/Streaming.h"
#include "platform/rtl/AnsiString.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {
constexpr int kMaxDepth = 200;

bool StartsWithKeyword(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  for (const char* kw : {"object", "inherited", "inline"}) {
    size_t n = std::strlen(kw);
    if (text.size() - i < n) continue;
    bool same = true;
    for (size_t k = 0; k < n && same; ++k)
      same = std::tolower(static_cast<unsigned char>(text[i + k])) == kw[k];
    if (same) return true;
  }
  return false;
}
}  // namespace

TStreamOriginalFormat TestStreamFormat(TStream* stream) {
  Int64 pos = stream->GetPosition();
  char head[64] = {};
  Integer n = stream->Read(head, sizeof head);
  stream->SetPosition(pos);
  std::string_view text(head, static_cast<size_t>(std::max<Integer>(n, 0)));
  if (text.size() >= 4 && text.substr(0, 4) == "TPF0") return sofBinary;
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
    return StartsWithKeyword(text.substr(3)) ? sofUTF8Text : sofUnknown;
  return StartsWithKeyword(text) ? sofText : sofUnknown;
}

// ======================= Text to binary =======================

namespace {
enum TokenKind { tkEOF, tkSymbol, tkString, tkInteger, tkFloat, tkChar };

class TextParser {
 public:
  explicit TextParser(String text) : text_(std::move(text)) { Next(); }

  TokenKind Kind() const { return kind_; }
  Char Ch() const { return ch_; }
  const String& Text() const { return token_; }
  const String& StringValue() const { return string_; }
  Char FloatSuffix() const { return suffix_; }
  int Line() const { return tokenLine_; }

  bool IsChar(Char c) const { return kind_ == tkChar && ch_ == c; }
  bool IsSymbol(const Char* s) const { return kind_ == tkSymbol && SameText(token_, s); }

  [[noreturn]] void Error(const String& what) const {
    throw EParserError(what + u" on line " + IntToStr(tokenLine_));
  }
  void ExpectChar(Char c) const {
    if (!IsChar(c)) Error(u"'" + String(1, c) + u"' expected");
  }
  void ExpectSymbol() const {
    if (kind_ != tkSymbol) Error(u"Identifier expected");
  }

  void Next() {
    SkipBlanks();
    tokenLine_ = line_;
    token_.clear();
    string_.clear();
    suffix_ = 0;
    if (pos_ >= text_.size()) {
      kind_ = tkEOF;
      return;
    }
    Char c = text_[pos_];
    if (IsIdentStart(c)) {
      size_t start = pos_;
      while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
      token_ = text_.substr(start, pos_ - start);
      kind_ = tkSymbol;
    } else if (c == u'\'' || c == u'#') {
      ReadStringToken();
    } else if (c == u'$' || (c >= u'0' && c <= u'9')) {
      ReadNumber();
    } else {
      kind_ = tkChar;
      ch_ = c;
      ++pos_;
    }
  }

  // Raw access for the hex digits of a binary value.
  String ReadUntil(Char end) {
    size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != end) {
      if (text_[pos_] == u'\n') ++line_;
      ++pos_;
    }
    if (pos_ >= text_.size()) Error(u"'" + String(1, end) + u"' expected");
    String raw = text_.substr(start, pos_ - start);
    ++pos_;
    return raw;
  }

 private:
  static bool IsIdentStart(Char c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c >= 0x80;
  }
  static bool IsIdentChar(Char c) { return IsIdentStart(c) || (c >= u'0' && c <= u'9'); }

  void SkipBlanks() {
    while (pos_ < text_.size()) {
      Char c = text_[pos_];
      if (c == u'\n')
        ++line_;
      else if (c != u' ' && c != u'\t' && c != u'\r' && c != 0xFEFF)
        break;
      ++pos_;
    }
  }

  void ReadStringToken() {
    kind_ = tkString;
    while (pos_ < text_.size()) {
      Char c = text_[pos_];
      if (c == u'\'') {
        ++pos_;
        while (true) {
          if (pos_ >= text_.size() || text_[pos_] == u'\n' || text_[pos_] == u'\r')
            Error(u"Unterminated string");
          Char d = text_[pos_++];
          if (d == u'\'') {
            if (pos_ < text_.size() && text_[pos_] == u'\'') {
              string_ += u'\'';
              ++pos_;
              continue;
            }
            break;
          }
          string_ += d;
        }
      } else if (c == u'#') {
        ++pos_;
        UInt64 code = 0;
        bool hex = pos_ < text_.size() && text_[pos_] == u'$';
        if (hex) ++pos_;
        size_t start = pos_;
        while (pos_ < text_.size()) {
          Char d = text_[pos_];
          int digit = DigitValue(d, hex);
          if (digit < 0) break;
          code = code * (hex ? 16 : 10) + static_cast<UInt64>(digit);
          if (code > 0xFFFF) Error(u"Invalid character code");
          ++pos_;
        }
        if (pos_ == start) Error(u"Number expected");
        string_ += static_cast<Char>(code);
      } else {
        break;
      }
    }
  }

  static int DigitValue(Char d, bool hex) {
    if (d >= u'0' && d <= u'9') return d - u'0';
    if (hex && d >= u'a' && d <= u'f') return d - u'a' + 10;
    if (hex && d >= u'A' && d <= u'F') return d - u'A' + 10;
    return -1;
  }

  void ReadNumber() {
    size_t start = pos_;
    if (text_[pos_] == u'$') {
      ++pos_;
      while (pos_ < text_.size() && DigitValue(text_[pos_], true) >= 0) ++pos_;
      token_ = text_.substr(start, pos_ - start);
      if (token_.size() < 2) Error(u"Number expected");
      kind_ = tkInteger;
      return;
    }
    kind_ = tkInteger;
    auto digits = [this] {
      while (pos_ < text_.size() && text_[pos_] >= u'0' && text_[pos_] <= u'9') ++pos_;
    };
    digits();
    if (pos_ + 1 < text_.size() && text_[pos_] == u'.' && text_[pos_ + 1] >= u'0' &&
        text_[pos_ + 1] <= u'9') {
      kind_ = tkFloat;
      ++pos_;
      digits();
    }
    if (pos_ < text_.size() && (text_[pos_] == u'e' || text_[pos_] == u'E')) {
      size_t save = pos_;
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == u'+' || text_[pos_] == u'-')) ++pos_;
      if (pos_ < text_.size() && text_[pos_] >= u'0' && text_[pos_] <= u'9') {
        kind_ = tkFloat;
        digits();
      } else {
        pos_ = save;
      }
    }
    token_ = text_.substr(start, pos_ - start);
    if (pos_ < text_.size()) {
      Char s = static_cast<Char>(text_[pos_] | 0x20);
      bool alone = pos_ + 1 >= text_.size() || !IsIdentChar(text_[pos_ + 1]);
      if ((s == u's' || s == u'c' || s == u'd' || s == u'f') && alone) {
        kind_ = tkFloat;
        suffix_ = s;
        ++pos_;
      }
    }
    if (pos_ < text_.size() && IsIdentChar(text_[pos_])) Error(u"Invalid number");
  }

  String text_;
  size_t pos_ = 0;
  int line_ = 1;
  int tokenLine_ = 1;
  TokenKind kind_ = tkEOF;
  Char ch_ = 0;
  String token_;
  String string_;
  Char suffix_ = 0;
};

std::string Ascii(const String& s) {
  std::string out;
  out.reserve(s.size());
  for (Char c : s) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

class TextToBinary {
 public:
  TextToBinary(TextParser& parser, TWriter& writer) : p_(parser), w_(writer) {}

  void Run() {
    w_.WriteSignature();
    ConvertObject();
    if (p_.Kind() != tkEOF) p_.Error(u"End of file expected");
  }

 private:
  bool AtObjectKeyword() const {
    return p_.IsSymbol(u"object") || p_.IsSymbol(u"inherited") || p_.IsSymbol(u"inline");
  }

  void Enter() {
    if (++depth_ > kMaxDepth) p_.Error(u"Nesting too deep");
  }

  void ConvertObject() {
    Enter();
    if (!AtObjectKeyword()) p_.Error(u"'object' expected");
    TFilerFlags flags;
    if (p_.IsSymbol(u"inherited"))
      flags.Include(ffInherited);
    else if (p_.IsSymbol(u"inline"))
      flags.Include(ffInline);
    p_.Next();
    p_.ExpectSymbol();
    String name;
    String className = p_.Text();
    p_.Next();
    if (p_.IsChar(u':')) {
      p_.Next();
      p_.ExpectSymbol();
      name = className;
      className = p_.Text();
      p_.Next();
    }
    Integer childPos = 0;
    if (p_.IsChar(u'[')) {
      p_.Next();
      childPos = static_cast<Integer>(IntegerValue(false));
      p_.Next();
      p_.ExpectChar(u']');
      p_.Next();
      flags.Include(ffChildPos);
    }
    // A length byte of 0xF0 or more would read back as a prefix.
    if (StringToUtf8(className).size() >= 0xF0) p_.Error(u"Identifier too long");
    w_.WritePrefix(flags, childPos);
    w_.WriteStr(className);
    w_.WriteStr(name);
    while (!p_.IsSymbol(u"end") && !AtObjectKeyword()) ConvertProperty();
    w_.WriteListEnd();
    while (!p_.IsSymbol(u"end")) ConvertObject();
    w_.WriteListEnd();
    p_.Next();
    --depth_;
  }

  void ConvertProperty() {
    p_.ExpectSymbol();
    String name = p_.Text();
    p_.Next();
    while (p_.IsChar(u'.')) {
      p_.Next();
      p_.ExpectSymbol();
      name += u"." + p_.Text();
      p_.Next();
    }
    p_.ExpectChar(u'=');
    p_.Next();
    w_.WriteStr(name);
    ConvertValue();
  }

  Int64 IntegerValue(bool negative) {
    const String& t = p_.Text();
    if (p_.Kind() != tkInteger) p_.Error(u"Integer expected");
    UInt64 magnitude = 0;
    if (t[0] == u'$') {
      if (t.size() > 17) p_.Error(u"Invalid integer");
      for (size_t i = 1; i < t.size(); ++i) {
        Char c = t[i];
        int d = c <= u'9' ? c - u'0' : (c | 0x20) - u'a' + 10;
        magnitude = magnitude * 16 + static_cast<UInt64>(d);
      }
      // Hex text fills the bits: $FFFFFFFF is -1, the 32-bit value it names.
      Int64 v = t.size() <= 9
                    ? static_cast<Int64>(static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude)))
                    : static_cast<Int64>(magnitude);
      return negative ? static_cast<Int64>(0 - static_cast<UInt64>(v)) : v;
    }
    std::string digits = Ascii(t);
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) p_.Error(u"Invalid integer");
    if (negative) {
      if (magnitude > static_cast<UInt64>(INT64_MAX) + 1) p_.Error(u"Invalid integer");
      return static_cast<Int64>(0 - magnitude);
    }
    if (magnitude > static_cast<UInt64>(INT64_MAX)) p_.Error(u"Invalid integer");
    return static_cast<Int64>(magnitude);
  }

  void FloatValue(bool negative) {
    std::string digits = (negative ? "-" : "") + Ascii(p_.Text());
    Char suffix = p_.FloatSuffix();
    if (suffix == u'c') {
      w_.WriteCurrency(Currency::FromRaw(CurrencyRaw(digits)));
      return;
    }
    long double v = 0;
    auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size())
      p_.Error(u"Invalid floating point number");
    // A value the stored type cannot hold would come back as infinity, which the text cannot say.
    long double limit = suffix == u's' ? FLT_MAX : suffix == u'd' || suffix == u'f' ? DBL_MAX : LDBL_MAX;
    if (v > limit || v < -limit) p_.Error(u"Floating point overflow");
    switch (suffix) {
      case u's':
        w_.WriteSingle(static_cast<float>(v));
        break;
      case u'd':
        w_.WriteDate(static_cast<double>(v));
        break;
      case u'f':
        w_.WriteDouble(static_cast<double>(v));
        break;
      default:
        w_.WriteFloat(v);
    }
  }

  // Decimal text to the currency's scaled integer, exactly, halves to even.
  Int64 CurrencyRaw(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
      negative = true;
      ++i;
    }
    if (text.find_first_of("eE") != std::string::npos) {
      long double v = 0;
      std::from_chars(text.data(), text.data() + text.size(), v);
      return Currency(static_cast<Extended>(v)).Value;
    }
    __int128 value = 0;
    for (; i < text.size() && text[i] != '.'; ++i) {
      value = value * 10 + (text[i] - '0');
      if (value > static_cast<__int128>(INT64_MAX)) p_.Error(u"Invalid currency value");
    }
    int decimals = 0;
    int next = -1;
    bool restNonZero = false;
    if (i < text.size() && text[i] == '.') {
      for (++i; i < text.size(); ++i) {
        int d = text[i] - '0';
        if (decimals < 4) {
          value = value * 10 + d;
          ++decimals;
        } else if (next < 0) {
          next = d;
        } else if (d != 0) {
          restNonZero = true;
        }
      }
    }
    for (; decimals < 4; ++decimals) value *= 10;
    if (next > 5 || (next == 5 && (restNonZero || (value & 1)))) ++value;
    if (value > static_cast<__int128>(INT64_MAX)) p_.Error(u"Invalid currency value");
    return static_cast<Int64>(negative ? -value : value);
  }

  void ConvertValue() {
    if (p_.IsChar(u'-')) {
      p_.Next();
      if (p_.Kind() == tkInteger)
        w_.WriteInteger(IntegerValue(true));
      else if (p_.Kind() == tkFloat)
        FloatValue(true);
      else
        p_.Error(u"Number expected");
      p_.Next();
      return;
    }
    switch (p_.Kind()) {
      case tkInteger:
        w_.WriteInteger(IntegerValue(false));
        p_.Next();
        return;
      case tkFloat:
        FloatValue(false);
        p_.Next();
        return;
      case tkString: {
        String s = p_.StringValue();
        p_.Next();
        while (p_.IsChar(u'+')) {
          p_.Next();
          if (p_.Kind() != tkString) p_.Error(u"String expected");
          s += p_.StringValue();
          p_.Next();
        }
        w_.WriteString(s);
        return;
      }
      case tkSymbol: {
        String ident = p_.Text();
        p_.Next();
        while (p_.IsChar(u'.')) {
          p_.Next();
          p_.ExpectSymbol();
          ident += u"." + p_.Text();
          p_.Next();
        }
        w_.WriteIdent(ident);
        return;
      }
      case tkChar:
        break;
      case tkEOF:
        p_.Error(u"Property value expected");
    }
    Enter();
    switch (p_.Ch()) {
      case u'[':
        p_.Next();
        w_.WriteValue(vaSet);
        if (!p_.IsChar(u']')) {
          while (true) {
            p_.ExpectSymbol();
            w_.WriteStr(p_.Text());
            p_.Next();
            if (p_.IsChar(u']')) break;
            p_.ExpectChar(u',');
            p_.Next();
          }
        }
        w_.WriteStr(String());
        p_.Next();
        break;
      case u'(':
        p_.Next();
        w_.WriteListBegin();
        while (!p_.IsChar(u')')) ConvertValue();
        w_.WriteListEnd();
        p_.Next();
        break;
      case u'{':
        w_.WriteBinary(HexBytes(p_.ReadUntil(u'}')));
        p_.Next();
        break;
      case u'<':
        p_.Next();
        w_.WriteValue(vaCollection);
        while (!p_.IsChar(u'>')) {
          if (!p_.IsSymbol(u"item")) p_.Error(u"'item' expected");
          p_.Next();
          if (p_.IsChar(u'[')) {
            p_.Next();
            w_.WriteInteger(IntegerValue(false));
            p_.Next();
            p_.ExpectChar(u']');
            p_.Next();
          }
          w_.WriteListBegin();
          while (!p_.IsSymbol(u"end")) ConvertProperty();
          w_.WriteListEnd();
          p_.Next();
        }
        w_.WriteListEnd();
        p_.Next();
        break;
      default:
        p_.Error(u"Property value expected");
    }
    --depth_;
  }

  TBytes HexBytes(const String& raw) {
    TBytes bytes;
    int high = -1;
    for (Char c : raw) {
      if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') continue;
      int d = -1;
      if (c >= u'0' && c <= u'9')
        d = c - u'0';
      else if (c >= u'a' && c <= u'f')
        d = c - u'a' + 10;
      else if (c >= u'A' && c <= u'F')
        d = c - u'A' + 10;
      if (d < 0) p_.Error(u"Invalid binary value");
      if (high < 0) {
        high = d;
      } else {
        bytes.push_back(static_cast<Byte>(high * 16 + d));
        high = -1;
      }
    }
    if (high >= 0) p_.Error(u"Invalid binary value");
    return bytes;
  }

  TextParser& p_;
  TWriter& w_;
  int depth_ = 0;
};

String DecodeText(const std::string& bytes) {
  std::string_view view(bytes);
  const TEncoding* encoding = nullptr;
  int mark = TEncoding::GetBufferEncoding(view, encoding, nullptr);
  view.remove_prefix(static_cast<size_t>(mark));
  if (mark == 0) encoding = IsValidUtf8(view) ? TEncoding::UTF8() : TEncoding::Default();
  return encoding->GetString(view);
}
}  // namespace

void ObjectTextToBinary(TStream* input, TStream* output) {
  TBytes raw = input->ReadAllBytes();
  TextParser parser(DecodeText(std::string(raw.begin(), raw.end())));
  TWriter writer(output, 4096);
  TextToBinary(parser, writer).Run();
  writer.FlushBuffer();
}

// ======================= Binary to text =======================

namespace {
template <class F>
std::string ShortestFloat(F v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, r.ptr);
  if (s.find_first_of("ni") != std::string::npos) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
  }
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

String CurrencyText(Int64 raw) {
  bool negative = raw < 0;
  UInt64 magnitude = negative ? 0 - static_cast<UInt64>(raw) : static_cast<UInt64>(raw);
  std::string s = std::to_string(magnitude / 10000);
  UInt64 frac = magnitude % 10000;
  if (frac != 0) {
    std::string f = std::to_string(frac + 10000).substr(1);
    while (!f.empty() && f.back() == '0') f.pop_back();
    s += "." + f;
  }
  return Utf8ToString((negative ? "-" : "") + s);
}

class BinaryToText {
 public:
  BinaryToText(TReader& reader, String& out) : r_(reader), out_(out) {}

  void Run() {
    r_.ReadSignature();
    ConvertObject(0);
  }

 private:
  void Enter() {
    if (++depth_ > kMaxDepth) throw EReadError(u"Invalid stream format");
  }

  void Line(int indent, const String& text) {
    out_.append(static_cast<size_t>(indent), u' ');
    out_ += text;
    out_ += u"\r\n";
  }

  void ConvertObject(int indent) {
    Enter();
    TFilerFlags flags;
    Integer childPos = 0;
    r_.ReadPrefix(flags, childPos);
    String className = r_.ReadStr();
    String name = r_.ReadStr();
    String header = flags.Contains(ffInherited) ? u"inherited "
                    : flags.Contains(ffInline)  ? u"inline "
                                                : u"object ";
    if (!name.empty()) header += name + u": ";
    header += className;
    if (flags.Contains(ffChildPos)) header += u" [" + IntToStr(childPos) + u"]";
    Line(indent, header);
    while (!r_.EndOfList()) ConvertProperty(indent + 2);
    r_.ReadListEnd();
    while (!r_.EndOfList()) ConvertObject(indent + 2);
    r_.ReadListEnd();
    Line(indent, u"end");
    --depth_;
  }

  void ConvertProperty(int indent) {
    String name = r_.ReadStr();
    out_.append(static_cast<size_t>(indent), u' ');
    out_ += name + u" = ";
    ConvertValue(indent);
    out_ += u"\r\n";
  }

  // Writes the value from the current column; multi-line values continue at indent + 2.
  void ConvertValue(int indent) {
    switch (r_.NextValue()) {
      case vaList: {
        Enter();
        r_.ReadListBegin();
        out_ += u"(";
        while (!r_.EndOfList()) {
          out_ += u"\r\n";
          out_.append(static_cast<size_t>(indent) + 2, u' ');
          ConvertValue(indent + 2);
        }
        r_.ReadListEnd();
        out_ += u")";
        --depth_;
        return;
      }
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        out_ += IntToStr(r_.ReadInt64());
        return;
      case vaExtended:
        out_ += Utf8ToString(ShortestFloat(r_.ReadFloat()));
        return;
      case vaDouble:
        out_ += Utf8ToString(ShortestFloat(r_.ReadDouble())) + u"f";
        return;
      case vaSingle:
        out_ += Utf8ToString(ShortestFloat(r_.ReadSingle())) + u"s";
        return;
      case vaDate:
        out_ += Utf8ToString(ShortestFloat(r_.ReadDouble())) + u"d";
        return;
      case vaCurrency:
        out_ += CurrencyText(r_.ReadCurrency().Value) + u"c";
        return;
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String:
        WriteStringLiteral(r_.ReadString(), indent);
        return;
      case vaIdent:
      case vaFalse:
      case vaTrue:
      case vaNil:
      case vaNull:
        out_ += r_.ReadIdent();
        return;
      case vaBinary:
        WriteBinary(r_.ReadBinary(), indent);
        return;
      case vaSet: {
        r_.ReadValue();
        out_ += u"[";
        bool first = true;
        for (String element = r_.ReadStr(); !element.empty(); element = r_.ReadStr()) {
          if (!first) out_ += u", ";
          out_ += element;
          first = false;
        }
        out_ += u"]";
        return;
      }
      case vaCollection: {
        Enter();
        r_.ReadValue();
        out_ += u"<";
        while (!r_.EndOfList()) {
          out_ += u"\r\n";
          out_.append(static_cast<size_t>(indent) + 2, u' ');
          out_ += u"item";
          if (r_.NextValue() != vaList) out_ += u" [" + IntToStr(r_.ReadInt64()) + u"]";
          out_ += u"\r\n";
          r_.ReadListBegin();
          while (!r_.EndOfList()) ConvertProperty(indent + 4);
          r_.ReadListEnd();
          out_.append(static_cast<size_t>(indent) + 2, u' ');
          out_ += u"end";
        }
        r_.ReadListEnd();
        out_ += u">";
        --depth_;
        return;
      }
      default:
        throw EReadError(u"Invalid property value");
    }
  }

  // Printable characters in quotes (a quote doubled), the rest as #code; long text is split into
  // lines of 64 characters joined by '+'.
  void WriteStringLiteral(const String& s, int indent) {
    if (s.empty()) {
      out_ += u"''";
      return;
    }
    constexpr size_t kLine = 64;
    bool quoted = false;
    size_t column = 0;
    for (size_t i = 0; i < s.size(); ++i) {
      if (column >= kLine && !(IsLowSurrogate(s[i]) && i > 0 && IsHighSurrogate(s[i - 1]))) {
        if (quoted) out_ += u'\'';
        quoted = false;
        out_ += u" +\r\n";
        out_.append(static_cast<size_t>(indent) + 2, u' ');
        column = 0;
      }
      Char c = s[i];
      bool pairedHigh = IsHighSurrogate(c) && i + 1 < s.size() && IsLowSurrogate(s[i + 1]);
      bool pairedLow = IsLowSurrogate(c) && i > 0 && IsHighSurrogate(s[i - 1]);
      bool printable = c >= u' ' && c != 0x7F && (!IsSurrogate(c) || pairedHigh || pairedLow);
      if (printable) {
        if (!quoted) out_ += u'\'';
        quoted = true;
        if (c == u'\'') out_ += u'\'';
        out_ += c;
      } else {
        if (quoted) out_ += u'\'';
        quoted = false;
        out_ += u"#" + IntToStr(static_cast<int>(c));
      }
      ++column;
    }
    if (quoted) out_ += u'\'';
  }

  void WriteBinary(const TBytes& bytes, int indent) {
    static const char* kHex = "0123456789ABCDEF";
    out_ += u"{";
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (i % 32 == 0) {
        out_ += u"\r\n";
        out_.append(static_cast<size_t>(indent) + 2, u' ');
      }
      out_ += static_cast<Char>(kHex[bytes[i] >> 4]);
      out_ += static_cast<Char>(kHex[bytes[i] & 15]);
    }
    out_ += u"}";
  }

  TReader& r_;
  String& out_;
  int depth_ = 0;
};
}  // namespace

void ObjectBinaryToText(TStream* input, TStream* output) {
  String text;
  {
    TReader reader(input, 4096);
    BinaryToText(reader, text).Run();
  }
  std::string bytes = StringToUtf8(text);
  output->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}
