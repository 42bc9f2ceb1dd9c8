// verimo-cli export to XML (with its schema) and LaTeX, checked with
// xmllint, pdflatex and pdftotext.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

using test::ReadFile;

std::string Quote(const fs::path& path) { return test::ShellQuote(path.string()); }

fs::path Sample() { return test::SourceDir() / "samples" / "MUSTERI.DB"; }

class ExportXmlLaTeXTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-export-xml"); }
  void TearDown() override { fs::remove_all(dir_); }

  int Run(const std::string& arguments, std::string* output = nullptr) {
    return test::RunCommand("LANG=tr_TR.UTF-8 " + std::string(VERIMO_CLI) + " " + arguments + " 2>&1 </dev/null",
                            output);
  }

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(ExportXmlLaTeXTest, SchemaTakesTheTargetsNameAndValidatesIt) {
  const fs::path settings = dir_ / "xml.cfg";
  std::ofstream(settings, std::ios::binary) << "[XML]\r\nDocumentType=1\r\nExportXSDSchema=1\r\nEncoding=UTF-16\r\n";
  const fs::path target = dir_ / "müşteri listesi.xml";
  std::string output;
  ASSERT_EQ(Run("export --quiet --settings " + Quote(settings) + " " + Quote(Sample()) + " " + Quote(target), &output), 0)
      << output;
  EXPECT_EQ(Files(), (std::vector<std::string>{"müşteri listesi.xml", "müşteri listesi.xsd", "xml.cfg"}));
  const std::string document = ReadFile(target);
  ASSERT_TRUE(document.starts_with("\xff\xfe")) << "UTF-16 starts with its byte-order mark";
  std::string utf8;
  ASSERT_EQ(test::RunCommand("iconv -f UTF-16 -t UTF-8 " + Quote(target), &utf8), 0);
  EXPECT_NE(utf8.find("xsi:noNamespaceSchemaLocation=\"m%C3%BC%C5%9Fteri%20listesi.xsd\""), std::string::npos);
  EXPECT_NE(utf8.find("<müşteri_listesi><Id>2</Id>"), std::string::npos);
  EXPECT_EQ(test::RunCommand("xmllint --noout --schema " + Quote(dir_ / "müşteri listesi.xsd") + " " + Quote(target) +
                             " 2>&1",
                             &output),
            0)
      << output;
}

TEST_F(ExportXmlLaTeXTest, SchemaThatWouldReplaceTheDocumentIsRefused) {
  const fs::path settings = dir_ / "xml.cfg";
  std::ofstream(settings, std::ios::binary) << "[XML]\r\nExportXSDSchema=1\r\n";
  std::string output;
  EXPECT_EQ(Run("export --settings " + Quote(settings) + " --type xml " + Quote(Sample()) + " " + Quote(dir_ / "t.xsd"),
                &output),
            1);
  EXPECT_NE(output.find("schema"), std::string::npos) << output;
  EXPECT_EQ(Files(), (std::vector<std::string>{"xml.cfg"})) << "no partial document or schema is left";
}

TEST_F(ExportXmlLaTeXTest, DialogSettingsWriteTheDataPacketWithItsSchema) {
  const fs::path settings = dir_ / "dialog.cfg";
  const fs::path target = dir_ / "out.xml";
  std::ofstream(settings, std::ios::binary) << "[GENERAL]\r\nExportType=4\r\nFileName=" << target.string()
                                            << "\r\nShowFile=0\r\n[XML]\r\nExportXSDSchema=1\r\nStandalone=0\r\n";
  std::string output;
  ASSERT_EQ(Run("export --quiet --settings " + Quote(settings) + " " + Quote(Sample()), &output), 0) << output;
  EXPECT_TRUE(ReadFile(target).starts_with("<?xml version=\"1.0\" standalone=\"no\"?>\r\n<DATAPACKET Version=\"2.0\""));
  EXPECT_EQ(test::RunCommand("xmllint --noout --schema " + Quote(dir_ / "out.xsd") + " " + Quote(target) + " 2>&1", &output),
            0)
      << output;
}

TEST_F(ExportXmlLaTeXTest, LaTeXCompilesAndShowsTheTurkishLetters) {
  if (test::RunCommand("command -v pdflatex >/dev/null && command -v pdftotext >/dev/null") != 0)
    GTEST_SKIP() << "pdflatex or pdftotext not installed";
  const fs::path target = dir_ / "table.tex";
  std::string output;
  ASSERT_EQ(Run("export --quiet " + Quote(Sample()) + " " + Quote(target), &output), 0) << output;
  ASSERT_EQ(test::RunCommand("cd " + Quote(dir_) + " && pdflatex -interaction=nonstopmode -halt-on-error table.tex",
                             &output),
            0)
      << output.substr(output.size() > 3000 ? output.size() - 3000 : 0);
  std::string text;
  // The fonts build some letters from a base and an accent; NFC joins them.
  ASSERT_EQ(test::RunCommand("pdftotext -layout " + Quote(dir_ / "table.pdf") +
                                 " - | /usr/bin/python3 -c 'import sys, unicodedata; "
                                 "sys.stdout.write(unicodedata.normalize(\"NFC\", sys.stdin.read()))'",
                             &text),
            0);
  for (const char* value : {"İrem Güler", "Eskişehir", "Oğuz Yılmaz", "Kütahya", "Iğdır"})
    EXPECT_NE(text.find(value), std::string::npos) << value;
}

}  // namespace
}  // namespace verimo
