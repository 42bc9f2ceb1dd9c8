// Nothing is lost on real tables: the code page a table is read in, the code
// pages exports are written in, binary values, wide numbers and blank
// logicals, on tables pxlib writes for each test, read back by independent
// readers (Python, LibreOffice, xmllint, sqlite3, PostgreSQL, MariaDB,
// dbfread).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "formats/text/SqlServers.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

// The Cyrillic records of the tests' tables, in code page 866, and the
// letters they hold.
const char kPrivetMir866[] = "\x8f\xe0\xa8\xa2\xa5\xe2\x2c\x20\xac\xa8\xe0";                // Привет, мир
const char kYolka866[] = "\xf0\xab\xaa\xa0\x20\x86\x87\x88\x89\x20\xe9\xea\xeb\xec";         // Ёлка ЖЗИЙ щъыь
const char kEyuya866[] = "\xed\xee\xef\x20\x9d\x9e\x9f";                                     // эюя ЭЮЯ
const char* const kCyrillicTexts[] = {"Привет, мир", "Ёлка ЖЗИЙ щъыь", "эюя ЭЮЯ"};
constexpr int kCyrillicLetters = 9 + 12 + 6;

using Result = test::CommandResult;
using test::ReadFile;

std::string Quoted(const fs::path& path) { return test::ShellQuote(path.string()); }

// The binary table's bytes (see PxlibMakeTable.c): every byte value, as
// upper-case hexadecimal from `first`, `count` of them.
std::string PatternHex(int first, int count) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (int i = first; i < first + count; ++i) {
    const unsigned byte = static_cast<unsigned>(i * 7 + 3) & 0xFF;
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

class LossTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-loss"); }
  void TearDown() override {
    if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  Result Run(const std::string& arguments, const std::string& locale = "en_US.UTF-8") {
    return test::RunCapturing("LC_ALL= LANG=" + locale + " " + std::string(VERIMO_CLI) + " " + arguments,
                              dir_ / "stderr.txt");
  }

  // Runs /usr/bin/python3 on `script` with the arguments; its output.
  std::string Python(const std::string& script, const std::string& arguments) {
    const fs::path file = dir_ / "check.py";
    std::ofstream(file) << script;
    std::string output;
    const int status = test::RunCommand("/usr/bin/python3 " + Quoted(file) + " " + arguments + " 2>&1", &output);
    return status == 0 ? output : "python failed: " + output;
  }

  fs::path MakeTable(const std::string& mode, const std::vector<std::string>& texts, const std::string& name) {
    const fs::path table = dir_ / name;
    std::string command = test::ShellQuote(VERIMO_PXLIB_MAKE) + " " + mode + " " + Quoted(table);
    for (const std::string& text : texts) command += " " + test::ShellQuote(text);
    EXPECT_EQ(test::RunCommand(command), 0) << command;
    return table;
  }

  fs::path CyrillicTable() { return MakeTable("texts", {"866", kPrivetMir866, kYolka866, kEyuya866}, "KIRIL.DB"); }
  fs::path BinaryTable() { return MakeTable("binary", {(dir_ / "BINARY.MB").string()}, "BINARY.DB"); }

  fs::path dir_;
};

TEST_F(LossTest, ATableThatNamesNoCodePageIsReadInTheCodePageOfTheRun) {
  const fs::path table = MakeTable("old", {kPrivetMir866, "abc"}, "OLD.DB");
  Result info = Run("info --codepage 1251 " + Quoted(table));
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("Version:     3.0"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("Code page:   866 (the table names none: the run's OEM code page)\n"), std::string::npos)
      << info.out;
  EXPECT_NE(info.out.find("Export code pages: 1251 (ANSI), 866 (OEM), 10007 (Mac)"), std::string::npos) << info.out;
  Result dump = Run("dump --codepage 1251 " + Quoted(table));
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_EQ(dump.out, "Id\tText\n1\tПривет, мир\n2\tabc\n");
  // Without a code page of its own or the user's, the locale's OEM one.
  EXPECT_NE(Run("info " + Quoted(table)).out.find("Code page:   437 (the table names none"), std::string::npos);
}

TEST_F(LossTest, TableCodePageReadsATableWhoseHeaderNamesTheWrongOne) {
  // Turkish bytes (1254) in a table whose header says 1252.
  const fs::path table = MakeTable("texts", {"1252", "\xde\x69\xfe\x6c\x69\x20\xf0\xfc\xdd\xfd"}, "YANLIS.DB");
  EXPECT_EQ(Run("dump " + Quoted(table)).out, "Id\tText\n1\tÞiþli ðüÝý\n");
  Result dump = Run("dump --table-codepage 1254 " + Quoted(table));
  EXPECT_EQ(dump.out, "Id\tText\n1\tŞişli ğüİı\n") << dump.err;
  Result info = Run("info --table-codepage 1254 " + Quoted(table));
  EXPECT_NE(info.out.find("Code page:   1254 (--table-codepage; the table names 1252)\n"), std::string::npos)
      << info.out;
  // The export's code pages follow the code page the table is read in.
  EXPECT_NE(info.out.find("Export code pages: 1254 (ANSI), 857 (OEM), 10081 (Mac)"), std::string::npos) << info.out;
  Result csv = Run("export --quiet --table-codepage 1254 " + Quoted(table) + " " + Quoted(dir_ / "out.csv"));
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.err, "");
  EXPECT_EQ(Python("import csv, sys\nprint(list(csv.reader(open(sys.argv[1], encoding='cp1254', newline='')))[1][1])",
                   Quoted(dir_ / "out.csv")),
            "Şişli ğüİı\n");
  EXPECT_EQ(Run("dump --table-codepage 4242 " + Quoted(table)).status, 2);
}

// Under a UTF-8 locale of another script the run's code pages follow the
// table's, so the ANSI and OEM outputs keep every letter.
TEST_F(LossTest, ACyrillicTableUnderAWesternUtf8LocaleKeepsEveryLetter) {
  const fs::path table = CyrillicTable();
  for (const char* type : {"csv", "dif", "slk", "dbf", "txt"}) {
    Result result = Run("export --quiet " + Quoted(table) + " " + Quoted(dir_ / ("out." + std::string(type))));
    ASSERT_EQ(result.status, 0) << type << ": " << result.err;
    EXPECT_EQ(result.err, "") << type;
    EXPECT_EQ(ReadFile(dir_ / ("out." + std::string(type))).find('?'), std::string::npos) << type;
  }
  // Python reads each file in the code page its format is written in.
  const std::string script = R"PY(
import csv, sys
folder = sys.argv[1]
seen = {}
seen['csv'] = [row[1] for row in csv.reader(open(folder + '/out.csv', encoding='cp1251', newline=''))][1:]
dif = open(folder + '/out.dif', encoding='cp866', newline='').read().split('\r\n')
seen['dif'] = [dif[i + 1].strip('"') for i in range(len(dif) - 1) if dif[i] == '1,0'][2:]
slk = open(folder + '/out.slk', encoding='cp1251', newline='').read().split('\r\n')
seen['slk'] = [line.split(';K', 1)[1].strip('"') for line in slk if line.startswith('C;X2;Y') and not line.startswith('C;X2;Y1;')]
import re
txt = [re.match(r'\s*\d+ (.*)', line) for line in open(folder + '/out.txt', encoding='utf-8-sig', newline='').read().split('\r\n')]
seen['txt'] = [match.group(1).rstrip() for match in txt if match]
import dbfread
table = dbfread.DBF(folder + '/out.dbf', char_decode_errors='strict')
seen['dbf ' + table.encoding] = [record['TEXT'] for record in table]
for kind, texts in seen.items():
    print(kind, '|'.join(texts))
)PY";
  const std::string all = std::string(kCyrillicTexts[0]) + "|" + kCyrillicTexts[1] + "|" + kCyrillicTexts[2];
  const std::string read = Python(script, Quoted(dir_));
  for (const char* kind : {"csv", "dif", "slk", "txt", "dbf cp1251"})
    EXPECT_NE(read.find(std::string(kind) + " " + all + "\n"), std::string::npos) << kind << "\n" << read;

  // LibreOffice reads the CSV as the Windows Cyrillic text it is.
  const fs::path converted = dir_ / "lo";
  std::string log;
  test::RunCommand("soffice -env:UserInstallation=file://" + (dir_ / "lo-profile").string() +
                       " --headless --infilter='Text - txt - csv (StarCalc):44,34,34' --convert-to "
                       "'csv:Text - txt - csv (StarCalc):44,34,76' --outdir " +
                       Quoted(converted) + " " + Quoted(dir_ / "out.csv") + " >/dev/null 2>&1",
                   &log);
  if (!fs::exists(converted / "out.csv")) GTEST_SKIP() << "LibreOffice converted nothing; is soffice installed?";
  const std::string office = ReadFile(converted / "out.csv");
  for (const char* text : kCyrillicTexts) EXPECT_NE(office.find(text), std::string::npos) << office;
}

TEST_F(LossTest, ACodePageWithoutTheLettersWarnsPerFieldAndStrictKeepsTheEarlierFile) {
  const fs::path table = CyrillicTable();
  const std::string warning = "warning: field \"Text\": " + std::to_string(kCyrillicLetters) +
                              " characters cannot be written in code page 1252 and were written as ?\n";
  for (const char* type : {"csv", "dbf", "slk"}) {
    const fs::path target = dir_ / ("forced." + std::string(type));
    Result result = Run("export --quiet --codepage 1252 " + Quoted(table) + " " + Quoted(target));
    EXPECT_EQ(result.status, 0) << type << ": " << result.err;
    EXPECT_EQ(result.err, warning) << type;
  }
  // DIF is written in the OEM code page, 437 beside 1252.
  Result dif = Run("export --quiet --codepage 1252 " + Quoted(table) + " " + Quoted(dir_ / "forced.dif"));
  EXPECT_NE(dif.err.find("in code page 437 and were written as ?"), std::string::npos) << dif.err;

  const fs::path target = dir_ / "kept.csv";
  std::ofstream(target) << "the earlier file\n";
  Result strict = Run("export --strict --codepage 1252 " + Quoted(table) + " " + Quoted(target));
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find(warning), std::string::npos) << strict.err;
  EXPECT_NE(strict.err.find("--strict: the export would change values"), std::string::npos) << strict.err;
  EXPECT_EQ(ReadFile(target), "the earlier file\n");
  std::vector<std::string> left;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir_))
    if (entry.path().filename().string().starts_with(".")) left.push_back(entry.path().filename().string());
  EXPECT_TRUE(left.empty()) << left.front();

  // The dialog's saved settings run under --strict the same way.
  const fs::path settings = dir_ / "dialog.cfg";
  std::ofstream(settings) << "[GENERAL]\r\nExportType=8\r\nFileName=" << target.string() << "\r\n";
  Result dialog = Run("export --strict --quiet --codepage 1252 --settings " + Quoted(settings) + " " + Quoted(table));
  EXPECT_EQ(dialog.status, 1);
  EXPECT_NE(dialog.err.find(warning), std::string::npos) << dialog.err;
  EXPECT_EQ(ReadFile(target), "the earlier file\n");
  // Without --strict the dialog's run writes it and warns.
  Result written = Run("export --quiet --codepage 1252 --settings " + Quoted(settings) + " " + Quoted(table));
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(written.err, warning);
  EXPECT_NE(ReadFile(target), "the earlier file\n");
}

std::string RemoveAll(std::string text, const std::string& part) {
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) text.erase(at, part.size());
  return text;
}

// Binary values are hexadecimal text in every text format; no format gets
// a byte it cannot hold; a memo ends at its NUL.
TEST_F(LossTest, BinaryValuesReachEveryTextFormatAsHexadecimalText) {
  const fs::path table = BinaryTable();
  for (const char* type : {"csv", "txt", "dif", "slk", "html", "xml", "sql", "tex"}) {
    const fs::path target = dir_ / ("out." + std::string(type));
    Result result = Run("export --quiet " + Quoted(table) + " " + Quoted(target));
    ASSERT_EQ(result.status, 0) << type << ": " << result.err;
    std::string content = ReadFile(target);
    // LaTeX marks where a word wider than its column may break.
    if (type == std::string("tex")) content = RemoveAll(content, "\\allowbreak{}");
    // A TXT column is at most 255 characters wide; what it cuts is said.
    EXPECT_EQ(result.err, type == std::string("txt")
                              ? "warning: field \"Pic\": 2 values were cut to the column's 255 characters\n"
                                "warning: field \"Data\": 2 values were cut to the column's 255 characters\n"
                              : "")
        << type;
    EXPECT_EQ(content.find('\0'), std::string::npos) << type;
    EXPECT_NE(content.find("0001FF007F0A"), std::string::npos) << type;
    EXPECT_NE(content.find(PatternHex(0, 40)), std::string::npos) << type;
    EXPECT_EQ(content.find("eski metin"), std::string::npos) << type << ": the memo goes on after its NUL";
  }
  std::string lint;
  EXPECT_EQ(test::RunCommand("xmllint --noout " + Quoted(dir_ / "out.xml") + " 2>&1", &lint), 0) << lint;
  EXPECT_EQ(test::RunCommand("xmllint --html --noout " + Quoted(dir_ / "out.html") + " 2>&1", &lint), 0) << lint;
  EXPECT_EQ(lint, "");

  // The whole values, as the readers see them.
  const std::string script = R"PY(
import csv, sys, xml.etree.ElementTree as ET
folder = sys.argv[1]
rows = list(csv.reader(open(folder + '/out.csv', encoding='cp1252', newline='')))
print('csv', rows[1][1:6], rows[2][5])
root = ET.parse(folder + '/out.xml').getroot()
row = root.find('ROWDATA').findall('ROW')[1]
print('xml', [row.get(name) for name in ('Notes', 'Raw')], len(row.get('Data')))
)PY";
  const std::string read = Python(script, Quoted(dir_));
  EXPECT_NE(read.find("csv ['Satir bir\\r\\nsatir iki', '0001FF007F0A', '" + PatternHex(0, 300) + "', '" +
                      PatternHex(0, 512) + "', '" + PatternHex(0, 40) + "'] " + PatternHex(1, 40) + "\n"),
            std::string::npos)
      << read;
  EXPECT_NE(read.find("xml ['Satir bir\\r\\nsatir iki', '100000000000'] 1022\n"), std::string::npos) << read;
}

// A script of each tested dialect, run in its server, stores the bytes the
// table holds.
TEST_F(LossTest, SqlScriptsStoreTheBinaryValuesBytes) {
  const fs::path table = BinaryTable();
  const fs::path settings = dir_ / "sql.cfg";
  std::ofstream(settings) << "[SQL]\r\nCreateTable=1\r\n[FIELDS]\r\nfield0=Id\r\nfield1=Raw\r\nfield2=Pic\r\n"
                             "field3=Data\r\nfield4=Ole\r\nfield5=Notes\r\n";
  const std::string expected = "1|0001FF007F0A|" + PatternHex(0, 300) + "|" + PatternHex(0, 512) + "|" +
                               PatternHex(0, 40) + "|Satir bir\r\nsatir iki\n" + "2|100000000000|" +
                               PatternHex(0, 301) + "|" + PatternHex(0, 511) + "|" + PatternHex(1, 40) +
                               "|Satir bir\r\nsatir iki\n";
  auto exportScript = [&](const std::string& dialect) {
    const fs::path script = dir_ / ("blobs_" + dialect + ".sql");
    Result result = Run("export --quiet --sql-dialect " + dialect + " --settings " + Quoted(settings) + " " +
                        Quoted(table) + " " + Quoted(script));
    EXPECT_EQ(result.status, 0) << dialect << ": " << result.err;
    return script;
  };

  std::string output;
  const fs::path ansi = exportScript("ansi");
  ASSERT_EQ(test::RunCommand("sqlite3 -bail " + Quoted(dir_ / "blobs.sqlite") + " < " + Quoted(ansi) + " 2>&1", &output),
            0)
      << output;
  ASSERT_EQ(test::RunCommand("sqlite3 -separator '|' " + Quoted(dir_ / "blobs.sqlite") +
                                 " 'SELECT \"Id\", hex(\"Raw\"), hex(\"Pic\"), hex(\"Data\"), hex(\"Ole\"), \"Notes\" "
                                 "FROM \"BLOBS_ANSI\" WHERE \"Raw\" IS NOT NULL ORDER BY 1' 2>&1",
                             &output),
            0)
      << output;
  // The sqlite3 shell reads a script's lines without the CR of their CR LF,
  // the one inside the ANSI literal too.
  std::string withoutCr = expected;
  withoutCr.erase(std::remove(withoutCr.begin(), withoutCr.end(), '\r'), withoutCr.end());
  EXPECT_EQ(output, withoutCr);

  std::string why;
  if (std::unique_ptr<test::TSqlServer> postgres = test::StartPostgres(why)) {
    ASSERT_TRUE(postgres->RunScript(exportScript("pg"), output)) << output;
    ASSERT_TRUE(postgres->Query("SELECT \"Id\" || '|' || upper(encode(\"Raw\", 'hex')) || '|' || upper(encode(\"Pic\", "
                                "'hex')) || '|' || upper(encode(\"Data\", 'hex')) || '|' || upper(encode(\"Ole\", 'hex')) "
                                "|| '|' || \"Notes\" FROM \"BLOBS_PG\" WHERE \"Raw\" IS NOT NULL ORDER BY \"Id\"",
                                output))
        << output;
    EXPECT_EQ(output, expected);
  } else {
    std::cout << "PostgreSQL not checked: " << why << "\n";
  }
  if (std::unique_ptr<test::TSqlServer> mariadb = test::StartMariaDB(why)) {
    ASSERT_TRUE(mariadb->RunScript(exportScript("my"), output)) << output;
    ASSERT_TRUE(mariadb->Query("SELECT CONCAT_WS('|', `Id`, HEX(`Raw`), HEX(`Pic`), HEX(`Data`), HEX(`Ole`), `Notes`) "
                               "FROM `BLOBS_MY` WHERE `Raw` IS NOT NULL ORDER BY `Id`",
                               output))
        << output;
    EXPECT_EQ(output, expected);
  } else {
    std::cout << "MariaDB not checked: " << why << "\n";
  }
}

// A 12-digit BCD keeps its digits in its dBASE field; a field made too
// narrow on purpose warns and fails under --strict.
TEST_F(LossTest, WideNumbersFitTheirDbfFieldOrAreCountedPerField) {
  const fs::path table = BinaryTable();
  const fs::path settings = dir_ / "dbf.cfg";
  std::ofstream(settings) << "[FIELDS]\r\nfield0=Id\r\nfield1=Amount\r\nfield2=Flag\r\n";
  Result result = Run("export --quiet --settings " + Quoted(settings) + " " + Quoted(table) + " " +
                      Quoted(dir_ / "amounts.dbf"));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  std::ofstream(dir_ / "jobs.json")
      << R"([{"file": ")" << (dir_ / "amounts.dbf").string()
      << R"(", "encoding": "cp1252", "readers": ["dbfread", "dbf"],
  "fields": [{"name": "ID", "type": "N"}, {"name": "AMOUNT", "type": "N", "decimals": 2}, {"name": "FLAG", "type": "L"}],
  "expected": [["1", "123456789012.34", true], ["2", "-98765432109.99", null], ["3", null, false]]}])";
  std::string output;
  EXPECT_EQ(test::RunCommand("/usr/bin/python3 " +
                                 Quoted(test::SourceDir() / "tests" / "formats" / "database" / "read_back_dbf.py") + " " +
                                 Quoted(dir_ / "jobs.json") + " 2>&1",
                             &output),
            0)
      << output;
  const std::string header = ReadFile(dir_ / "amounts.dbf").substr(32 + 32, 32);
  EXPECT_EQ(header[16], 20) << "AMOUNT's length";
  EXPECT_EQ(header[17], 2) << "AMOUNT's decimals";

  std::ofstream(settings, std::ios::app) << "[PRECISION]\r\nline0=Amount=10,2\r\n";
  const std::string warning = "warning: field \"Amount\": 2 numbers do not fit N(10,2) and were written as *\n";
  Result narrow = Run("export --quiet --settings " + Quoted(settings) + " " + Quoted(table) + " " +
                      Quoted(dir_ / "narrow.dbf"));
  EXPECT_EQ(narrow.status, 0) << narrow.err;
  EXPECT_EQ(narrow.err, warning);
  Result strict = Run("export --quiet --strict --settings " + Quoted(settings) + " " + Quoted(table) + " " +
                      Quoted(dir_ / "strict.dbf"));
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find(warning), std::string::npos) << strict.err;
  EXPECT_FALSE(fs::exists(dir_ / "strict.dbf"));
}

// An Access Yes/No column has no blank: the blank becomes No, with a
// warning, or fails the run under --strict (the database then unchanged).
TEST_F(LossTest, ABlankLogicalStoredAsNoInAccessIsWarned) {
  const fs::path table = BinaryTable();
  const fs::path settings = dir_ / "access.cfg";
  std::ofstream(settings) << "[FIELDS]\r\nfield0=Id\r\nfield1=Flag\r\n";
  const std::string warning = "warning: field \"Flag\": 1 blank value was stored as No\n";
  Result result = Run("export --quiet --settings " + Quoted(settings) + " " + Quoted(table) + " " + Quoted(dir_ / "out.mdb"));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, warning);
  std::string rows;
  if (test::RunCommand("mdb-export " + Quoted(dir_ / "out.mdb") + " EXPORT_TABLE 2>&1", &rows) == 0)
    EXPECT_EQ(rows, "Id,Flag\n1,1\n2,0\n3,0\n");
  else
    std::cout << "mdbtools not checked: " << rows << "\n";
  Result strict = Run("export --quiet --strict --settings " + Quoted(settings) + " " + Quoted(table) + " " +
                      Quoted(dir_ / "strict.mdb"));
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find(warning), std::string::npos) << strict.err;
  EXPECT_FALSE(fs::exists(dir_ / "strict.mdb"));
}

// Characters a format forbids are left out and counted.
TEST_F(LossTest, ControlCharactersLeftOutOfMarkupAreCounted) {
  const fs::path table = MakeTable("texts", {"1252", "bell\x07" "and\x01tab\tkept", "plain"}, "CONTROLS.DB");
  for (const auto& [type, format] : {std::pair{"xml", "XML"}, {"html", "HTML"}, {"tex", "LaTeX"}}) {
    Result result = Run("export --quiet " + Quoted(table) + " " + Quoted(dir_ / ("out." + std::string(type))));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "warning: field \"Text\": 2 characters that " + std::string(format) +
                              " does not allow were left out\n");
  }
  std::string lint;
  EXPECT_EQ(test::RunCommand("xmllint --noout " + Quoted(dir_ / "out.xml") + " 2>&1", &lint), 0) << lint;
  EXPECT_EQ(test::RunCommand("xmllint --html --noout " + Quoted(dir_ / "out.html") + " 2>&1", &lint), 0) << lint;
  EXPECT_EQ(lint, "");
  EXPECT_NE(ReadFile(dir_ / "out.html").find("bellandtab\tkept"), std::string::npos);
}

// TeX's default fonts have no Cyrillic letters: each is written as "?",
// counted, and fails the run under --strict.
TEST_F(LossTest, LettersTheLaTeXFontsCannotSetAreCounted) {
  const fs::path table = CyrillicTable();
  const std::string warning = "warning: field \"Text\": " + std::to_string(kCyrillicLetters) +
                              " characters that LaTeX's fonts cannot set were written as ?\n";
  Result result = Run("export --quiet " + Quoted(table) + " " + Quoted(dir_ / "out.tex"));
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, warning);
  EXPECT_NE(ReadFile(dir_ / "out.tex").find("??????, ???"), std::string::npos);

  Result strict = Run("export --quiet --strict " + Quoted(table) + " " + Quoted(dir_ / "strict.tex"));
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find(warning), std::string::npos) << strict.err;
  EXPECT_FALSE(fs::exists(dir_ / "strict.tex"));
}

}  // namespace
}  // namespace verimo
