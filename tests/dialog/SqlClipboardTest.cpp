// The SQL script and the clipboard as the export form runs them.
#include <gtest/gtest.h>

#include <algorithm>

#include "dialog/DialogTestSupport.h"
#include "dialog/HeadlessUI.h"
#include "dialog/TesselDialog.h"
#include "dialog/TesselDialogForm.h"
#include "engine/TesselIniFile.h"
#include "formats/text/TesselClipboard.h"
#include "formats/text/TesselSQL.h"
#include "platform/clipboard/Clipboard.h"
#include "platform/shell/RecordingShellLauncher.h"

namespace verimo {
namespace {

class SqlClipboardFormTest : public ::testing::Test {
 protected:
  SqlClipboardFormTest() { Bind(dialog_); }
  void Bind(TTesselDialog& dialog) {
    dialog.DataSet = table_.get();
    dialog.ShellLauncher = &launcher_;
    dialog.Clipboard = &clipboard_;
  }
  static void WithForm(TTesselDialog& dialog, const std::function<void(TTesselDialogForm&)>& body) {
    dialog.FormPresenter = body;
    dialog.Execute();
  }

  std::unique_ptr<TMemDataSet> table_ = test::MakeCustomers();
  TRecordingShellLauncher launcher_;
  TMemoryClipboard clipboard_;
  TTesselDialog dialog_;
  test::TTempDir dir_{"verimo-dialog-sql"};
};

TEST_F(SqlClipboardFormTest, SqlStartNamesTheTableAfterTheFileAndTakesTheOptionPage) {
  TTesselHeadlessUI ui;
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    form.SetFileName(dir_.File("customers.txt"));
    ASSERT_TRUE(form.SelectType(aeSQL));
    EXPECT_EQ(form.TypeOptionsPage(), TOptionsPage::SQL);
    EXPECT_FALSE(form.PageVisible(TDialogPage::Formats));
    EXPECT_FALSE(form.PageVisible(TDialogPage::Captions));
    EXPECT_TRUE(form.PageVisible(TDialogPage::HeaderFooter));
    form.SQLOptions.ScriptType = qstPg;
    form.SQLOptions.CreateTable = true;
    form.SQLOptions.CommitAfterScript = true;
    form.Formats.NullString.clear();
    form.ShowFile = false;
    form.Start(ui);
    const auto& sql = static_cast<const TTesselSQL&>(form.ExporterFor(aeSQL));
    EXPECT_EQ(sql.Options.TableName, u"\"CUSTOMERS\"") << "one name, quoted as the dialect quotes it";
  });
  const std::string script = test::ReadFileBytes(dir_.File("customers.sql"));
  EXPECT_NE(script.find("BEGIN;\r\n\r\nCREATE TABLE \"CUSTOMERS\"(\r\n  \"Id\"  INTEGER,\r\n  \"Name\"  VARCHAR(20),\r\n"
                        "  \"Amount\"  DOUBLE PRECISION,\r\n  \"Joined\"  DATE);\r\n"),
            std::string::npos)
      << script;
  EXPECT_NE(script.find("VALUES(5,'Ece',52.5,'2020.01.05 00:00:00');\r\n"), std::string::npos) << script;
  EXPECT_TRUE(script.ends_with("COMMIT;\r\n"));
}

TEST_F(SqlClipboardFormTest, SqlOptionsAndDialectSurviveTheSettingsFile) {
  const std::string settings = dir_.File("sql.cfg");
  TTesselSQLOptions chosen;
  chosen.TableName = u"dbo.Müşteri";
  chosen.CreateTable = true;
  chosen.CommitRecCount = 100;
  chosen.CommitAfterScript = true;
  chosen.CommitStatement = u"COMMIT;";
  chosen.StatementTerm = u'#';
  chosen.ScriptType = qstMS;
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    form.SetFileName(dir_.File("out.sql"));
    form.SelectType(aeSQL);
    form.SQLOptions = chosen;
    form.SaveOptions(settings);
  });
  TTesselIniFile file(settings);
  EXPECT_TRUE(file.SectionExists(u"SQL"));
  EXPECT_FALSE(file.SectionExists(u"FORMATS"));
  EXPECT_FALSE(file.SectionExists(u"CSV"));

  TTesselDialog fresh;
  Bind(fresh);
  WithForm(fresh, [&](TTesselDialogForm& form) {
    form.LoadOptions(settings);
    EXPECT_EQ(form.SelectedType(), aeSQL);
    EXPECT_EQ(form.SQLOptions, chosen);
  });
  // The exporter reads the same section.
  TTesselSQL exporter;
  settings::LoadFromFile(exporter, settings);
  EXPECT_EQ(exporter.Options.TableName, u"dbo.Müşteri");
  EXPECT_EQ(exporter.Options.ScriptType, qstMS);
  EXPECT_EQ(exporter.Options.CommitRecCount, 100);
}

TEST_F(SqlClipboardFormTest, ClipboardNeedsNoFileAndPutsTheRowsOnTheClipboard) {
  TTesselHeadlessUI ui;
  char16_t separator = 0;
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    ASSERT_TRUE(form.SelectType(aeClipboard));
    EXPECT_TRUE(form.FileName().empty());
    EXPECT_TRUE(form.StartEnabled());
    EXPECT_FALSE(form.FileControlsEnabled());
    EXPECT_TRUE(form.SeparatorsEnabled());
    form.Formats.Float = u"0.00";
    form.Formats.DecimalSeparator = u',';
    form.FindCaption(u"Name")->Caption = u"Adı";
    form.LimitRecords = true;
    form.LimitCount = 2;
    form.Start(ui);
    separator = static_cast<const TTesselClipboard&>(form.ExporterFor(aeClipboard)).Separator;
  });
  ASSERT_TRUE(clipboard_.HasText());
  const WideString text = clipboard_.GetText();
  const WideString s(1, separator);
  EXPECT_TRUE(text.starts_with(u"Id" + s + u"Adı" + s + u"Amount" + s + u"Joined\r\n1" + s + u"Ada" + s + u"10,50" + s))
      << WideToUtf8(text);
  EXPECT_NE(text.find(u"\r\n2" + s + u"Bora" + s + u"21,00" + s), WideString::npos) << WideToUtf8(text);
  EXPECT_TRUE(text.ends_with(u"\r\n"));
  EXPECT_EQ(std::count(text.begin(), text.end(), u'\n'), 3);
  EXPECT_TRUE(launcher_.requests.empty());
}

}  // namespace
}  // namespace verimo
