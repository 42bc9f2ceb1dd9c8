#pragma once

#include <string>
#include <string_view>

#include "core/WideString.h"

namespace verimo {

enum class TSystemCodePage { Ansi, Oem, Mac };

// The system code page numbers: from the user locale (Turkish: 1254 / 857 / 10081 Mac Turkish;
// otherwise 1252 / 437 / 10000 Mac Roman), unless overridden by SetSystemCodePage.
int SystemCodePage(TSystemCodePage which);
// Overrides one system code page for the rest of the process; 0 returns it to the locale's.
// An unknown code page raises verimo::Exception.
void SetSystemCodePage(TSystemCodePage which, int codePage);
// The locale the environment gives for characters (LC_ALL, LC_CTYPE, LANG),
// else ICU's default.
std::string UserCharacterLocale();
// The code page the locale named (an ICU or POSIX name such as "tr_TR.UTF-8") gives.
int LocaleSystemCodePage(TSystemCodePage which, std::string_view localeName);

// NFC first, "?" for what the code page cannot hold; an unknown code page raises verimo::Exception.
// Converters are cached per code page; the call is cheap enough to be made once per cell.
std::string EncodeToCodePage(WideStringView text, int codePage);
// Bytes the code page does not define become U+FFFD.
WideString DecodeFromCodePage(std::string_view bytes, int codePage);

// Whether the code page number has a converter.
bool IsSupportedCodePage(int codePage);
// The ICU converter name of a code page number ("windows-1254", "ibm-857", "x-mac-turkish"),
// or empty when the number is not known.
std::string CodePageConverterName(int codePage);

}  // namespace verimo
