#include "resources/StringTable.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "resources/EnglishText.h"

namespace verimo {
namespace {

std::string Text(int ident) {
  std::optional<WideStringView> text = FindResourceString(ident);
  return text ? WideToUtf8(*text) : "<missing>";
}

TEST(StringTableTest, MessagesOfTheExportComponents) {
  EXPECT_EQ(Text(res::kExportSourceNotAssigned), "Export source (%s) is not assigned");
  EXPECT_EQ(Text(res::kExportSourceClosed), "Export kaynağı (%s) kapalı");
  EXPECT_EQ(Text(res::kExportSourceEmpty), "Export kaynağı (%s) boş");
  EXPECT_EQ(Text(res::kEmptyValueNotAllowed), "Boş değere izin verilmiyit");
  EXPECT_EQ(Text(res::kStopQuestionTitle), "Emin misin?");
  EXPECT_EQ(Text(res::kStopQuestionText), "Export işlemini iptal etmek istermisiniz?");
  EXPECT_EQ(Text(res::kAccessNotStarted), "MS Access uygulaması başlatılamadı.");
  EXPECT_EQ(Text(res::kFolderNotCreated), "[ %s ] dizin bulunamadı ve dosya oluşturulamadı.");
  EXPECT_EQ(Text(res::kDefaultSheetName), "Sayfa1");
  EXPECT_EQ(Text(res::kDefaultTableName), "Tablo1");
}

TEST(StringTableTest, ProgressWindowTexts) {
  EXPECT_EQ(Text(res::kProgressCaption), "Çıkartılıyor...");
  EXPECT_EQ(Text(res::kProgressTimeTitle), "Geçen Zaman");
  EXPECT_EQ(Text(res::kProgressSpeedTitle), "Aktarım Hızı");
  EXPECT_EQ(Text(res::kProgressCancelButton), "İptal");
  EXPECT_EQ(Text(res::kProgressSpeed), "%d satır/sn");
  for (int ident = 34491; ident <= 34508; ++ident) EXPECT_NE(Text(ident), "<missing>") << ident;
}

TEST(StringTableTest, UnknownIdentifiers) {
  EXPECT_FALSE(FindResourceString(0));
  EXPECT_FALSE(FindResourceString(33999));
  EXPECT_FALSE(FindResourceString(34015));
  EXPECT_FALSE(FindResourceString(34820));
  EXPECT_FALSE(FindResourceString(-1));
}

// The placeholders of a pattern without their indexes ("%1:s" is "%s").
std::string Placeholders(WideStringView text) {
  std::string kinds;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'%') continue;
    size_t end = i + 1;
    while (end < text.size() && (text[end] == u':' || (text[end] >= u'0' && text[end] <= u'9'))) ++end;
    if (end < text.size() && text[end] != u'%') kinds += static_cast<char>(text[end]);
    i = end;
  }
  std::sort(kinds.begin(), kinds.end());
  return kinds;
}

// Every entry has its English text, with the same placeholders.
TEST(StringTableTest, EnglishTranslationOfEveryEntry) {
  int entries = 0;
  for (int ident = res::kFirstIdent; ident <= res::kLastIdent; ++ident) {
    const std::optional<WideStringView> turkish = FindResourceString(ident);
    const std::optional<WideStringView> english = FindEnglishResourceString(ident);
    EXPECT_EQ(turkish.has_value(), english.has_value()) << ident;
    if (!turkish || !english) continue;
    ++entries;
    EXPECT_EQ(Placeholders(*turkish), Placeholders(*english)) << ident;
  }
  EXPECT_GE(entries, 40);
  EXPECT_EQ(WideToUtf8(*FindEnglishResourceString(res::kFolderNotCreated)),
            "[ %s ] folder not found and the file could not be created.");
}

TEST(StringTableTest, LanguageOfLocaleNamesAndCaptions) {
  EXPECT_EQ(LanguageOfLocale("tr_TR.UTF-8"), TLanguage::Turkish);
  EXPECT_EQ(LanguageOfLocale("tr@latin"), TLanguage::Turkish);
  EXPECT_EQ(LanguageOfLocale("en_US"), TLanguage::English);
  EXPECT_EQ(LanguageOfLocale("POSIX"), TLanguage::English);
  EXPECT_EQ(WideToUtf8(*FindEnglishCaption(u"İŞLEME BAŞLA")), "START");
  EXPECT_FALSE(FindEnglishCaption(u"SQL"));
}

}  // namespace
}  // namespace verimo
