#include "platform/data/DataSet.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/Exception.h"

namespace verimo {

TField::TField(TDataSet& dataSet, int index, WideString name, TFieldType type, int size)
    : dataSet_(&dataSet),
      index_(index),
      name_(std::move(name)),
      type_(type),
      size_(size),
      displayWidth_(DefaultDisplayWidth(type, size)) {}

bool TField::IsNull() const { return dataSet_->FieldIsNull(index_); }

Variant TField::Value() const { return dataSet_->FieldValue(index_); }

WideString TField::AsString() const { return NeutralValueText(Value()); }

Bytes TField::BlobBytes() const { return dataSet_->FieldBlob(index_); }

TDataSet::~TDataSet() = default;

void TDataSet::Open() {
  if (active_) return;
  DoOpen();
  active_ = true;
}

void TDataSet::Close() {
  if (!active_) return;
  active_ = false;
  DoClose();
}

TField& TDataSet::Field(int index) const {
  if (index < 0 || index >= FieldCount())
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return *fields_[static_cast<size_t>(index)];
}

TField* TDataSet::FindField(WideStringView name) const {
  for (const auto& field : fields_)
    if (SameText(field->FieldName(), name)) return field.get();
  return nullptr;
}

TField& TDataSet::FieldByName(WideStringView name) const {
  TField* field = FindField(name);
  if (!field) throw Exception(u"Field '" + WideString(name) + u"' not found");
  return *field;
}

Bytes TDataSet::FieldBlob(int index) const {
  Variant value = FieldValue(index);
  if (value.GetKind() == Variant::Kind::Bytes) return value.AsBytes();
  if (value.GetKind() == Variant::Kind::Text) {
    std::string utf8 = WideToUtf8(value.AsText());
    return Bytes(utf8.begin(), utf8.end());
  }
  return {};
}

TField& TDataSet::AddField(WideString name, TFieldType type, int size) {
  fields_.push_back(std::make_unique<TField>(*this, FieldCount(), std::move(name), type, size));
  return *fields_.back();
}

void TDataSet::CheckActive() const {
  if (!active_) throw Exception("Dataset not in active state");
}

namespace {

WideString ShortestDouble(double value) {
  if (std::isnan(value)) return u"NAN";
  if (std::isinf(value)) return value > 0 ? u"INF" : u"-INF";
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  return WideString(buffer, end);
}

WideString DateTimeText(TDateTime value) {
  DateParts date = DecodeDate(value);
  TimeParts time = DecodeTime(value);
  char buffer[40];
  if (time.millisecond != 0)
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", date.year,
                  date.month, date.day, time.hour, time.minute, time.second, time.millisecond);
  else
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month,
                  date.day, time.hour, time.minute, time.second);
  return Utf8ToWide(buffer);
}

}  // namespace

WideString NeutralValueText(const Variant& value) {
  switch (value.GetKind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null: return {};
    case Variant::Kind::Boolean: return value.AsBool() ? u"True" : u"False";
    case Variant::Kind::Integer: return IntToWide(value.AsInt());
    case Variant::Kind::Double: return ShortestDouble(value.AsDouble());
    case Variant::Kind::Currency: return ShortestDouble(value.AsCurrency().ToDouble());
    case Variant::Kind::DateTime: return DateTimeText(value.AsDateTime());
    case Variant::Kind::Text: return value.AsText();
    case Variant::Kind::Bytes: {
      // Never the raw bytes: no text format could hold them.
      WideString hex;
      AppendHexText(value.AsBytes(), hex);
      return hex;
    }
  }
  return {};
}

}  // namespace verimo
