#include "formats/text/TesselHTMLText.h"

#include <algorithm>

#include "engine/TesselValueCheck.h"
#include "engine/TesselWriter.h"
#include "platform/codepage/CodePage.h"

namespace verimo::html {

namespace {

bool IsSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDFFF; }

// Spaces, the characters a page cannot hold at all, and those of markup.
bool NeedsEscape(char16_t ch, bool interpretTags) {
  if (ch == u' ' || ch < 0x20 || IsSurrogate(ch) || ch >= 0xFFFE) return true;
  if (!interpretTags || ch > u'>') return false;
  return ch == u'&' || ch == u'>' || ch == u'<' || ch == u'"';
}

}  // namespace

void AppendEscaped(WideStringView text, bool interpretTags, WideString& out) {
  out.reserve(out.size() + text.size() + 16);
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    // Characters that stay as they are go in as one run.
    size_t end = i;
    while (end < n && !NeedsEscape(text[end], interpretTags)) ++end;
    if (end > i) {
      out.append(text.substr(i, end - i));
      i = end;
      if (i == n) break;
    }
    const char16_t ch = text[i];
    if (ch == u' ') {
      out += u"&#160;";
      continue;
    }
    if (IsSurrogate(ch)) {
      // A pair is one character; a lone half is none and is left out.
      if (ch <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        out += ch;
        out += text[++i];
      }
      continue;
    }
    if (IsForbiddenCharacter(ch, TForbiddenCharacters::MarkupControls)) continue;
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

namespace {

bool IsCodePage(TTesselOutputEncoding encoding) { return encoding == oeAnsi || encoding == oeOem || encoding == oeMac; }

int CodePageOf(TTesselOutputEncoding encoding) {
  return SystemCodePage(encoding == oeOem ? TSystemCodePage::Oem : encoding == oeMac ? TSystemCodePage::Mac : TSystemCodePage::Ansi);
}

}  // namespace

void EncodePageText(WideStringView text, TTesselOutputEncoding encoding, std::string& out) {
  const size_t start = out.size();
  TTesselWriter::EncodeText(text, encoding, out);
  if (!IsCodePage(encoding)) return;
  // A "?" the text does not have marks a character the code page lost.
  const size_t marks = static_cast<size_t>(std::count(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '?'));
  if (marks == static_cast<size_t>(std::count(text.begin(), text.end(), u'?'))) return;
  out.resize(start);
  const int codePage = CodePageOf(encoding);
  for (size_t i = 0; i < text.size(); ++i) {
    size_t length = 1;
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
      length = 2;
    const WideStringView character = text.substr(i, length);
    const std::string bytes = character[0] < 0x80 ? std::string(1, static_cast<char>(character[0]))
                                                  : EncodeToCodePage(character, codePage);
    if (bytes.find('?') == std::string::npos || character == u"?") {
      out += bytes;
    } else {
      const char32_t codePoint = length == 2 ? 0x10000 + ((static_cast<char32_t>(character[0]) - 0xD800) << 10) +
                                                   (static_cast<char32_t>(character[1]) - 0xDC00)
                                             : character[0];
      out += "&#" + std::to_string(static_cast<uint32_t>(codePoint)) + ";";
    }
    i += length - 1;
  }
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
