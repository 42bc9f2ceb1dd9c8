#include "formats/pdf/PdfDocument.h"

#include <gtest/gtest.h>

#include <regex>

#include "core/Exception.h"
#include "formats/pdf/PdfPageOptions.h"

namespace verimo {
namespace {

class PdfDocumentTest : public ::testing::Test {
 protected:
  std::string Text() const { return std::string(stream_.View()); }
  void AddFourFonts() {
    for (const char16_t* name : {u"DataFont", u"CaptionFont", u"HeaderFont", u"FooterFont"}) document_.AddFont(TPDFFont(name));
  }
  TMemoryStream stream_;
  TPDFDocument document_{stream_, 1252};
};

TEST_F(PdfDocumentTest, OnePageWithFourFontsHasElevenObjectsAndTwentyByteEntries) {
  document_.BeginDocument();
  document_.BeginPage();
  AddFourFonts();
  document_.EndPageContent();
  document_.EndDocument();
  const std::string pdf = Text();
  EXPECT_EQ(pdf.rfind("%PDF-1.3\r", 0), 0u);
  EXPECT_NE(pdf.find("\rxref\r0 12\r0000000000 65535 f \r"), std::string::npos);
  // An empty content stream: "stream" CR LF, length 0.
  EXPECT_NE(pdf.find("stream\r\nendstream\rendobj\r2 0 obj\r0 \rendobj\r"), std::string::npos);
  // Each entry is 20 bytes and points at its object.
  const size_t entries = pdf.find("0000000000 65535 f \r") + 20;
  for (int object = 1; object <= 11; ++object) {
    const std::string entry = pdf.substr(entries + 20 * static_cast<size_t>(object - 1), 20);
    ASSERT_EQ(entry.substr(10), " 00000 n \r");
    const std::string header = std::to_string(object) + " 0 obj\r";
    EXPECT_EQ(pdf.compare(std::stoul(entry.substr(0, 10)), header.size(), header), 0);
  }
  EXPECT_NE(pdf.find("/Font <</DataFont 4 0 R /CaptionFont 5 0 R /HeaderFont 6 0 R /FooterFont 7 0 R  >>"),
            std::string::npos);
  EXPECT_EQ(pdf.substr(pdf.size() - 5), "%%EOF");
  EXPECT_THROW(document_.AddFont(TPDFFont(u"DataFont")), Exception);
}

TEST_F(PdfDocumentTest, ColoursTextAndLines) {
  document_.BeginDocument();
  document_.BeginPage();
  TPDFFont font(u"DataFont");
  document_.AddFont(font);
  document_.SetFont(font);
  document_.TextOut(10, 20, 255, u"a\\(b\\)");
  document_.Line(0, 1, 2, 3.25, 4);
  // A system colour ("window text") is drawn black, not in a made-up colour.
  document_.SetFillColor(0x80000008);
  document_.EndDocument();
  const std::string pdf = Text();
  EXPECT_NE(pdf.find("1.00 0.00 0.00 rg\rBT\r/DataFont 10 Tf\r10 20 Td (a\\(b\\)) Tj\rET\r0.00 0.00 0.00 rg\r"),
            std::string::npos);
  EXPECT_NE(pdf.find("1.0 2.0 m \r3.2 4.0 l \r1.0 w \rS\r"), std::string::npos);
  EXPECT_NE(pdf.find("0.00 0.00 0.00 rg\rendstream"), std::string::npos);
}

TEST_F(PdfDocumentTest, NewPageStartsFromBlack) {
  document_.BeginDocument();
  TPDFFont font(u"DataFont");
  document_.AddFont(font);
  document_.SetFont(font);
  document_.BeginPage();
  document_.SetFillColor(255);
  document_.BeginPage();
  document_.TextOut(0, 0, 255, u"x");
  document_.EndDocument();
  const std::string pdf = Text();
  const size_t second = pdf.find("3 0 obj");
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(pdf.find("1.00 0.00 0.00 rg\rBT", second), std::string::npos);
}

TEST_F(PdfDocumentTest, UserFontIsNamedByStyleAndHasWidths) {
  TPDFFont font(u"DataFont");
  font.UseUserFont = true;
  font.UserFont.Name = u"Times New Roman";
  font.UserFont.Bold = true;
  document_.BeginDocument();
  document_.BeginPage();
  document_.AddFont(font);
  document_.EndDocument();
  const std::string pdf = Text();
  EXPECT_NE(pdf.find("/Subtype /TrueType\r"), std::string::npos);
  EXPECT_NE(pdf.find("/BaseFont /TimesNewRoman,Bold\r"), std::string::npos);
  EXPECT_NE(pdf.find("/Widths ["), std::string::npos);
}

TEST(PdfEncodingTest, TurkishCodePageGetsItsDifferences) {
  TMemoryStream stream;
  TPDFDocument document(stream, 1254);
  document.BeginDocument();
  document.BeginPage();
  document.AddFont(TPDFFont(u"DataFont"));
  TPDFFont mac(u"CaptionFont");
  mac.FontEncoding = poMacRomanEncoding;
  document.AddFont(mac);
  document.EndDocument();
  const std::string pdf(stream.View());
  EXPECT_NE(pdf.find("/Encoding << /Type /Encoding /BaseEncoding /WinAnsiEncoding /Differences [208 /Gbreve 221 "
                     "/Idotaccent 222 /Scedilla 240 /gbreve 253 /dotlessi 254 /scedilla] >>\r"),
            std::string::npos);
  EXPECT_NE(pdf.find("/BaseEncoding /MacRomanEncoding /Differences [128 /Euro"), std::string::npos);
  // The Western code page is WinAnsiEncoding itself.
  TMemoryStream western;
  TPDFDocument latin(western, 1252);
  latin.BeginDocument();
  latin.AddFont(TPDFFont(u"DataFont"));
  latin.EndDocument();
  EXPECT_NE(std::string(western.View()).find("/Encoding /WinAnsiEncoding\r"), std::string::npos);
}

TEST(PdfWidthTest, StandardWidthsFollowTheDrawnGlyphs) {
  // The family table for the layout averages, as the published metrics give it.
  EXPECT_EQ(pdf::FamilyCodeWidths(TPDFFontFamily::Helvetica)['A'], 667);
  EXPECT_EQ(pdf::FamilyCodeWidths(TPDFFontFamily::Helvetica)[164], 167);
  EXPECT_EQ(pdf::FamilyCodeWidths(TPDFFontFamily::Times)[241], 667);
  EXPECT_EQ(pdf::FamilyCodeWidths(TPDFFontFamily::Courier)[200], 600);
  TMemoryStream stream;
  TPDFDocument document(stream, 1254);
  TPDFFont font(u"DataFont");
  font.FontSize = 1000;
  // Ğ İ Ş ğ ı ş in Helvetica.
  EXPECT_EQ(document.TextWidth(font, u"\u011E"), 778);
  EXPECT_EQ(document.TextWidth(font, u"\u0130\u015E\u011F\u0131\u015F"), 278 + 667 + 556 + 278 + 500);
  // Escapes are measured as the character they stand for.
  EXPECT_EQ(document.TextWidth(font, u"\\("), 333);
  const auto& table = pdf::FamilyCodeWidths(TPDFFontFamily::Helvetica);
  double sum = 0;
  for (int width : table) sum += width;
  EXPECT_EQ(TPDFFont::StandardAverageWidth(10, poHelvetica, 13), RoundHalfEven(10 * 13 * sum / 256 / 1000));
}

TEST(PdfPageOptionsTest, BoxesAndTurnedMargins) {
  TTesselPDFPageOptions page;
  EXPECT_EQ(page.MediaBox(), (TPDFBox{0, 0, 594, 841}));
  EXPECT_EQ(page.TrimBox(), (TPDFBox{85, 57, 552, 784}));
  page.SetOrientation(poLandscape);
  EXPECT_EQ(page.WidthPoints(), 842);
  EXPECT_EQ(page.HeightPoints(), 595);
  EXPECT_EQ(page.MarginPoints(0), 57);
  EXPECT_EQ(page.MarginPoints(1), 57);
  EXPECT_EQ(page.MarginPoints(2), 85);
  EXPECT_EQ(page.MarginPoints(3), 42);
  page.SetOrientation(poPortrait);
  EXPECT_EQ(page.TrimBox(), (TPDFBox{85, 57, 552, 784}));
  page.Units = unMillimeter;
  EXPECT_EQ(page.Width(), 210);
  page.SetWidth(100);
  EXPECT_EQ(page.Format(), pfUser);
  EXPECT_EQ(page.WidthPoints(), 283);
  page.Units = unInch;
  EXPECT_DOUBLE_EQ(page.MarginLeft(), 1.18);
  page.SetFormat(pfLetter);
  EXPECT_EQ(page.MediaBox(), (TPDFBox{0, 0, 611, 791}));
}

}  // namespace
}  // namespace verimo
