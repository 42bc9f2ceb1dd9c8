#include "formats/xls/XlsSheetItems.h"

namespace verimo::xls {

namespace {

// Writes one chart record as it is composed.
class TChartWriter {
 public:
  explicit TChartWriter(TbiffSink& sink) : sink_(sink) {}

  TmsoBytes& Data() { return data_; }
  void Record(uint16_t id) {
    WriteRecordHeader(sink_, id, static_cast<uint16_t>(data_.Size()));
    if (data_.Size() > 0) sink_.WriteBytes(data_.Bytes().data(), data_.Size());
    data_.Bytes().clear();
  }
  void Words(uint16_t id, std::initializer_list<uint16_t> values) {
    for (uint16_t value : values) data_.Put16(value);
    Record(id);
  }
  void Empty(uint16_t id) { Record(id); }

  void LineFormat(uint32_t color, uint16_t pattern, uint16_t weight, uint16_t options, uint16_t index) {
    data_.Put32(color).Put16(pattern).Put16(weight).Put16(options).Put16(index);
    Record(biff::kLineFormat);
  }
  void AreaFormat(uint32_t foreground, uint32_t background, uint16_t pattern, uint16_t options, uint16_t foreIndex,
                  uint16_t backIndex) {
    data_.Put32(foreground).Put32(background).Put16(pattern).Put16(options).Put16(foreIndex).Put16(backIndex);
    Record(biff::kAreaFormat);
  }
  void Pos(uint16_t a, uint16_t b, uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2) {
    data_.Put16(a).Put16(b).Put32(x1).Put32(y1).Put32(x2).Put32(y2);
    Record(biff::kPos);
  }
  void Text() {
    data_.Put8(2).Put8(2).Put16(1).Put32(0).Put32(1643).Put32(82).Put32(714).Put32(397);
    data_.Put16(0x0081).Put16(77).Put16(0x3D20).Put16(0);
    Record(biff::kText);
  }
  // A link without formula, or one with a 3-D area reference.
  void Ai(uint8_t id, const TxlsAreaRef* area, uint16_t externSheet) {
    data_.Put8(id).Put8(id == 1 || id == 2 ? 2 : 1).Put16(0).Put16(0);
    if (area == nullptr) {
      data_.Put16(0);
    } else {
      data_.Put16(11).Put8(0x3B).Put16(externSheet);
      data_.Put16(area->FirstRow).Put16(area->LastRow).Put16(area->FirstCol).Put16(area->LastCol);
    }
    Record(biff::kAi);
  }
  void SeriesText(WideStringView text) {
    const WideString cut = CutText(text, 255);
    data_.Put16(0).Put8(static_cast<uint8_t>(cut.size())).Put8(1).PutUtf16(cut);
    Record(biff::kSeriesText);
  }
  void TextBlock(uint32_t a, uint32_t b) {
    Text();
    Empty(biff::kBegin);
    Pos(2, 2, 0, 0, b, a);
    Words(0x1026, {0});
    Ai(0, nullptr, 0);
  }
  void Tick() {
    data_.Put8(2).Put8(0).Put8(3).Put8(1).Put32(0).PutZeros(16).Put16(0x0023).Put16(77).Put16(0);
    Record(biff::kTick);
  }

 private:
  TbiffSink& sink_;
  TmsoBytes data_;
};

bool IsThreeD(TxlsChartStyle style) {
  switch (style) {
    case xcsColumn3d:
    case xcsBar3d:
    case xcsLine3d:
    case xcsPie3d:
    case xcsArea3d:
    case xcsSurface3d: return true;
    default: return false;
  }
}

void WriteChartType(TChartWriter& w, TxlsChartStyle style) {
  switch (style) {
    case xcsColumn:
    case xcsColumn3d: w.Words(0x1017, {0, 150, 0}); break;
    case xcsBar:
    case xcsBar3d: w.Words(0x1017, {0, 150, 1}); break;
    case xcsLine:
    case xcsLineMark:
    case xcsLine3d: w.Words(0x1018, {0}); break;
    case xcsPie:
    case xcsPie3d: w.Words(0x1019, {0, 0, 1}); break;
    case xcsArea:
    case xcsArea3d: w.Words(0x101A, {0}); break;
    case xcsSurface:
    case xcsSurface3d: w.Words(0x103F, {0}); break;
    case xcsRadar: w.Words(0x103E, {0}); break;
    case xcsRadarArea: w.Words(0x1040, {0}); break;
  }
}

void WriteSeries(TChartWriter& w, const TxlsChartShape& shape) {
  const TxlsChart& chart = *shape.Chart;
  for (size_t i = 0; i < chart.Series.size(); ++i) {
    const TxlsChartSeries& series = chart.Series[i];
    const uint16_t index = static_cast<uint16_t>(i);
    w.Words(0x1003, {1, 1, 13, 13, 1, 0});
    w.Empty(biff::kBegin);
    w.Ai(0, nullptr, 0);
    if (!series.Title.empty()) w.SeriesText(series.Title);
    w.Ai(1, &shape.Values[i], shape.ExternSheet);
    w.Ai(2, &shape.Categories[i], shape.ExternSheet);
    w.Ai(3, nullptr, 0);
    w.Words(0x1006, {0xFFFF, index, index, 0});
    w.Empty(biff::kBegin);
    w.Words(0x105F, {0});
    if (!chart.AutoColor) {
      w.LineFormat(0, 0, 0, 0, 8);
      w.AreaFormat(0x00A0A0A0, 0x00909090, 1, 0, PaletteIndex(series.Color), 8);
    }
    w.Empty(biff::kEnd);
    w.Words(0x1045, {0});
    w.Empty(biff::kEnd);
  }
}

void WriteAxes(TChartWriter& w) {
  w.Words(0x1046, {1});
  w.Data().Put16(0).Put32(490).Put32(895).Put32(2606).Put32(2456);
  w.Record(0x1041);
  w.Empty(biff::kBegin);
  w.Pos(2, 2, 129, 719, 2968, 3105);
  w.Data().Put16(0).PutZeros(16);
  w.Record(biff::kAxis);
  w.Empty(biff::kBegin);
  w.Words(0x1020, {1, 1, 1, 1});
  w.Words(0x1062, {0, 0, 1, 0, 1, 0, 0, 0, 0x00EF});
  w.Tick();
  w.Empty(biff::kEnd);
  w.Data().Put16(1).PutZeros(16);
  w.Record(biff::kAxis);
  w.Empty(biff::kBegin);
  for (int i = 0; i < 5; ++i) w.Data().PutDouble(0.0);
  w.Data().Put16(0x001F);
  w.Record(0x101F);
  w.Tick();
  w.Words(0x1021, {1});
  w.LineFormat(0, 0, 0xFFFF, 0x0009, 77);
  w.Empty(biff::kEnd);
  w.Empty(0x1035);
  w.Words(biff::kFrame, {0, 3});
  w.Empty(biff::kBegin);
  w.LineFormat(0x00808080, 0, 0, 0, 23);
  w.AreaFormat(0x00C0C0C0, 0, 1, 0, 22, 79);
  w.Empty(biff::kEnd);
}

void WriteChartGroup(TChartWriter& w, const TxlsChart& chart) {
  const bool pie = chart.Style == xcsPie || chart.Style == xcsPie3d;
  w.Data().PutZeros(16).Put16(pie ? 1 : 0).Put16(0);
  w.Record(0x1014);
  w.Empty(biff::kBegin);
  WriteChartType(w, chart.Style);
  if (IsThreeD(chart.Style)) w.Words(0x103A, {20, 15, 30, 100, 100, 150, 0x0015});
  if (chart.ShowLegend) {
    w.Data().Put32(3239).Put32(1947).Put32(710).Put32(333).Put8(static_cast<uint8_t>(chart.LegendPlacement)).Put8(1);
    w.Data().Put16(0x001F);
    w.Record(0x1015);
    w.Empty(biff::kBegin);
    w.Pos(5, 2, 3239, 1947, 0, 0);
    w.Text();
    w.Empty(biff::kBegin);
    w.Pos(2, 2, 0, 0, 0, 0);
    w.Ai(0, nullptr, 0);
    w.Empty(biff::kEnd);
    w.Empty(biff::kEnd);
  }
  w.Empty(biff::kEnd);
  w.Empty(biff::kEnd);  // the axis parent
}

}  // namespace

void WriteChartStream(TbiffSink& sink, const TxlsChartShape& shape) {
  const TxlsChart& chart = *shape.Chart;
  TChartWriter w(sink);
  w.Words(biff::kBof, {0x0600, 0x0020, 0x0DBB, 0x07CC, 0, 0, 0x0206, 0});
  w.Empty(biff::kHeader);
  w.Empty(biff::kFooter);
  w.Words(biff::kHCenter, {0});
  w.Words(biff::kVCenter, {0});
  w.Data().Put16(0).Put16(18).Put16(1).Put16(1).Put16(1).Put16(0x003B).Put16(0).Put16(0x08A0);
  w.Data().PutDouble(0.0).PutDouble(0.0).Put16(1);
  w.Record(biff::kSetup);
  w.Words(biff::kPrintSize, {3});
  w.Words(0x1060, {0x1635, 0x111C, 240, 0, 0});
  w.Words(0x1060, {0x1635, 0x111C, 200, 1, 0});
  w.Words(0x1060, {0x1635, 0x111C, 200, 0, 0});
  w.Words(biff::kProtect, {0});
  w.Words(0x1001, {0});
  w.Data().Put32(0x0000F000).Put32(0).Put32(0x00EFFFE8).Put32(0x00B27FD0);
  w.Record(0x1002);
  w.Empty(biff::kBegin);
  w.Words(biff::kScl, {1, 1});
  w.Data().Put32(0x00010000).Put32(0x00010000);
  w.Record(0x1064);
  w.Words(biff::kFrame, {0, 2});
  w.Empty(biff::kBegin);
  w.LineFormat(0, 0, 0xFFFF, 0x0009, 77);
  w.AreaFormat(0x00FFFFFF, 0, 1, 1, 78, 77);
  w.Empty(biff::kEnd);
  WriteSeries(w, shape);
  w.Words(0x1044, {0x000A, 0});
  w.Words(0x1024, {2});
  w.TextBlock(0, 0);
  w.Empty(biff::kEnd);
  w.Words(0x1024, {3});
  w.TextBlock(0, 0);
  w.Empty(biff::kEnd);
  WriteAxes(w);
  WriteChartGroup(w, chart);
  if (!chart.Title.empty()) {
    w.TextBlock(22, 52);
    w.SeriesText(chart.Title);
    w.Words(0x1027, {1, 0, 0});
    w.Empty(biff::kEnd);
  }
  w.Empty(biff::kEnd);  // the chart
  w.Data().Put32(0).Put32(13).Put16(0).Put16(1).Put16(0);
  w.Record(biff::kDimensions);
  for (uint16_t index : {1, 2, 3}) w.Words(0x1065, {index});
  w.Empty(biff::kEof);
}

}  // namespace verimo::xls
