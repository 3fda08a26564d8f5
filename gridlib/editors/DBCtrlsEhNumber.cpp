// The number edit: typed characters kept a number, edit and display formats, bounds, rounding, stepping
// and the calculator drop-down.
#include <cmath>

#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"

// ---- Number text routines ----

String NormalizeNumberTextEh(const String& text) {
  const Char dec = FormatSettings.DecimalSeparator;
  const Char alt = GetGridLibManager()->GetAltDecimalSeparator();
  const Char thousand = FormatSettings.ThousandSeparator;
  const bool altCounts = text.find(dec) == String::npos && std::count(text.begin(), text.end(), alt) == 1;
  String result;
  bool sign = false, digit = false, exponent = false;
  Char previous = 0;
  for (const Char c : text) {
    if (c == dec || (altCounts && c == alt)) {
      result += c;
    } else if (c == u'+' || c == u'-') {
      // One sign before the digits, and one right after the exponent letter (1,5E-3).
      if ((!sign && !digit) || previous == u'E' || previous == u'e') result += c;
      if (!exponent) sign = true;
    } else if ((c == u'E' || c == u'e') && !exponent) {
      result += c;
      exponent = true;
    } else if (c >= u'0' && c <= u'9') {
      result += c;
      digit = true;
    }
    previous = c;
  }
  if (thousand != dec) result.erase(std::remove(result.begin(), result.end(), thousand), result.end());
  if (altCounts && alt != dec && alt != thousand) std::replace(result.begin(), result.end(), alt, dec);
  return result;
}

bool TextToNumberEh(const String& text, Extended& value) {
  const Char dec = FormatSettings.DecimalSeparator;
  for (const Char c : text)
    if (c != dec && c != u'+' && c != u'-' && c != u'E' && c != u'e' && (c < u'0' || c > u'9')) return false;
  if (text == u"+" || text == u"-") {
    value = 0;
    return true;
  }
  if (!TryStrToFloat(text.substr(0, 127), value)) return false;
  // An exponent beyond the range of a double is no number the field could hold.
  return std::isfinite(static_cast<double>(value));
}

String InsertThousandSeparatorsEh(const String& text, bool withSeparators) {
  String sign, rest = text;
  if (!rest.empty() && (rest[0] == u'+' || rest[0] == u'-')) {
    sign = rest.substr(0, 1);
    rest = rest.substr(1);
  }
  size_t end = rest.find(FormatSettings.DecimalSeparator);
  end = std::min(end, rest.find_first_of(u"Ee"));
  if (end == String::npos) end = rest.size();
  const String integer = rest.substr(0, end);
  String grouped;
  int count = 0;
  for (size_t i = integer.size(); i-- > 0;) {
    grouped.insert(grouped.begin(), integer[i]);
    if (withSeparators && ++count % 3 == 0 && i > 0)
      grouped.insert(grouped.begin(), FormatSettings.ThousandSeparator);
  }
  return sign + grouped + rest.substr(end);
}

String EditFormatFromDisplayFormatEh(const String& format) {
  String result;
  Char quote = 0;
  bool eSeen = false, signSeen = false;
  int skippedZeros = 0;
  for (const Char c : format) {
    if (c == u'"' || c == u'\'') {
      quote = (quote == c) ? 0 : (quote ? quote : c);
      eSeen = signSeen = false;
      continue;
    }
    if (quote) continue;
    if (c == u'0' && signSeen) {
      if (skippedZeros == 4) break;
      ++skippedZeros;
      eSeen = signSeen = false;
      continue;
    }
    if (c == u'#' || c == u',' || c == u'.' || c == u'0') {
      result += c;
    } else if (c == u'E' || c == u'e') {
      eSeen = true;
      signSeen = false;
    } else if (c == u'+' && eSeen) {
      signSeen = true;
      eSeen = false;
    } else if (c == u';') {
      break;
    } else {
      eSeen = signSeen = false;
    }
  }
  return result;
}

// ---- The editor ----

TCustomDBNumberEditEh::TCustomDBNumberEditEh(TComponent* owner) : TCustomDBEditEh(owner) {
  SetMainEditButton(new TDropDownEditButtonEh(this, 0));
  SetMaxLength(0);
  UpdateWindowAlignment();
  DataChanged();
}

// Closing an open drop-down without accepting writes nothing; a failing close is reported.
TCustomDBNumberEditEh::~TCustomDBNumberEditEh() {
  RunReportingFailure(this, [this] { CloseUp(false); });
}

TAlignment TCustomDBNumberEditEh::DefaultAlignment() const {
  TField* field = GetField();
  return field ? field->GetAlignment() : taRightJustify;
}

String TCustomDBNumberEditEh::GetDisplayFormat() const {
  if (assignedValues_.Contains(evDisplayFormatEh)) return displayFormat_;
  if (auto* numeric = dynamic_cast<TNumericField*>(GetField())) return numeric->GetDisplayFormat();
  if (auto* aggregate = dynamic_cast<TAggregateField*>(GetField())) return aggregate->GetDisplayFormat();
  return String();
}

void TCustomDBNumberEditEh::SetDisplayFormat(const String& value) {
  if (assignedValues_.Contains(evDisplayFormatEh) && value == displayFormat_) return;
  displayFormat_ = value;
  assignedValues_.Include(evDisplayFormatEh);
  DataChanged();
}

bool TCustomDBNumberEditEh::GetCurrency() const {
  if (assignedValues_.Contains(evCurrencyEh)) return currency_;
  if (auto* f = dynamic_cast<TFloatField*>(GetField())) return f->GetCurrency();
  if (auto* f = dynamic_cast<TBCDField*>(GetField())) return f->GetCurrency();
  return false;
}

void TCustomDBNumberEditEh::SetCurrency(bool value) {
  if (assignedValues_.Contains(evCurrencyEh) && value == currency_) return;
  currency_ = value;
  assignedValues_.Include(evCurrencyEh);
  DataChanged();
}

void TCustomDBNumberEditEh::SetDecimalPlaces(Integer value) {
  if (value == decimalPlaces_) return;
  decimalPlaces_ = std::max<Integer>(value, 0);
  DataChanged();
}

Extended TCustomDBNumberEditEh::GetMaxValue() const {
  if (assignedValues_.Contains(evMaxValueEh)) return maxValue_;
  if (auto* f = dynamic_cast<TIntegerField*>(GetField())) return f->GetMaxValue();
  if (auto* f = dynamic_cast<TFloatField*>(GetField())) return f->GetMaxValue();
  return 0;
}

Extended TCustomDBNumberEditEh::GetMinValue() const {
  if (assignedValues_.Contains(evMinValueEh)) return minValue_;
  if (auto* f = dynamic_cast<TIntegerField*>(GetField())) return f->GetMinValue();
  if (auto* f = dynamic_cast<TFloatField*>(GetField())) return f->GetMinValue();
  return 0;
}

void TCustomDBNumberEditEh::SetMaxValue(Extended value) {
  maxValue_ = value;
  assignedValues_.Include(evMaxValueEh);
}

void TCustomDBNumberEditEh::SetMinValue(Extended value) {
  minValue_ = value;
  assignedValues_.Include(evMinValueEh);
}

bool TCustomDBNumberEditEh::ValueInBounds(Extended x) const {
  const Extended lo = GetMinValue(), hi = GetMaxValue();
  if (lo < hi) return x >= lo && x <= hi;
  if (lo > hi && hi == 0) return x >= lo;
  if (lo > hi && lo == 0) return x <= hi;
  return true;
}

Extended TCustomDBNumberEditEh::RoundValue(Extended x) const {
  if (decimalPlaces_ > 37) return x;
  const long double scale = std::pow(10.0L, static_cast<long double>(decimalPlaces_));
  const long double scaled = static_cast<long double>(x) * scale;
  // Beyond a 64-bit integer the value has no decimals left to round.
  if (!(std::fabs(scaled) < 9.2e18L)) return x;
  return static_cast<Extended>(static_cast<long double>(std::llrint(scaled)) / scale);
}

Extended TCustomDBNumberEditEh::ClampAndRoundValue(Extended x) const {
  const Extended lo = GetMinValue(), hi = GetMaxValue();
  if (lo < hi)
    x = std::clamp(x, lo, hi);
  else if (lo > hi && hi == 0)
    x = std::max(x, lo);
  else if (lo > hi && lo == 0)
    x = std::min(x, hi);
  return RoundValue(x);
}

String TCustomDBNumberEditEh::FormatDisplayValue(Extended x) const {
  const String format = GetDisplayFormat();
  if (!format.empty()) return FormatFloat(format, x);
  if (GetCurrency())
    return CurrToStrF(Currency(static_cast<double>(x)), ffCurrency, FormatSettings.CurrencyDecimals);
  return FloatToStr(x);
}

String TCustomDBNumberEditEh::GetDisplayText() const {
  return value_.IsNull() ? String() : FormatDisplayValue(value_.AsDouble());
}

bool TCustomDBNumberEditEh::IsValidChar(Char key) const {
  const Char dec = FormatSettings.DecimalSeparator;
  const String text = GetEditText();
  const Integer selStart = GetSelStart(), selLength = GetSelLength();
  if (selLength == 0 && key >= u'0' && key <= u'9') {
    Integer digits = 0;
    for (const Char c : text) {
      if (c == dec) break;
      if (c >= u'0' && c <= u'9') ++digits;
    }
    if (digits >= 17 - decimalPlaces_) return false;
  }
  if (key == dec && decimalPlaces_ == 0) return false;
  String s = text.substr(0, static_cast<size_t>(selStart)) + key +
             text.substr(std::min(text.size(), static_cast<size_t>(selStart + selLength)));
  s = NormalizeNumberTextEh(s);
  const size_t point = s.find(dec);
  if (point != String::npos) {
    Integer fraction = 0;
    for (size_t i = point + 1; i < s.size() && s[i] != u'E' && s[i] != u'e'; ++i) ++fraction;
    if (fraction > decimalPlaces_) return false;
  }
  if (s.empty()) return true;
  Extended number = 0;
  // An exponent still being typed ("1E", "1E-") is on its way to a number.
  const bool exponentOpen = s.back() == u'E' || s.back() == u'e' ||
                            (s.size() > 1 && (s.back() == u'-' || s.back() == u'+') &&
                             (s[s.size() - 2] == u'E' || s[s.size() - 2] == u'e'));
  if (!exponentOpen && !TextToNumberEh(s, number)) return false;
  if (GetMinValue() >= 0 && GetMaxValue() > 0 && s[0] == u'-' && s != u"-") return false;
  if (TField* field = GetField(); field && key >= 32 && !field->IsValidChar(key)) return false;
  return true;
}

void TCustomDBNumberEditEh::FormatEditText(const String& text) {
  const Integer caret = GetSelStart();
  const Integer length = static_cast<Integer>(GetEditText().size());
  String s = text;
  if (!s.empty() && s != u"-") s = NormalizeNumberTextEh(s);
  if (editFormat_.find(u',') != String::npos) s = InsertThousandSeparatorsEh(s, true);
  if (s == GetEditText()) return;
  ownTextSetting_ = true;
  try {
    SetOwnEditText(s);
  } catch (...) {
    ownTextSetting_ = false;
    throw;
  }
  ownTextSetting_ = false;
  if (Focused()) SetSelStart(std::max<Integer>(0, caret + static_cast<Integer>(s.size()) - length));
}

void TCustomDBNumberEditEh::UpdateValueFromText() {
  const String s = NormalizeNumberTextEh(GetEditText());
  if (s.empty()) {
    value_ = Variant::Null();
    return;
  }
  Extended number = 0;
  if (!TextToNumberEh(s, number)) return;
  // What the user typed stays what the value is: a value out of bounds is refused when written, not
  // quietly replaced by the bound.
  value_ = Variant(static_cast<double>(RoundValue(number)));
}

void TCustomDBNumberEditEh::Change() {
  if (!ownTextSetting_ && !GetInternalTextSetting()) {
    FormatEditText(GetEditText());
    UpdateValueFromText();
  }
  TCustomDBEditEh::Change();
}

void TCustomDBNumberEditEh::InternalSetText(const String& text) {
  if (text.empty()) {
    InternalSetValue(Variant::Null());
    return;
  }
  Extended number = 0;
  if (!TextToNumberEh(NormalizeNumberTextEh(text), number))
    throw EConvertError(u"'" + text + u"' is not a valid floating point value");
  InternalSetValue(Variant(static_cast<double>(number)));
}

void TCustomDBNumberEditEh::InternalSetValue(const Variant& value) {
  ownTextSetting_ = true;
  try {
    if (value.IsNull() || value.IsEmpty()) {
      value_ = Variant::Null();
      SetOwnEditText(String());
    } else {
      value_ = Variant(value.AsDouble());
      if (GetFocusedFlag() && GetDataLink()->CanModify()) {
        const double x = value_.AsDouble();
        ownTextSetting_ = false;
        FormatEditText(editFormat_.empty() ? FloatToStr(x) : FormatFloat(editFormat_, x));
      } else {
        SetOwnEditText(GetDisplayText());
      }
    }
  } catch (...) {
    ownTextSetting_ = false;
    throw;
  }
  ownTextSetting_ = false;
}

void TCustomDBNumberEditEh::DataChanged() {
  const String display = GetDisplayFormat();
  editFormat_ = display.empty() && GetCurrency()
                    ? u",#." + String(static_cast<size_t>(FormatSettings.CurrencyDecimals), u'0')
                    : EditFormatFromDisplayFormatEh(display);
  const Variant value = ReadFieldValue([](TField* field) { return field->GetAsVariant(); });
  UpdateWindowAlignment();
  InternalSetValue(value);
  UpdateEditReadOnly();
  SetModified(false);
}

void TCustomDBNumberEditEh::PostEditTextToField() {
  if (!value_.IsNull() && !ValueInBounds(value_.AsDouble())) {
    const Extended lo = GetMinValue(), hi = GetMaxValue();
    TGridLibLanguageConsts* texts = GetGridLibLanguageConsts();
    String range;
    if (lo < hi)
      range = Format(texts->GetRangeFromToEh(), {FloatToStr(lo), FloatToStr(hi)});
    else if (hi == 0)
      range = Format(texts->GetRangeNotLessEh(), {FloatToStr(lo)});
    else
      range = Format(texts->GetRangeNotGreaterEh(), {FloatToStr(hi)});
    throw EDBEditError(Format(texts->GetValueOutOfRangeEh(), {FloatToStr(value_.AsDouble()), range}));
  }
  GetDataLink()->SetValue(value_);
}

void TCustomDBNumberEditEh::IncrementValue(bool increase) {
  if (increment_ == 0 || !EditCanModify()) return;
  Extended x = value_.IsNull() ? increment_ : value_.AsDouble() + (increase ? increment_ : -increment_);
  InternalSetValue(Variant(static_cast<double>(ClampAndRoundValue(x))));
  GetDataLink()->Modified();
  SetModified(true);
  if (Focused()) SelectAll();
}

void TCustomDBNumberEditEh::KeyDown(Word& key, TShiftState shift) {
  if (calculatorVisible_ && (key == VK_ESCAPE || key == VK_RETURN)) {
    CloseUp(key == VK_RETURN);
    key = 0;
    return;
  }
  TCustomDBEditEh::KeyDown(key, shift);
  if ((key == VK_UP || key == VK_DOWN) && !GetReadOnly()) {
    IncrementValue(key == VK_UP);
    key = 0;
  }
}

void TCustomDBNumberEditEh::KeyPress(Char& key) {
  const Char thousand = FormatSettings.ThousandSeparator;
  if (key == u'\b' && GetSelLength() == 0 && GetSelStart() > 0 &&
      GetEditText()[static_cast<size_t>(GetSelStart() - 1)] == thousand) {
    SetSelStart(GetSelStart() - 1);
    key = 0;
    return;
  }
  if (key == u',' || key == u'.') key = FormatSettings.DecimalSeparator;
  if (key >= 32 && !IsValidChar(key)) {
    key = 0;
    return;
  }
  TCustomDBEditEh::KeyPress(key);
}

void TCustomDBNumberEditEh::DropDown() {
  if (calculatorVisible_) return;
  TClass cls = GetGridLibManager()->GetPopupCalculatorClass();
  if (!cls) throw EInvalidOperation(u"No calculator is registered with the grid library manager");
  if (OnDropDown) OnDropDown(this);
  if (!dropDownCalculator_) dropDownCalculator_ = cls->Create<TWinControl>(this);
  auto* calculator = dynamic_cast<IPopupCalculatorEh*>(dropDownCalculator_);
  if (!calculator)
    throw EInvalidOperation(u"The registered calculator does not offer the calculator interface");
  calculator->SetValue(value_.IsNull() ? Variant(0.0) : value_);
  calculator->SetFlat(GetFlat());
  calculator->SetTextHeight(Variant(GetFontTextHeightEh(nullptr, TControl::GetFont(), true)));
  TPoint pos;
  PlacePopupUnderControlEh(this, dropDownCalculator_,
                           UseRightToLeftAlignment() ? taRightJustify : taLeftJustify, pos);
  calculatorVisible_ = true;
  calculator->Show(pos, [this](TObject*, bool accept) { CloseUp(accept); });
}

void TCustomDBNumberEditEh::CloseUp(bool accept) {
  if (!calculatorVisible_ || closingCalculator_) return;
  closingCalculator_ = true;
  calculatorVisible_ = false;
  auto* calculator = dynamic_cast<IPopupCalculatorEh*>(dropDownCalculator_);
  if (calculator && !GetComponentState().Contains(csDestroying)) {
    const Variant result = calculator->GetValue();
    calculator->Hide();
    if (accept && !GetReadOnly() && GetDataLink()->Edit() && VarIsNumeric(result)) {
      InternalSetValue(result);
      GetDataLink()->Modified();
      SetModified(true);
      if (Focused()) SelectAll();
    }
  }
  closingCalculator_ = false;
  ClearDroppedDownState();
  if (OnCloseUp) OnCloseUp(this, accept);
}
