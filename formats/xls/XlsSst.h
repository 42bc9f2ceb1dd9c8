#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/WideString.h"
#include "formats/xls/BiffRecords.h"

namespace verimo {

// The workbook's shared string table: every distinct cell text once, in the
// order of first use. Indexes are handed out at once, so LABELSST records can
// be written while the sheets are written; the SST record itself is written
// into the globals at the end, split into CONTINUE records where it must be.
class TsstStrings {
 public:
  // The most UTF-16 code units a cell text holds; longer texts are cut.
  static constexpr size_t kMaxLength = 32767;

  TsstStrings() = default;
  TsstStrings(const TsstStrings&) = delete;
  TsstStrings& operator=(const TsstStrings&) = delete;

  // The index of the text (cut to kMaxLength) in the table; a text seen
  // before keeps its index and only raises the total count.
  uint32_t AddString(WideStringView text);
  // Appends the SST record and its CONTINUE records.
  void SaveToStream(TbiffSink& sink) const;

  uint32_t TotalCount() const { return totalCount_; }
  uint32_t UniqueCount() const { return static_cast<uint32_t>(strings_.size()); }
  WideStringView String(uint32_t index) const { return strings_.at(index).Text(); }
  // Bytes the strings take in the record (heads and characters).
  uint64_t StringBytes() const { return stringBytes_; }

 private:
  // A text in the arena, with its hash.
  struct TEntry {
    const char16_t* chars;
    uint32_t length;
    uint32_t hash;
    WideStringView Text() const { return {chars, length}; }
  };

  // The texts' characters, in blocks that never move.
  const char16_t* Store(WideStringView text);
  // The slot of the text: the one that holds it, or the empty one where it
  // would go.
  size_t FindSlot(WideStringView text, uint32_t hash) const;
  void Grow();

  std::vector<TEntry> strings_;
  std::vector<std::unique_ptr<char16_t[]>> blocks_;
  size_t blockRoom_ = 0;
  char16_t* blockEnd_ = nullptr;
  // Open addressing: the hash in the high half, the text's index + 1 in the
  // low half, 0 for an empty slot; at most half of the slots are used.
  std::vector<uint64_t> slots_;
  uint32_t totalCount_ = 0;
  uint64_t stringBytes_ = 0;
};

}  // namespace verimo
