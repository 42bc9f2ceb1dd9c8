// Locale data from ICU and the process-wide settings.
#include "platform/locale/Formatting.h"

#include <unicode/dcfmtsym.h>
#include <unicode/decimfmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/numfmt.h>
#include <unicode/smpdtfmt.h>

#include <cstdlib>
#include <memory>

#include "platform/locale/IcuPatterns.h"

namespace verimo {
namespace {

WideString ToWide(const icu::UnicodeString& text) {
  return WideString(reinterpret_cast<const char16_t*>(text.getBuffer()),
                    static_cast<size_t>(text.length()));
}

char16_t FirstCharOf(const icu::UnicodeString& text, char16_t fallback) {
  return text.length() > 0 ? static_cast<char16_t>(text.charAt(0)) : fallback;
}

// "tr_TR.UTF-8@euro" -> "tr_TR"; "C" and "POSIX" -> "en_US".
std::string LocaleIdFromPosix(std::string name) {
  name = name.substr(0, name.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX") return "en_US";
  return name;
}

std::string EnvironmentLocale(const char* category) {
  for (const char* variable : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return LocaleIdFromPosix(value);
  }
  return "en_US";
}

WideString IcuPattern(std::unique_ptr<icu::DateFormat> format) {
  auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format.get());
  if (!simple) return {};
  icu::UnicodeString pattern;
  simple->toPattern(pattern);
  return ToWide(pattern);
}

void LoadNumbers(const icu::Locale& locale, TFormatSettings& settings) {
  UErrorCode status = U_ZERO_ERROR;
  icu::DecimalFormatSymbols symbols(locale, status);
  if (U_FAILURE(status)) return;
  settings.DecimalSeparator =
      FirstCharOf(symbols.getSymbol(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol), u'.');
  char16_t grouping =
      FirstCharOf(symbols.getSymbol(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol), u',');
  // Narrow and no-break spaces group like a blank in plain text.
  settings.ThousandSeparator = grouping == u'\u00A0' || grouping == u'\u202F' ? u' ' : grouping;
  settings.ListSeparator = settings.DecimalSeparator == u',' ? u';' : u',';
}

// Placement codes from an ICU currency pattern: where "¤" stands relative
// to the digits and whether a blank separates them.
void LoadCurrency(const icu::Locale& locale, TFormatSettings& settings) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::NumberFormat> format(icu::NumberFormat::createCurrencyInstance(locale, status));
  auto* decimal = dynamic_cast<icu::DecimalFormat*>(format.get());
  if (U_FAILURE(status) || !decimal) return;
  settings.CurrencyString = ToWide(decimal->getDecimalFormatSymbols()->getSymbol(
      icu::DecimalFormatSymbols::kCurrencySymbol));
  settings.CurrencyDecimals = static_cast<uint8_t>(decimal->getMaximumFractionDigits());
  icu::UnicodeString pattern;
  decimal->toPattern(pattern);
  WideString text = ToWide(pattern);
  WideString positive = text.substr(0, text.find(u';'));
  size_t symbol = positive.find(u'\u00A4');
  size_t digit = positive.find_first_of(u"#0");
  if (symbol == WideString::npos || digit == WideString::npos) return;
  auto isBlank = [](char16_t c) { return c == u' ' || c == u'\u00A0' || c == u'\u202F'; };
  if (symbol < digit) {
    bool spaced = symbol + 1 < positive.size() && isBlank(positive[symbol + 1]);
    settings.CurrencyFormat = spaced ? 2 : 0;
  } else {
    bool spaced = symbol > 0 && isBlank(positive[symbol - 1]);
    settings.CurrencyFormat = spaced ? 3 : 1;
  }
  // Negative amounts: an explicit ICU subpattern, else a leading minus.
  static constexpr uint8_t kLeadingMinus[4] = {1, 5, 9, 8};
  settings.NegCurrFormat = kLeadingMinus[settings.CurrencyFormat];
  size_t semicolon = text.find(u';');
  if (semicolon != WideString::npos) {
    WideString negative = text.substr(semicolon + 1);
    size_t minus = negative.find(u'-');
    size_t negSymbol = negative.find(u'\u00A4');
    size_t negDigit = negative.find_first_of(u"#0");
    if (minus != WideString::npos && negSymbol != WideString::npos && negDigit != WideString::npos &&
        negSymbol < minus && minus < negDigit) {
      bool spaced = isBlank(negative[negSymbol + 1]);
      settings.NegCurrFormat = spaced ? 12 : 2;  // "$ -1" / "$-1"
    }
  }
}

void LoadNames(const icu::Locale& locale, TFormatSettings& settings) {
  UErrorCode status = U_ZERO_ERROR;
  icu::DateFormatSymbols symbols(locale, status);
  if (U_FAILURE(status)) return;
  int32_t count = 0;
  using Symbols = icu::DateFormatSymbols;
  const icu::UnicodeString* months = symbols.getMonths(count, Symbols::FORMAT, Symbols::WIDE);
  for (int32_t i = 0; i < count && i < 12; ++i) settings.LongMonthNames[static_cast<size_t>(i)] = ToWide(months[i]);
  months = symbols.getMonths(count, Symbols::FORMAT, Symbols::ABBREVIATED);
  for (int32_t i = 0; i < count && i < 12; ++i) settings.ShortMonthNames[static_cast<size_t>(i)] = ToWide(months[i]);
  // ICU numbers weekdays from 1 (Sunday).
  const icu::UnicodeString* days = symbols.getWeekdays(count, Symbols::FORMAT, Symbols::WIDE);
  for (int32_t i = 1; i < count && i <= 7; ++i) settings.LongDayNames[static_cast<size_t>(i - 1)] = ToWide(days[i]);
  days = symbols.getWeekdays(count, Symbols::FORMAT, Symbols::ABBREVIATED);
  for (int32_t i = 1; i < count && i <= 7; ++i) settings.ShortDayNames[static_cast<size_t>(i - 1)] = ToWide(days[i]);
  const icu::UnicodeString* amPm = symbols.getAmPmStrings(count);
  if (count >= 2) {
    settings.TimeAMString = ToWide(amPm[0]);
    settings.TimePMString = ToWide(amPm[1]);
  }
}

void LoadPatterns(const icu::Locale& locale, TFormatSettings& settings) {
  using icu::DateFormat;
  WideString shortDate = IcuPattern(std::unique_ptr<DateFormat>(DateFormat::createDateInstance(DateFormat::kShort, locale)));
  WideString longDate = IcuPattern(std::unique_ptr<DateFormat>(DateFormat::createDateInstance(DateFormat::kFull, locale)));
  WideString shortTime = IcuPattern(std::unique_ptr<DateFormat>(DateFormat::createTimeInstance(DateFormat::kShort, locale)));
  WideString longTime = IcuPattern(std::unique_ptr<DateFormat>(DateFormat::createTimeInstance(DateFormat::kMedium, locale)));
  if (!shortDate.empty()) {
    settings.DateSeparator = FirstSeparatorOf(shortDate, u'/');
    settings.ShortDateFormat = ConvertIcuDateTimePattern(shortDate, true);
  }
  if (!longDate.empty()) settings.LongDateFormat = ConvertIcuDateTimePattern(longDate, true);
  if (!shortTime.empty()) {
    settings.TimeSeparator = FirstSeparatorOf(shortTime, u':');
    settings.ShortTimeFormat = ConvertIcuDateTimePattern(shortTime, true);
  }
  if (!longTime.empty()) settings.LongTimeFormat = ConvertIcuDateTimePattern(longTime, true);
}

TFormatSettings EnglishDefaults() {
  TFormatSettings settings;
  settings.ShortMonthNames = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                              u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  settings.LongMonthNames = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                             u"July",    u"August",   u"September", u"October", u"November", u"December"};
  settings.ShortDayNames = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  settings.LongDayNames = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};
  return settings;
}

TFormatSettings LoadSettings(const std::string& numbers, const std::string& dates,
                             const std::string& currency) {
  TFormatSettings settings = EnglishDefaults();
  LoadNumbers(icu::Locale::createFromName(numbers.c_str()), settings);
  icu::Locale dateLocale = icu::Locale::createFromName(dates.c_str());
  LoadNames(dateLocale, settings);
  LoadPatterns(dateLocale, settings);
  LoadCurrency(icu::Locale::createFromName(currency.c_str()), settings);
  return settings;
}

}  // namespace

TFormatSettings TFormatSettings::FromLocale(const std::string& localeName) {
  if (!localeName.empty()) {
    std::string id = LocaleIdFromPosix(localeName);
    return LoadSettings(id, id, id);
  }
  return LoadSettings(EnvironmentLocale("LC_NUMERIC"), EnvironmentLocale("LC_TIME"),
                      EnvironmentLocale("LC_MONETARY"));
}

void UseValueLocale(const std::string& localeName) {
  if (const char* all = std::getenv("LC_ALL"); all && *all) {
    setenv("LC_CTYPE", all, 1);
    unsetenv("LC_ALL");
  }
  for (const char* category : {"LC_NUMERIC", "LC_MONETARY", "LC_TIME"}) setenv(category, localeName.c_str(), 1);
}

TFormatSettings& GlobalFormatSettings() {
  static TFormatSettings settings = TFormatSettings::FromLocale();
  return settings;
}

}  // namespace verimo
