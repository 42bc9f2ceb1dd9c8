#pragma once

#include <string>
#include <string_view>

#include "core/WideString.h"

namespace verimo::test {

// Appends `text` as a JSON string literal, quotes included, for the
// reader scripts: printable ASCII as it is, every other UTF-16 unit as
// \uXXXX, so that lone surrogates reach the reader too.
void AppendJsonString(std::string& json, WideStringView text);
// The same for UTF-8 bytes: only quotes, backslashes and control bytes are
// escaped, the rest passes as it is.
void AppendJsonString(std::string& json, std::string_view utf8);

}  // namespace verimo::test
