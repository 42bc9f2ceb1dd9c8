#include "resources/StringTable.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace verimo {
namespace {

struct Entry {
  int ident;
  const char16_t* text;
};

// Sorted by identifier.
constexpr Entry kStringTable[] = {
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
    {res::kDefaultSheetName, u"Sayfa1"},
    {res::kDefaultTableName, u"Tablo1"},
};

static_assert(std::is_sorted(std::begin(kStringTable), std::end(kStringTable),
                             [](const Entry& a, const Entry& b) { return a.ident < b.ident; }));

}  // namespace

std::optional<WideStringView> FindResourceString(int ident) {
  const auto* found = std::lower_bound(std::begin(kStringTable), std::end(kStringTable), ident,
                                       [](const Entry& entry, int id) { return entry.ident < id; });
  if (found == std::end(kStringTable) || found->ident != ident) return std::nullopt;
  return WideStringView(found->text);
}

}  // namespace verimo
