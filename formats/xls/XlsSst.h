#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "formats/xls/BiffRecords.h"
#include "platform/storage/SpillBuffer.h"

namespace verimo {

// The workbook's shared string table: every distinct cell text once, in the
// order of first use. Indexes are handed out at once, so LABELSST records can
// be written while the sheets are written. The SST record and its CONTINUE
// records are composed as the texts come and kept in a spill buffer (memory,
// then a temporary file), to be copied into the globals at the end.
//
// Memory stays bounded: the index that finds a text seen before holds at
// most kIndexedStrings texts of kIndexedChars characters in all. Once it is
// full, a text it does not hold gets a new entry even when it came before,
// which readers take just as well; texts already held keep sharing.
class TsstStrings : private TNonCopyable {
 public:
  // The most UTF-16 code units a cell text holds; longer texts are cut.
  static constexpr size_t kMaxLength = 32767;
  static constexpr size_t kIndexedStrings = size_t{1} << 18;
  static constexpr size_t kIndexedChars = size_t{4} << 20;
  // Record bytes held in memory before they go to the temporary file.
  static constexpr size_t kMemoryLimit = size_t{4} << 20;

  // `spillFolder`: where the temporary file goes; the current folder when empty.
  explicit TsstStrings(std::filesystem::path spillFolder = {});
  ~TsstStrings();

  // The index of the text (cut to kMaxLength) in the table; a text the
  // index holds keeps its index and only raises the total count.
  uint32_t AddString(WideStringView text);
  // Appends the SST record and its CONTINUE records.
  void SaveToStream(TbiffSink& sink) const;
  // Bytes SaveToStream writes (record heads included).
  uint64_t RecordBytes() const { return records_.Size() + 4 + record_.size(); }

  uint32_t TotalCount() const { return totalCount_; }
  uint32_t UniqueCount() const { return uniqueCount_; }
  // Bytes the strings take in the record (heads and characters).
  uint64_t StringBytes() const { return stringBytes_; }

 private:
  // A text the index holds, with its SST index.
  struct TEntry {
    const char16_t* chars;
    uint32_t length;
    uint32_t index;
    WideStringView Text() const { return {chars, length}; }
  };

  uint32_t AddNew(WideStringView text);
  void Index(WideStringView text, uint32_t hash, size_t slot, uint32_t index);
  // The slot of the text: the one that holds it, or the empty one where it
  // would go.
  size_t FindSlot(WideStringView text, uint32_t hash) const;
  void Grow();
  // The texts' characters, in blocks that never move.
  const char16_t* Store(WideStringView text);

  void PutString(WideStringView text);
  void PutChars(WideStringView chars);
  void CloseRecord();

  std::vector<TEntry> entries_;
  std::vector<std::unique_ptr<char16_t[]>> blocks_;
  size_t blockRoom_ = 0;
  char16_t* blockEnd_ = nullptr;
  size_t indexedChars_ = 0;
  // Open addressing: the hash in the high half, the entry number + 1 in the
  // low half, 0 for an empty slot; at most half of the slots are used.
  std::vector<uint64_t> slots_;

  // The records closed so far, each with its head, the first one's counts
  // still zero; then the record being filled, without its head.
  TSpillBuffer records_;
  std::vector<uint8_t> record_;
  bool firstRecordOpen_ = true;
  uint16_t firstRecordSize_ = 0;

  uint32_t totalCount_ = 0;
  uint32_t uniqueCount_ = 0;
  uint64_t stringBytes_ = 0;
};

}  // namespace verimo
