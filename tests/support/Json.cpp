#include "support/Json.h"

#include <cstdio>

namespace verimo::test {
namespace {

void AppendUnicodeEscape(std::string& json, unsigned unit) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\u%04x", unit);
  json += escaped;
}

}  // namespace

void AppendJsonString(std::string& json, WideStringView text) {
  json += '"';
  for (char16_t ch : text) {
    if (ch == u'"' || ch == u'\\') {
      json += '\\';
      json += static_cast<char>(ch);
    } else if (ch >= 0x20 && ch < 0x7F) {
      json += static_cast<char>(ch);
    } else {
      AppendUnicodeEscape(json, ch);
    }
  }
  json += '"';
}

void AppendJsonString(std::string& json, std::string_view utf8) {
  json += '"';
  for (unsigned char ch : utf8) {
    if (ch == '"' || ch == '\\') {
      json += '\\';
      json += static_cast<char>(ch);
    } else if (ch < 0x20) {
      AppendUnicodeEscape(json, ch);
    } else {
      json += static_cast<char>(ch);
    }
  }
  json += '"';
}

}  // namespace verimo::test
