#include "engine/TesselLocale.h"

#include <algorithm>
#include <cstddef>
#include <optional>

namespace verimo {
namespace {

struct Placeholder {
  std::optional<size_t> index;  // "%1:s"
  bool leftAlign = false;       // "%-5s"
  size_t width = 0;             // "%5d"
  std::optional<size_t> precision;  // "%.3d"
  char16_t kind = 0;            // 's' or 'd' (lower-cased)
  size_t end = 0;               // position after the placeholder
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Widths and precisions beyond this are taken as this.
constexpr size_t kMaxWidth = 100000;

size_t ReadNumber(WideStringView text, size_t& pos) {
  size_t value = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    value = std::min(kMaxWidth, value * 10 + static_cast<size_t>(text[pos] - u'0'));
    ++pos;
  }
  return value;
}

// Parses the placeholder that starts at `start` (the "%"); nothing when the
// text there is not one of the supported forms.
std::optional<Placeholder> ParsePlaceholder(WideStringView text, size_t start) {
  Placeholder result;
  size_t pos = start + 1;
  size_t digitsStart = pos;
  size_t number = ReadNumber(text, pos);
  if (pos < text.size() && text[pos] == u':' && pos > digitsStart) {
    result.index = number;
    ++pos;
  } else {
    pos = digitsStart;
  }
  if (pos < text.size() && text[pos] == u'-') {
    result.leftAlign = true;
    ++pos;
  }
  result.width = ReadNumber(text, pos);
  if (pos < text.size() && text[pos] == u'.') {
    ++pos;
    result.precision = ReadNumber(text, pos);
  }
  if (pos >= text.size()) return std::nullopt;
  char16_t kind = text[pos];
  if (kind == u'S') kind = u's';
  if (kind == u'D') kind = u'd';
  if (kind != u's' && kind != u'd') return std::nullopt;
  result.kind = kind;
  result.end = pos + 1;
  return result;
}

WideString ArgumentText(const TFormatArg& arg, const Placeholder& placeholder) {
  if (const auto* text = std::get_if<WideString>(&arg)) {
    if (placeholder.kind == u's' && placeholder.precision && *placeholder.precision < text->size())
      return text->substr(0, *placeholder.precision);
    return *text;
  }
  int64_t number = std::get<int64_t>(arg);
  WideString digits = IntToWide(number);
  if (placeholder.kind == u'd' && placeholder.precision) {
    bool negative = number < 0;
    WideString magnitude = negative ? digits.substr(1) : digits;
    if (magnitude.size() < *placeholder.precision)
      magnitude.insert(0, *placeholder.precision - magnitude.size(), u'0');
    digits = negative ? u"-" + magnitude : magnitude;
  }
  return digits;
}

WideString Pad(WideString text, const Placeholder& placeholder) {
  if (text.size() >= placeholder.width) return text;
  size_t fill = placeholder.width - text.size();
  if (placeholder.leftAlign) return text.append(fill, u' ');
  return text.insert(0, fill, u' ');
}

}  // namespace

WideString FormatText(WideStringView pattern, std::initializer_list<TFormatArg> args) {
  WideString result;
  result.reserve(pattern.size() + 16);
  size_t nextArg = 0;
  size_t pos = 0;
  while (pos < pattern.size()) {
    char16_t c = pattern[pos];
    if (c != u'%') {
      result += c;
      ++pos;
      continue;
    }
    if (pos + 1 < pattern.size() && pattern[pos + 1] == u'%') {
      result += u'%';
      pos += 2;
      continue;
    }
    std::optional<Placeholder> placeholder = ParsePlaceholder(pattern, pos);
    if (!placeholder) {
      result += c;
      ++pos;
      continue;
    }
    size_t argIndex = placeholder->index.value_or(nextArg);
    if (argIndex < args.size()) {
      result += Pad(ArgumentText(*(args.begin() + argIndex), *placeholder), *placeholder);
      nextArg = argIndex + 1;
    } else {
      result.append(pattern.substr(pos, placeholder->end - pos));
    }
    pos = placeholder->end;
  }
  return result;
}

TTesselLocale& TTesselLocale::Instance() {
  static TTesselLocale instance;
  return instance;
}

WideString TTesselLocale::LoadText(int ident) const {
  if (OnGetText) {
    WideString answer = OnGetText(ident);
    if (!answer.empty()) return answer;
  }
  if (std::optional<WideStringView> text = FindResourceString(ident)) return WideString(*text);
  return {};
}

WideString TTesselLocale::LoadMessage(int ident, std::initializer_list<TFormatArg> args) const {
  return FormatText(LoadText(ident), args);
}

}  // namespace verimo
