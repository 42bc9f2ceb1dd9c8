// The command line run as a user runs it: output, exit codes and messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestPaths.h"
#ifdef VERIMO_SAMPLE_CONTENT
#include <charconv>

#include "tools/mkparadox/SampleContent.h"
#endif

namespace verimo {
namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-cli"); }
  void TearDown() override { fs::remove_all(dir_); }

  Result Run(const std::string& arguments) {
    fs::path errFile = dir_ / "stderr.txt";
    Result result;
    result.status = test::RunCommand(std::string(VERIMO_CLI) + " " + arguments + " 2>" +
                                         verimo::test::ShellQuote(errFile.string()) + " </dev/null",
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

#ifdef VERIMO_SAMPLE_CONTENT
std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

// The dump line of a generated record, built from what the generator meant
// to write rather than from what any reader gives.
std::string ExpectedLine(const tools::SampleRow& row) {
  auto text = [](const std::optional<std::string>& value) { return value ? Escaped(*value) : ""; };
  std::string line = std::to_string(row.id) + "\t" + text(row.name) + "\t" + text(row.city) + "\t";
  if (row.balanceCents) {
    char buffer[32];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(*row.balanceCents) / 100.0).ptr;
    line.append(buffer, end);
  }
  line += "\t";
  if (row.level) line += std::to_string(*row.level);
  line += "\t";
  if (row.joined) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", row.joined->year, row.joined->month, row.joined->day);
    line += buffer;
  }
  line += "\t";
  if (row.active) line += *row.active ? "True" : "False";
  return line + "\t" + text(row.notes);
}

// Compares a dump with the records the generator meant to write.
void ExpectGeneratedRecords(const std::vector<std::string>& lines, uint64_t seed, int64_t rows,
                            tools::NotesKind notes) {
  ASSERT_EQ(lines.size(), static_cast<size_t>(rows + 1));
  EXPECT_EQ(lines[0], "Id\tName\tCity\tBalance\tLevel\tJoined\tActive\tNotes");
  for (int64_t i = 0; i < rows; ++i)
    EXPECT_EQ(lines[static_cast<size_t>(i + 1)], ExpectedLine(tools::MakeSampleRow(seed, i, notes)));
}
#endif

TEST_F(CliTest, InfoDescribesTheSampleTable) {
  Result r = Run("info " + verimo::test::ShellQuote(Sample().string()));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Records:     200"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Code page:   1254"), std::string::npos);
  EXPECT_NE(r.out.find("Encrypted:   no"), std::string::npos);
  EXPECT_NE(r.out.find("Balance                        $"), std::string::npos);
  EXPECT_NE(r.out.find("ftCurrency"), std::string::npos);
  EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST_F(CliTest, DumpPrintsAHeaderAndOneLinePerRecord) {
  Result r = Run("dump " + verimo::test::ShellQuote(Sample().string()));
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
  Result limited = Run("dump --limit 3 " + verimo::test::ShellQuote(Sample().string()));
  EXPECT_EQ(Lines(limited.out).size(), 4u);
}

#ifdef VERIMO_SAMPLE_CONTENT
TEST_F(CliTest, TheBundledSampleHoldsTheGeneratedRecords) {
  // Also fails when the committed sample no longer matches tools/make-sample.sh.
  Result r = Run("dump " + verimo::test::ShellQuote(Sample().string()));
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectGeneratedRecords(Lines(r.out), 7, 200, tools::NotesKind::Memo);
}
#endif

#if defined(VERIMO_MKPARADOX) && defined(VERIMO_SAMPLE_CONTENT)
TEST_F(CliTest, DumpGivesEveryGeneratedValue) {
  struct Case {
    const char* arguments;
    uint64_t seed;
    int64_t rows;
    tools::NotesKind notes;
  };
  // Memos in and beyond their leader and across .MB blocks; an OEM code page;
  // alpha notes.
  for (const Case& c : {Case{"--rows 700 --seed 5", 5, 700, tools::NotesKind::Memo},
                        Case{"--rows 300 --seed 9 --codepage 857", 9, 300, tools::NotesKind::Memo},
                        Case{"--rows 300 --seed 4 --notes alpha", 4, 300, tools::NotesKind::Alpha}}) {
    SCOPED_TRACE(c.arguments);
    fs::path table = dir_ / "GEN.DB";
    ASSERT_EQ(test::RunCommand(std::string(VERIMO_MKPARADOX) + " " + c.arguments + " " + verimo::test::ShellQuote(table.string())), 0);
    Result r = Run("dump " + verimo::test::ShellQuote(table.string()));
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGeneratedRecords(Lines(r.out), c.seed, c.rows, c.notes);
  }
}

TEST_F(CliTest, EncryptedGeneratedTableOpensWithItsPassword) {
  fs::path table = dir_ / "secret.db";
  ASSERT_EQ(test::RunCommand(std::string(VERIMO_MKPARADOX) + " --rows 40 --seed 2 --notes alpha --password Gizli " +
                             verimo::test::ShellQuote(table.string())),
            0);
  Result r = Run("dump --password Gizli " + verimo::test::ShellQuote(table.string()));
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectGeneratedRecords(Lines(r.out), 2, 40, tools::NotesKind::Alpha);
  Result info = Run("info --password Gizli " + verimo::test::ShellQuote(table.string()));
  EXPECT_NE(info.out.find("Encrypted:   yes"), std::string::npos) << info.out;
}

TEST_F(CliTest, PasswordIsAskedOnTheTerminalWithoutEcho) {
  fs::path table = dir_ / "secret.db";
  ASSERT_EQ(test::RunCommand(std::string(VERIMO_MKPARADOX) + " --rows 5 --notes alpha --password Gizli " +
                             verimo::test::ShellQuote(table.string())),
            0);
  std::string answer = (test::SourceDir() / "tests/cli/answer_prompts.py").string();
  auto onTerminal = [&](const std::string& answers, std::string& shown) {
    return test::RunCommand("/usr/bin/python3 " + verimo::test::ShellQuote(answer) + " " + VERIMO_CLI + " info " +
                                verimo::test::ShellQuote(table.string()) + " -- " + answers,
                            &shown);
  };
  std::string shown;
  EXPECT_EQ(onTerminal("Gizli", shown), 0) << shown;
  EXPECT_NE(shown.find("Enter password"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Encrypted:   yes"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("Gizli"), std::string::npos) << shown;  // not echoed

  EXPECT_EQ(onTerminal("no nope Gizli", shown), 0) << shown;  // a typo can be corrected
  EXPECT_EQ(onTerminal("a b c", shown), 1) << shown;
  EXPECT_NE(shown.find("not valid"), std::string::npos) << shown;
  EXPECT_EQ(onTerminal("^D", shown), 1) << shown;  // input ended: given up
  EXPECT_NE(shown.find("no password was given"), std::string::npos) << shown;
}
#endif

TEST_F(CliTest, OutputThatCannotBeWrittenIsAnError) {
  Result r = Run("dump " + verimo::test::ShellQuote(Sample().string()) + " >/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
  EXPECT_EQ(Run("info " + verimo::test::ShellQuote(dir_.string())).status, 1);  // a folder is no table
}

TEST_F(CliTest, BinaryBlobsAsSizesOrHex) {
  VERIMO_REQUIRE_SHARED_DIR();
  fs::path table = *test::SharedDir() / "fixtures/paradox/fields/graphic.db";
  Result sizes = Run("dump " + verimo::test::ShellQuote(table.string()));
  Result hex = Run("dump --hex-blobs " + verimo::test::ShellQuote(table.string()));
  ASSERT_EQ(sizes.status, 0) << sizes.err;
  ASSERT_EQ(hex.status, 0) << hex.err;
  std::vector<std::string> sizeLines = Lines(sizes.out);
  std::vector<std::string> hexLines = Lines(hex.out);
  ASSERT_EQ(sizeLines.size(), hexLines.size());
  int blobs = 0;
  for (size_t i = 1; i < sizeLines.size(); ++i) {
    std::vector<std::string> sizeCells = Cells(sizeLines[i]);
    std::vector<std::string> hexCells = Cells(hexLines[i]);
    ASSERT_EQ(sizeCells.size(), hexCells.size());
    for (size_t j = 0; j < sizeCells.size(); ++j) {
      unsigned long bytes = 0;
      if (std::sscanf(sizeCells[j].c_str(), "(%lu bytes)", &bytes) != 1) continue;
      ++blobs;
      EXPECT_EQ(hexCells[j].size(), 2 * bytes);
      EXPECT_EQ(hexCells[j].find_first_not_of("0123456789ABCDEF"), std::string::npos);
    }
  }
  EXPECT_GT(blobs, 0);
}

TEST_F(CliTest, DumpEscapesLineBreaksInMemos) {
  VERIMO_REQUIRE_SHARED_DIR();
  fs::path table = *test::SharedDir() / "fixtures/paradox/db/CUSTOMER.DB";
  Result r = Run("dump " + verimo::test::ShellQuote(table.string()));
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  ASSERT_GT(lines.size(), 1u);
  size_t columns = Cells(lines[0]).size();
  for (const std::string& line : lines) EXPECT_EQ(Cells(line).size(), columns) << line;
  EXPECT_NE(r.out.find("\\r"), std::string::npos);
}

TEST_F(CliTest, ErrorsGoToStderrWithAnExitCode) {
  Result missing = Run("info " + verimo::test::ShellQuote((dir_ / "none.db").string()));
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.out.empty());
  EXPECT_NE(missing.err.find("none.db"), std::string::npos) << missing.err;

  fs::path notParadox = dir_ / "text.db";
  std::ofstream(notParadox) << "just some text, not a table\n";
  Result bad = Run("dump " + verimo::test::ShellQuote(notParadox.string()));
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
  Result noPassword = Run("info " + verimo::test::ShellQuote(table.string()));
  EXPECT_EQ(noPassword.status, 1);
  EXPECT_NE(noPassword.err.find("--password"), std::string::npos) << noPassword.err;
  Result wrong = Run("info --password nottheone " + verimo::test::ShellQuote(table.string()));
  EXPECT_EQ(wrong.status, 1);
  EXPECT_FALSE(wrong.err.empty());
}

#ifdef VERIMO_MKPARADOX
TEST_F(CliTest, GeneratedTablesAreDeterministicAndComplete) {
  fs::path a = dir_ / "A.DB";
  fs::path b = dir_ / "B.DB";
  ASSERT_EQ(test::RunCommand(std::string(VERIMO_MKPARADOX) + " --rows 1500 --seed 3 " + verimo::test::ShellQuote(a.string())), 0);
  ASSERT_EQ(test::RunCommand(std::string(VERIMO_MKPARADOX) + " --rows 1500 --seed 3 " + verimo::test::ShellQuote(b.string())), 0);
  Result first = Run("dump " + verimo::test::ShellQuote(a.string()));
  Result second = Run("dump " + verimo::test::ShellQuote(b.string()));
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
