#include "platform/jet/Header.h"

#include <cstring>
#include <string_view>

#include "core/Exception.h"

namespace verimo::jet {
namespace {

constexpr uint32_t kPasswordBytes = 2 * kMaxPasswordLength;
// Identifies files this writer made, so that it never changes a file whose
// structure it does not know completely.
constexpr uint32_t kMarkOffset = 0x400;
constexpr std::string_view kWriterMark = "Verimo Jet 4 writer, layout 1";

std::array<uint8_t, 128> MakeRc4KeyStream() {
  const uint8_t key[4] = {0xc7, 0xda, 0x39, 0x6b};
  uint8_t state[256];
  for (int i = 0; i < 256; ++i) state[i] = static_cast<uint8_t>(i);
  uint8_t j = 0;
  for (int i = 0; i < 256; ++i) {
    j = static_cast<uint8_t>(j + state[i] + key[i % 4]);
    std::swap(state[i], state[j]);
  }
  std::array<uint8_t, 128> stream{};
  uint8_t x = 0, y = 0;
  for (auto& byte : stream) {
    x = static_cast<uint8_t>(x + 1);
    y = static_cast<uint8_t>(y + state[x]);
    std::swap(state[x], state[y]);
    byte = state[static_cast<uint8_t>(state[x] + state[y])];
  }
  return stream;
}

void ApplyMask(Page& page) {
  const auto& mask = HeaderMask();
  for (size_t i = 0; i < mask.size(); ++i) page[kHeaderMaskStart + i] ^= mask[i];
}

// The password bytes are further masked with the creation day number.
std::array<uint8_t, 4> PasswordMask(TDateTime creationDate) {
  std::array<uint8_t, 4> mask{};
  PutU32(mask.data(), static_cast<uint32_t>(static_cast<int32_t>(creationDate)));
  return mask;
}

}  // namespace

const std::array<uint8_t, 128>& HeaderMask() {
  static const std::array<uint8_t, 128> mask = MakeRc4KeyStream();
  return mask;
}

Page EncodeHeaderPage(const DatabaseHeader& header) {
  if (header.password.size() > kMaxPasswordLength)
    throw Exception("The database password is longer than 20 characters.");
  Page page{};
  page[0] = kPageTypeHeader;
  page[1] = 0x01;
  std::memcpy(page.data() + 4, kEngineName.data(), kEngineName.size());
  PutU32(page.data() + kHeaderVersionOffset, kJet4Version);
  PutU32(page.data() + 0x18, 0x100);
  PutU32(page.data() + 0x1c, 0x101);
  // The first pages of the system tables MSysObjects, MSysACEs, MSysQueries
  // and MSysRelationships.
  for (uint32_t i = 0; i < 4; ++i) PutU32(page.data() + 0x20 + 4 * i, 2 + i);
  PutU16(page.data() + kHeaderCodePageOffset, header.codePage);
  PutU32(page.data() + kHeaderEncryptionKeyOffset, 0);
  const auto mask = PasswordMask(header.creationDate);
  for (uint32_t i = 0; i < kPasswordBytes; ++i) {
    const size_t unit = i / 2;
    const char16_t ch = unit < header.password.size() ? header.password[unit] : u'\0';
    const uint8_t plain = static_cast<uint8_t>(i % 2 == 0 ? ch & 0xff : ch >> 8);
    page[kHeaderPasswordOffset + i] = plain ^ mask[i % 4];
  }
  PutU32(page.data() + 0x6a, 0x11a6);
  PutU16(page.data() + kHeaderSortOrderOffset, header.sortOrder);
  PutDouble(page.data() + kHeaderCreationDateOffset, header.creationDate);
  ApplyMask(page);
  PutU32(page.data() + 0x98, 0x654);
  std::memcpy(page.data() + 0x9c, "4.0", 3);
  std::memcpy(page.data() + kMarkOffset, kWriterMark.data(), kWriterMark.size());
  // One commit/lock status pair per user; 00 01 is the idle state.
  for (uint32_t i = kHeaderCommitTableOffset; i < kPageSize; i += 2) page[i + 1] = 0x01;
  return page;
}

DatabaseHeader DecodeHeaderPage(const Page& raw) {
  if (raw[0] != kPageTypeHeader || std::memcmp(raw.data() + 4, kEngineName.data(), kEngineName.size()) != 0)
    throw Exception("The file is not an Access database.");
  if (raw[kHeaderVersionOffset] != kJet4Version)
    throw Exception("The file is an Access database of another version than Access 2000 (Jet 4); it is not supported.");
  Page page = raw;
  ApplyMask(page);
  if (GetU32(page.data() + kHeaderEncryptionKeyOffset) != 0)
    throw Exception("The Access database is encrypted; encrypted databases are not supported.");
  DatabaseHeader header;
  header.codePage = GetU16(page.data() + kHeaderCodePageOffset);
  header.sortOrder = GetU16(page.data() + kHeaderSortOrderOffset);
  header.creationDate = GetDouble(page.data() + kHeaderCreationDateOffset);
  const auto mask = PasswordMask(header.creationDate);
  for (uint32_t i = 0; i + 1 < kPasswordBytes; i += 2) {
    const uint8_t low = page[kHeaderPasswordOffset + i] ^ mask[i % 4];
    const uint8_t high = page[kHeaderPasswordOffset + i + 1] ^ mask[(i + 1) % 4];
    const char16_t ch = static_cast<char16_t>(low | (high << 8));
    if (ch == u'\0') break;
    header.password.push_back(ch);
  }
  header.writtenByUs = std::memcmp(raw.data() + kMarkOffset, kWriterMark.data(), kWriterMark.size()) == 0;
  return header;
}

}  // namespace verimo::jet
