#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "core/DateTime.h"
#include "core/WideString.h"

namespace verimo {

using Bytes = std::vector<uint8_t>;

// Fixed-point currency: the value times 10,000 in 64 bits.
struct Currency {
  int64_t scaled = 0;
  static Currency FromDouble(double value);  // rounds half away from zero
  double ToDouble() const { return static_cast<double>(scaled) / 10000.0; }
  friend bool operator==(Currency, Currency) = default;
  // The exact decimal text, "-12.5": "." and at most four digits after it,
  // trailing zeros dropped (all four kept with `allDecimals`), no symbol
  // and no grouping.
  std::string ToPlainText(bool allDecimals = false) const;
};

// A dynamically typed value: empty (unassigned), null, Boolean, 64-bit
// integer, double, currency, date-time, wide text or bytes.
class Variant {
 public:
  enum class Kind { Empty, Null, Boolean, Integer, Double, Currency, DateTime, Text, Bytes };

  Variant() = default;
  static Variant Null();
  static Variant FromBool(bool value);
  static Variant FromInt(int64_t value);
  static Variant FromDouble(double value);
  static Variant FromCurrency(Currency value);
  static Variant FromDateTime(TDateTime value);
  static Variant FromText(WideString value);
  static Variant FromBytes(Bytes value);

  // In place, without a temporary variant.
  void SetBool(bool value) { Set(Kind::Boolean, value); }
  void SetInt(int64_t value) { Set(Kind::Integer, value); }
  void SetDouble(double value) { Set(Kind::Double, value); }
  void SetCurrency(Currency value) { Set(Kind::Currency, value); }
  void SetDateTime(TDateTime value) { Set(Kind::DateTime, value); }
  // Makes this a text value, reusing the storage of a text it already
  // holds (no allocation when the new text fits); returns the text to fill.
  WideString& AssignText();
  void AssignText(WideStringView value) { AssignText().assign(value); }
  // Makes this null, keeping a text buffer it holds for a later AssignText.
  void SetNull() { kind_ = Kind::Null; }

  Kind GetKind() const { return kind_; }
  bool IsEmpty() const { return kind_ == Kind::Empty; }
  bool IsNull() const { return kind_ == Kind::Null; }
  bool IsEmptyOrNull() const { return IsEmpty() || IsNull(); }
  bool IsNumeric() const;  // integer, double or currency

  // Typed access; each asserts the kind and throws verimo::Exception otherwise.
  bool AsBool() const {
    if (kind_ != Kind::Boolean) WrongKind("Boolean");
    return *std::get_if<bool>(&storage_);
  }
  int64_t AsInt() const {
    if (kind_ != Kind::Integer) WrongKind("Integer");
    return *std::get_if<int64_t>(&storage_);
  }
  double AsDouble() const {  // integer, double, currency or date-time
    if (kind_ == Kind::Double || kind_ == Kind::DateTime) return *std::get_if<double>(&storage_);
    return OtherAsDouble();
  }
  Currency AsCurrency() const;
  TDateTime AsDateTime() const;
  const WideString& AsText() const {
    if (kind_ != Kind::Text) WrongKind("Text");
    return *std::get_if<WideString>(&storage_);
  }
  const Bytes& AsBytes() const;

  // Empty and null values are equal to any of their kind, whatever storage
  // they keep.
  friend bool operator==(const Variant& a, const Variant& b) {
    if (a.kind_ != b.kind_) return false;
    return a.kind_ == Kind::Empty || a.kind_ == Kind::Null || a.storage_ == b.storage_;
  }

 private:
  using Storage = std::variant<std::monostate, bool, int64_t, double, Currency, WideString, Bytes>;
  Variant(Kind kind, Storage storage) : kind_(kind), storage_(std::move(storage)) {}
  [[noreturn]] static void WrongKind(const char* wanted);
  double OtherAsDouble() const;
  template <class T>
  void Set(Kind kind, T value) {
    if (T* held = std::get_if<T>(&storage_))
      *held = value;
    else
      storage_.template emplace<T>(value);
    kind_ = kind;
  }

  Kind kind_ = Kind::Empty;
  Storage storage_;
};

}  // namespace verimo
