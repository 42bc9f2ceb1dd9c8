#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace verimo::paradox {

// Encrypted tables are encrypted in chunks of 256 bytes with the 32-bit key
// that the table header holds (the checksum of the master password).
constexpr size_t kEncryptionChunkSize = 256;

// A data block of the .DB file; the chunks depend on the block's number
// (1 for the first block after the header). Bytes after the last whole
// chunk are left alone.
void DecryptDataBlock(std::span<uint8_t> block, uint32_t key, uint32_t blockNumber);
void EncryptDataBlock(std::span<uint8_t> block, uint32_t key, uint32_t blockNumber);

// Bytes of the .MB file starting at a multiple of 256 from the file's start.
void DecryptBlobChunks(std::span<uint8_t> data, uint32_t key);
void EncryptBlobChunks(std::span<uint8_t> data, uint32_t key);

// The key a password gives (0 for an empty password); the password is given
// in the table's code page.
uint32_t PasswordChecksum(std::string_view password);

}  // namespace verimo::paradox
