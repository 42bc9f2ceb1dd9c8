#include "formats/text/TesselJSON.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <set>
#include <typeinfo>

#include "core/DateTime.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/DataSet.h"

namespace verimo {

namespace json {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendEscape(std::string& out, char32_t ch) {
  switch (ch) {
    case u'"': out += "\\\""; return;
    case u'\\': out += "\\\\"; return;
    case u'\b': out += "\\b"; return;
    case u'\f': out += "\\f"; return;
    case u'\n': out += "\\n"; return;
    case u'\r': out += "\\r"; return;
    case u'\t': out += "\\t"; return;
    default:
      out += "\\u00";
      out += kHexDigits[(ch >> 4) & 15];
      out += kHexDigits[ch & 15];
  }
}

bool NeedsEscape(char32_t ch) { return ch < 0x20 || ch == u'"' || ch == u'\\' || (ch >= 0x7F && ch <= 0x9F); }

void AppendUtf8(std::string& out, char32_t ch) {
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (ch >> 18));
    out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
}

// `digits` decimal digits of `value`, with leading zeros.
void AppendDigits(std::string& out, int value, int digits) {
  char buffer[8];
  for (int i = digits - 1; i >= 0; --i) {
    buffer[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  out.append(buffer, static_cast<size_t>(digits));
}

}  // namespace

bool AppendDatePart(std::string& out, TDateTime value) {
  if (!std::isfinite(value)) return false;
  const DateParts date = DecodeDate(value);
  if (date.year < 1 || date.year > 9999) return false;
  AppendDigits(out, date.year, 4);
  out += '-';
  AppendDigits(out, date.month, 2);
  out += '-';
  AppendDigits(out, date.day, 2);
  return true;
}

void AppendTimePart(std::string& out, TDateTime value) {
  const TimeParts time = DecodeTime(value);
  AppendDigits(out, time.hour, 2);
  out += ':';
  AppendDigits(out, time.minute, 2);
  out += ':';
  AppendDigits(out, time.second, 2);
  if (time.millisecond != 0) {
    out += '.';
    AppendDigits(out, time.millisecond, 3);
  }
}

int64_t AppendString(std::string& out, WideStringView text) {
  int64_t lone = 0;
  out += '"';
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t ch = text[i];
    if (ch < 0x80 && !NeedsEscape(ch)) {
      out += static_cast<char>(ch);
      continue;
    }
    if (ch >= 0xD800 && ch <= 0xDFFF) {
      if (ch <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        ch = 0x10000 + ((ch - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        ++i;
      } else {
        ch = 0xFFFD;
        ++lone;
      }
    }
    if (NeedsEscape(ch))
      AppendEscape(out, ch);
    else
      AppendUtf8(out, ch);
  }
  out += '"';
  return lone;
}

bool AppendDouble(std::string& out, double value) {
  if (!std::isfinite(value)) return false;
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
  out += text;
  if (text.find_first_of(".e") == std::string_view::npos) out += ".0";
  return true;
}

void AppendCurrency(std::string& out, Currency value) {
  const std::string text = value.ToPlainText();
  out += text;
  if (text.find('.') == std::string::npos) out += ".0";
}

bool AppendDate(std::string& out, TDateTime value) {
  const size_t start = out.size();
  out += '"';
  if (!AppendDatePart(out, value)) {
    out.resize(start);
    return false;
  }
  out += '"';
  return true;
}

bool AppendTime(std::string& out, TDateTime value) {
  if (!std::isfinite(value)) return false;
  out += '"';
  AppendTimePart(out, value);
  out += '"';
  return true;
}

bool AppendDateTime(std::string& out, TDateTime value) {
  const size_t start = out.size();
  out += '"';
  if (!AppendDatePart(out, value)) {
    out.resize(start);
    return false;
  }
  out += 'T';
  AppendTimePart(out, value);
  out += '"';
  return true;
}

void AppendBase64(std::string& out, const uint8_t* data, size_t size) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  out += '"';
  size_t at = out.size();
  out.resize(at + (size + 2) / 3 * 4);
  char* target = out.data() + at;
  size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    const uint32_t bits = (uint32_t{data[i]} << 16) | (uint32_t{data[i + 1]} << 8) | data[i + 2];
    *target++ = kAlphabet[bits >> 18];
    *target++ = kAlphabet[(bits >> 12) & 63];
    *target++ = kAlphabet[(bits >> 6) & 63];
    *target++ = kAlphabet[bits & 63];
  }
  if (i < size) {
    const bool two = i + 1 < size;
    const uint32_t bits = (uint32_t{data[i]} << 16) | (two ? uint32_t{data[i + 1]} << 8 : 0);
    *target++ = kAlphabet[bits >> 18];
    *target++ = kAlphabet[(bits >> 12) & 63];
    *target++ = two ? kAlphabet[(bits >> 6) & 63] : '=';
    *target++ = '=';
  }
  out += '"';
}

std::vector<WideString> UniqueKeys(const std::vector<WideString>& captions, const std::vector<WideString>& reserved) {
  std::set<WideString> taken(reserved.begin(), reserved.end());
  std::vector<WideString> keys;
  keys.reserve(captions.size());
  for (const WideString& caption : captions) {
    WideString key = caption;
    for (long long counter = 1; taken.count(key) != 0; ++counter) key = caption + IntToWide(counter);
    taken.insert(key);
    keys.push_back(std::move(key));
  }
  return keys;
}

}  // namespace json

namespace {

bool IsIntegerField(TFieldType type) {
  return type == ftSmallint || type == ftInteger || type == ftWord || type == ftAutoInc || type == ftLargeint ||
         type == ftShortint || type == ftByte || type == ftLongWord;
}

bool IsFloatField(TFieldType type) { return type == ftFloat || type == ftCurrency || type == ftExtended; }

bool IsJsonMark(unsigned char byte) { return byte < 0x20 || byte == '"' || byte == '\\' || byte == 0x7F; }

// The first byte at or after `from` a JSON string must escape (a control
// character, '"', '\\' or DEL), else the size; `nonAscii` is set when a
// byte before it is not ASCII. Eight bytes at a time where none is one.
size_t FindJsonMark(std::string_view bytes, size_t from, bool& nonAscii) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  constexpr uint64_t kHighs = 0x8080808080808080ULL;
  auto hasZero = [](uint64_t word) { return (word - kOnes) & ~word & kHighs; };
  size_t at = from;
  for (; at + 8 <= bytes.size(); at += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    const uint64_t controls = (word - kOnes * 0x20) & ~word & kHighs;
    if (controls | hasZero(word ^ (kOnes * '"')) | hasZero(word ^ (kOnes * '\\')) | hasZero(word ^ (kOnes * 0x7F)))
      break;
    nonAscii = nonAscii || (word & kHighs) != 0;
  }
  for (; at < bytes.size(); ++at) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (IsJsonMark(byte)) break;
    nonAscii = nonAscii || byte >= 0x80;
  }
  return at;
}

}  // namespace

TTesselJSON::TTesselJSON(bool lines) : Lines(lines) {}

void TTesselJSON::BeginExport() {
  TTesselFormatText::BeginExport();
  PlanColumns();
  firstRow_ = true;
  std::string start;
  if (!TableName.empty() && !Lines) {
    json::AppendString(start, TableName);
    start += ':';
  }
  if (!Lines) start += '[';
  Writer().WriteBytes(start.data(), start.size());
}

void TTesselJSON::PlanColumns() {
  const TTesselColumns& columns = Columns();
  std::vector<WideString> captions;
  for (const TTesselColumn& column : columns) captions.push_back(column.Caption);
  const bool tableKey = Lines && !TableName.empty();
  const std::vector<WideString> keys =
      json::UniqueKeys(captions, tableKey ? std::vector<WideString>{json::kTableKey} : std::vector<WideString>{});
  rowStart_ = "{";
  if (tableKey) {
    json::AppendString(rowStart_, json::kTableKey);
    rowStart_ += ':';
    json::AppendString(rowStart_, TableName);
  }
  // Without handlers that could change a cell, the values of a dataset's
  // fields are read from the fields themselves, without texts.
  fieldRows_ = columns.ReadsFields() && CellHandlersUnset() && typeid(*this) == typeid(TTesselJSON);
  plan_.assign(static_cast<size_t>(columns.Count()), TColumnPlan());
  deferred_.assign(static_cast<size_t>(columns.Count()), 0);
  values_.resize(static_cast<size_t>(columns.Count()));
  stored_.Plan(columns, TSingleByteTranscoder::kUtf8, fieldRows_);
  for (int i = 0; i < columns.Count(); ++i) {
    const TTesselColumn& column = columns[i];
    TColumnPlan& plan = plan_[static_cast<size_t>(i)];
    if (i > 0 || tableKey) plan.key += ',';
    Losses().Add(column.Name, TLossKind::LoneSurrogate, {}, json::AppendString(plan.key, keys[static_cast<size_t>(i)]));
    plan.key += ':';
    const TFieldType type = column.Field != nullptr ? column.Field->DataType() : ftUnknown;
    if (column.Field != nullptr && IsBinaryType(type)) plan.kind = TValueKind::Binary;
    else if (column.Field != nullptr && IsTextType(type)) plan.kind = TValueKind::Text;
    else if (type == ftBCD || type == ftFMTBcd) plan.kind = TValueKind::Decimal;
    else if (IsIntegerField(type)) plan.kind = TValueKind::Integer;
    else if (IsFloatField(type)) plan.kind = TValueKind::Float;
    else if (type == ftBoolean) plan.kind = TValueKind::Boolean;
    else if (type == ftDate) plan.kind = TValueKind::Date;
    else if (type == ftTime) plan.kind = TValueKind::Time;
    else if (type == ftDateTime || type == ftTimeStamp) plan.kind = TValueKind::DateTime;
    else if (column.Field == nullptr) {
      switch (column.ColType) {
        case ectInteger: case ectBigint: plan.kind = TValueKind::Integer; break;
        case ectFloat: case ectCurrency: plan.kind = TValueKind::Float; break;
        case ectDate: plan.kind = TValueKind::Date; break;
        case ectTime: plan.kind = TValueKind::Time; break;
        case ectDateTime: plan.kind = TValueKind::DateTime; break;
        default: plan.kind = TValueKind::Text; break;
      }
    }
    plan.fromField = fieldRows_ && column.Field != nullptr;
    deferred_[static_cast<size_t>(i)] = plan.fromField ? 1 : 0;
  }
}

void TTesselJSON::FillRow() {
  if (fieldRows_)
    FillRowDeferring(deferred_);
  else
    TTesselFormatText::FillRow();
}

void TTesselJSON::WriteDataRow() {
  row_.clear();
  if (!Lines) row_ += firstRow_ ? "\n" : ",\n";
  firstRow_ = false;
  row_ += rowStart_;
  const int count = std::min(Columns().Count(), RowAsRead().Count());
  for (int i = 0; i < count; ++i) {
    row_ += plan_[static_cast<size_t>(i)].key;
    if (plan_[static_cast<size_t>(i)].fromField)
      AppendFieldValue(i);
    else
      AppendCellValue(i);
  }
  row_ += '}';
  if (Lines) row_ += '\n';
  Writer().WriteBytes(row_.data(), row_.size());
}

void TTesselJSON::EndExport() {
  if (!Lines) {
    // A table of several ends where the target's object goes on.
    const std::string_view end = firstRow_ ? "]\n" : "\n]\n";
    Writer().WriteBytes(end.data(), TableName.empty() ? end.size() : end.size() - 1);
  }
  TTesselFormatText::EndExport();
}

void TTesselJSON::AppendFieldValue(int index) {
  const TField& field = *Columns()[index].Field;
  if (stored_.IsPlanned(index)) {
    const std::string_view stored = stored_.Text(index);
    if (stored.empty()) {
      row_ += "null";
      return;
    }
    if (AppendStoredText(index, stored)) return;
    stored_.Decode(index, stored, decoded_);
    AppendString(index, decoded_);
    return;
  }
  if (plan_[static_cast<size_t>(index)].kind == TValueKind::Decimal) {
    // The exact digits where the dataset keeps them; else the value.
    const std::string digits = field.DataSet().FieldDecimalText(field.Index());
    if (!digits.empty()) {
      row_ += digits;
      return;
    }
  }
  Variant& value = values_[static_cast<size_t>(index)];
  field.ReadValue(value);
  AppendVariant(index, value);
}

bool TTesselJSON::AppendStoredText(int index, std::string_view stored) {
  const size_t start = row_.size();
  row_ += '"';
  bool nonAscii = false;
  for (size_t from = 0;;) {
    const size_t at = FindJsonMark(stored, from, nonAscii);
    if (!stored_.Append(index, stored.substr(from, at - from), row_)) {
      row_.resize(start);
      return false;
    }
    if (at == stored.size()) break;
    json::AppendEscape(row_, static_cast<unsigned char>(stored[at]));
    from = at + 1;
  }
  // C1 control characters (U+0080 to U+009F, C2 80 to C2 9F in UTF-8) are
  // escaped too: left to the converter's path.
  if (nonAscii) {
    const char* const end = row_.data() + row_.size();
    for (const char* lead = row_.data() + start;
         (lead = static_cast<const char*>(std::memchr(lead, 0xC2, static_cast<size_t>(end - lead)))) != nullptr;
         ++lead)
      if (lead + 1 < end && static_cast<unsigned char>(lead[1]) <= 0x9F) {
        row_.resize(start);
        return false;
      }
  }
  row_ += '"';
  return true;
}

void TTesselJSON::AppendCellValue(int index) {
  const TTesselCol& cell = Row()[index];
  if (ColumnIsNull(cell, index)) {
    row_ += "null";
    return;
  }
  // A text a handler changed, or a source's text without a value of its
  // type, is written as the text.
  const bool typed = plan_[static_cast<size_t>(index)].kind != TValueKind::Text;
  if (cell.Value.IsEmpty() || (typed && !CellTextIsValueText(index))) {
    AppendString(index, cell.Text);
    return;
  }
  AppendVariant(index, cell.Value);
}

void TTesselJSON::AppendVariant(int index, const Variant& value) {
  const TValueKind kind = plan_[static_cast<size_t>(index)].kind;
  bool written = true;
  switch (value.GetKind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null: row_ += "null"; return;
    case Variant::Kind::Boolean: row_ += value.AsBool() ? "true" : "false"; return;
    case Variant::Kind::Text: AppendString(index, value.AsText()); return;
    case Variant::Kind::Bytes: {
      const Bytes& bytes = value.AsBytes();
      json::AppendBase64(row_, bytes.data(), bytes.size());
      return;
    }
    case Variant::Kind::DateTime:
      if (kind == TValueKind::Date) written = json::AppendDate(row_, value.AsDateTime());
      else if (kind == TValueKind::Time) written = json::AppendTime(row_, value.AsDateTime());
      else written = json::AppendDateTime(row_, value.AsDateTime());
      break;
    case Variant::Kind::Integer:
    case Variant::Kind::Double:
    case Variant::Kind::Currency:
      AppendNumber(index, value);
      return;
  }
  if (!written) row_ += "null";
}

void TTesselJSON::AppendNumber(int index, const Variant& value) {
  switch (value.GetKind()) {
    case Variant::Kind::Integer: {
      char buffer[24];
      const auto result = std::to_chars(buffer, buffer + sizeof buffer, value.AsInt());
      row_.append(buffer, result.ptr);
      return;
    }
    case Variant::Kind::Currency: json::AppendCurrency(row_, value.AsCurrency()); return;
    default:
      if (json::AppendDouble(row_, value.AsDouble())) return;
      row_ += "null";
      Losses().Add(Columns()[index].Name, TLossKind::NotFinite, {});
      return;
  }
}

void TTesselJSON::AppendString(int index, WideStringView text) {
  if (const int64_t replaced = json::AppendString(row_, text))
    Losses().Add(Columns()[index].Name, TLossKind::LoneSurrogate, {}, replaced);
}

}  // namespace verimo
