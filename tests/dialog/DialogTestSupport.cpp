#include "dialog/DialogTestSupport.h"

#include <fstream>
#include <sstream>

#include "core/DateTime.h"
#include "support/TestPaths.h"

namespace verimo::test {

std::unique_ptr<TMemDataSet> MakeCustomers() {
  auto table = std::make_unique<TMemDataSet>(std::vector<TMemDataSet::FieldDef>{
      {u"Id", ftInteger, 0},
      {u"Name", ftString, 20},
      {u"Amount", ftFloat, 0},
      {u"Photo", ftBlob, 0},
      {u"Joined", ftDate, 0},
  });
  const char16_t* names[] = {u"Ada", u"Bora", u"Cem", u"Deniz", u"Ece"};
  for (int i = 0; i < 5; ++i)
    table->AppendRecord({Variant::FromInt(i + 1), Variant::FromText(names[i]), Variant::FromDouble(10.5 * (i + 1)),
                         Variant::FromBytes({1, 2, 3}), Variant::FromDateTime(EncodeDate(2020, 1, i + 1))});
  table->Open();
  return table;
}

std::vector<std::vector<std::string>> ReadCsvWithPython(const std::filesystem::path& file, char delimiter,
                                                        const std::string& encoding) {
  const std::string script = (SourceDir() / "tests/dialog/read_csv.py").string();
  std::string output;
  const std::string command = "/usr/bin/python3 '" + script + "' '" + file.string() + "' '" +
                              std::string(1, delimiter) + "' " + encoding;
  if (RunCommand(command, &output) != 0) return {};
  std::vector<std::vector<std::string>> rows;
  std::string cell;
  std::vector<std::string> row;
  for (char ch : output) {
    if (ch == '\x1f') {
      row.push_back(cell);
      cell.clear();
    } else if (ch == '\x1e') {
      row.push_back(cell);
      rows.push_back(row);
      row.clear();
      cell.clear();
    } else {
      cell += ch;
    }
  }
  return rows;
}

TTempDir::TTempDir(const std::string& prefix) : path_(MakeTempDir(prefix)) {}

TTempDir::~TTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace verimo::test
