#include "formats/xls/XlsSst.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace verimo {

namespace {

constexpr uint8_t kUtf16Option = 0x01;

// Fills records of at most 8224 data bytes, the first an SST record, the
// others CONTINUE records. A string that fits into one record but not into
// the room left moves whole into the next record; a longer one is split
// between characters, each continued piece starting with its option byte.
class TsstRecordWriter {
 public:
  explicit TsstRecordWriter(TbiffSink& sink) : sink_(sink) { record_.reserve(biff::kMaxRecordData); }

  void PutCounts(uint32_t total, uint32_t unique) {
    Put32(total);
    Put32(unique);
  }

  void PutString(WideStringView text) {
    const size_t size = 3 + 2 * text.size();
    if (record_.size() + size > biff::kMaxRecordData) Flush();
    Put16(static_cast<uint16_t>(text.size()));
    record_.push_back(kUtf16Option);
    size_t at = 0;
    for (;;) {
      const size_t room = (biff::kMaxRecordData - record_.size()) / 2;
      const size_t count = std::min(room, text.size() - at);
      PutChars(text.substr(at, count));
      at += count;
      if (at == text.size()) break;
      Flush();
      record_.push_back(kUtf16Option);
    }
  }

  void Flush() {
    WriteRecordHeader(sink_, first_ ? biff::kSst : biff::kContinue, static_cast<uint16_t>(record_.size()));
    sink_.WriteBytes(record_.data(), record_.size());
    record_.clear();
    first_ = false;
  }

 private:
  void Put16(uint16_t value) {
    record_.push_back(static_cast<uint8_t>(value & 0xFF));
    record_.push_back(static_cast<uint8_t>(value >> 8));
  }
  void PutChars(WideStringView chars) {
    const size_t start = record_.size();
    record_.resize(start + 2 * chars.size());
    uint8_t* out = record_.data() + start;
    for (char16_t c : chars) {
      *out++ = static_cast<uint8_t>(c & 0xFF);
      *out++ = static_cast<uint8_t>(c >> 8);
    }
  }
  void Put32(uint32_t value) {
    Put16(static_cast<uint16_t>(value & 0xFFFF));
    Put16(static_cast<uint16_t>(value >> 16));
  }

  TbiffSink& sink_;
  std::vector<uint8_t> record_;
  bool first_ = true;
};

constexpr size_t kBlockChars = size_t{1} << 16;

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

}  // namespace

uint32_t TsstStrings::AddString(WideStringView text) {
  if (text.size() > kMaxLength) text = text.substr(0, CutText(text, kMaxLength).size());
  ++totalCount_;
  if (slots_.empty()) slots_.assign(1024, 0);
  const uint32_t hash = HashOf(text);
  size_t slot = FindSlot(text, hash);
  if (slots_[slot] != 0) return static_cast<uint32_t>(slots_[slot] & 0xFFFFFFFFu) - 1;
  const auto index = static_cast<uint32_t>(strings_.size());
  strings_.push_back(TEntry{Store(text), static_cast<uint32_t>(text.size()), hash});
  stringBytes_ += 3 + 2 * text.size();
  if (2 * strings_.size() > slots_.size()) {
    Grow();
    slot = FindSlot(text, hash);
  }
  slots_[slot] = (uint64_t{hash} << 32) | (index + 1u);
  return index;
}

size_t TsstStrings::FindSlot(WideStringView text, uint32_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const uint64_t value = slots_[slot];
    if (value == 0) return slot;
    if (static_cast<uint32_t>(value >> 32) == hash &&
        strings_[static_cast<uint32_t>(value & 0xFFFFFFFFu) - 1].Text() == text)
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

void TsstStrings::SaveToStream(TbiffSink& sink) const {
  TsstRecordWriter writer(sink);
  writer.PutCounts(totalCount_, UniqueCount());
  for (const TEntry& entry : strings_) writer.PutString(entry.Text());
  writer.Flush();
}

}  // namespace verimo
