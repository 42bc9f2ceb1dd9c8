#include "engine/SheetNames.h"

#include <gtest/gtest.h>

namespace verimo {
namespace {

TEST(SheetNamesTest, ValidNamesLoseWhatReadersRefuse) {
  EXPECT_EQ(ValidSheetName(u"Müşteriler 2024"), u"Müşteriler 2024");
  EXPECT_EQ(ValidSheetName(u"a[1]:b*c?d/e\\f"), u"a_1__b_c_d_e_f");
  EXPECT_EQ(ValidSheetName(u"tab\there\r\nnew"), u"tab_here__new");
  EXPECT_EQ(ValidSheetName(u"'quoted'"), u"_quoted_");
  EXPECT_EQ(ValidSheetName(u"it's"), u"it's");
  EXPECT_EQ(ValidSheetName(u""), u"Sheet");
  EXPECT_EQ(ValidSheetName(u"'"), u"_");
}

TEST(SheetNamesTest, LongNamesAreCutWithoutSplittingACharacter) {
  const WideString forty = u"A very long table name of forty chars..";
  EXPECT_EQ(ValidSheetName(forty), forty.substr(0, kMaxSheetNameLength));
  // 30 units, then a character of two units: it does not fit whole.
  const WideString emoji = WideString(30, u'x') + u"\U0001F600";
  EXPECT_EQ(ValidSheetName(emoji), WideString(30, u'x'));
  const WideString fits = WideString(29, u'x') + u"\U0001F600";
  EXPECT_EQ(ValidSheetName(fits), fits);
  // A name cut to end in an apostrophe gets it replaced as well.
  EXPECT_EQ(ValidSheetName(WideString(30, u'x') + u"'tail"), WideString(30, u'x') + u"_");
}

TEST(SheetNamesTest, ClashingNamesGetNumbersRegardlessOfCase) {
  TSheetNames names;
  EXPECT_EQ(names.Add(u"Orders"), u"Orders");
  EXPECT_EQ(names.Add(u"ORDERS"), u"ORDERS (2)");
  EXPECT_EQ(names.Add(u"orders"), u"orders (3)");
  EXPECT_EQ(names.Add(u"Orders (2)"), u"Orders (2) (2)");
  // Two names that differ only in what is replaced.
  EXPECT_EQ(names.Add(u"a/b"), u"a_b");
  EXPECT_EQ(names.Add(u"a:b"), u"a_b (2)");
  EXPECT_EQ(names.Add(u"Müşteri"), u"Müşteri");
  EXPECT_EQ(names.Add(u"MÜŞTERI"), u"MÜŞTERI (2)");
  EXPECT_TRUE(names.Contains(u"ORDERS (3)"));
  EXPECT_FALSE(names.Contains(u"Orders (4)"));
  TSheetNames empty;
  EXPECT_EQ(empty.Add(u""), u"Sheet");
  EXPECT_EQ(empty.Add(u"sheet"), u"sheet (2)");
}

TEST(SheetNamesTest, NumberedNamesStayWithinTheLength) {
  TSheetNames names;
  const WideString forty = u"A very long table name of forty chars..";
  const WideString first = names.Add(forty);
  EXPECT_EQ(first.size(), kMaxSheetNameLength);
  for (int i = 2; i <= 12; ++i) {
    const WideString next = names.Add(forty);
    const WideString suffix = u" (" + IntToWide(i) + u")";
    EXPECT_EQ(next, forty.substr(0, kMaxSheetNameLength - suffix.size()) + suffix);
  }
}

}  // namespace
}  // namespace verimo
