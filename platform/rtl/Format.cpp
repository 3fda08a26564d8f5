// Format: walks the format string, reads each specifier and formats its argument. Floating values go
// through FloatToStrF, Currency values through the exact decimal formatter.
#include "platform/rtl/Format.h"

#include <algorithm>

#include "platform/rtl/Currency.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Strings.h"

TVarRec::TVarRec(const Currency& v) : kind_(vtCurrency), int_(v.Value) {}

namespace {

// Widths and precisions beyond this are taken as a broken format rather than a request for megabytes.
constexpr int kMaxWidth = 1 << 20;
constexpr int kMaxCurrencyPrecision = 19;
constexpr int kDefaultFloatPrecision = 15;
constexpr int kDefaultDecimals = 2;
// %e shows at least three exponent digits; %g is the general form of FloatToStr ("1,5E20").
constexpr int kExponentDigits = 3;

class Formatter {
 public:
  Formatter(const String& format, const TVarRec* args, size_t count, const TFormatSettings& settings)
      : format_(format), args_(args), count_(count), settings_(settings) {}

  String Run() {
    while (pos_ < format_.size()) {
      const Char c = format_[pos_++];
      if (c != u'%') {
        out_ += c;
      } else if (Peek() == u'%') {
        ++pos_;
        out_ += u'%';
      } else {
        FormatOne();
      }
    }
    return std::move(out_);
  }

 private:
  struct Spec {
    bool left = false;
    int width = -1;
    int precision = -1;
    Char type = 0;
  };

  [[noreturn]] void Invalid() const {
    throw EConvertError(u"Format '" + format_ + u"' invalid or incompatible with argument");
  }
  [[noreturn]] void NoArgument() const { throw EConvertError(u"No argument for format '" + format_ + u"'"); }

  Char Peek() const { return pos_ < format_.size() ? format_[pos_] : Char(0); }

  const TVarRec& NextArg() {
    if (argIndex_ >= count_) NoArgument();
    return args_[argIndex_++];
  }

  // Reads digits or '*' (the value taken from the next argument); false when neither is there.
  bool ReadNumber(int& value) {
    if (Peek() == u'*') {
      ++pos_;
      const TVarRec& arg = NextArg();
      if (arg.Kind() != TVarRec::vtInteger && arg.Kind() != TVarRec::vtInt64) Invalid();
      value = static_cast<int>(std::clamp<Int64>(arg.AsInt64(), 0, kMaxWidth));
      return true;
    }
    if (Peek() < u'0' || Peek() > u'9') return false;
    value = 0;
    while (Peek() >= u'0' && Peek() <= u'9') {
      value = value * 10 + (format_[pos_++] - u'0');
      if (value > kMaxWidth) Invalid();
    }
    return true;
  }

  Spec ReadSpec() {
    Spec spec;
    int first;
    bool haveFirst = ReadNumber(first);
    if (haveFirst && Peek() == u':') {
      ++pos_;
      argIndex_ = static_cast<size_t>(first);
      haveFirst = false;
    }
    if (haveFirst) {
      spec.width = first;
    } else {
      if (Peek() == u'-') {
        ++pos_;
        spec.left = true;
      }
      ReadNumber(spec.width);
    }
    if (Peek() == u'.') {
      ++pos_;
      if (!ReadNumber(spec.precision)) spec.precision = 0;
    }
    if (pos_ >= format_.size()) Invalid();
    Char type = format_[pos_++];
    if (type >= u'A' && type <= u'Z') type += 32;
    spec.type = type;
    return spec;
  }

  void FormatOne() {
    const Spec spec = ReadSpec();
    String text;
    switch (spec.type) {
      case u'd':
      case u'u':
      case u'x':
        text = FormatInteger(spec, NextArg());
        break;
      case u'e':
      case u'f':
      case u'g':
      case u'n':
      case u'm':
        text = FormatFloating(spec, NextArg());
        break;
      case u'p':
        text = FormatPointer(NextArg());
        break;
      case u's':
        text = FormatString(spec, NextArg());
        break;
      default:
        Invalid();
    }
    Pad(spec, text);
  }

  void Pad(const Spec& spec, const String& text) {
    const int fill = std::max(0, spec.width - Length(text));
    if (!spec.left) out_.append(fill, u' ');
    out_ += text;
    if (spec.left) out_.append(fill, u' ');
  }

  String FormatInteger(const Spec& spec, const TVarRec& arg) {
    bool negative = false;
    UInt64 magnitude;
    switch (arg.Kind()) {
      case TVarRec::vtInteger:
      case TVarRec::vtInt64: {
        const Int64 v = arg.AsInt64();
        if (spec.type == u'd') {
          negative = v < 0;
          magnitude = negative ? UInt64(0) - static_cast<UInt64>(v) : static_cast<UInt64>(v);
        } else if (arg.Kind() == TVarRec::vtInteger) {
          // %u and %x show a negative Integer as its 32-bit pattern.
          magnitude = static_cast<Cardinal>(static_cast<Integer>(v));
        } else {
          magnitude = static_cast<UInt64>(v);
        }
        break;
      }
      case TVarRec::vtUInt64:
        magnitude = arg.AsUInt64();
        break;
      default:
        Invalid();
    }
    String digits = spec.type == u'x' ? IntToHex(magnitude, 0) : IntToStr(magnitude);
    if (spec.precision > Length(digits)) digits.insert(0, spec.precision - digits.size(), u'0');
    return negative ? u"-" + digits : digits;
  }

  String FormatFloating(const Spec& spec, const TVarRec& arg) {
    TFloatFormat format;
    int precision;
    int digits;
    const bool currency = arg.Kind() == TVarRec::vtCurrency;
    const int maxPrecision = currency ? kMaxCurrencyPrecision : kMaxBinaryPrecision;
    if (spec.type == u'e' || spec.type == u'g') {
      format = spec.type == u'e' ? ffExponent : ffGeneral;
      precision = spec.precision < 0 ? kDefaultFloatPrecision : std::clamp(spec.precision, 1, maxPrecision);
      digits = spec.type == u'e' ? kExponentDigits : 0;
    } else {
      format = spec.type == u'f' ? ffFixed : (spec.type == u'n' ? ffNumber : ffCurrency);
      precision = maxPrecision;
      const int fallback = spec.type == u'm' ? settings_.CurrencyDecimals : kDefaultDecimals;
      digits = spec.precision < 0 ? fallback : std::min(spec.precision, kMaxBinaryPrecision);
    }
    if (currency) {
      return DecimalToStrF(CurrToDecimal(Currency::FromRaw(arg.AsInt64())), format, precision, digits,
                           settings_);
    }
    if (arg.Kind() != TVarRec::vtExtended) Invalid();
    return FloatToStrF(arg.AsExtended(), format, precision, digits, settings_);
  }

  String FormatPointer(const TVarRec& arg) {
    if (arg.Kind() != TVarRec::vtPointer) Invalid();
    return IntToHex(static_cast<UInt64>(reinterpret_cast<std::uintptr_t>(arg.AsPointer())),
                    static_cast<int>(sizeof(void*) * 2));
  }

  String FormatString(const Spec& spec, const TVarRec& arg) {
    String text;
    switch (arg.Kind()) {
      case TVarRec::vtUnicodeString:
      case TVarRec::vtPWideChar:
        text = arg.AsString();
        break;
      case TVarRec::vtChar:
        text = String(1, arg.AsChar());
        break;
      case TVarRec::vtAnsiString:
        // Display text: a stray byte must not stop the message that shows it.
        text = Cp1251ToStringLenient(arg.AsAnsiString().Bytes());
        break;
      default:
        Invalid();
    }
    if (spec.precision >= 0 && spec.precision < Length(text)) {
      size_t cut = spec.precision;
      // Never split a surrogate pair.
      if (cut > 0 && IsHighSurrogate(text[cut - 1]) && IsLowSurrogate(text[cut])) --cut;
      text.resize(cut);
    }
    return text;
  }

  const String& format_;
  const TVarRec* args_;
  size_t count_;
  const TFormatSettings& settings_;
  size_t pos_ = 0;
  size_t argIndex_ = 0;
  String out_;
};

}  // namespace

String Format(const String& format, std::initializer_list<TVarRec> args) {
  return Formatter(format, args.begin(), args.size(), FormatSettings).Run();
}

String Format(const String& format, const std::vector<TVarRec>& args) {
  return Formatter(format, args.data(), args.size(), FormatSettings).Run();
}

String Format(const String& format, std::initializer_list<TVarRec> args, const TFormatSettings& settings) {
  return Formatter(format, args.begin(), args.size(), settings).Run();
}

String Format(const String& format, const std::vector<TVarRec>& args, const TFormatSettings& settings) {
  return Formatter(format, args.data(), args.size(), settings).Run();
}
