#include "NeutralDump.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "core/DateTime.h"
#include "platform/codepage/CodePage.h"

namespace verimo::test {

namespace {

constexpr int64_t kDayNumberOfOrigin = 693594;

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

std::string Hex(const Bytes& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string Fnv(const Bytes& bytes) {
  uint64_t hash = 1469598103934665603ULL;
  for (uint8_t b : bytes) {
    hash ^= b;
    hash *= 1099511628211ULL;
  }
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%zu:%016llx", bytes.size(), static_cast<unsigned long long>(hash));
  return buffer;
}

std::string Double(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

int TypeByte(char code) {
  static const std::string codes = "ADSI$NLMBFOGT@+#Y";
  static const int bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x09, 0x0C, 0x0D,
                              0x0E, 0x0F, 0x10, 0x14, 0x15, 0x16, 0x17, 0x18};
  return bytes[codes.find(code)];
}

DumpCell TextCell(const WideString& text, int codePage) {
  DumpCell cell{Escaped(WideToUtf8(text)), {}};
  std::string stored = EncodeToCodePage(text, codePage);
  cell.storedHex = "x:" + Hex(Bytes(stored.begin(), stored.end()));
  return cell;
}

int64_t TimestampMilliseconds(TDateTime value) {
  double days = std::trunc(value);
  double fraction = std::fabs(value - days);
  return (static_cast<int64_t>(days) + kDayNumberOfOrigin) * 86400000LL +
         std::llround(fraction * 86400000.0);
}

DumpCell Cell(TTable& table, int index) {
  const ParadoxFieldInfo& field = table.Info().fields[static_cast<size_t>(index)];
  if (table.FieldIsNull(index)) return {"\\N", {}};
  Variant value = table.FieldValue(index);
  if (value.IsNull()) return {"NULL-BUT-NOT-BLANK", {}};
  switch (field.typeCode) {
    case 'A':
    case 'M': return TextCell(value.AsText(), table.Info().codePage);
    case 'S':
    case 'I':
    case '+': return {std::to_string(value.AsInt()), {}};
    case 'D': return {std::to_string(DateTimeToDayNumber(value.AsDateTime())), {}};
    case 'T': return {std::to_string(std::llround(value.AsDateTime() * 86400000.0)), {}};
    case '@': return {std::to_string(TimestampMilliseconds(value.AsDateTime())), {}};
    case 'N':
    case '$': return {Double(value.AsDouble()), {}};
    case 'L': return {value.AsBool() ? "1" : "0", {}};
    case '#': return {table.FieldDecimalText(index), {}};
    case 'Y': return {Hex(table.FieldBlob(index)), {}};
    default: return {Fnv(table.FieldBlob(index)), {}};
  }
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> cells;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    cells.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return cells;
    start = tab + 1;
  }
}

}  // namespace

void OpenTable(TTable& table, const std::filesystem::path& path) {
  table.Close();
  table.SetDatabaseName(path.parent_path().string());
  table.SetTableName(path.filename().string());
  table.Open();
}

TableDump DumpWithReader(TTable& table) {
  TableDump dump;
  for (const ParadoxFieldInfo& field : table.Info().fields)
    dump.fieldLines.push_back("FIELD " + WideToUtf8(field.name) + " " + std::to_string(TypeByte(field.typeCode)) +
                              " " + std::to_string(field.size));
  for (table.First(); !table.Eof(); table.Next()) {
    std::vector<DumpCell> record;
    for (int i = 0; i < table.FieldCount(); ++i) record.push_back(Cell(table, i));
    dump.records.push_back(std::move(record));
  }
  return dump;
}

TableDump ParsePxlibDump(const std::string& output) {
  TableDump dump;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("FIELD ", 0) == 0) {
      dump.fieldLines.push_back(line);
      continue;
    }
    std::vector<DumpCell> record;
    for (std::string& cell : SplitTabs(line)) record.push_back({std::move(cell), {}});
    dump.records.push_back(std::move(record));
  }
  return dump;
}

bool CellsAgree(const std::string& pxlibCell, const DumpCell& ours) {
  if (pxlibCell == ours.text) return true;
  if (!ours.storedHex.empty() && pxlibCell == ours.storedHex) return true;
  // pxlib ends a BCD value without decimals with its decimal point.
  return !pxlibCell.empty() && pxlibCell.back() == '.' && pxlibCell.substr(0, pxlibCell.size() - 1) == ours.text;
}

}  // namespace verimo::test
