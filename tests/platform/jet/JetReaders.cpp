#include "platform/jet/JetReaders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/TestPaths.h"

namespace verimo::test::jet {
namespace {

std::string Run(const std::string& command) {
  std::string output;
  const int status = RunCommand(command + " 2>/dev/null", &output);
  EXPECT_EQ(status, 0) << "command failed: " << command;
  return output;
}

std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false, any = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (quoted) {
      if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (ch == '"') {
        quoted = false;
      } else {
        field += ch;
      }
    } else if (ch == '"') {
      quoted = true;
      any = true;
    } else if (ch == ',') {
      record.push_back(field);
      field.clear();
      any = true;
    } else if (ch == '\n') {
      record.push_back(field);
      records.push_back(record);
      record.clear();
      field.clear();
      any = false;
    } else {
      field += ch;
      any = true;
    }
  }
  if (any) {
    record.push_back(field);
    records.push_back(record);
  }
  return records;
}

}  // namespace

CsvTable MdbExport(const std::filesystem::path& file, const std::string& table) {
  const std::string output = Run("mdb-export -T '%Y-%m-%d %H:%M:%S' " + verimo::test::ShellQuote(file.string()) + " " + verimo::test::ShellQuote(table));
  auto records = ParseCsv(output);
  CsvTable result;
  if (records.empty()) {
    ADD_FAILURE() << "mdb-export printed nothing for " << table;
    return result;
  }
  result.header = records.front();
  result.rows.assign(records.begin() + 1, records.end());
  return result;
}

std::string MdbSchema(const std::filesystem::path& file) { return Run("mdb-schema " + verimo::test::ShellQuote(file.string()) + " access"); }

std::vector<std::string> MdbTables(const std::filesystem::path& file, bool systemTables) {
  std::istringstream lines(Run("mdb-tables -1 " + std::string(systemTables ? "-S " : "") + verimo::test::ShellQuote(file.string())));
  std::vector<std::string> names;
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) names.push_back(line);
  return names;
}

std::string MdbVersion(const std::filesystem::path& file) {
  std::string version = Run("mdb-ver " + verimo::test::ShellQuote(file.string()));
  while (!version.empty() && (version.back() == '\n' || version.back() == ' ')) version.pop_back();
  return version;
}

nlohmann::json MdbReaderDump(const std::filesystem::path& file, const std::string& password) {
  const std::filesystem::path node = VERIMO_JET_NODE_DIR;
  if (!std::filesystem::exists(node / "node_modules/mdb-reader/package.json")) {
    ADD_FAILURE() << "mdb-reader is not installed; run tools/install-deps.sh";
    return nlohmann::json::object();
  }
  std::string output;
  const std::string command = "node " + verimo::test::ShellQuote((node / "dump.mjs").string()) + " " + verimo::test::ShellQuote(file.string()) +
                              (password.empty() ? "" : " " + verimo::test::ShellQuote(password));
  const int status = RunCommand(command + " 2>&1", &output);
  if (status != 0) {
    ADD_FAILURE() << "mdb-reader could not read " << file << ": " << output;
    return nlohmann::json::object();
  }
  return nlohmann::json::parse(output);
}

std::string ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace verimo::test::jet
