#include "formats/text/TesselHTMLText.h"

namespace verimo::html {

void AppendEscaped(WideStringView text, bool interpretTags, WideString& out) {
  out.reserve(out.size() + text.size() + 16);
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t ch = text[i];
    if (ch == u' ') {
      out += u"&#160;";
      continue;
    }
    if (interpretTags) {
      switch (ch) {
        case u'&': out += u"&amp;"; continue;
        case u'>': out += u"&gt;"; continue;
        case u'<': out += u"&lt;"; continue;
        case u'"': out += u"&quot;"; continue;
        case u'\r':
          if (i + 1 < n && text[i + 1] == u'\n') ++i;
          out += u"<br>";
          continue;
        case u'\n': out += u"<br>"; continue;
        default: break;
      }
    }
    out += ch;
  }
}

WideString Escape(WideStringView text, bool interpretTags) {
  WideString out;
  AppendEscaped(text, interpretTags, out);
  return out;
}

WideString EscapeMarkup(WideStringView text) {
  WideString out;
  out.reserve(text.size());
  for (char16_t ch : text) {
    switch (ch) {
      case u'&': out += u"&amp;"; break;
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'"': out += u"&quot;"; break;
      default: out += ch; break;
    }
  }
  return out;
}

WideString PercentEncode(const std::string& path) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  WideString out;
  for (unsigned char byte : path) {
    const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                            byte == '-' || byte == '.' || byte == '_' || byte == '~' || byte == '/';
    if (unreserved) {
      out += static_cast<char16_t>(byte);
    } else {
      out += u'%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

std::filesystem::path PageFileName(const std::filesystem::path& target, int number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 2) digits.insert(0, "0");
  std::filesystem::path page = target;
  page.replace_filename(target.stem().string() + digits + target.extension().string());
  return page;
}

WideString TwoDigits(int number) {
  WideString digits = IntToWide(number);
  if (digits.size() < 2) digits.insert(0, u"0");
  return digits;
}

}  // namespace verimo::html
