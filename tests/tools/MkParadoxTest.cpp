// verimo-mkparadox run as the scripts run it, its tables read back with
// pxlib and compared with the intended content.
#include <gtest/gtest.h>
#include <iconv.h>

extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/TestPaths.h"
#include "tools/mkparadox/SampleContent.h"

namespace verimo::tools {
namespace {

namespace fs = std::filesystem;

int Generate(const std::string& arguments, std::string* errors = nullptr) {
  std::string command = std::string(VERIMO_MKPARADOX) + " " + arguments + " 2>&1";
  std::string output;
  int status = test::RunCommand(command, &output);
  if (errors) *errors = output;
  return status;
}

// Paradox marks a blank field by all-zero bytes.
bool IsBlank(const char* data, int length) {
  return std::all_of(data, data + length, [](char c) { return c == 0; });
}

// The part of a memo the record itself holds: the first bytes of the text
// (in the table's code page) and the length of the whole text.
struct MemoLeader {
  std::string start;
  uint32_t length = 0;
  friend bool operator==(const MemoLeader&, const MemoLeader&) = default;
};

std::optional<MemoLeader> ExpectedLeader(const std::optional<std::string>& notes, int codePage) {
  if (!notes) return std::nullopt;
  iconv_t converter = iconv_open(("CP" + std::to_string(codePage)).c_str(), "UTF-8");
  std::string out(notes->size() + 4, '\0');
  char* in = const_cast<char*>(notes->data());
  size_t inLeft = notes->size();
  char* dest = out.data();
  size_t destLeft = out.size();
  EXPECT_NE(iconv(converter, &in, &inLeft, &dest, &destLeft), static_cast<size_t>(-1));
  iconv_close(converter);
  out.resize(out.size() - destLeft);
  MemoLeader leader;
  leader.length = static_cast<uint32_t>(out.size());
  leader.start = out.substr(0, kMemoLeaderLength);
  return leader;
}

// A table opened with pxlib, alpha fields recoded to UTF-8.
class PxlibTable {
 public:
  explicit PxlibTable(const fs::path& path) : doc_(PX_new()) {
    if (PX_open_file(doc_, path.c_str()) < 0) throw std::runtime_error("pxlib cannot open " + path.string());
    // Debian's pxlib crashes opening any .MB file, so memos are checked by
    // their in-record part only.
    PX_set_parameter(doc_, "targetencoding", "UTF-8");
    record_.resize(static_cast<size_t>(PX_get_recordsize(doc_)));
  }
  ~PxlibTable() {
    PX_close(doc_);
    PX_delete(doc_);
  }
  PxlibTable(const PxlibTable&) = delete;
  PxlibTable& operator=(const PxlibTable&) = delete;

  int RecordCount() const { return PX_get_num_records(doc_); }
  int CodePage() const { return doc_->px_head->px_doscodepage; }
  int FieldCount() const { return PX_get_num_fields(doc_); }
  const pxfield_t& Field(int i) const { return *PX_get_field(doc_, i); }

  // The record as the generator means it (memos: see MemoOf).
  SampleRow Read(int recno) {
    if (PX_get_record(doc_, recno, record_.data()) == nullptr) throw std::runtime_error("cannot read a record");
    SampleRow row;
    char* data = record_.data();
    long number = 0;
    if (!IsBlank(data, 4) && PX_get_data_long(doc_, data, 4, &number) > 0) row.id = static_cast<int32_t>(number);
    data += 4;
    row.name = Alpha(data, Field(1).px_flen);
    data += Field(1).px_flen;
    row.city = Alpha(data, Field(2).px_flen);
    data += Field(2).px_flen;
    double balance = 0;
    if (!IsBlank(data, 8) && PX_get_data_double(doc_, data, 8, &balance) > 0) row.balanceCents = std::llround(balance * 100);
    data += 8;
    short level = 0;
    if (!IsBlank(data, 2) && PX_get_data_short(doc_, data, 2, &level) > 0) row.level = level;
    data += 2;
    if (!IsBlank(data, 4) && PX_get_data_long(doc_, data, 4, &number) > 0) {
      CivilDate date;
      PX_SdnToGregorian(number + 1721425, &date.year, &date.month, &date.day);
      row.joined = date;
    }
    data += 4;
    char active = 0;
    if (!IsBlank(data, 1) && PX_get_data_byte(doc_, data, 1, &active) > 0) row.active = active != 0;
    data += 1;
    if (Field(7).px_ftype == pxfAlpha) row.notes = Alpha(data, Field(7).px_flen);
    return row;
  }

  std::optional<MemoLeader> MemoOf(int recno) {
    if (PX_get_record(doc_, recno, record_.data()) == nullptr) throw std::runtime_error("cannot read a record");
    int length = Field(7).px_flen;
    const char* data = record_.data() + PX_get_recordsize(doc_) - length;
    if (IsBlank(data, length)) return std::nullopt;
    int leaderLength = length - 10;
    MemoLeader leader;
    const auto* descriptor = reinterpret_cast<const unsigned char*>(data + leaderLength);
    leader.length = descriptor[4] | descriptor[5] << 8 | descriptor[6] << 16 | static_cast<uint32_t>(descriptor[7]) << 24;
    leader.start.assign(data, std::min<size_t>(leader.length, static_cast<size_t>(leaderLength)));
    return leader;
  }

 private:
  std::optional<std::string> Alpha(char* data, int length) {
    char* value = nullptr;
    if (PX_get_data_alpha(doc_, data, length, &value) <= 0) return std::nullopt;
    std::string text(value);
    doc_->free(doc_, value);
    return text;
  }

  pxdoc_t* doc_;
  std::vector<char> record_;
};

void ExpectSameRow(const SampleRow& actual, const SampleRow& expected) {
  EXPECT_EQ(actual.id, expected.id);
  EXPECT_EQ(actual.name, expected.name) << "record " << expected.id;
  EXPECT_EQ(actual.city, expected.city) << "record " << expected.id;
  EXPECT_EQ(actual.balanceCents, expected.balanceCents) << "record " << expected.id;
  EXPECT_EQ(actual.level, expected.level) << "record " << expected.id;
  EXPECT_EQ(actual.joined, expected.joined) << "record " << expected.id;
  EXPECT_EQ(actual.active, expected.active) << "record " << expected.id;
  EXPECT_EQ(actual.notes, expected.notes) << "record " << expected.id;
}

class MkParadoxTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { PX_boot(); }
  void SetUp() override { dir_ = test::MakeTempDir("verimo-mkparadox"); }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(MkParadoxTest, MemoTableHoldsTheIntendedRecords) {
  fs::path table = dir_ / "MEMO.DB";
  ASSERT_EQ(Generate("--rows 700 --seed 5 " + verimo::test::ShellQuote(table.string())), 0);
  ASSERT_TRUE(fs::exists(dir_ / "MEMO.MB"));
  PxlibTable px(table);
  EXPECT_EQ(px.CodePage(), 1254);
  ASSERT_EQ(px.FieldCount(), 8);
  EXPECT_EQ(px.Field(7).px_ftype, pxfMemoBLOb);
  ASSERT_EQ(px.RecordCount(), 700);
  size_t longestMemo = 0;
  for (int i = 0; i < px.RecordCount(); ++i) {
    SampleRow expected = MakeSampleRow(5, i, NotesKind::Memo);
    SampleRow actual = px.Read(i);
    EXPECT_EQ(px.MemoOf(i), ExpectedLeader(expected.notes, 1254)) << "record " << expected.id;
    if (expected.notes) longestMemo = std::max(longestMemo, expected.notes->size());
    actual.notes.reset();  // compared above through their leaders
    expected.notes.reset();
    ExpectSameRow(actual, expected);
  }
  EXPECT_GT(longestMemo, 4096u);  // some memos need more than one block of the .MB
}

TEST_F(MkParadoxTest, AlphaNotesInAnOemCodePage) {
  fs::path table = dir_ / "alpha.db";
  ASSERT_EQ(Generate("--rows 300 --seed 9 --notes alpha --codepage 857 " + verimo::test::ShellQuote(table.string())), 0);
  EXPECT_FALSE(fs::exists(dir_ / "alpha.mb"));
  PxlibTable px(table);
  EXPECT_EQ(px.CodePage(), 857);
  EXPECT_EQ(px.Field(7).px_ftype, pxfAlpha);
  ASSERT_EQ(px.RecordCount(), 300);
  for (int i = 0; i < px.RecordCount(); ++i) ExpectSameRow(px.Read(i), MakeSampleRow(9, i, NotesKind::Alpha));
}

TEST_F(MkParadoxTest, EncryptedTableDiffersOnDiskButNotInContent) {
  fs::path plain = dir_ / "plain.db";
  fs::path secret = dir_ / "secret.db";
  ASSERT_EQ(Generate("--rows 50 --notes alpha " + verimo::test::ShellQuote(plain.string())), 0);
  ASSERT_EQ(Generate("--rows 50 --notes alpha --password geheim " + verimo::test::ShellQuote(secret.string())), 0);
  auto bytes = [](const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  std::string plainBytes = bytes(plain);
  std::string secretBytes = bytes(secret);
  ASSERT_EQ(plainBytes.size(), secretBytes.size());
  EXPECT_NE(plainBytes.substr(0x800), secretBytes.substr(0x800));  // the data blocks
  EXPECT_NE(plainBytes.find("Kay"), std::string::npos);
  EXPECT_EQ(secretBytes.find("Kay"), std::string::npos);
}

TEST_F(MkParadoxTest, SameSeedSameRecordsOtherSeedOthers) {
  for (int64_t i = 0; i < 200; ++i) {
    SampleRow a = MakeSampleRow(1, i, NotesKind::Memo);
    SampleRow b = MakeSampleRow(1, i, NotesKind::Memo);
    EXPECT_EQ(a.notes, b.notes);
    EXPECT_EQ(a.balanceCents, b.balanceCents);
  }
  int differing = 0;
  for (int64_t i = 4; i < 104; ++i)
    differing += MakeSampleRow(1, i, NotesKind::Memo).notes != MakeSampleRow(2, i, NotesKind::Memo).notes;
  EXPECT_GT(differing, 80);
}

TEST_F(MkParadoxTest, DayNumbersAgreeWithPxlibsCalendar) {
  for (int year : {1, 2, 99, 100, 400, 1582, 1600, 1700, 1752, 1899, 1900, 1970, 2000, 2024, 2100, 9999})
    for (int month = 1; month <= 12; ++month)
      for (int day : {1, 28}) {
        CivilDate date{year, month, day};
        EXPECT_EQ(ParadoxDayNumber(date), PX_GregorianToSdn(year, month, day) - 1721425)
            << year << "-" << month << "-" << day;
      }
  EXPECT_EQ(ParadoxDayNumber({1, 1, 1}), 1);
  EXPECT_EQ(ParadoxDayNumber({2000, 3, 1}) - ParadoxDayNumber({2000, 2, 28}), 2);
  EXPECT_EQ(ParadoxDayNumber({1900, 3, 1}) - ParadoxDayNumber({1900, 2, 28}), 1);
}

TEST_F(MkParadoxTest, BadRequestsFailCleanly) {
  std::string errors;
  fs::path table = dir_ / "t.db";
  EXPECT_EQ(Generate("--rows many " + verimo::test::ShellQuote(table.string()), &errors), 2);
  EXPECT_NE(errors.find("--rows"), std::string::npos) << errors;
  EXPECT_EQ(Generate("--notes blob " + verimo::test::ShellQuote(table.string())), 2);
  EXPECT_EQ(Generate("--password x " + verimo::test::ShellQuote(table.string()), &errors), 2);  // memo files stay unencrypted
  EXPECT_NE(errors.find("--notes alpha"), std::string::npos) << errors;
  EXPECT_EQ(Generate(""), 2);
  EXPECT_EQ(Generate("a.db b.db"), 2);

  EXPECT_EQ(Generate("--codepage 4242 " + verimo::test::ShellQuote(table.string()), &errors), 1);
  EXPECT_NE(errors.find("4242"), std::string::npos) << errors;
  EXPECT_EQ(Generate(verimo::test::ShellQuote((dir_ / "missing" / "t.db").string()), &errors), 1);
  EXPECT_NE(errors.find("missing"), std::string::npos) << errors;
  EXPECT_TRUE(fs::is_empty(dir_));  // nothing half-written is left behind

  // What cannot be opened for writing is not the generator's to remove.
  fs::create_directory(dir_ / "taken.db");
  EXPECT_EQ(Generate(verimo::test::ShellQuote((dir_ / "taken.db").string())), 1);
  EXPECT_TRUE(fs::is_directory(dir_ / "taken.db"));
}

TEST_F(MkParadoxTest, CodePageWithoutTurkishLettersWarns) {
  std::string errors;
  fs::path table = dir_ / "latin.db";
  ASSERT_EQ(Generate("--rows 20 --notes alpha --codepage 1252 " + verimo::test::ShellQuote(table.string()), &errors), 0);
  EXPECT_NE(errors.find("written as '?'"), std::string::npos) << errors;
  PxlibTable px(table);
  SampleRow smallest = px.Read(3);
  EXPECT_EQ(smallest.name, "?");  // dotless i is not in code page 1252
}

}  // namespace
}  // namespace verimo::tools
