#pragma once

#include <cstdint>
#include <string>

#include "core/WideString.h"

namespace verimo {

// How the XML escaper writes line feeds and tabs: as character references
// ("&#10;", "&#9;"), which survive attribute-value normalisation, or as
// they are, for element content.
enum class TXmlBreaks : uint8_t { References, Plain };

// Text as XML character data: "&", "<", ">" and the double quote become
// entities, CR always "&#13;" (line-end normalisation would drop it), LF
// and TAB as `breaks` says; characters XML 1.0 does not allow (the other C0
// controls, U+FFFE, U+FFFF, halves of surrogate pairs) are dropped. Spaces
// stay plain. Appended to `out` as UTF-16, or as UTF-8.
void AppendXmlEscaped(WideStringView text, TXmlBreaks breaks, WideString& out);
void AppendXmlEscaped(WideStringView text, TXmlBreaks breaks, std::string& out);
// The same as UTF-8 written at `target`, which has room for
// XmlEscapedBound(text.size()) bytes; returns the end of what was written.
char* WriteXmlEscaped(WideStringView text, TXmlBreaks breaks, char* target);
constexpr size_t XmlEscapedBound(size_t units) { return units * 6 + 8; }

}  // namespace verimo
