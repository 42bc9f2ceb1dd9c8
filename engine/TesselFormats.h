#pragma once

#include <cstdint>
#include <string_view>

#include "core/DateTime.h"
#include "core/NonCopyable.h"
#include "core/Variant.h"
#include "core/WideString.h"
#include "platform/locale/Formatting.h"

namespace verimo {

// The separators and patterns an exporter starts from, computed from a
// locale's settings.
struct TTesselFormatDefaults : TSeparators {
  WideString DateFormat;      // short date pattern
  WideString TimeFormat;      // short time pattern
  WideString DateTimeFormat;  // short date, one space, short time
  WideString CurrencyFormat;  // currency symbol placed around "#,###,##0.00"

  static TTesselFormatDefaults FromSettings(const TFormatSettings& settings);
};

constexpr char16_t kDefaultIntegerFormat[] = u"#,###,##0";
constexpr char16_t kDefaultFloatFormat[] = u"#,###,##0.00";
constexpr char16_t kDefaultBooleanTrue[] = u"true";
constexpr char16_t kDefaultBooleanFalse[] = u"false";

// Value patterns, separators, Boolean texts and the null text of one
// exporter. The separators (the base's) are accepted unchanged, whatever
// the value, and are switched into the process-wide settings only for the
// length of one conversion (TSeparatorScope).
class TTesselFormats : public TSeparators {
 public:
  // Defaults from the process-wide settings, which hold the user locale's
  // (tests pin them first), or from another locale's settings:
  // TTesselFormatDefaults::FromSettings(TFormatSettings::FromLocale("de_DE")).
  TTesselFormats();
  explicit TTesselFormats(const TTesselFormatDefaults& defaults);

  // Values are exported with the source's own text, without patterns.
  bool KeepOriginalFormat = false;

  const WideString& IntegerFormat() const { return integerFormat_; }
  const WideString& FloatFormat() const { return floatFormat_; }
  const WideString& DateFormat() const { return dateFormat_; }
  const WideString& TimeFormat() const { return timeFormat_; }
  const WideString& DateTimeFormat() const { return dateTimeFormat_; }
  const WideString& CurrencyFormat() const { return currencyFormat_; }
  const WideString& BooleanTrue() const { return booleanTrue_; }
  const WideString& BooleanFalse() const { return booleanFalse_; }
  const WideString& NullString() const { return nullString_; }

  // An empty value gives the default, except FloatFormat, which stays empty
  // (floats are then written in the general notation). NullString is stored
  // trimmed.
  void SetIntegerFormat(WideStringView value);
  void SetFloatFormat(WideStringView value);
  void SetDateFormat(WideStringView value);
  void SetTimeFormat(WideStringView value);
  void SetDateTimeFormat(WideStringView value);
  void SetCurrencyFormat(WideStringView value);
  void SetBooleanTrue(WideStringView value);
  void SetBooleanFalse(WideStringView value);
  void SetNullString(WideStringView value);

  const TTesselFormatDefaults& Defaults() const { return defaults_; }

  // Copies the patterns and texts through their setters, the separators and
  // KeepOriginalFormat. The stored copy of the system separators stays.
  void Assign(const TTesselFormats& source);
  // Patterns, Boolean texts and separators back to their defaults.
  void ResetFormats();
  // Takes the process-wide separators as the ones to restore.
  void StoreSeparators();
  // Sets the process-wide separators to this object's / back to the stored ones.
  void ApplySeparators() const;
  void RestoreSeparators() const;

  // Whether a property differs from its default and is therefore saved
  // ("DecimalSeparator", "IntegerFormat", ..., the published names; the
  // separators are compared with the process-wide ones). False for names
  // that are not published properties.
  bool IsStored(std::string_view propertyName) const;

  // Conversions of one value with this object's separators switched in for
  // the call (restored on every path). An empty integer pattern writes the
  // plain decimal number, an empty float pattern the general notation, an
  // empty currency pattern the currency notation, an empty date-time pattern
  // the default date-time text.
  WideString FormatInteger(WideStringView pattern, int64_t value) const;
  WideString FormatFloatValue(WideStringView pattern, double value) const;
  WideString FormatCurrencyValue(WideStringView pattern, double value) const;
  WideString FormatDateTimeValue(WideStringView pattern, TDateTime value) const;
  WideString FormatBoolean(bool value) const { return value ? booleanTrue_ : booleanFalse_; }

  // The same conversions with a pattern compiled once, appended to `out`
  // (a buffer the caller reuses), so that a run formats without building
  // intermediate texts.
  void AppendInteger(const TNumberPattern& pattern, int64_t value, WideString& out) const;
  void AppendFloatValue(const TNumberPattern& pattern, double value, WideString& out) const;
  void AppendCurrencyValue(const TNumberPattern& pattern, double value, WideString& out) const;
  void AppendDateTimeValue(const TDateTimePattern& pattern, TDateTime value, WideString& out) const;

 private:
  TTesselFormatDefaults defaults_;

  WideString integerFormat_;
  WideString floatFormat_;
  WideString dateFormat_;
  WideString timeFormat_;
  WideString dateTimeFormat_;
  WideString currencyFormat_;
  WideString booleanTrue_;
  WideString booleanFalse_;
  WideString nullString_;

  // The process-wide separators to restore after a conversion.
  TSeparators savedSeparators_;
};

// Applies a formats object's separators for the lifetime of the scope and
// puts back the ones in force when it began, also on an exception; so a
// run that switched the process-wide separators for its whole length keeps
// them between conversions.
class TSeparatorScope : private TNonCopyable {
 public:
  // Inline: a scope is opened for every formatted value.
  explicit TSeparatorScope(const TTesselFormats& formats)
      : system_(GlobalFormatSettings()), saved_(system_.Separators()) {
    system_.Separators() = formats.Separators();
  }
  ~TSeparatorScope() { system_.Separators() = saved_; }

  // The process-wide settings, with the scope's separators.
  const TFormatSettings& Settings() const { return system_; }

 private:
  TFormatSettings& system_;
  TSeparators saved_;
};

// A value as text without a pattern, with the process-wide settings: the
// platform's default text of integers, floats (general notation), currency
// (general notation, no symbol), date-times ("c"; a time of day alone as the
// long time), Booleans ("True" / "False") and wide text; empty and null give
// an empty text, bytes too. Date-times outside the years 1 to 9999 throw
// verimo::Exception.
WideString VariantToText(const Variant& value);

}  // namespace verimo
