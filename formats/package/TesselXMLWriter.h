#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/WideString.h"
#include "core/XmlEscape.h"
#include "engine/TesselWriter.h"

namespace verimo {

// One attribute of an element: an ASCII name and a UTF-16 value.
struct TXmlAttr {
  std::string_view Name;
  WideStringView Value;
};

// Writes one XML part into a stream as UTF-8: tags, attributes and text,
// with no indentation; line ends (CR LF) only where the caller asks.
// Text is escaped with AppendXmlEscaped, line feeds and tabs plain;
// attribute values with them as character references.
//
// Output is buffered: call Flush before closing the stream to see write
// errors (the destructor flushes too, but cannot report them).
class TTesselXMLWriter : public TTesselWriter {
 public:
  explicit TTesselXMLWriter(TStream& stream);
  ~TTesselXMLWriter() override;

  // "<?xml " + each non-empty argument as `name="value" ` + "?>" + CR LF.
  void WriteDeclaration(std::string_view version, std::string_view encoding, std::string_view standalone);
  // "<" + name, then " " and every attribute as `name="value" ` when there
  // are any, ">" and the text. No line end.
  void OpenElement(std::string_view name, WideStringView text = {}, std::initializer_list<TXmlAttr> attributes = {});
  // "</" + name + ">", and CR LF when `lineEnd` is set.
  void CloseElement(std::string_view name, bool lineEnd = false);
  // As OpenElement; then text and the end tag, or "/>" without text.
  void WriteElement(std::string_view name, WideStringView text = {}, std::initializer_list<TXmlAttr> attributes = {});
  // Escaped text content.
  void WriteText(WideStringView text);
  // Bytes as they are (markup the caller has composed itself).
  void WriteRaw(std::string_view bytes);
  void WriteRawLn(std::string_view bytes);
  // The bytes of another stream, from its start, as they are (a part of the
  // document written aside).
  void WriteRawFrom(TStream& source);
  void Flush();

  // Whether a text element holding `text` needs xml:space="preserve" so
  // that readers keep its white space as it is (any white space counts:
  // some readers also collapse runs of spaces inside the text).
  static bool NeedsPreserve(WideStringView text);

 private:
  void OpenTag(std::string_view name, std::initializer_list<TXmlAttr> attributes);
  void FlushIfFull() {
    if (buffer_.size() >= kFlushSize) Flush();
  }

  static constexpr size_t kFlushSize = 64 * 1024;
  std::string buffer_;
};

}  // namespace verimo
