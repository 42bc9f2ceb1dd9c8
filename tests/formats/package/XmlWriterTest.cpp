#include "formats/package/TesselXMLWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/TesselStream.h"

namespace verimo {
namespace {

std::string Written(const std::function<void(TTesselXMLWriter&)>& write) {
  TMemoryStream stream;
  {
    TTesselXMLWriter xml(stream);
    write(xml);
    xml.Flush();
  }
  return std::string(stream.View());
}

TEST(XmlWriterTest, TagsHaveTheFixedShapes) {
  EXPECT_EQ(Written([](TTesselXMLWriter& x) { x.WriteDeclaration("1.0", "UTF-8", "yes"); }),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n");
  EXPECT_EQ(Written([](TTesselXMLWriter& x) { x.WriteDeclaration("", "", ""); }), "<?xml ?>\r\n");
  EXPECT_EQ(Written([](TTesselXMLWriter& x) { x.WriteElement("c", {}, {{"r", u"A1"}, {"s", u"2"}}); }),
            "<c r=\"A1\" s=\"2\" />");
  EXPECT_EQ(Written([](TTesselXMLWriter& x) { x.WriteElement("b"); }), "<b/>");
  EXPECT_EQ(Written([](TTesselXMLWriter& x) { x.WriteElement("e", u"abc", {{"a", u"1"}}); }), "<e a=\"1\" >abc</e>");
  EXPECT_EQ(Written([](TTesselXMLWriter& x) {
              x.OpenElement("e", u"ç");
              x.CloseElement("e", true);
            }),
            "<e>\xC3\xA7</e>\r\n");
}

TEST(XmlWriterTest, TextAndAttributesAreEscapedAndSpacesStaySpaces) {
  EXPECT_EQ(Written([](TTesselXMLWriter& x) { x.WriteText(u"a < b & c > \"d\" 'e'"); }),
            "a &lt; b &amp; c &gt; &quot;d&quot; 'e'");
  EXPECT_EQ(Written([](TTesselXMLWriter& x) { x.WriteElement("s", {}, {{"name", u"a&b<\"c\">"}}); }),
            "<s name=\"a&amp;b&lt;&quot;c&quot;&gt;\" />");
  // Readers normalise CR LF to LF, so a CR survives only as a reference;
  // attribute values keep tabs and line ends the same way.
  EXPECT_EQ(Written([](TTesselXMLWriter& x) { x.WriteText(u"a\r\nb\tc"); }), "a&#13;\nb\tc");
  EXPECT_EQ(Written([](TTesselXMLWriter& x) { x.WriteElement("s", {}, {{"v", u"a\r\n\tb"}}); }),
            "<s v=\"a&#13;&#10;&#9;b\" />");
}

TEST(XmlWriterTest, CharactersXmlForbidsAreDroppedAndPairsBecomeOneSequence) {
  const WideString text = u"a\x01\x08\x0B\x0C\x0E\x1F" u"b\xFFFE\xFFFF" u"c" + WideString(1, char16_t(0xD800)) + u"d" +
                          WideString(1, char16_t(0xDC00)) + u"e\U0001F600f";
  EXPECT_EQ(Written([&](TTesselXMLWriter& x) { x.WriteText(text); }), "abcde\xF0\x9F\x98\x80" "f");
  EXPECT_EQ(Written([&](TTesselXMLWriter& x) { x.WriteElement("s", {}, {{"v", text}}); }),
            "<s v=\"abcde\xF0\x9F\x98\x80" "f\" />");
  // A high surrogate at the very end is dropped too.
  EXPECT_EQ(Written([&](TTesselXMLWriter& x) { x.WriteText(u"z" + WideString(1, char16_t(0xDBFF))); }), "z");
}

TEST(XmlWriterTest, PreserveIsAskedForAnyWhiteSpace) {
  EXPECT_FALSE(TTesselXMLWriter::NeedsPreserve(u""));
  EXPECT_FALSE(TTesselXMLWriter::NeedsPreserve(u"abc"));
  EXPECT_TRUE(TTesselXMLWriter::NeedsPreserve(u" a"));
  EXPECT_TRUE(TTesselXMLWriter::NeedsPreserve(u"a "));
  EXPECT_TRUE(TTesselXMLWriter::NeedsPreserve(u"a  b"));
}

TEST(XmlWriterTest, LongOutputIsFlushedInPiecesAndKeptWhole) {
  std::string expected;
  const std::string written = Written([&](TTesselXMLWriter& x) {
    for (int i = 0; i < 50000; ++i) {
      x.WriteElement("v", Utf8ToWide(std::to_string(i)));
      expected += "<v>" + std::to_string(i) + "</v>";
    }
  });
  EXPECT_EQ(written, expected);
}

}  // namespace
}  // namespace verimo
