#include "platform/paradox/FieldCodec.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

#include "platform/paradox/Encryption.h"

namespace verimo::paradox {
namespace {

Bytes Bcd(uint8_t head, const std::string& nibbles) {
  Bytes bytes(17, 0);
  bytes[0] = head;
  for (size_t i = 0; i < nibbles.size(); ++i) {
    uint8_t nibble = static_cast<uint8_t>(std::stoi(nibbles.substr(i, 1), nullptr, 16));
    size_t index = i + 2;
    bytes[index / 2] |= static_cast<uint8_t>(index % 2 == 0 ? nibble << 4 : nibble);
  }
  return bytes;
}

TEST(FieldCodecTest, BcdSignDecimalsAndBadDigits) {
  // 32 digits, the last 2 after the point.
  EXPECT_EQ(DecodeBcdText(Bcd(0xC2, std::string(29, '0') + "123")), "1.23");
  // Negative values store every nibble inverted.
  EXPECT_EQ(DecodeBcdText(Bcd(0x42, std::string(29, 'f') + "edc")), "-1.23");
  EXPECT_EQ(DecodeBcdText(Bcd(0x40, std::string(32, 'f'))), "0");  // minus zero is zero
  EXPECT_EQ(DecodeBcdText(Bcd(0xC0, std::string(31, '0') + "7")), "7");
  // A nibble above 9 ends the digits: the rest counts as zeros.
  EXPECT_EQ(DecodeBcdText(Bcd(0xE0, "12a9")), "0.12000000000000000000000000000000");
  EXPECT_FALSE(DecodeBcdText(Bytes(17, 0)).has_value());
  EXPECT_FALSE(DecodeBcdText(Bytes(5, 0xC2)).has_value());  // wrong length
  EXPECT_DOUBLE_EQ(*DecodeBcd(Bcd(0xC4, std::string(26, '0') + "314159")), 31.4159);
}

TEST(FieldCodecTest, BlankBcdKeepsItsScaleByte) {
  // Blank: the scale byte with the sign bit clear, then zero digit bytes.
  EXPECT_FALSE(DecodeBcdText(Bcd(0x42, "")).has_value());
  EXPECT_TRUE(DecodeFixedField('#', Bcd(0x42, ""), 1252).IsNull());
  // A negative value whose complemented digits are no digits is blank too.
  EXPECT_FALSE(DecodeBcdText(Bcd(0x40, "0123")).has_value());
  // Zero has the sign bit set.
  EXPECT_EQ(DecodeBcdText(Bcd(0xC2, "")), "0.00");
}

Bytes StoredLong(int32_t value) {
  uint32_t raw = static_cast<uint32_t>(value) ^ 0x80000000u;
  return Bytes{static_cast<uint8_t>(raw >> 24), static_cast<uint8_t>(raw >> 16), static_cast<uint8_t>(raw >> 8),
               static_cast<uint8_t>(raw)};
}

TEST(FieldCodecTest, DatesOutsideYearsOneTo9999ReadAsNothing) {
  EXPECT_EQ(verimo::DecodeDate(*DecodeDate(StoredLong(1))).year, 1);
  EXPECT_EQ(verimo::DecodeDate(*DecodeDate(StoredLong(3652059))).year, 9999);
  for (int32_t days : {0, -366, 3652060}) {
    EXPECT_FALSE(DecodeDate(StoredLong(days)).has_value()) << days;
    EXPECT_EQ(OutOfRangeDayNumber('D', StoredLong(days)), days);
  }
  EXPECT_FALSE(OutOfRangeDayNumber('D', StoredLong(1)).has_value());
  EXPECT_FALSE(OutOfRangeDayNumber('D', Bytes(4, 0)).has_value());  // blank
  EXPECT_FALSE(OutOfRangeDayNumber('I', StoredLong(0)).has_value());
  // A stored time of 0 is midnight, not blank.
  EXPECT_EQ(DecodeTime(StoredLong(0)), 0.0);
}

TEST(FieldCodecTest, TimestampsBeforeTheDateOrigin) {
  // 1 January 1800, 06:00 as milliseconds since day 0 of the day count.
  double days = 657072;  // day number of 1800-01-01
  double ms = days * 86400000.0 + 6 * 3600000.0;
  uint64_t raw = std::bit_cast<uint64_t>(ms) | (uint64_t{1} << 63);
  Bytes bytes(8);
  for (int i = 0; i < 8; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(raw >> (56 - 8 * i));
  TDateTime value = *DecodeTimestamp(bytes);
  DateParts date = verimo::DecodeDate(value);
  TimeParts time = verimo::DecodeTime(value);
  EXPECT_EQ(date.year, 1800);
  EXPECT_EQ(date.month, 1);
  EXPECT_EQ(date.day, 1);
  EXPECT_EQ(time.hour, 6);
  EXPECT_EQ(time.minute, 0);
}

TEST(FieldCodecTest, LogicalAndAlphaEdges) {
  EXPECT_FALSE(DecodeLogical(Bytes{0}).has_value());
  EXPECT_EQ(DecodeLogical(Bytes{0x80}), false);
  EXPECT_EQ(DecodeLogical(Bytes{0x81}), true);
  EXPECT_EQ(AlphaBytes(Bytes{'a', 'b', 0, 'z'}), "ab");  // stops at the first NUL
  EXPECT_TRUE(DecodeFixedField('A', Bytes{0, 'x'}, 1252).IsNull());
}

TEST(EncryptionTest, DecryptionUndoesEncryption) {
  std::mt19937 random(7);
  Bytes plain(4096);
  for (uint8_t& b : plain) b = static_cast<uint8_t>(random());
  Bytes data = plain;
  EncryptDataBlock(data, 0x0A25E09A, 3);
  EXPECT_NE(data, plain);
  Bytes wrongBlock = data;
  DecryptDataBlock(wrongBlock, 0x0A25E09A, 4);
  EXPECT_NE(wrongBlock, plain);
  DecryptDataBlock(data, 0x0A25E09A, 3);
  EXPECT_EQ(data, plain);
  EncryptBlobChunks(data, 0x12345678);
  DecryptBlobChunks(data, 0x12345678);
  EXPECT_EQ(data, plain);
}

TEST(EncryptionTest, PasswordChecksums) {
  EXPECT_EQ(PasswordChecksum(""), 0u);
  EXPECT_NE(PasswordChecksum("a"), PasswordChecksum("A"));
  // Longer than a chunk: only the first 256 bytes count, and nothing overruns.
  std::string longPassword(400, 'p');
  EXPECT_EQ(PasswordChecksum(longPassword), PasswordChecksum(longPassword.substr(0, 256)));
}

}  // namespace
}  // namespace verimo::paradox
