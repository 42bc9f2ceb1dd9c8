#pragma once

#include <filesystem>
#include <string>

#include "engine/TesselTypes.h"
#include "core/WideString.h"

namespace verimo::html {

// The cell and caption rule: every space becomes "&#160;"; with
// `interpretTags` also "&", ">", "<" and the double quote become entities
// and each line break (CR LF, a lone CR or a lone LF) becomes "<br>".
// Appends to `out`.
void AppendEscaped(WideStringView text, bool interpretTags, WideString& out);
WideString Escape(WideStringView text, bool interpretTags);

// Plain text inside markup or an attribute value: "&", "<", ">" and the
// double quote as entities, nothing else changed.
WideString EscapeMarkup(WideStringView text);


// The bytes of a page text in `encoding`. In a code page, a character the
// code page cannot hold is written as a numeric character reference
// ("&#350;") instead of being lost.
void EncodePageText(WideStringView text, TTesselOutputEncoding encoding, std::string& out);

// The page file of page `number`: the target's name without its extension,
// the number with at least two digits, then the extension
// ("out.html" -> "out01.html", "out100.html").
std::filesystem::path PageFileName(const std::filesystem::path& target, int number);

// The number as the bar and the index show it: two digits below 10.
WideString TwoDigits(int number);

}  // namespace verimo::html
