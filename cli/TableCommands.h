#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/paradox/Table.h"

namespace verimo::cli {

// A wrong command line (the caller prints the usage after it).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TableOptions {
  std::string path;
  std::optional<std::string> password;  // UTF-8
  std::optional<int> codePage;          // --codepage: the system ANSI code page of the run
  std::optional<int> tableCodePage;     // --table-codepage: the table's texts are in this one
  std::optional<std::string> locale;    // --locale: the locale of the value patterns
  bool salvage = false;                 // --salvage: read what a damaged table still holds
};

// The exit code of a command whose salvaging read lost records or values.
constexpr int kExitSalvageLost = 3;

// Takes the options every table command has (--password, --codepage,
// --table-codepage, --locale, --salvage) into `options`; false when `arg` is none of them. `value`
// returns the option's value (and raises when it is missing). --locale
// takes effect at once, for the rest of the process.
bool TakeTableOption(const std::string& arg, const std::function<const std::string&()>& value, TableOptions& options);
// The lines of --help for those options.
extern const char* const kTableOptionsHelp;

// Opens the table at `options.path`. An encrypted table takes the given
// password; without one it is asked for on the terminal ("Enter password"),
// and without a terminal the open fails with a message saying so.
// The run's code pages are chosen before the table is read (a table that
// names no code page is read in the run's OEM code page): --codepage when
// given; else, once the header is read, under a neutral or UTF-8 locale the
// family of the table's own code page (--table-codepage when given), else
// the locale's.
// With --salvage the table is read in salvage mode.
void OpenTable(TTable& table, const TableOptions& options);
// For a table opened with --salvage: one line per problem the salvaging
// read found, then its summary line, each after the table's path; nothing
// otherwise.
void PrintSalvageReport(const TTable& table, std::FILE* out);
// kExitSalvageLost when the salvaging read of the open table lost records
// or values; 0 otherwise.
int SalvageExitCode(const TTable& table);
// The system code pages an export of the open table uses, for `info`:
// "1254 (ANSI), 857 (OEM), 10081 (Mac)".
std::string ExportCodePagesText();

// The code page the table is read in and where it came from:
// "866 (the table names none: the run's OEM code page)".
std::string TableCodePageText(const ParadoxTableInfo& info);

// Prints the table's structure: version, code page, encryption, record
// count and size, block size and one line per field.
void PrintInfo(TTable& table, std::FILE* out);

struct DumpOptions {
  long long limit = -1;   // records to print; -1 for all
  bool hexBlobs = false;  // BLOB bytes as hexadecimal instead of "(N bytes)"
};

// Prints a line of field names, then one line per record, tab-separated;
// tabs, line breaks and backslashes inside values are escaped (\t \r \n \\),
// blank values are empty.
void PrintRecords(TTable& table, const DumpOptions& options, std::FILE* out);

}  // namespace verimo::cli
