#pragma once

namespace verimo {

// The decimal and thousand separators of numbers and the separators of
// dates and times. The settings that carry them derive from this, so that
// they hand all four on in one assignment: a.Separators() = b.Separators().
struct TSeparators {
  char16_t DecimalSeparator = u'.';
  char16_t ThousandSeparator = u',';
  char16_t DateSeparator = u'/';
  char16_t TimeSeparator = u':';

  TSeparators& Separators() { return *this; }
  const TSeparators& Separators() const { return *this; }
  friend bool operator==(const TSeparators&, const TSeparators&) = default;
};

}  // namespace verimo
