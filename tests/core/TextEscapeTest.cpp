#include <gtest/gtest.h>

#include <string>

#include "core/HexText.h"
#include "core/XmlEscape.h"

namespace verimo {
namespace {

TEST(XmlEscapeTest, LineBreakRuleDecidesOnlyLineFeedsAndTabs) {
  const WideString text = u"R&D <5> \"q\" 'a'\r\n\tb";
  WideString references;
  AppendXmlEscaped(text, TXmlBreaks::References, references);
  EXPECT_EQ(references, u"R&amp;D &lt;5&gt; &quot;q&quot; 'a'&#13;&#10;&#9;b");
  std::string plain;
  AppendXmlEscaped(text, TXmlBreaks::Plain, plain);
  EXPECT_EQ(plain, "R&amp;D &lt;5&gt; &quot;q&quot; 'a'&#13;\n\tb");
}

// The UTF-8 form is the UTF-16 form encoded: the same characters dropped,
// pairs kept whole, also across the internal buffer's refills.
TEST(XmlEscapeTest, Utf8AndUtf16FormsAgree) {
  WideString text = u"x\x01\x1fy\uFFFEz\uFFFF \u00e7\u011f\u20ac\U0001F600";
  text += char16_t(0xD800);
  text += u"b";
  text += char16_t(0xDC00);
  WideString longText;
  for (int i = 0; i < 400; ++i) longText += text + u"&\"";
  for (const WideString& sample : {text, longText}) {
    for (const TXmlBreaks breaks : {TXmlBreaks::References, TXmlBreaks::Plain}) {
      WideString wide;
      std::string utf8;
      AppendXmlEscaped(sample, breaks, wide);
      AppendXmlEscaped(sample, breaks, utf8);
      EXPECT_EQ(WideToUtf8(wide), utf8);
    }
  }
  WideString wide;
  AppendXmlEscaped(text, TXmlBreaks::Plain, wide);
  EXPECT_EQ(wide, u"xyz \u00e7\u011f\u20ac\U0001F600b");
}

TEST(HexTextTest, DigitsColoursAndPercentEncoding) {
  EXPECT_EQ(HexDigit(0x3A), 'A');
  EXPECT_EQ(RgbHex(0x0080FF), "FF8000");
  EXPECT_EQ(PercentEncode("a b/c~%"), u"a%20b%2Fc~%25");
  EXPECT_EQ(PercentEncode("a b/c", "/"), u"a%20b/c");
}

}  // namespace
}  // namespace verimo
