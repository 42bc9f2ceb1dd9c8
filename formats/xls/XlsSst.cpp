#include "formats/xls/XlsSst.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace verimo {

namespace {

constexpr uint8_t kUtf16Option = 0x01;
constexpr size_t kCountsSize = 8;
constexpr size_t kRecordHeadSize = 4;
constexpr size_t kBlockChars = size_t{1} << 16;
constexpr size_t kFirstSlots = 1024;

uint32_t HashOf(WideStringView text) {
  uint64_t hash = 0x9E3779B97F4A7C15ull ^ text.size();
  size_t i = 0;
  for (; i + 4 <= text.size(); i += 4) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    hash = (hash ^ word) * 0xBF58476D1CE4E5B9ull;
    hash ^= hash >> 29;
  }
  for (; i < text.size(); ++i) hash = (hash ^ text[i]) * 0x94D049BB133111EBull;
  hash ^= hash >> 32;
  return static_cast<uint32_t>(hash);
}

void PutLittleEndian(uint8_t* out, uint32_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>((value >> (8 * i)) & 0xFF);
}

}  // namespace

TsstStrings::TsstStrings(std::filesystem::path spillFolder) : records_(std::move(spillFolder), kMemoryLimit) {
  record_.reserve(biff::kMaxRecordData);
  record_.resize(kCountsSize, 0);
}

TsstStrings::~TsstStrings() = default;

uint32_t TsstStrings::AddString(WideStringView text) {
  if (text.size() > kMaxLength) text = text.substr(0, CutText(text, kMaxLength).size());
  ++totalCount_;
  if (slots_.empty()) slots_.assign(kFirstSlots, 0);
  const uint32_t hash = HashOf(text);
  const size_t slot = FindSlot(text, hash);
  if (slots_[slot] != 0) return entries_[static_cast<uint32_t>(slots_[slot] & 0xFFFFFFFFu) - 1].index;
  const uint32_t index = AddNew(text);
  if (entries_.size() < kIndexedStrings && indexedChars_ + text.size() <= kIndexedChars)
    Index(text, hash, slot, index);
  return index;
}

uint32_t TsstStrings::AddNew(WideStringView text) {
  PutString(text);
  stringBytes_ += 3 + 2 * text.size();
  return uniqueCount_++;
}

void TsstStrings::Index(WideStringView text, uint32_t hash, size_t slot, uint32_t index) {
  entries_.push_back(TEntry{Store(text), static_cast<uint32_t>(text.size()), index});
  indexedChars_ += text.size();
  if (2 * entries_.size() > slots_.size()) {
    Grow();
    slot = FindSlot(text, hash);
  }
  slots_[slot] = (uint64_t{hash} << 32) | static_cast<uint32_t>(entries_.size());
}

size_t TsstStrings::FindSlot(WideStringView text, uint32_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const uint64_t value = slots_[slot];
    if (value == 0) return slot;
    if (static_cast<uint32_t>(value >> 32) == hash &&
        entries_[static_cast<uint32_t>(value & 0xFFFFFFFFu) - 1].Text() == text)
      return slot;
  }
}

void TsstStrings::Grow() {
  std::vector<uint64_t> old = std::move(slots_);
  slots_.assign(old.size() * 2, 0);
  const size_t mask = slots_.size() - 1;
  for (uint64_t value : old) {
    if (value == 0) continue;
    size_t slot = static_cast<size_t>(value >> 32) & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = value;
  }
}

const char16_t* TsstStrings::Store(WideStringView text) {
  if (text.size() > blockRoom_) {
    const size_t size = std::max(kBlockChars, text.size());
    blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(size));
    blockEnd_ = blocks_.back().get();
    blockRoom_ = size;
  }
  char16_t* chars = blockEnd_;
  std::copy(text.begin(), text.end(), chars);
  blockEnd_ += text.size();
  blockRoom_ -= text.size();
  return chars;
}

// Records hold at most 8224 data bytes. A string that fits into one record
// but not into the room left moves whole into the next record; a longer one
// is split between characters, each continued piece starting with its
// option byte.
void TsstStrings::PutString(WideStringView text) {
  const size_t size = 3 + 2 * text.size();
  if (record_.size() + size > biff::kMaxRecordData) CloseRecord();
  const uint8_t head[3] = {static_cast<uint8_t>(text.size() & 0xFF), static_cast<uint8_t>(text.size() >> 8),
                           kUtf16Option};
  record_.insert(record_.end(), head, head + sizeof head);
  size_t at = 0;
  for (;;) {
    const size_t room = (biff::kMaxRecordData - record_.size()) / 2;
    const size_t count = std::min(room, text.size() - at);
    PutChars(text.substr(at, count));
    at += count;
    if (at == text.size()) break;
    CloseRecord();
    record_.push_back(kUtf16Option);
  }
}

void TsstStrings::PutChars(WideStringView chars) {
  const size_t start = record_.size();
  record_.resize(start + 2 * chars.size());
  uint8_t* out = record_.data() + start;
  for (char16_t c : chars) {
    *out++ = static_cast<uint8_t>(c & 0xFF);
    *out++ = static_cast<uint8_t>(c >> 8);
  }
}

void TsstStrings::CloseRecord() {
  uint8_t head[kRecordHeadSize];
  PutLittleEndian(head, firstRecordOpen_ ? biff::kSst : biff::kContinue, 2);
  PutLittleEndian(head + 2, static_cast<uint32_t>(record_.size()), 2);
  records_.Append(head, sizeof head);
  records_.Append(record_.data(), record_.size());
  if (firstRecordOpen_) firstRecordSize_ = static_cast<uint16_t>(record_.size());
  record_.clear();
  firstRecordOpen_ = false;
}

// The closed records as they are, but for the counts of the first one,
// then the record being filled.
void TsstStrings::SaveToStream(TbiffSink& sink) const {
  uint8_t counts[kCountsSize];
  PutLittleEndian(counts, totalCount_, 4);
  PutLittleEndian(counts + 4, uniqueCount_, 4);
  const auto copy = [&sink](const void* data, size_t size) { sink.WriteBytes(data, size); };
  if (firstRecordOpen_) {
    WriteRecordHeader(sink, biff::kSst, static_cast<uint16_t>(record_.size()));
    sink.WriteBytes(counts, sizeof counts);
    sink.WriteBytes(record_.data() + kCountsSize, record_.size() - kCountsSize);
    return;
  }
  WriteRecordHeader(sink, biff::kSst, firstRecordSize_);
  sink.WriteBytes(counts, sizeof counts);
  records_.ReadFrom(kRecordHeadSize + kCountsSize, copy);
  WriteRecordHeader(sink, biff::kContinue, static_cast<uint16_t>(record_.size()));
  sink.WriteBytes(record_.data(), record_.size());
}

}  // namespace verimo
