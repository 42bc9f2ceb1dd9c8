#include "formats/package/TesselXMLWriter.h"

#include <cstring>

namespace verimo {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

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

void TTesselXMLWriter::WriteRawFrom(TStream& source) {
  Flush();
  source.SetPosition(0);
  Stream()->CopyFrom(source);
}

void TTesselXMLWriter::WriteRawLn(std::string_view bytes) {
  buffer_ += bytes;
  buffer_ += kLineEnd;
  FlushIfFull();
}

// The buffer is emptied even when the write fails, so that the destructor
// does not write the same bytes again.
void TTesselXMLWriter::Flush() {
  if (buffer_.empty()) return;
  try {
    Stream()->Write(buffer_.data(), buffer_.size());
  } catch (...) {
    buffer_.clear();
    throw;
  }
  buffer_.clear();
}

// The text is escaped into a small buffer on the stack that goes into `out`
// whenever it may not hold the next unit's bytes: no capacity check per
// character.
void TTesselXMLWriter::AppendEscaped(std::string& out, WideStringView text, bool attribute) {
  constexpr size_t kRoom = 1024;
  constexpr size_t kMaxUnitBytes = 6;  // "&quot;"; a surrogate pair gives 4 bytes for 2 units
  char buffer[kRoom];
  char* p = buffer;
  auto put = [&p](std::string_view bytes) {
    std::memcpy(p, bytes.data(), bytes.size());
    p += bytes.size();
  };
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    if (p > buffer + kRoom - kMaxUnitBytes) {
      out.append(buffer, p);
      p = buffer;
    }
    const char16_t ch = text[i];
    if (ch < 0x80) {
      if (ch >= 0x40 || (ch >= 0x20 && ch != u'&' && ch != u'<' && ch != u'>' && ch != u'"')) {
        *p++ = static_cast<char>(ch);
        continue;
      }
      switch (ch) {
        case u'&': put("&amp;"); continue;
        case u'<': put("&lt;"); continue;
        case u'>': put("&gt;"); continue;
        case u'"': put("&quot;"); continue;
        case u'\r': put("&#13;"); continue;
        case u'\n': put(attribute ? std::string_view("&#10;") : std::string_view("\n")); continue;
        case u'\t': put(attribute ? std::string_view("&#9;") : std::string_view("\t")); continue;
        default: continue;  // the other C0 controls
      }
    }
    if (ch < 0x800) {
      *p++ = static_cast<char>(0xC0 | (ch >> 6));
      *p++ = static_cast<char>(0x80 | (ch & 0x3F));
      continue;
    }
    if (ch >= 0xD800 && ch <= 0xDBFF) {
      if (i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        const char32_t code = 0x10000 + ((static_cast<char32_t>(ch) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        *p++ = static_cast<char>(0xF0 | (code >> 18));
        *p++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *p++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (code & 0x3F));
        ++i;
      }
      continue;
    }
    if ((ch >= 0xDC00 && ch <= 0xDFFF) || ch == 0xFFFE || ch == 0xFFFF) continue;
    *p++ = static_cast<char>(0xE0 | (ch >> 12));
    *p++ = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (ch & 0x3F));
  }
  out.append(buffer, p);
}

bool TTesselXMLWriter::NeedsPreserve(WideStringView text) {
  for (char16_t ch : text)
    if (ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r') return true;
  return false;
}

}  // namespace verimo
