#include "engine/TesselText.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "engine/TesselDatabase.h"
#include "engine/TesselIniFile.h"
#include "engine/TesselLocale.h"
#include "engine/TesselMemory.h"
#include "core/Exception.h"
#include "platform/clipboard/Clipboard.h"
#include "platform/data/MemDataSet.h"
#include "platform/shell/RecordingShellLauncher.h"
#include "resources/StringTable.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using Request = TRecordingShellLauncher::Request;

// Writes each record as its cells' texts joined with "|".
template <class Base>
class LineExporter : public Base {
 public:
  void WriteDataRow() override {
    WideString line;
    for (int i = 0; i < this->Row().Count(); ++i) line += (i ? u"|" : u"") + this->GetCellText(this->Row()[i]);
    this->Writer().WriteLn(line);
  }
};

void FillPeople(TMemDataSet& data) {
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Name", ftString, 20);
  data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"Ayşe")});
  data.AppendRecord({Variant::FromInt(2), Variant::FromText(u"Çağrı")});
  data.Open();
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

class TesselTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::MakeTempDir("verimo-text");
    FillPeople(data_);
    exporter_.DataSet = &data_;
    exporter_.ShellLauncher = &shell_;
    exporter_.Formats().SetIntegerFormat(u"0");
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
  TMemDataSet data_;
  TRecordingShellLauncher shell_;
  LineExporter<TTesselFormatText> exporter_;
};

class CurrentDirectory {
 public:
  explicit CurrentDirectory(const fs::path& dir) : saved_(fs::current_path()) { fs::current_path(dir); }
  ~CurrentDirectory() { fs::current_path(saved_); }

 private:
  fs::path saved_;
};

TEST_F(TesselTextTest, ExportsIntoTheFileAndOpensThenPrintsIt) {
  exporter_.FileName = (dir_ / "people.txt").string();
  exporter_.ShowFile = true;
  exporter_.PrintFile = true;
  exporter_.Execute();
  EXPECT_EQ(ReadFile(dir_ / "people.txt"), "1|Ayşe\r\n2|Çağrı\r\n");
  EXPECT_EQ(shell_.requests, (std::vector<Request>{{TShellVerb::Open, exporter_.FileName},
                                                   {TShellVerb::Print, exporter_.FileName}}));
}

TEST_F(TesselTextTest, ANameWithoutDirectoryIsCreatedInTheCurrentDirectory) {
  fs::path work = dir_ / "work";
  fs::create_directory(work);
  CurrentDirectory inWork(work);
  exporter_.FileName = "plain.txt";
  EXPECT_EQ(exporter_.TargetDirectory(), fs::current_path());
  exporter_.Execute();
  EXPECT_TRUE(fs::exists(work / "plain.txt"));
  EXPECT_TRUE(shell_.requests.empty());
}

TEST_F(TesselTextTest, MissingDirectoriesAreCreatedWithTheirParents) {
  exporter_.FileName = (dir_ / "a" / "b" / "out.txt").string();
  exporter_.Execute();
  EXPECT_EQ(ReadFile(dir_ / "a" / "b" / "out.txt"), "1|Ayşe\r\n2|Çağrı\r\n");
}

TEST_F(TesselTextTest, ADirectoryThatCannotBeCreatedRaisesBeforeAnythingIsWritten) {
  std::ofstream(dir_ / "blocker") << "a file, not a folder";
  fs::path dir = dir_ / "blocker" / "sub";
  exporter_.FileName = (dir / "out.txt").string();
  exporter_.ShowFile = true;
  try {
    exporter_.Execute();
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(),
              TTesselLocale::Instance().LoadMessage(res::kFolderNotCreated, {Utf8ToWide(dir.string())}));
  }
  EXPECT_FALSE(fs::exists(dir));
  EXPECT_TRUE(shell_.requests.empty());
}

TEST_F(TesselTextTest, NoTargetNameIsAClearError) {
  exporter_.FileName.clear();
  EXPECT_THROW(exporter_.Execute(), Exception);
}

TEST_F(TesselTextTest, AStoppedOrFailedExportOpensNothing) {
  exporter_.FileName = (dir_ / "stopped.txt").string();
  exporter_.ShowFile = true;
  exporter_.PrintFile = true;
  exporter_.OnExportedRecord = [](TTessel& sender, int) { sender.Abort(); };
  exporter_.Execute();
  EXPECT_EQ(ReadFile(dir_ / "stopped.txt"), "1|Ayşe\r\n");
  EXPECT_TRUE(shell_.requests.empty());

  exporter_.OnExportedRecord = [](TTessel&, int recNo) {
    if (recNo == 1) throw Exception("handler failed");
  };
  exporter_.FileName = (dir_ / "failed.txt").string();
  EXPECT_THROW(exporter_.Execute(), Exception);
  EXPECT_EQ(ReadFile(dir_ / "failed.txt"), "1|Ayşe\r\n2|Çağrı\r\n");
  EXPECT_TRUE(shell_.requests.empty());
}

TEST_F(TesselTextTest, EverySavedOptionLoadsBackEqual) {
  LineExporter<TTesselFormatText>& saved = exporter_;
  saved.FileName = "/tmp/ş out.txt";
  saved.ShowFile = true;
  saved.PrintFile = true;
  saved.GoToFirstRecord = false;
  saved.ExportEmpty = false;
  saved.CurrentRecordOnly = true;
  saved.ExportRecCount = 7;
  saved.SkipRecCount = 3;
  saved.OnlyVisibleFields = true;
  saved.AutoCalcStrType = true;
  saved.CaptionRow = 2;
  saved.ExportedFields = {u"Name", u"Id"};
  saved.Header = {u"  indented ş", u"", u"日本 line "};
  saved.Footer = {u"end"};
  saved.AllowCaptions = false;
  saved.Captions = {u"Name=Ad Soyad", u"Id= Numara "};
  saved.UserFormats = {u"Id=000"};
  TTesselFormats& formats = saved.Formats();
  formats.SetIntegerFormat(u"#,##0");
  formats.SetFloatFormat(u"0.000");
  formats.SetDateFormat(u"dd.mm.yyyy");
  formats.SetTimeFormat(u"hh:nn");
  formats.SetDateTimeFormat(u"dd.mm.yyyy hh:nn");
  formats.SetCurrencyFormat(u"#,##0.00 TL");
  formats.SetBooleanTrue(u"Evet");
  formats.SetBooleanFalse(u"Hayır");
  formats.SetNullString(u"(boş)");
  formats.DecimalSeparator = u',';
  formats.ThousandSeparator = u' ';
  formats.DateSeparator = u'.';
  formats.TimeSeparator = 0x202F;
  formats.KeepOriginalFormat = true;

  fs::path file = dir_ / "options.ini";
  settings::SaveToFile(saved, file);
  LineExporter<TTesselFormatText> loaded;
  settings::LoadFromFile(loaded, file);

  EXPECT_EQ(loaded.FileName, saved.FileName);
  EXPECT_TRUE(loaded.ShowFile);
  EXPECT_TRUE(loaded.PrintFile);
  EXPECT_FALSE(loaded.GoToFirstRecord);
  EXPECT_FALSE(loaded.ExportEmpty);
  EXPECT_TRUE(loaded.CurrentRecordOnly);
  EXPECT_EQ(loaded.ExportRecCount, 7);
  EXPECT_EQ(loaded.SkipRecCount, 3);
  EXPECT_TRUE(loaded.OnlyVisibleFields);
  EXPECT_TRUE(loaded.AutoCalcStrType);
  EXPECT_EQ(loaded.CaptionRow, 2);
  EXPECT_EQ(loaded.ExportedFields, saved.ExportedFields);
  EXPECT_EQ(loaded.Header, saved.Header);
  EXPECT_EQ(loaded.Footer, saved.Footer);
  EXPECT_FALSE(loaded.AllowCaptions);
  EXPECT_EQ(loaded.Captions, saved.Captions);
  EXPECT_EQ(loaded.UserFormats, saved.UserFormats);
  const TTesselFormats& back = loaded.Formats();
  EXPECT_EQ(back.IntegerFormat(), u"#,##0");
  EXPECT_EQ(back.FloatFormat(), u"0.000");
  EXPECT_EQ(back.DateFormat(), u"dd.mm.yyyy");
  EXPECT_EQ(back.TimeFormat(), u"hh:nn");
  EXPECT_EQ(back.DateTimeFormat(), u"dd.mm.yyyy hh:nn");
  EXPECT_EQ(back.CurrencyFormat(), u"#,##0.00 TL");
  EXPECT_EQ(back.BooleanTrue(), u"Evet");
  EXPECT_EQ(back.BooleanFalse(), u"Hayır");
  EXPECT_EQ(back.NullString(), u"(boş)");
  EXPECT_EQ(back.DecimalSeparator, u',');
  EXPECT_EQ(back.ThousandSeparator, u' ');
  EXPECT_EQ(back.DateSeparator, u'.');
  EXPECT_EQ(back.TimeSeparator, 0x202F);
  EXPECT_TRUE(back.KeepOriginalFormat);
}

TEST_F(TesselTextTest, ShorterListsLeaveNoStaleKeysAndEmptyTextsFallBackToDefaults) {
  fs::path file = dir_ / "options.ini";
  exporter_.Header = {u"a", u"b", u"c"};
  settings::SaveToFile(exporter_, file);
  exporter_.Header = {u"only"};
  {
    TTesselIniFile ini(file);
    ini.ReadVersion();
    exporter_.SaveSettings(ini);
    TStringList keys;
    ini.ReadSection(u"HEADER", keys);
    EXPECT_EQ(keys, (TStringList{u"line0"}));
    ini.WriteString(u"FORMATS", u"BooleanTrue", u"");
    ini.WriteString(u"FORMATS", u"DecimalSeparator", u"");
  }
  LineExporter<TTesselFormatText> loaded;
  loaded.Formats().DecimalSeparator = u'!';
  settings::LoadFromFile(loaded, file);
  EXPECT_EQ(loaded.Header, (TStringList{u"only"}));
  EXPECT_EQ(loaded.Formats().BooleanTrue(), u"true");
  EXPECT_EQ(loaded.Formats().DecimalSeparator, u'!');
}

TEST_F(TesselTextTest, MissingKeysKeepTheCurrentValues) {
  fs::path file = dir_ / "empty.ini";
  exporter_.FileName = "keep.csv";
  exporter_.ExportRecCount = 9;
  exporter_.Formats().SetBooleanTrue(u"yes");
  settings::LoadFromFile(exporter_, file);
  EXPECT_EQ(exporter_.FileName, "keep.csv");
  EXPECT_EQ(exporter_.ExportRecCount, 9);
  EXPECT_EQ(exporter_.Formats().BooleanTrue(), u"yes");
}

TEST(TesselFormatTextSQLTest, SavesPatternsWithoutSeparatorsOrCaptions) {
  fs::path dir = test::MakeTempDir("verimo-sql-settings");
  LineExporter<TTesselFormatTextSQL> saved;
  saved.Formats().SetDateFormat(u"yyyy-mm-dd");
  saved.Formats().SetNullString(u"NULL");
  saved.UserFormats = {u"Id=0"};
  settings::SaveToFile(saved, dir / "sql.ini");
  TTesselIniFile ini(dir / "sql.ini");
  EXPECT_FALSE(ini.ValueExists(u"FORMATS", u"DecimalSeparator"));
  EXPECT_FALSE(ini.ValueExists(u"FORMATS", u"KeepOriginalFormat"));
  EXPECT_FALSE(ini.SectionExists(u"CAPTIONS"));
  LineExporter<TTesselFormatTextSQL> loaded;
  settings::LoadFromFile(loaded, dir / "sql.ini");
  EXPECT_EQ(loaded.Formats().DateFormat(), u"yyyy-mm-dd");
  EXPECT_EQ(loaded.Formats().NullString(), u"NULL");
  EXPECT_EQ(loaded.UserFormats, saved.UserFormats);
  fs::remove_all(dir);
}

TEST(TesselMemoryTest, PutsTheExportedTextOnTheClipboard) {
  TMemDataSet data;
  FillPeople(data);
  LineExporter<TTesselMemory> exporter;
  exporter.DataSet = &data;
  exporter.SetOutputEncoding(oeUTF16);
  EXPECT_THROW(exporter.Execute(), Exception);

  TMemoryClipboard clipboard;
  exporter.Clipboard = &clipboard;
  exporter.Execute();
  EXPECT_EQ(clipboard.GetText().substr(0, 6), u"1|Ayşe");
  EXPECT_NE(clipboard.GetText().find(u"Çağrı"), WideString::npos);

  clipboard.SetText(u"before");
  exporter.OnExportedRecord = [](TTessel&, int) { throw Exception("stop"); };
  EXPECT_THROW(exporter.Execute(), Exception);
  EXPECT_EQ(clipboard.GetText(), u"before");
}

TEST(TesselDatabaseTest, RunsTheExportWithoutAStreamThenShowsTheResult) {
  class Target : public TTesselDatabase {
   public:
    void WriteDataRow() override { ++rows; }
    void ShowResult() override { ++shown; }
    int rows = 0;
    int shown = 0;
  };
  TMemDataSet data;
  FillPeople(data);
  Target exporter;
  exporter.DataSet = &data;
  exporter.Execute();
  EXPECT_EQ(exporter.rows, 2);
  EXPECT_EQ(exporter.shown, 1);
}

}  // namespace
}  // namespace verimo
