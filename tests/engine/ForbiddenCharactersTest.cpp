// Counting the characters a format forbids, at every position of a text
// long enough for the counter's eight-at-a-time path.
#include <gtest/gtest.h>

#include "engine/TesselValueCheck.h"

namespace verimo {
namespace {

WideString Plain(size_t length) {
  WideString text;
  for (size_t i = 0; i < length; ++i) text += static_cast<char16_t>(u'a' + i % 26);
  return text;
}

TEST(ForbiddenCharactersTest, EachForbiddenCharacterCountsWhereverItStands) {
  for (size_t at = 0; at < 40; ++at) {
    for (const char16_t forbidden : {u'\x01', u'\x1F', u'\xFFFE', u'\xFFFF', u'\xD800', u'\xDFFF'}) {
      WideString text = Plain(40);
      text[at] = forbidden;
      EXPECT_EQ(CountForbiddenCharacters(text, TForbiddenCharacters::MarkupControls), 1u)
          << "unit " << static_cast<int>(forbidden) << " at " << at;
      EXPECT_EQ(CountForbiddenCharacters(text, TForbiddenCharacters::Nul), 0u);
    }
    WideString text = Plain(40);
    text[at] = 0;
    EXPECT_EQ(CountForbiddenCharacters(text, TForbiddenCharacters::Nul), 1u) << at;
    EXPECT_EQ(CountForbiddenCharacters(text, TForbiddenCharacters::MarkupControls), 1u) << at;
  }
}

TEST(ForbiddenCharactersTest, AllowedCharactersAndSurrogatePairsCountNothing) {
  // Tabs and line breaks, letters of every range below the surrogates and
  // above them, and pairs that straddle every eight-unit boundary.
  for (size_t at = 0; at + 1 < 40; ++at) {
    WideString text = Plain(40);
    text[at] = u'\xD83D';
    text[at + 1] = u'\xDE00';
    text += u"\t\r\n\u011F\u4E2D\uE000\uFFFD";
    EXPECT_EQ(CountForbiddenCharacters(text, TForbiddenCharacters::MarkupControls), 0u) << at;
  }
  WideString reversed = Plain(20);
  reversed[9] = u'\xDE00';
  reversed[10] = u'\xD83D';
  EXPECT_EQ(CountForbiddenCharacters(reversed, TForbiddenCharacters::MarkupControls), 2u);
  EXPECT_EQ(CountForbiddenCharacters(WideString(100, u'\x02'), TForbiddenCharacters::MarkupControls), 100u);
}

}  // namespace
}  // namespace verimo
