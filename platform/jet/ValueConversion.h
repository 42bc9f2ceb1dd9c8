#pragma once

#include <optional>
#include <string>

#include "core/DateTime.h"
#include "core/Variant.h"
#include "core/WideString.h"
#include "platform/jet/TableDefinition.h"
#include "platform/locale/Separators.h"

namespace verimo {

// The conventions of the texts handed to an insert command, as the
// exporter's formats write them.
struct TJetFormatSettings : TSeparators {
  // Only the order of the day, month and year fields matters.
  WideString ShortDateFormat = u"M/d/yyyy";
  WideString TimeAMString = u"AM";
  WideString TimePMString = u"PM";
  WideString CurrencyString = u"$";
  WideString TrueText = u"True";
  WideString FalseText = u"False";
};

// Reads parameter texts; an exporter can plug its own locale layer in.
class TJetTextParser {
 public:
  virtual ~TJetTextParser() = default;
  // The number in plain form: optional '-', digits, optional '.' and
  // digits, optional 'e' and a signed exponent; nothing when the text is not
  // a number.
  virtual std::optional<std::string> NormalizeNumber(WideStringView text) const = 0;
  virtual bool TryParseDateTime(WideStringView text, TDateTime& value) const = 0;
  virtual bool TryParseBoolean(WideStringView text, bool& value) const = 0;
};

// The parser for TJetFormatSettings: separators, the currency symbol before
// or after the number, a sign in front, behind or as parentheses; dates in
// the short date order or as yyyy-mm-dd, with an optional time
// h:nn[:ss[.zzz]] [AM/PM]; Booleans as the true/false texts, True/False,
// Yes/No or a number.
class TJetSettingsTextParser : public TJetTextParser {
 public:
  explicit TJetSettingsTextParser(TJetFormatSettings settings = {}) : settings_(std::move(settings)) {}
  std::optional<std::string> NormalizeNumber(WideStringView text) const override;
  bool TryParseDateTime(WideStringView text, TDateTime& value) const override;
  bool TryParseBoolean(WideStringView text, bool& value) const override;
  const TJetFormatSettings& Settings() const { return settings_; }

 private:
  bool TryParseDate(WideStringView text, TDateTime& value) const;
  bool TryParseTime(WideStringView text, TDateTime& value) const;
  TJetFormatSettings settings_;
};

namespace jet {

// The value for `column` from a parameter value (null, wide text, or an
// already typed value). Raises verimo::Exception naming the column and the
// value when the text is not such a value or does not fit the column.
Variant ConvertForColumn(const Column& column, const Variant& value, const TJetTextParser& parser);
// The same into `out`, reusing the text buffer it holds; a typed value of
// the column's own kind goes in without a text between.
void ConvertForColumn(const Column& column, const Variant& value, const TJetTextParser& parser, Variant& out);

// Exact conversions of a plain number (see NormalizeNumber), rounding half
// to even; false when out of range.
bool PlainNumberToInt32(const std::string& number, int32_t& value);
bool PlainNumberToCurrency(const std::string& number, Currency& value);
bool PlainNumberToDouble(const std::string& number, double& value);

}  // namespace jet
}  // namespace verimo
