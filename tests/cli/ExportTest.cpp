// verimo-cli export run as a user runs it: the written files read back by
// independent readers, the settings file, and the failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

using Result = test::CommandResult;
using test::ReadFile;

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

fs::path Sample() { return test::SourceDir() / "samples" / "MUSTERI.DB"; }

// Compares a CSV export with the records `dump` prints for the same table:
// the header, the record count and the text fields of every record, read
// with Python's csv module. Prints "ok" or what differs.
constexpr const char* kCompareCsv = R"PY(
import csv, sys
csv_path, dump_path, delimiter, encoding = sys.argv[1:5]
def unescape(cell):
    out, i = [], 0
    while i < len(cell):
        if cell[i] == '\\' and i + 1 < len(cell):
            out.append({'t': '\t', 'r': '\r', 'n': '\n', '\\': '\\'}[cell[i + 1]]); i += 2
        else:
            out.append(cell[i]); i += 1
    return ''.join(out)
with open(dump_path, encoding='utf-8', newline='') as f:
    dump = [[unescape(c) for c in line.split('\t')] for line in f.read().split('\n') if line]
with open(csv_path, encoding=encoding, newline='') as f:
    rows = list(csv.reader(f, delimiter=delimiter))
if rows[0] != dump[0]:
    sys.exit('header %r, expected %r' % (rows[0], dump[0]))
if len(rows) != len(dump):
    sys.exit('%d rows, expected %d' % (len(rows), len(dump)))
names = dump[0]
for got, want in zip(rows[1:], dump[1:]):
    for name in ('Id', 'Name', 'City', 'Notes'):
        i = names.index(name)
        if got[i] != want[i]:
            sys.exit('record %s, %s: %r, expected %r' % (want[0], name, got[i], want[i]))
print('ok')
)PY";

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-export"); }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs verimo-cli with the arguments in a Turkish locale (the sample's
  // code page is 1254), stdin from /dev/null.
  Result Run(const std::string& arguments, const std::string& environment = "") {
    return test::RunCapturing("LANG=tr_TR.UTF-8 " + environment + " " + std::string(VERIMO_CLI) + " " + arguments,
                              dir_ / "stderr.txt");
  }

  Result Export(const std::string& options, const fs::path& target) {
    return Run("export " + options + " " + verimo::test::ShellQuote(Sample().string()) + " " + verimo::test::ShellQuote(target.string()));
  }

  // Files in the test folder other than the given ones (partial files left
  // behind show up here).
  int StrayFiles(std::initializer_list<std::string> expected) const {
    int count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) {
      std::string name = entry.path().filename().string();
      if (name == "stderr.txt") continue;
      if (std::find(expected.begin(), expected.end(), name) == expected.end()) ++count;
    }
    return count;
  }

  fs::path dir_;
};

TEST_F(ExportTest, CsvHoldsEveryRecordAndFieldOfTheTable) {
  Result result = Export("", dir_ / "out.csv");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("exported 200 records to "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("records/s"), std::string::npos) << result.err;

  Result dump = Run("dump " + verimo::test::ShellQuote(Sample().string()));
  ASSERT_EQ(dump.status, 0) << dump.err;
  WriteFile(dir_ / "dump.tsv", dump.out);
  WriteFile(dir_ / "compare.py", kCompareCsv);
  std::string output;
  // The Turkish list separator is ";", the ANSI code page 1254.
  int status = test::RunCommand("/usr/bin/python3 " + verimo::test::ShellQuote((dir_ / "compare.py").string()) + " " +
                                    verimo::test::ShellQuote((dir_ / "out.csv").string()) + " " + verimo::test::ShellQuote((dir_ / "dump.tsv").string()) +
                                    " ';' cp1254 2>&1",
                                &output);
  EXPECT_EQ(status, 0) << output;
  EXPECT_EQ(output, "ok\n");
  EXPECT_EQ(StrayFiles({"out.csv", "dump.tsv", "compare.py"}), 0);
}

// Compares an XLS export with the records `dump` prints, read with xlrd:
// captions, record count, numbers as numbers and the text fields.
constexpr const char* kCompareXls = R"PY(
import sys, xlrd
xls_path, dump_path, title = sys.argv[1:4]
def unescape(cell):
    out, i = [], 0
    while i < len(cell):
        if cell[i] == '\\' and i + 1 < len(cell):
            out.append({'t': '\t', 'r': '\r', 'n': '\n', '\\': '\\'}[cell[i + 1]]); i += 2
        else:
            out.append(cell[i]); i += 1
    return ''.join(out)
with open(dump_path, encoding='utf-8', newline='') as f:
    dump = [[unescape(c) for c in line.split('\t')] for line in f.read().split('\n') if line]
book = xlrd.open_workbook(xls_path, formatting_info=True)
if book.sheet_names() != [title]:
    sys.exit('sheets %r' % book.sheet_names())
sheet = book.sheet_by_index(0)
if sheet.row_values(0)[:len(dump[0])] != dump[0]:
    sys.exit('captions %r, expected %r' % (sheet.row_values(0), dump[0]))
if sheet.nrows != len(dump):
    sys.exit('%d rows, expected %d' % (sheet.nrows, len(dump)))
names = dump[0]
for r, want in enumerate(dump[1:], 1):
    cell = sheet.cell(r, names.index('Id'))
    if cell.ctype != xlrd.XL_CELL_NUMBER or '%d' % cell.value != want[names.index('Id')]:
        sys.exit('row %d: Id %r, expected %r' % (r, cell, want[names.index('Id')]))
    for name in ('Name', 'City', 'Notes'):
        i = names.index(name)
        got = sheet.cell_value(r, i) if i < sheet.row_len(r) else ''
        if got != want[i]:
            sys.exit('record %s, %s: %r, expected %r' % (want[0], name, got, want[i]))
print('ok')
)PY";

TEST_F(ExportTest, XlsHoldsEveryRecordWithNumbersAsNumbers) {
  Result result = Export("", dir_ / "out.xls");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("exported 200 records to "), std::string::npos) << result.err;
  Result dump = Run("dump " + verimo::test::ShellQuote(Sample().string()));
  ASSERT_EQ(dump.status, 0) << dump.err;
  WriteFile(dir_ / "dump.tsv", dump.out);
  WriteFile(dir_ / "compare.py", kCompareXls);
  std::string output;
  int status = test::RunCommand("/usr/bin/python3 " + verimo::test::ShellQuote((dir_ / "compare.py").string()) + " " +
                                    verimo::test::ShellQuote((dir_ / "out.xls").string()) + " " +
                                    verimo::test::ShellQuote((dir_ / "dump.tsv").string()) + " 'Sheet 1' 2>&1",
                                &output);
  EXPECT_EQ(status, 0) << output;
  EXPECT_EQ(output, "ok\n");
  EXPECT_EQ(StrayFiles({"out.xls", "dump.tsv", "compare.py"}), 0);
}

TEST_F(ExportTest, XlsSettingsNameTheSheetAndPickFields) {
  WriteFile(dir_ / "opts.cfg",
            "[IniVersion]\r\nNumber=400\r\n"
            "[GENERAL]\r\nExportType=0\r\nExportRecCount=3\r\n"
            "[FIELDS]\r\nfield0=City\r\nfield1=Id\r\n"
            "[XLS]\r\nSheetTitle=M\xC3\xBC\xC5\x9Fteriler\r\n");
  Result result = Run("export --settings " + verimo::test::ShellQuote((dir_ / "opts.cfg").string()) + " " +
                      verimo::test::ShellQuote(Sample().string()) + " " + verimo::test::ShellQuote((dir_ / "out.xls").string()));
  ASSERT_EQ(result.status, 0) << result.err;
  std::string output;
  test::RunCommand("/usr/bin/python3 -c \"import sys, xlrd; b = xlrd.open_workbook(sys.argv[1]); s = b.sheet_by_index(0); "
                   "print(b.sheet_names()[0], s.nrows, s.row_values(0), s.cell(1, 1).value)\" " +
                       verimo::test::ShellQuote((dir_ / "out.xls").string()),
                   &output);
  EXPECT_EQ(output, "M\xC3\xBC\xC5\x9Fteriler 4 ['City', 'Id'] 1.0\n");
}

TEST_F(ExportTest, TxtDifAndSylkReadBackInLibreOffice) {
  // --type overrides the extension: out.dat is written as SYLK.
  // LibreOffice's DIF reader joins the lines of a multi-line text, so the
  // DIF file leaves out the memo.
  WriteFile(dir_ / "fields.cfg", "[FIELDS]\r\nfield0=Id\r\nfield1=Name\r\nfield2=City\r\n");
  std::string difOptions = "--settings " + verimo::test::ShellQuote((dir_ / "fields.cfg").string());
  for (const auto& [options, name] :
       {std::pair<std::string, std::string>{"", "out.txt"}, {difOptions, "out.dif"}, {"--type sylk", "out.dat"}}) {
    Result result = Export(options, dir_ / name);
    ASSERT_EQ(result.status, 0) << name << ": " << result.err;
  }
  std::string txt = ReadFile(dir_ / "out.txt");
  EXPECT_GE(std::count(txt.begin(), txt.end(), '\n'), 201);
  EXPECT_NE(txt.find("Eski\xC5\x9F" "ehir"), std::string::npos) << "TXT is written as UTF-8";

  fs::path converted = dir_ / "converted";
  std::string profile = "file://" + (dir_ / "lo-profile").string();
  std::string soffice = "soffice -env:UserInstallation=" + verimo::test::ShellQuote(profile) + " --headless --convert-to "
                        "'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true' --outdir " +
                        verimo::test::ShellQuote(converted.string()) + " ";
  fs::copy_file(dir_ / "out.dat", dir_ / "out.slk");
  // LibreOffice names both results out.csv, so they are converted one by one;
  // each gives one line of captions and the 200 records.
  for (const char* source : {"out.dif", "out.slk"}) {
    std::string filter = std::string(source) == "out.dif" ? "--infilter=DIF:27 " : "--infilter=SYLK ";
    std::string log;
    test::RunCommand(soffice + filter + verimo::test::ShellQuote((dir_ / source).string()) + " >/dev/null 2>&1", &log);
    if (!fs::exists(converted / "out.csv")) GTEST_SKIP() << "LibreOffice converted nothing; is soffice installed?";
    std::string csv = ReadFile(converted / "out.csv");
    fs::remove_all(converted);
    std::string output;
    WriteFile(dir_ / "read.csv", csv);
    test::RunCommand("/usr/bin/python3 -c \"import csv,sys; r=list(csv.reader(open(sys.argv[1],newline='',"
                     "encoding='utf-8',errors='replace'))); print(len(r), r[0][0], r[1][0], r[200][0])\" " +
                         verimo::test::ShellQuote((dir_ / "read.csv").string()),
                     &output);
    EXPECT_EQ(output, "201 Id 1 200\n") << source;
  }
}

TEST_F(ExportTest, SettingsFileChoosesFieldsLimitAndSeparatorsButNeverTheTargetOrViewer) {
  fs::path elsewhere = dir_ / "elsewhere.csv";
  WriteFile(dir_ / "opts.cfg",
            "[IniVersion]\r\nNumber=400\r\n"
            "[GENERAL]\r\nExportRecCount=5\r\nShowFile=1\r\nPrintFile=1\r\nFileName=" + elsewhere.string() + "\r\n"
            "[FIELDS]\r\nfield0=Id\r\nfield1=City\r\n"
            "[ASCII]\r\nExportType=2\r\nComma=|\r\nQuote=#0\r\n");
  // A viewer started anyway would leave its mark.
  fs::create_directory(dir_ / "bin");
  for (const char* program : {"xdg-open", "lp", "soffice"}) {
    WriteFile(dir_ / "bin" / program, "#!/bin/sh\necho \"$0 $*\" >> " + verimo::test::ShellQuote((dir_ / "launched").string()) + "\n");
    fs::permissions(dir_ / "bin" / program, fs::perms::owner_all);
  }
  std::string path = "PATH=" + verimo::test::ShellQuote((dir_ / "bin").string()) + ":$PATH";
  Result result = Run("export --settings " + verimo::test::ShellQuote((dir_ / "opts.cfg").string()) + " " + verimo::test::ShellQuote(Sample().string()) +
                          " " + verimo::test::ShellQuote((dir_ / "out.csv").string()),
                      path);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadFile(dir_ / "out.csv"), "Id|City\r\n1|\r\n2|IIIIIIIIIIIIIIIIIIIIIII\xDD\r\n3| \r\n4|\xDE\r\n5|Eski\xFE" "ehir\r\n");
  EXPECT_FALSE(fs::exists(elsewhere));

  // --show opens the finished target under its own name.
  result = Run("export --show --quiet " + verimo::test::ShellQuote(Sample().string()) + " " + verimo::test::ShellQuote((dir_ / "shown.txt").string()), path);
  ASSERT_EQ(result.status, 0) << result.err;
  // A TXT column is at most 255 characters wide: the longest notes are cut, and said so.
  EXPECT_EQ(result.err, "warning: field \"Notes\": 3 values were cut to the column's 255 characters\n");
  for (int i = 0; i < 50 && !fs::exists(dir_ / "launched"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ReadFile(dir_ / "launched"), (dir_ / "bin" / "xdg-open").string() + " " + (dir_ / "shown.txt").string() + "\n");
}

// Reads a dBASE export with dbfread, the encoding taken from the table's
// language-driver byte, and compares it with the records `dump` prints.
constexpr const char* kCompareDbf = R"PY(
import sys, dbfread
dbf_path, dump_path = sys.argv[1:3]
def unescape(cell):
    out, i = [], 0
    while i < len(cell):
        if cell[i] == '\\' and i + 1 < len(cell):
            out.append({'t': '\t', 'r': '\r', 'n': '\n', '\\': '\\'}[cell[i + 1]]); i += 2
        else:
            out.append(cell[i]); i += 1
    return ''.join(out)
with open(dump_path, encoding='utf-8', newline='') as f:
    dump = [[unescape(c) for c in line.split('\t')] for line in f.read().split('\n') if line]
table = dbfread.DBF(dbf_path, char_decode_errors='strict')
records = list(table)
if table.encoding != 'cp1254':
    sys.exit('encoding %s' % table.encoding)
if len(records) != len(dump) - 1:
    sys.exit('%d records, expected %d' % (len(records), len(dump) - 1))
names = dump[0]
for got, want in zip(records, dump[1:]):
    for name in ('Id', 'Name', 'City', 'Notes'):
        value = got[name.upper()]
        value = '' if value is None else str(value)
        expected = want[names.index(name)]
        if name != 'Notes':
            expected = expected.rstrip(' ')
        if value != expected:
            sys.exit('record %s, %s: %r, expected %r' % (want[0], name, value, expected))
print('ok')
)PY";

TEST_F(ExportTest, DbfLandsWithItsMemoFileUnderTheTargetsNameOrNotAtAll) {
  Result result = Export("", dir_ / "out.dbf");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("exported 200 records to "), std::string::npos) << result.err;
  EXPECT_TRUE(fs::exists(dir_ / "out.dbt"));
  EXPECT_EQ(StrayFiles({"out.dbf", "out.dbt"}), 0);

  Result dump = Run("dump " + verimo::test::ShellQuote(Sample().string()));
  ASSERT_EQ(dump.status, 0) << dump.err;
  WriteFile(dir_ / "dump.tsv", dump.out);
  WriteFile(dir_ / "compare.py", kCompareDbf);
  std::string output;
  int status = test::RunCommand("/usr/bin/python3 " + verimo::test::ShellQuote((dir_ / "compare.py").string()) + " " +
                                    verimo::test::ShellQuote((dir_ / "out.dbf").string()) + " " +
                                    verimo::test::ShellQuote((dir_ / "dump.tsv").string()) + " 2>&1",
                                &output);
  EXPECT_EQ(status, 0) << output;
  EXPECT_EQ(output, "ok\n");
  fs::remove(dir_ / "dump.tsv");
  fs::remove(dir_ / "compare.py");

  // A memo file that cannot take its name fails the export; neither the
  // table nor a partial file is left.
  fs::create_directory(dir_ / "blocked.dbt");
  result = Export("", dir_ / "blocked.dbf");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("blocked.dbt"), std::string::npos) << result.err;
  EXPECT_EQ(StrayFiles({"out.dbf", "out.dbt", "blocked.dbt"}), 0);

  result = Export("--type dbf", dir_ / "table.dbt");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("its own memo file"), std::string::npos) << result.err;
  EXPECT_EQ(StrayFiles({"out.dbf", "out.dbt", "blocked.dbt"}), 0);

  // Without memo fields the table has no memo file, and the earlier one goes.
  // The settings file shapes the fields.
  WriteFile(dir_ / "fields.cfg",
            "[FIELDS]\r\nfield0=Id\r\nfield1=Name\r\nfield2=Balance\r\n"
            "[LENGTH]\r\nline0=Name=12\r\n[PRECISION]\r\nline0=Balance=18,2\r\n");
  result = Export("--settings " + verimo::test::ShellQuote((dir_ / "fields.cfg").string()), dir_ / "out.dbf");
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string table = ReadFile(dir_ / "out.dbf");
  ASSERT_GT(table.size(), 130u);
  EXPECT_EQ(table[0], 0x03);
  EXPECT_EQ(table.substr(64, 4), std::string("NAME", 4));
  EXPECT_EQ(table[64 + 16], 12) << "the length of NAME";
  EXPECT_EQ(table.substr(96, 7), std::string("BALANCE", 7));
  EXPECT_EQ(table[96 + 16], 18);
  EXPECT_EQ(table[96 + 17], 2);
  EXPECT_FALSE(fs::exists(dir_ / "out.dbt"));
  EXPECT_EQ(StrayFiles({"out.dbf", "blocked.dbt", "fields.cfg"}), 0);
}

TEST_F(ExportTest, SqlScriptRunsInSqliteAndTakesItsDialectFromTheCommandLineOrSettings) {
  if (test::RunCommand("command -v sqlite3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "sqlite3 is not installed";
  WriteFile(dir_ / "create.cfg", "[SQL]\r\nCreateTable=1\r\n");
  Result result = Export("--quiet --settings " + test::ShellQuote((dir_ / "create.cfg").string()), dir_ / "müşteri.sql");
  ASSERT_EQ(result.status, 0) << result.err;
  std::string script = ReadFile(dir_ / "müşteri.sql");
  EXPECT_NE(script.find("INSERT INTO \"MÜŞTERI\"\r\n  (\"Id\","), std::string::npos) << script.substr(0, 300);
  WriteFile(dir_ / "count.sql", script + "\nSELECT count(*), count(DISTINCT \"Id\") FROM \"MÜŞTERI\";\n");
  std::string output;
  EXPECT_EQ(test::RunCommand("sqlite3 -bail :memory: < " + test::ShellQuote((dir_ / "count.sql").string()) + " 2>&1",
                             &output),
            0)
      << output;
  EXPECT_EQ(output, "200|200\n");

  result = Export("--quiet --sql-dialect MY", dir_ / "my.sql");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(ReadFile(dir_ / "my.sql").find("INSERT INTO `MY`\r\n  (`Id`,"), std::string::npos);

  // A settings file as the dialog saves it names the table and the dialect.
  WriteFile(dir_ / "sql.cfg",
            "[IniVersion]\r\nNumber=400\r\n[GENERAL]\r\nExportType=12\r\n"
            "[SQL]\r\nTableName=dbo.Kişi\r\nCreateTable=1\r\nCustomScriptType=3\r\nCommitAfterScript=1\r\n");
  result = Export("--quiet --settings " + test::ShellQuote((dir_ / "sql.cfg").string()), dir_ / "ms.sql");
  ASSERT_EQ(result.status, 0) << result.err;
  script = ReadFile(dir_ / "ms.sql");
  EXPECT_NE(script.find("BEGIN TRANSACTION\r\nGO\r\n\r\nCREATE TABLE [dbo].[Kişi]("), std::string::npos)
      << script.substr(0, 300);
  EXPECT_TRUE(script.ends_with(")\r\nGO\r\n\r\nCOMMIT\r\nGO\r\n"));

  result = Export("--sql-dialect postgres", dir_ / "bad.sql");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("unknown SQL dialect \"postgres\""), std::string::npos) << result.err;
  result = Export("--sql-dialect pg", dir_ / "bad.csv");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("--sql-dialect applies to SQL scripts only"), std::string::npos) << result.err;
  EXPECT_EQ(StrayFiles({"create.cfg", "müşteri.sql", "count.sql", "my.sql", "sql.cfg", "ms.sql"}), 0);
}

TEST_F(ExportTest, FailuresSayWhyExitNonZeroAndLeaveNoFile) {
  struct Case {
    std::string options;
    std::string table;
    fs::path target;
    int status;
    std::string message;
  };
  WriteFile(dir_ / "plain", "x");
  fs::create_directory(dir_ / "folder");
  WriteFile(dir_ / "binary.cfg", std::string("\x7f" "ELF\0\0\x01", 7));
  const Case cases[] = {
      {"", Sample().string(), dir_ / "out.xyz", 2, "cannot export to \".xyz\" files"},
      {"", Sample().string(), dir_ / "noext", 2, "has no extension"},
      {"--type nope", Sample().string(), dir_ / "out.csv", 2, "unknown export type \"nope\""},
      {"", (dir_ / "missing.db").string(), dir_ / "out.csv", 1, "missing.db"},
      {"", Sample().string(), dir_ / "plain" / "out.csv", 1, "plain"},
      {"--type csv", Sample().string(), dir_ / "folder", 1, "is a directory"},
      {"--settings " + verimo::test::ShellQuote((dir_ / "none.cfg").string()), Sample().string(), dir_ / "out.csv", 1,
       "does not exist"},
      {"--settings " + verimo::test::ShellQuote((dir_ / "binary.cfg").string()), Sample().string(), dir_ / "out.csv", 1,
       "is not a settings file"},
  };
  for (const Case& c : cases) {
    Result result = Run("export " + c.options + " " + verimo::test::ShellQuote(c.table) + " " + verimo::test::ShellQuote(c.target.string()));
    EXPECT_EQ(result.status, c.status) << c.options << " " << c.target;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("exported"), std::string::npos) << result.err;
    EXPECT_EQ(StrayFiles({"plain", "folder", "binary.cfg"}), 0) << c.target;
  }
}

TEST_F(ExportTest, FailedExportKeepsTheExistingTarget) {
  WriteFile(dir_ / "out.csv", "earlier export\n");
  Result result = Run("export " + verimo::test::ShellQuote((dir_ / "missing.db").string()) + " " + verimo::test::ShellQuote((dir_ / "out.csv").string()));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(ReadFile(dir_ / "out.csv"), "earlier export\n");
  EXPECT_EQ(StrayFiles({"out.csv"}), 0);
}

#ifdef VERIMO_PXLIB_MAKE
// Values at the edges of what Paradox stores: dates before year 1 are
// neither dates nor blanks, a blank BCD keeps its scale byte.
TEST_F(ExportTest, DatesBeforeYearOneAndBlankBcdsExportAsNull) {
  fs::path table = dir_ / "EDGES.DB";
  ASSERT_EQ(test::RunCommand(test::ShellQuote(VERIMO_PXLIB_MAKE) + " edges " + test::ShellQuote(table.string())), 0);

  Result dump = Run("dump " + test::ShellQuote(table.string()));
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_EQ(dump.out,
            "Id\tDay\tStamp\tClock\tAmount\n"
            "1\t2024-02-29\t2000-01-01 00:00:01\t00:00:00\t0\n"
            "2\t<date out of range: 0 days>\t<date out of range: -366 days>\t13:45:00\t\n"
            "3\t<date out of range: -366 days>\t2000-01-01 00:00:00\t00:00:00\t-42.5\n"
            "4\t\t\t\t\n");

  fs::path csvFile = dir_ / "edges.csv";
  WriteFile(dir_ / "opts.cfg", "[FORMATS]\r\nDate=yyyy-mm-dd\r\nDateTime=yyyy-mm-dd hh:nn:ss\r\n"
                               "Time=hh:nn\r\n[ASCII]\r\nComma=,\r\n");
  Result result = Run("export --settings " + test::ShellQuote((dir_ / "opts.cfg").string()) + " " +
                      test::ShellQuote(table.string()) + " " + test::ShellQuote(csvFile.string()));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("warning: field \"Day\": 2 dates outside the years 1 to 9999, exported as empty\n"),
            std::string::npos) << result.err;
  EXPECT_NE(result.err.find("warning: field \"Stamp\": 1 date outside the years 1 to 9999, exported as empty\n"),
            std::string::npos) << result.err;

  std::string rows;
  int status = test::RunCommand(
      "/usr/bin/python3 -c 'import csv,sys; [print(\"|\".join(r)) for r in csv.reader(open(sys.argv[1], newline=\"\"))]' " +
          test::ShellQuote(csvFile.string()) + " 2>&1",
      &rows);
  ASSERT_EQ(status, 0) << rows;
  EXPECT_EQ(rows,
            "Id|Day|Stamp|Clock|Amount\n"
            "1|2024-02-29|2000-01-01 00:00:01|00:00|0\n"
            "2|||13:45|\n"
            "3||2000-01-01 00:00:00|00:00|-42,5\n"
            "4||||\n");
}
#endif

TEST_F(ExportTest, HtmlPagesIndexAndStyleSheetLandBesideTheTargetWithWorkingLinks) {
  WriteFile(dir_ / "pages.cfg", "[HTML]\r\nFileRecCount=60\r\nGenerateIndex=1\r\nCSS=1\r\n");
  Result result = Run("export --settings " + verimo::test::ShellQuote((dir_ / "pages.cfg").string()) + " " +
                      verimo::test::ShellQuote(Sample().string()) + " " + verimo::test::ShellQuote((dir_ / "liste.htm").string()));
  ASSERT_EQ(result.status, 0) << result.err;
  const std::initializer_list<std::string> files = {"pages.cfg",    "liste.htm",    "liste01.htm", "liste02.htm",
                                                    "liste03.htm", "liste04.htm", "liste01.css"};
  for (const std::string& name : files) EXPECT_TRUE(fs::exists(dir_ / name)) << name;
  EXPECT_EQ(StrayFiles(files), 0);
  const std::string index = ReadFile(dir_ / "liste.htm");
  for (const char* link : {"href=\"liste01.htm\"", "href=\"liste04.htm\"", "href=\"liste01.css\""})
    EXPECT_NE(index.find(link), std::string::npos) << link;
  const std::string page = ReadFile(dir_ / "liste03.htm");
  EXPECT_NE(page.find("<td><a href=\"liste.htm\">Index</a></td>"), std::string::npos);
  EXPECT_NE(page.find("<td><a href=\"liste04.htm\">Next</a></td>"), std::string::npos);
  EXPECT_EQ(page.find(".verimo-"), std::string::npos);
  std::string lint;
  EXPECT_EQ(test::RunCommand("cd " + verimo::test::ShellQuote(dir_.string()) + " && xmllint --html --noout *.htm 2>&1", &lint), 0);
  EXPECT_EQ(lint, "");
}

TEST_F(ExportTest, FailedHtmlExportLeavesNeitherPagesNorStyleSheetBehind) {
  WriteFile(dir_ / "liste.html", "earlier export\n");
  WriteFile(dir_ / "bad.cfg", "[HTML]\r\nFileRecCount=60\r\nCSS=1\r\nCSSFile=" + (dir_ / "plain" / "x.css").string() + "\r\n");
  WriteFile(dir_ / "plain", "x");
  Result result = Run("export --settings " + verimo::test::ShellQuote((dir_ / "bad.cfg").string()) + " " +
                      verimo::test::ShellQuote(Sample().string()) + " " + verimo::test::ShellQuote((dir_ / "liste.html").string()));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("x.css"), std::string::npos) << result.err;
  EXPECT_EQ(ReadFile(dir_ / "liste.html"), "earlier export\n");
  EXPECT_EQ(StrayFiles({"liste.html", "bad.cfg", "plain"}), 0);
}

}  // namespace
}  // namespace verimo

namespace verimo {
namespace {

// JSON and JSON Lines: the type from --type or any case of the extension,
// fields and captions from a settings file (its patterns do not reach the
// typed values), a folder of tables with --output-dir, and `formats`.
TEST_F(ExportTest, JsonTypesFollowTheCommandLineAndTheSettingsFieldsAndCaptions) {
  WriteFile(dir_ / "opts.cfg",
            "[IniVersion]\r\nNumber=400\r\n"
            "[GENERAL]\r\nExportRecCount=2\r\n"
            "[FIELDS]\r\nfield0=Balance\r\nfield1=Id\r\nfield2=Joined\r\n"
            "[CAPTIONS]\r\nline0=Id=Balance\r\n"
            "[FORMATS]\r\nCurrencyFormat=0.000 TL\r\nDateFormat=dd.mm.yyyy\r\n");
  Result json = Export("--settings " + test::ShellQuote((dir_ / "opts.cfg").string()), dir_ / "out.NDJSON");
  ASSERT_EQ(json.status, 0) << json.err;
  const std::string lines = ReadFile(dir_ / "out.NDJSON");
  std::string check;
  WriteFile(dir_ / "check.py",
            "import json, sys, decimal\n"
            "rows = [json.loads(l, parse_float=decimal.Decimal) for l in open(sys.argv[1], encoding='utf-8')]\n"
            "print(len(rows), list(rows[1]), type(rows[1]['Balance']).__name__,\n"
            "      type(rows[1]['Balance1']).__name__, rows[1]['Joined'], rows[0]['Joined'])\n");
  test::RunCommand("/usr/bin/python3 " + test::ShellQuote((dir_ / "check.py").string()) + " " +
                       test::ShellQuote((dir_ / "out.NDJSON").string()),
                   &check);
  // Id's caption Balance is taken by the field before it: it becomes Balance1.
  EXPECT_EQ(check, "2 ['Balance', 'Balance1', 'Joined'] Decimal int 9999-12-31 None\n") << lines;

  Result typed = Export("--type json", dir_ / "out.dat");
  ASSERT_EQ(typed.status, 0) << typed.err;
  EXPECT_EQ(ReadFile(dir_ / "out.dat").substr(0, 9), "[\n{\"Id\":1");

  fs::create_directories(dir_ / "in");
  fs::copy_file(Sample(), dir_ / "in" / "MUSTERI.DB");
  fs::copy_file(test::SourceDir() / "samples" / "MUSTERI.MB", dir_ / "in" / "MUSTERI.MB");
  Result batch = Run("export --type jsonl --output-dir " + test::ShellQuote((dir_ / "out").string()) + " " +
                     test::ShellQuote((dir_ / "in").string()));
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(ReadFile(dir_ / "out" / "MUSTERI.jsonl").substr(0, 7), "{\"Id\":1");

  EXPECT_EQ(Export("--sql-dialect pg", dir_ / "x.json").status, 2);
  Result formats = Run("formats");
  EXPECT_NE(formats.out.find("\n\nTypes of the command line only"), std::string::npos) << formats.out;
  EXPECT_NE(formats.out.find("\nJSON Lines               jsonl,ndjson    CAPTIONS"), std::string::npos) << formats.out;
}

}  // namespace
}  // namespace verimo
