#include "engine/TesselIniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "core/Exception.h"
#include "platform/codepage/CodePage.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

class TesselIniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemCodePage(TSystemCodePage::Ansi, 1254);
    dir_ = test::MakeTempDir("verimo-ini");
    path_ = dir_ / "settings.ini";
  }
  void TearDown() override {
    SetSystemCodePage(TSystemCodePage::Ansi, 0);
    fs::remove_all(dir_);
  }

  std::string FileBytes() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }
  void WriteFileBytes(const std::string& bytes) const {
    std::ofstream out(path_, std::ios::binary);
    out << bytes;
  }

  fs::path dir_;
  fs::path path_;
};

TEST_F(TesselIniFileTest, MissingFileReadsDefaultsAndCreatesNothing) {
  TTesselIniFile ini(path_);
  EXPECT_EQ(ini.ReadString(u"GENERAL", u"FileName", u"x.csv"), u"x.csv");
  EXPECT_EQ(ini.ReadInteger(u"GENERAL", u"ExportType", 8), 8);
  EXPECT_TRUE(ini.ReadBool(u"GENERAL", u"ShowFile", true));
  EXPECT_FALSE(ini.SectionExists(u"GENERAL"));
  ini.ReadVersion();
  EXPECT_EQ(ini.Version, 0);
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(TesselIniFileTest, WritesGoStraightToTheFileInProfileSyntax) {
  TTesselIniFile ini(path_);
  ini.Version = 400;
  ini.WriteVersion();
  ini.WriteString(u"GENERAL", u"FileName", u"/tmp/out.csv");
  ini.WriteBool(u"GENERAL", u"ShowFile", true);
  ini.WriteInteger(u"GENERAL", u"ExportRecCount", -5);
  EXPECT_EQ(FileBytes(),
            "[IniVersion]\r\nNumber=400\r\n\r\n"
            "[GENERAL]\r\nFileName=/tmp/out.csv\r\nShowFile=1\r\nExportRecCount=-5\r\n\r\n");
}

TEST_F(TesselIniFileTest, NamesAreCaseInsensitiveAndLaterWritesReplaceTheValue) {
  TTesselIniFile ini(path_);
  ini.WriteString(u"General", u"FileName", u"a");
  ini.WriteString(u"GENERAL", u"filename", u"b");
  EXPECT_EQ(ini.ReadString(u"general", u"FILENAME", u""), u"b");
  EXPECT_TRUE(ini.ValueExists(u"GENERAL", u"FileName"));
  EXPECT_FALSE(ini.ValueExists(u"GENERAL", u"Other"));
  TStringList sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections, (TStringList{u"General"}));
}

TEST_F(TesselIniFileTest, IntegerAndBooleanRules) {
  WriteFileBytes(
      "[A]\r\nn=  42 \r\nbad=4x\r\nbig=99999999999\r\nyes=7\r\nno=0\r\nword=true\r\nempty=\r\n");
  TTesselIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger(u"A", u"n", 0), 42);
  EXPECT_EQ(ini.ReadInteger(u"A", u"bad", -1), -1);
  EXPECT_EQ(ini.ReadInteger(u"A", u"big", -1), -1);
  EXPECT_EQ(ini.ReadInteger(u"A", u"empty", 3), 3);
  EXPECT_TRUE(ini.ReadBool(u"A", u"yes", false));
  EXPECT_FALSE(ini.ReadBool(u"A", u"no", true));
  EXPECT_TRUE(ini.ReadBool(u"A", u"word", true));
  EXPECT_FALSE(ini.ReadBool(u"A", u"word", false));
}

TEST_F(TesselIniFileTest, ValuesWithBlanksQuotesAndAnyLengthSurviveAReload) {
  const WideString longValue(5000, u'x');
  const std::vector<WideString> values = {u" ",       u"  indented header", u"trailing  ", u"\"quoted\"",
                                          u"'single'", u"a\"b",              u"=x=y",       u"",
                                          longValue,   u"\t tab"};
  {
    TTesselIniFile ini(path_);
    for (size_t i = 0; i < values.size(); ++i) ini.WriteString(u"S", u"k" + IntToWide(static_cast<long long>(i)), values[i]);
  }
  TTesselIniFile reloaded(path_);
  for (size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(reloaded.ReadString(u"S", u"k" + IntToWide(static_cast<long long>(i)), u"?"), values[i]) << i;
}

TEST_F(TesselIniFileTest, ReadsFilesWrittenByOtherTools) {
  WriteFileBytes(
      "junk before any section\n"
      "  [ First ]  \n"
      "  Key One =  value with = inside  \r"
      "no equals sign\r\n"
      "Key One=second wins not\r\n"
      "[Second]\r\n"
      "q=\"  kept  \"\r\n"
      "[first]\r\n"
      "Extra=merged\r\n");
  TTesselIniFile ini(path_);
  EXPECT_EQ(ini.ReadString(u"First", u"Key One", u""), u"value with = inside");
  EXPECT_EQ(ini.ReadString(u"Second", u"q", u""), u"  kept  ");
  EXPECT_EQ(ini.ReadString(u"FIRST", u"Extra", u""), u"merged");
  TStringList keys;
  ini.ReadSection(u"first", keys);
  EXPECT_EQ(keys, (TStringList{u"Key One", u"Extra"}));
}

TEST_F(TesselIniFileTest, PlainStringsPassThroughTheAnsiCodePage) {
  {
    TTesselIniFile ini(path_);
    ini.WriteString(u"S", u"tr", u"şğİ");
    ini.WriteString(u"S", u"ru", u"Жx");
  }
  EXPECT_NE(FileBytes().find("tr=\xFE\xF0\xDD\r\n"), std::string::npos);
  TTesselIniFile ini(path_);
  EXPECT_EQ(ini.ReadString(u"S", u"tr", u""), u"şğİ");
  EXPECT_EQ(ini.ReadString(u"S", u"ru", u""), u"?x");
}

TEST_F(TesselIniFileTest, Version400FilesKeepPlainStringsTheCodePageCannotHold) {
  {
    TTesselIniFile ini(path_);
    ini.Version = 400;
    ini.WriteString(u"S", u"tr", u"şğİ");
    ini.WriteString(u"S", u"ru", u"/tmp/Отчёт.csv");
  }
  std::string bytes = FileBytes();
  EXPECT_NE(bytes.find("tr=\xFE\xF0\xDD\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("ru=/tmp/\xD0\x9E"), std::string::npos);
  TTesselIniFile ini(path_);
  ini.Version = 400;
  EXPECT_EQ(ini.ReadString(u"S", u"tr", u""), u"şğİ");
  EXPECT_EQ(ini.ReadString(u"S", u"ru", u""), u"/tmp/Отчёт.csv");
  TStringList values;
  ini.ReadSectionValues(u"S", values);
  EXPECT_EQ(values, (TStringList{u"tr=şğİ", u"ru=/tmp/Отчёт.csv"}));
}

TEST_F(TesselIniFileTest, WideTextsFollowTheFileVersion) {
  {
    TTesselIniFile ini(path_);
    ini.Version = 400;
    ini.WriteVersion();
    ini.WriteWideString(u"HEADER", u"line0", u"ş");
    ini.WriteWideString(u"HEADER", u"line1", u" Жж and 日本 ");
  }
  EXPECT_NE(FileBytes().find("line0=\xC5\x9F\r\n"), std::string::npos);

  TTesselIniFile ini(path_);
  ini.ReadVersion();
  EXPECT_EQ(ini.Version, 400);
  EXPECT_EQ(ini.ReadWideString(u"HEADER", u"line0", u""), u"ş");
  EXPECT_EQ(ini.ReadWideString(u"HEADER", u"missing", u"dflt"), u"dflt");
  TStringList lines;
  ini.ReadWideSectionValues(u"HEADER", lines);
  EXPECT_EQ(lines, (TStringList{u"line0=ş", u"line1= Жж and 日本 "}));

  // Without the version section the same bytes are plain ANSI text.
  ini.EraseSection(u"IniVersion");
  TTesselIniFile old(path_);
  old.ReadVersion();
  EXPECT_EQ(old.Version, 0);
  EXPECT_EQ(old.ReadWideString(u"HEADER", u"line0", u""), DecodeFromCodePage("\xC5\x9F", 1254));
}

TEST_F(TesselIniFileTest, SeparatorCharactersRoundTripInTheCharacterNotation) {
  EXPECT_EQ(CharToIniText(u';'), u";");
  EXPECT_EQ(CharToIniText(u' '), u"#32");
  EXPECT_EQ(CharToIniText(0), u"#0");
  EXPECT_EQ(CharToIniText(u'\t'), u"#9");
  EXPECT_EQ(CharToIniText(0x2009), u"#8201");
  EXPECT_EQ(IniTextToChar(u""), 0);
  EXPECT_EQ(IniTextToChar(u"#"), u'#');
  EXPECT_EQ(IniTextToChar(u"#44"), u',');
  EXPECT_EQ(IniTextToChar(u"ab"), 0);
  EXPECT_EQ(IniTextToChar(u"#70000"), 0);
  EXPECT_EQ(IniTextToChar(u"#-1"), 0);

  const std::u16string chars = {u',', u' ', 0, u'\t', u'#', 0x00A0, 0x202F, u'"', u'\''};
  {
    TTesselIniFile ini(path_);
    for (size_t i = 0; i < chars.size(); ++i) ini.WriteChar(u"C", u"c" + IntToWide(static_cast<long long>(i)), chars[i]);
  }
  TTesselIniFile ini(path_);
  for (size_t i = 0; i < chars.size(); ++i)
    EXPECT_EQ(ini.ReadChar(u"C", u"c" + IntToWide(static_cast<long long>(i)), u'?'), chars[i]) << i;
}

TEST_F(TesselIniFileTest, ReadCharKeepsTheDefaultForMissingOrEmptyAndTakesTheFirstCharacter) {
  WriteFileBytes("[F]\r\nempty=\r\nword=.,\r\nhash=#x\r\n");
  TTesselIniFile ini(path_);
  EXPECT_EQ(ini.ReadChar(u"F", u"missing", u'.'), u'.');
  EXPECT_EQ(ini.ReadChar(u"F", u"empty", u'.'), u'.');
  EXPECT_EQ(ini.ReadChar(u"F", u"word", u'?'), u'.');
  EXPECT_EQ(ini.ReadChar(u"F", u"hash", u'?'), u'#');
}

TEST_F(TesselIniFileTest, SectionOperations) {
  TTesselIniFile ini(path_);
  ini.WriteString(u"FIELDS", u"field0", u"Id");
  ini.WriteString(u"FIELDS", u"field1", u"Name");
  ini.WriteString(u"XLS", u"SheetTitle", u"t");
  ini.DeleteKey(u"FIELDS", u"FIELD1");
  TStringList values;
  ini.ReadSectionValues(u"fields", values);
  EXPECT_EQ(values, (TStringList{u"field0=Id"}));
  EXPECT_TRUE(ini.SectionExists(u"xls"));
  ini.EraseSection(u"Xls");
  EXPECT_FALSE(ini.SectionExists(u"XLS"));
  EXPECT_EQ(TTesselIniFile(path_).ReadString(u"XLS", u"SheetTitle", u"gone"), u"gone");
  ini.EraseAllSections();
  EXPECT_EQ(FileBytes(), "");
}

TEST_F(TesselIniFileTest, UnrepresentableNamesAndValuesAreRefused) {
  TTesselIniFile ini(path_);
  EXPECT_THROW(ini.WriteString(u"S", u"a=b", u"v"), Exception);
  EXPECT_THROW(ini.WriteString(u"S", u"", u"v"), Exception);
  EXPECT_THROW(ini.WriteString(u"S", u"[k]", u"v"), Exception);
  EXPECT_THROW(ini.WriteString(u"S]", u"k", u"v"), Exception);
  EXPECT_THROW(ini.WriteString(u"S", u"k", u"two\r\nlines"), Exception);
  EXPECT_THROW(ini.WriteWideString(u"S", u"k", u"lf\n"), Exception);
  ini.WriteString(u"S", u"ok", u"v");
  EXPECT_EQ(TTesselIniFile(path_).ReadString(u"S", u"ok", u""), u"v");
  EXPECT_FALSE(ini.ValueExists(u"S", u"k"));
}

TEST_F(TesselIniFileTest, AWriteThatCannotReachTheFileRaises) {
  TTesselIniFile missingDir(dir_ / "no" / "such" / "dir.ini");
  EXPECT_THROW(missingDir.WriteString(u"S", u"k", u"v"), Exception);

  if (geteuid() != 0) {
    fs::path readOnly = dir_ / "ro";
    fs::create_directory(readOnly);
    chmod(readOnly.c_str(), 0500);
    TTesselIniFile ini(readOnly / "s.ini");
    EXPECT_THROW(ini.EraseAllSections(), Exception);
    chmod(readOnly.c_str(), 0700);
  }
}

}  // namespace
}  // namespace verimo
