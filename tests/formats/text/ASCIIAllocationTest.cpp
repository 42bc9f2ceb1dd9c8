// The steady state of a CSV or TXT export allocates nothing per row: every
// operator new of the program is counted while the rows after the first
// ones are read, formatted, built, encoded and written. The rows are those
// of the benchmark table (its eight columns, blanks included), read from a
// generated Paradox table. Also checks that rows built in place are the
// rows the steps give.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <vector>

#include "engine/TesselStream.h"
#include "formats/text/TesselASCII.h"
#include "platform/codepage/CodePage.h"
#include "platform/locale/Formatting.h"
#include "platform/paradox/Table.h"
#include "support/TestPaths.h"

namespace {

std::atomic<long> gAllocations{0};

void* Allocate(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace verimo {
namespace {

namespace fs = std::filesystem;

constexpr int kRows = 3000;
// Rows before counting starts: buffers reach their size on the first rows.
constexpr int kWarmUpRows = 200;

// Goes through the virtual steps: a descendant never takes the in-place row.
class TSteppedASCII : public TTesselASCII {
 public:
  using TTesselASCII::TTesselASCII;
};

class ASCIIAllocationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
#ifdef VERIMO_MKPARADOX
    dir_ = new fs::path(test::MakeTempDir("verimo-alloc"));
    const fs::path table = *dir_ / "BENCH.DB";
    ASSERT_EQ(test::RunCommand(std::string(VERIMO_MKPARADOX) + " --quiet --rows " + std::to_string(kRows) +
                               " --codepage 1254 --notes alpha --seed 11 " + test::ShellQuote(table.string())),
              0);
#endif
  }
  static void TearDownTestSuite() {
    if (dir_ != nullptr) fs::remove_all(*dir_);
    delete dir_;
    dir_ = nullptr;
  }

  void SetUp() override {
    if (dir_ == nullptr) GTEST_SKIP() << "verimo-mkparadox is not built, so there is no table to export";
    saved_ = GlobalFormatSettings();
    GlobalFormatSettings() = TFormatSettings::FromLocale("tr_TR");
    SetSystemCodePage(TSystemCodePage::Ansi, 1254);
    table_.SetDatabaseName(dir_->string());
    table_.SetTableName("BENCH.DB");
    table_.Open();
  }
  void TearDown() override {
    if (dir_ == nullptr) return;
    SetSystemCodePage(TSystemCodePage::Ansi, 0);
    GlobalFormatSettings() = saved_;
  }

  // Allocations made from the end of the warm-up rows to the last row.
  long CountSteadyAllocations(TTesselASCII& exporter, int64_t& bytes) {
    exporter.DataSet = &table_;
    long atWarmUp = 0;
    long atLast = 0;
    exporter.OnExportedRecord = [&](TTessel&, int recNo) {
      if (recNo == kWarmUpRows) atWarmUp = gAllocations.load();
      if (recNo == kRows - 1) atLast = gAllocations.load();
    };
    TNullStream target;
    exporter.ExportToStream(target);
    bytes = target.Size();
    return atLast - atWarmUp;
  }

  std::string Export(TTesselASCII& exporter) {
    exporter.DataSet = &table_;
    TMemoryStream target;
    exporter.ExportToStream(target);
    return std::string(target.Bytes().begin(), target.Bytes().end());
  }

  static fs::path* dir_;
  TFormatSettings saved_;
  TTable table_;
};

fs::path* ASCIIAllocationTest::dir_ = nullptr;

TEST_F(ASCIIAllocationTest, CSVRowsAllocateNothingAfterTheFirstRows) {
  TTesselASCII exporter(etCSV);
  int64_t bytes = 0;
  EXPECT_EQ(CountSteadyAllocations(exporter, bytes), 0);
  EXPECT_GT(bytes, kRows * 50);
}

TEST_F(ASCIIAllocationTest, TXTRowsAllocateNothingAfterTheFirstRows) {
  TTesselASCII exporter(etTXT);
  int64_t bytes = 0;
  EXPECT_EQ(CountSteadyAllocations(exporter, bytes), 0);
  EXPECT_GT(bytes, kRows * 50);
}

// Separators and quotes that the numbers, dates and texts hold or do not
// hold, at any place of a cell: with "," and "." (Turkish decimals and
// thousands) some number cells need quotes and some do not.
TEST_F(ASCIIAllocationTest, RowsBuiltInPlaceEqualTheRowsOfTheSteps) {
  struct Marks {
    char16_t comma;
    char16_t quote;
  };
  for (TTesselASCIIType type : {etCSV, etTXT}) {
    for (const Marks marks : {Marks{u';', u'"'}, Marks{u',', u'"'}, Marks{u'.', u'\''}, Marks{u',', 0}}) {
      TTesselASCII fast(type);
      TSteppedASCII stepped(type);
      for (TTesselASCII* exporter : {static_cast<TTesselASCII*>(&fast), static_cast<TTesselASCII*>(&stepped)}) {
        exporter->Formats().SetNullString(u"(boş)");
        exporter->CSVComma = marks.comma;
        exporter->CSVQuote = marks.quote;
      }
      const std::string expected = Export(stepped);
      EXPECT_GT(expected.size(), static_cast<size_t>(kRows * 50));
      EXPECT_EQ(Export(fast), expected) << (type == etCSV ? "CSV " : "TXT ") << static_cast<int>(marks.comma) << " "
                                        << static_cast<int>(marks.quote);
      if (type == etTXT) break;
    }
  }
}

// Rows of the exporter itself take text fields as stored bytes; a handler
// that asks for the row during a record still gets every cell's text.
TEST_F(ASCIIAllocationTest, HandlersReadingTheRowSeeEveryCellOfTheRecord) {
  for (TTesselASCIIType type : {etCSV, etTXT}) {
    TTesselASCII fast(type);
    TSteppedASCII stepped(type);
    std::vector<std::vector<WideString>> seen[2];
    int which = 0;
    for (TTesselASCII* exporter : {static_cast<TTesselASCII*>(&fast), static_cast<TTesselASCII*>(&stepped)}) {
      exporter->DataSet = &table_;
      auto& rows = seen[which++];
      exporter->OnExportedRecord = [&rows](TTessel& sender, int) {
        std::vector<WideString> texts;
        for (const TTesselCol& cell : sender.Row()) texts.push_back(cell.Text);
        rows.push_back(std::move(texts));
      };
      TNullStream target;
      exporter->ExportToStream(target);
    }
    ASSERT_EQ(seen[0].size(), static_cast<size_t>(kRows));
    EXPECT_EQ(seen[0], seen[1]) << (type == etCSV ? "CSV" : "TXT");
    EXPECT_FALSE(seen[0][4][1].empty());  // a name, an alpha field
  }
}

}  // namespace
}  // namespace verimo
