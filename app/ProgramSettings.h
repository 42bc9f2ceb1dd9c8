#pragma once

#include <QString>
#include <string>

#include "platform/paradox/Table.h"

namespace verimo {

// The desktop program's own choices, kept in an INI file of the user's
// configuration folder: the code pages and the locale of the exports, as
// the command line's --codepage, --table-codepage and --locale give them
// for one run.
struct TProgramSettings {
  // The ANSI code page of the exports; 0 lets it follow the user's locale
  // (and, under a neutral or UTF-8 locale, the table's own code page).
  int codePage = 0;
  // The code page tables are read in instead of the one their header
  // names; 0 for the header's.
  int tableCodePage = 0;
  // The locale of numbers, dates and currency ("tr_TR"); empty: the
  // environment's.
  std::string locale;
  // The language of the windows and messages: "tr" or "en"; empty: the
  // environment's (LANGUAGE, LANG).
  std::string language;

  // The settings in `file`; defaults for a missing file or unknown values.
  static TProgramSettings Load(const QString& file);
  // Writes the settings to `file`; false when it cannot be written.
  bool Save(const QString& file) const;
};

// "$XDG_CONFIG_HOME/Verimo/verimo.conf" (or its platform equivalent).
QString DefaultProgramSettingsFile();

// The value locale of the settings, applied before any window makes its
// value patterns (the program's start).
void ApplyProgramLocale(const TProgramSettings& settings);

// Opens the table with the settings' code pages (OpenWithRunCodePages).
void OpenWithProgramCodePages(TTable& table, const TProgramSettings& settings);

}  // namespace verimo
