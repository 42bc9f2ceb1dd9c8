#include "formats/package/TesselXMLWriter.h"

namespace verimo {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsAllowedControl(char16_t ch) { return ch == u'\t' || ch == u'\n' || ch == u'\r'; }

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

TTesselXMLWriter::TTesselXMLWriter(TStream& stream) : TTesselWriter(nullptr, &stream) { buffer_.reserve(kFlushSize * 2); }

TTesselXMLWriter::~TTesselXMLWriter() {
  try {
    Flush();
  } catch (...) {
    // The caller that wanted to know has flushed already.
  }
}

void TTesselXMLWriter::WriteDeclaration(std::string_view version, std::string_view encoding,
                                        std::string_view standalone) {
  buffer_ += "<?xml ";
  auto item = [this](std::string_view name, std::string_view value) {
    if (value.empty()) return;
    buffer_.append(name).append("=\"").append(value).append("\" ");
  };
  item("version", version);
  item("encoding", encoding);
  item("standalone", standalone);
  buffer_ += "?>";
  buffer_ += kLineEnd;
}

void TTesselXMLWriter::OpenTag(std::string_view name, std::initializer_list<TXmlAttr> attributes) {
  buffer_ += '<';
  buffer_ += name;
  if (attributes.size() == 0) return;
  buffer_ += ' ';
  for (const TXmlAttr& attribute : attributes) {
    buffer_ += attribute.Name;
    buffer_ += "=\"";
    AppendEscaped(buffer_, attribute.Value, true);
    buffer_ += "\" ";
  }
}

void TTesselXMLWriter::OpenElement(std::string_view name, WideStringView text,
                                   std::initializer_list<TXmlAttr> attributes) {
  OpenTag(name, attributes);
  buffer_ += '>';
  AppendEscaped(buffer_, text);
  FlushIfFull();
}

void TTesselXMLWriter::CloseElement(std::string_view name, bool lineEnd) {
  buffer_ += "</";
  buffer_ += name;
  buffer_ += '>';
  if (lineEnd) buffer_ += kLineEnd;
  FlushIfFull();
}

void TTesselXMLWriter::WriteElement(std::string_view name, WideStringView text,
                                    std::initializer_list<TXmlAttr> attributes) {
  OpenTag(name, attributes);
  if (text.empty()) {
    buffer_ += "/>";
  } else {
    buffer_ += '>';
    AppendEscaped(buffer_, text);
    buffer_ += "</";
    buffer_ += name;
    buffer_ += '>';
  }
  FlushIfFull();
}

void TTesselXMLWriter::WriteText(WideStringView text) {
  AppendEscaped(buffer_, text);
  FlushIfFull();
}

void TTesselXMLWriter::WriteRaw(std::string_view bytes) {
  buffer_ += bytes;
  FlushIfFull();
}

void TTesselXMLWriter::WriteRawLn(std::string_view bytes) {
  buffer_ += bytes;
  buffer_ += kLineEnd;
  FlushIfFull();
}

void TTesselXMLWriter::Flush() {
  if (buffer_.empty()) return;
  std::string pending;
  pending.swap(buffer_);
  buffer_.reserve(kFlushSize * 2);
  Stream()->Write(pending.data(), pending.size());
}

void TTesselXMLWriter::AppendEscaped(std::string& out, WideStringView text, bool attribute) {
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t ch = text[i];
    if (ch < 0x80) {
      switch (ch) {
        case u'&': out += "&amp;"; continue;
        case u'<': out += "&lt;"; continue;
        case u'>': out += "&gt;"; continue;
        case u'"': out += "&quot;"; continue;
        case u'\r': out += "&#13;"; continue;
        case u'\n': out += attribute ? "&#10;" : "\n"; continue;
        case u'\t': out += attribute ? "&#9;" : "\t"; continue;
        default:
          if (ch < 0x20 && !IsAllowedControl(ch)) continue;
          out += static_cast<char>(ch);
          continue;
      }
    }
    if (ch >= 0xD800 && ch <= 0xDBFF) {
      if (i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(ch) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
        ++i;
      }
      continue;
    }
    if ((ch >= 0xDC00 && ch <= 0xDFFF) || ch == 0xFFFE || ch == 0xFFFF) continue;
    AppendUtf8(out, ch);
  }
}

bool TTesselXMLWriter::NeedsPreserve(WideStringView text) {
  for (char16_t ch : text)
    if (ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r') return true;
  return false;
}

}  // namespace verimo
