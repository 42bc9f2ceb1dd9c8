#include "formats/package/SheetValue.h"

#include <charconv>
#include <cmath>

namespace verimo {
namespace {

void AppendInteger(std::string& out, int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

// The value / 10,000 as a decimal without trailing zeros.
void AppendCurrency(std::string& out, Currency value) {
  const bool negative = value.scaled < 0;
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(value.scaled) : static_cast<uint64_t>(value.scaled);
  if (negative) out += '-';
  out += std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(magnitude % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) out += "." + fraction;
}

}  // namespace

void AppendShortestDouble(std::string& out, double value) {
  char digits[32];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

bool AppendSheetNumber(std::string& out, const Variant& value) {
  switch (value.GetKind()) {
    case Variant::Kind::Integer: AppendInteger(out, value.AsInt()); return true;
    case Variant::Kind::Currency: AppendCurrency(out, value.AsCurrency()); return true;
    case Variant::Kind::Double:
      if (!std::isfinite(value.AsDouble())) return false;
      AppendShortestDouble(out, value.AsDouble());
      return true;
    default: return false;
  }
}

}  // namespace verimo
