#include "formats/package/TesselXMLWriter.h"

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
    AppendXmlEscaped(attribute.Value, TXmlBreaks::References, buffer_);
    buffer_ += "\" ";
  }
}

void TTesselXMLWriter::OpenElement(std::string_view name, WideStringView text,
                                   std::initializer_list<TXmlAttr> attributes) {
  OpenTag(name, attributes);
  buffer_ += '>';
  AppendXmlEscaped(text, TXmlBreaks::Plain, buffer_);
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
    AppendXmlEscaped(text, TXmlBreaks::Plain, buffer_);
    buffer_ += "</";
    buffer_ += name;
    buffer_ += '>';
  }
  FlushIfFull();
}

void TTesselXMLWriter::WriteText(WideStringView text) {
  AppendXmlEscaped(text, TXmlBreaks::Plain, buffer_);
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

bool TTesselXMLWriter::NeedsPreserve(WideStringView text) {
  for (char16_t ch : text)
    if (ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r') return true;
  return false;
}

}  // namespace verimo
