// The PostgreSQL and MySQL scripts run in real servers that this program
// starts for itself. Each server serves one test, which runs every table
// through it, so a server starts once per test program run.
#include <gtest/gtest.h>

#include <iostream>

#include "core/Exception.h"
#include "formats/text/SqlReadBack.h"
#include "formats/text/SqlServers.h"
#include "formats/text/TesselSQL.h"
#include "platform/data/MemDataSet.h"
#include "platform/paradox/Table.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

class SqlServerTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-sql-server"); }
  void TearDown() override {
    if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  void Configure(TTesselSQL& exporter, TTesselScriptType type, const WideString& table, const std::string& file) {
    exporter.Options.ScriptType = type;
    exporter.ShellLauncher = nullptr;
    exporter.Options.TableName = table;
    exporter.Options.CreateTable = true;
    exporter.Options.CommitAfterScript = true;
    exporter.Options.CommitRecCount = 7;
    exporter.FileName = (dir_ / file).string();
  }

  // Exports, runs the script and reads the table back; "" when all agrees.
  std::string RunAndCompare(TTesselSQL& exporter, test::TSqlServer& server, test::TSqlReader reader) {
    test::TSqlRowRecorder rows;
    rows.Attach(exporter);
    try {
      exporter.Execute();
    } catch (const Exception& error) {
      return exporter.FileName + ": " + error.what();
    }
    std::string output;
    if (!server.RunScript(exporter.FileName, output)) return exporter.FileName + ": " + output;
    const WideString table = sql::QuoteTableName(exporter.Options.TableName, exporter.Options.ScriptType);
    if (!server.Query(test::ReadBackQuery(reader, table, rows.columns), output))
      return exporter.FileName + ": read-back failed: " + output;
    const std::string differences = test::CompareReadBack(reader, rows, output);
    return differences.empty() ? "" : exporter.FileName + ":\n" + differences;
  }

  void RunEveryTable(test::TSqlServer& server, TTesselScriptType type, test::TSqlReader reader) {
    {
      TMemDataSet data;
      test::FillTrickySqlTable(data);
      TTesselSQL exporter;
      exporter.DataSet = &data;
      test::UseTurkishPatterns(exporter);
      Configure(exporter, type, u"Müşteri \"x\" `y` [z]", "tricky.sql");
      EXPECT_EQ(RunAndCompare(exporter, server, reader), "");
    }
    {
      TMemDataSet data;
      data.AddFieldDef(u"a\"b", ftInteger);
      data.AddFieldDef(u"c]d`e", ftString, 30);
      data.AddFieldDef(u"f.g", ftString, 30);
      data.AddFieldDef(u"\"); DROP TABLE keep; --", ftString, 30);
      data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"'); DROP TABLE keep; --"),
                         Variant::FromText(u"\\'); DROP TABLE keep; --"), Variant::FromText(u"`\"")});
      data.Open();
      TTesselSQL exporter;
      exporter.DataSet = &data;
      Configure(exporter, type, u"t\"]`(x); DROP TABLE keep; --", "names.sql");
      exporter.Header = {u"CREATE TABLE keep(x INTEGER);"};
      EXPECT_EQ(RunAndCompare(exporter, server, reader), "");
      std::string output;
      EXPECT_TRUE(server.Query("SELECT count(*) FROM keep;", output)) << output;
      EXPECT_EQ(output, "0\n");
    }
    if (!test::SharedDir()) {
      std::cout << "shared fixtures folder not found beside the checkout: only the made-up tables ran\n";
      return;
    }
    std::vector<std::string> skipped;
    int index = 0;
    for (const fs::path& path : test::FixtureTables()) {
      TTable table;
      std::string why;
      if (!test::OpenFixture(path, table, why)) {
        skipped.push_back(path.filename().string() + ": " + why);
        continue;
      }
      const TStringList fields = test::TextFieldsOf(table);
      if (fields.IsEmpty()) continue;
      TTesselSQL exporter;
      exporter.DataSet = &table;
      exporter.ExportedFields = fields;
      Configure(exporter, type, u"fx" + IntToWide(index) + u"_" + Utf8ToWide(path.stem().string()),
                std::to_string(index) + "-" + path.stem().string() + ".sql");
      ++index;
      EXPECT_EQ(RunAndCompare(exporter, server, reader), "");
    }
    EXPECT_GT(index, 0);
    for (const std::string& reason : skipped) std::cout << "not exported: " << reason << "\n";
  }

  fs::path dir_;
};

TEST_F(SqlServerTest, PostgresRunsEveryScriptAndReadsBackTheValues) {
  std::string why;
  std::unique_ptr<test::TSqlServer> server = test::StartPostgres(why);
  if (!server) GTEST_SKIP() << "no PostgreSQL server: " << why;
  RunEveryTable(*server, qstPg, test::TSqlReader::Postgres);
}

TEST_F(SqlServerTest, MariaDBRunsEveryScriptAndReadsBackTheValues) {
  std::string why;
  std::unique_ptr<test::TSqlServer> server = test::StartMariaDB(why);
  if (!server) GTEST_SKIP() << "no MariaDB server: " << why;
  RunEveryTable(*server, qstMy, test::TSqlReader::MariaDB);
}

}  // namespace
}  // namespace verimo
