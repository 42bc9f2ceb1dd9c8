#include "formats/text/TesselClipboard.h"

#include <gtest/gtest.h>

#include "core/Exception.h"
#include "platform/clipboard/Clipboard.h"
#include "platform/data/MemDataSet.h"

namespace verimo {
namespace {

class ClipboardExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddFieldDef(u"Ad", ftString, 20);
    data_.AddFieldDef(u"Sayı", ftInteger);
    data_.AddFieldDef(u"Not", ftString, 20);
    data_.AppendRecord({Variant::FromText(u"Ayşe"), Variant::FromInt(12345), Variant::FromText(u"a,b \"c\"")});
    data_.AppendRecord({Variant::FromText(u"İz"), Variant::FromInt(7), Variant::Null()});
    data_.Open();
    exporter_.DataSet = &data_;
    exporter_.Clipboard = &clipboard_;
    exporter_.Separator = u',';
    exporter_.Formats().SetIntegerFormat(u"0");
    exporter_.Formats().SetNullString(u"-");
  }

  TMemDataSet data_;
  TMemoryClipboard clipboard_;
  TTesselClipboard exporter_;
};

TEST_F(ClipboardExportTest, SeparatedRowsAreNeverQuotedAndEndWithALineBreak) {
  exporter_.Execute();
  ASSERT_TRUE(clipboard_.HasText());
  EXPECT_EQ(clipboard_.GetText(), u"Ad,Sayı,Not\r\nAyşe,12345,a,b \"c\"\r\nİz,7,-\r\n");
}

TEST_F(ClipboardExportTest, FixedColumnsAreRightAlignedAndCutToTheirWidth) {
  exporter_.SetExportType(etFixed);
  EXPECT_TRUE(exporter_.AutoCalcColWidth);
  exporter_.AllowCaptions = false;
  exporter_.ExportedFields = {u"Sayı"};
  // After the width pass, before the first row.
  exporter_.OnBeforeExportRow = [](TTessel& sender, TTesselRow&, bool&) { sender.Columns()[0].Width = 3; };
  exporter_.Execute();
  EXPECT_EQ(clipboard_.GetText(), u"123\r\n  7\r\n");
}

TEST_F(ClipboardExportTest, FixedColumnsTakeTheMeasuredWidths) {
  exporter_.SetExportType(etFixed);
  std::vector<int> widths;
  exporter_.OnBeforeExportRow = [&](TTessel& sender, TTesselRow&, bool&) {
    widths.clear();
    for (const TTesselColumn& column : sender.Columns()) widths.push_back(column.Width);
  };
  exporter_.Execute();
  ASSERT_EQ(widths.size(), 3u);
  EXPECT_GE(widths[2], 9);
  auto line = [&](const WideString& a, const WideString& b, const WideString& c) {
    return TTesselWriter::PadLeft(a, u' ', widths[0]) + TTesselWriter::PadLeft(b, u' ', widths[1]) +
           TTesselWriter::PadLeft(c, u' ', widths[2]) + u"\r\n";
  };
  EXPECT_EQ(clipboard_.GetText(), line(u"Ad", u"Sayı", u"Not") + line(u"Ayşe", u"12345", u"a,b \"c\"") +
                                      line(u"İz", u"7", u"-"));
}

TEST_F(ClipboardExportTest, TitleHeaderAndFooterSurroundTheRows) {
  exporter_.Title = u"Başlık";
  exporter_.Header = {u"üst 1", u"üst 2"};
  exporter_.Footer = {u"alt"};
  exporter_.AllowCaptions = false;
  exporter_.Execute();
  EXPECT_EQ(clipboard_.GetText(), u"Başlık\r\nüst 1\r\nüst 2\r\n\r\nAyşe,12345,a,b \"c\"\r\nİz,7,-\r\nalt\r\n\r\n");
}

TEST_F(ClipboardExportTest, AStoppedExportLeavesTheClipboardAsItWas) {
  clipboard_.SetText(u"before");
  exporter_.OnExportedRecord = [](TTessel& sender, int) { sender.Abort(); };
  exporter_.OnStopExport = [](TTessel&, bool& canContinue) { canContinue = false; };
  exporter_.Execute();
  EXPECT_TRUE(exporter_.Aborted());
  EXPECT_EQ(clipboard_.GetText(), u"before");
}

TEST_F(ClipboardExportTest, WithoutAClipboardTheExportFailsClearly) {
  exporter_.Clipboard = nullptr;
  EXPECT_THROW(exporter_.Execute(), Exception);
}

}  // namespace
}  // namespace verimo
