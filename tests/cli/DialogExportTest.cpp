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

}  // namespace
}  // namespace verimo
