#include <benchmark/benchmark.h>

#include <array>

#include "engine/Tessel.h"
#include "core/DateTime.h"
#include "formats/text/TesselASCII.h"
#include "platform/locale/Formatting.h"

namespace verimo {
namespace {

// The benchmark table's eight columns, with values made from the record
// number, so that the loop and not the storage is measured.
class TGeneratedDataSet : public TDataSet {
 public:
  explicit TGeneratedDataSet(int64_t recordCount) : recordCount_(recordCount) {
    for (int i = 0; i < 16; ++i) names_[static_cast<size_t>(i)] = u"Name " + IntToWide(i * 7919);
  }

  bool IsEmpty() const override { return recordCount_ == 0; }
  void First() override { current_ = 0; }
  void Next() override {
    if (current_ < recordCount_) ++current_;
  }
  bool Eof() const override { return current_ >= recordCount_; }
  int64_t RecordCount() const override { return recordCount_; }
  TBookmark GetBookmark() const override { return Eof() ? TBookmark() : TBookmark{current_, 0}; }
  void GotoBookmark(const TBookmark& bookmark) override { current_ = bookmark.position; }

  Variant FieldValue(int index) const override {
    const int64_t n = current_ + 1;
    switch (index) {
      case 0: return Variant::FromInt(n);
      case 1: return Variant::FromText(names_[static_cast<size_t>(n % 16)]);
      case 2: return Variant::FromText(WideString(kCity));
      case 3: return Variant::FromCurrency(Currency{n * 1234});
      case 4: return Variant::FromInt(n % 1000);
      case 5: return Variant::FromDateTime(45000.0 + static_cast<double>(n % 3650));
      case 6: return Variant::FromBool(n % 2 == 0);
      default: return Variant::FromText(WideString(kNote));
    }
  }

  // Values go into the storage the cell's value already has, as the table
  // reader does.
  void ReadFieldValue(int index, Variant& value) const override {
    const int64_t n = current_ + 1;
    switch (index) {
      case 0: value.SetInt(n); break;
      case 1: value.AssignText(names_[static_cast<size_t>(n % 16)]); break;
      case 2: value.AssignText(kCity); break;
      case 3: value.SetCurrency(Currency{n * 1234}); break;
      case 4: value.SetInt(n % 1000); break;
      case 5: value.SetDateTime(45000.0 + static_cast<double>(n % 3650)); break;
      case 6: value.SetBool(n % 2 == 0); break;
      default: value.AssignText(kNote); break;
    }
  }

 protected:
  void DoOpen() override {
    ClearFields();
    AddField(u"Id", ftInteger, 0);
    AddField(u"Name", ftString, 40);
    AddField(u"City", ftString, 30);
    AddField(u"Balance", ftCurrency, 0);
    AddField(u"Code", ftSmallint, 0);
    AddField(u"Joined", ftDate, 0);
    AddField(u"Active", ftBoolean, 0);
    AddField(u"Notes", ftString, 250);
    current_ = 0;
  }
  void DoClose() override {}

 private:
  static constexpr WideStringView kCity = u"City";
  static constexpr WideStringView kNote = u"A note of some length for the memo-like column";

  int64_t recordCount_;
  int64_t current_ = 0;
  std::array<WideString, 16> names_;
};

// Writes each row as the base concatenates it, one line per record.
class TLineExporter : public TTessel {
 public:
  TLineExporter() { plainCellText_ = true; }
  void WriteDataRow() override { Writer().WriteLn(GetDataRow()); }
};

void BM_ExportLoopIntoNullStream(benchmark::State& state) {
  GlobalFormatSettings() = TFormatSettings::FromLocale("en_US");
  TGeneratedDataSet data(state.range(0));
  data.Open();
  TLineExporter exporter;
  exporter.DataSet = &data;
  int64_t bytes = 0;
  for (auto _ : state) {
    TNullStream target;
    exporter.ExportToStream(target);
    bytes += target.Size();
  }
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ExportLoopIntoNullStream)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The CSV exporter's own loop: rows built in place and encoded to the ANSI
// code page.
void BM_CSVExportIntoNullStream(benchmark::State& state) {
  GlobalFormatSettings() = TFormatSettings::FromLocale("tr_TR");
  TGeneratedDataSet data(state.range(0));
  data.Open();
  TTesselASCII exporter(etCSV);
  exporter.DataSet = &data;
  int64_t bytes = 0;
  for (auto _ : state) {
    TNullStream target;
    exporter.ExportToStream(target);
    bytes += target.Size();
  }
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_CSVExportIntoNullStream)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FormatInteger(benchmark::State& state) {
  GlobalFormatSettings() = TFormatSettings::FromLocale("de_DE");
  TTesselFormats formats;
  int64_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(formats.FormatInteger(u"#,###,##0", ++n * 7919));
}
BENCHMARK(BM_FormatInteger);

void BM_FormatCurrency(benchmark::State& state) {
  GlobalFormatSettings() = TFormatSettings::FromLocale("tr_TR");
  TTesselFormats formats;
  double n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(formats.FormatCurrencyValue(formats.CurrencyFormat(), n += 12.34));
}
BENCHMARK(BM_FormatCurrency);

void BM_FormatDate(benchmark::State& state) {
  GlobalFormatSettings() = TFormatSettings::FromLocale("tr_TR");
  TTesselFormats formats;
  int64_t n = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(formats.FormatDateTimeValue(formats.DateFormat(), 40000.0 + static_cast<double>(++n % 3650)));
}
BENCHMARK(BM_FormatDate);

}  // namespace
}  // namespace verimo

BENCHMARK_MAIN();
