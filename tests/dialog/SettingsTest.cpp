#include <gtest/gtest.h>

#include "dialog/DialogTestSupport.h"
#include "dialog/HeadlessUI.h"
#include "dialog/TesselDialog.h"
#include "dialog/TesselDialogForm.h"
#include "engine/TesselIniFile.h"
#include "core/Exception.h"
#include "platform/shell/RecordingShellLauncher.h"

namespace verimo {
namespace {

using test::ReadFileBytes;

// Everything the settings file carries, for comparing two forms.
struct FormState {
  TAllowedExport type;
  std::string fileName;
  bool showFile, printFile, goToFirst, currentOnly, exportEmpty, allowCaptions;
  int skip, recCount, captionRow;
  std::vector<WideString> exported;
  TDialogFormatTexts formats;
  std::vector<TDialogUserFormat> userFormats;
  TStringList header, footer;
  std::vector<TDialogCaption> captions;
  TTesselTXTOptions txt;
  TTesselCSVOptions csv;
  friend bool operator==(const FormState&, const FormState&) = default;
};

std::string Text(WideStringView text) { return WideToUtf8(text); }

// Compares member by member, so that a failure names what differs.
void ExpectSameState(const FormState& a, const FormState& b) {
  EXPECT_EQ(a.type, b.type);
  EXPECT_EQ(a.fileName, b.fileName);
  EXPECT_EQ(a.showFile, b.showFile);
  EXPECT_EQ(a.printFile, b.printFile);
  EXPECT_EQ(a.goToFirst, b.goToFirst);
  EXPECT_EQ(a.currentOnly, b.currentOnly);
  EXPECT_EQ(a.exportEmpty, b.exportEmpty);
  EXPECT_EQ(a.allowCaptions, b.allowCaptions);
  EXPECT_EQ(a.skip, b.skip);
  EXPECT_EQ(a.recCount, b.recCount);
  EXPECT_EQ(a.captionRow, b.captionRow);
  EXPECT_EQ(a.exported, b.exported);
  EXPECT_EQ(Text(a.formats.Integer), Text(b.formats.Integer));
  EXPECT_EQ(Text(a.formats.Float), Text(b.formats.Float));
  EXPECT_EQ(Text(a.formats.Date), Text(b.formats.Date));
  EXPECT_EQ(Text(a.formats.BooleanTrue), Text(b.formats.BooleanTrue));
  EXPECT_EQ(Text(a.formats.NullString), Text(b.formats.NullString));
  EXPECT_EQ(a.formats, b.formats) << "separators";
  EXPECT_EQ(a.userFormats, b.userFormats);
  EXPECT_EQ(Text(a.header.Text()), Text(b.header.Text()));
  EXPECT_EQ(Text(a.footer.Text()), Text(b.footer.Text()));
  ASSERT_EQ(a.captions.size(), b.captions.size());
  for (size_t i = 0; i < a.captions.size(); ++i) {
    EXPECT_EQ(Text(a.captions[i].Caption), Text(b.captions[i].Caption));
    EXPECT_EQ(a.captions[i].Align, b.captions[i].Align) << i;
    EXPECT_EQ(a.captions[i].Width, b.captions[i].Width) << i;
  }
  EXPECT_EQ(a.txt, b.txt);
  EXPECT_EQ(a.csv.Comma, b.csv.Comma);
  EXPECT_EQ(a.csv.Quote, b.csv.Quote);
  EXPECT_EQ(a.csv.QuoteStrings, b.csv.QuoteStrings);
}

FormState StateOf(const TTesselDialogForm& form) {
  std::vector<WideString> exported;
  for (const TDialogField& field : form.ExportedFields()) exported.push_back(field.Name);
  return {form.SelectedType(),   form.FileName(),         form.ShowFile,         form.PrintFile,
          form.GoToFirstRecord,  form.CurrentRecordOnly,  form.ExportEmpty,      form.AllowCaptions,
          form.SkipRecCount,     form.ExportRecCount(),   form.CaptionRow,       exported,
          form.Formats,          form.UserFormats(),      form.Header,           form.Footer,
          form.CaptionGrid(),    form.TXTOptions,         form.CSVOptions};
}

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() { Bind(dialog_); }
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
  test::TTempDir dir_{"verimo-settings"};
};

// A form filled on every page with values that differ from the defaults.
void FillEverything(TTesselDialogForm& form, const std::string& target) {
  form.SelectType(aeCSV);
  form.SetFileName(target);
  form.ShowFile = false;
  form.PrintFile = true;
  form.GoToFirstRecord = false;
  form.CurrentRecordOnly = true;
  form.ExportEmpty = false;
  form.SkipRecCount = 2;
  form.LimitRecords = true;
  form.LimitCount = 9;
  form.AllowCaptions = false;
  form.AddExportedFieldByName(u"Joined");
  form.AddExportedFieldByName(u"Name");
  form.Formats.Integer = u"0000";
  form.Formats.Float = u"0.000";
  form.Formats.BooleanTrue = u"evet";
  form.Formats.NullString = u"(yok)";
  form.Formats.DecimalSeparator = u',';
  form.Formats.ThousandSeparator = u'\u00A0';  // no-break space
  form.Formats.DateSeparator = u'.';
  form.AddUserFormat(u"Amount", u"#,##0.0");
  form.Header = {u"Müşteri listesi: ş ğ İ ı", u"", u"ikinci"};
  form.Footer = {u"son"};
  form.FindCaption(u"Name")->Caption = u"Adı Soyadı";
  form.CSVOptions.Comma = u'\t';
  form.CSVOptions.Quote = 0;
  form.CSVOptions.QuoteStrings = false;
}

TEST_F(SettingsTest, SavedSettingsLoadIntoAFreshDialogAsTheSameState) {
  FormState saved;
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    FillEverything(form, dir_.File("out/list.csv"));
    form.SaveOptions(Settings());
    saved = StateOf(form);
  });

  TTesselDialog fresh;
  Bind(fresh);
  WithForm(fresh, [&](TTesselDialogForm& form) {
    EXPECT_NE(StateOf(form), saved);
    form.LoadOptions(Settings());
    ExpectSameState(StateOf(form), saved);
    EXPECT_EQ(form.WindowCaption(), u"Export Formu -- Çıktı [list.csv]");
    // Loading again gives the same fields, not twice as many.
    form.LoadOptions(Settings());
    ExpectSameState(StateOf(form), saved);
  });
}

TEST_F(SettingsTest, FileHoldsTheGeneralSectionsAndThoseOfTheSelectedTypeOnly) {
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    FillEverything(form, dir_.File("list.csv"));
    form.SaveOptions(Settings());
  });
  TTesselIniFile file(Settings());
  file.ReadVersion();
  EXPECT_EQ(file.Version, 400);
  EXPECT_EQ(file.ReadInteger(u"GENERAL", u"ExportType", -1), aeCSV);
  EXPECT_TRUE(file.SectionExists(u"CSV"));
  for (const char16_t* section : {u"TXT", u"XLS", u"PDF", u"ALIGN", u"WIDTH"})
    EXPECT_FALSE(file.SectionExists(section)) << WideToUtf8(section);
  EXPECT_EQ(file.ReadWideString(u"FIELDS", u"field1", u""), u"Name");
  // Header lines are stored as their UTF-8 bytes.
  const std::string bytes = ReadFileBytes(Settings());
  EXPECT_NE(bytes.find("line0=M\xC3\xBC\xC5\x9F" "teri"), std::string::npos);
  EXPECT_NE(bytes.find("\r\n"), std::string::npos);
}

TEST_F(SettingsTest, TxtSavesAlignmentsAndWidthsOfTheCaptionGrid) {
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    form.SelectType(aeTXT);
    form.FindCaption(u"Amount")->Align = ecaCenter;
    form.FindCaption(u"Amount")->Width = 33;
    form.TXTOptions.ColSpacing = 4;
    form.SaveOptions(Settings());
  });
  TTesselIniFile file(Settings());
  EXPECT_EQ(file.ReadString(u"ALIGN", u"Amount", u""), u"Orta");
  EXPECT_EQ(file.ReadInteger(u"WIDTH", u"Amount", 0), 33);
  EXPECT_EQ(file.ReadInteger(u"TXT", u"Spacing", 0), 4);
  EXPECT_FALSE(file.SectionExists(u"CSV"));

  TTesselDialog fresh;
  Bind(fresh);
  WithForm(fresh, [&](TTesselDialogForm& form) {
    form.LoadOptions(Settings());
    EXPECT_EQ(form.SelectedType(), aeTXT);
    EXPECT_EQ(form.FindCaption(u"Amount")->Align, ecaCenter);
    EXPECT_EQ(form.FindCaption(u"Amount")->Width, 33);
    EXPECT_EQ(form.FindCaption(u"Id")->Align, ecaRight);
    EXPECT_EQ(form.TXTOptions.ColSpacing, 4);
  });
}

TEST_F(SettingsTest, XmlOptionsAreSavedAndLoaded) {
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    form.SelectType(aeXML);
    form.XMLOptions.Standalone = false;
    form.XMLOptions.Encoding = u"UTF-16";
    form.XMLOptions.DocumentType = 1;
    form.XMLOptions.ExportXSDSchema = true;
    form.SaveOptions(Settings());
  });
  TTesselIniFile file(Settings());
  EXPECT_EQ(file.ReadString(u"XML", u"Encoding", u""), u"UTF-16");
  EXPECT_FALSE(file.ReadBool(u"XML", u"Standalone", true));

  TTesselDialog fresh;
  Bind(fresh);
  WithForm(fresh, [&](TTesselDialogForm& form) {
    form.LoadOptions(Settings());
    ASSERT_EQ(form.SelectedType(), aeXML);
    EXPECT_EQ(form.XMLOptions, (TTesselXMLOptions{false, u"UTF-16", 1, true}));
  });
}

TEST_F(SettingsTest, SavingFewerFieldsLeavesNoStaleKeys) {
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    form.AddAllExportedFields();
    form.SaveOptions(Settings());
    form.DelAllExportedFields();
    form.AddExportedFieldByName(u"Amount");
    form.SaveOptions(Settings());
  });
  TTesselIniFile file(Settings());
  TStringList keys;
  file.ReadSection(u"FIELDS", keys);
  EXPECT_EQ(keys, (TStringList{u"field0"}));
}

TEST_F(SettingsTest, LoadingDropsUnknownFieldsAndReadsOldFilesAsPlainText) {
  {
    TTesselIniFile file(Settings());
    file.WriteString(u"GENERAL", u"ExportType", u"8");
    file.WriteString(u"USER_FORMATS", u"Amount", u"0.0");
    file.WriteString(u"USER_FORMATS", u"Missing", u"0.00");
    file.WriteString(u"FIELDS", u"field0", u"Missing");
    file.WriteString(u"FIELDS", u"field1", u"amount");
    file.WriteString(u"HEADER", u"line0", u"M\u00C3\u00BC");  // no version: not UTF-8 decoded
    file.WriteString(u"FORMATS", u"BooleanTrue", u"");
    file.WriteString(u"GENERAL", u"SkipRecCount", u"many");
  }
  dialog_.SkipRecCount = 4;
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    form.LoadOptions(Settings());
    EXPECT_EQ(form.SelectedType(), aeCSV);
    EXPECT_EQ(form.UserFormats(), (std::vector<TDialogUserFormat>{{u"Amount", u"0.0"}}));
    ASSERT_EQ(form.ExportedFields().size(), 1u);
    EXPECT_EQ(form.ExportedFields()[0].Name, u"Amount");
    EXPECT_EQ(form.Header, (TStringList{u"M\u00C3\u00BC"}));
    EXPECT_EQ(form.Formats.BooleanTrue, u"");  // empty in the form; the exporter's setter restores "true"
    EXPECT_EQ(form.SkipRecCount, 4);
  });
  // A file that does not exist loads as empty: the dialog's defaults.
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    form.SelectType(aeSylk);
    form.LoadOptions(dir_.File("none.cfg"));
    EXPECT_EQ(form.SelectedType(), aeXLS);  // no "ExportType": type 0
    EXPECT_EQ(form.SkipRecCount, 4);
  });
}

TEST_F(SettingsTest, AutoLoadOnOpeningAndAutoSaveOnClosing) {
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    form.SelectType(aeSylk);
    form.SetFileName(dir_.File("auto.slk"));
    form.SaveOptions(Settings());
  });
  dialog_.OptionsFileName = Settings();
  dialog_.AutoLoadOptions = true;
  dialog_.AutoSaveOptions = true;
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    EXPECT_EQ(form.SelectedType(), aeSylk);
    form.SelectType(aeDIFF);
  });
  TTesselIniFile file(Settings());
  EXPECT_EQ(file.ReadInteger(u"GENERAL", u"ExportType", -1), aeDIFF);
}

TEST_F(SettingsTest, ExecuteSettingsRunsWhatTheDialogWouldRun) {
  const std::string target = dir_.File("script.csv");
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    form.SelectType(aeCSV);
    form.SetFileName(target);
    form.AddExportedFieldByName(u"Id");
    form.AddExportedFieldByName(u"Name");
    form.CSVOptions.Comma = u'|';
    form.ShowFile = false;
    form.SaveOptions(Settings());
  });
  TTesselDialog batch;
  Bind(batch);
  TTesselHeadlessUI ui;
  int exported = 0;
  ui.OnProgress = [&](const TTesselProgress& progress, int) { exported = static_cast<int>(progress.ExportedCount()); };
  batch.ExecuteSettings(Settings(), ui);
  EXPECT_EQ(exported, 5);
  EXPECT_EQ(test::ReadCsvWithPython(target, '|'),
            (std::vector<std::vector<std::string>>{
                {"Id", "Name"}, {"1", "Ada"}, {"2", "Bora"}, {"3", "Cem"}, {"4", "Deniz"}, {"5", "Ece"}}));
  EXPECT_TRUE(launcher_.requests.empty());

  TTesselIniFile(Settings()).WriteInteger(u"GENERAL", u"ExportType", 99);
  EXPECT_THROW(batch.ExecuteSettings(Settings(), ui), Exception);
}

TEST_F(SettingsTest, HtmlOptionsSaveAsColourNamesAndLoadBackWithTheDialogsDefaults) {
  WithForm(dialog_, [&](TTesselDialogForm& form) {
    ASSERT_TRUE(form.SelectType(aeHTML));
    form.SetFileName(dir_.File("liste.html"));
    form.HTMLPageOptions.Title = u"Müşteriler";
    form.HTMLPageOptions.UsingCSS = usExternal;
    form.HTMLPageOptions.BoolAsCheckBox = true;
    form.HTMLPageOptions.TextFont.Name = u"DejaVu Sans";
    form.HTMLTableOptions.BorderColor = 0x0000FF;
    form.HTMLTableOptions.CellPadding = 9;
    form.HTMLMultiFileOptions.FileRecCount = 2;
    form.HTMLMultiFileOptions.GenerateIndex = true;
    form.HTMLMultiFileOptions.NextLinkTitle = u"Sonraki";
    ApplyHTMLTemplate(htGray, form.HTMLOptions());
    form.SaveOptions(Settings());
  });
  TTesselIniFile file(Settings());
  EXPECT_EQ(file.ReadInteger(u"GENERAL", u"ExportType", -1), aeHTML);
  EXPECT_EQ(file.ReadString(u"HTML", u"BorderColor", u""), u"clRed");
  EXPECT_EQ(file.ReadString(u"HTML", u"HeadBackgroundColor", u""), u"clGray");
  EXPECT_EQ(file.ReadString(u"HTML", u"EvenRowBackgroundColor", u""), u"clWhite");
  EXPECT_EQ(file.ReadInteger(u"HTML", u"FileRecCount", 0), 2);
  EXPECT_EQ(file.ReadInteger(u"HTML", u"CSS", 0), usExternal);
  EXPECT_FALSE(file.SectionExists(u"CSV"));

  TTesselDialog fresh;
  Bind(fresh);
  fresh.HTMLMultiFileOptions.LastLinkTitle = u"Sonuncu";  // not in the file: the dialog's value
  {
    TTesselIniFile edit(Settings());
    edit.DeleteKey(u"HTML", u"LastLinkTitle");
  }
  WithForm(fresh, [&](TTesselDialogForm& form) {
    form.LoadOptions(Settings());
    EXPECT_EQ(form.SelectedType(), aeHTML);
    EXPECT_EQ(form.HTMLPageOptions.Title, u"Müşteriler");
    EXPECT_EQ(form.HTMLPageOptions.UsingCSS, usExternal);
    EXPECT_TRUE(form.HTMLPageOptions.BoolAsCheckBox);
    EXPECT_EQ(form.HTMLPageOptions.TextFont.Name, u"Arial");  // the template's
    EXPECT_EQ(form.HTMLPageOptions.BackgroundColor, clWhite);
    EXPECT_EQ(form.HTMLTableOptions.BorderColor, 0x0000FFu);
    EXPECT_EQ(form.HTMLTableOptions.HeadersRowBgColor, 0x808080u);
    EXPECT_EQ(form.HTMLTableOptions.CellPadding, 9);
    EXPECT_EQ(form.HTMLMultiFileOptions.FileRecCount, 2);
    EXPECT_TRUE(form.HTMLMultiFileOptions.GenerateIndex);
    EXPECT_EQ(form.HTMLMultiFileOptions.NextLinkTitle, u"Sonraki");
    EXPECT_EQ(form.HTMLMultiFileOptions.LastLinkTitle, u"Sonuncu");
  });
}

}  // namespace
}  // namespace verimo
