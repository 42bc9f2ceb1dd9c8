#include "platform/jet/UsageMap.h"

#include <algorithm>

#include "core/Exception.h"

namespace verimo::jet {
namespace {

constexpr uint32_t kBitmapOffset = 4;

[[noreturn]] void Unknown() { throw Exception("A page usage map of the database is not one this writer understands."); }

void SetBit(uint8_t* bitmap, uint32_t index) { bitmap[index / 8] |= static_cast<uint8_t>(1u << (index % 8)); }
bool GetBit(const uint8_t* bitmap, uint32_t index) { return (bitmap[index / 8] >> (index % 8)) & 1; }

Page MakeBitmapPage() {
  Page page{};
  page[0] = kPageTypeUsageBitmap;
  page[1] = 0x01;
  return page;
}

// Makes sure `map` has bitmap pages for blocks 0..blocks-1 where `wanted`
// says so, appending new pages as needed.
void EnsureBitmapPages(PageFile& file, UsageMap& map, uint32_t blocks, const std::vector<bool>& wanted) {
  if (blocks > kReferenceMapSlots) throw Exception("Internal error: usage map beyond the format's reach.");
  map.bitmapPages.resize(std::max<size_t>(map.bitmapPages.size(), blocks), 0);
  for (uint32_t block = 0; block < blocks; ++block)
    if (wanted[block] && map.bitmapPages[block] == 0) map.bitmapPages[block] = file.ReservePage();
}

UsageMapRow ReferenceRow(const UsageMap& map) {
  UsageMapRow row{};
  row[0] = kUsageMapReference;
  for (size_t block = 0; block < map.bitmapPages.size(); ++block) PutU32(row.data() + 1 + 4 * block, map.bitmapPages[block]);
  return row;
}

}  // namespace

void PageSet::Add(uint32_t page) {
  if (Contains(page)) return;
  if (page / 8 >= bits_.size()) bits_.resize(std::max<size_t>(page / 8 + 1, bits_.size() * 2), 0);
  SetBit(bits_.data(), page);
  first_ = count_ == 0 ? page : std::min(first_, page);
  last_ = count_ == 0 ? page : std::max(last_, page);
  ++count_;
}

bool PageSet::Contains(uint32_t page) const { return page / 8 < bits_.size() && GetBit(bits_.data(), page); }

std::vector<uint32_t> PageSet::Pages() const {
  std::vector<uint32_t> pages;
  if (count_ == 0) return pages;
  for (uint32_t page = first_; page <= last_; ++page)
    if (Contains(page)) pages.push_back(page);
  return pages;
}

UsageMapRow EmptyUsageMapRow() { return UsageMapRow{}; }

UsageMap DecodeUsageMap(const PageFile& file, std::span<const uint8_t> row) {
  if (row.size() != kUsageMapRowSize) Unknown();
  UsageMap map;
  if (row[0] == kUsageMapInline) {
    const uint32_t start = GetU32(row.data() + 1);
    for (uint32_t i = 0; i < kInlineMapPageSpan; ++i)
      if (GetBit(row.data() + 5, i)) map.pages.Add(start + i);
    return map;
  }
  if (row[0] != kUsageMapReference) Unknown();
  Page page;
  for (uint32_t block = 0; block < kReferenceMapSlots; ++block) {
    const uint32_t bitmapPage = GetU32(row.data() + 1 + 4 * block);
    map.bitmapPages.push_back(bitmapPage);
    if (bitmapPage == 0) continue;
    file.ReadPage(bitmapPage, page);
    if (page[0] != kPageTypeUsageBitmap) Unknown();
    for (uint32_t i = 0; i < kBitmapPageSpan; ++i)
      if (GetBit(page.data() + kBitmapOffset, i)) map.pages.Add(block * kBitmapPageSpan + i);
  }
  while (!map.bitmapPages.empty() && map.bitmapPages.back() == 0) map.bitmapPages.pop_back();
  return map;
}

UsageMapRow EncodeUsageMap(PageFile& file, UsageMap& map) {
  const PageSet& pages = map.pages;
  if (map.bitmapPages.empty() && (pages.Empty() || pages.Last() - pages.First() < kInlineMapPageSpan)) {
    UsageMapRow row{};
    row[0] = kUsageMapInline;
    if (pages.Empty()) return row;
    PutU32(row.data() + 1, pages.First());
    for (uint32_t page : pages.Pages()) SetBit(row.data() + 5, page - pages.First());
    return row;
  }
  const uint32_t blocks = pages.Last() / kBitmapPageSpan + 1;
  std::vector<bool> wanted(blocks, false);
  for (uint32_t page : pages.Pages()) wanted[page / kBitmapPageSpan] = true;
  EnsureBitmapPages(file, map, blocks, wanted);
  for (uint32_t block = 0; block < map.bitmapPages.size(); ++block) {
    if (map.bitmapPages[block] == 0) continue;
    Page bitmap = MakeBitmapPage();
    const uint32_t base = block * kBitmapPageSpan;
    for (uint32_t i = 0; i < kBitmapPageSpan; ++i)
      if (pages.Contains(base + i)) SetBit(bitmap.data() + kBitmapOffset, i);
    file.WritePage(map.bitmapPages[block], bitmap);
  }
  return ReferenceRow(map);
}

UsageMapRow EncodeGlobalFreeMap(PageFile& file, UsageMap& map) {
  if (map.bitmapPages.empty() && file.PageCount() < kInlineMapPageSpan) {
    UsageMapRow row{};
    row[0] = kUsageMapInline;
    for (uint32_t page = file.PageCount(); page < kInlineMapPageSpan; ++page) SetBit(row.data() + 5, page);
    return row;
  }
  // New bitmap pages lengthen the file, which may need another block.
  for (;;) {
    const uint32_t blocks = file.PageCount() / kBitmapPageSpan + 1;
    if (map.bitmapPages.size() >= blocks && std::all_of(map.bitmapPages.begin(), map.bitmapPages.begin() + blocks,
                                                        [](uint32_t p) { return p != 0; }))
      break;
    EnsureBitmapPages(file, map, blocks, std::vector<bool>(blocks, true));
  }
  const uint32_t end = file.PageCount();
  for (uint32_t block = 0; block < map.bitmapPages.size(); ++block) {
    Page bitmap = MakeBitmapPage();
    const uint32_t base = block * kBitmapPageSpan;
    for (uint32_t i = 0; i < kBitmapPageSpan; ++i)
      if (base + i >= end) SetBit(bitmap.data() + kBitmapOffset, i);
    file.WritePage(map.bitmapPages[block], bitmap);
  }
  return ReferenceRow(map);
}

}  // namespace verimo::jet
