#include "platform/locale/DecimalDigits.h"

#include <array>
#include <charconv>
#include <cmath>

namespace verimo::locale_detail {
namespace {

void StripZeros(DecimalNumber& number) {
  size_t last = number.digits.find_last_not_of('0');
  if (last == std::string::npos) {
    number.digits.clear();
    number.exponent = 0;
    return;
  }
  number.digits.erase(last + 1);
  size_t first = number.digits.find_first_not_of('0');
  number.digits.erase(0, first);
  number.exponent -= static_cast<int>(first);
}

// Keeps the first `keep` digits, rounding half away from zero on the next.
void RoundAtDigit(DecimalNumber& number, long long keep) {
  if (number.IsZero() || keep >= static_cast<long long>(number.digits.size())) return;
  if (keep < 0) {
    number.digits.clear();
    number.exponent = 0;
    return;
  }
  const bool roundUp = number.digits[static_cast<size_t>(keep)] >= '5';
  number.digits.erase(static_cast<size_t>(keep));
  if (roundUp) {
    size_t pos = number.digits.size();
    while (pos > 0 && number.digits[pos - 1] == '9') number.digits[--pos] = '0';
    if (pos == 0) {
      number.digits.insert(number.digits.begin(), '1');
      ++number.exponent;
    } else {
      ++number.digits[pos - 1];
    }
  }
  StripZeros(number);
}

void SetDigits(DecimalNumber& number, uint64_t magnitude, int fractionDigits) {
  std::array<char, 24> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude);
  number.digits.assign(buffer.data(), end);
  number.exponent = static_cast<int>(number.digits.size()) - fractionDigits;
  StripZeros(number);
}

}  // namespace

// Below 2^50 units two numbers with the same count of decimals lie more
// than four units of the last place apart, so at most one of them reads
// back as the value; a number with fewer decimals is one with more decimals
// too, so the largest scale that stays below 2^50 decides alone: the value
// has few decimals when its scaled value rounds to an integer that divides
// back to it exactly, and that integer carries the shortest digits.
bool FewDecimals(double magnitude, ScaledDecimal& scaled) {
  static constexpr std::array<double, 7> kScales = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  for (int k = static_cast<int>(kScales.size()) - 1; k >= 0; --k) {
    const double scale = kScales[static_cast<size_t>(k)];
    const double product = magnitude * scale;
    if (!(product < 0x1p50)) continue;
    const double integral = std::nearbyint(product);
    if (integral / scale != magnitude) return false;
    scaled.units = static_cast<uint64_t>(integral);
    scaled.decimals = k;
    return true;
  }
  return false;
}

DecimalNumber DecimalFromDouble(double value) {
  DecimalNumber number;
  number.negative = std::signbit(value);
  if (value == 0 || !std::isfinite(value)) return number;
  if (ScaledDecimal scaled; FewDecimals(std::fabs(value), scaled)) {
    SetDigits(number, scaled.units, scaled.decimals);
    return number;
  }
  std::array<char, 64> buffer{};
  auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                    std::chars_format::scientific);
  if (error != std::errc()) return number;
  // "d.dddde+XX"
  const char* p = buffer.data();
  while (p < end && *p != 'e') {
    if (*p != '.') number.digits += *p;
    ++p;
  }
  int exponent = 0;
  if (p < end) std::from_chars(p + 1 + (p[1] == '+'), end, exponent);
  number.exponent = exponent + 1;
  StripZeros(number);
  return number;
}

DecimalNumber DecimalFromInt64(int64_t value) {
  DecimalNumber number;
  number.negative = value < 0;
  uint64_t magnitude = number.negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  SetDigits(number, magnitude, 0);
  return number;
}

void RoundToFraction(DecimalNumber& number, int fractionDigits) {
  RoundAtDigit(number, static_cast<long long>(number.exponent) + fractionDigits);
}

void RoundToSignificant(DecimalNumber& number, int significantDigits) {
  RoundAtDigit(number, significantDigits);
}

std::string IntegerDigits(const DecimalNumber& number) {
  std::string result;
  for (int i = 0; i < number.IntegerDigitCount(); ++i) result += number.DigitAt(i);
  return result;
}

std::string FractionDigits(const DecimalNumber& number, int count) {
  std::string result;
  for (int i = 0; i < count; ++i) result += number.DigitAt(static_cast<long long>(number.exponent) + i);
  return result;
}

int FractionDigitCount(const DecimalNumber& number) {
  int count = static_cast<int>(number.digits.size()) - number.exponent;
  return count > 0 ? count : 0;
}

}  // namespace verimo::locale_detail
