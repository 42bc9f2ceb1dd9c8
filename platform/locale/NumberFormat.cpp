// The number pattern language, the general float notation and the currency
// notation.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "platform/locale/DecimalDigits.h"
#include "platform/locale/Formatting.h"
#include "platform/locale/TextBuffer.h"

namespace verimo {
namespace {

using locale_detail::DecimalNumber;
using locale_detail::TextBuffer;

constexpr int kGeneralPrecision = 15;
// Fixed notation is given up beyond this many integer digits.
constexpr int kMaxFixedIntegerDigits = 18;
constexpr int kMaxExponentDigits = 4;

bool IsQuote(char16_t c) { return c == u'\'' || c == u'"'; }

constexpr WideStringView kPlaceholderChars = u"0#,.";

// The shortest digits of a finite double in a fixed buffer, as
// DecimalFromDouble gives them, with its rounding.
struct ShortDigits {
  explicit ShortDigits(double value) : negative(std::signbit(value)) {
    if (value == 0) return;
    if (TakeFewDecimals(std::fabs(value))) return;
    std::array<char, 32> text;
    const char* end = std::to_chars(text.data(), text.data() + text.size(), std::fabs(value),
                                    std::chars_format::scientific).ptr;
    // "d.dddde+XX"
    const char* p = text.data();
    for (; p < end && *p != 'e'; ++p)
      if (*p != '.') digits[static_cast<size_t>(count++)] = *p;
    int power = 0;
    if (p < end) std::from_chars(p + 1 + (p[1] == '+'), end, power);
    exponent = power + 1;
    StripZeros();
  }

  // Values with a few decimals, without the general conversion.
  bool TakeFewDecimals(double magnitude) {
    locale_detail::ScaledDecimal scaled;
    if (!locale_detail::FewDecimals(magnitude, scaled)) return false;
    count = static_cast<int>(std::to_chars(digits.data(), digits.data() + digits.size(), scaled.units).ptr - digits.data());
    exponent = count - scaled.decimals;
    StripZeros();
    return true;
  }

  // Half away from zero at `fractionDigits` places after the point.
  void RoundToFraction(int fractionDigits) {
    const long long keep = static_cast<long long>(exponent) + fractionDigits;
    if (count == 0 || keep >= count) return;
    if (keep < 0) {
      count = 0;
      exponent = 0;
      return;
    }
    const bool roundUp = digits[static_cast<size_t>(keep)] >= '5';
    count = static_cast<int>(keep);
    if (roundUp) {
      int pos = count;
      while (pos > 0 && digits[static_cast<size_t>(pos - 1)] == '9') digits[static_cast<size_t>(--pos)] = '0';
      if (pos == 0) {
        std::copy_backward(digits.begin(), digits.begin() + count, digits.begin() + count + 1);
        digits[0] = '1';
        ++count;
        ++exponent;
      } else {
        ++digits[static_cast<size_t>(pos - 1)];
      }
    }
    StripZeros();
  }

  void StripZeros() {
    while (count > 0 && digits[static_cast<size_t>(count - 1)] == '0') --count;
    int first = 0;
    while (first < count && digits[static_cast<size_t>(first)] == '0') ++first;
    if (count == 0) {
      exponent = 0;
      return;
    }
    std::copy(digits.begin() + first, digits.begin() + count, digits.begin());
    count -= first;
    exponent -= first;
  }

  bool negative;
  std::array<char, 32> digits{};
  int count = 0;
  int exponent = 0;
};

// The index after the quoted text that starts at `start`.
size_t SkipQuoted(WideStringView text, size_t start) {
  size_t close = text.find(text[start], start + 1);
  return close == WideStringView::npos ? text.size() : close + 1;
}

// Up to three sections: positive, negative, zero.
class Sections {
 public:
  size_t size() const { return count_; }
  WideStringView operator[](size_t index) const { return items_[index]; }
  void push_back(WideStringView section) { items_[count_++] = section; }

 private:
  std::array<WideStringView, 3> items_{};
  size_t count_ = 0;
};

Sections SplitSections(WideStringView pattern) {
  Sections sections;
  size_t start = 0;
  size_t pos = 0;
  while (pos < pattern.size() && sections.size() < 2) {
    if (IsQuote(pattern[pos])) {
      pos = SkipQuoted(pattern, pos);
    } else if (pattern[pos] == u';') {
      sections.push_back(pattern.substr(start, pos - start));
      start = ++pos;
    } else {
      ++pos;
    }
  }
  WideStringView rest = pattern.substr(std::min(start, pattern.size()));
  // A third section ends at the next unquoted ";" as well.
  for (pos = 0; pos < rest.size(); ++pos) {
    if (IsQuote(rest[pos])) {
      pos = SkipQuoted(rest, pos) - 1;
    } else if (rest[pos] == u';') {
      rest = rest.substr(0, pos);
      break;
    }
  }
  sections.push_back(rest);
  return sections;
}

bool IsExponentAt(WideStringView section, size_t pos) {
  return (section[pos] == u'E' || section[pos] == u'e') && pos + 1 < section.size() &&
         (section[pos + 1] == u'+' || section[pos + 1] == u'-');
}

}  // namespace

namespace {

using SectionLayout = SectionLayoutData;

SectionLayout AnalyseSection(WideStringView section) {
  SectionLayout layout;
  int firstZero = -1;
  size_t pos = 0;
  while (pos < section.size()) {
    char16_t c = section[pos];
    if (IsQuote(c)) {
      pos = SkipQuoted(section, pos);
      continue;
    }
    if (!layout.scientific && IsExponentAt(section, pos)) {
      layout.scientific = true;
      layout.exponentPos = pos;
      pos += 2;
      while (pos < section.size() && section[pos] == u'0') {
        ++layout.exponentDigits;
        ++pos;
      }
      layout.exponentDigits = std::min(layout.exponentDigits, kMaxExponentDigits);
      continue;
    }
    if (c == u'0' || c == u'#') {
      if (layout.hasPoint) {
        ++layout.fractionPlaceholders;
        if (c == u'0') layout.minFractionDigits = layout.fractionPlaceholders;
      } else {
        if (c == u'0' && firstZero < 0) firstZero = layout.integerPlaceholders;
        ++layout.integerPlaceholders;
      }
    } else if (c == u'.') {
      layout.hasPoint = true;
    } else if (c == u',') {
      layout.grouping = true;
    }
    ++pos;
  }
  if (firstZero >= 0) layout.minIntegerDigits = layout.integerPlaceholders - firstZero;
  return layout;
}

// The digits a section writes for a number, before they are laid out.
struct RenderedDigits {
  std::string integer;   // may be empty
  std::string fraction;  // only the digits to show
  int exponent = 0;      // scientific only
};

RenderedDigits RenderFixed(const DecimalNumber& number, const SectionLayout& layout) {
  RenderedDigits out;
  out.integer = locale_detail::IntegerDigits(number);
  if (static_cast<int>(out.integer.size()) < layout.minIntegerDigits)
    out.integer.insert(0, static_cast<size_t>(layout.minIntegerDigits) - out.integer.size(), '0');
  int shown = std::clamp(locale_detail::FractionDigitCount(number), layout.minFractionDigits,
                         layout.fractionPlaceholders);
  out.fraction = locale_detail::FractionDigits(number, shown);
  return out;
}

RenderedDigits RenderScientific(DecimalNumber number, const SectionLayout& layout) {
  const int mantissaIntegers = layout.integerPlaceholders;
  locale_detail::RoundToSignificant(number, mantissaIntegers + layout.fractionPlaceholders);
  RenderedDigits out;
  out.exponent = number.IsZero() ? 0 : number.exponent - mantissaIntegers;
  std::string digits = number.digits;
  digits.resize(std::max(digits.size(), static_cast<size_t>(mantissaIntegers)), '0');
  out.integer = digits.substr(0, static_cast<size_t>(mantissaIntegers));
  std::string fraction = digits.substr(static_cast<size_t>(mantissaIntegers));
  int shown = std::clamp(static_cast<int>(fraction.size()), layout.minFractionDigits,
                         layout.fractionPlaceholders);
  fraction.resize(static_cast<size_t>(shown), '0');
  out.fraction = fraction;
  return out;
}

void AppendExponent(WideString& out, WideStringView section, const SectionLayout& layout,
                    int exponent) {
  out += section[layout.exponentPos];
  if (exponent < 0)
    out += u'-';
  else if (section[layout.exponentPos + 1] == u'+')
    out += u'+';
  WideString digits = IntToWide(exponent < 0 ? -static_cast<long long>(exponent) : exponent);
  if (static_cast<int>(digits.size()) < layout.exponentDigits)
    digits.insert(0, static_cast<size_t>(layout.exponentDigits) - digits.size(), u'0');
  out += digits;
}

// Writes the section with the digits distributed over its placeholders:
// the first integer placeholder takes every digit the others cannot hold.
void LayOutSection(WideStringView section, const SectionLayout& layout, const RenderedDigits& digits,
                   const TFormatSettings& settings, bool minus, WideString& out) {
  if (minus) out += u'-';
  const int integerCount = static_cast<int>(digits.integer.size());
  int integerSeen = 0;
  int fractionSeen = 0;
  bool pointSeen = false;
  auto appendIntegerDigit = [&](int index) {
    out += static_cast<char16_t>(digits.integer[static_cast<size_t>(index)]);
    int position = integerCount - 1 - index;  // 0 = units
    if (layout.grouping && !layout.scientific && position > 0 && position % 3 == 0)
      out += settings.ThousandSeparator;
  };
  size_t pos = 0;
  while (pos < section.size()) {
    char16_t c = section[pos];
    if (IsQuote(c)) {
      size_t end = SkipQuoted(section, pos);
      size_t textEnd = end > pos + 1 && end <= section.size() && section[end - 1] == c ? end - 1 : end;
      out.append(section.substr(pos + 1, textEnd - pos - 1));
      pos = end;
      continue;
    }
    if (pos == layout.exponentPos) {
      AppendExponent(out, section, layout, digits.exponent);
      pos += 2;
      while (pos < section.size() && section[pos] == u'0') ++pos;
      continue;
    }
    if ((c == u'0' || c == u'#') && !pointSeen) {
      int position = layout.integerPlaceholders - 1 - integerSeen;  // 0 = units
      if (integerSeen == 0) {
        for (int i = 0; i < integerCount - position; ++i) appendIntegerDigit(i);
      } else if (position < integerCount) {
        appendIntegerDigit(integerCount - 1 - position);
      }
      ++integerSeen;
    } else if (c == u'0' || c == u'#') {
      if (fractionSeen < static_cast<int>(digits.fraction.size()))
        out += static_cast<char16_t>(digits.fraction[static_cast<size_t>(fractionSeen)]);
      ++fractionSeen;
    } else if (c == u'.') {
      if (!pointSeen && integerSeen == 0) {
        // No placeholder before the point: the integer digits go here.
        for (int i = 0; i < integerCount; ++i) appendIntegerDigit(i);
      }
      if (!pointSeen && !digits.fraction.empty()) out += settings.DecimalSeparator;
      pointSeen = true;
    } else if (c != u',') {
      out += c;
    }
    ++pos;
  }
}

// The section applied to the magnitude of a number; `minus` writes a sign first.
void FormatMagnitude(WideStringView section, const DecimalNumber& number, const SectionLayout& layout,
                     const TFormatSettings& settings, bool minus, WideString& out) {
  RenderedDigits digits = layout.scientific ? RenderScientific(number, layout)
                                            : RenderFixed(number, layout);
  LayOutSection(section, layout, digits, settings, minus, out);
}

WideStringView NonFiniteText(double value) {
  if (std::isnan(value)) return u"NAN";
  return value < 0 ? u"-INF" : u"INF";
}

// Appends the digits of a number in fixed notation with the given separators.
void AppendFixedText(const DecimalNumber& number, int fractionDigits, bool grouping,
                     const TFormatSettings& settings, TextBuffer& out) {
  const int integerCount = number.IntegerDigitCount();
  if (integerCount == 0) out += u'0';
  for (int i = 0; i < integerCount; ++i) {
    out += static_cast<char16_t>(number.DigitAt(i));
    const int position = integerCount - 1 - i;
    if (grouping && position > 0 && position % 3 == 0) out += settings.ThousandSeparator;
  }
  if (fractionDigits <= 0) return;
  out += settings.DecimalSeparator;
  for (int i = 0; i < fractionDigits; ++i) out += static_cast<char16_t>(number.DigitAt(static_cast<long long>(number.exponent) + i));
}

// Layouts of the classic placement codes: "S" the currency symbol, "A" the
// amount.
constexpr std::u16string_view kPositiveCurrencyLayouts[4] = {u"SA", u"AS", u"S A", u"A S"};
constexpr std::u16string_view kNegativeCurrencyLayouts[16] = {
    u"(SA)", u"-SA", u"S-A", u"SA-", u"(AS)", u"-AS", u"A-S", u"AS-",
    u"-A S", u"-S A", u"A S-", u"S A-", u"S -A", u"A- S", u"(S A)", u"(A S)"};

// The currency symbol and the amount (`writeAmount`) placed as the
// settings' code for the sign says.
template <class WriteAmount>
void AppendInCurrencyLayout(bool negative, const TFormatSettings& settings, WideString& out,
                            WriteAmount writeAmount) {
  const std::u16string_view layout =
      negative ? kNegativeCurrencyLayouts[settings.NegCurrFormat < 16 ? settings.NegCurrFormat : 1]
               : kPositiveCurrencyLayouts[settings.CurrencyFormat < 4 ? settings.CurrencyFormat : 0];
  TextBuffer text(out);
  for (const char16_t c : layout) {
    if (c == u'S')
      text += settings.CurrencyString;
    else if (c == u'A')
      writeAmount(text);
    else
      text += c;
  }
  text.Flush();
}

constexpr uint64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

// The magnitude rounded to `decimals` places (half away from zero, on the
// shortest digits) in units of 10^-decimals; false when the value's digits
// are not few or the units would overflow.
bool RoundedUnits(double value, int decimals, uint64_t& units) {
  locale_detail::ScaledDecimal scaled;
  // Below 10^15 units the digits are within the 15 significant ones the
  // general text keeps, so only the rounding to `decimals` applies.
  if (decimals < 0 || decimals > 6 || !locale_detail::FewDecimals(std::fabs(value), scaled) ||
      scaled.units >= 1000000000000000)
    return false;
  if (scaled.decimals <= decimals) {
    const uint64_t power = kPowersOfTen[decimals - scaled.decimals];
    if (scaled.units > std::numeric_limits<uint64_t>::max() / power) return false;
    units = scaled.units * power;
    return true;
  }
  const uint64_t step = kPowersOfTen[scaled.decimals - decimals];
  units = scaled.units / step + (scaled.units % step * 2 >= step ? 1 : 0);
  return true;
}

// The integer part grouped by the thousand separator, then the point and
// the decimals: the units' digits, zero-padded to one integer digit.
void AppendUnits(uint64_t units, int decimals, const TFormatSettings& settings, TextBuffer& out) {
  std::array<char, 32> digits;
  const int width = static_cast<int>(std::to_chars(digits.data(), digits.data() + digits.size(), units).ptr - digits.data());
  const int pad = std::max(decimals + 1 - width, 0);
  if (pad > 0) {
    std::copy_backward(digits.data(), digits.data() + width, digits.data() + width + pad);
    std::fill_n(digits.data(), pad, '0');
  }
  const int count = width + pad - decimals;
  for (int i = 0; i < count; ++i) {
    out += static_cast<char16_t>(digits[static_cast<size_t>(i)]);
    const int position = count - 1 - i;
    if (position > 0 && position % 3 == 0) out += settings.ThousandSeparator;
  }
  if (decimals == 0) return;
  out += settings.DecimalSeparator;
  for (int i = count; i < count + decimals; ++i) out += static_cast<char16_t>(digits[static_cast<size_t>(i)]);
}

// AppendCurrText for values with few decimals, without their digits as text.
bool AppendScaledCurrText(double value, const TFormatSettings& settings, WideString& out) {
  uint64_t units = 0;
  if (!RoundedUnits(value, settings.CurrencyDecimals, units)) return false;
  const bool negative = std::signbit(value) && units != 0;
  AppendInCurrencyLayout(negative, settings, out, [&](TextBuffer& text) {
    AppendUnits(units, settings.CurrencyDecimals, settings, text);
  });
  return true;
}

}  // namespace

void AppendFloatText(double value, const TFormatSettings& settings, WideString& out) {
  if (!std::isfinite(value)) {
    out += NonFiniteText(value);
    return;
  }
  DecimalNumber number = locale_detail::DecimalFromDouble(value);
  locale_detail::RoundToSignificant(number, kGeneralPrecision);
  if (number.IsZero()) {
    out += u'0';
    return;
  }
  if (number.negative) out += u'-';
  const bool scientific = number.exponent > kGeneralPrecision || number.exponent < -4;
  if (!scientific) {
    TextBuffer text(out);
    AppendFixedText(number, locale_detail::FractionDigitCount(number), false, settings, text);
    text.Flush();
    return;
  }
  out += static_cast<char16_t>(number.digits[0]);
  if (number.digits.size() > 1) {
    out += settings.DecimalSeparator;
    for (size_t i = 1; i < number.digits.size(); ++i) out += static_cast<char16_t>(number.digits[i]);
  }
  out += u'E';
  out += IntToWide(number.exponent - 1);
}

void AppendCurrText(double value, const TFormatSettings& settings, WideString& out) {
  if (!std::isfinite(value)) {
    out += NonFiniteText(value);
    return;
  }
  if (AppendScaledCurrText(value, settings, out)) return;
  DecimalNumber number = locale_detail::DecimalFromDouble(value);
  locale_detail::RoundToSignificant(number, kGeneralPrecision);
  locale_detail::RoundToFraction(number, settings.CurrencyDecimals);
  const bool negative = number.negative && !number.IsZero();
  AppendInCurrencyLayout(negative, settings, out, [&](TextBuffer& text) {
    AppendFixedText(number, settings.CurrencyDecimals, true, settings, text);
  });
}

WideString FloatToStr(double value, const TFormatSettings& settings) {
  WideString out;
  AppendFloatText(value, settings, out);
  return out;
}

WideString CurrToStr(double value, const TFormatSettings& settings) {
  WideString out;
  AppendCurrText(value, settings, out);
  return out;
}

TNumberPattern::TNumberPattern(WideStringView pattern) : pattern_(pattern) {
  const Sections sections = SplitSections(pattern_);
  sectionCount_ = static_cast<int>(sections.size());
  for (size_t i = 0; i < sections.size(); ++i) {
    const WideStringView section = sections[i];
    sections_[i] = {static_cast<size_t>(section.data() - pattern_.data()), section.size()};
    layouts_[i] = AnalyseSection(section);
  }
  if (sectionCount_ == 1 && !layouts_[0].scientific) {
    const WideStringView section = Section(0);
    const size_t first = section.find_first_of(kPlaceholderChars);
    const size_t last = section.find_last_of(kPlaceholderChars);
    if (first != WideStringView::npos && section.find_first_of(u"'\"") == WideStringView::npos) {
      const WideStringView run = section.substr(first, last + 1 - first);
      const bool onlyPlaceholders = run.find_first_not_of(kPlaceholderChars) == WideStringView::npos;
      const bool hasDigit = run.find_first_of(u"0#") != WideStringView::npos;
      const bool onePoint = std::count(run.begin(), run.end(), u'.') <= 1;
      plain_ = onlyPlaceholders && hasDigit && onePoint;
      prefixLength_ = first;
      suffixStart_ = last + 1;
    }
  }
}

WideStringView TNumberPattern::Section(int index) const {
  const SectionSpan& span = sections_[static_cast<size_t>(index)];
  return WideStringView(pattern_).substr(span.start, span.length);
}

const SectionLayout& TNumberPattern::Layout(int index) const {
  return layouts_[static_cast<size_t>(index)];
}

// The same text LayOutSection gives for a plain pattern: the sign, the
// prefix, the integer digits (padded and grouped), the point and the shown
// fraction digits, the suffix.
void TNumberPattern::AppendPlain(bool negative, const char* digits, int digitCount, int exponent,
                                 const TFormatSettings& settings, WideString& out) const {
  const SectionLayout& layout = Layout(0);
  const WideStringView section = Section(0);
  const int integerDigits = digitCount == 0 || exponent < 0 ? 0 : exponent;
  const int integerCount = std::max(integerDigits, layout.minIntegerDigits);
  const int padding = integerCount - integerDigits;
  const int shown = std::clamp(std::max(digitCount - exponent, 0), layout.minFractionDigits,
                               layout.fractionPlaceholders);
  const size_t start = out.size();
  out.resize(start + 2 + section.size() + static_cast<size_t>(2 * integerCount + shown));
  char16_t* target = out.data() + start;
  if (negative) *target++ = u'-';
  target = std::copy_n(section.data(), prefixLength_, target);
  // Digits written before the next thousand separator (none without grouping).
  int untilSeparator = layout.grouping ? (integerCount - 1) % 3 + 1 : integerCount;
  for (int i = 0; i < integerCount; ++i) {
    const int index = i - padding;  // into digits
    *target++ = index < 0 || index >= digitCount ? u'0' : static_cast<char16_t>(digits[index]);
    if (--untilSeparator == 0 && i + 1 < integerCount) {
      *target++ = settings.ThousandSeparator;
      untilSeparator = 3;
    }
  }
  if (shown > 0) {
    *target++ = settings.DecimalSeparator;
    for (int i = 0; i < shown; ++i) {
      const int index = exponent + i;
      *target++ = index >= 0 && index < digitCount ? static_cast<char16_t>(digits[index]) : u'0';
    }
  }
  target = std::copy(section.begin() + static_cast<std::ptrdiff_t>(suffixStart_), section.end(), target);
  out.resize(static_cast<size_t>(target - out.data()));
}

// The section language applied to a decimal number; `allowGeneral` lets a
// fixed section with too many integer digits fall back to general notation.
// False when the pattern gives no text (an empty first section, or that
// fallback).
bool TNumberPattern::AppendDecimal(const DecimalNumber& number, const TFormatSettings& settings,
                                   bool allowGeneral, WideString& out) const {
  if (sectionCount_ == 0 || Section(0).empty()) return false;
  const SectionLayout& positive = Layout(0);
  DecimalNumber rounded = number;
  if (!positive.scientific) locale_detail::RoundToFraction(rounded, positive.fractionPlaceholders);
  if (!positive.scientific && allowGeneral && rounded.IntegerDigitCount() > kMaxFixedIntegerDigits)
    return false;
  if (rounded.IsZero()) {
    // A value that rounds to zero is written without a sign.
    DecimalNumber zero;
    if (sectionCount_ >= 3 && !Section(2).empty())
      FormatMagnitude(Section(2), zero, Layout(2), settings, false, out);
    else
      FormatMagnitude(Section(0), zero, positive, settings, false, out);
    return true;
  }
  if (number.negative && sectionCount_ >= 2 && !Section(1).empty()) {
    const SectionLayout& negative = Layout(1);
    DecimalNumber magnitude = number;
    magnitude.negative = false;
    if (!negative.scientific) locale_detail::RoundToFraction(magnitude, negative.fractionPlaceholders);
    FormatMagnitude(Section(1), magnitude, negative, settings, false, out);
    return true;
  }
  FormatMagnitude(Section(0), rounded, positive, settings, number.negative, out);
  return true;
}

void TNumberPattern::AppendFloat(double value, const TFormatSettings& settings, WideString& out) const {
  if (!std::isfinite(value)) {
    out += NonFiniteText(value);
    return;
  }
  if (plain_) {
    ShortDigits number(value);
    number.RoundToFraction(Layout(0).fractionPlaceholders);
    if (number.count != 0 && number.exponent > kMaxFixedIntegerDigits) {
      AppendFloatText(value, settings, out);
      return;
    }
    AppendPlain(number.negative && number.count != 0, number.digits.data(), number.count, number.exponent,
                settings, out);
    return;
  }
  const size_t start = out.size();
  if (AppendDecimal(locale_detail::DecimalFromDouble(value), settings, true, out)) return;
  out.resize(start);
  AppendFloatText(value, settings, out);
}

void TNumberPattern::AppendInt64(int64_t value, const TFormatSettings& settings, WideString& out) const {
  if (plain_) {
    std::array<char, 24> digits;
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    int count = 0;
    if (magnitude != 0) count = static_cast<int>(std::to_chars(digits.data(), digits.data() + digits.size(), magnitude).ptr - digits.data());
    AppendPlain(value < 0, digits.data(), count, count, settings, out);
    return;
  }
  const size_t start = out.size();
  if (AppendDecimal(locale_detail::DecimalFromInt64(value), settings, false, out)) return;
  out.resize(start);
  out += IntToWide(value);
}

namespace {

// 0 for zero, the digit count for positive values, 20 more for negative ones.
int SignAndDigitsClass(bool negative, uint64_t magnitude) {
  int digits = 0;
  for (; magnitude != 0; magnitude /= 10) ++digits;
  return negative && digits != 0 ? 20 + digits : digits;
}

}  // namespace

int TNumberPattern::LengthClassOfInt64(int64_t value) const {
  // The plain layout and the plain decimal text of an empty pattern depend
  // on the sign and the number of digits only.
  if (!plain_ && !pattern_.empty()) return -1;
  const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  return SignAndDigitsClass(value < 0, magnitude);
}

int TNumberPattern::LengthClassOfFloat(double value) const {
  // With as many fraction digits shown whatever the value, a plain pattern's
  // length follows the sign and the integer digits after rounding. Rounding
  // can add an integer digit only to values whose integer part is all nines,
  // and can drop the sign only below one: those are left to be written.
  if (!plain_) return -1;
  const SectionLayout& layout = Layout(0);
  if (layout.minFractionDigits != layout.fractionPlaceholders) return -1;
  const double magnitude = std::fabs(value);
  if (!(magnitude >= 1.0 && magnitude < 1e15)) return -1;
  const auto integer = static_cast<uint64_t>(magnitude);
  const int digits = SignAndDigitsClass(false, integer);
  uint64_t allNines = 0;
  for (int i = 0; i < digits; ++i) allNines = allNines * 10 + 9;
  if (integer == allNines) return -1;
  return value < 0 ? 20 + digits : digits;
}

WideString FormatFloat(WideStringView pattern, double value, const TFormatSettings& settings) {
  WideString out;
  TNumberPattern(pattern).AppendFloat(value, settings, out);
  return out;
}

WideString FormatInt64(WideStringView pattern, int64_t value, const TFormatSettings& settings) {
  WideString out;
  TNumberPattern(pattern).AppendInt64(value, settings, out);
  return out;
}

}  // namespace verimo
