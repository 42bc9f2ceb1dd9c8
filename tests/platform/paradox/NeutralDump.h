#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/paradox/Table.h"

namespace verimo::test {

// One value in the neutral text form that the pxlib dumper prints; texts
// also in the form it falls back to ("x:" and the hex of the stored bytes)
// when it cannot decode the table's code page.
struct DumpCell {
  std::string text;
  std::string storedHex;
};

struct TableDump {
  std::vector<std::string> fieldLines;         // "FIELD name typebyte size"
  std::vector<std::vector<DumpCell>> records;  // one cell per field
};

// The table as our reader reads it.
TableDump DumpWithReader(TTable& table);

// What the pxlib dumper printed, split into field lines and cells.
TableDump ParsePxlibDump(const std::string& output);

// Whether a pxlib cell and ours agree ("1." and "1" are the same BCD value).
bool CellsAgree(const std::string& pxlibCell, const DumpCell& ours);

// Opens a table by path.
void OpenTable(TTable& table, const std::filesystem::path& path);

}  // namespace verimo::test
