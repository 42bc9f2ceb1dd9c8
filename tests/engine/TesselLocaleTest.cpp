#include "engine/TesselLocale.h"

#include <gtest/gtest.h>

namespace verimo {
namespace {

std::string Fill(const char16_t* pattern, std::initializer_list<TFormatArg> args) {
  return WideToUtf8(FormatText(pattern, args));
}

TEST(FormatTextTest, FillsPlaceholdersInOrder) {
  EXPECT_EQ(Fill(u"Export source (%s) is not assigned", {WideString(u"DataSet")}),
            "Export source (DataSet) is not assigned");
  EXPECT_EQ(Fill(u"%d satır/sn", {int64_t{30}}), "30 satır/sn");
  EXPECT_EQ(Fill(u"%s=%d%%", {WideString(u"a"), int64_t{-5}}), "a=-5%");
  EXPECT_EQ(Fill(u"%1:s %0:s %s", {WideString(u"x"), WideString(u"y")}), "y x y");
  EXPECT_EQ(Fill(u"[%5d|%-4s|%.3d|%.2s]", {int64_t{42}, WideString(u"ab"), int64_t{-7}, WideString(u"xyz")}),
            "[   42|ab  |-007|xy]");
  EXPECT_EQ(Fill(u"%S %D", {WideString(u"up"), int64_t{1}}), "up 1");
}

TEST(FormatTextTest, MismatchesNeverThrow) {
  EXPECT_EQ(Fill(u"%s and %s", {WideString(u"one")}), "one and %s");
  EXPECT_EQ(Fill(u"%d", {WideString(u"text")}), "text");
  EXPECT_EQ(Fill(u"%s", {int64_t{12}}), "12");
  EXPECT_EQ(Fill(u"%x %", {int64_t{1}}), "%x %");
  EXPECT_EQ(Fill(u"%9:s", {WideString(u"a")}), "%9:s");
  EXPECT_EQ(Fill(u"no placeholders", {int64_t{1}}), "no placeholders");
  EXPECT_EQ(Fill(u"%99999999999999999999d", {int64_t{1}}).size(), 100000u);
}

class TesselLocaleTest : public ::testing::Test {
 protected:
  ~TesselLocaleTest() override { TTesselLocale::Instance().OnGetText = nullptr; }
  TTesselLocale& locale = TTesselLocale::Instance();
};

TEST_F(TesselLocaleTest, LoadsTheStringTable) {
  EXPECT_EQ(WideToUtf8(locale.LoadText(34014)), "Export source (%s) is not assigned");
  EXPECT_EQ(WideToUtf8(locale.LoadText(34016)), "Export kaynağı (%s) kapalı");
  EXPECT_EQ(WideToUtf8(locale.LoadText(34025)), "[ %s ] dizin bulunamadı ve dosya oluşturulamadı.");
  EXPECT_TRUE(locale.LoadText(34999).empty());
  EXPECT_EQ(WideToUtf8(locale.LoadMessage(34017, {WideString(u"CustomSource")})),
            "Export kaynağı (CustomSource) boş");
  EXPECT_EQ(&TTesselLocale::Instance(), &locale);
}

TEST_F(TesselLocaleTest, TextHandlerComesFirst) {
  std::vector<int> asked;
  locale.OnGetText = [&asked](int ident) -> WideString {
    asked.push_back(ident);
    return ident == 34019 ? u"Are you sure?" : u"";
  };
  EXPECT_EQ(WideToUtf8(locale.LoadText(34019)), "Are you sure?");
  // An empty answer leaves the table's text.
  EXPECT_EQ(WideToUtf8(locale.LoadText(34610)), "Sayfa1");
  EXPECT_EQ(asked, (std::vector<int>{34019, 34610}));
}

}  // namespace
}  // namespace verimo
