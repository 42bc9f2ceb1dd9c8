// The command line as a new user meets it: help, version, the list of
// formats, many tables at once and code pages under a neutral locale.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <regex>
#include <string>

#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
};

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-cmdline"); }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs verimo-cli with stdout and stderr together, stdin from /dev/null.
  Result Run(const std::string& arguments, const std::string& environment = "LANG=tr_TR.UTF-8") {
    Result result;
    result.status = test::RunCommand(environment + " " + std::string(VERIMO_CLI) + " " + arguments + " 2>&1 </dev/null",
                                     &result.out);
    return result;
  }

  static std::string Sample() { return (test::SourceDir() / "samples" / "MUSTERI.DB").string(); }

  fs::path dir_;
};

TEST_F(CommandLineTest, HelpVersionAndFormats) {
  Result help = Run("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* text : {"Commands:", "export", "--codepage N", "--locale NAME", "Examples:"})
    EXPECT_NE(help.out.find(text), std::string::npos) << text << "\n" << help.out;

  for (const char* command : {"info", "dump", "export", "formats"}) {
    Result commandHelp = Run(std::string(command) + " --help");
    EXPECT_EQ(commandHelp.status, 0) << command;
    EXPECT_EQ(commandHelp.out.rfind(std::string("usage: verimo-cli ") + command, 0), 0u) << commandHelp.out;
  }
  EXPECT_NE(Run("export --help").out.find("--output-dir DIR"), std::string::npos);

  Result version = Run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("verimo-cli 0.", 0), 0u) << version.out;

  Result formats = Run("formats");
  EXPECT_EQ(formats.status, 0);
  EXPECT_NE(formats.out.find("csv"), std::string::npos);
  EXPECT_NE(formats.out.find("CSV, ASCII"), std::string::npos) << formats.out;
  EXPECT_NE(formats.out.find("MS Access"), std::string::npos) << "every type is listed, built or not";
  EXPECT_EQ(Run("frobnicate").status, 2);
}

TEST_F(CommandLineTest, FolderExportGoesPastBrokenAndEncryptedTables) {
  fs::path in = dir_ / "in";
  fs::create_directories(in);
  fs::copy_file(Sample(), in / "MUSTERI.DB");
  fs::copy_file(test::SourceDir() / "samples" / "MUSTERI.MB", in / "MUSTERI.MB");
  fs::copy_file(Sample(), in / "second.db");
  fs::copy_file(test::SourceDir() / "samples" / "MUSTERI.MB", in / "second.mb");
  std::ofstream(in / "broken.DB") << "not a table";
  std::optional<fs::path> shared = test::SharedDir();
  bool withEncrypted = shared && fs::exists(*shared / "fixtures/paradox/encrypt/encrypted.db");
  if (withEncrypted) fs::copy_file(*shared / "fixtures/paradox/encrypt/encrypted.db", in / "encrypted.db");

  fs::path out = dir_ / "out";
  Result result = Run("export --type csv --jobs 2 --output-dir " + test::ShellQuote(out.string()) + " " +
                      test::ShellQuote(in.string()));
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_TRUE(fs::exists(out / "MUSTERI.csv"));
  EXPECT_TRUE(fs::exists(out / "second.csv"));
  EXPECT_FALSE(fs::exists(out / "broken.csv"));
  std::string total = withEncrypted ? "4" : "3";
  EXPECT_NE(result.out.find("2 of " + total + " tables written to "), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("broken.DB: failed: "), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("not a Paradox table"), std::string::npos) << result.out;
  // The line names the table once.
  EXPECT_EQ(result.out.find("failed: " + (in / "broken.DB").string()), std::string::npos) << result.out;
  if (withEncrypted)
    EXPECT_NE(result.out.find("encrypted.db: skipped: the table is password-protected"), std::string::npos)
        << result.out;
  else
    std::cout << "(no encrypted table: ../shared/fixtures is not beside the checkout)\n";

  // Both copies of the sample give the same file: one table's output never
  // depends on another's.
  std::string first, second;
  test::RunCommand("cat " + test::ShellQuote((out / "MUSTERI.csv").string()), &first);
  test::RunCommand("cat " + test::ShellQuote((out / "second.csv").string()), &second);
  EXPECT_EQ(first, second);
  EXPECT_GT(first.size(), 1000u);
}

TEST_F(CommandLineTest, NeutralLocaleFollowsTheTablesCodePage) {
  Result info = Run("info " + test::ShellQuote(Sample()), "LANG=C.UTF-8 LC_ALL=");
  EXPECT_NE(info.out.find("Export code pages: 1254 (ANSI), 857 (OEM), 10081 (Mac)"), std::string::npos)
      << info.out;
  Result forced = Run("info --codepage 1252 " + test::ShellQuote(Sample()), "LANG=C.UTF-8 LC_ALL=");
  EXPECT_NE(forced.out.find("Export code pages: 1252 (ANSI), 437 (OEM), 10000 (Mac)"), std::string::npos)
      << forced.out;
  EXPECT_EQ(Run("info --codepage 4711 " + test::ShellQuote(Sample())).status, 2);

  // A CSV export under C.UTF-8 keeps every Turkish letter: read back in
  // cp1254 with Python's csv module, its names are those of `dump`.
  fs::path csvFile = dir_ / "musteri.csv";
  Result exported = Run("export --quiet " + test::ShellQuote(Sample()) + " " + test::ShellQuote(csvFile.string()),
                        "LANG=C.UTF-8 LC_ALL=");
  ASSERT_EQ(exported.status, 0) << exported.out;
  Result dump = Run("dump " + test::ShellQuote(Sample()), "LANG=C.UTF-8 LC_ALL=");
  std::ofstream(dir_ / "dump.tsv") << dump.out;
  std::string compared;
  int status = test::RunCommand(
      "/usr/bin/python3 -c '\n"
      "import csv, sys\n"
      "rows = list(csv.reader(open(sys.argv[1], encoding=\"cp1254\", newline=\"\")))\n"
      "dump = [l.split(\"\\t\") for l in open(sys.argv[2], encoding=\"utf-8\").read().split(\"\\n\") if l]\n"
      "names = [r[1] for r in rows[1:]]\n"
      "want = [d[1] for d in dump[1:]]\n"
      "assert names == want, (names[:3], want[:3])\n"
      "assert any(ch in \"\".join(names) for ch in \"ğşıİ\"), names[:5]\n"
      "assert \"?\" not in \"\".join(names)\n"
      "print(\"ok\")' " +
          test::ShellQuote(csvFile.string()) + " " + test::ShellQuote((dir_ / "dump.tsv").string()) + " 2>&1",
      &compared);
  EXPECT_EQ(status, 0) << compared;
  EXPECT_EQ(compared, "ok\n");

  // --locale sets the value patterns without LANG: German dates.
  fs::path german = dir_ / "de.csv";
  ASSERT_EQ(Run("export --quiet --locale de_DE " + test::ShellQuote(Sample()) + " " + test::ShellQuote(german.string()),
                "LANG=C.UTF-8 LC_ALL=")
                .status,
            0);
  std::string text;
  test::RunCommand("head -c 4000 " + test::ShellQuote(german.string()), &text);
  EXPECT_TRUE(std::regex_search(text, std::regex(R"(\b\d\d\.\d\d\.\d{4}\b)"))) << text.substr(0, 400);
}

}  // namespace
}  // namespace verimo
