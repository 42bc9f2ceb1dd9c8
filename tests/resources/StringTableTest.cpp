#include "resources/StringTable.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace verimo
