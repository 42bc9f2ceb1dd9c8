// Primary keys as `info` prints them and as the SQL script and the SQLite
// database declare them; SQLite databases read back by Python's sqlite3
// against the JSON export of the same table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::ShellQuote;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class SQLiteExportTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-sqlite"); }
  void TearDown() override { fs::remove_all(dir_); }

  int Cli(const std::string& arguments, std::string* out = nullptr) {
    return test::RunCommand("LANG=tr_TR.UTF-8 " + std::string(VERIMO_CLI) + " " + arguments + " 2>" +
                                ShellQuote((dir_ / "stderr.txt").string()) + " </dev/null",
                            out);
  }
  std::string Err() const { return ReadFile(dir_ / "stderr.txt"); }

  // A generated table of `rows` records whose first `keyFields` fields are its key.
  fs::path MakeTable(const std::string& name, int rows, int keyFields) {
    const fs::path table = dir_ / name;
    EXPECT_EQ(test::RunCommand(std::string(VERIMO_MKPARADOX) + " --quiet --rows " + std::to_string(rows) +
                               " --key-fields " + std::to_string(keyFields) + " " + ShellQuote(table.string())),
              0);
    return table;
  }

  // Exports the table to SQLite and JSON and compares them: the key line
  // and "ok", or what differs.
  std::string ExportAndCompare(const fs::path& table, const std::string& name) {
    const fs::path db = dir_ / (name + ".sqlite");
    const fs::path json = dir_ / (name + ".json");
    if (Cli("export --quiet " + ShellQuote(table.string()) + " " + ShellQuote(db.string())) != 0)
      return "sqlite export failed: " + Err();
    if (Cli("export --quiet " + ShellQuote(table.string()) + " " + ShellQuote(json.string())) != 0)
      return "json export failed: " + Err();
    std::string out;
    test::RunCommand("/usr/bin/python3 " + ShellQuote((test::SourceDir() / "tests/cli/sqlite_read_back.py").string()) +
                         " " + ShellQuote(db.string()) + " " + ShellQuote(name) + " " + ShellQuote(json.string()) +
                         " 2>&1",
                     &out);
    return out;
  }

  fs::path dir_;
};

TEST_F(SQLiteExportTest, InfoNamesTheKeyFieldsOrNone) {
  std::string out;
  ASSERT_EQ(Cli("info " + ShellQuote(MakeTable("keyed.db", 3, 2).string()), &out), 0) << Err();
  EXPECT_NE(out.find("\nPrimary key: Id, Name\n"), std::string::npos) << out;
  ASSERT_EQ(Cli("info " + ShellQuote(MakeTable("plain.db", 3, 0).string()), &out), 0) << Err();
  EXPECT_NE(out.find("\nPrimary key: none\n"), std::string::npos) << out;
}

TEST_F(SQLiteExportTest, TypedTableHoldsTheValuesOfTheJsonExportAndTheKey) {
  const fs::path table = MakeTable("keyed.db", 300, 1);
  EXPECT_EQ(ExportAndCompare(table, "keyed"), "key: Id\nok\n");
  std::string types;
  test::RunCommand("sqlite3 " + ShellQuote((dir_ / "keyed.sqlite").string()) +
                       " \"SELECT typeof(Id), typeof(Name), typeof(Balance), typeof(Joined), typeof(Active),"
                       " typeof(Notes), date(Joined) = Joined FROM keyed WHERE Joined IS NOT NULL LIMIT 1\"",
                   &types);
  EXPECT_EQ(types, "integer|text|real|text|integer|text|1\n");

  // A second run replaces the database instead of adding to it. The
  // generator's first record has a blank Name: a key over Id and Name
  // cannot be primary and becomes UNIQUE.
  EXPECT_EQ(ExportAndCompare(MakeTable("keyed.db", 5, 2), "keyed"), "key: -\nok\n");
  std::string unique;
  test::RunCommand("sqlite3 " + ShellQuote((dir_ / "keyed.sqlite").string()) +
                       " \"SELECT group_concat(name) FROM pragma_index_info("
                       "(SELECT name FROM pragma_index_list('keyed') WHERE \\\"unique\\\"))\"",
                   &unique);
  EXPECT_EQ(unique, "Id,Name\n");
  EXPECT_EQ(ExportAndCompare(MakeTable("plain.db", 20, 0), "plain"), "key: -\nok\n");

  // Without every key field exported no key is declared.
  std::ofstream(dir_ / "fields.cfg") << "[FIELDS]\r\nfield0=Name\r\nfield1=City\r\n";
  ASSERT_EQ(Cli("export --quiet --settings " + ShellQuote((dir_ / "fields.cfg").string()) + " " +
                ShellQuote(table.string()) + " " + ShellQuote((dir_ / "part.sqlite").string())),
            0)
      << Err();
  std::string pk;
  test::RunCommand("sqlite3 " + ShellQuote((dir_ / "part.sqlite").string()) +
                       " \"SELECT count(*) FROM pragma_table_info('part') WHERE pk > 0\"",
                   &pk);
  EXPECT_EQ(pk, "0\n");
}

TEST_F(SQLiteExportTest, SqlScriptDeclaresTheKeyInEveryDialect) {
  const fs::path table = MakeTable("keyed.db", 10, 1);
  std::ofstream(dir_ / "create.cfg") << "[SQL]\r\nCreateTable=1\r\n";
  for (const char* dialect : {"ansi", "db2", "ib", "ms", "my", "ora", "pg"}) {
    const fs::path script = dir_ / (std::string(dialect) + ".sql");
    ASSERT_EQ(Cli("export --quiet --sql-dialect " + std::string(dialect) + " --settings " +
                  ShellQuote((dir_ / "create.cfg").string()) + " " + ShellQuote(table.string()) + " " +
                  ShellQuote(script.string())),
              0)
        << Err();
    const std::string text = ReadFile(script);
    EXPECT_NE(text.find(" NOT NULL,\r\n"), std::string::npos) << dialect << "\n" << text.substr(0, 600);
    EXPECT_NE(text.find("PRIMARY KEY ("), std::string::npos) << dialect << "\n" << text.substr(0, 600);
  }
  std::string out;
  ASSERT_EQ(test::RunCommand("(cat " + ShellQuote((dir_ / "ansi.sql").string()) +
                                 "; echo \"SELECT name, pk, \\\"notnull\\\" FROM pragma_table_info('ANSI') WHERE pk > 0;\")"
                                 " | sqlite3 -bail :memory: 2>&1",
                             &out),
            0)
      << out;
  EXPECT_EQ(out, "Id|1|1\n");
}

TEST_F(SQLiteExportTest, FixtureTablesMatchTheirJsonExport) {
  VERIMO_REQUIRE_SHARED_DIR();
  int compared = 0;
  int keyed = 0;
  for (const fs::directory_entry& entry :
       fs::recursive_directory_iterator(*test::SharedDir() / "fixtures/paradox")) {
    std::string extension = entry.path().extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != ".db") continue;
    std::string info;
    // Encrypted and damaged tables are other tests' business.
    if (Cli("info --password '' " + ShellQuote(entry.path().string()), &info) != 0 ||
        info.find("Encrypted:   yes") != std::string::npos)
      continue;
    const std::string name = entry.path().parent_path().filename().string() + "_" + entry.path().stem().string();
    const std::string result = ExportAndCompare(entry.path(), name);
    if (result.find("export failed") != std::string::npos && Err().find("damaged") != std::string::npos) continue;
    const bool hasKey = info.find("Primary key: none") == std::string::npos;
    EXPECT_TRUE(result.ends_with("\nok\n")) << entry.path() << ": " << result;
    EXPECT_EQ(result.starts_with("key: -"), !hasKey) << entry.path() << ": " << result;
    ++compared;
    keyed += hasKey ? 1 : 0;
  }
  EXPECT_GT(compared, 30);
  EXPECT_GT(keyed, 0);
}

}  // namespace
}  // namespace verimo
