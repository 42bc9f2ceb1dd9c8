#include "platform/shell/Shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/shell/RecordingShellLauncher.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

TEST(ShellCommandTest, OpenGoesThroughXdgOpenAndPrintPicksThePrinterProgramByType) {
  EXPECT_EQ(ShellCommandFor(TShellVerb::Open, "/t/a b.xls"), (Args{"xdg-open", "/t/a b.xls"}));
  EXPECT_EQ(ShellCommandFor(TShellVerb::Print, "/t/r.XLSX"), (Args{"soffice", "--headless", "-p", "/t/r.XLSX"}));
  EXPECT_EQ(ShellCommandFor(TShellVerb::Print, "/t/r.odt"), (Args{"soffice", "--headless", "-p", "/t/r.odt"}));
  EXPECT_EQ(ShellCommandFor(TShellVerb::Print, "/t/r.slk"), (Args{"soffice", "--headless", "-p", "/t/r.slk"}));
  EXPECT_EQ(ShellCommandFor(TShellVerb::Print, "/t/-r.txt"), (Args{"lp", "--", "/t/-r.txt"}));
  EXPECT_EQ(ShellCommandFor(TShellVerb::Print, "/t/r.pdf"), (Args{"lp", "--", "/t/r.pdf"}));
}

class StartDetachedTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-shell"); }
  void TearDown() override { fs::remove_all(dir_); }

  // The detached child is not waited for: give it a moment to write.
  static std::string WaitForContent(const fs::path& file) {
    for (int i = 0; i < 500 && !fs::exists(file); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(file, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }

  fs::path dir_;
};

TEST_F(StartDetachedTest, PassesEveryArgumentLiterallyWithoutAShell) {
  const std::string tricky = "a b; rm -rf $HOME `x` \"q\" 'p' *.txt";
  fs::path out = dir_ / "out";
  ASSERT_TRUE(StartDetached({"sh", "-c", "printf '%s' \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"", "sh", tricky, out.string()}));
  EXPECT_EQ(WaitForContent(out), tricky);
}

TEST_F(StartDetachedTest, ReportsProgramsThatCannotStart) {
  EXPECT_FALSE(StartDetached({}));
  EXPECT_FALSE(StartDetached({"verimo-no-such-program-xyz"}));
  EXPECT_FALSE(StartDetached({(dir_ / "missing").string()}));

  fs::path notAProgram = dir_ / "garbage";
  std::ofstream(notAProgram) << "\x7f" "ELF garbage";
  chmod(notAProgram.c_str(), 0700);
  EXPECT_FALSE(StartDetached({notAProgram.string()}));
}

TEST(RecordingShellLauncherTest, RecordsRequestsAndAnswersAsTold) {
  TRecordingShellLauncher launcher;
  TShellLauncher& shell = launcher;
  EXPECT_TRUE(shell.Perform(TShellVerb::Open, "a.csv"));
  launcher.succeed = false;
  EXPECT_FALSE(shell.Perform(TShellVerb::Print, "b.csv"));
  using Request = TRecordingShellLauncher::Request;
  EXPECT_EQ(launcher.requests, (std::vector<Request>{{TShellVerb::Open, "a.csv"}, {TShellVerb::Print, "b.csv"}}));
}

}  // namespace
}  // namespace verimo
