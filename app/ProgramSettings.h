#pragma once

#include <QString>
#include <string>

namespace verimo {

// The desktop program's own choices, kept in an INI file of the user's
// configuration folder: the code page and the locale of the exports, as the
// command line's --codepage and --locale give them for one run.
struct TProgramSettings {
  // The ANSI code page of the exports; 0 lets it follow the user's locale
  // (and, under a neutral locale, the table's own code page).
  int codePage = 0;
  // The locale of numbers, dates and currency ("tr_TR"); empty: the
  // environment's.
  std::string locale;

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

// The code pages the export of a table with `tableCodePage` uses.
void ApplyProgramCodePages(const TProgramSettings& settings, int tableCodePage);

}  // namespace verimo
