// verimo-cli export into Access databases: tables added to the file, the
// table name from the settings file or --table, failures that leave the
// database as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/jet/JetReaders.h"  // tests/platform/jet
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
namespace readers = test::jet;

class AccessCliTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-cli-access"); }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  int Export(const std::string& arguments, std::string* err = nullptr) {
    const fs::path errFile = dir_ / "stderr.txt";
    const int status = test::RunCommand("LANG=tr_TR.UTF-8 " + test::ShellQuote(VERIMO_CLI) + " export --quiet " + arguments +
                                        " 2>" + test::ShellQuote(errFile.string()));
    if (err) *err = readers::ReadFileBytes(errFile);
    fs::remove(errFile);
    return status;
  }

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string Sample() const { return test::ShellQuote((test::SourceDir() / "samples" / "MUSTERI.DB").string()); }
  std::string Target() const { return test::ShellQuote((dir_ / "out.mdb").string()); }

  fs::path dir_;
};

TEST_F(AccessCliTest, TablesAreAddedAndFilledAgain) {
  ASSERT_EQ(Export(Sample() + " " + Target()), 0);
  const nlohmann::json first = readers::MdbReaderDump(dir_ / "out.mdb");
  ASSERT_EQ(first["tables"], nlohmann::json::array({"EXPORT_TABLE"}));
  const int rows = first["data"]["EXPORT_TABLE"]["rowCount"];
  EXPECT_GT(rows, 0);

  ASSERT_EQ(Export("--table İKİNCİ " + Sample() + " " + Target()), 0);
  ASSERT_EQ(Export(Sample() + " " + Target()), 0);
  const nlohmann::json after = readers::MdbReaderDump(dir_ / "out.mdb");
  EXPECT_EQ(after["data"]["EXPORT_TABLE"]["rowCount"], 2 * rows);
  EXPECT_EQ(after["data"]["İKİNCİ"]["rowCount"], rows);
  EXPECT_EQ(after["data"]["EXPORT_TABLE"]["rows"][0], first["data"]["EXPORT_TABLE"]["rows"][0]);
  EXPECT_EQ(readers::MdbTables(dir_ / "out.mdb").size(), 2u);
  EXPECT_EQ(Files(), std::vector<std::string>{"out.mdb"});
}

TEST_F(AccessCliTest, TheSettingsFileNamesTableFieldsAndPasswordAndTableWins) {
  std::ofstream(dir_ / "access.cfg") << "[IniVersion]\r\nNumber=400\r\n[FIELDS]\r\nfield0=Name\r\n"
                                        "[ACCESS]\r\nTableName=FROMFILE\r\nPassword=\r\nCreateTable=1\r\n";
  const std::string settings = "--settings " + test::ShellQuote((dir_ / "access.cfg").string()) + " ";
  std::string err;
  ASSERT_EQ(Export(settings + Sample() + " " + Target(), &err), 0) << err;
  ASSERT_EQ(Export(settings + "--table CMDLINE " + Sample() + " " + Target(), &err), 0) << err;
  const nlohmann::json dump = readers::MdbReaderDump(dir_ / "out.mdb");
  EXPECT_EQ(dump["tables"], nlohmann::json::array({"FROMFILE", "CMDLINE"}));
  EXPECT_EQ(dump["data"]["FROMFILE"]["columns"].size(), 1u);
}

TEST_F(AccessCliTest, FailuresLeaveTheDatabaseAsItWasAndNothingBeside) {
  ASSERT_EQ(Export(Sample() + " " + Target()), 0);
  const std::string before = readers::ReadFileBytes(dir_ / "out.mdb");
  std::string err;
  EXPECT_EQ(Export("--table 'a] memo, [b' " + Sample() + " " + Target(), &err), 1);
  EXPECT_NE(err.find("a] memo, [b"), std::string::npos) << err;
  EXPECT_EQ(Export("--table T.x " + Sample() + " " + Target()), 1);
  std::ofstream(dir_ / "other.mdb") << "not a database";
  EXPECT_EQ(Export(Sample() + " " + test::ShellQuote((dir_ / "other.mdb").string()), &err), 1);
  EXPECT_EQ(readers::ReadFileBytes(dir_ / "other.mdb"), "not a database");
  EXPECT_EQ(Export("--table X " + Sample() + " " + test::ShellQuote((dir_ / "out.csv").string()), &err), 2);
  EXPECT_NE(err.find("--table"), std::string::npos) << err;
  EXPECT_EQ(readers::ReadFileBytes(dir_ / "out.mdb"), before);
  EXPECT_EQ(Files(), (std::vector<std::string>{"other.mdb", "out.mdb"}));
}

// Ctrl-C during the run: the database keeps what it had, nothing else is
// left beside it. (A run that finished before the signal came has added
// every row instead.)
TEST_F(AccessCliTest, AnInterruptedRunLeavesTheDatabaseAsItWas) {
  VERIMO_REQUIRE_SHARED_DIR();
  const fs::path big = *test::SharedDir() / "fixtures" / "paradox" / "areas" / "ZIPCODES.DB";
  ASSERT_EQ(Export(Sample() + " " + Target()), 0);
  const std::string before = readers::ReadFileBytes(dir_ / "out.mdb");
  std::string out;
  const int status = test::RunCommand(test::ShellQuote(VERIMO_CLI) + " export --quiet --table ZIP " +
                                          test::ShellQuote(big.string()) + " " + Target() + " 2>" +
                                          test::ShellQuote((dir_ / "err.txt").string()) +
                                          " & pid=$!; sleep 0.2; kill -INT $pid; wait $pid; echo $?",
                                      &out);
  ASSERT_EQ(status, 0);
  const std::string err = readers::ReadFileBytes(dir_ / "err.txt");
  fs::remove(dir_ / "err.txt");
  if (out == "0\n") {
    EXPECT_EQ(readers::MdbReaderDump(dir_ / "out.mdb")["data"]["ZIP"]["rowCount"], 43185);
  } else {
    EXPECT_EQ(out, "1\n") << err;
    EXPECT_NE(err.find("interrupted; \"" + (dir_ / "out.mdb").string() + "\" was left as it was"), std::string::npos) << err;
    EXPECT_EQ(readers::ReadFileBytes(dir_ / "out.mdb"), before);
  }
  EXPECT_EQ(Files(), std::vector<std::string>{"out.mdb"});
}

}  // namespace
}  // namespace verimo
