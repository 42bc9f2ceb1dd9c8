// Records read ahead on a second thread (TTessel::ReadAhead) give the run
// exactly what reading them in turn gives: the same bytes, losses, record
// counts, errors and source position, whether the run ends with the source,
// a limit, a stop or an error.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "engine/TesselStream.h"
#include "formats/text/TesselASCII.h"
#include "platform/codepage/CodePage.h"
#include "platform/paradox/Table.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

// Generated records (an integer, a text, a date with blanks among them) that
// can fail: reading record `failRead`, or moving on from record `failNext`.
class TGeneratedDataSet : public TDataSet {
 public:
  explicit TGeneratedDataSet(int records) : records_(records) {}
  int failRead = -1;
  int failNext = -1;

  bool IsEmpty() const override { return records_ == 0; }
  void First() override { current_ = 0; }
  void Next() override {
    if (current_ == failNext) throw Exception("cannot move past record " + std::to_string(current_));
    if (current_ < records_) ++current_;
  }
  bool Eof() const override { return current_ >= records_; }
  int64_t RecordCount() const override { return records_; }
  TBookmark GetBookmark() const override { return {current_, 0}; }
  void GotoBookmark(const TBookmark& bookmark) override { current_ = static_cast<int>(bookmark.position); }
  int Current() const { return current_; }

  Variant FieldValue(int index) const override {
    if (current_ == failRead) throw Exception("record " + std::to_string(current_) + " cannot be read");
    if (current_ % 7 == 3) return Variant::Null();
    switch (index) {
      case 0: return Variant::FromInt(current_ * 37 - 1000);
      case 1: return Variant::FromText(u"name \"" + IntToWide(current_) + u"\", line");
      default: return Variant::FromDateTime(TDateTime(40000.0 + current_));
    }
  }

 protected:
  void DoOpen() override {
    AddField(u"ID", ftInteger, 0);
    AddField(u"NAME", ftString, 30);
    AddField(u"DAY", ftDate, 0);
  }
  void DoClose() override {}

 private:
  int records_;
  int current_ = 0;
};

struct TRunResult {
  std::string bytes;
  std::optional<std::string> error;
  int exported = 0;
  bool aborted = false;
  std::vector<TLoss> losses;
};

bool SameLosses(const std::vector<TLoss>& a, const std::vector<TLoss>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TLoss& x, const TLoss& y) {
    return x.field == y.field && x.kind == y.kind && x.detail == y.detail && x.count == y.count;
  });
}

// One run of `exporter` over its data set, read ahead or in turn; the
// exporter's handlers are the caller's.
TRunResult RunExport(TTesselASCII& exporter, bool readAhead) {
  TRunResult result;
  exporter.ReadAhead = readAhead;
  TMemoryStream stream;
  auto counted = exporter.OnExportedRecord;
  exporter.OnExportedRecord = [&](TTessel& sender, int recNo) {
    ++result.exported;
    if (counted) counted(sender, recNo);
  };
  try {
    exporter.ExportToStream(stream);
  } catch (const std::exception& error) {
    result.error = error.what();
  }
  exporter.OnExportedRecord = counted;
  result.bytes = std::string(stream.View());
  result.aborted = exporter.Aborted();
  result.losses = exporter.Losses().Losses();
  return result;
}

void ExpectSameRun(const TRunResult& inTurn, const TRunResult& ahead) {
  EXPECT_EQ(inTurn.bytes, ahead.bytes);
  EXPECT_EQ(inTurn.error, ahead.error);
  EXPECT_EQ(inTurn.exported, ahead.exported);
  EXPECT_EQ(inTurn.aborted, ahead.aborted);
  EXPECT_TRUE(SameLosses(inTurn.losses, ahead.losses));
}

class ReadAheadTest : public ::testing::Test {
 protected:
  ReadAheadTest() {
    data_.Open();
    csv_.DataSet = &data_;
  }
  TGeneratedDataSet data_{5000};
  TTesselASCII csv_{etCSV};
};

TEST_F(ReadAheadTest, SameRowsWithLimitsAndSkips) {
  for (const auto& [skip, limit] : std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {17, 700}, {4990, 0}, {5000, 0}}) {
    csv_.SkipRecCount = skip;
    csv_.ExportRecCount = limit;
    const TRunResult inTurn = RunExport(csv_, false);
    const int inTurnPosition = data_.Current();
    const TRunResult ahead = RunExport(csv_, true);
    ExpectSameRun(inTurn, ahead);
    EXPECT_EQ(inTurnPosition, data_.Current()) << skip << " " << limit;
    EXPECT_FALSE(inTurn.error);
  }
}

TEST_F(ReadAheadTest, ErrorsOfTheSourceComeWhereTheyWouldInTurn) {
  // Reading a record, and moving on from one, in the first block and far
  // past what the reading thread holds ahead.
  for (int at : {0, 1, 129, 3001}) {
    for (bool onRead : {true, false}) {
      data_.failRead = onRead ? at : -1;
      data_.failNext = onRead ? -1 : at;
      const TRunResult inTurn = RunExport(csv_, false);
      const TRunResult ahead = RunExport(csv_, true);
      ASSERT_TRUE(inTurn.error) << at;
      ExpectSameRun(inTurn, ahead);
      EXPECT_EQ(ahead.exported, onRead ? at : at + 1);
    }
  }
}

TEST_F(ReadAheadTest, AStopEndsTheRunAtTheSameRecordAndPosition) {
  int stopAt = 0;
  csv_.OnExportedRecord = [&](TTessel& sender, int recNo) {
    if (recNo == stopAt) sender.Abort();
  };
  for (int at : {0, 1000, 4998}) {
    stopAt = at;
    const TRunResult inTurn = RunExport(csv_, false);
    const int inTurnPosition = data_.Current();
    const TRunResult ahead = RunExport(csv_, true);
    ExpectSameRun(inTurn, ahead);
    EXPECT_TRUE(ahead.aborted);
    EXPECT_EQ(ahead.exported, at + 1);
    // The source stands on the first record not written, not where the
    // reading thread had got to.
    EXPECT_EQ(data_.Current(), inTurnPosition);
  }
  // A stop that the handler lets go on is no stop.
  stopAt = 10;
  csv_.OnStopExport = [](TTessel&, bool& canContinue) { canContinue = true; };
  const TRunResult ahead = RunExport(csv_, true);
  EXPECT_EQ(ahead.exported, 5000);
  EXPECT_FALSE(ahead.aborted);
}

// A stream that refuses to grow past a size, as a full disk does.
class TFullStream : public TMemoryStream {
 public:
  void Write(const void* data, size_t count) override {
    if (Size() + static_cast<int64_t>(count) > 60000) throw Exception("the disk is full");
    TMemoryStream::Write(data, count);
  }
  using TStream::Write;
};

TEST_F(ReadAheadTest, AFailingTargetStopsTheReadingThread) {
  for (bool readAhead : {false, true}) {
    csv_.ReadAhead = readAhead;
    TFullStream target;
    try {
      csv_.ExportToStream(target);
      ADD_FAILURE() << "the export did not fail";
    } catch (const Exception& error) {
      EXPECT_STREQ(error.what(), "the disk is full");
    }
    EXPECT_FALSE(data_.ControlsDisabled());
  }
}

TEST_F(ReadAheadTest, HandlersThatReadTheCellsKeepTheRunInTurn) {
  // OnGetExportText runs between the reading of the cells: the run reads
  // in turn, and the handler sees every record's own cells.
  int mismatches = 0;
  csv_.OnGetExportText = [&](TTessel&, int column, WideString& text) {
    if (column == 1 && !data_.Field(1).IsNull() && text != u"name \"" + IntToWide(data_.Current()) + u"\", line")
      ++mismatches;
  };
  const TRunResult ahead = RunExport(csv_, true);
  EXPECT_EQ(ahead.exported, 5000);
  EXPECT_EQ(mismatches, 0);
}

// ---- the fixture tables ----

std::vector<fs::path> FixtureTables() {
  std::vector<fs::path> tables;
  const std::optional<fs::path> shared = test::SharedDir();
  if (!shared) return tables;
  const fs::path root = *shared / "fixtures" / "paradox";
  if (!fs::exists(root)) return tables;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](char ch) { return static_cast<char>(std::tolower(ch)); });
    if (entry.is_regular_file() && extension == ".db") tables.push_back(entry.path());
  }
  std::sort(tables.begin(), tables.end());
  return tables;
}

TEST(ReadAheadFixtureTest, EveryTableGivesTheSameCsvAndTxt) {
  VERIMO_REQUIRE_SHARED_DIR();
  const std::vector<fs::path> tables = FixtureTables();
  if (tables.empty()) GTEST_SKIP() << "no fixture tables";
  int compared = 0;
  for (const fs::path& path : tables) {
    TTable table;
    table.SetDatabaseName(path.parent_path().string());
    table.SetTableName(path.filename().string());
    try {
      table.Open();
    } catch (const Exception&) {
      continue;  // damaged on purpose, or needs a password
    }
    for (TTesselASCIIType type : {etCSV, etTXT}) {
      for (TTesselOutputEncoding encoding : {oeAnsi, oeUTF8}) {
        TTesselASCII exporter(type);
        exporter.DataSet = &table;
        exporter.SetOutputEncoding(encoding);
        // Every field, the memos and other BLOBs included.
        for (int i = 0; i < table.FieldCount(); ++i) exporter.ExportedFields.Add(table.Field(i).FieldName());
        const TRunResult inTurn = RunExport(exporter, false);
        const TRunResult ahead = RunExport(exporter, true);
        SCOPED_TRACE(path.string() + (type == etCSV ? " csv" : " txt"));
        ExpectSameRun(inTurn, ahead);
        EXPECT_EQ(ahead.exported, table.RecordCount());
        EXPECT_TRUE(table.Eof());
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 20);
}

// A table whose memo file is cut short after the first memos: the export
// fails at the first record whose memo lies past the cut, read ahead or not.
TEST(ReadAheadFixtureTest, AMemoFileCutShortFailsTheRunWithTheSameMessage) {
  VERIMO_REQUIRE_SHARED_DIR();
  const fs::path fixture = *test::SharedDir() / "fixtures" / "paradox" / "db" / "CUSTOMER.DB";
  if (!fs::exists(fixture)) GTEST_SKIP() << "no CUSTOMER.DB";
  const fs::path dir = test::MakeTempDir("verimo-read-ahead");
  fs::copy_file(fixture, dir / "CUSTOMER.DB");
  const fs::path blobs = fs::path(fixture).replace_extension(".MB");
  fs::copy_file(blobs, dir / "CUSTOMER.MB");
  fs::resize_file(dir / "CUSTOMER.MB", fs::file_size(blobs) / 3);
  TTable table;
  table.SetDatabaseName(dir.string());
  table.SetTableName("CUSTOMER.DB");
  table.Open();
  TTesselASCII exporter(etCSV);
  exporter.DataSet = &table;
  for (int i = 0; i < table.FieldCount(); ++i) exporter.ExportedFields.Add(table.Field(i).FieldName());
  const TRunResult inTurn = RunExport(exporter, false);
  const TRunResult ahead = RunExport(exporter, true);
  fs::remove_all(dir);
  ASSERT_TRUE(inTurn.error);
  EXPECT_GT(inTurn.exported, 0);
  ExpectSameRun(inTurn, ahead);
}

}  // namespace
}  // namespace verimo
