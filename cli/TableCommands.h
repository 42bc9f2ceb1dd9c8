#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "platform/paradox/Table.h"

namespace verimo::cli {

struct TableOptions {
  std::string path;
  std::optional<std::string> password;  // UTF-8
};

// Opens the table at `options.path`. An encrypted table takes the given
// password; without one it is asked for on the terminal ("Enter password"),
// and without a terminal the open fails with a message saying so.
void OpenTable(TTable& table, const TableOptions& options);

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
