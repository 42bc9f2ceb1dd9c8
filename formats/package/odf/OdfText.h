#pragma once

#include <string>

#include "core/WideString.h"

namespace verimo {

// Appends `text` as the content of an OpenDocument paragraph (UTF-8,
// escaped) so that readers show it as it is: a space that readers would
// collapse or drop (leading, trailing, after another space, a tab or a
// break) becomes <text:s/> (a run of n as <text:s text:c="n"/>), a tab
// <text:tab/>, and CR LF, CR or LF <text:line-break/>. Characters XML 1.0
// does not allow are dropped.
void AppendODFText(std::string& out, WideStringView text);

// Appends ` name="value" ` with the value escaped as an attribute.
void AppendODFAttribute(std::string& out, std::string_view name, WideStringView value);

}  // namespace verimo
