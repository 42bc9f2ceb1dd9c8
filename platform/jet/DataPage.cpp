#include "platform/jet/DataPage.h"

#include <algorithm>

#include "core/Exception.h"

namespace verimo::jet {
namespace {

constexpr uint32_t kFreeSpaceOffset = 2;

uint16_t RowStartSlot(const Page& page, uint16_t row) { return GetU16(page.data() + kDataPageFirstRowSlot + 2 * row); }

uint16_t RowEnd(const Page& page, uint16_t row) {
  return row == 0 ? static_cast<uint16_t>(kPageSize) : static_cast<uint16_t>(RowStartSlot(page, row - 1) & kRowOffsetMask);
}

}  // namespace

void InitDataPage(Page& page, uint32_t owner) {
  page.fill(0);
  page[0] = kPageTypeData;
  page[1] = 0x01;
  PutU16(page.data() + kFreeSpaceOffset, static_cast<uint16_t>(kDataPageInitialFreeSpace));
  PutU32(page.data() + kDataPageOwnerOffset, owner);
}

uint32_t DataPageOwner(const Page& page) { return GetU32(page.data() + kDataPageOwnerOffset); }

uint16_t DataPageRowCount(const Page& page) { return GetU16(page.data() + kDataPageRowCountOffset); }

bool RowFits(const Page& page, size_t rowSize) {
  return DataPageRowCount(page) < kMaxRowsPerDataPage && rowSize + 2 <= GetU16(page.data() + kFreeSpaceOffset);
}

uint8_t AddRow(Page& page, std::span<const uint8_t> row) {
  if (!RowFits(page, row.size())) throw Exception("Internal error: row added to a full page.");
  const uint16_t count = DataPageRowCount(page);
  const uint16_t start = static_cast<uint16_t>(RowEnd(page, count) - row.size());
  std::copy(row.begin(), row.end(), page.begin() + start);
  PutU16(page.data() + kDataPageFirstRowSlot + 2 * count, start);
  PutU16(page.data() + kDataPageRowCountOffset, static_cast<uint16_t>(count + 1));
  PutU16(page.data() + kFreeSpaceOffset, static_cast<uint16_t>(GetU16(page.data() + kFreeSpaceOffset) - row.size() - 2));
  return static_cast<uint8_t>(count);
}

StoredRow RowAt(const Page& page, uint16_t row) {
  const uint16_t count = DataPageRowCount(page);
  if (row >= count || count > kMaxRowsPerDataPage) throw Exception("A data page of the database is damaged.");
  const uint16_t slot = RowStartSlot(page, row);
  const uint16_t start = slot & kRowOffsetMask;
  const uint16_t end = RowEnd(page, row);
  if (start < kDataPageFirstRowSlot + 2 * count || start > end) throw Exception("A data page of the database is damaged.");
  StoredRow result;
  result.bytes = std::span<const uint8_t>(page.data() + start, end - start);
  result.deleted = (slot & kRowDeletedFlag) != 0;
  result.overflow = (slot & kRowOverflowFlag) != 0;
  return result;
}

std::span<uint8_t> MutableRowAt(Page& page, uint16_t row) {
  const StoredRow stored = RowAt(page, row);
  return std::span<uint8_t>(page.data() + (stored.bytes.data() - page.data()), stored.bytes.size());
}

}  // namespace verimo::jet
