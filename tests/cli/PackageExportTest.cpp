// verimo-cli export to the zipped package types: the type from the
// extension, options from a settings file, and runs side by side.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

fs::path Sample() { return test::SourceDir() / "samples" / "MUSTERI.DB"; }

// Prints what openpyxl and python-docx see: sheet names, row count, the
// first data rows and the fonts of the data cells; or the table rows.
constexpr const char* kDescribe = R"PY(
import sys
path = sys.argv[1]
if path.endswith('.xlsx'):
    import openpyxl
    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    rows = list(sheet.iter_rows())
    print(book.sheetnames, len(rows))
    for row in rows[:3]:
        print([c.value for c in row], [(bool(c.font.b), bool(c.font.i)) for c in row][:1])
elif path.endswith('.ods') or path.endswith('.odt'):
    from odf import teletype
    from odf.opendocument import load
    from odf.table import Table, TableRow, TableCell
    document = load(path)
    table = document.body.getElementsByType(Table)[0]
    rows = table.getElementsByType(TableRow)
    print(table.getAttribute('name'), len(rows))
    for row in rows[:3]:
        print([(c.getAttribute('valuetype'), c.getAttribute('value'), teletype.extractText(c))
               for c in row.getElementsByType(TableCell)])
else:
    import docx
    table = docx.Document(path).tables[0]
    print(len(table.rows))
    for row in table.rows[:3]:
        print([c.text for c in row.cells])
)PY";

class PackageExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::MakeTempDir("verimo-package-cli");
    fs::create_directories(dir_ / "tmp");
    std::ofstream(dir_ / "describe.py") << kDescribe;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Cli(const std::string& arguments) const {
    return "LANG=tr_TR.UTF-8 TMPDIR=" + test::ShellQuote((dir_ / "tmp").string()) + " " + VERIMO_CLI + " " +
           arguments + " </dev/null";
  }
  std::string Describe(const fs::path& file) const {
    std::string output;
    test::RunCommand("/usr/bin/python3 " + test::ShellQuote((dir_ / "describe.py").string()) + " " +
                         test::ShellQuote(file.string()) + " 2>&1",
                     &output);
    return output;
  }

  fs::path dir_;
};

TEST_F(PackageExportTest, ExtensionPicksTheTypeAndTheSettingsFileItsOptions) {
  std::ofstream(dir_ / "opts.cfg", std::ios::binary)
      << "[IniVersion]\r\nNumber=400\r\n[GENERAL]\r\nExportRecCount=2\r\n"
         "[FIELDS]\r\nfield0=Id\r\nfield1=City\r\n"
         "[XLSX]\r\nSheetName=Liste\r\nStripType=2\r\n"
         "[XLSX_STRIP_STYLE_0]\r\nFontBold=1\r\n[XLSX_STRIP_STYLE_1]\r\nFontItalic=1\r\n"
         "[DOCX]\r\nUseBorder=1\r\nBorderStyle=2\r\n";
  const std::string settings = "--settings " + test::ShellQuote((dir_ / "opts.cfg").string()) + " ";
  for (const char* name : {"out.xlsx", "out.docx"}) {
    std::string err;
    ASSERT_EQ(test::RunCommand(Cli("export " + settings + test::ShellQuote(Sample().string()) + " " +
                                   test::ShellQuote((dir_ / name).string()) + " 2>&1"),
                               &err),
              0)
        << err;
  }
  EXPECT_EQ(Describe(dir_ / "out.xlsx"),
            "['Liste'] 3\n"
            "['Id', 'City'] [(False, False)]\n"
            "[1, None] [(True, False)]\n"
            "[2, 'IIIIIIIIIIIIIIIIIIIIIIIİ'] [(False, True)]\n");
  EXPECT_EQ(Describe(dir_ / "out.docx"), "3\n['Id', 'City']\n['1', '']\n['2', 'IIIIIIIIIIIIIIIIIIIIIIIİ']\n");
  std::string document;
  test::RunCommand("unzip -p " + test::ShellQuote((dir_ / "out.docx").string()) + " word/document.xml", &document);
  EXPECT_NE(document.find("<w:top w:val=\"double\""), std::string::npos);
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));
}

TEST_F(PackageExportTest, OpenDocumentTypesComeFromTheExtensionWithTheirSections) {
  std::ofstream(dir_ / "opts.cfg", std::ios::binary)
      << "[IniVersion]\r\nNumber=400\r\n[GENERAL]\r\nExportRecCount=2\r\n"
         "[FIELDS]\r\nfield0=Id\r\nfield1=City\r\n"
         "[ODS]\r\nSheetName=Liste\r\n[ODT]\r\nTableName=Tablo\r\n";
  const std::string settings = "--settings " + test::ShellQuote((dir_ / "opts.cfg").string()) + " ";
  for (const char* name : {"out.ods", "out.odt"}) {
    std::string err;
    ASSERT_EQ(test::RunCommand(Cli("export " + settings + test::ShellQuote(Sample().string()) + " " +
                                   test::ShellQuote((dir_ / name).string()) + " 2>&1"),
                               &err),
              0)
        << err;
  }
  EXPECT_EQ(Describe(dir_ / "out.ods"),
            "Liste 3\n"
            "[('string', None, 'Id'), ('string', None, 'City')]\n"
            "[('float', '1', '1'), (None, None, '')]\n"
            "[('float', '2', '2'), ('string', None, 'IIIIIIIIIIIIIIIIIIIIIIIİ')]\n");
  EXPECT_EQ(Describe(dir_ / "out.odt"),
            "Tablo 3\n"
            "[('string', None, 'Id'), ('string', None, 'City')]\n"
            "[('string', None, '1'), ('string', None, '')]\n"
            "[('string', None, '2'), ('string', None, 'IIIIIIIIIIIIIIIIIIIIIIIİ')]\n");
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));
}

TEST_F(PackageExportTest, ExportsRunningAtOnceDoNotDisturbEachOther) {
  // Each run's own status counts: the shell waits for every one by its id.
  std::string command = "(";
  std::string waits;
  int n = 0;
  for (const char* name : {"a.xlsx", "b.docx", "c.xlsx", "d.docx"}) {
    command += Cli("export --quiet " + test::ShellQuote(Sample().string()) + " " +
                   test::ShellQuote((dir_ / name).string())) +
               " & p" + std::to_string(n) + "=$!; ";
    waits += (n ? " && wait $p" : "wait $p") + std::to_string(n);
    ++n;
  }
  command += waits + ") 2>&1";
  std::string output;
  ASSERT_EQ(test::RunCommand(command, &output), 0) << output;
  for (const char* name : {"a.xlsx", "b.docx", "c.xlsx", "d.docx"}) {
    EXPECT_EQ(test::RunCommand("unzip -tq " + test::ShellQuote((dir_ / name).string()) + " >/dev/null"), 0) << name;
    const std::string description = Describe(dir_ / name);
    EXPECT_TRUE(description.starts_with("['sheet1'] 201\n") || description.starts_with("201\n")) << name << description;
  }
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp")) << "no staging folder is left behind";
}

}  // namespace
}  // namespace verimo
