#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/StringList.h"
#include "core/Variant.h"
#include "core/WideString.h"
#include "engine/TesselTypes.h"
#include "formats/text/TesselSQL.h"
#include "platform/data/FieldType.h"
#include "platform/data/MemDataSet.h"

namespace verimo {
class TTable;
}

namespace verimo::test {

enum class TSqlReader { Sqlite, Postgres, MariaDB };

// What the exporter had in one cell when it wrote the record.
struct TRecordedCell {
  bool isNull = false;
  Variant value;
  WideString text;
};

struct TRecordedColumn {
  WideString name;
  TTesselColType colType = ectString;
  TFieldType fieldType = ftUnknown;
};

// The rows an SQL export wrote, taken from the exporter as it wrote them.
class TSqlRowRecorder {
 public:
  void Attach(TTesselSQL& exporter);
  std::vector<TRecordedColumn> columns;
  std::vector<std::vector<TRecordedCell>> rows;
};

// The query that gives one line per row of `table` (a quoted name), each
// value as the hexadecimal digits of its UTF-8 text or "-" for null,
// separated by ",".
std::string ReadBackQuery(TSqlReader reader, const WideString& table, const std::vector<TRecordedColumn>& columns);

// Compares what the server gave back with the recorded rows: texts exactly,
// numbers by value (to the precision of the column's type), dates as ISO
// texts, Booleans as the server shows them. Empty when all is equal, else
// a description of the first differences.
std::string CompareReadBack(TSqlReader reader, const TSqlRowRecorder& recorded, const std::string& output);

// A table of numbers, Turkish texts, quotes, backslashes, nulls, dates at
// the ends of the calendar, Booleans and a memo.
void FillTrickySqlTable(TMemDataSet& data);
// ISO date and time patterns, so that the ANSI literals read the same in
// every server.
void UseIsoPatterns(TTesselSQL& exporter);
// "," decimals, "." grouping and time separator, a currency symbol and
// Turkish Boolean texts: none of it may reach a literal.
void UseTurkishPatterns(TTesselSQL& exporter);

// Every Paradox table of the shared fixtures, in path order (empty without them).
std::vector<std::filesystem::path> FixtureTables();
bool OpenFixture(const std::filesystem::path& fixture, TTable& table, std::string& why);
// The fields of a table that hold text or numbers (byte fields and binary
// BLOBs left out: no text reader keeps them).
TStringList TextFieldsOf(const TTable& table);

}  // namespace verimo::test
