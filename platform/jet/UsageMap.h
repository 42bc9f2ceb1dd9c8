#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/jet/JetFormat.h"
#include "platform/jet/PageFile.h"

namespace verimo::jet {

// A set of page numbers, one bit per page of the file.
class PageSet {
 public:
  void Add(uint32_t page);
  bool Contains(uint32_t page) const;
  bool Empty() const { return count_ == 0; }
  size_t Count() const { return count_; }
  uint32_t First() const { return first_; }
  uint32_t Last() const { return last_; }
  std::vector<uint32_t> Pages() const;

 private:
  std::vector<uint8_t> bits_;
  size_t count_ = 0;
  uint32_t first_ = 0;
  uint32_t last_ = 0;
};

// A usage map row and the bitmap pages behind it when it is a reference map.
struct UsageMap {
  PageSet pages;
  std::vector<uint32_t> bitmapPages;  // by block of kBitmapPageSpan pages; 0 = none
};

using UsageMapRow = std::array<uint8_t, kUsageMapRowSize>;

UsageMapRow EmptyUsageMapRow();

// Reads a map row (and its bitmap pages); raises verimo::Exception when it
// is of an unknown kind or points outside the file.
UsageMap DecodeUsageMap(const PageFile& file, std::span<const uint8_t> row);

// The row for `map`: inline when the pages fit its 512-page window,
// otherwise a reference map whose bitmap pages are written (new ones
// appended to the file).
UsageMapRow EncodeUsageMap(PageFile& file, UsageMap& map);

// The database's global map of free pages: every page of the file is in
// use, the pages after the end of the file within the map's reach are free.
UsageMapRow EncodeGlobalFreeMap(PageFile& file, UsageMap& map);

}  // namespace verimo::jet
