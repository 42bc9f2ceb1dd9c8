#include "fuzz/FuzzTable.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace verimo::fuzz {

namespace {

enum class TValueKind { Integer, Float, Date, Boolean, Text, Binary };

TValueKind KindOf(TFieldType type) {
  switch (type) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: return TValueKind::Integer;
    case ftFloat: case ftCurrency: case ftBCD: return TValueKind::Float;
    case ftDate: case ftTime: case ftDateTime: case ftTimeStamp: return TValueKind::Date;
    case ftBoolean: return TValueKind::Boolean;
    default: return IsBinaryType(type) ? TValueKind::Binary : TValueKind::Text;
  }
}

// The integer cut to what a field of the type holds.
int64_t InFieldRange(TFieldType type, int64_t value) {
  switch (type) {
    case ftSmallint: return static_cast<int16_t>(value);
    case ftWord: return static_cast<uint16_t>(value);
    case ftInteger: case ftAutoInc: return static_cast<int32_t>(value);
    default: return value;
  }
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const double kSpecialFloats[] = {kNaN, kInf, -kInf, std::numeric_limits<double>::max(),
                                 -std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                                 std::numeric_limits<double>::denorm_min(), -0.0, 1e300, -1e-300,
                                 123456789012345678.0, 0.1, 0.5, -2.5};
// Day numbers at and past the edges of years 1 and 9999, and beyond any
// calendar.
const double kSpecialDates[] = {kNaN, kInf, -kInf, -693594.0, 2958465.99999999, -693595.0, 2958466.0,
                                1e18, -1e18, 0.0, -0.5, 0.99999999, -693594.5, 2147483647.0};

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool AtEnd() const { return pos_ >= size_; }
  uint8_t U8() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t U16() { return static_cast<uint16_t>(U8() | U8() << 8); }
  uint64_t U64() {
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value |= static_cast<uint64_t>(U8()) << (8 * i);
    return value;
  }

  // The units of a text or byte string (`wide`: two bytes a unit).
  std::u16string Units(bool wide) {
    const uint8_t head = U8();
    size_t count = head & 0x3F;
    if (head & 0x80) count += U16();
    std::u16string units;
    units.reserve(std::min<size_t>(count, size_ - std::min(pos_, size_)));
    for (size_t i = 0; i < count && !AtEnd(); ++i) units.push_back(wide ? static_cast<char16_t>(U16()) : U8());
    size_t repeat = 1;
    if (head & 0x40) repeat = size_t{U16()} * 16 + 1;
    if (repeat > 1 && !units.empty()) {
      const size_t limit = std::min({kMaxTextUnits, units.size() * repeat, budget_});
      std::u16string repeated;
      repeated.reserve(limit);
      while (repeated.size() + units.size() <= limit) repeated += units;
      units = std::move(repeated);
    }
    budget_ -= std::min(budget_, units.size());
    return units;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  size_t budget_ = kMaxTotalUnits;
};

Variant ReadValue(Reader& in, TFieldType type) {
  const uint8_t tag = in.U8();
  if (tag % 4 == 0) return Variant::Null();
  const bool special = tag % 4 == 1;
  const size_t pick = tag / 4;
  switch (KindOf(type)) {
    case TValueKind::Integer: {
      if (!special) return Variant::FromInt(InFieldRange(type, static_cast<int64_t>(in.U64())));
      const int64_t edges[] = {0, -1, 1, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(),
                               std::numeric_limits<int32_t>::min(), std::numeric_limits<int16_t>::min(), 65535};
      return Variant::FromInt(InFieldRange(type, edges[pick % std::size(edges)]));
    }
    case TValueKind::Float:
      return Variant::FromDouble(special ? kSpecialFloats[pick % std::size(kSpecialFloats)]
                                         : std::bit_cast<double>(in.U64()));
    case TValueKind::Date:
      return Variant::FromDateTime(special ? kSpecialDates[pick % std::size(kSpecialDates)]
                                           : std::bit_cast<double>(in.U64()));
    case TValueKind::Boolean:
      return Variant::FromBool(special ? pick % 2 == 1 : in.U8() != 0);
    case TValueKind::Binary: {
      const std::u16string units = in.Units(false);
      return Variant::FromBytes(verimo::Bytes(units.begin(), units.end()));
    }
    case TValueKind::Text:
      break;
  }
  if (!special) return Variant::FromText(in.Units(true));
  const WideString texts[] = {u"", WideString(1, u'\0'), u"\xD800", u"a\xDC00z", u"\xFFFF\xFFFE",
                              u"\r\n\t\"';<>&\\", WideString(70000, u'\x015F'), u"\U0001F600"};
  return Variant::FromText(texts[pick % std::size(texts)]);
}

}  // namespace

const std::vector<TFieldType>& FuzzFieldTypes() {
  static const std::vector<TFieldType> types = {
      ftString, ftSmallint, ftInteger, ftWord,    ftBoolean,    ftFloat,      ftCurrency,  ftBCD,      ftDate,
      ftTime,   ftDateTime, ftBytes,   ftVarBytes, ftAutoInc,   ftBlob,       ftMemo,      ftGraphic,  ftFmtMemo,
      ftParadoxOle, ftTypedBinary, ftFixedChar, ftWideString, ftLargeint, ftTimeStamp, ftWideMemo};
  return types;
}

TFuzzTable BuildFuzzTable(const uint8_t* data, size_t size) {
  Reader in(data, size);
  TFuzzTable table;
  table.exportType = in.U8();
  table.options = in.U8();
  const int fieldCount = 1 + in.U8() % 255;
  std::vector<TMemDataSet::FieldDef> fields;
  for (int i = 0; i < fieldCount; ++i) {
    const TFieldType type = FuzzFieldTypes()[in.U8() % FuzzFieldTypes().size()];
    const int fieldSize = in.U8();
    fields.push_back({in.Units(true), type, fieldSize});
  }
  table.header.Add(in.Units(true));
  table.footer.Add(in.Units(true));
  table.dataSet = std::make_unique<TMemDataSet>(fields);
  const int records = std::min(kMaxRecords, kMaxCells / fieldCount);
  for (int record = 0; record < records && !in.AtEnd(); ++record) {
    std::vector<Variant> values;
    values.reserve(fields.size());
    for (const TMemDataSet::FieldDef& field : fields) values.push_back(ReadValue(in, field.type));
    table.dataSet->AppendRecord(std::move(values));
  }
  table.dataSet->Open();
  return table;
}

// ---- the encoder ----

TFuzzTableWriter::TFuzzTableWriter(uint8_t exportType, uint8_t options) {
  Byte(exportType);
  Byte(options);
  Byte(0);  // the field count, set by EndFields
}

void TFuzzTableWriter::AddField(const WideString& name, TFieldType type, int size) {
  const auto& known = FuzzFieldTypes();
  auto found = std::find(known.begin(), known.end(), type);
  if (found == known.end()) found = known.begin();
  types_.push_back(*found);
  Byte(static_cast<uint8_t>(found - known.begin()));
  Byte(static_cast<uint8_t>(std::clamp(size, 0, 255)));
  Text(name);
}

void TFuzzTableWriter::EndFields() {
  bytes_[2] = static_cast<char>(static_cast<uint8_t>(std::max<size_t>(types_.size(), 1) - 1));
  Text(u"");
  Text(u"");
}

void TFuzzTableWriter::AddValue(int index, const Variant& value) {
  if (value.IsEmptyOrNull()) return Byte(0);
  Byte(2);
  switch (KindOf(types_.at(static_cast<size_t>(index)))) {
    case TValueKind::Integer: return Word64(static_cast<uint64_t>(value.IsNumeric() ? value.AsInt() : 0));
    case TValueKind::Float:
    case TValueKind::Date:
      return Word64(std::bit_cast<uint64_t>(value.GetKind() == Variant::Kind::Currency ? value.AsCurrency().ToDouble()
                                                                                      : value.AsDouble()));
    case TValueKind::Boolean: return Byte(value.AsBool() ? 1 : 0);
    case TValueKind::Binary: return ByteString(value.GetKind() == Variant::Kind::Bytes ? value.AsBytes() : verimo::Bytes());
    case TValueKind::Text: return Text(value.GetKind() == Variant::Kind::Text ? value.AsText() : WideString());
  }
}

void TFuzzTableWriter::Word64(uint64_t value) {
  for (int i = 0; i < 8; ++i) Byte(static_cast<uint8_t>(value >> (8 * i)));
}

void TFuzzTableWriter::Text(const WideString& text) {
  const size_t count = std::min<size_t>(text.size(), 63 + 65535);
  Byte(static_cast<uint8_t>(count < 64 ? count : 0x80 | 63));
  if (count >= 64) {
    Byte(static_cast<uint8_t>((count - 63) & 0xFF));
    Byte(static_cast<uint8_t>((count - 63) >> 8));
  }
  for (size_t i = 0; i < count; ++i) {
    Byte(static_cast<uint8_t>(text[i] & 0xFF));
    Byte(static_cast<uint8_t>(text[i] >> 8));
  }
}

void TFuzzTableWriter::ByteString(const verimo::Bytes& bytes) {
  const size_t count = std::min<size_t>(bytes.size(), 63 + 65535);
  Byte(static_cast<uint8_t>(count < 64 ? count : 0x80 | 63));
  if (count >= 64) {
    Byte(static_cast<uint8_t>((count - 63) & 0xFF));
    Byte(static_cast<uint8_t>((count - 63) >> 8));
  }
  for (size_t i = 0; i < count; ++i) Byte(bytes[i]);
}

}  // namespace verimo::fuzz
