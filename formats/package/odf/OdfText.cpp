#include "formats/package/odf/OdfText.h"

#include "formats/package/TesselXMLWriter.h"

namespace verimo {
namespace {

bool IsForbiddenControl(char16_t ch) { return ch < 0x20 && ch != u'\t' && ch != u'\n' && ch != u'\r'; }

void AppendSpaces(std::string& out, size_t count) {
  if (count == 0) return;
  if (count == 1) {
    out += "<text:s/>";
    return;
  }
  out += "<text:s text:c=\"";
  out += std::to_string(count);
  out += "\"/>";
}

}  // namespace

void AppendODFText(std::string& out, WideStringView text) {
  const size_t n = text.size();
  size_t plainStart = 0;
  // Whether the last thing written is a character after which one space
  // stays a space.
  bool afterCharacter = false;
  auto flushPlain = [&](size_t end) {
    if (end > plainStart) AppendXmlEscaped(text.substr(plainStart, end - plainStart), TXmlBreaks::Plain, out);
  };
  for (size_t i = 0; i < n;) {
    const char16_t ch = text[i];
    if (ch == u' ') {
      flushPlain(i);
      size_t end = i;
      while (end < n && (text[end] == u' ' || IsForbiddenControl(text[end]))) ++end;
      size_t spaces = 0;
      for (size_t j = i; j < end; ++j) spaces += text[j] == u' ';
      const bool beforeBreak = end == n || text[end] == u'\t' || text[end] == u'\r' || text[end] == u'\n';
      if (afterCharacter && !beforeBreak) {
        out += ' ';
        --spaces;
      }
      AppendSpaces(out, spaces);
      afterCharacter = false;
      i = plainStart = end;
    } else if (ch == u'\t' || ch == u'\r' || ch == u'\n') {
      flushPlain(i);
      if (ch == u'\t') {
        out += "<text:tab/>";
      } else {
        out += "<text:line-break/>";
        if (ch == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
      }
      afterCharacter = false;
      i = plainStart = i + 1;
    } else {
      if (!IsForbiddenControl(ch)) afterCharacter = true;
      ++i;
    }
  }
  flushPlain(n);
}

void AppendODFAttribute(std::string& out, std::string_view name, WideStringView value) {
  out += name;
  out += "=\"";
  AppendXmlEscaped(value, TXmlBreaks::References, out);
  out += "\" ";
}

}  // namespace verimo
