// The export form with the two zipped package types: their settings
// sections and a run through the form.
#include <gtest/gtest.h>

#include <functional>

#include "dialog/DialogTestSupport.h"
#include "dialog/HeadlessUI.h"
#include "dialog/TesselDialog.h"
#include "dialog/TesselDialogForm.h"
#include "engine/TesselIniFile.h"
#include "platform/shell/RecordingShellLauncher.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

class PackageDialogTest : public ::testing::Test {
 protected:
  PackageDialogTest() { Bind(dialog_); }
  void Bind(TTesselDialog& dialog) {
    dialog.DataSet = table_.get();
    dialog.ShellLauncher = &launcher_;
  }
  static void WithForm(TTesselDialog& dialog, const std::function<void(TTesselDialogForm&)>& body) {
    dialog.FormPresenter = body;
    dialog.Execute();
  }
  std::string Settings() const { return dir_.File("export.cfg"); }

  std::unique_ptr<TMemDataSet> table_ = test::MakeCustomers();
  TRecordingShellLauncher launcher_;
  TTesselDialog dialog_;
  test::TTempDir dir_{"verimo-package-dialog"};
};

TEST_F(PackageDialogTest, XlsxOptionsGoToTheirSectionsAndComeBack) {
  TTesselXlsxOptions saved;
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    ASSERT_TRUE(form.SelectType(aeXlsx));
    form.XlsxSheetName = u"Müşteriler";
    form.XlsxOptions.StripStyleType = ssRow;
    form.XlsxOptions.StripStylesList.resize(2);
    form.XlsxOptions.StripStylesList[1].Options.Font.Bold = true;
    form.XlsxOptions.CaptionRowStyle.UseBorder = true;
    form.XlsxOptions.CaptionRowStyle.Border.Style = xbsThick;
    form.SaveOptions(Settings());
    saved = form.XlsxOptions;
  });
  TTesselIniFile file(Settings());
  EXPECT_EQ(file.ReadInteger(u"GENERAL", u"ExportType", -1), aeXlsx);
  EXPECT_EQ(file.ReadInteger(u"XLSX", u"StripType", -1), ssRow);
  EXPECT_TRUE(file.SectionExists(u"XLSX_STRIP_STYLE_1"));
  EXPECT_FALSE(file.SectionExists(u"DOCX"));

  TTesselDialog fresh;
  Bind(fresh);
  WithForm(fresh, [&](TTesselDialogForm& form) {
    form.LoadOptions(Settings());
    EXPECT_EQ(form.SelectedType(), aeXlsx);
    EXPECT_EQ(form.XlsxSheetName, u"Müşteriler");
    EXPECT_EQ(form.XlsxOptions, saved);
  });
}

TEST_F(PackageDialogTest, DocxRunsFromTheFormWithItsOptions) {
  const std::string target = dir_.File("list.docx");
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    ASSERT_TRUE(form.SelectType(aeDocx));
    EXPECT_EQ(form.TypeOptionsPage(), TOptionsPage::Docx);
    form.SetFileName(target);
    form.ShowFile = false;
    form.DocxOptions.UseBorder = true;
    form.DocxOptions.PageOrientation = poLandscape;
    TTesselHeadlessUI ui;
    form.Start(ui);
    form.SaveOptions(Settings());
  });
  std::string document;
  test::RunCommand("unzip -p " + test::ShellQuote(target) + " word/document.xml", &document);
  EXPECT_NE(document.find("w:orient=\"landscape\""), std::string::npos);
  EXPECT_NE(document.find("<w:tcBorders>"), std::string::npos);
  TTesselIniFile file(Settings());
  EXPECT_TRUE(file.ReadBool(u"DOCX", u"UseBorder", false));
}

TEST_F(PackageDialogTest, OpenDocumentTypesRunFromTheFormAndKeepTheirSections) {
  const std::string sheet = dir_.File("list.ods");
  const std::string text = dir_.File("list.odt");
  TTesselODTOptions savedText;
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    TTesselHeadlessUI ui;
    form.ShowFile = false;
    ASSERT_TRUE(form.SelectType(aeODS));
    EXPECT_EQ(form.TypeOptionsPage(), TOptionsPage::ODS);
    EXPECT_EQ(form.ODSSheetName, u"Sayfa1");
    form.SetFileName(sheet);
    form.ODSSheetName = u"Müşteriler";
    form.ODSOptions.StripStyle = ssColumn;
    form.ODSOptions.StripStylesList.resize(2);
    form.Start(ui);
    ASSERT_TRUE(form.SelectType(aeODT));
    form.SetFileName(text);
    form.ODTOptions.Border.BorderStyle = bsODFNone;
    form.ODTOptions.DataStyle.Font.Bold = true;
    form.Start(ui);
    form.SaveOptions(Settings());
    savedText = form.ODTOptions;
  });
  std::string content;
  test::RunCommand("unzip -p " + test::ShellQuote(sheet) + " content.xml", &content);
  EXPECT_NE(content.find("table:name=\"Müşteriler\""), std::string::npos);
  EXPECT_NE(content.find("table:style-name=\"StripStyle2\""), std::string::npos);
  test::RunCommand("unzip -p " + test::ShellQuote(text) + " content.xml", &content);
  EXPECT_NE(content.find("table:name=\"Tablo1\""), std::string::npos);
  EXPECT_EQ(content.find("LayerDataCellStyle"), std::string::npos);
  TTesselIniFile file(Settings());
  EXPECT_EQ(file.ReadInteger(u"GENERAL", u"ExportType", -1), aeODT);
  EXPECT_EQ(file.ReadInteger(u"ODT", u"BorderStyle", -1), bsODFNone);
  EXPECT_FALSE(file.SectionExists(u"ODS"));

  TTesselDialog fresh;
  Bind(fresh);
  WithForm(fresh, [&](TTesselDialogForm& form) {
    form.LoadOptions(Settings());
    EXPECT_EQ(form.SelectedType(), aeODT);
    EXPECT_EQ(form.ODTOptions, savedText);
  });
}

// Word and RTF share one exporter and its options; the Word type writes
// the same document under its own extension.
TEST_F(PackageDialogTest, WordAndRtfRunFromTheFormAndKeepTheirStylesInTheSettings) {
  TRTFOptions saved;
  const std::string target = dir_.File("list.doc");
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    ASSERT_TRUE(form.SelectType(aeWord));
    EXPECT_EQ(form.TypeOptionsPage(), TOptionsPage::WordRTF);
    form.SetFileName(target);
    form.ShowFile = false;
    form.RTFOptions.PageOrientation = poLandscape;
    form.RTFOptions.StripType = ssRow;
    form.RTFOptions.DataStyle.Font.Name = u"Courier New";
    form.RTFOptions.StripStyles = {TrtfStyle(), TrtfStyle()};
    form.RTFOptions.StripStyles[1].BackgroundColor = 0x00E0E0E0;
    TTesselHeadlessUI ui;
    form.Start(ui);
    form.SaveOptions(Settings());
    saved = form.RTFOptions;
  });
  std::string document;
  test::RunCommand("head -c 400 " + test::ShellQuote(target), &document);
  EXPECT_TRUE(document.starts_with("{\\rtf1\\ansi")) << document;
  EXPECT_NE(document.find("Courier New"), std::string::npos);
  EXPECT_NE(document.find("\\landscape"), std::string::npos);

  TTesselDialog other;
  Bind(other);
  WithForm(other, [&](TTesselDialogForm& form) {
    form.LoadOptions(Settings());
    EXPECT_EQ(form.SelectedType(), aeWord);
    EXPECT_TRUE(form.RTFOptions == saved);
    ASSERT_TRUE(form.SelectType(aeRTF));
    EXPECT_EQ(form.TypeOptionsPage(), TOptionsPage::WordRTF);
  });
}

}  // namespace
}  // namespace verimo
