#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "platform/locale/Separators.h"

namespace verimo {

// The number, date and currency conventions that formatting and parsing
// follow: the user locale's, or an exporter's own separators switched in
// for the length of a conversion.
struct TFormatSettings : TSeparators {
  char16_t ListSeparator = u',';
  WideString ShortDateFormat = u"M/d/yyyy";
  WideString LongDateFormat = u"dddd, MMMM d, yyyy";
  WideString ShortTimeFormat = u"h:mm AMPM";
  WideString LongTimeFormat = u"h:mm:ss AMPM";
  WideString TimeAMString = u"AM";
  WideString TimePMString = u"PM";
  WideString CurrencyString = u"$";
  // Placement of the currency symbol, with the classic numbering:
  // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"; negatives 0..15 as the platform has them.
  uint8_t CurrencyFormat = 0;
  uint8_t NegCurrFormat = 0;
  uint8_t CurrencyDecimals = 2;
  std::array<WideString, 12> ShortMonthNames;
  std::array<WideString, 12> LongMonthNames;
  std::array<WideString, 7> ShortDayNames;  // [0] = Sunday
  std::array<WideString, 7> LongDayNames;

  // Settings of an ICU locale ("tr_TR", "en_US", "de_DE"); an empty name
  // takes the user's locale from the environment (LC_ALL, LC_NUMERIC/LC_TIME,
  // LANG).
  static TFormatSettings FromLocale(const std::string& localeName = {});
};

// Makes the numeric, monetary and time categories of the environment name
// `localeName` ("tr_TR", "de_DE.UTF-8"), so settings made from now on follow
// it; the character category (and with it the code page) stays.
void UseValueLocale(const std::string& localeName);

// The process-wide settings that the conversions below use when they are
// not handed settings of their own; initialised from the user locale on
// first use.
TFormatSettings& GlobalFormatSettings();

// Keeps a copy of the process-wide settings and puts it back when the scope
// ends, also by an exception (a run that forces its own separators, tests).
class TGlobalFormatSettingsScope : private TNonCopyable {
 public:
  TGlobalFormatSettingsScope() : saved_(GlobalFormatSettings()) {}
  ~TGlobalFormatSettingsScope() { GlobalFormatSettings() = saved_; }

 private:
  TFormatSettings saved_;
};

// The number pattern language (sections ";", "0", "#", ".", ",", "E+",
// "E-", quoted text). Doubles are rounded half away from zero on their
// shortest decimal text (1.005 gives 1.01 with "0.00"); a value that rounds
// to zero is written without a sign (or with the zero section); more than 18
// integer digits fall back to FloatToStr; an empty first section gives
// FloatToStr. FormatInt64 keeps every digit of a 64-bit value.
WideString FormatFloat(WideStringView pattern, double value, const TFormatSettings& settings);
WideString FormatInt64(WideStringView pattern, int64_t value, const TFormatSettings& settings);

namespace locale_detail {
struct DecimalNumber;
}
// What a section of a number pattern asks for: its digit placeholders,
// point, grouping and exponent.
struct SectionLayoutData {
  int integerPlaceholders = 0;
  int minIntegerDigits = 0;   // placeholders from the first "0" to the point
  int fractionPlaceholders = 0;
  int minFractionDigits = 0;  // up to the last "0" after the point
  bool hasPoint = false;
  bool grouping = false;
  bool scientific = false;
  size_t exponentPos = WideStringView::npos;
  int exponentDigits = 0;
};

// A number pattern analysed once (its sections and what each asks for), to
// format many values: the same texts as FormatFloat and FormatInt64,
// appended to a buffer the caller reuses.
class TNumberPattern {
 public:
  TNumberPattern() = default;
  explicit TNumberPattern(WideStringView pattern);

  const WideString& Pattern() const { return pattern_; }
  void AppendFloat(double value, const TFormatSettings& settings, WideString& out) const;
  void AppendInt64(int64_t value, const TFormatSettings& settings, WideString& out) const;

  // Classes of values (0 to 63) whose texts through this pattern all have
  // the same length, whatever the separators; -1 when the length of the
  // value's text is not known without writing it. Lets a width pass skip
  // values no longer than one it has measured.
  int LengthClassOfInt64(int64_t value) const;
  int LengthClassOfFloat(double value) const;

 private:
  struct SectionSpan {
    size_t start = 0;
    size_t length = 0;
  };
  WideStringView Section(int index) const;
  const SectionLayoutData& Layout(int index) const;
  bool AppendDecimal(const locale_detail::DecimalNumber& number, const TFormatSettings& settings,
                     bool allowGeneral, WideString& out) const;
  // The value 0.digits x 10^exponent (no digits: zero) through a plain
  // pattern, written straight into `out`.
  void AppendPlain(bool negative, const char* digits, int digitCount, int exponent,
                   const TFormatSettings& settings, WideString& out) const;

  WideString pattern_;
  int sectionCount_ = 0;
  std::array<SectionSpan, 3> sections_{};
  std::array<SectionLayoutData, 3> layouts_{};
  // A pattern of one section whose placeholders ("0", "#", ",", at most one
  // ".") form one run between plain literal texts needs no walk over the
  // pattern per value; prefixLength_ and suffixStart_ delimit that run.
  bool plain_ = false;
  size_t prefixLength_ = 0;
  size_t suffixStart_ = 0;
};
// The date-time pattern language (d, dd, ddd, dddd, ddddd, dddddd, m, mm,
// mmm, mmmm, yy, yyyy, h, hh, n, nn, s, ss, z, zzz, t, tt, am/pm, a/p,
// ampm, c, /, :, quoted text); an empty pattern is "c". Throws
// verimo::Exception for values outside the years 1 to 9999.
WideString FormatDateTime(WideStringView pattern, TDateTime value, const TFormatSettings& settings);

// One step of a compiled date-time pattern.
struct TDateTimeToken {
  enum Kind : uint8_t {
    kYear2, kYear4, kMonth, kMonthShort, kMonthLong, kDay, kDayShort, kDayLong, kShortDate, kLongDate,
    kHour, kHour12, kMinute, kSecond, kMillisecond, kShortTime, kLongTime, kDefault,
    kAmPmPair, kAmPmLetter, kAmPmLocale, kDateSeparator, kTimeSeparator, kLiteral
  };
  Kind kind = kLiteral;
  uint8_t width = 0;   // digits of numbers
  uint32_t start = 0;  // kLiteral, kAmPmPair, kAmPmLetter: where the text lies in the pattern
  uint32_t length = 0;
};

// A date-time pattern's text and its tokens: a pattern object's own, or a
// settings pattern (short date, long time, ...) it names.
struct TCompiledDateTime {
  WideString source;
  std::vector<TDateTimeToken> tokens;
  // Only days, months, years, date separators and literal text: written
  // from the date alone.
  bool dateOnly = false;
  size_t longestDate = 0;  // the longest text of a date when dateOnly
};

// A date-time pattern split into its tokens once, to format many values:
// the same texts as FormatDateTime, appended to a buffer the caller reuses.
// The settings' patterns it names ("c", "ddddd", "t") are compiled at their
// first use and again only when the settings hold another text, so one
// pattern object serves one thread at a time.
class TDateTimePattern {
 public:
  TDateTimePattern() = default;
  explicit TDateTimePattern(WideStringView pattern);

  const WideString& Pattern() const { return compiled_.source; }
  // Throws verimo::Exception for values outside the years 1 to 9999
  // (nothing is appended then).
  void Append(TDateTime value, const TFormatSettings& settings, WideString& out) const;
  // As TNumberPattern::LengthClassOfInt64, for date-only patterns.
  int LengthClassOf(TDateTime value) const;

 private:
  TCompiledDateTime compiled_;
  // Short date, long date, short time, long time.
  mutable std::array<TCompiledDateTime, 4> named_;
  // "c" (or empty): the short date, and the long time unless it is midnight.
  bool defaultOnly_ = false;
};

// Texts without a pattern: the general float notation with 15 significant
// digits ("1234,5", "1E20", "1,5E-6"), the currency notation (symbol and
// placement codes, the currency decimals), and the default date-time text
// ("c": short date, then the long time unless it is midnight).
WideString FloatToStr(double value, const TFormatSettings& settings);
WideString CurrToStr(double value, const TFormatSettings& settings);
WideString DateTimeToStr(TDateTime value, const TFormatSettings& settings);
// FloatToStr and CurrToStr appended to `out`.
void AppendFloatText(double value, const TFormatSettings& settings, WideString& out);
void AppendCurrText(double value, const TFormatSettings& settings, WideString& out);

// Parsing with the settings' separators and short date pattern; false when
// the text is not such a value (surrounding blanks are allowed). Integers
// and floats take no thousand separators. Date-times: the date in the short
// date pattern's day/month/year order (two numbers: this year; two-digit
// years: within fifty years of this one), a time h[:n[:s[.zzz]]] with an
// optional am/pm marker, or both separated by blanks.
bool TryStrToInt64(WideStringView text, int64_t& value, const TFormatSettings& settings);
bool TryStrToFloat(WideStringView text, double& value, const TFormatSettings& settings);
bool TryStrToDateTime(WideStringView text, TDateTime& value, const TFormatSettings& settings);

}  // namespace verimo
