#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Variant.h"
#include "core/WideString.h"
#include "engine/TesselStoredText.h"
#include "engine/TesselText.h"

namespace verimo {

// JSON: one array of objects, one object per record; with Lines, JSON Lines
// (one object per line, no array). Keys are the columns' captions, made
// unique; values are typed: numbers, true/false, null, dates and times as
// ISO 8601 texts, texts as strings, binary values as base64 strings. The
// patterns of the formats object do not apply (a typed value has one
// lexical form). Always UTF-8, without a byte-order mark.
class TTesselJSON : public TTesselFormatText {
 public:
  explicit TTesselJSON(bool lines = false);

  bool Lines;
  // Set when the records are one table of several in one target: JSON
  // writes the member "TableName":[...] of the target's object instead of
  // the array alone, JSON Lines begins every line with "_table":"TableName".
  WideString TableName;

  void BeginExport() override;
  void WriteCaptionRow() override {}
  void FillRow() override;
  void WriteDataRow() override;
  void EndExport() override;

 private:
  // How a column's value is written.
  enum class TValueKind : uint8_t { Integer, Float, Decimal, Boolean, Date, Time, DateTime, Text, Binary };
  struct TColumnPlan {
    std::string key;  // "\"Caption\":" as bytes, the comma before it included after the first
    TValueKind kind = TValueKind::Text;
    bool fromField = false;  // read from the field itself, not from the row's cell
  };

  void PlanColumns();
  void AppendFieldValue(int index);
  // A text field's stored bytes transcoded straight into the string; false
  // with nothing appended when a byte needs the converter or would be a C1
  // control character.
  bool AppendStoredText(int index, std::string_view stored);
  void AppendCellValue(int index);
  void AppendVariant(int index, const Variant& value);
  void AppendNumber(int index, const Variant& value);
  void AppendString(int index, WideStringView text);

  std::string rowStart_;  // "{" with the line's table key after it
  std::vector<TColumnPlan> plan_;
  TTesselStoredText stored_;
  WideString decoded_;
  std::vector<uint8_t> deferred_;
  std::vector<Variant> values_;  // one per column, reused from record to record
  std::string row_;
  bool fieldRows_ = false;
  bool firstRow_ = true;
};

// The JSON pieces, free of any run state; each appends UTF-8 to `out`.
namespace json {

// A JSON string: quotes around, '"' and '\' escaped, every control
// character (C0, DEL, C1) as \uXXXX or its short escape; returns the lone
// surrogates met, each written as U+FFFD.
int64_t AppendString(std::string& out, WideStringView text);
// The shortest decimal text that reads back as the same double, with ".0"
// when it would otherwise read as an integer; false (nothing appended) for
// NaN and the infinities.
bool AppendDouble(std::string& out, double value);
// The currency value with its four decimals, trailing zeros dropped.
void AppendCurrency(std::string& out, Currency value);
// "YYYY-MM-DD", "hh:mm:ss" (".zzz" with milliseconds), "YYYY-MM-DDThh:mm:ss"
// as a JSON string; false (nothing appended) outside the years 1 to 9999.
bool AppendDate(std::string& out, TDateTime value);
bool AppendTime(std::string& out, TDateTime value);
bool AppendDateTime(std::string& out, TDateTime value);
// The same texts without the quotes: the date part (false, nothing
// appended, outside the years 1 to 9999) and the time part.
bool AppendDatePart(std::string& out, TDateTime value);
void AppendTimePart(std::string& out, TDateTime value);
// The bytes as a base64 JSON string (RFC 4648, padded).
void AppendBase64(std::string& out, const uint8_t* data, size_t size);
// Captions made unique: a caption equal to an earlier key or to one of
// `reserved` gets the first free number appended ("Name1", "Name2", ...).
std::vector<WideString> UniqueKeys(const std::vector<WideString>& captions,
                                   const std::vector<WideString>& reserved = {});

// The key that names a JSON Lines record's table.
inline constexpr char16_t kTableKey[] = u"_table";

}  // namespace json

}  // namespace verimo
