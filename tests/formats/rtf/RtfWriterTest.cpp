#include "formats/rtf/RtfWriter.h"

#include <gtest/gtest.h>

#include "engine/TesselStream.h"
#include "formats/rtf/TesselRTF.h"

namespace verimo {
namespace {

std::string Ascii(WideStringView text) { return WideToUtf8(text); }

TEST(RtfTextTest, EveryCodeUnitButBackslashAndBreaksIsAUnicodeEscape) {
  EXPECT_EQ(Ascii(rtf::Encode(rtf::DoubleBackslashes(u"C:\\Temp"))), "\\u67?\\u58?\\\\\\u84?\\u101?\\u109?\\u112?");
  EXPECT_EQ(Ascii(rtf::Encode(u"ş{}")), "\\u351?\\u123?\\u125?");
  EXPECT_EQ(Ascii(rtf::Encode(u"\uFFFF")), "\\u65535?");
  // One escape per surrogate, both unsigned, each with its fallback.
  EXPECT_EQ(Ascii(rtf::Encode(u"\U0001D11E")), "\\u55348?\\u56606?");
  EXPECT_EQ(Ascii(rtf::Encode(u"\r\n")), "\r\n");
  EXPECT_EQ(rtf::Encode(u""), u"");
}

TEST(RtfTextTest, LineBreaksBecomeParagraphsOrLineBreaks) {
  EXPECT_EQ(Ascii(rtf::Encode(u"a\r\nb\nc\rd", rtf::TLineBreaks::Cell)),
            "\\u97?\\par \\u98?\\line \\u99?\\line \\u100?");
  EXPECT_EQ(Ascii(rtf::Encode(u"a\nb\r\nc", rtf::TLineBreaks::Paragraph)), "\\u97?\\par \\u98?\\par \\u99?");
}

TEST(RtfTextTest, FontNamesCannotEndTheirEntryEarly) {
  EXPECT_EQ(Ascii(rtf::FontNameText(u"A\\B{C};Ş")), "A\\\\B\\{C\\}\\u59?\\u350?");
}

TEST(RtfColorTest, SystemColoursResolveToOneRealColour) {
  EXPECT_EQ(rtf::ResolveColor(0xFF000005), clWhite);  // window background
  EXPECT_EQ(rtf::ResolveColor(0x80000008), clBlack);  // window text
  EXPECT_EQ(rtf::ResolveColor(0x00123456), 0x00123456u);
  EXPECT_EQ(rtf::ResolveColor(clNone), 0xFFFFFFu);

  TMemoryStream stream;
  TTesselRTFWriter writer(nullptr, &stream);
  writer.AddColorItem(TRTFColorTableItem(clBlack));
  writer.WriteColorTable();
  EXPECT_EQ(Ascii(writer.GetColorMarkup(0xFF00000F, rckBackground)), "\\cbpat1");
  EXPECT_EQ(Ascii(writer.GetColorMarkup(0xFF00000F, rckHighlight)), "\\highlight1");
  EXPECT_EQ(writer.ColorTable().Count(), 2);
}

TEST(RtfTableTest, LookUpsFollowNamesNumbersAndValues) {
  TRTFFontTable fonts;
  EXPECT_EQ(fonts.NextNumber(), -1);
  fonts.Add({0, u"nil", u"Arial"});
  fonts.Add({5, u"nil", u"Arial"});
  EXPECT_EQ(fonts.IndexOfName(u"ARIAL"), 0);
  EXPECT_EQ(fonts.IndexOfName(u"Tahoma"), -1);
  EXPECT_EQ(fonts.NextNumber(), 6);
  EXPECT_EQ(Ascii(fonts[1].Text()), "{\\f5\\fnil Arial;}");
  EXPECT_EQ(Ascii(TRTFColorTableItem(0x00FF8040).Text()), "\\red64\\green128\\blue255;");
}

// Fonts and colours met after the tables were written land inside them,
// also when the body is longer than one moving step.
TEST(RtfTableTest, LateFontsAndColoursAreInsertedIntoTheWrittenTables) {
  TMemoryStream stream;
  TTesselRTF owner;
  TTesselRTFWriter writer(&owner, &stream);
  writer.WriteBeginGroup();
  writer.WriteHeader();
  writer.AddFontItem({0, u"nil", u"Arial"});
  writer.WriteFontTable();
  writer.AddColorItem(TRTFColorTableItem(clBlack));
  writer.WriteColorTable();
  const std::string body(3 << 20, 'x');
  writer.WriteLn(Utf8ToWide(body));
  TTesselFont font;
  font.Name = u"Şeker";
  EXPECT_EQ(Ascii(writer.GetFontMarkup(font, false)), "\\f1\\fs20");
  EXPECT_EQ(Ascii(writer.GetColorMarkup(0x0000FF, rckText)), "\\cf1");
  writer.Write(u"}");
  writer.Finish();
  const std::string expected = "{\\rtf1\\ansi\\deff0\\deftab720\r\n{\\fonttbl{\\f0\\fnil Arial;}{\\f1\\fnil \\u350?eker;}}\r\n"
                               "{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\r\n" + body + "\r\n}";
  EXPECT_TRUE(stream.View() == expected) << stream.View().substr(0, 200);
  EXPECT_EQ(stream.Position(), stream.Size());
}

}  // namespace
}  // namespace verimo
