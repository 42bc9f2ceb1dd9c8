#pragma once

#include <optional>
#include <string_view>

namespace verimo {

// The ANSI, OEM and Mac code pages of one script, as a system of that
// language would have them.
struct TCodePageFamily {
  int ansi = 1252;
  int oem = 437;
  int mac = 10000;
};

// The family whose code pages hold the characters of `codePage` (a table's
// code page: 857 and 1254 give the Turkish family, 866 and 1251 the
// Cyrillic one, ...); nothing for a code page of no family (multi-byte ones
// keep themselves as ANSI and OEM).
std::optional<TCodePageFamily> CodePageFamily(int codePage);

// Whether a POSIX locale name is one of the neutral ones ("C", "POSIX",
// "C.UTF-8", empty): they name no language, so no code page either.
bool IsNeutralLocale(std::string_view localeName);

// Makes the family the system code pages for the rest of the process.
void SetSystemCodePages(const TCodePageFamily& family);

// Makes `codePage` the ANSI code page of the rest of the process, with the
// OEM and Mac code pages of its script (a code page of no family is its own
// OEM code page too; the Mac one stays).
void UseAnsiCodePage(int codePage);

// Under a neutral user locale, makes the family of a table's code page the
// system code pages, so that exports keep the table's letters; under any
// other locale the locale's code pages stay.
void FollowTableCodePage(int tableCodePage);

}  // namespace verimo
