// Process-wide locale settings: the fixed Russian profile, whatever the Linux locale says.
#pragma once

#include <array>

#include "platform/rtl/Types.h"

struct TFormatSettings {
  Char DecimalSeparator;
  Char ThousandSeparator;
  Char DateSeparator;
  Char TimeSeparator;
  Char ListSeparator;
  String ShortDateFormat;
  String LongDateFormat;
  String ShortTimeFormat;
  String LongTimeFormat;
  String TimeAMString;
  String TimePMString;
  String CurrencyString;
  Byte CurrencyFormat;  // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  Byte NegCurrFormat;   // 0..15 as the class library numbers them
  Byte CurrencyDecimals;
  Word TwoDigitYearCenturyWindow;
  // Month tables start with January, day tables with Sunday; index 0 is the first entry.
  std::array<String, 12> ShortMonthNames;
  std::array<String, 12> LongMonthNames;
  // Long month names as they read after a day number ("5 марта"); empty entries fall back to
  // LongMonthNames.
  std::array<String, 12> LongMonthNamesGenitive;
  std::array<String, 7> ShortDayNames;
  std::array<String, 7> LongDayNames;

  static TFormatSettings Russian();
};

// Locale facts the libraries ask the system for.
struct TLocaleInfo {
  int FirstDayOfWeek;                   // 0 = Monday, as the system reports it
  bool TwentyFourHourTime;              // true
  bool MetricMeasurement;               // true
  String LanguageAbbreviation;          // three letters: "RUS"
  String FallbackLanguageAbbreviation;  // "ENU"
};

extern TFormatSettings FormatSettings;
const TLocaleInfo& LocaleInfo();

// Swaps the process-wide settings for the lifetime of the guard; an exception restores them too.
class TFormatSettingsGuard {
 public:
  TFormatSettingsGuard() : saved_(FormatSettings) {}
  explicit TFormatSettingsGuard(const TFormatSettings& replacement) : saved_(FormatSettings) {
    FormatSettings = replacement;
  }
  ~TFormatSettingsGuard() { FormatSettings = saved_; }
  TFormatSettingsGuard(const TFormatSettingsGuard&) = delete;
  TFormatSettingsGuard& operator=(const TFormatSettingsGuard&) = delete;

 private:
  TFormatSettings saved_;
};
