#pragma once

#include <optional>
#include <string>

#include "core/WideString.h"

namespace verimo {

// Jet's rules for table and column names: 1 to 64 characters, no control
// characters, none of . ! ` [ ], no leading space. Returns the broken rule,
// or nothing for a valid name.
std::optional<std::string> JetNameProblem(WideStringView name);

// Raises verimo::Exception ("Invalid column name '...': ...") when `name`
// breaks the rules; `kind` is "table" or "column". Callers that compose
// statements from captions check each caption with this first.
void CheckJetName(WideStringView name, const char* kind);

}  // namespace verimo
