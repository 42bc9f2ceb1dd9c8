#pragma once

#include <cstdint>
#include <deque>
#include <unordered_map>

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
  const WideString& String(uint32_t index) const { return strings_.at(index); }
  // Bytes the strings take in the record (heads and characters).
  uint64_t StringBytes() const { return stringBytes_; }

 private:
  std::deque<WideString> strings_;  // stable addresses for the index's keys
  std::unordered_map<WideStringView, uint32_t> index_;
  uint32_t totalCount_ = 0;
  uint64_t stringBytes_ = 0;
};

}  // namespace verimo
