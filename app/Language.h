#pragma once

#include <string>

#include "resources/EnglishText.h"

namespace verimo {

struct TProgramSettings;

// The locale that names the language of messages: the first entry of
// LANGUAGE, else LC_ALL, LC_MESSAGES or LANG, the first that is set.
std::string MessagesLocaleOfEnvironment();

// The desktop program's language: the one the settings force, else the
// environment's (Turkish for a "tr" locale, English for any other).
TLanguage ProgramLanguage(const TProgramSettings& settings);

// Makes `language` the one of the windows built from now on and of the
// string table's messages. Needs the QApplication.
void ApplyProgramLanguage(TLanguage language);

// The language applied last (Turkish before any).
TLanguage CurrentProgramLanguage();

}  // namespace verimo
