#pragma once

#include <cstdint>
#include <string>

namespace verimo::locale_detail {

// A finite number as decimal digits: value = 0.digits x 10^exponent, with
// no leading or trailing zeros in `digits`; zero has no digits. Rounding
// works on these digits, so the text the user sees is rounded exactly.
struct DecimalNumber {
  bool negative = false;
  std::string digits;
  int exponent = 0;

  bool IsZero() const { return digits.empty(); }
  // The count of digits before the decimal point (0 below 1).
  int IntegerDigitCount() const { return IsZero() || exponent < 0 ? 0 : exponent; }
  // The digit at `index` counted from the first significant one ('0'
  // beyond them, on either side).
  char DigitAt(long long index) const {
    return index >= 0 && index < static_cast<long long>(digits.size()) ? digits[static_cast<size_t>(index)] : '0';
  }
};

// The shortest digits that read back as the same double (finite values).
DecimalNumber DecimalFromDouble(double value);

// A magnitude as units of 10^-decimals.
struct ScaledDecimal {
  uint64_t units = 0;
  int decimals = 0;
};
// A non-negative magnitude with at most six decimals as units below 2^50
// whose digits, without their trailing zeros, are the shortest digits
// DecimalFromDouble finds; false for any other magnitude.
bool FewDecimals(double magnitude, ScaledDecimal& scaled);

// Every digit of a 64-bit integer.
DecimalNumber DecimalFromInt64(int64_t value);

// Rounds half away from zero to `fractionDigits` places after the point
// (negative counts round to tens, hundreds, ...).
void RoundToFraction(DecimalNumber& number, int fractionDigits);
// Rounds half away from zero to `significantDigits` significant digits.
void RoundToSignificant(DecimalNumber& number, int significantDigits);

// The digits before the point ("" below 1) and the first `count` digits
// after it, zero-padded.
std::string IntegerDigits(const DecimalNumber& number);
std::string FractionDigits(const DecimalNumber& number, int count);
// The count of significant digits after the point.
int FractionDigitCount(const DecimalNumber& number);

}  // namespace verimo::locale_detail
