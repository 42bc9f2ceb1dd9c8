#include "engine/TesselValueCheck.h"

#include <cstring>

#include "core/Exception.h"
#include "core/UnitScan.h"
#include "engine/TesselColumns.h"
#include "engine/TesselReadAhead.h"
#include "engine/TesselRow.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/DataSet.h"

namespace verimo {

namespace {

bool IsLeadSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsTrailSurrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

bool HoldsDates(TFieldType type) { return type == ftDate || type == ftDateTime || type == ftTimeStamp; }

// Eight bytes of a text at a time: whether any of them lies at or above
// 0x80, and whether any of those below 0x80 lies below 0x20.
constexpr uint64_t kHighBits = 0x8080808080808080ull;
bool AnyHighByte(uint64_t word) { return (word & kHighBits) != 0; }
bool AnyControlByte(uint64_t word) { return ((word - 0x2020202020202020ull) & ~word & kHighBits) != 0; }

// The sum of `count(byte)` over the bytes, passing over the words of eight
// that `mayCount` says hold no byte that counts.
template <typename MayCount, typename Count>
int64_t CountBytes(std::string_view bytes, MayCount mayCount, Count count) {
  int64_t total = 0;
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word = 0;
    std::memcpy(&word, bytes.data() + i, sizeof word);
    if (!mayCount(word)) continue;
    for (size_t j = i; j < i + 8; ++j) total += count(static_cast<uint8_t>(bytes[j]));
  }
  for (; i < bytes.size(); ++i) total += count(static_cast<uint8_t>(bytes[i]));
  return total;
}

bool IsDeferred(const std::vector<uint8_t>* deferred, int index) {
  return deferred != nullptr && static_cast<size_t>(index) < deferred->size() &&
         (*deferred)[static_cast<size_t>(index)] != 0;
}

}  // namespace

bool IsForbiddenCharacter(char16_t ch, TForbiddenCharacters rule) {
  switch (rule) {
    case TForbiddenCharacters::None: return false;
    case TForbiddenCharacters::Nul: return ch == 0;
    case TForbiddenCharacters::MarkupControls:
      return (ch < 0x20 && ch != u'\t' && ch != u'\r' && ch != u'\n') || ch == 0xFFFE || ch == 0xFFFF;
  }
  return false;
}

// Printable units of the basic plane are never forbidden.
size_t CountForbiddenCharacters(WideStringView text, TForbiddenCharacters rule) {
  size_t count = 0;
  for (size_t i = SkipPrintableBmpUnits(text, 0); i < text.size(); i = SkipPrintableBmpUnits(text, i + 1)) {
    const char16_t ch = text[i];
    if (rule == TForbiddenCharacters::MarkupControls && (IsLeadSurrogate(ch) || IsTrailSurrogate(ch))) {
      if (IsLeadSurrogate(ch) && i + 1 < text.size() && IsTrailSurrogate(text[i + 1]))
        ++i;
      else
        ++count;
      continue;
    }
    if (IsForbiddenCharacter(ch, rule)) ++count;
  }
  return count;
}

TTesselValueCheck::TTesselValueCheck() = default;
TTesselValueCheck::~TTesselValueCheck() = default;

void TTesselValueCheck::Plan(const TTesselColumns& columns, const TTesselTextLimits& limits) {
  columns_.clear();
  limits_ = limits;
  encoder_.reset();
  if (limits_.codePage != 0) {
    encoder_ = std::make_unique<TCodePageEncoder>(limits_.codePage);
    codePageText_ = IntToWide(limits_.codePage);
  }
  const bool textsCanLose =
      encoder_ != nullptr || limits_.forbidden != TForbiddenCharacters::None || limits_.maxTextLength != 0;
  for (int i = 0; i < columns.Count(); ++i) {
    const TTesselColumn& column = columns[i];
    TColumnCheck check;
    check.index = i;
    check.name = column.Name;
    check.field = columns.ReadsFields() ? column.Field : nullptr;
    check.dates = check.field != nullptr && HoldsDates(check.field->DataType());
    check.texts = textsCanLose;
    const int stored = check.field != nullptr ? check.field->DataSet().FieldStoredCodePage(check.field->Index()) : 0;
    check.storedText = stored != 0;
    if (check.texts && encoder_ && stored != 0) {
      const TSingleByteCodePage* table = TSingleByteCodePage::Find(stored);
      WideString all;
      for (int byte = 1; byte < 256; ++byte) all += table->Decode(static_cast<uint8_t>(byte));
      if (encoder_->CountLost(all) > 0) {
        check.lossyStoredText = table;
        check.lostBytes = LostBytesOf(*table);
      }
    }
    if (check.dates || check.texts) columns_.push_back(std::move(check));
  }
}

std::shared_ptr<const std::array<uint8_t, 256>> TTesselValueCheck::LostBytesOf(const TSingleByteCodePage& stored) {
  try {
    if (TSingleByteCodePage::Find(limits_.codePage) == nullptr) return nullptr;
  } catch (const Exception&) {
    return nullptr;
  }
  const TSingleByteTranscoder transcoder(stored.CodePage(), limits_.codePage);
  auto lost = std::make_shared<std::array<uint8_t, 256>>();
  std::string out;
  // Stored texts end at their first zero byte.
  for (int byte = 1; byte < 256; ++byte) {
    const char one = static_cast<char>(byte);
    // A byte without an entry needs the converter, which may normalise it
    // together with the bytes around it.
    if (!transcoder.Append(std::string_view(&one, 1), out)) return nullptr;
    const WideString character(1, stored.Decode(static_cast<uint8_t>(byte)));
    (*lost)[static_cast<size_t>(byte)] = static_cast<uint8_t>(encoder_->CountLost(character) != 0);
    // The count passes over ASCII bytes.
    if (byte < 0x80 && (*lost)[static_cast<size_t>(byte)] != 0) return nullptr;
  }
  return lost;
}

void TTesselValueCheck::CheckRecord(const TTesselRow& row, const std::vector<uint8_t>* deferred,
                                    const std::function<bool(const TTesselCol&, int)>& isNull, TLossTally& tally,
                                    const TTesselRecordSnapshot* record) {
  for (const TColumnCheck& column : columns_) {
    if (column.index >= row.Count()) continue;
    const TTesselCol& cell = row[column.index];
    if (column.dates && isNull(cell, column.index)) {
      const bool outOfRange = record != nullptr ? record->DateOutOfRange(column.index)
                                                : column.field->DataSet().FieldOutOfRangeDays(column.field->Index()).has_value();
      if (outOfRange) tally.Add(column.name, TLossKind::DateOutOfRange, {});
      continue;
    }
    if (!column.texts) continue;
    if (IsDeferred(deferred, column.index)) {
      // The format writes the field itself: its stored bytes, or a value
      // no text of which can lose anything (a number).
      if (column.storedText)
        CountStoredText(column,
                        record != nullptr ? record->StoredText(column.index)
                                          : column.field->DataSet().FieldStoredText(column.field->Index()),
                        tally);
      continue;
    }
    if (!isNull(cell, column.index)) CountText(column.name, cell.Text, tally);
  }
}

void TTesselValueCheck::CountStoredText(const TColumnCheck& column, std::string_view stored, TLossTally& tally) {
  // One byte of a single-byte code page is one character.
  if (limits_.maxTextLength != 0) CountCut(column.name, stored.size(), tally);
  if (limits_.forbidden != TForbiddenCharacters::None) {
    // Every character a format forbids is ASCII, and the stored text's
    // ASCII bytes are the ASCII characters.
    // They lie below the space (NUL among them), and no stored text holds
    // a NUL.
    const TForbiddenCharacters rule = limits_.forbidden;
    const int64_t forbidden =
        CountBytes(stored, AnyControlByte, [rule](uint8_t byte) { return IsForbiddenCharacter(byte, rule) ? 1 : 0; });
    if (forbidden != 0) tally.Add(column.name, TLossKind::ForbiddenCharacter, limits_.formatName, forbidden);
  }
  if (column.lossyStoredText == nullptr) return;
  if (column.lostBytes != nullptr) {
    // The output keeps ASCII (stored texts are taken only then), so only
    // the bytes above it can be lost.
    const std::array<uint8_t, 256>& lost = *column.lostBytes;
    const int64_t count = CountBytes(stored, AnyHighByte, [&lost](uint8_t byte) { return byte >= 0x80 ? lost[byte] : 0; });
    tally.Add(column.name, TLossKind::UnwritableCharacter, codePageText_, count);
    return;
  }
  decoded_.clear();
  column.lossyStoredText->AppendDecoded(stored, decoded_);
  tally.Add(column.name, TLossKind::UnwritableCharacter, codePageText_, static_cast<int64_t>(encoder_->CountLost(decoded_)));
}

void TTesselValueCheck::CheckCaptions(const TTesselColumns& columns, TLossTally& tally) {
  if (!encoder_ && limits_.forbidden == TForbiddenCharacters::None && limits_.maxTextLength == 0) return;
  for (const TTesselColumn& column : columns) CountText(column.Name, column.Caption, tally);
}

void TTesselValueCheck::CountText(const WideString& name, WideStringView text, TLossTally& tally) {
  if (encoder_)
    tally.Add(name, TLossKind::UnwritableCharacter, codePageText_, static_cast<int64_t>(encoder_->CountLost(text)));
  if (limits_.forbidden != TForbiddenCharacters::None) {
    const size_t forbidden = CountForbiddenCharacters(text, limits_.forbidden);
    if (forbidden != 0) tally.Add(name, TLossKind::ForbiddenCharacter, limits_.formatName, static_cast<int64_t>(forbidden));
  }
  if (limits_.maxTextLength != 0) CountCut(name, text.size(), tally);
}

void TTesselValueCheck::CountCut(const WideString& name, size_t length, TLossTally& tally) {
  if (limits_.maxTextLength != 0 && length > limits_.maxTextLength)
    tally.Add(name, TLossKind::CellTextCut, IntToWide(static_cast<int64_t>(limits_.maxTextLength)));
}

}  // namespace verimo
