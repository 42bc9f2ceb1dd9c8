#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/Tessel.h"
#include "engine/TesselCustomSource.h"
#include "core/Exception.h"
#include "platform/data/MemDataSet.h"
#include "platform/locale/Formatting.h"

namespace verimo {
namespace {

// An exporter that writes captions and rows as lines and logs its steps.
class TLineExporter : public TTessel {
 public:
  std::vector<std::string> Steps;

  void BeginExport() override {
    Steps.push_back("BeginExport");
    TTessel::BeginExport();
  }
  void BeforeExport() override { Steps.push_back("BeforeExport"); }
  void AfterExport() override {
    Steps.push_back("AfterExport");
    TTessel::AfterExport();
  }
  void EndExport() override {
    Steps.push_back("EndExport");
    TTessel::EndExport();
  }
  void WriteCaptionRow() override { Writer().WriteLn(GetCaptionRow()); }
  void WriteDataRow() override { Writer().WriteLn(GetDataRow()); }
  WideString GetColData(const WideString& text, const TTesselColumn&) override { return text + u";"; }
};

// Id 1..count and the name "r<Id>"; record 4 has a null name.
void FillNumbered(TMemDataSet& data, int count) {
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Name", ftString, 20);
  for (int i = 1; i <= count; ++i)
    data.AppendRecord({Variant::FromInt(i), i == 4 ? Variant::Null() : Variant::FromText(u"r" + IntToWide(i))});
  data.Open();
}

class TesselRunTest : public ::testing::Test {
 protected:
  TesselRunTest() {
    GlobalFormatSettings() = TFormatSettings::FromLocale("en_US");
    FillNumbered(data_, 10);
    exporter_ = std::make_unique<TLineExporter>();
    exporter_->DataSet = &data_;
    exporter_->Formats().SetNullString(u"NULL");
  }

  std::string Run() {
    TMemoryStream stream;
    exporter_->ExportToStream(stream);
    return std::string(stream.View());
  }

  TGlobalFormatSettingsScope machineSettings_;
  TMemDataSet data_;
  std::unique_ptr<TLineExporter> exporter_;
};

TEST_F(TesselRunTest, WritesCaptionsAndEveryRecordInPhaseOrder) {
  EXPECT_EQ(Run(),
            "IdName\r\n1;r1;\r\n2;r2;\r\n3;r3;\r\n4;NULL;\r\n5;r5;\r\n6;r6;\r\n7;r7;\r\n8;r8;\r\n9;r9;\r\n10;r10;\r\n");
  EXPECT_EQ(exporter_->Steps, (std::vector<std::string>{"BeginExport", "BeforeExport", "AfterExport", "EndExport"}));
  EXPECT_FALSE(data_.ControlsDisabled());
  EXPECT_FALSE(exporter_->HasWriter());
}

// The line exporter with the value formats among its settings.
class TFormattedLineExporter : public TLineExporter {
 public:
  TFormattedLineExporter() { published_.Formats = true; }
};

TEST_F(TesselRunTest, AFormatChangedBetweenRunsTakesEffectInTheNextRun) {
  TFormattedLineExporter exporter;
  exporter.DataSet = &data_;
  exporter.AllowCaptions = false;
  exporter.ExportRecCount = 2;
  const auto run = [&exporter] {
    TMemoryStream stream;
    exporter.ExportToStream(stream);
    return std::string(stream.View());
  };
  exporter.Formats().SetIntegerFormat(u"0.0");
  EXPECT_EQ(run(), "1.0;r1;\r\n2.0;r2;\r\n");
  exporter.Formats().SetIntegerFormat(u"000");
  EXPECT_EQ(run(), "001;r1;\r\n002;r2;\r\n");
}

TEST_F(TesselRunTest, SkipAndLimitReportTheirOwnCounters) {
  std::vector<int> skipped, exported;
  exporter_->AllowCaptions = false;
  exporter_->SkipRecCount = 2;
  exporter_->ExportRecCount = 3;
  exporter_->OnSkippedRecord = [&](TTessel&, int recNo) { skipped.push_back(recNo); };
  exporter_->OnExportedRecord = [&](TTessel&, int recNo) { exported.push_back(recNo); };
  EXPECT_EQ(Run(), "3;r3;\r\n4;NULL;\r\n5;r5;\r\n");
  EXPECT_EQ(skipped, (std::vector<int>{1, 2}));
  EXPECT_EQ(exported, (std::vector<int>{0, 1, 2}));
}

TEST_F(TesselRunTest, RejectedRecordsCountTowardsTheLimit) {
  exporter_->AllowCaptions = false;
  exporter_->ExportRecCount = 4;
  exporter_->OnBeforeExportRow = [](TTessel& sender, TTesselRow&, bool& accept) {
    accept = sender.RecordCounter() % 2 == 0;
  };
  EXPECT_EQ(Run(), "1;r1;\r\n3;r3;\r\n");
}

TEST_F(TesselRunTest, NegativeLimitExportsNothing) {
  exporter_->AllowCaptions = false;
  exporter_->ExportRecCount = -1;
  EXPECT_EQ(Run(), "");
}

TEST_F(TesselRunTest, CurrentRecordOnlyStartsAtTheFirstRecordWhenAsked) {
  exporter_->AllowCaptions = false;
  exporter_->CurrentRecordOnly = true;
  data_.First();
  data_.Next();
  data_.Next();
  EXPECT_EQ(Run(), "1;r1;\r\n");
  exporter_->GoToFirstRecord = false;
  data_.First();
  data_.Next();
  EXPECT_EQ(Run(), "2;r2;\r\n");
}

TEST_F(TesselRunTest, StopRequestEndsTheLoopUnlessTheHandlerContinues) {
  exporter_->AllowCaptions = false;
  exporter_->OnExportedRecord = [](TTessel& sender, int recNo) {
    if (recNo == 1) sender.Abort();
  };
  EXPECT_EQ(Run(), "1;r1;\r\n2;r2;\r\n");
  EXPECT_TRUE(exporter_->Aborted());
  EXPECT_EQ(exporter_->Steps.back(), "EndExport");

  int asked = 0;
  exporter_->OnStopExport = [&](TTessel&, bool& canContinue) {
    ++asked;
    canContinue = true;
  };
  exporter_->ExportRecCount = 3;
  EXPECT_EQ(Run(), "1;r1;\r\n2;r2;\r\n3;r3;\r\n");
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(exporter_->Aborted());
}

TEST_F(TesselRunTest, AbortInBeginExportEndsBeforeAnyOutput) {
  exporter_->OnBeginExport = [](TTessel& sender) { sender.Abort(); };
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(exporter_->Steps, (std::vector<std::string>{"BeginExport"}));
  EXPECT_FALSE(data_.ControlsDisabled());
}

TEST_F(TesselRunTest, AbortWhileSkippingLeavesOutAfterExport) {
  exporter_->SkipRecCount = 3;
  exporter_->OnSkippedRecord = [](TTessel& sender, int) { sender.Abort(); };
  EXPECT_EQ(Run(), "IdName\r\n");
  EXPECT_EQ(exporter_->Steps, (std::vector<std::string>{"BeginExport", "BeforeExport", "EndExport"}));
}

TEST_F(TesselRunTest, ExceptionInAHandlerLeavesThroughTheGuards) {
  exporter_->OnExportedRecord = [](TTessel&, int recNo) {
    if (recNo == 2) throw std::runtime_error("handler failed");
  };
  TMemoryStream stream;
  EXPECT_THROW(exporter_->ExportToStream(stream), std::runtime_error);
  EXPECT_EQ(std::string(stream.View()), "IdName\r\n1;r1;\r\n2;r2;\r\n3;r3;\r\n");
  EXPECT_EQ(exporter_->Steps.back(), "EndExport");
  EXPECT_FALSE(data_.ControlsDisabled());
  EXPECT_FALSE(exporter_->HasWriter());
}

TEST_F(TesselRunTest, ExceptionInEndExportDoesNotHideTheFirstOne) {
  exporter_->OnEndExport = [](TTessel&) { throw std::logic_error("end failed"); };
  exporter_->OnBeforeExportRow = [](TTessel&, TTesselRow&, bool&) { throw std::runtime_error("row failed"); };
  TMemoryStream stream;
  EXPECT_THROW(exporter_->ExportToStream(stream), std::runtime_error);
  EXPECT_FALSE(data_.ControlsDisabled());
}

TEST_F(TesselRunTest, SourceChecksRaiseTheirMessagesBeforeAnyByte) {
  auto messageOf = [this] {
    try {
      Run();
    } catch (const Exception& e) {
      return WideToUtf8(e.Message());
    }
    return std::string("no exception");
  };
  exporter_->ExportSource = esListView;
  EXPECT_EQ(messageOf(), "Export source (ListView) is not assigned");
  exporter_->ExportSource = esDataSet;
  data_.Close();
  EXPECT_EQ(messageOf(), "Export kaynağı (DataSet) kapalı");

  TMemDataSet empty;
  empty.AddFieldDef(u"Id", ftInteger);
  empty.Open();
  exporter_->DataSet = &empty;
  exporter_->ExportEmpty = false;
  EXPECT_EQ(messageOf(), "Export kaynağı (DataSet) boş");
  EXPECT_TRUE(exporter_->Steps.empty());
  exporter_->ExportEmpty = true;
  EXPECT_EQ(Run(), "Id\r\n");
}

TEST_F(TesselRunTest, TextEventsChangeCellsAndColumnsListedTwiceKeepTheirOwnCells) {
  exporter_->ExportedFields.Add(u"Name");
  exporter_->ExportedFields.Add(u"Id");
  exporter_->ExportedFields.Add(u"Name");
  exporter_->ExportRecCount = 1;
  exporter_->OnGetExportText = [](TTessel&, int colNo, WideString& text) {
    if (colNo == 2) text = u"<" + text + u">";
  };
  exporter_->OnCustomFormat = [](TTessel&, TField& field, WideString& value) {
    if (field.FieldName() == u"Id") value = u"#" + value;
  };
  EXPECT_EQ(Run(), "NameIdName\r\nr1;#1;<r1>;\r\n");
  EXPECT_EQ(exporter_->Row().Count(), 3);
  EXPECT_EQ(exporter_->Row().IndexOfName(u"NAME"), 0);
  EXPECT_EQ(exporter_->Row()[1].Value.AsInt(), 1);
}

TEST_F(TesselRunTest, WriterExistsOnlyDuringTheRun) {
  EXPECT_THROW(exporter_->Writer(), Exception);
  bool seen = false;
  exporter_->OnBeginExport = [&](TTessel& sender) { seen = sender.HasWriter(); };
  Run();
  EXPECT_TRUE(seen);
}

TEST(TesselCustomRunTest, CustomSourceEndsWhereTheHandlerSaysAndExportsAgain) {
  TTesselCustomSource source;
  source.Columns.Add().SetColumnName(u"N");
  source.OnGetNextRecord = [](TTesselCustomSource&, int recNo, bool& eof) { eof = recNo == 3; };
  source.OnGetColumnValue = [](TTesselCustomSource&, int recNo, TTesselCustomColumn&, Variant& value) {
    value = Variant::FromInt(recNo * 10);
  };
  TLineExporter exporter;
  exporter.ExportSource = esCustom;
  exporter.CustomSource = &source;
  exporter.AllowCaptions = false;
  exporter.ExportEmpty = false;
  for (int run = 0; run < 2; ++run) {
    TMemoryStream stream;
    exporter.ExportToStream(stream);
    EXPECT_EQ(std::string(stream.View()), "10;\r\n20;\r\n30;\r\n") << "run " << run;
  }
}

}  // namespace
}  // namespace verimo
