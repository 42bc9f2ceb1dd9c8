#pragma once

#include <optional>
#include <string_view>

#include "core/WideString.h"

namespace verimo {

// The languages of the desktop program: Turkish is its own, the texts of
// the string table and of the windows; English is their translation.
enum class TLanguage { Turkish, English };

// The language of a locale name such as "tr_TR.UTF-8" or "en_US": Turkish
// for "tr" and "tr_...", English for anything else (also "C" and empty).
TLanguage LanguageOfLocale(std::string_view localeName);

// The English text of a string table entry, or nothing.
std::optional<WideStringView> FindEnglishResourceString(int ident);

// The English text of a window caption, keyed by its Turkish text, or
// nothing for a text without translation (names, numbers, "SQL").
std::optional<WideStringView> FindEnglishCaption(WideStringView turkish);

}  // namespace verimo
