// Rows of the HTML exporter itself are built as bytes of the page, the
// stored texts of a Paradox table escaped and transcoded from its bytes; a
// descendant goes through the steps with UTF-16 rows. Both must write the
// same pages, whatever the texts hold and whatever the page's encoding.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/TesselStream.h"
#include "formats/text/TesselHTML.h"
#include "platform/codepage/CodePage.h"
#include "platform/paradox/Table.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

// Goes through the virtual steps: a descendant never takes the byte rows.
class TSteppedHTML : public TTesselHTML {};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// The texts of the table's records, in code page 1254; "" is a blank field.
const std::vector<WideString> kTexts = {
    u"Şule & Ağaoğlu <b>\"x\"</b>",
    u"iki  boşluk ",
    u"satır\r\nsonu\nbir\rdaha\r",
    u"",
    u"?soru İĞÜŞÖÇ ığüşöç",
    u"plain",
    u"Şikâyet çözüldü; memnuniyet yüksek.",
    u"&amp; &#160; <br>",
    u"Dosya C:\\Veri\\Arşiv\\2024\taltında.",
    u"ü ö ç é",
};

class HtmlByteRowsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
#ifdef VERIMO_PXLIB_MAKE
    dir_ = new fs::path(test::MakeTempDir("verimo-html-bytes"));
    std::string command = test::ShellQuote(VERIMO_PXLIB_MAKE) + " texts " + test::ShellQuote((*dir_ / "TEXTS.DB").string()) + " 1254";
    for (const WideString& text : kTexts) command += " " + test::ShellQuote(EncodeToCodePage(text, 1254));
    ASSERT_EQ(test::RunCommand(command), 0) << command;
#endif
  }
  static void TearDownTestSuite() {
    if (dir_ != nullptr) fs::remove_all(*dir_);
    delete dir_;
    dir_ = nullptr;
  }

  void SetUp() override {
    if (dir_ == nullptr) GTEST_SKIP() << "pxlib's table writer is not built, so there is no table to export";
    table_.SetDatabaseName(dir_->string());
    table_.SetTableName("TEXTS.DB");
    table_.Open();
  }
  void TearDown() override {
    for (TSystemCodePage which : {TSystemCodePage::Ansi, TSystemCodePage::Oem, TSystemCodePage::Mac}) SetSystemCodePage(which, 0);
  }

  std::string Export(TTesselHTML& exporter, TTesselOutputEncoding encoding, std::vector<std::vector<WideString>>* seen = nullptr) {
    exporter.DataSet = &table_;
    exporter.ShellLauncher = nullptr;
    exporter.Formats().SetNullString(u"(boş & yok)");
    exporter.SetOutputEncoding(encoding);
    if (seen != nullptr) {
      exporter.OnExportedRecord = [seen](TTessel& sender, int) {
        std::vector<WideString> texts;
        for (const TTesselCol& cell : sender.Row()) texts.push_back(cell.Text);
        seen->push_back(std::move(texts));
      };
    }
    TMemoryStream target;
    exporter.ExportToStream(target);
    return std::string(target.View());
  }

  static fs::path* dir_;
  TTable table_;
};

fs::path* HtmlByteRowsTest::dir_ = nullptr;

TEST_F(HtmlByteRowsTest, ByteRowsEqualTheStepsInEveryPageEncoding) {
  struct Case {
    TTesselOutputEncoding encoding;
    TSystemCodePage which;
    int codePage;
  };
  // 1252 holds neither Ş nor ğ nor ı: those rows need references.
  const Case cases[] = {{oeUTF8, TSystemCodePage::Ansi, 0},    {oeAnsi, TSystemCodePage::Ansi, 1254},
                        {oeAnsi, TSystemCodePage::Ansi, 1252}, {oeOem, TSystemCodePage::Oem, 857},
                        {oeMac, TSystemCodePage::Mac, 10081},  {oeUTF16, TSystemCodePage::Ansi, 0}};
  for (const Case& test : cases) {
    SetSystemCodePage(test.which, test.codePage);
    TTesselHTML fast;
    TSteppedHTML stepped;
    std::vector<std::vector<WideString>> seenFast;
    std::vector<std::vector<WideString>> seenStepped;
    const std::string expected = Export(stepped, test.encoding, &seenStepped);
    EXPECT_EQ(Export(fast, test.encoding, &seenFast), expected) << test.encoding << " " << test.codePage;
    ASSERT_EQ(seenFast.size(), kTexts.size());
    EXPECT_EQ(seenFast, seenStepped);
    EXPECT_EQ(seenFast[0][1], kTexts[0]);
    SetSystemCodePage(test.which, 0);
  }
}

TEST_F(HtmlByteRowsTest, StoredTextsAreEscapedAndLostCharactersBecomeReferences) {
  TTesselHTML utf8;
  const std::string page = Export(utf8, oeUTF8);
  EXPECT_NE(page.find(">Şule&#160;&amp;&#160;Ağaoğlu&#160;&lt;b&gt;&quot;x&quot;&lt;/b&gt;</td>"), std::string::npos);
  EXPECT_NE(page.find(">satır<br>sonu<br>bir<br>daha<br></td>"), std::string::npos);
  EXPECT_NE(page.find(">(boş&#160;&amp;&#160;yok)</td>"), std::string::npos);
  EXPECT_NE(page.find(">&amp;amp;&#160;&amp;#160;&#160;&lt;br&gt;</td>"), std::string::npos);
  SetSystemCodePage(TSystemCodePage::Ansi, 1252);
  TTesselHTML ansi;
  const std::string western = Export(ansi, oeAnsi);
  EXPECT_NE(western.find(">&#350;ule&#160;&amp;&#160;A&#287;ao&#287;lu&#160;"), std::string::npos);
  EXPECT_NE(western.find(">\xFC&#160;\xF6&#160;\xE7&#160;\xE9</td>"), std::string::npos);
  EXPECT_NE(western.find(">?soru&#160;&#304;&#286;\xDC&#350;\xD6\xC7&#160;&#305;"), std::string::npos);
}

TEST_F(HtmlByteRowsTest, PagedByteRowsEqualTheSteps) {
  TTesselHTML fast;
  TSteppedHTML stepped;
  const fs::path fastDir = *dir_ / "fast";
  const fs::path steppedDir = *dir_ / "stepped";
  fs::create_directories(fastDir);
  fs::create_directories(steppedDir);
  for (TTesselHTML* exporter : {static_cast<TTesselHTML*>(&fast), static_cast<TTesselHTML*>(&stepped)}) {
    exporter->SetMaxRecords(3);
    exporter->DataSet = &table_;
    exporter->ShellLauncher = nullptr;
    exporter->FileName = ((exporter == &fast ? fastDir : steppedDir) / "liste.html").string();
    exporter->Execute();
  }
  ASSERT_EQ(fast.Pages().size(), 4u);
  for (size_t i = 0; i < fast.Pages().size(); ++i)
    EXPECT_EQ(ReadFile(fast.Pages()[i].FileName), ReadFile(stepped.Pages()[i].FileName)) << i;
}

}  // namespace
}  // namespace verimo
