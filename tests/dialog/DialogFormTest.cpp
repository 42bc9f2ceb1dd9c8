#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "export/Exporters.h"
#include "dialog/DialogTestSupport.h"
#include "dialog/HeadlessUI.h"
#include "dialog/TesselDialog.h"
#include "dialog/TesselDialogForm.h"
#include "engine/TesselIniFile.h"
#include "core/Exception.h"
#include "platform/locale/Formatting.h"
#include "platform/shell/RecordingShellLauncher.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

using test::ReadCsvWithPython;
using Rows = std::vector<std::vector<std::string>>;

std::vector<WideString> Names(const std::vector<TDialogField>& fields) {
  std::vector<WideString> names;
  for (const TDialogField& field : fields) names.push_back(field.Name);
  return names;
}

class DialogFormTest : public ::testing::Test {
 protected:
  DialogFormTest() {
    dialog_.DataSet = table_.get();
    dialog_.ShellLauncher = &launcher_;
    dialog_.CSVOptions.Comma = u';';
  }

  // Runs `body` inside the dialog's Execute, as the form would see it.
  void WithForm(const std::function<void(TTesselDialogForm&)>& body) { WithForm(dialog_, body); }
  static void WithForm(TTesselDialog& dialog, const std::function<void(TTesselDialogForm&)>& body) {
    dialog.FormPresenter = body;
    dialog.Execute();
  }

  std::unique_ptr<TMemDataSet> table_ = test::MakeCustomers();
  TRecordingShellLauncher launcher_;
  TTesselDialog dialog_;
  test::TTempDir dir_{"verimo-dialog"};
};

TEST_F(DialogFormTest, TypeListFollowsAllowedExportsAndOffersEveryType) {
  WithForm([](TTesselDialogForm& form) {
    ASSERT_EQ(form.TypeList().size(), 19u);
    for (int i = 0; i < 19; ++i) EXPECT_EQ(form.TypeList()[static_cast<size_t>(i)], i);
    // XLS is listed first and selected; every type can be chosen.
    EXPECT_EQ(form.SelectedType(), aeXLS);
    for (int type : form.TypeList()) EXPECT_TRUE(form.SelectType(static_cast<TAllowedExport>(type))) << type;
  });

  dialog_.AllowedExports = {aeCSV, aeXLS};
  WithForm([](TTesselDialogForm& form) {
    ASSERT_EQ(form.TypeList().size(), 2u);
    EXPECT_EQ(form.TypeList()[0], aeXLS);
    EXPECT_EQ(form.TypeList()[1], aeCSV);
    EXPECT_EQ(form.TypeIndex(), 0);
  });
}

TEST_F(DialogFormTest, ExecuteRefusesAMissingSourceAndAnEmptyTypeSet) {
  TTesselDialog noSource;
  noSource.FormPresenter = [](TTesselDialogForm&) { FAIL() << "the form must not open"; };
  try {
    noSource.Execute();
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), u"Export source (DataSet) is not assigned");
  }
  dialog_.AllowedExports = {};
  dialog_.FormPresenter = [](TTesselDialogForm&) { FAIL() << "the form must not open"; };
  try {
    dialog_.Execute();
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), u"Boş değere izin verilmiyit");
  }
}

TEST_F(DialogFormTest, TypeChangeReplacesTheExtensionAndTheCaptionFollowsTheFile) {
  WithForm([](TTesselDialogForm& form) {
    EXPECT_EQ(form.WindowCaption(), u"Export Formu");
    EXPECT_FALSE(form.StartEnabled());
    form.SetFileName("/data/out.dir/report.xls");
    EXPECT_TRUE(form.StartEnabled());
    form.SelectType(aeCSV);
    EXPECT_EQ(form.FileName(), "/data/out.dir/report.csv");
    EXPECT_EQ(form.WindowCaption(), u"Export Formu -- Çıktı [report.csv]");
    form.SelectType(aeSylk);
    EXPECT_EQ(form.FileName(), "/data/out.dir/report.slk");
    // A name without the previous type's extension is the user's own: it stays.
    form.SetFileName("/data/out.dir/noext");
    form.SelectType(aeDIFF);
    EXPECT_EQ(form.FileName(), "/data/out.dir/noext");
    EXPECT_EQ(form.FileFilter(), u"DIF (veri takas biçimi) (*.dif)|*.dif");
    form.SetFileName("/data/out.dir/report.dat");
    form.SelectType(aeCSV);
    EXPECT_EQ(form.FileName(), "/data/out.dir/report.dat");
  });
  dialog_.AutoChangeFileExt = false;
  dialog_.FileName = "/data/report.xls";
  WithForm([](TTesselDialogForm& form) {
    form.SelectType(aeCSV);
    EXPECT_EQ(form.FileName(), "/data/report.xls");
  });
}

TEST_F(DialogFormTest, PagesFollowTheTypeAndTheCommonOptions) {
  WithForm([](TTesselDialogForm& form) {
    form.SelectType(aeCSV);
    for (TDialogPage page : {TDialogPage::Fields, TDialogPage::Formats, TDialogPage::HeaderFooter,
                             TDialogPage::Captions, TDialogPage::TypeOptions})
      EXPECT_TRUE(form.PageVisible(page));
    EXPECT_EQ(form.TypeOptionsPage(), TOptionsPage::ASCII);
    EXPECT_TRUE(form.SeparatorsEnabled());
    form.SelectType(aeSylk);
    EXPECT_FALSE(form.PageVisible(TDialogPage::TypeOptions));
  });
  dialog_.CommonOptions.Fields = false;
  dialog_.CommonOptions.Captions = false;
  WithForm([](TTesselDialogForm& form) {
    form.SelectType(aeCSV);
    EXPECT_FALSE(form.PageVisible(TDialogPage::Fields));
    EXPECT_FALSE(form.PageVisible(TDialogPage::Captions));
    EXPECT_TRUE(form.PageVisible(TDialogPage::Formats));
  });
  // The rules of the types still to come.
  EXPECT_FALSE(ShowsFormatsPage(aeSQL));
  EXPECT_FALSE(ShowsHeaderFooterPage(aeXML));
  EXPECT_FALSE(ShowsCaptionsPage(aeDBF));
  EXPECT_FALSE(EnablesSeparators(aeXLS));
}

TEST_F(DialogFormTest, FieldsMoveBetweenTheListsAndReturnToTheirPlace) {
  WithForm([](TTesselDialogForm& form) {
    using V = std::vector<WideString>;
    EXPECT_EQ(Names(form.AvailableFields()), (V{u"Id", u"Name", u"Amount", u"Photo", u"Joined"}));
    // Nothing chosen: every field but the BLOB is exported.
    EXPECT_EQ(form.FieldsToExport(), (TStringList{u"Id", u"Name", u"Amount", u"Joined"}));

    form.AddOneExportedField(2);  // Amount
    form.AddOneExportedField(0);  // Id
    EXPECT_EQ(Names(form.ExportedFields()), (V{u"Amount", u"Id"}));
    EXPECT_EQ(form.FieldsToExport(), (TStringList{u"Amount", u"Id"}));
    form.DelOneExportedField(0);
    EXPECT_EQ(Names(form.AvailableFields()), (V{u"Name", u"Amount", u"Photo", u"Joined"}));
    form.AddAllExportedFields();
    EXPECT_TRUE(form.AvailableFields().empty());
    form.DelAllExportedFields();
    EXPECT_EQ(Names(form.AvailableFields()), (V{u"Id", u"Name", u"Amount", u"Photo", u"Joined"}));
    form.AddOneExportedField(17);  // out of range: nothing happens
    EXPECT_TRUE(form.ExportedFields().empty());
  });
  dialog_.ExportedFields = {u"joined", u"Name", u"Missing"};
  WithForm([](TTesselDialogForm& form) {
    EXPECT_EQ(Names(form.ExportedFields()), (std::vector<WideString>{u"Joined", u"Name"}));
  });
}

TEST_F(DialogFormTest, UserFormatsAndTheirSuggestions) {
  WithForm([](TTesselDialogForm& form) {
    EXPECT_EQ(form.UserFormatFields(), (std::vector<WideString>{u"Id", u"Amount", u"Joined"}));
    EXPECT_EQ(form.UserFormatSuggestions(u"Amount"),
              (std::vector<WideString>{u"#,###,##0.00", u"#,###,##0.000", u"#,###,##0.0000", u"0.00"}));
    const TFormatSettings& locale = GlobalFormatSettings();
    EXPECT_EQ(form.UserFormatSuggestions(u"joined"),
              (std::vector<WideString>{locale.ShortDateFormat, locale.LongDateFormat}));
    EXPECT_TRUE(form.UserFormatSuggestions(u"Name").empty());

    form.AddUserFormat(u"Amount", u"0.0");
    form.AddUserFormat(u"amount", u"0.000");  // the same field: replaced
    form.AddUserFormat(u"Id", u"");           // no pattern: ignored
    ASSERT_EQ(form.UserFormats().size(), 1u);
    EXPECT_EQ(form.UserFormats()[0].Pattern, u"0.000");
    form.EditUserFormat(0, u"Id", u"000");
    EXPECT_EQ(form.UserFormats()[0], (TDialogUserFormat{u"Id", u"000"}));
    form.DeleteUserFormat(0);
    EXPECT_TRUE(form.UserFormats().empty());
  });
}

TEST_F(DialogFormTest, CountEditsThatAreNotNumbersAreIgnored) {
  WithForm([](TTesselDialogForm& form) {
    form.SetSkipRecCountText(u"3");
    form.SetSkipRecCountText(u"3x");
    EXPECT_EQ(form.SkipRecCount, 3);
    form.LimitRecords = true;
    form.SetLimitCountText(u" 7 ");
    form.SetLimitCountText(u"");
    EXPECT_EQ(form.ExportRecCount(), 7);
    form.LimitRecords = false;
    EXPECT_EQ(form.ExportRecCount(), 0);
  });
}

TEST_F(DialogFormTest, StartCopiesTheFormIntoTheCsvExporter) {
  const std::string target = dir_.File("customers.txt");
  dialog_.FileName = target;
  TTesselHeadlessUI ui;
  std::vector<int> notifications;
  ui.OnProgress = [&](const TTesselProgress&, int code) { notifications.push_back(code); };
  WithForm([&](TTesselDialogForm& form) {
    form.SelectType(aeCSV);
    form.AddExportedFieldByName(u"Name");
    form.AddExportedFieldByName(u"Id");
    form.FindCaption(u"Name")->Caption = u"Customer";
    form.SkipRecCount = 1;
    form.LimitRecords = true;
    form.LimitCount = 2;
    form.Header = {u"Customers"};
    form.Start(ui);

    const TTessel& exporter = form.ExporterFor(aeCSV);
    EXPECT_EQ(exporter.Captions, (TStringList{u"Name=Customer"}));
    EXPECT_EQ(exporter.ExportedFields, (TStringList{u"Name", u"Id"}));
  });
  const std::string written = dir_.File("customers.csv");
  EXPECT_EQ(ReadCsvWithPython(written, ';'),
            (Rows{{"Customers"}, {"Customer", "Id"}, {"Bora", "2"}, {"Cem", "3"}}));
  EXPECT_FALSE(std::filesystem::exists(target));
  ASSERT_EQ(launcher_.requests.size(), 1u);
  EXPECT_EQ(launcher_.requests[0], (TRecordingShellLauncher::Request{TShellVerb::Open, written}));
  EXPECT_EQ(notifications.front(), TTesselProgress::pnBeginExport);
  EXPECT_EQ(std::count(notifications.begin(), notifications.end(), TTesselProgress::pnSkippedRecord), 1);
  EXPECT_EQ(std::count(notifications.begin(), notifications.end(), TTesselProgress::pnExportedRecord), 2);
  EXPECT_EQ(notifications[notifications.size() - 2], TTesselProgress::pnFinished);
  EXPECT_EQ(notifications.back(), TTesselProgress::pnClose);
}

TEST_F(DialogFormTest, StartWritesTheDbfTableWithItsMemoFile) {
  dialog_.FileName = dir_.File("customers.txt");
  dialog_.ShowFile = false;
  TTesselHeadlessUI ui;
  WithForm([&](TTesselDialogForm& form) {
    form.SelectType(aeDBF);
    EXPECT_FALSE(form.PageVisible(TDialogPage::TypeOptions));
    for (const char16_t* name : {u"Id", u"Name", u"Photo", u"Joined"}) form.AddExportedFieldByName(name);
    form.Start(ui);
  });
  const std::string table = dir_.File("customers.dbf");
  ASSERT_TRUE(std::filesystem::exists(dir_.File("customers.dbt")));
  std::string output;
  verimo::test::RunCommand("/usr/bin/python3 -c \"import sys, dbfread; t = dbfread.DBF(sys.argv[1]); "
                           "print([f.name + f.type for f in t.fields], [(r['ID'], r['NAME'], str(r['JOINED'])) "
                           "for r in t][1:3])\" '" + table + "' 2>&1",
                           &output);
  EXPECT_EQ(output, "['IDN', 'NAMEC', 'PHOTOM', 'JOINEDD'] [(2, 'Bora', '2020-01-02'), (3, 'Cem', '2020-01-03')]\n");
}

TEST_F(DialogFormTest, StopQuestionAnsweredNoGoesOnAndYesStopsWithoutOpening) {
  dialog_.FileName = dir_.File("stop.csv");
  TTesselHeadlessUI ui;
  int questions = 0;
  bool stop = false;
  ui.OnConfirmStop = [&] {
    ++questions;
    return stop;
  };
  dialog_.OnExportedRecord = [&](TTessel&, int recNo) {
    if (recNo == 1) ui.RequestStop();
  };
  TTesselProgress::TState lastState{};
  ui.OnProgress = [&](const TTesselProgress& progress, int) { lastState = progress.State(); };
  bool dialogAsked = false;
  dialog_.OnStopExport = [&](TTesselDialog& sender, bool&) { dialogAsked = &sender == &dialog_; };

  WithForm([&](TTesselDialogForm& form) {
    form.SelectType(aeCSV);
    form.Start(ui);
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(dialogAsked);
    EXPECT_EQ(ReadCsvWithPython(form.FileName(), ';').size(), 6u);  // captions and five records
    EXPECT_EQ(launcher_.requests.size(), 1u);

    stop = true;
    form.Start(ui);
    EXPECT_EQ(questions, 2);
    EXPECT_EQ(lastState, TTesselProgress::TState::Aborted);
    EXPECT_EQ(ReadCsvWithPython(form.FileName(), ';').size(), 3u);  // captions and two records
    EXPECT_EQ(launcher_.requests.size(), 1u);                       // nothing opened
  });
}

TEST_F(DialogFormTest, ASecondStartWhileRunningIsIgnored) {
  dialog_.FileName = dir_.File("once.csv");
  TTesselHeadlessUI ui;
  int begins = 0;
  TTesselDialogForm* running = nullptr;
  dialog_.OnBeginExport = [&](TTessel&) { ++begins; };
  dialog_.OnExportedRecord = [&](TTessel&, int) {
    EXPECT_TRUE(running->Running());
    running->Start(ui);
  };
  WithForm([&](TTesselDialogForm& form) {
    running = &form;
    form.SelectType(aeCSV);
    form.Start(ui);
    EXPECT_FALSE(form.Running());
  });
  EXPECT_EQ(begins, 1);
}

TEST_F(DialogFormTest, FailingExportLeavesTheFormUsable) {
  dialog_.FileName = "/proc/verimo-cannot/x.csv";
  TTesselHeadlessUI ui;
  WithForm([&](TTesselDialogForm& form) {
    form.SelectType(aeCSV);
    EXPECT_THROW(form.Start(ui), std::exception);
    EXPECT_FALSE(form.Running());
    form.SetFileName(dir_.File("after.csv"));
    form.Start(ui);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("after.csv")));
  });
}

}  // namespace
}  // namespace verimo
