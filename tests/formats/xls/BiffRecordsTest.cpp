#include "formats/xls/BiffRecords.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "formats/xls/XlsSst.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

struct TRecord {
  uint16_t id;
  std::string data;
};

// Splits a block of records at their headers.
std::vector<TRecord> Records(const std::string& bytes) {
  std::vector<TRecord> records;
  for (size_t at = 0; at + 4 <= bytes.size();) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
    const uint16_t id = static_cast<uint16_t>(byte(at) | (byte(at + 1) << 8));
    const uint16_t length = static_cast<uint16_t>(byte(at + 2) | (byte(at + 3) << 8));
    records.push_back({id, bytes.substr(at + 4, length)});
    at += 4 + length;
  }
  return records;
}

uint32_t Dword(const std::string& data, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(data[at + static_cast<size_t>(i)]);
  return value;
}

TEST(BiffRecordTest, LongRecordIsContinuedInPiecesOf8220Bytes) {
  TbiffRecord record(0x00EB, std::vector<uint8_t>(20000, 0xAB));
  TbiffMemorySink sink;
  record.SaveToStream(sink);
  const auto records = Records(sink.Bytes());
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].id, 0x00EB);
  EXPECT_EQ(records[1].id, biff::kContinue);
  EXPECT_EQ(records[2].id, biff::kContinue);
  EXPECT_EQ(records[0].data.size(), 8220u);
  EXPECT_EQ(records[1].data.size(), 8220u);
  EXPECT_EQ(records[2].data.size(), 3560u);
  EXPECT_EQ(record.GetTotalSize(), 20004u);
}

TEST(BiffRecordTest, ChainedRecordFollowsAndEmptyRecordHasNoData) {
  TbiffRecord record(0x000A, {});
  record.Chain(std::make_unique<TbiffRecord>(0x0042, std::vector<uint8_t>{0xE4, 0x04}));
  TbiffMemorySink sink;
  record.SaveToStream(sink);
  EXPECT_EQ(sink.Bytes(), std::string("\x0A\x00\x00\x00\x42\x00\x02\x00\xE4\x04", 10));
  EXPECT_EQ(record.GetTotalSize(), 10u);
}

TEST(BiffBufferTest, WritesOutsideTheBufferAreRefused) {
  TbiffBuffer buffer;
  buffer.PutZeros(biff::kMaxRecordData - 2);
  buffer.Put16(7);
  EXPECT_THROW(buffer.Put8(1), std::exception);
  EXPECT_THROW(buffer.Set16(biff::kMaxRecordData - 1, 1), std::exception);
  buffer.Clear();
  EXPECT_THROW(buffer.PutUtf16(WideString(4200, u'x')), std::exception);
}

TEST(BiffTextTest, SheetTitlesAndCutsStayValid) {
  EXPECT_EQ(SafeSheetTitle(u"a[b]c:d*e?f/g\\h"), u"a_b_c_d_e_f_g_h");
  EXPECT_EQ(SafeSheetTitle(WideString(40, u'x')).size(), 31u);
  EXPECT_EQ(SafeSheetTitle(u""), u"Sheet");
  // A cut never separates a surrogate pair.
  const WideString text = WideString(4, u'a') + u"𝄞";
  EXPECT_EQ(CutText(text, 5), u"aaaa");
  EXPECT_EQ(CutText(text, 6), text);
}

TEST(SstTest, EmptyTableHasBothCountsZero) {
  TsstStrings sst;
  TbiffMemorySink sink;
  sst.SaveToStream(sink);
  const auto records = Records(sink.Bytes());
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].id, biff::kSst);
  EXPECT_EQ(records[0].data, std::string(8, '\0'));
}

TEST(SstTest, RepeatsShareOneIndexAndCaseMatters) {
  TsstStrings sst;
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(sst.AddString(u"aynı"), 0u);
  EXPECT_EQ(sst.AddString(u"Abc"), 1u);
  EXPECT_EQ(sst.AddString(u"abc"), 2u);
  EXPECT_EQ(sst.TotalCount(), 1002u);
  EXPECT_EQ(sst.UniqueCount(), 3u);
  TbiffMemorySink sink;
  sst.SaveToStream(sink);
  const auto records = Records(sink.Bytes());
  EXPECT_EQ(Dword(records[0].data, 0), 1002u);
  EXPECT_EQ(Dword(records[0].data, 4), 3u);
}

TEST(SstTest, StringsThatDoNotFitMoveWholeIntoContinueRecords) {
  TsstStrings sst;
  for (char16_t letter : {u'a', u'b', u'c'}) sst.AddString(WideString(3000, letter));
  TbiffMemorySink sink;
  sst.SaveToStream(sink);
  const auto records = Records(sink.Bytes());
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].data.size(), 6011u);
  EXPECT_EQ(records[1].id, biff::kContinue);
  EXPECT_EQ(records[1].data.size(), 6003u);
  EXPECT_EQ(records[2].data.size(), 6003u);
  // Each CONTINUE record starts with a whole string: count, option, text.
  EXPECT_EQ(records[1].data.substr(0, 3), std::string("\xB8\x0B\x01", 3));
}

TEST(SstTest, LongStringIsSplitBetweenCharactersWithAnOptionByteEachPiece) {
  TsstStrings sst;
  sst.AddString(u"x");
  sst.AddString(WideString(10000, u'ş'));
  TbiffMemorySink sink;
  sst.SaveToStream(sink);
  const auto records = Records(sink.Bytes());
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].data.size(), 8u + 5u);  // counts and "x": the long string starts a new record
  EXPECT_EQ(records[1].data.size(), 3u + 2u * 4110u);
  EXPECT_EQ(records[2].data.size(), 1u + 2u * 4111u);
  EXPECT_EQ(records[2].data[0], '\x01');
  EXPECT_EQ(records[3].data.size(), 1u + 2u * (10000u - 4110u - 4111u));
  for (const TRecord& record : records) EXPECT_LE(record.data.size(), biff::kMaxRecordData);
}

TEST(SstTest, AFullIndexStoresNewTextsAgainAndKeepsSharingTheTextsItHolds) {
  TsstStrings sst;
  for (size_t i = 0; i < TsstStrings::kIndexedStrings; ++i) EXPECT_EQ(sst.AddString(u"s" + IntToWide(int(i))), i);
  const uint32_t late = sst.AddString(u"late");
  EXPECT_NE(sst.AddString(u"late"), late);
  EXPECT_EQ(sst.AddString(u"s0"), 0u);
  EXPECT_EQ(sst.UniqueCount(), TsstStrings::kIndexedStrings + 2);
  EXPECT_EQ(sst.TotalCount(), TsstStrings::kIndexedStrings + 3);
}

// More record bytes than the table keeps in memory: the records come back
// from its temporary file whole and in order, the counts filled in.
TEST(SstTest, RecordsBeyondTheMemoryLimitComeBackInOrder) {
  const fs::path dir = test::MakeTempDir("verimo-sst");
  {
    TsstStrings sst(dir);
    const size_t strings = TsstStrings::kMemoryLimit / 2000 + 400;
    for (size_t i = 0; i < strings; ++i) sst.AddString(WideString(1000, static_cast<char16_t>(u'a' + i % 26)) + IntToWide(int(i)));
    sst.AddString(u"s1");
    TbiffMemorySink sink;
    sst.SaveToStream(sink);
    EXPECT_EQ(sink.Bytes().size(), sst.RecordBytes());
    const auto records = Records(sink.Bytes());
    EXPECT_EQ(Dword(records[0].data, 0), strings + 1);
    EXPECT_EQ(Dword(records[0].data, 4), strings + 1);
    // Four strings of about 2010 bytes to a record, the next one's first
    // character telling which it is.
    ASSERT_EQ(records.size(), (strings + 3) / 4);
    for (size_t r = 1; r + 1 < records.size(); ++r) {
      ASSERT_EQ(records[r].id, biff::kContinue);
      EXPECT_EQ(static_cast<char16_t>(static_cast<uint8_t>(records[r].data[3])), u'a' + (4 * r) % 26) << r;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 0);
  }
  fs::remove_all(dir);
}

TEST(SstTest, TextsLongerThanACellHoldsAreCutOutsideSurrogatePairs) {
  TsstStrings sst;
  const WideString text = WideString(32766, u'a') + u"𝄞" + u"b";
  sst.AddString(text);
  sst.AddString(WideString(40000, u'c'));
  // 32766 and 32767 characters, each in a record of its own and four CONTINUE records.
  EXPECT_EQ(sst.StringBytes(), (3u + 2u * 32766u) + (3u + 2u * 32767u));
  TbiffMemorySink sink;
  sst.SaveToStream(sink);
  const auto records = Records(sink.Bytes());
  ASSERT_GE(records.size(), 2u);
  EXPECT_EQ(Dword(records[1].data, 0) & 0xFFFFu, 32766u);
}

}  // namespace
}  // namespace verimo
