// `verimo-cli export --settings DIALOG.cfg TABLE.db` runs what the export
// dialog saved: type, record limit and target come from the settings file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

TEST(DialogExportTest, RunsTheSavedDialogSettingsAndReportsMissingFiles) {
  fs::path dir = test::MakeTempDir("verimo-dialog-export");
  fs::path settings = dir / "dialog.cfg";
  fs::path target = dir / "out.csv";
  std::ofstream(settings) << "[GENERAL]\r\nExportType=8\r\nFileName=" << target.string()
                          << "\r\nShowFile=1\r\nExportRecCount=5\r\n";
  std::string cli = VERIMO_CLI;
  std::string table = (test::SourceDir() / "samples" / "MUSTERI.DB").string();
  ASSERT_EQ(test::RunCommand(cli + " export --quiet --settings '" + settings.string() + "' '" +
                             table + "' 2>&1"),
            0);
  std::string rows;
  ASSERT_EQ(test::RunCommand("/usr/bin/python3 -c \"import csv,sys; print(len(list(csv.reader("
                             "open(sys.argv[1], encoding='cp1252', newline='')))))\" '" +
                                 target.string() + "'",
                             &rows),
            0);
  EXPECT_EQ(rows, "6\n");  // the caption row and the five records the file asks for

  std::string message;
  EXPECT_EQ(test::RunCommand(cli + " export --settings '" + (dir / "none.cfg").string() + "' '" +
                                 table + "' 2>&1",
                             &message),
            1);
  EXPECT_NE(message.find("settings file not found"), std::string::npos) << message;
  fs::remove_all(dir);
}

#ifdef VERIMO_PXLIB_MAKE
// The dialog's run counts the dates it could not export, as the
// command line's own export does.
TEST(DialogExportTest, WarnsOfDatesOutsideYearsOneTo9999) {
  fs::path dir = test::MakeTempDir("verimo-dialog-export");
  fs::path table = dir / "EDGES.DB";
  ASSERT_EQ(test::RunCommand(test::ShellQuote(VERIMO_PXLIB_MAKE) + " edges " + test::ShellQuote(table.string())), 0);
  fs::path settings = dir / "dialog.cfg";
  std::ofstream(settings) << "[GENERAL]\r\nExportType=8\r\nFileName=" << (dir / "out.csv").string() << "\r\n";
  std::string output;
  ASSERT_EQ(test::RunCommand(std::string(VERIMO_CLI) + " export --quiet --settings " + test::ShellQuote(settings.string()) +
                                 " " + test::ShellQuote(table.string()) + " 2>&1",
                             &output),
            0);
  EXPECT_EQ(output,
            "warning: field \"Day\": 2 dates outside the years 1 to 9999, exported as empty\n"
            "warning: field \"Stamp\": 1 date outside the years 1 to 9999, exported as empty\n");
  fs::remove_all(dir);
}
#endif

}  // namespace
}  // namespace verimo
