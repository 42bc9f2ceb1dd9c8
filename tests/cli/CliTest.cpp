// The command line run as a user runs it: output, exit codes and messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-cli"); }
  void TearDown() override { fs::remove_all(dir_); }

  Result Run(const std::string& arguments) {
    fs::path errFile = dir_ / "stderr.txt";
    Result result;
    result.status = test::RunCommand(std::string(VERIMO_CLI) + " " + arguments + " 2>" +
                                         Quote(errFile.string()) + " </dev/null",
                                     &result.out);
    std::ifstream err(errFile);
    std::stringstream text;
    text << err.rdbuf();
    result.err = text.str();
    return result;
  }

  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
  }

  static std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      cells.push_back(line.substr(start, tab - start));
    cells.push_back(line.substr(start));
    return cells;
  }

  fs::path dir_;
};

fs::path Sample() { return test::SourceDir() / "samples" / "MUSTERI.DB"; }

TEST_F(CliTest, InfoDescribesTheSampleTable) {
  Result r = Run("info " + Quote(Sample().string()));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Records:     200"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Code page:   1254"), std::string::npos);
  EXPECT_NE(r.out.find("Encrypted:   no"), std::string::npos);
  EXPECT_NE(r.out.find("Balance                        $"), std::string::npos);
  EXPECT_NE(r.out.find("ftCurrency"), std::string::npos);
  EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST_F(CliTest, DumpPrintsAHeaderAndOneLinePerRecord) {
  Result r = Run("dump " + Quote(Sample().string()));
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 201u);
  EXPECT_EQ(lines[0], "Id\tName\tCity\tBalance\tLevel\tJoined\tActive\tNotes");
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> cells = Cells(lines[i]);
    ASSERT_EQ(cells.size(), 8u) << lines[i];
    EXPECT_EQ(cells[0], std::to_string(i));
    if (!cells[5].empty()) {
      EXPECT_EQ(cells[5].size(), 10u) << cells[5];
    }
  }
  EXPECT_NE(r.out.find("ş"), std::string::npos);  // decoded from code page 1254
  Result limited = Run("dump --limit 3 " + Quote(Sample().string()));
  EXPECT_EQ(Lines(limited.out).size(), 4u);
}

TEST_F(CliTest, DumpEscapesLineBreaksInMemos) {
  VERIMO_REQUIRE_SHARED_DIR();
  fs::path table = *test::SharedDir() / "fixtures/paradox/db/CUSTOMER.DB";
  Result r = Run("dump " + Quote(table.string()));
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  ASSERT_GT(lines.size(), 1u);
  size_t columns = Cells(lines[0]).size();
  for (const std::string& line : lines) EXPECT_EQ(Cells(line).size(), columns) << line;
  EXPECT_NE(r.out.find("\\r"), std::string::npos);
}

TEST_F(CliTest, ErrorsGoToStderrWithAnExitCode) {
  Result missing = Run("info " + Quote((dir_ / "none.db").string()));
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.out.empty());
  EXPECT_NE(missing.err.find("none.db"), std::string::npos) << missing.err;

  fs::path notParadox = dir_ / "text.db";
  std::ofstream(notParadox) << "just some text, not a table\n";
  Result bad = Run("dump " + Quote(notParadox.string()));
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("text.db"), std::string::npos) << bad.err;

  EXPECT_EQ(Run("").status, 2);
  EXPECT_EQ(Run("frobnicate x.db").status, 2);
  EXPECT_EQ(Run("dump --limit many x.db").status, 2);
  EXPECT_EQ(Run("info").status, 2);
}

TEST_F(CliTest, EncryptedTableNeedsItsPassword) {
  VERIMO_REQUIRE_SHARED_DIR();
  fs::path table = *test::SharedDir() / "fixtures/paradox/encrypt/encrypted.db";
  Result noPassword = Run("info " + Quote(table.string()));
  EXPECT_EQ(noPassword.status, 1);
  EXPECT_NE(noPassword.err.find("--password"), std::string::npos) << noPassword.err;
  Result wrong = Run("info --password nottheone " + Quote(table.string()));
  EXPECT_EQ(wrong.status, 1);
  EXPECT_FALSE(wrong.err.empty());
}

#ifdef VERIMO_MKPARADOX
TEST_F(CliTest, GeneratedTablesAreDeterministicAndComplete) {
  fs::path a = dir_ / "A.DB";
  fs::path b = dir_ / "B.DB";
  ASSERT_EQ(test::RunCommand(std::string(VERIMO_MKPARADOX) + " --rows 1500 --seed 3 " + Quote(a.string())), 0);
  ASSERT_EQ(test::RunCommand(std::string(VERIMO_MKPARADOX) + " --rows 1500 --seed 3 " + Quote(b.string())), 0);
  Result first = Run("dump " + Quote(a.string()));
  Result second = Run("dump " + Quote(b.string()));
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, second.out);
  std::vector<std::string> lines = Lines(first.out);
  ASSERT_EQ(lines.size(), 1501u);
  int blanks = 0;
  for (size_t i = 1; i < lines.size(); ++i)
    for (const std::string& cell : Cells(lines[i])) blanks += cell.empty();
  EXPECT_GT(blanks, 100);  // about one value in seventeen is blank
}
#endif

}  // namespace
}  // namespace verimo
