#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <vector>

#include "platform/locale/DecimalDigits.h"
#include "platform/locale/Formatting.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

std::string Float(const char16_t* pattern, double value, const TFormatSettings& settings) {
  return WideToUtf8(FormatFloat(pattern, value, settings));
}
std::string Int(const char16_t* pattern, int64_t value, const TFormatSettings& settings) {
  return WideToUtf8(FormatInt64(pattern, value, settings));
}

class NumberFormatTest : public ::testing::Test {
 protected:
  TFormatSettings tr = TFormatSettings::FromLocale("tr_TR");
  TFormatSettings en = TFormatSettings::FromLocale("en_US");
  TFormatSettings de = TFormatSettings::FromLocale("de_DE");
};

TEST_F(NumberFormatTest, GroupingAndDecimalsFollowTheSettings) {
  EXPECT_EQ(Float(u"#,##0.00", 1234.5, tr), "1.234,50");
  EXPECT_EQ(Float(u"#,##0.00", 1234.5, en), "1,234.50");
  EXPECT_EQ(Float(u"#,##0.00", 1234.5, de), "1.234,50");
  EXPECT_EQ(Float(u"#,###,##0.00", 1234567.891, tr), "1.234.567,89");
  EXPECT_EQ(Float(u"#,###,##0.00", -1234567.891, en), "-1,234,567.89");
  EXPECT_EQ(Float(u"#,###,##0.00", 0.5, en), "0.50");
  EXPECT_EQ(Int(u"#,###,##0", 0, tr), "0");
  EXPECT_EQ(Int(u"#,###,##0", 999, en), "999");
  EXPECT_EQ(Int(u"#,###,##0", 1000, en), "1,000");
  EXPECT_EQ(Int(u"#,##0.00", 5, de), "5,00");
}

TEST_F(NumberFormatTest, OptionalAndForcedDigits) {
  EXPECT_EQ(Float(u"#.##", 0.5, en), ".5");
  EXPECT_EQ(Float(u"0.##", 1, en), "1");
  EXPECT_EQ(Float(u"0.##", 1.1, en), "1.1");
  EXPECT_EQ(Float(u"0.0#", 1, en), "1.0");
  EXPECT_EQ(Float(u"000", 7, en), "007");
  EXPECT_EQ(Float(u"#", 0, en), "");
  EXPECT_EQ(Float(u"0", 1234567, en), "1234567");
  EXPECT_EQ(Float(u"00", -3, en), "-03");
  // Literals between placeholders keep their place.
  EXPECT_EQ(Int(u"(000) 000-0000", 5551234567, en), "(555) 123-4567");
  EXPECT_EQ(Float(u".00", 12.5, en), "12.50");
}

TEST_F(NumberFormatTest, RoundsHalfAwayFromZeroOnTheDecimalText) {
  EXPECT_EQ(Float(u"0.00", 0.125, en), "0.13");
  EXPECT_EQ(Float(u"0.00", -0.125, en), "-0.13");
  EXPECT_EQ(Float(u"0.00", 1.005, en), "1.01");
  EXPECT_EQ(Float(u"0.00", 2.675, en), "2.68");
  EXPECT_EQ(Float(u"0", 0.5, en), "1");
  EXPECT_EQ(Float(u"0", 2.5, en), "3");
  EXPECT_EQ(Float(u"0", -2.5, en), "-3");
  EXPECT_EQ(Float(u"0.00", 9.995, en), "10.00");
  EXPECT_EQ(Float(u"#,##0", 999999.5, en), "1,000,000");
}

TEST_F(NumberFormatTest, ValuesThatRoundToZeroHaveNoSign) {
  EXPECT_EQ(Float(u"0.00", -0.001, en), "0.00");
  EXPECT_EQ(Float(u"0.00", -0.0, en), "0.00");
  EXPECT_EQ(Float(u"0.00;(0.00);'zero'", -0.001, en), "zero");
}

TEST_F(NumberFormatTest, Sections) {
  const char16_t* pattern = u"#,##0.00;(#,##0.00);\"nil\"";
  EXPECT_EQ(Float(pattern, 1234.5, en), "1,234.50");
  EXPECT_EQ(Float(pattern, -1234.5, en), "(1,234.50)");
  EXPECT_EQ(Float(pattern, 0, en), "nil");
  // An empty negative section falls back to the first one with a sign.
  EXPECT_EQ(Float(u"0.0;;'z'", -2, en), "-2.0");
  EXPECT_EQ(Float(u"0.0;", -2, en), "-2.0");
  // A ";" inside quotes does not split.
  EXPECT_EQ(Float(u"0 'a;b'", 3, en), "3 a;b");
  EXPECT_EQ(Int(u"0;'minus' 0", -4, en), "minus 4");
}

TEST_F(NumberFormatTest, QuotedTextAndLiterals) {
  EXPECT_EQ(Float(u"'#'0.0 \"kg\"", 12.34, tr), "#12,3 kg");
  EXPECT_EQ(Float(u"₺#,##0.00", 1234.5, tr), "₺1.234,50");
  EXPECT_EQ(Float(u"#,##0.00 €", -1234.5, de), "-1.234,50 €");
  EXPECT_EQ(Float(u"0%", 12, en), "12%");
}

TEST_F(NumberFormatTest, Scientific) {
  EXPECT_EQ(Float(u"0.00E+00", 1234.5, en), "1.23E+03");
  EXPECT_EQ(Float(u"0.00E+00", 1234.5, tr), "1,23E+03");
  EXPECT_EQ(Float(u"0.00E+00", 0.000123456, en), "1.23E-04");
  EXPECT_EQ(Float(u"0.00E-00", 1234.5, en), "1.23E03");
  EXPECT_EQ(Float(u"0.00e-0", 0.0015, en), "1.50e-3");
  EXPECT_EQ(Float(u"00.0E+0", 1234.5, en), "12.3E+2");
  EXPECT_EQ(Float(u"0.00E+00", -1234.5, en), "-1.23E+03");
  EXPECT_EQ(Float(u"0.00E+00", 0, en), "0.00E+00");
  EXPECT_EQ(Float(u"0.00E+00", 9.999, en), "1.00E+01");
  EXPECT_EQ(Int(u"0.000E+00", INT64_MAX, en), "9.223E+18");
  // No grouping inside a mantissa.
  EXPECT_EQ(Float(u"#,##0.0E+0", 12345678, en), "1234.6E+4");
}

TEST_F(NumberFormatTest, Int64KeepsEveryDigit) {
  EXPECT_EQ(Int(u"#,###,##0", INT64_MAX, en), "9,223,372,036,854,775,807");
  EXPECT_EQ(Int(u"#,###,##0", INT64_MIN, tr), "-9.223.372.036.854.775.808");
  EXPECT_EQ(Int(u"0", 9007199254740993, en), "9007199254740993");
  EXPECT_EQ(Int(u"", -42, en), "-42");
}

TEST_F(NumberFormatTest, LargeFloats) {
  EXPECT_EQ(Float(u"#,##0", 1e15, en), "1,000,000,000,000,000");
  EXPECT_EQ(Float(u"0", 9007199254740992.0, en), "9007199254740992");
  EXPECT_EQ(Float(u"0.00", 123456789012345678.0, en), "123456789012345680.00");
  // Beyond 18 integer digits the general notation takes over.
  EXPECT_EQ(Float(u"#,##0.00", 1e19, en), "1E19");
  EXPECT_EQ(Float(u"0.00", 1e300, en), "1E300");
}

TEST_F(NumberFormatTest, EmptyPatternAndGeneralNotation) {
  EXPECT_EQ(Float(u"", 1234567.891, tr), "1234567,891");
  EXPECT_EQ(Float(u";0", 2.5, en), "2.5");
  EXPECT_EQ(WideToUtf8(FloatToStr(0.1 + 0.2, en)), "0.3");
  EXPECT_EQ(WideToUtf8(FloatToStr(1.0 / 3, en)), "0.333333333333333");
  EXPECT_EQ(WideToUtf8(FloatToStr(2.0 / 3, de)), "0,666666666666667");
  EXPECT_EQ(WideToUtf8(FloatToStr(100, en)), "100");
  EXPECT_EQ(WideToUtf8(FloatToStr(-0.0, en)), "0");
  EXPECT_EQ(WideToUtf8(FloatToStr(999999999999999.0, en)), "999999999999999");
  EXPECT_EQ(WideToUtf8(FloatToStr(1e15, en)), "1E15");
  EXPECT_EQ(WideToUtf8(FloatToStr(1.5e-5, en)), "0.000015");
  EXPECT_EQ(WideToUtf8(FloatToStr(1.5e-6, en)), "1.5E-6");
  EXPECT_EQ(WideToUtf8(FloatToStr(0.0001, en)), "0.0001");
  EXPECT_EQ(WideToUtf8(FloatToStr(-1.25e20, tr)), "-1,25E20");
  EXPECT_EQ(WideToUtf8(FloatToStr(std::numeric_limits<double>::quiet_NaN(), en)), "NAN");
  EXPECT_EQ(WideToUtf8(FloatToStr(-std::numeric_limits<double>::infinity(), en)), "-INF");
  EXPECT_EQ(Float(u"0.00", std::numeric_limits<double>::infinity(), en), "INF");
}

TEST_F(NumberFormatTest, CurrencyNotationFollowsPlacementCodes) {
  TFormatSettings s = en;
  s.CurrencyString = u"TL";
  s.CurrencyDecimals = 2;
  const std::pair<int, const char*> positive[] = {{0, "TL1,234.50"}, {1, "1,234.50TL"}, {2, "TL 1,234.50"}, {3, "1,234.50 TL"}};
  for (auto [code, expected] : positive) {
    s.CurrencyFormat = static_cast<uint8_t>(code);
    EXPECT_EQ(WideToUtf8(CurrToStr(1234.5, s)), expected) << code;
  }
  const char* negative[16] = {"(TL1.5)", "-TL1.5", "TL-1.5", "TL1.5-", "(1.5TL)", "-1.5TL", "1.5-TL", "1.5TL-",
                              "-1.5 TL", "-TL 1.5", "1.5 TL-", "TL 1.5-", "TL -1.5", "1.5- TL", "(TL 1.5)", "(1.5 TL)"};
  s.CurrencyDecimals = 1;
  for (int code = 0; code < 16; ++code) {
    s.NegCurrFormat = static_cast<uint8_t>(code);
    EXPECT_EQ(WideToUtf8(CurrToStr(-1.5, s)), negative[code]) << code;
  }
  s.CurrencyFormat = 0;
  EXPECT_EQ(WideToUtf8(CurrToStr(-0.001, s)), "TL0.0");
}

TEST_F(NumberFormatTest, CurrencyNotationOfTheLocales) {
  EXPECT_EQ(WideToUtf8(CurrToStr(1234.565, de)), "1.234,57 €");
  EXPECT_EQ(WideToUtf8(CurrToStr(-1234.5, de)), "-1.234,50 €");
  EXPECT_EQ(WideToUtf8(CurrToStr(1234.5, en)), "$1,234.50");
  EXPECT_EQ(WideToUtf8(CurrToStr(1234.5, tr)), "₺1.234,50");
}

// The currency text rounds as a fixed pattern with as many decimals does,
// for values with few decimals and values with many, at every precision
// (values of up to 15 significant digits, which the currency text keeps).
TEST_F(NumberFormatTest, CurrencyAmountsRoundAsTheFixedPatterns) {
  TFormatSettings s = de;
  s.CurrencyString = u"TL";
  s.CurrencyFormat = 3;  // "1.234,50 TL"
  s.NegCurrFormat = 8;   // "-1.234,50 TL"
  const char16_t* patterns[] = {u"#,##0", u"#,##0.0", u"#,##0.00", u"#,##0.000", u"#,##0.0000", u"#,##0.00000",
                                u"#,##0.000000"};
  std::vector<double> values = {0, 0.005, 0.015, 1.005, 2.675, 999.995, 0.0000005, 123456789.125, 1e13 + 0.5,
                                999999999999999.0, 1e15, 1e16, 0.12345678901234};
  std::mt19937_64 random(20261210);
  std::uniform_int_distribution<int64_t> units(0, 99999999999);
  std::uniform_int_distribution<int> decimals(0, 7);
  std::uniform_real_distribution<double> wide(0, 1e9);
  for (int i = 0; i < 20000; ++i) values.push_back(static_cast<double>(units(random)) / std::pow(10.0, decimals(random)));
  for (int i = 0; i < 2000; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "%.14e", wide(random));
    values.push_back(std::strtod(text, nullptr));
  }
  for (int places = 0; places <= 6; ++places) {
    s.CurrencyDecimals = static_cast<uint8_t>(places);
    for (const double value : values) {
      for (const double signedValue : {value, -value}) {
        const std::string amount = WideToUtf8(FormatFloat(patterns[places], std::fabs(signedValue), s));
        const bool showsSign = signedValue < 0 && amount.find_first_not_of("0.,") != std::string::npos;
        const std::string expected = (showsSign ? "-" : "") + amount + " TL";
        ASSERT_EQ(WideToUtf8(CurrToStr(signedValue, s)), expected) << std::hexfloat << signedValue << " " << places;
      }
    }
  }
}

// Rounding to two places against Python's decimal module, which rounds the
// shortest decimal text of each double half away from zero.
// A pattern compiled once and used for many values, appending to a buffer
// that already holds text, writes what a fresh FormatFloat / FormatInt64
// writes for each value, whatever came before.
TEST_F(NumberFormatTest, CompiledPatternsReusedGiveTheSameTexts) {
  const char16_t* patterns[] = {u"#,###,##0", u"#,###,##0.00", u"0.00;(0.00);'zero'", u"0.###E+00",
                                u"'TL' #,##0.0#", u"", u";;", u"#.#,#"};
  const double floats[] = {0, 1234567.891, -0.004, 1e20, -98765.4321, 0.5, 1.005, -1e-7};
  const int64_t integers[] = {0, 7919, -1, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()};
  for (const char16_t* pattern : patterns) {
    const TNumberPattern compiled(pattern);
    for (int round = 0; round < 2; ++round) {
      for (double value : floats) {
        WideString out = u"[";
        compiled.AppendFloat(value, de, out);
        EXPECT_EQ(out, u"[" + FormatFloat(pattern, value, de)) << WideToUtf8(pattern) << " " << value;
      }
      for (int64_t value : integers) {
        WideString out = u"[";
        compiled.AppendInt64(value, tr, out);
        EXPECT_EQ(out, u"[" + FormatInt64(pattern, value, tr)) << WideToUtf8(pattern) << " " << value;
      }
    }
  }
}

// The shortest round-trip digits as the standard library's conversion
// gives them, as digits without leading or trailing zeros and the power of
// ten of the point.
std::pair<std::string, int> ShortestDigits(double magnitude) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
  std::string digits;
  const char* p = buffer;
  for (; p < end && *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  const int exponent = std::stoi(std::string(p + 1, static_cast<const char*>(end))) + 1;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  return {digits, exponent};
}

TEST(DecimalDigitsTest, ShortestDigitsOfValuesWithFewAndManyDecimals) {
  std::vector<double> values = {0.1, 0.2, 0.3, 1.005, 2.675, 99.995, 0.000001, 0.0000015, 1e-7, 123456.7890,
                                0x1p50, 0x1p50 - 0.25, 0x1p50 + 1, 0x1p53, 1e15 + 0.125, 1e15 + 0.375,
                                9.999999999999999, 10.000000000000002, 0.09999999999999999, 1e22, 1e-300,
                                5e-324, 1.7976931348623157e308, 4503599627370495.5, 1234567.1234567};
  std::mt19937_64 random(20261209);
  std::uniform_int_distribution<int64_t> scaled(0, int64_t{1} << 52);
  std::uniform_int_distribution<int> decimals(0, 8);
  std::uniform_int_distribution<uint64_t> bits(0, 0x7FEFFFFFFFFFFFFF);
  for (int i = 0; i < 200000; ++i) {
    const int64_t units = scaled(random) >> decimals(random) * 5;
    values.push_back(static_cast<double>(units) / std::pow(10.0, decimals(random)));
  }
  for (int i = 0; i < 20000; ++i) values.push_back(std::bit_cast<double>(bits(random)));
  for (int i = 0; i < 1000; ++i) values.push_back(std::nextafter(std::pow(10.0, i % 40 - 20), 0.0));
  for (const double value : values) {
    if (value == 0) continue;
    for (const double signed_value : {value, -value}) {
      const locale_detail::DecimalNumber number = locale_detail::DecimalFromDouble(signed_value);
      const auto [digits, exponent] = ShortestDigits(value);
      ASSERT_EQ(number.digits, digits) << std::hexfloat << signed_value;
      ASSERT_EQ(number.exponent, exponent) << std::hexfloat << signed_value;
      ASSERT_EQ(number.negative, signed_value < 0);
    }
  }
}

TEST(NumberFormatCrossCheck, RoundingAgreesWithPythonDecimal) {
  const std::string python = "/usr/bin/python3";
  if (test::RunCommand(python + " -c 'import decimal' 2>/dev/null") != 0)
    GTEST_SKIP() << "/usr/bin/python3 with the decimal module is not available";
  std::vector<double> values = {0.125, 1.005, 2.675, 1.115, 0.045, 8.345, 1e15 + 0.375, 123456.785,
                                4503599627370495.5, 0.994999999999999995, -7.005, -0.015};
  std::mt19937_64 random(20240305);
  std::uniform_int_distribution<int64_t> cents(-10000000, 10000000);
  std::uniform_real_distribution<double> wide(-1e12, 1e12);
  for (int i = 0; i < 300; ++i) values.push_back(static_cast<double>(cents(random)) / 1000.0);
  for (int i = 0; i < 200; ++i) values.push_back(wide(random));
  const auto dir = test::MakeTempDir("locale-rounding");
  const auto input = dir / "values.txt";
  {
    std::ofstream out(input);
    out.precision(17);
    for (double v : values) out << v << "\n";
  }
  const std::string script =
      "import sys, decimal\n"
      "for line in open(sys.argv[1]):\n"
      "    d = decimal.Decimal(repr(float(line)))\n"
      "    q = d.quantize(decimal.Decimal('0.01'), rounding=decimal.ROUND_HALF_UP)\n"
      "    if q == 0: q = abs(q)\n"
      "    print(format(q, ',f'))\n";
  {
    std::ofstream(dir / "round.py") << script;
  }
  std::string output;
  ASSERT_EQ(test::RunCommand(python + " " + (dir / "round.py").string() + " " + input.string(), &output), 0);
  std::istringstream expected(output);
  const TFormatSettings en = TFormatSettings::FromLocale("en_US");
  for (double v : values) {
    std::string line;
    std::getline(expected, line);
    std::ostringstream shown;
    shown.precision(17);
    shown << v;
    EXPECT_EQ(WideToUtf8(FormatFloat(u"#,##0.00", v, en)), line) << shown.str();
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace verimo

namespace verimo {
namespace {

// Arbitrary patterns never crash or throw (run under the sanitizers too).
TEST(PatternRobustness, RandomPatternsAreSafe) {
  const TFormatSettings tr = TFormatSettings::FromLocale("tr_TR");
  const std::u16string alphabet = u"0#.,;Ee+-'\"x %/:dmyhnszta";
  std::mt19937 random(7);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 14);
  const double values[] = {0.0, -0.0, 1.5, -1234567.891, 1e-300, 5e307, 0.005, 123456789012345678.0};
  for (int i = 0; i < 3000; ++i) {
    std::u16string pattern;
    for (int n = length(random); n > 0; --n) pattern += alphabet[pick(random)];
    for (double value : values) EXPECT_NO_THROW(FormatFloat(pattern, value, tr)) << WideToUtf8(pattern);
    EXPECT_NO_THROW(FormatInt64(pattern, INT64_MIN, tr));
    EXPECT_NO_THROW(FormatDateTime(pattern, 45356.75, tr));
  }
}

// Patterns of literal text around one run of placeholders take a shorter
// path; an empty quoted text in front sends the same pattern down the
// general one, and both must write the same text.
TEST(PatternRobustness, PlainPatternsAgreeWithTheGeneralPath) {
  const TFormatSettings tr = TFormatSettings::FromLocale("tr_TR");
  const std::u16string placeholders = u"0#,.";
  const std::u16string literals = u"x -TL$";
  std::mt19937 random(11);
  std::uniform_int_distribution<size_t> placeholder(0, placeholders.size() - 1);
  std::uniform_int_distribution<size_t> literal(0, literals.size() - 1);
  std::uniform_int_distribution<int> length(0, 9);
  std::uniform_int_distribution<int64_t> integers(-99999999999, 99999999999);
  std::uniform_int_distribution<int> exponents(-12, 22);
  std::uniform_real_distribution<double> mantissas(-10, 10);
  std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 0.005, 1.005, 9.995, 99.5, 999999.995, -1e-300, 1e19, 5e307};
  for (int i = 0; i < 60; ++i) values.push_back(mantissas(random) * std::pow(10.0, exponents(random)));
  // Whole hundredths, the values of money columns, up to and beyond 10^11.
  for (int i = 0; i < 60; ++i) values.push_back(static_cast<double>(integers(random) >> (i % 24)) / 100);
  for (double cents : {1.0, 5.0, 10.0, 99999999999999.0, 999999999999999.0, 9999999999999999.0})
    values.push_back(cents / 100);
  std::vector<int64_t> ints = {0, 1, -1, 999, 1000, INT64_MIN, INT64_MAX};
  for (int i = 0; i < 20; ++i) ints.push_back(integers(random));
  for (int i = 0; i < 400; ++i) {
    std::u16string pattern;
    for (int n = length(random) / 3; n > 0; --n) pattern += literals[literal(random)];
    for (int n = length(random) + 1; n > 0; --n) {
      const char16_t ch = placeholders[placeholder(random)];
      if (ch != u'.' || pattern.find(u'.') == std::u16string::npos) pattern += ch;
    }
    for (int n = length(random) / 3; n > 0; --n) pattern += literals[literal(random)];
    const std::u16string general = u"''" + pattern;
    for (double value : values)
      ASSERT_EQ(WideToUtf8(FormatFloat(pattern, value, tr)), WideToUtf8(FormatFloat(general, value, tr)))
          << WideToUtf8(pattern) << " " << value;
    for (int64_t value : ints)
      ASSERT_EQ(WideToUtf8(FormatInt64(pattern, value, tr)), WideToUtf8(FormatInt64(general, value, tr)))
          << WideToUtf8(pattern) << " " << value;
  }
}

// A width pass measures one value per length class: every value of a class
// must have a text of the same length, through every kind of pattern.
TEST(PatternRobustness, ValuesOfOneLengthClassHaveTextsOfOneLength) {
  const TFormatSettings tr = TFormatSettings::FromLocale("tr_TR");
  const std::u16string alphabet = u"0#.,;Ee+-'\"x %";
  std::mt19937 random(13);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 10);
  std::uniform_int_distribution<int64_t> integers(-99999999999, 99999999999);
  std::uniform_int_distribution<int> exponents(-3, 16);
  std::uniform_real_distribution<double> mantissas(-10, 10);
  std::vector<double> values = {1.0, -1.0, 9.995, 9.5, 10.0, 99.999, 100.004, 999.9999, 1000.0, -999.995, 1e14,
                                999999999999999.9, 0.5, 0.004, -0.004, 0.0};
  for (int i = 0; i < 300; ++i) values.push_back(mantissas(random) * std::pow(10.0, exponents(random)));
  std::vector<int64_t> ints = {0, 1, -1, 9, 10, 99, 100, 999, 1000, -1000, INT64_MIN, INT64_MAX};
  for (int i = 0; i < 300; ++i) ints.push_back(integers(random) >> (i % 30));
  std::vector<std::u16string> patterns = {u"", u"#,###,##0", u"#,###,##0.00", u"0.00 TL", u"$ #,##0.0", u"#",
                                          u"0000", u"#,##0.##", u"0.0E+0", u"#;(#);zero"};
  for (int i = 0; i < 300; ++i) {
    std::u16string pattern;
    for (int n = length(random); n > 0; --n) pattern += alphabet[pick(random)];
    patterns.push_back(pattern);
  }
  for (const std::u16string& text : patterns) {
    const TNumberPattern pattern(text);
    std::map<int, size_t> floatLengths;
    std::map<int, size_t> intLengths;
    for (double value : values) {
      const int lengthClass = pattern.LengthClassOfFloat(value);
      if (lengthClass < 0) continue;
      ASSERT_LT(lengthClass, 64);
      WideString out;
      pattern.AppendFloat(value, tr, out);
      const auto [known, added] = floatLengths.emplace(lengthClass, out.size());
      ASSERT_EQ(known->second, out.size()) << WideToUtf8(text) << " " << value;
    }
    for (int64_t value : ints) {
      const int lengthClass = pattern.LengthClassOfInt64(value);
      if (lengthClass < 0) continue;
      ASSERT_LT(lengthClass, 64);
      WideString out;
      pattern.AppendInt64(value, tr, out);
      const auto [known, added] = intLengths.emplace(lengthClass, out.size());
      ASSERT_EQ(known->second, out.size()) << WideToUtf8(text) << " " << value;
    }
  }
  // The common patterns are classified at all.
  EXPECT_GE(TNumberPattern(u"#,###,##0.00").LengthClassOfFloat(1234.5), 0);
  EXPECT_GE(TNumberPattern(u"#,###,##0").LengthClassOfInt64(-77), 0);
}

}  // namespace
}  // namespace verimo
