#pragma once

#include <cstdint>

#include "core/DateTime.h"
#include "core/WideString.h"
#include "platform/jet/JetFormat.h"

namespace verimo::jet {

// The database definition page (page 0) of a Jet 4 file.
struct DatabaseHeader {
  uint16_t codePage = 1252;
  uint16_t sortOrder = kGeneralSortOrder;
  TDateTime creationDate = 0;
  WideString password;  // at most kMaxPasswordLength code units
  // Set when the file carries this writer's mark.
  bool writtenByUs = false;
};

constexpr size_t kMaxPasswordLength = 20;

// The fixed XOR mask over bytes 0x18..0x97 (an RC4 key stream).
const std::array<uint8_t, 128>& HeaderMask();

Page EncodeHeaderPage(const DatabaseHeader& header);

// Raises verimo::Exception with a clear message when the page is not the
// header of an unencrypted Jet 4 database.
DatabaseHeader DecodeHeaderPage(const Page& page);

}  // namespace verimo::jet
