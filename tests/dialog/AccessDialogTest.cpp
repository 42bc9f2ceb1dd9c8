// The Access type in the export form: its option page, the run it starts
// and its settings section.
#include <gtest/gtest.h>

#include "dialog/DialogTestSupport.h"
#include "dialog/HeadlessUI.h"
#include "dialog/TesselDialog.h"
#include "dialog/TesselDialogForm.h"
#include "engine/TesselIniFile.h"
#include "formats/database/ADO_TesselAccess.h"
#include "platform/shell/RecordingShellLauncher.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

class AccessDialogTest : public ::testing::Test {
 protected:
  AccessDialogTest() {
    dialog_.DataSet = table_.get();
    dialog_.ShellLauncher = &launcher_;
    dialog_.AccessOptions.TableName = u"EXPORT_TABLE";  // as the main window sets it
  }
  void WithForm(const std::function<void(TTesselDialogForm&)>& body) {
    dialog_.FormPresenter = body;
    dialog_.Execute();
  }
  // What mdbtools reads from the file: table names, one per line.
  std::string Tables(const std::string& file) const {
    std::string out;
    test::RunCommand("mdb-tables -1 " + test::ShellQuote(file), &out);
    return out;
  }
  int Rows(const std::string& file, const std::string& table) const {
    std::string out;
    test::RunCommand("mdb-export " + test::ShellQuote(file) + " " + test::ShellQuote(table) + " | wc -l", &out);
    return std::stoi(out) - 1;
  }

  std::unique_ptr<TMemDataSet> table_ = test::MakeCustomers();
  TRecordingShellLauncher launcher_;
  TTesselDialog dialog_;
  test::TTempDir dir_{"verimo-access-dialog"};
};

TEST_F(AccessDialogTest, AccessHasItsOptionPageAndFillsTheChosenTable) {
  const std::string target = dir_.File("liste.mdb");
  TTesselHeadlessUI ui;
  WithForm([&](TTesselDialogForm& form) {
    form.SelectType(aeAccess);
    EXPECT_EQ(form.TypeOptionsPage(), TOptionsPage::Access);
    EXPECT_FALSE(form.PageVisible(TDialogPage::Formats));
    EXPECT_FALSE(form.PageVisible(TDialogPage::HeaderFooter));
    EXPECT_TRUE(form.PageVisible(TDialogPage::Captions));
    EXPECT_EQ(form.AccessOptions.TableName, u"EXPORT_TABLE");
    form.SetFileName(dir_.File("liste.txt"));
    form.ShowFile = true;
    form.Start(ui);  // the extension follows the type
    form.AccessOptions.TableName = u"";
    form.ShowFile = false;
    form.AddExportedFieldByName(u"Name");
    form.Start(ui);
  });
  EXPECT_EQ(Tables(target), "EXPORT_TABLE\nExportTable\n");
  EXPECT_EQ(Rows(target, "EXPORT_TABLE"), 5);
  EXPECT_EQ(Rows(target, "ExportTable"), 5);
  ASSERT_EQ(launcher_.requests.size(), 1u);
  EXPECT_EQ(launcher_.requests[0].path, target);
}

TEST_F(AccessDialogTest, TheAccessSectionIsSavedAndLoaded) {
  const std::string settings = dir_.File("export.cfg");
  WithForm([&](TTesselDialogForm& form) {
    form.SelectType(aeAccess);
    form.AccessOptions.TableName = u"MÜŞTERİLER";
    form.AccessOptions.Password = u"gizli şifre";
    form.AccessOptions.CreateTable = false;
    form.SaveOptions(settings);
  });
  TTesselIniFile file(settings);
  file.ReadVersion();
  EXPECT_EQ(file.ReadString(u"ACCESS", u"TableName", u""), u"MÜŞTERİLER");
  EXPECT_EQ(file.ReadString(u"ACCESS", u"Password", u""), u"gizli şifre");
  EXPECT_FALSE(file.ReadBool(u"ACCESS", u"CreateTable", true));

  TTesselDialog fresh;
  fresh.DataSet = table_.get();
  fresh.FormPresenter = [&](TTesselDialogForm& form) {
    form.LoadOptions(settings);
    EXPECT_EQ(form.SelectedType(), aeAccess);
    EXPECT_EQ(form.AccessOptions.TableName, u"MÜŞTERİLER");
    EXPECT_EQ(form.AccessOptions.Password, u"gizli şifre");
    EXPECT_FALSE(form.AccessOptions.CreateTable);
  };
  fresh.Execute();
}

}  // namespace
}  // namespace verimo
