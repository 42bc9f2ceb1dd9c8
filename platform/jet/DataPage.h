#pragma once

#include <cstdint>
#include <span>

#include "platform/jet/JetFormat.h"

namespace verimo::jet {

// Data and long-value pages: a 14-byte header, the row-offset table, and
// the rows stored from the end of the page downwards.
void InitDataPage(Page& page, uint32_t owner);
uint32_t DataPageOwner(const Page& page);
uint16_t DataPageRowCount(const Page& page);
bool RowFits(const Page& page, size_t rowSize);
// Adds a row that RowFits; returns its row number.
uint8_t AddRow(Page& page, std::span<const uint8_t> row);

struct StoredRow {
  std::span<const uint8_t> bytes;
  bool deleted = false;
  bool overflow = false;
};
// Raises verimo::Exception when the row table is inconsistent.
StoredRow RowAt(const Page& page, uint16_t row);
// The same row, writable (for rows whose size never changes).
std::span<uint8_t> MutableRowAt(Page& page, uint16_t row);

}  // namespace verimo::jet
