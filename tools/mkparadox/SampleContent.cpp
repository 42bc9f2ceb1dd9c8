#include "tools/mkparadox/SampleContent.h"

#include <array>
#include <string_view>

namespace verimo::tools {
namespace {

constexpr std::array<std::string_view, 16> kFirstNames = {
    "Ayşe",  "Şükrü", "İsmail", "Gülşen", "Çağrı", "Özlem", "Ümit",  "Ilgın",
    "Barış", "Doğan", "Nazlı",  "Tuğçe",  "Oğuz",  "Şebnem", "İrem", "Güneş"};
constexpr std::array<std::string_view, 12> kLastNames = {
    "Öztürk", "Çelik", "Yılmaz", "Şahin",    "Doğru", "Koç",
    "Aydın",  "Güler", "Kılıç",  "Ağaoğlu", "Işık",  "Ünlü"};
constexpr std::array<std::string_view, 14> kCities = {
    "İstanbul", "İzmir",  "Ankara", "Çanakkale", "Şanlıurfa", "Muğla", "Ağrı",
    "Düzce",    "Iğdır",  "Kütahya", "Eskişehir", "Gümüşhane", "Niğde", "Bursa"};
constexpr std::array<std::string_view, 10> kNoteSentences = {
    "Sipariş ödendi.",
    "Müşteri çağrı merkezini aradı.",
    "Teslimat İzmir şubesinden yapılacak.",
    "İade talebi: kırık ürün",
    "Ödeme planı\tüç taksit",
    "Dosya C:\\Veri\\Arşiv\\2024 altında.",
    "Şikâyet çözüldü; memnuniyet yüksek.",
    "Fatura adresi değişti.",
    "\"Öncelikli\" olarak işaretlendi.",
    "Güncelleme bekleniyor..."};
constexpr std::array<std::string_view, 3> kSentenceBreaks = {" ", "\r\n", "\n"};

// SplitMix64: a well-mixed 64-bit value for each (seed, row, purpose).
uint64_t Mix(uint64_t value) {
  value += 0x9E3779B97F4A7C15ULL;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
  return value ^ (value >> 31);
}

class RowRandom {
 public:
  RowRandom(uint64_t seed, int64_t index) : state_(Mix(seed ^ Mix(static_cast<uint64_t>(index)))) {}
  uint64_t Next() { return state_ = Mix(state_); }
  uint64_t Below(uint64_t bound) { return Next() % bound; }
  bool OneIn(uint64_t n) { return Below(n) == 0; }

 private:
  uint64_t state_;
};

// Cuts a UTF-8 text after `maxCodePoints` code points.
std::string TruncateCodePoints(std::string text, size_t maxCodePoints) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (count == maxCodePoints) {
      text.resize(i);
      break;
    }
    ++count;
  }
  return text;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<size_t>(month - 1)];
}

// Days that catch off-by-one errors around calendar and epoch boundaries.
constexpr std::array<CivilDate, 8> kSpecialDates = {{{1899, 12, 30},
                                                     {1899, 12, 31},
                                                     {1900, 2, 28},
                                                     {1900, 3, 1},
                                                     {2000, 2, 29},
                                                     {1752, 9, 14},
                                                     {1970, 1, 1},
                                                     {2038, 1, 19}}};

CivilDate RandomDate(RowRandom& random) {
  if (random.OneIn(20)) return kSpecialDates[random.Below(kSpecialDates.size())];
  CivilDate date;
  date.year = 1600 + static_cast<int>(random.Below(800));
  date.month = 1 + static_cast<int>(random.Below(12));
  date.day = 1 + static_cast<int>(random.Below(static_cast<uint64_t>(DaysInMonth(date.year, date.month))));
  return date;
}

std::string RandomName(RowRandom& random) {
  std::string name(kFirstNames[random.Below(kFirstNames.size())]);
  name += ' ';
  name += kLastNames[random.Below(kLastNames.size())];
  return name;
}

std::string RandomNotes(RowRandom& random, int32_t id, NotesKind kind) {
  std::string notes = "Kayıt " + std::to_string(id) + ":";
  int sentences = 1 + static_cast<int>(random.Below(3));
  // Now and then a long memo, so that BLOBs larger than a block occur.
  if (kind == NotesKind::Memo && random.OneIn(97)) sentences = 120 + static_cast<int>(random.Below(80));
  for (int i = 0; i < sentences; ++i) {
    notes += kind == NotesKind::Memo ? kSentenceBreaks[random.Below(kSentenceBreaks.size())] : " ";
    notes += kNoteSentences[random.Below(kNoteSentences.size())];
  }
  if (kind == NotesKind::Alpha) notes = TruncateCodePoints(std::move(notes), kAlphaNotesLength);
  return notes;
}

SampleRow BlankRow(int32_t id) {
  SampleRow row;
  row.id = id;
  return row;
}

SampleRow LargestRow(int32_t id, NotesKind kind) {
  SampleRow row;
  row.id = id;
  row.name = TruncateCodePoints("Ğ" + std::string(kNameLength, 'x'), kNameLength);
  row.city = std::string(kCityLength - 1, 'I') + "İ";
  row.balanceCents = 99999999999999;  // 999,999,999,999.99
  row.level = 32767;
  row.joined = CivilDate{9999, 12, 31};
  row.active = true;
  std::string notes = "Tab\there, CR\rLF\nand a backslash \\ at the end\\";
  if (kind == NotesKind::Alpha)
    notes = TruncateCodePoints(notes + std::string(kAlphaNotesLength, 'z'), kAlphaNotesLength);
  row.notes = notes;
  return row;
}

SampleRow ZeroRow(int32_t id, NotesKind kind) {
  SampleRow row;
  row.id = id;
  row.name = "0";
  row.city = " ";
  row.balanceCents = 0;
  row.level = 0;
  row.joined = CivilDate{1899, 12, 30};
  row.active = false;
  // Fits the memo's leader, so it lives in the record only.
  row.notes = kind == NotesKind::Memo ? "kısa" : "kısa not";
  return row;
}

SampleRow SmallestRow(int32_t id) {
  SampleRow row;
  row.id = id;
  row.name = "ı";
  row.city = "Ş";
  row.balanceCents = -99999999999999;
  row.level = -32767;
  row.joined = CivilDate{1, 1, 1};
  row.active = false;
  row.notes = "x";
  return row;
}

SampleRow RandomRow(uint64_t seed, int64_t index, NotesKind kind) {
  RowRandom random(seed, index);
  SampleRow row;
  row.id = static_cast<int32_t>(index + 1);
  if (!random.OneIn(17)) row.name = RandomName(random);
  if (!random.OneIn(13)) row.city = std::string(kCities[random.Below(kCities.size())]);
  if (!random.OneIn(19)) {
    row.balanceCents = random.OneIn(11) ? 0 : static_cast<int64_t>(random.Below(200000001)) - 100000000;
  }
  if (!random.OneIn(23)) {
    row.level = random.OneIn(9) ? 0 : static_cast<int16_t>(static_cast<int>(random.Below(65535)) - 32767);
  }
  if (!random.OneIn(15)) row.joined = RandomDate(random);
  if (!random.OneIn(10)) row.active = random.OneIn(2);
  if (!random.OneIn(8)) row.notes = RandomNotes(random, row.id, kind);
  return row;
}

}  // namespace

std::vector<SampleColumn> SampleColumns(NotesKind notes) {
  std::vector<SampleColumn> columns = {
      {"Id", 'I', 4},      {"Name", 'A', kNameLength}, {"City", 'A', kCityLength},
      {"Balance", '$', 8}, {"Level", 'S', 2},          {"Joined", 'D', 4},
      {"Active", 'L', 1}};
  if (notes == NotesKind::Memo)
    columns.push_back({"Notes", 'M', kMemoLeaderLength + 10});
  else
    columns.push_back({"Notes", 'A', kAlphaNotesLength});
  return columns;
}

SampleRow MakeSampleRow(uint64_t seed, int64_t index, NotesKind notes) {
  auto id = static_cast<int32_t>(index + 1);
  switch (index) {
    case 0: return BlankRow(id);
    case 1: return LargestRow(id, notes);
    case 2: return ZeroRow(id, notes);
    case 3: return SmallestRow(id);
    default: return RandomRow(seed, index, notes);
  }
}

int32_t ParadoxDayNumber(const CivilDate& date) {
  // Days from 1 March of year 0 in the proleptic Gregorian calendar.
  int year = date.year - (date.month <= 2 ? 1 : 0);
  int era = year / 400;
  int yearOfEra = year - era * 400;
  int monthFromMarch = (date.month + 9) % 12;
  int dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
  int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  int daysFromMarch0 = era * 146097 + dayOfEra;
  // 1 January of year 1 is day 306 after 1 March of year 0.
  return daysFromMarch0 - 306 + 1;
}

size_t CodePointCount(const std::string& utf8) {
  size_t count = 0;
  for (char c : utf8)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace verimo::tools
