#include "resources/StringTable.h"

#include <algorithm>

namespace verimo {
namespace {

// Sorted by identifier.
constexpr TResourceEntry kStringTable[] = {
    {res::kExportSourceNotAssigned, u"Export source (%s) is not assigned"},
    {res::kExportSourceClosed, u"Export kaynağı (%s) kapalı"},
    {res::kExportSourceEmpty, u"Export kaynağı (%s) boş"},
    {res::kEmptyValueNotAllowed, u"Boş değere izin verilmiyit"},
    {res::kStopQuestionTitle, u"Emin misin?"},
    {res::kStopQuestionText, u"Export işlemini iptal etmek istermisiniz?"},
    {res::kAccessNotStarted, u"MS Access uygulaması başlatılamadı."},
    {res::kFolderNotCreated, u"[ %s ] dizin bulunamadı ve dosya oluşturulamadı."},
    {res::kProgressCaption, u"Çıkartılıyor..."},
    {res::kProgressStatusTitle, u"Durum"},
    {res::kProgressTimeTitle, u"Geçen Zaman"},
    {res::kProgressSpeedTitle, u"Aktarım Hızı"},
    {res::kProgressPreparing, u"Hazırlanıyor..."},
    {res::kProgressSkipping, u"Atlanıyor..."},
    {res::kProgressFetching, u"getiriliyor..."},
    {res::kProgressExporting, u"Çıkartılıyor..."},
    {res::kProgressPaused, u"Dur"},
    {res::kProgressAborted, u"Durdu"},
    {res::kProgressFinished, u"Bitti"},
    {res::kProgressSkippedTitle, u"Atlandı"},
    {res::kProgressFetchedTitle, u"Getirildi"},
    {res::kProgressExportedTitle, u"Aktarılan Kayıt"},
    {res::kProgressCancelButton, u"İptal"},
    {res::kProgressOkButton, u"Tamam"},
    {res::kProgressSpeed, u"%d satır/sn"},
    {res::kProgressTimePattern, u"h:nn:ss"},
    {res::kLossDateOutOfRange, u"\"%s\" alanında 1–9999 yılları dışında kalan %s tarih boş aktarıldı."},
    {res::kLossUnwritableCharacter, u"\"%s\" alanında %s kod sayfasında yazılamayan %s karakter \"?\" olarak yazıldı."},
    {res::kLossForbiddenCharacter, u"\"%s\" alanında %s biçiminin kabul etmediği %s karakter çıkarıldı."},
    {res::kLossNumberTooWide, u"\"%s\" alanında %s alanına sığmayan %s sayı \"*\" olarak yazıldı."},
    {res::kLossBlankAsFalse, u"\"%s\" alanında boş olan %s mantıksal değer %s olarak yazıldı."},
    {res::kLossTextCut, u"\"%s\" alanında %s değer sütunun %s karakterlik genişliğine kısaltıldı."},
    {res::kLossCellTextCut, u"\"%s\" alanında %s değer bir hücrenin alabildiği %s karaktere kısaltıldı."},
    {res::kLossNotFinite, u"\"%s\" alanında sonlu olmayan (NaN ya da sonsuz) %s sayı boş (null) yazıldı."},
    {res::kLossLoneSurrogate, u"\"%s\" alanında eşi olmayan %s vekil karakter U+FFFD olarak yazıldı."},
    {res::kLossOther, u"\"%s\" alanında %s değer değişti."},
    {res::kSalvageTitle, u"Hasarlı tablodan kurtarılanlar:"},
    {res::kSalvageMoreProblems, u"… ve %d sorun daha"},
    {res::kLossUnsettableCharacter, u"\"%s\" alanında %s yazı tiplerinde bulunmayan %s karakter \"?\" olarak yazıldı."},
    {res::kCountGroupSeparator, u"."},
    {res::kDefaultSheetName, u"Sayfa1"},
    {res::kDefaultTableName, u"Tablo1"},
};

static_assert(IsSortedByIdent(kStringTable));

}  // namespace

std::optional<WideStringView> FindInResourceTable(std::span<const TResourceEntry> table, int ident) {
  const auto found = std::lower_bound(table.begin(), table.end(), ident,
                                      [](const TResourceEntry& entry, int id) { return entry.ident < id; });
  if (found == table.end() || found->ident != ident) return std::nullopt;
  return WideStringView(found->text);
}

std::optional<WideStringView> FindResourceString(int ident) { return FindInResourceTable(kStringTable, ident); }

}  // namespace verimo
