#include "engine/TesselFormats.h"

#include <algorithm>

namespace verimo {
namespace {

WideString OrDefault(WideStringView value, WideStringView fallback) {
  return WideString(value.empty() ? fallback : value);
}

WideString CurrencyPattern(const TFormatSettings& settings) {
  const WideString number = kDefaultFloatFormat;
  const WideString& symbol = settings.CurrencyString;
  switch (settings.CurrencyFormat) {
    case 1: return number + symbol;
    case 2: return symbol + u" " + number;
    case 3: return number + u" " + symbol;
    default: return symbol + number;
  }
}

// The classic text of a currency value: its exact decimal digits, at most
// four after the point, trailing zeros dropped, no symbol.
WideString CurrencyToText(Currency value, const TFormatSettings& settings) {
  WideString text = Utf8ToWide(value.ToPlainText());
  std::replace(text.begin(), text.end(), u'.', settings.DecimalSeparator);
  return text;
}

// A time of day without a date reads as the time alone, as the platform's
// variant conversion writes it; everything else as "c".
WideString DateTimeToText(TDateTime value, const TFormatSettings& settings) {
  if (DateOf(value) == 0 && TimeOf(value) != 0) return FormatDateTime(u"tt", value, settings);
  return DateTimeToStr(value, settings);
}

}  // namespace

TTesselFormatDefaults TTesselFormatDefaults::FromSettings(const TFormatSettings& settings) {
  TTesselFormatDefaults defaults;
  defaults.Separators() = settings.Separators();
  defaults.DateFormat = settings.ShortDateFormat;
  defaults.TimeFormat = settings.ShortTimeFormat;
  defaults.DateTimeFormat = settings.ShortDateFormat + u" " + settings.ShortTimeFormat;
  defaults.CurrencyFormat = CurrencyPattern(settings);
  return defaults;
}

TTesselFormats::TTesselFormats()
    : TTesselFormats(TTesselFormatDefaults::FromSettings(GlobalFormatSettings())) {}

TTesselFormats::TTesselFormats(const TTesselFormatDefaults& defaults) : defaults_(defaults) {
  ResetFormats();
  StoreSeparators();
}

void TTesselFormats::SetIntegerFormat(WideStringView value) {
  integerFormat_ = OrDefault(value, kDefaultIntegerFormat);
}
void TTesselFormats::SetFloatFormat(WideStringView value) { floatFormat_ = WideString(value); }
void TTesselFormats::SetDateFormat(WideStringView value) {
  dateFormat_ = OrDefault(value, defaults_.DateFormat);
}
void TTesselFormats::SetTimeFormat(WideStringView value) {
  timeFormat_ = OrDefault(value, defaults_.TimeFormat);
}
void TTesselFormats::SetDateTimeFormat(WideStringView value) {
  dateTimeFormat_ = OrDefault(value, defaults_.DateTimeFormat);
}
void TTesselFormats::SetCurrencyFormat(WideStringView value) {
  currencyFormat_ = OrDefault(value, defaults_.CurrencyFormat);
}
void TTesselFormats::SetBooleanTrue(WideStringView value) {
  booleanTrue_ = OrDefault(value, kDefaultBooleanTrue);
}
void TTesselFormats::SetBooleanFalse(WideStringView value) {
  booleanFalse_ = OrDefault(value, kDefaultBooleanFalse);
}
void TTesselFormats::SetNullString(WideStringView value) { nullString_ = Trim(value); }

void TTesselFormats::Assign(const TTesselFormats& source) {
  if (&source == this) return;
  SetIntegerFormat(source.integerFormat_);
  SetFloatFormat(source.floatFormat_);
  SetDateFormat(source.dateFormat_);
  SetTimeFormat(source.timeFormat_);
  SetDateTimeFormat(source.dateTimeFormat_);
  SetCurrencyFormat(source.currencyFormat_);
  SetBooleanTrue(source.booleanTrue_);
  SetBooleanFalse(source.booleanFalse_);
  SetNullString(source.nullString_);
  Separators() = source.Separators();
  KeepOriginalFormat = source.KeepOriginalFormat;
}

void TTesselFormats::ResetFormats() {
  integerFormat_ = kDefaultIntegerFormat;
  floatFormat_ = kDefaultFloatFormat;
  dateFormat_ = defaults_.DateFormat;
  timeFormat_ = defaults_.TimeFormat;
  dateTimeFormat_ = defaults_.DateTimeFormat;
  currencyFormat_ = defaults_.CurrencyFormat;
  booleanTrue_ = kDefaultBooleanTrue;
  booleanFalse_ = kDefaultBooleanFalse;
  Separators() = defaults_.Separators();
}

void TTesselFormats::StoreSeparators() {
  savedSeparators_ = GlobalFormatSettings().Separators();
}

void TTesselFormats::ApplySeparators() const {
  GlobalFormatSettings().Separators() = Separators();
}

void TTesselFormats::RestoreSeparators() const {
  GlobalFormatSettings().Separators() = savedSeparators_;
}

bool TTesselFormats::IsStored(std::string_view name) const {
  const TFormatSettings& system = GlobalFormatSettings();
  if (name == "DecimalSeparator") return DecimalSeparator != system.DecimalSeparator;
  if (name == "ThousandSeparator") return ThousandSeparator != system.ThousandSeparator;
  if (name == "DateSeparator") return DateSeparator != system.DateSeparator;
  if (name == "TimeSeparator") return TimeSeparator != system.TimeSeparator;
  if (name == "IntegerFormat") return integerFormat_ != kDefaultIntegerFormat;
  if (name == "FloatFormat") return floatFormat_ != kDefaultFloatFormat;
  if (name == "DateFormat") return dateFormat_ != defaults_.DateFormat;
  if (name == "TimeFormat") return timeFormat_ != defaults_.TimeFormat;
  if (name == "DateTimeFormat") return dateTimeFormat_ != defaults_.DateTimeFormat;
  if (name == "CurrencyFormat") return currencyFormat_ != defaults_.CurrencyFormat;
  if (name == "BooleanTrue") return booleanTrue_ != kDefaultBooleanTrue;
  if (name == "BooleanFalse") return booleanFalse_ != kDefaultBooleanFalse;
  if (name == "NullString") return !nullString_.empty();
  return false;
}

void TTesselFormats::AppendInteger(const TNumberPattern& pattern, int64_t value, WideString& out) const {
  TSeparatorScope scope(*this);
  if (pattern.Pattern().empty())
    AppendIntText(value, out);
  else
    pattern.AppendInt64(value, scope.Settings(), out);
}

void TTesselFormats::AppendFloatValue(const TNumberPattern& pattern, double value, WideString& out) const {
  TSeparatorScope scope(*this);
  if (pattern.Pattern().empty())
    AppendFloatText(value, scope.Settings(), out);
  else
    pattern.AppendFloat(value, scope.Settings(), out);
}

void TTesselFormats::AppendCurrencyValue(const TNumberPattern& pattern, double value, WideString& out) const {
  TSeparatorScope scope(*this);
  if (pattern.Pattern().empty())
    AppendCurrText(value, scope.Settings(), out);
  else
    pattern.AppendFloat(value, scope.Settings(), out);
}

void TTesselFormats::AppendDateTimeValue(const TDateTimePattern& pattern, TDateTime value, WideString& out) const {
  TSeparatorScope scope(*this);
  pattern.Append(value, scope.Settings(), out);
}

WideString TTesselFormats::FormatInteger(WideStringView pattern, int64_t value) const {
  WideString out;
  AppendInteger(TNumberPattern(pattern), value, out);
  return out;
}

WideString TTesselFormats::FormatFloatValue(WideStringView pattern, double value) const {
  WideString out;
  AppendFloatValue(TNumberPattern(pattern), value, out);
  return out;
}

WideString TTesselFormats::FormatCurrencyValue(WideStringView pattern, double value) const {
  WideString out;
  AppendCurrencyValue(TNumberPattern(pattern), value, out);
  return out;
}

WideString TTesselFormats::FormatDateTimeValue(WideStringView pattern, TDateTime value) const {
  WideString out;
  AppendDateTimeValue(TDateTimePattern(pattern.empty() ? WideStringView(u"c") : pattern), value, out);
  return out;
}

WideString VariantToText(const Variant& value) {
  const TFormatSettings& settings = GlobalFormatSettings();
  switch (value.GetKind()) {
    case Variant::Kind::Boolean: return value.AsBool() ? u"True" : u"False";
    case Variant::Kind::Integer: return IntToWide(value.AsInt());
    case Variant::Kind::Double: return FloatToStr(value.AsDouble(), settings);
    case Variant::Kind::Currency: return CurrencyToText(value.AsCurrency(), settings);
    case Variant::Kind::DateTime: return DateTimeToText(value.AsDateTime(), settings);
    case Variant::Kind::Text: return value.AsText();
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
    case Variant::Kind::Bytes: break;
  }
  return {};
}

}  // namespace verimo
