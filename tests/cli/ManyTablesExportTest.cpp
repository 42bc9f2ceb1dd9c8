// A folder of tables into one target: an SQLite database, an Access
// database, an SQL script in every dialect. Read back by the sqlite3 shell,
// mdbtools, PostgreSQL and MariaDB, against the exports of one table each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "formats/text/SqlServers.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::ShellQuote;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// The Access name of a table of an ASCII file name: what the statements
// take without brackets.
std::string AccessName(const std::string& stem) {
  std::string name = stem;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_') ch = '_';
  if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) name = "T" + name;
  return name;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++count;
  return count;
}

class ManyTablesExportTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-many"); }
  void TearDown() override { fs::remove_all(dir_); }

  test::CommandResult Cli(const std::string& arguments) {
    return test::RunCapturing("LANG=tr_TR.UTF-8 " + std::string(VERIMO_CLI) + " " + arguments, dir_ / "stderr.txt");
  }

  static std::string Run(const std::string& command) {
    std::string out;
    test::RunCommand(command, &out);
    return out;
  }

  // Runs a script in the sqlite3 shell, without waiting for the disk after
  // every statement; stops at the first error.
  static int LoadScript(const fs::path& db, const fs::path& script) {
    return test::RunCommand("sqlite3 -bail -cmd 'PRAGMA synchronous=OFF' -cmd 'PRAGMA journal_mode=OFF' " +
                            ShellQuote(db.string()) + " < " + ShellQuote(script.string()) + " >/dev/null 2>&1");
  }

  static std::string Sqlite(const fs::path& db, const std::string& query) {
    return Run("sqlite3 " + ShellQuote(db.string()) + " " + ShellQuote(query) + " 2>&1");
  }

  // A generated table of `rows` records whose first `keyFields` fields are its key.
  fs::path MakeTable(const fs::path& table, int rows, int keyFields) {
    fs::create_directories(table.parent_path());
    EXPECT_EQ(test::RunCommand(std::string(VERIMO_MKPARADOX) + " --quiet --rows " + std::to_string(rows) +
                               " --key-fields " + std::to_string(keyFields) + " " + ShellQuote(table.string())),
              0);
    return table;
  }

  // The sample table (with its memo file) as `name`.db in the folder.
  void CopySample(const fs::path& folder, const std::string& name) {
    fs::create_directories(folder);
    fs::copy_file(test::SourceDir() / "samples/MUSTERI.DB", folder / (name + ".DB"));
    fs::copy_file(test::SourceDir() / "samples/MUSTERI.MB", folder / (name + ".MB"));
  }

  // A folder of the sample (MUSTERI), a keyed table of 300 records (KEYED)
  // and the first third of KEYED (CUT), which cannot be read.
  fs::path MakeFolderWithACutTable() {
    const fs::path folder = dir_ / "tables";
    CopySample(folder, "MUSTERI");
    std::vector<uint8_t> bytes = test::ReadBinaryFile(MakeTable(folder / "KEYED.DB", 300, 1));
    bytes.resize(bytes.size() / 3);
    test::WriteBinaryFile(folder / "CUT.DB", bytes);
    return folder;
  }

  // Every fixture table in one folder, with its memo file; a name a table
  // of another folder has already taken gets the folder's name in front.
  // Returns the tables' paths.
  std::vector<fs::path> CopyFixtures(const fs::path& folder) {
    fs::create_directories(folder);
    std::vector<fs::path> tables;
    std::set<std::string> taken;
    std::vector<fs::path> sources;
    for (const auto& group : fs::directory_iterator(*test::SharedDir() / "fixtures/paradox"))
      if (group.is_directory())
        for (const auto& entry : fs::directory_iterator(group.path())) sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());
    for (const fs::path& source : sources) {
      if (Upper(source.extension().string()) != ".DB") continue;
      std::string stem = source.stem().string();
      if (!taken.insert(Upper(stem)).second) {
        stem = source.parent_path().filename().string() + "_" + stem;
        taken.insert(Upper(stem));
      }
      fs::copy_file(source, folder / (stem + source.extension().string()));
      for (const char* memo : {".mb", ".MB"})
        if (fs::exists(fs::path(source).replace_extension(memo)))
          fs::copy_file(fs::path(source).replace_extension(memo), folder / (stem + memo));
      tables.push_back(folder / (stem + source.extension().string()));
    }
    return tables;
  }

  fs::path dir_;
};

// ---- every fixture table ----

TEST_F(ManyTablesExportTest, EveryFixtureTableIntoOneSQLiteDatabaseAsTheSingleExportsWriteThem) {
  VERIMO_REQUIRE_SHARED_DIR();
  const std::vector<fs::path> tables = CopyFixtures(dir_ / "tables");
  ASSERT_EQ(tables.size(), 52u);
  std::set<std::string> expected;
  for (const fs::path& table : tables) {
    const fs::path single = dir_ / "single" / (table.stem().string() + ".sqlite");
    if (Cli("export --quiet --password 123 " + ShellQuote(table.string()) + " " + ShellQuote(single.string())).status == 0)
      expected.insert(table.stem().string());
    else
      std::cout << table.filename().string() << " is not exported alone either\n";
  }
  ASSERT_GT(expected.size(), 45u);

  const fs::path all = dir_ / "all.sqlite";
  test::CommandResult run =
      Cli("export --password 123 " + ShellQuote((dir_ / "tables").string()) + " " + ShellQuote(all.string()));
  EXPECT_EQ(run.status, expected.size() == tables.size() ? 0 : 1) << run.err;
  EXPECT_NE(run.err.find("exported " + std::to_string(expected.size()) + " of 52 tables, "), std::string::npos)
      << run.err;
  EXPECT_EQ(Sqlite(all, "PRAGMA integrity_check"), "ok\n");

  std::set<std::string> names;
  for (const std::string& line : Lines(Sqlite(all, "SELECT name FROM sqlite_master WHERE type = 'table'")))
    names.insert(line);
  EXPECT_EQ(names, expected);
  int keyed = 0;
  for (const std::string& name : expected) {
    const fs::path single = dir_ / "single" / (name + ".sqlite");
    // The same CREATE TABLE, key included, and the same rows.
    EXPECT_EQ(Run("sqlite3 " + ShellQuote(all.string()) + " " + ShellQuote(".dump \"" + name + "\"")),
              Run("sqlite3 " + ShellQuote(single.string()) + " " + ShellQuote(".dump \"" + name + "\"")))
        << name;
    const std::string key = Sqlite(all, "SELECT count(*) FROM pragma_table_info('" + name + "') WHERE pk > 0");
    EXPECT_EQ(key, Sqlite(single, "SELECT count(*) FROM pragma_table_info('" + name + "') WHERE pk > 0")) << name;
    keyed += key != "0\n";
  }
  EXPECT_GT(keyed, 5) << "the fixtures hold keyed tables";
}

TEST_F(ManyTablesExportTest, EveryFixtureTableIntoOneAccessDatabase) {
  VERIMO_REQUIRE_SHARED_DIR();
  const std::vector<fs::path> tables = CopyFixtures(dir_ / "tables");
  std::map<std::string, std::string> expected;  // Access name -> records
  for (const fs::path& table : tables) {
    const fs::path single = dir_ / "single" / (table.stem().string() + ".mdb");
    fs::create_directories(single.parent_path());
    if (Cli("export --quiet --password 123 --table T " + ShellQuote(table.string()) + " " + ShellQuote(single.string()))
            .status != 0) {
      std::cout << table.filename().string() << " is not exported alone either\n";
      continue;
    }
    expected[AccessName(table.stem().string())] = Run("mdb-count " + ShellQuote(single.string()) + " T");
  }
  ASSERT_GT(expected.size(), 40u);

  const fs::path all = dir_ / "all.mdb";
  test::CommandResult run =
      Cli("export --quiet --password 123 " + ShellQuote((dir_ / "tables").string()) + " " + ShellQuote(all.string()));
  EXPECT_EQ(run.status, expected.size() == tables.size() ? 0 : 1) << run.err;
  std::set<std::string> names;
  for (const std::string& line : Lines(Run("mdb-tables -1 " + ShellQuote(all.string())))) names.insert(line);
  std::set<std::string> expectedNames;
  for (const auto& [name, records] : expected) expectedNames.insert(name);
  EXPECT_EQ(names, expectedNames);
  for (const auto& [name, records] : expected)
    EXPECT_EQ(Run("mdb-count " + ShellQuote(all.string()) + " " + ShellQuote(name)), records) << name;
}

// One JSON object keyed by table name, and JSON Lines with a "_table" key
// on every line: read by Python's json (numbers as exact decimals) and jq,
// every table as its single export writes it.
TEST_F(ManyTablesExportTest, EveryFixtureTableIntoOneJsonObjectAndOneJsonLinesFile) {
  VERIMO_REQUIRE_SHARED_DIR();
  const std::vector<fs::path> tables = CopyFixtures(dir_ / "tables");
  size_t exported = 0;
  for (const fs::path& table : tables) {
    const fs::path single = dir_ / "single" / (table.stem().string() + ".json");
    if (Cli("export --quiet --password 123 " + ShellQuote(table.string()) + " " + ShellQuote(single.string())).status == 0)
      ++exported;
    else
      std::cout << table.filename().string() << " is not exported alone either\n";
  }
  ASSERT_GT(exported, 45u);

  for (const char* target : {"all.json", "all.jsonl"}) {
    const fs::path all = dir_ / target;
    test::CommandResult run =
        Cli("export --password 123 " + ShellQuote((dir_ / "tables").string()) + " " + ShellQuote(all.string()));
    EXPECT_EQ(run.status, exported == tables.size() ? 0 : 1) << run.err;
    EXPECT_NE(run.err.find("exported " + std::to_string(exported) + " of 52 tables, "), std::string::npos) << run.err;
    EXPECT_EQ(test::RunCommand("jq -e . " + ShellQuote(all.string()) + " >/dev/null"), 0) << target;
  }
  const fs::path compare = dir_ / "compare.py";
  test::WriteFile(compare, R"(import decimal, glob, json, os, sys
folder = sys.argv[1]
load = lambda f: json.load(f, parse_float=decimal.Decimal)
singles = {}
for path in glob.glob(os.path.join(folder, "single", "*.json")):
    with open(path, encoding="utf-8") as f:
        singles[os.path.splitext(os.path.basename(path))[0]] = load(f)
with open(os.path.join(folder, "all.json"), encoding="utf-8") as f:
    whole = load(f)
assert list(whole) == sorted(singles, key=lambda name: name.upper()) or set(whole) == set(singles), sorted(set(whole) ^ set(singles))
for name, records in singles.items():
    assert whole[name] == records, name
lines = {}
with open(os.path.join(folder, "all.jsonl"), encoding="utf-8") as f:
    for line in f:
        record = json.loads(line, parse_float=decimal.Decimal)
        lines.setdefault(record.pop("_table"), []).append(record)
for name, records in singles.items():
    assert lines.get(name, []) == records, name
assert set(lines) <= set(singles), sorted(set(lines) - set(singles))
print(len(singles), "tables")
)");
  std::string out;
  EXPECT_EQ(test::RunCommand("/usr/bin/python3 " + ShellQuote(compare.string()) + " " + ShellQuote(dir_.string()) + " 2>&1",
                             &out),
            0)
      << out;
}

// One script per dialect: each table's CREATE TABLE with its key, then its
// rows. The ANSI script runs in the sqlite3 shell, the PostgreSQL and MySQL
// ones in their servers, and every table holds the rows of its single export.
TEST_F(ManyTablesExportTest, EveryFixtureTableIntoOneScriptPerDialect) {
  VERIMO_REQUIRE_SHARED_DIR();
  const std::vector<fs::path> tables = CopyFixtures(dir_ / "tables");
  std::map<std::string, std::string> expected;  // upper-case name -> records
  std::set<std::string> keyed;
  for (const fs::path& table : tables) {
    const fs::path single = dir_ / "single" / (table.stem().string() + ".sqlite");
    if (Cli("export --quiet --password 123 " + ShellQuote(table.string()) + " " + ShellQuote(single.string())).status != 0)
      continue;
    const std::string name = table.stem().string();
    expected[Upper(name)] = Sqlite(single, "SELECT count(*) FROM \"" + name + "\"");
    if (Sqlite(single, "SELECT count(*) FROM pragma_table_info('" + name + "') WHERE pk > 0") != "0\n")
      keyed.insert(Upper(name));
  }
  ASSERT_GT(expected.size(), 45u);

  auto script = [&](const std::string& dialect) {
    const fs::path path = dir_ / ("all-" + dialect + ".sql");
    test::CommandResult run = Cli("export --quiet --password 123 --sql-dialect " + dialect + " " +
                                  ShellQuote((dir_ / "tables").string()) + " " + ShellQuote(path.string()));
    EXPECT_EQ(run.status, expected.size() == tables.size() ? 0 : 1) << dialect << ": " << run.err;
    return path;
  };
  for (const char* dialect : {"ansi", "db2", "ib", "ms", "my", "ora", "pg"}) {
    const std::string text = test::ReadFile(script(dialect));
    EXPECT_EQ(Count(text, "CREATE TABLE "), expected.size()) << dialect;
    EXPECT_EQ(Count(text, "PRIMARY KEY ("), keyed.size()) << dialect;
    // One signature at the start of the file, none between the tables.
    EXPECT_EQ(Count(text, "\xEF\xBB\xBF"), text.rfind("\xEF\xBB\xBF", 0) == 0 ? 1u : 0u) << dialect;
  }

  const fs::path loaded = dir_ / "ansi.sqlite";
  ASSERT_EQ(LoadScript(loaded, dir_ / "all-ansi.sql"), 0);
  for (const auto& [name, records] : expected) {
    EXPECT_EQ(Sqlite(loaded, "SELECT count(*) FROM \"" + name + "\""), records) << name;
    EXPECT_EQ(Sqlite(loaded, "SELECT count(*) > 0 FROM pragma_table_info('" + name + "') WHERE pk > 0"),
              keyed.count(name) ? "1\n" : "0\n")
        << name;
  }

  std::string why, output;
  if (std::unique_ptr<test::TSqlServer> postgres = test::StartPostgres(why)) {
    ASSERT_TRUE(postgres->RunScript(dir_ / "all-pg.sql", output)) << output;
    for (const auto& [name, records] : expected) {
      ASSERT_TRUE(postgres->Query("SELECT count(*) FROM \"" + name + "\"", output)) << output;
      EXPECT_EQ(output, records) << name;
    }
  } else {
    std::cout << "PostgreSQL not checked: " << why << "\n";
  }
  if (std::unique_ptr<test::TSqlServer> mariadb = test::StartMariaDB(why)) {
    ASSERT_TRUE(mariadb->RunScript(dir_ / "all-my.sql", output)) << output;
    for (const auto& [name, records] : expected) {
      ASSERT_TRUE(mariadb->Query("SELECT count(*) FROM `" + name + "`", output)) << output;
      EXPECT_EQ(output, records) << name;
    }
  } else {
    std::cout << "MariaDB not checked: " << why << "\n";
  }
}

TEST_F(ManyTablesExportTest, EncryptedTableWithoutItsPasswordIsSkippedAndCounted) {
  VERIMO_REQUIRE_SHARED_DIR();
  const fs::path folder = dir_ / "tables";
  CopySample(folder, "MUSTERI");
  fs::copy_file(*test::SharedDir() / "fixtures/paradox/encrypt/encrypted.db", folder / "encrypted.db");
  const fs::path all = dir_ / "all.sqlite";
  test::CommandResult run = Cli("export " + ShellQuote(folder.string()) + " " + ShellQuote(all.string()));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("encrypted.db: skipped: the table is password-protected; give its password with --password"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("exported 1 of 2 tables, "), std::string::npos) << run.err;
  EXPECT_EQ(Sqlite(all, "SELECT name FROM sqlite_master WHERE type = 'table'"), "MUSTERI\n");

  run = Cli("export --quiet --password 123 " + ShellQuote(folder.string()) + " " + ShellQuote(all.string()));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Sqlite(all, "SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name)"),
            "MUSTERI,encrypted\n");
}

// ---- failures, names and the command line ----

// A truncated copy among the tables: reported, the others written, exit 1,
// in every kind of target.
TEST_F(ManyTablesExportTest, TruncatedTableIsReportedAndTheOthersAreWritten) {
  const fs::path folder = MakeFolderWithACutTable();
  const fs::path keyed = folder / "KEYED.DB";
  const std::string records = Run(std::string(VERIMO_CLI) + " info " + ShellQuote(keyed.string()) +
                                  " | sed -n 's/^Records: *//p'");
  ASSERT_EQ(records, "300\n");

  const fs::path db = dir_ / "all.sqlite";
  test::CommandResult run = Cli("export " + ShellQuote(folder.string()) + " " + ShellQuote(db.string()));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find((folder / "CUT.DB").string() + ": failed: "), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("failed: " + (folder / "CUT.DB").string()), std::string::npos) << "the table named twice";
  EXPECT_NE(run.err.find("exported 2 of 3 tables, "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("; 1 not written:\n  " + (folder / "CUT.DB").string() + ": failed: "), std::string::npos)
      << run.err;
  EXPECT_EQ(Sqlite(db, "SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name)"),
            "KEYED,MUSTERI\n");
  EXPECT_EQ(Sqlite(db, "SELECT count(*) FROM KEYED"), "300\n");
  EXPECT_EQ(Sqlite(db, "SELECT name FROM pragma_table_info('KEYED') WHERE pk > 0"), "Id\n");

  const fs::path mdb = dir_ / "all.mdb";
  run = Cli("export --quiet " + ShellQuote(folder.string()) + " " + ShellQuote(mdb.string()));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("CUT.DB: failed: "), std::string::npos) << run.err;
  EXPECT_EQ(Run("mdb-tables -1 " + ShellQuote(mdb.string()) + " | sort"), "KEYED\nMUSTERI\n");
  EXPECT_EQ(Run("mdb-count " + ShellQuote(mdb.string()) + " KEYED"), "300\n");

  const fs::path script = dir_ / "all.sql";
  run = Cli("export --quiet " + ShellQuote(folder.string()) + " " + ShellQuote(script.string()));
  EXPECT_EQ(run.status, 1) << run.err;
  const fs::path loaded = dir_ / "loaded.sqlite";
  ASSERT_EQ(LoadScript(loaded, script), 0);
  EXPECT_EQ(Sqlite(loaded, "SELECT count(*) FROM KEYED"), "300\n");
  EXPECT_EQ(Sqlite(loaded, "SELECT count(*) FROM sqlite_master WHERE type = 'table'"), "2\n");

  const fs::path json = dir_ / "all.json";
  run = Cli("export --quiet " + ShellQuote(folder.string()) + " " + ShellQuote(json.string()));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(Run("jq -c 'map_values(length)' " + ShellQuote(json.string())), "{\"KEYED\":300,\"MUSTERI\":200}\n");
}

// A workbook holds a sheet per table that opens; a table that cannot be
// opened is reported and the others are in the workbook.
TEST_F(ManyTablesExportTest, TablesThatOpenBecomeTheSheetsOfOneWorkbook) {
  const fs::path folder = MakeFolderWithACutTable();
  const std::string musteriRecords = Run(std::string(VERIMO_CLI) + " info " +
                                         ShellQuote((folder / "MUSTERI.DB").string()) + " | sed -n 's/^Records: *//p'");

  const fs::path xlsx = dir_ / "all.xlsx";
  test::CommandResult run = Cli("export --quiet " + ShellQuote(folder.string()) + " " + ShellQuote(xlsx.string()));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("CUT.DB: failed: "), std::string::npos) << run.err;
  // Sheet names and their rows (the caption row and the records).
  EXPECT_EQ(Run("/usr/bin/python3 -c 'import openpyxl,sys; b=openpyxl.load_workbook(sys.argv[1]); "
                "print(sorted((s.title, s.max_row) for s in b.worksheets))' " + ShellQuote(xlsx.string())),
            "[(\'KEYED\', 301), (\'MUSTERI\', " + std::to_string(std::stoi(musteriRecords) + 1) + ")]\n");

  const fs::path ods = dir_ / "all.ods";
  run = Cli("export --quiet " + ShellQuote(folder.string()) + " " + ShellQuote(ods.string()));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(Run("/usr/bin/python3 -c 'import sys; from odf.opendocument import load; from odf.table import Table; "
                "print(sorted(t.getAttribute(\"name\") for t in load(sys.argv[1]).spreadsheet.getElementsByType(Table)))' " +
                ShellQuote(ods.string())),
            "[\'KEYED\', \'MUSTERI\']\n");

  const fs::path xls = dir_ / "all.xls";
  run = Cli("export --quiet " + ShellQuote(folder.string()) + " " + ShellQuote(xls.string()));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(Run("/usr/bin/python3 -c 'import xlrd,sys; b=xlrd.open_workbook(sys.argv[1]); "
                "print(sorted((s.name, s.nrows) for s in b.sheets()))' " + ShellQuote(xls.string())),
            "[(\'KEYED\', 301), (\'MUSTERI\', " + std::to_string(std::stoi(musteriRecords) + 1) + ")]\n");
}

// --strict: a table whose values would change is rolled back out of the
// database and counted as not written; the others stay.
TEST_F(ManyTablesExportTest, StrictRunLeavesOutTheTableWhoseValuesWouldChange) {
  const fs::path folder = dir_ / "tables";
  CopySample(folder, "MUSTERI");
  MakeTable(folder / "KEYED.DB", 50, 1);
  const fs::path mdb = dir_ / "all.mdb";
  test::CommandResult run = Cli("export --quiet --strict " + ShellQuote(folder.string()) + " " + ShellQuote(mdb.string()));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("MUSTERI.DB: warning: field \"Active\": 17 blank values were stored as No"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("MUSTERI.DB: failed: --strict: the export would change values"), std::string::npos) << run.err;
  const std::string tables = Run("mdb-tables -1 " + ShellQuote(mdb.string()));
  EXPECT_EQ(tables.find("MUSTERI"), std::string::npos) << tables;
}

// Nothing written: an earlier target stays as it was, no staging folder is
// left behind.
TEST_F(ManyTablesExportTest, RunThatWritesNoTableLeavesTheEarlierTarget) {
  const fs::path folder = dir_ / "tables";
  fs::create_directories(folder);
  std::ofstream(folder / "broken.DB") << "not a table";
  for (const char* name : {"all.sqlite", "all.sql", "all.mdb"}) {
    const fs::path target = dir_ / "out" / name;
    fs::create_directories(target.parent_path());
    std::ofstream(target) << "earlier";
    test::CommandResult run = Cli("export " + ShellQuote(folder.string()) + " " + ShellQuote(target.string()));
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("no table was written; \"" + target.string() + "\" was left as it was"), std::string::npos)
        << run.err;
    EXPECT_EQ(test::ReadFile(target), "earlier") << name;
  }
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_ / "out")) ++files;
  EXPECT_EQ(files, 3u) << "a staging folder was left behind";
}

TEST_F(ManyTablesExportTest, TablesOfOneNameInTwoFoldersGetUniqueNames) {
  CopySample(dir_ / "a", "MUSTERI");
  CopySample(dir_ / "b", "musteri");
  MakeTable(dir_ / "b" / "sqlite_stat1.db", 3, 0);
  const fs::path db = dir_ / "all.sqlite";
  test::CommandResult run = Cli("export " + ShellQuote((dir_ / "a").string()) + " " +
                                ShellQuote((dir_ / "b").string()) + " " + ShellQuote(db.string()));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("exported 3 of 3 tables, "), std::string::npos) << run.err;
  EXPECT_EQ(Sqlite(db, "SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name)"),
            "MUSTERI,musteri_2,t_sqlite_stat1\n");
  EXPECT_EQ(Sqlite(db, "SELECT (SELECT count(*) FROM MUSTERI) = (SELECT count(*) FROM musteri_2)"), "1\n");

  // Two tables given by name are several tables as well; the same file
  // given twice is exported once.
  const fs::path two = dir_ / "two.sqlite";
  const std::string sample = ShellQuote((dir_ / "a" / "MUSTERI.DB").string());
  run = Cli("export --quiet " + sample + " " + sample + " " + ShellQuote(two.string()));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("MUSTERI.DB: skipped: given more than once"), std::string::npos) << run.err;
  EXPECT_EQ(Sqlite(two, "SELECT name FROM sqlite_master WHERE type = 'table'"), "MUSTERI\n");
}

TEST_F(ManyTablesExportTest, TypesOfOneTableAndOptionsOfOneTableAreUsageErrors) {
  const fs::path folder = dir_ / "tables";
  CopySample(folder, "MUSTERI");
  const std::string tables = ShellQuote(folder.string()) + " ";
  for (const char* target : {"all.csv", "all.html", "all.docx"}) {
    test::CommandResult run = Cli("export " + tables + ShellQuote((dir_ / target).string()));
    EXPECT_EQ(run.status, 2) << target;
    EXPECT_NE(run.err.find("cannot hold several tables; one file holds them all as json, jsonl, ndjson, sqlite, sqlite3, xls, sql, ods, xlsx, mdb, or "
                           "--output-dir DIR writes one file per table"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(dir_ / target));
  }
  test::CommandResult run = Cli("export --table T " + tables + ShellQuote((dir_ / "all.mdb").string()));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--table names the table of one Access export"), std::string::npos) << run.err;
  run = Cli("export --sql-dialect pg " + tables + ShellQuote((dir_ / "all.sqlite").string()));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--sql-dialect applies to SQL scripts only"), std::string::npos) << run.err;
  run = Cli("export --type csv " + tables + ShellQuote((dir_ / "all.txt").string()));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--type csv cannot hold several tables"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir_ / "all.mdb"));
  EXPECT_FALSE(fs::exists(dir_ / "all.sqlite"));
}

}  // namespace
}  // namespace verimo
