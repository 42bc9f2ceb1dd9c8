#include "core/Variant.h"

#include <cmath>

#include "core/Exception.h"

namespace verimo {

Currency Currency::FromDouble(double value) {
  return Currency{static_cast<int64_t>(std::llround(value * 10000.0))};
}

std::string Currency::ToPlainText(bool allDecimals) const {
  const uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::string text = scaled < 0 ? "-" : "";
  text += std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(10000 + magnitude % 10000).substr(1);
  if (!allDecimals)
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  return text;
}

Variant Variant::Null() { return Variant(Kind::Null, std::monostate{}); }
Variant Variant::FromBool(bool value) { return Variant(Kind::Boolean, value); }
Variant Variant::FromInt(int64_t value) { return Variant(Kind::Integer, value); }
Variant Variant::FromDouble(double value) { return Variant(Kind::Double, value); }
Variant Variant::FromCurrency(Currency value) { return Variant(Kind::Currency, value); }
Variant Variant::FromDateTime(TDateTime value) { return Variant(Kind::DateTime, value); }
Variant Variant::FromText(WideString value) { return Variant(Kind::Text, std::move(value)); }
Variant Variant::FromBytes(Bytes value) { return Variant(Kind::Bytes, std::move(value)); }

WideString& Variant::AssignText() {
  if (!std::holds_alternative<WideString>(storage_)) storage_.emplace<WideString>();
  kind_ = Kind::Text;
  return std::get<WideString>(storage_);
}

bool Variant::IsNumeric() const {
  return kind_ == Kind::Integer || kind_ == Kind::Double || kind_ == Kind::Currency;
}

void Variant::WrongKind(const char* wanted) { throw Exception(std::string("Variant is not of type ") + wanted); }

double Variant::OtherAsDouble() const {
  switch (kind_) {
    case Kind::Integer: return static_cast<double>(std::get<int64_t>(storage_));
    case Kind::Currency: return std::get<Currency>(storage_).ToDouble();
    default: WrongKind("Double");
  }
}

Currency Variant::AsCurrency() const {
  if (kind_ != Kind::Currency) WrongKind("Currency");
  return std::get<Currency>(storage_);
}

TDateTime Variant::AsDateTime() const {
  if (kind_ != Kind::DateTime) WrongKind("DateTime");
  return std::get<double>(storage_);
}

const Bytes& Variant::AsBytes() const {
  if (kind_ != Kind::Bytes) WrongKind("Bytes");
  return std::get<Bytes>(storage_);
}

}  // namespace verimo
