// The Russian profile of the format settings and the locale facts.
#include "platform/rtl/FormatSettings.h"

TFormatSettings TFormatSettings::Russian() {
  TFormatSettings f;
  f.DecimalSeparator = u',';
  f.ThousandSeparator = u'\u00A0';
  f.DateSeparator = u'.';
  f.TimeSeparator = u':';
  f.ListSeparator = u';';
  f.ShortDateFormat = u"dd.MM.yyyy";
  f.LongDateFormat = u"d MMMM yyyy 'г.'";
  f.ShortTimeFormat = u"H:mm";
  f.LongTimeFormat = u"H:mm:ss";
  f.TimeAMString = u"";
  f.TimePMString = u"";
  f.CurrencyString = u"₽";
  f.CurrencyFormat = 3;
  f.NegCurrFormat = 8;
  f.CurrencyDecimals = 2;
  f.TwoDigitYearCenturyWindow = 50;
  f.ShortMonthNames = {u"янв", u"фев", u"мар", u"апр", u"май", u"июн",
                       u"июл", u"авг", u"сен", u"окт", u"ноя", u"дек"};
  f.LongMonthNames = {u"Январь", u"Февраль", u"Март",     u"Апрель",  u"Май",    u"Июнь",
                      u"Июль",   u"Август",  u"Сентябрь", u"Октябрь", u"Ноябрь", u"Декабрь"};
  f.LongMonthNamesGenitive = {u"января", u"февраля", u"марта",    u"апреля",  u"мая",    u"июня",
                              u"июля",   u"августа", u"сентября", u"октября", u"ноября", u"декабря"};
  f.ShortDayNames = {u"Вс", u"Пн", u"Вт", u"Ср", u"Чт", u"Пт", u"Сб"};
  f.LongDayNames = {u"воскресенье", u"понедельник", u"вторник", u"среда", u"четверг", u"пятница", u"суббота"};
  return f;
}

TFormatSettings FormatSettings = TFormatSettings::Russian();

const TLocaleInfo& LocaleInfo() {
  static const TLocaleInfo info{0, true, true, u"RUS", u"ENU"};
  return info;
}
