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
// Whether a POSIX locale name's character set is UTF-8 ("ru_RU.UTF-8",
// "en_US.utf8"): such a user writes no code page of his own.
bool IsUtf8Locale(std::string_view localeName);

// Makes the family the system code pages for the rest of the process.
void SetSystemCodePages(const TCodePageFamily& family);

// Makes `codePage` the ANSI code page of the rest of the process, with the
// OEM and Mac code pages of its script (a code page of no family is its own
// OEM code page too; the Mac one stays).
void UseAnsiCodePage(int codePage);

// The system code pages of a run, chosen before its table is read: the
// user's ANSI code page (--codepage, the program setting) with the OEM and
// Mac code pages of its script, or the locale's when that is 0. A table
// that names no code page is read in the OEM code page chosen here.
void BeginRunCodePages(int userAnsiCodePage);

// Under a neutral or UTF-8 user locale, makes the family of a table's code
// page the system code pages, so that exports keep the table's letters (a
// Cyrillic table under en_US.UTF-8 is written in 1251 / 866 / Mac
// Cyrillic); under any other locale the locale's code pages stay. Not for
// a run whose user chose a code page.
void FollowTableCodePage(int tableCodePage);

}  // namespace verimo
