#include "formats/xls/XlsItems.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <set>

#include "core/DateTime.h"
#include "core/Exception.h"
#include "engine/TesselIniFile.h"

namespace verimo {

namespace {

WideString Numbered(WideStringView prefix, size_t index) {
  return WideString(prefix) + IntToWide(static_cast<long long>(index));
}

// The lowest n from 0 for which `name(n)` is not taken.
template <typename Taken>
WideString LowestFreeName(WideStringView prefix, Taken taken) {
  for (long long n = 0;; ++n) {
    WideString name = WideString(prefix) + IntToWide(n);
    if (!taken(name)) return name;
  }
}

}  // namespace

// ---- model ----

// A date-time cell holds today's date until it is given a value.
TxlsCell::TxlsCell() {
  const std::chrono::year_month_day today{std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
  DateTimeValue = EncodeDate(static_cast<int>(today.year()), static_cast<int>(static_cast<unsigned>(today.month())),
                             static_cast<int>(static_cast<unsigned>(today.day())));
}

Variant TxlsCell::Value() const {
  switch (CellType) {
    case ctBoolean: return Variant::FromBool(BooleanValue);
    case ctDateTime: return Variant::FromDateTime(DateTimeValue);
    case ctNumeric: return Variant::FromDouble(NumericValue);
    default: return Variant::FromText(StringValue);
  }
}

void TxlsCell::SetValue(const Variant& value) {
  switch (CellType) {
    case ctBoolean: BooleanValue = value.AsBool(); break;
    case ctDateTime: DateTimeValue = value.AsDouble(); break;
    case ctNumeric: NumericValue = value.AsDouble(); break;
    default: StringValue = value.AsText(); break;
  }
}

TxlsNoteFormat::TxlsNoteFormat() {
  Font.Name = u"Tahoma";
  Font.Size = 8;
  Font.Style = xfsBold;
}

WideString TxlsNote::Text() const {
  WideString joined;
  for (int i = 0; i < Lines.Count(); ++i) {
    if (i > 0) joined += u'\n';
    joined += Lines[i];
  }
  joined = Trim(joined);
  std::erase(joined, u'\r');
  return joined;
}

TxlsGraphicKind TxlsGraphic::Kind() const {
  const size_t dot = FileName.find_last_of('.');
  if (dot == std::string::npos) return TxlsGraphicKind::Other;
  const WideString ext = UpperCase(Utf8ToWide(FileName.substr(dot + 1)));
  if (ext == u"WMF") return TxlsGraphicKind::Wmf;
  if (ext == u"EMF") return TxlsGraphicKind::Emf;
  if (ext == u"JPG" || ext == u"JPEG") return TxlsGraphicKind::Jpeg;
  if (ext == u"PNG") return TxlsGraphicKind::Png;
  if (ext == u"GIF") return TxlsGraphicKind::Gif;
  if (ext == u"BMP") return TxlsGraphicKind::Bmp;
  if (ext == u"ICO") return TxlsGraphicKind::Ico;
  return TxlsGraphicKind::Other;
}

TxlsPicture& TxlsPictures::Add() {
  TxlsPicture picture;
  picture.Name = LowestFreeName(u"Picture_", [this](const WideString& name) { return PositionOf(name) > 0; });
  push_back(std::move(picture));
  return back();
}

int TxlsPictures::PositionOf(WideStringView name) const {
  for (size_t i = 0; i < size(); ++i)
    if (SameText((*this)[i].Name, name)) return static_cast<int>(i + 1);
  return -1;
}

void TxlsPictures::CheckName(WideStringView name) {
  if (name.empty()) throw Exception(u"A picture name cannot be empty");
}

TxlsImage& TxlsImages::Add() {
  TxlsImage image;
  image.Title = LowestFreeName(u"Image_", [this](const WideString& title) {
    return std::any_of(begin(), end(), [&](const TxlsImage& other) { return SameText(other.Title, title); });
  });
  push_back(std::move(image));
  return back();
}

// ---- settings ----

namespace xls {

namespace {

constexpr char16_t kHyperlink[] = u"XLS_HYPERLINK_";
constexpr char16_t kNote[] = u"XLS_NOTE_";
constexpr char16_t kChart[] = u"XLS_CHART_";
constexpr char16_t kCell[] = u"XLS_CELL_";
constexpr char16_t kMerged[] = u"XLS_MERGED_CELL_";
constexpr char16_t kPicture[] = u"XLS_PICTURE_";
constexpr char16_t kImage[] = u"XLS_IMAGE_";

template <typename Enum>
Enum ReadEnum(const TTesselIniFile& file, WideStringView section, WideStringView key, Enum fallback, int count) {
  const int value = file.ReadInteger(section, key, fallback);
  return value >= 0 && value < count ? static_cast<Enum>(value) : fallback;
}

uint16_t Read16(const TTesselIniFile& file, WideStringView section, WideStringView key, uint16_t fallback) {
  return static_cast<uint16_t>(std::clamp(file.ReadInteger(section, key, fallback), 0, 0xFFFF));
}

uint8_t Read8(const TTesselIniFile& file, WideStringView section, WideStringView key, uint8_t fallback) {
  return static_cast<uint8_t>(std::clamp(file.ReadInteger(section, key, fallback), 0, 0xFF));
}

// Numbers are stored with every digit, in the C notation.
void WriteNumber(TTesselIniFile& file, WideStringView section, WideStringView key, double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  file.WriteString(section, key, Utf8ToWide(text));
}

double ReadNumber(const TTesselIniFile& file, WideStringView section, WideStringView key, double fallback) {
  const std::string text = WideToUtf8(Trim(file.ReadString(section, key, u"")));
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(value) ? value : fallback;
}

void WriteColor(TTesselIniFile& file, WideStringView section, WideStringView key, TColor color) {
  file.WriteString(section, key, ColorToText(color));
}

TColor ReadColor(const TTesselIniFile& file, WideStringView section, WideStringView key, TColor fallback) {
  TColor color = fallback;
  return TextToColor(file.ReadString(section, key, u""), color) ? color : fallback;
}

// Lines "Line0", "Line1", ... up to the first missing one.
void WriteLines(TTesselIniFile& file, WideStringView section, const TStringList& lines) {
  for (int i = 0; i < lines.Count(); ++i) file.WriteWideString(section, Numbered(u"Line", static_cast<size_t>(i)), lines[i]);
}

TStringList ReadLines(const TTesselIniFile& file, WideStringView section) {
  TStringList lines;
  for (size_t i = 0;; ++i) {
    const WideString key = Numbered(u"Line", i);
    if (!file.ValueExists(section, key)) break;
    lines.Add(file.ReadWideString(section, key, u""));
  }
  return lines;
}

void WriteRange(TTesselIniFile& file, WideStringView section, WideStringView prefix, const TxlsDataRange& range) {
  const WideString p(prefix);
  file.WriteInteger(section, p + u"Col1", range.Col1);
  file.WriteInteger(section, p + u"Row1", range.Row1);
  file.WriteInteger(section, p + u"Col2", range.Col2);
  file.WriteInteger(section, p + u"Row2", range.Row2);
}

void ReadRange(const TTesselIniFile& file, WideStringView section, WideStringView prefix, TxlsDataRange& range) {
  const WideString p(prefix);
  range.Col1 = Read8(file, section, p + u"Col1", range.Col1);
  range.Row1 = Read16(file, section, p + u"Row1", range.Row1);
  range.Col2 = Read8(file, section, p + u"Col2", range.Col2);
  range.Row2 = Read16(file, section, p + u"Row2", range.Row2);
}

void SaveHyperlink(TTesselIniFile& file, WideStringView section, const TxlsHyperlink& link) {
  file.WriteInteger(section, u"Col", link.Col);
  file.WriteInteger(section, u"Row", link.Row);
  file.WriteInteger(section, u"Style", link.Style);
  file.WriteWideString(section, u"Title", link.Title);
  file.WriteWideString(section, u"Target", link.Target);
  file.WriteWideString(section, u"ScreenTip", link.ScreenTip);
  link.Format.SaveToIni(file, section);
}

void LoadHyperlink(const TTesselIniFile& file, WideStringView section, TxlsHyperlink& link) {
  link.Col = Read16(file, section, u"Col", link.Col);
  link.Row = Read16(file, section, u"Row", link.Row);
  link.Style = ReadEnum(file, section, u"Style", link.Style, 2);
  link.Title = file.ReadWideString(section, u"Title", link.Title);
  link.Target = file.ReadWideString(section, u"Target", link.Target);
  link.ScreenTip = file.ReadWideString(section, u"ScreenTip", link.ScreenTip);
  link.Format.LoadFromIni(file, section);
}

void SaveNote(TTesselIniFile& file, WideStringView section, const TxlsNote& note) {
  file.WriteInteger(section, u"Col", note.Col);
  file.WriteInteger(section, u"Row", note.Row);
  WriteLines(file, section, note.Lines);
  file.WriteBool(section, u"Shown", note.Shown);
  const TxlsNoteFormat& f = note.Format;
  file.WriteInteger(section, u"HorAlignment", f.Alignment.Horizontal);
  file.WriteInteger(section, u"VertAlignment", f.Alignment.Vertical);
  WriteColor(file, section, u"BackgroundColor", f.BackgroundColor);
  WriteColor(file, section, u"ForegroundColor", f.ForegroundColor);
  file.WriteInteger(section, u"FillType", f.FillType);
  file.WriteInteger(section, u"Transparency", f.Transparency);
  file.WriteInteger(section, u"Orientation", f.Orientation);
  file.WriteInteger(section, u"Gradient", f.Gradient);
  file.WriteString(section, u"FontName", f.Font.Name);
  file.WriteInteger(section, u"FontSize", f.Font.Size);
  file.WriteBool(section, u"FontBold", f.Font.Has(xfsBold));
  file.WriteBool(section, u"FontItalic", f.Font.Has(xfsItalic));
}

void LoadNote(const TTesselIniFile& file, WideStringView section, TxlsNote& note) {
  note.Col = Read16(file, section, u"Col", note.Col);
  note.Row = Read16(file, section, u"Row", note.Row);
  note.Lines = ReadLines(file, section);
  note.Shown = file.ReadBool(section, u"Shown", note.Shown);
  TxlsNoteFormat& f = note.Format;
  f.Alignment.Horizontal = ReadEnum(file, section, u"HorAlignment", f.Alignment.Horizontal, 5);
  f.Alignment.Vertical = ReadEnum(file, section, u"VertAlignment", f.Alignment.Vertical, 4);
  f.BackgroundColor = ReadColor(file, section, u"BackgroundColor", f.BackgroundColor);
  f.ForegroundColor = ReadColor(file, section, u"ForegroundColor", f.ForegroundColor);
  f.FillType = ReadEnum(file, section, u"FillType", f.FillType, 2);
  f.Transparency = std::clamp(file.ReadInteger(section, u"Transparency", f.Transparency), 0, 100);
  f.Orientation = ReadEnum(file, section, u"Orientation", f.Orientation, 4);
  f.Gradient = ReadEnum(file, section, u"Gradient", f.Gradient, 6);
  f.Font.Name = CutText(file.ReadString(section, u"FontName", f.Font.Name), 31);
  f.Font.Size = std::clamp(file.ReadInteger(section, u"FontSize", f.Font.Size), 1, 409);
  const bool bold = file.ReadBool(section, u"FontBold", f.Font.Has(xfsBold));
  const bool italic = file.ReadBool(section, u"FontItalic", f.Font.Has(xfsItalic));
  f.Font.Style = static_cast<uint8_t>((f.Font.Style & ~(xfsBold | xfsItalic)) | (bold ? xfsBold : 0) | (italic ? xfsItalic : 0));
}

void SaveCell(TTesselIniFile& file, WideStringView section, const TxlsCell& cell) {
  file.WriteInteger(section, u"Row", cell.Row);
  file.WriteInteger(section, u"Col", cell.Col);
  file.WriteInteger(section, u"CellType", cell.CellType);
  switch (cell.CellType) {
    case ctBoolean: file.WriteBool(section, u"Value", cell.BooleanValue); break;
    case ctDateTime: WriteNumber(file, section, u"Value", cell.DateTimeValue); break;
    case ctNumeric: WriteNumber(file, section, u"Value", cell.NumericValue); break;
    default: file.WriteWideString(section, u"Value", cell.StringValue); break;
  }
  file.WriteString(section, u"DateTimeFormat", cell.DateTimeFormat);
  file.WriteString(section, u"NumericFormat", cell.NumericFormat);
  cell.Format.SaveToIni(file, section);
}

void LoadCell(const TTesselIniFile& file, WideStringView section, TxlsCell& cell) {
  cell.Row = Read16(file, section, u"Row", cell.Row);
  cell.Col = Read16(file, section, u"Col", cell.Col);
  cell.CellType = ReadEnum(file, section, u"CellType", cell.CellType, 4);
  switch (cell.CellType) {
    case ctBoolean: cell.BooleanValue = file.ReadBool(section, u"Value", cell.BooleanValue); break;
    case ctDateTime: cell.DateTimeValue = ReadNumber(file, section, u"Value", cell.DateTimeValue); break;
    case ctNumeric: cell.NumericValue = ReadNumber(file, section, u"Value", cell.NumericValue); break;
    default: cell.StringValue = file.ReadWideString(section, u"Value", cell.StringValue); break;
  }
  cell.DateTimeFormat = file.ReadString(section, u"DateTimeFormat", cell.DateTimeFormat);
  cell.NumericFormat = file.ReadString(section, u"NumericFormat", cell.NumericFormat);
  cell.Format.LoadFromIni(file, section);
}

void SaveMerged(TTesselIniFile& file, WideStringView section, const TxlsMergedCells& range) {
  file.WriteInteger(section, u"FirstCol", range.FirstCol);
  file.WriteInteger(section, u"FirstRow", range.FirstRow);
  file.WriteInteger(section, u"LastCol", range.LastCol);
  file.WriteInteger(section, u"LastRow", range.LastRow);
}

void LoadMerged(const TTesselIniFile& file, WideStringView section, TxlsMergedCells& range) {
  range.FirstCol = Read16(file, section, u"FirstCol", range.FirstCol);
  range.FirstRow = Read16(file, section, u"FirstRow", range.FirstRow);
  range.LastCol = Read16(file, section, u"LastCol", range.LastCol);
  range.LastRow = Read16(file, section, u"LastRow", range.LastRow);
}

void SaveChart(TTesselIniFile& file, WideStringView section, const TxlsChart& chart) {
  file.WriteWideString(section, u"Title", chart.Title);
  file.WriteInteger(section, u"Style", chart.Style);
  file.WriteInteger(section, u"CategoryLabelsType", chart.CategoryLabelsType);
  file.WriteString(section, u"CategoryLabelsColumn", chart.CategoryLabelsColumn);
  WriteRange(file, section, u"CategoryLabels", chart.CategoryLabels);
  file.WriteBool(section, u"ShowLegend", chart.ShowLegend);
  file.WriteInteger(section, u"LegendPlacement", chart.LegendPlacement);
  file.WriteBool(section, u"AutoColor", chart.AutoColor);
  const TxlsChartPosition& p = chart.Position;
  file.WriteInteger(section, u"PositionType", p.PositionType);
  file.WriteInteger(section, u"Placement", p.AutoPosition.Placement);
  file.WriteInteger(section, u"Height", p.AutoPosition.Height);
  file.WriteInteger(section, u"Left", p.AutoPosition.Left);
  file.WriteInteger(section, u"Top", p.AutoPosition.Top);
  file.WriteInteger(section, u"Width", p.AutoPosition.Width);
  file.WriteInteger(section, u"X1", p.CustomPosition.X1);
  file.WriteInteger(section, u"Y1", p.CustomPosition.Y1);
  file.WriteInteger(section, u"X2", p.CustomPosition.X2);
  file.WriteInteger(section, u"Y2", p.CustomPosition.Y2);
  file.WriteInteger(section, u"SeriesCount", static_cast<int>(chart.Series.size()));
  for (size_t i = 0; i < chart.Series.size(); ++i) {
    const TxlsChartSeries& s = chart.Series[i];
    const WideString prefix = Numbered(u"Series", i) + u"_";
    file.WriteWideString(section, prefix + u"Title", s.Title);
    file.WriteInteger(section, prefix + u"Color", s.Color);
    file.WriteInteger(section, prefix + u"DataRangeType", s.DataRangeType);
    file.WriteString(section, prefix + u"DataColumn", s.DataColumn);
    WriteRange(file, section, prefix + u"DataRange", s.DataRange);
  }
}

void LoadChart(const TTesselIniFile& file, WideStringView section, TxlsChart& chart) {
  chart.Title = file.ReadWideString(section, u"Title", chart.Title);
  chart.Style = ReadEnum(file, section, u"Style", chart.Style, kXlsChartStyleCount);
  chart.CategoryLabelsType = ReadEnum(file, section, u"CategoryLabelsType", chart.CategoryLabelsType, 2);
  chart.CategoryLabelsColumn = file.ReadString(section, u"CategoryLabelsColumn", chart.CategoryLabelsColumn);
  ReadRange(file, section, u"CategoryLabels", chart.CategoryLabels);
  chart.ShowLegend = file.ReadBool(section, u"ShowLegend", chart.ShowLegend);
  chart.LegendPlacement = ReadEnum(file, section, u"LegendPlacement", chart.LegendPlacement, 5);
  chart.AutoColor = file.ReadBool(section, u"AutoColor", chart.AutoColor);
  TxlsChartPosition& p = chart.Position;
  p.PositionType = ReadEnum(file, section, u"PositionType", p.PositionType, 2);
  p.AutoPosition.Placement = ReadEnum(file, section, u"Placement", p.AutoPosition.Placement, 2);
  p.AutoPosition.Height = file.ReadInteger(section, u"Height", p.AutoPosition.Height);
  p.AutoPosition.Left = file.ReadInteger(section, u"Left", p.AutoPosition.Left);
  p.AutoPosition.Top = file.ReadInteger(section, u"Top", p.AutoPosition.Top);
  p.AutoPosition.Width = file.ReadInteger(section, u"Width", p.AutoPosition.Width);
  p.CustomPosition.X1 = Read8(file, section, u"X1", p.CustomPosition.X1);
  p.CustomPosition.Y1 = Read16(file, section, u"Y1", p.CustomPosition.Y1);
  p.CustomPosition.X2 = Read8(file, section, u"X2", p.CustomPosition.X2);
  p.CustomPosition.Y2 = Read16(file, section, u"Y2", p.CustomPosition.Y2);
  const int count = std::clamp(file.ReadInteger(section, u"SeriesCount", 0), 0, 255);
  chart.Series.clear();
  for (int i = 0; i < count; ++i) {
    TxlsChartSeries s;
    const WideString prefix = Numbered(u"Series", static_cast<size_t>(i)) + u"_";
    s.Title = file.ReadWideString(section, prefix + u"Title", s.Title);
    s.Color = ReadEnum(file, section, prefix + u"Color", s.Color, kXlsColorCount);
    s.DataRangeType = ReadEnum(file, section, prefix + u"DataRangeType", s.DataRangeType, 2);
    s.DataColumn = file.ReadString(section, prefix + u"DataColumn", s.DataColumn);
    ReadRange(file, section, prefix + u"DataRange", s.DataRange);
    chart.Series.push_back(std::move(s));
  }
}

void SavePicture(TTesselIniFile& file, WideStringView section, const TxlsPicture& picture) {
  file.WriteWideString(section, u"Name", picture.Name);
  file.WriteWideString(section, u"FileName", Utf8ToWide(picture.FileName));
}

void LoadPicture(const TTesselIniFile& file, WideStringView section, TxlsPicture& picture) {
  const WideString name = file.ReadWideString(section, u"Name", picture.Name);
  if (!name.empty()) picture.Name = name;
  picture.FileName = WideToUtf8(file.ReadWideString(section, u"FileName", Utf8ToWide(picture.FileName)));
}

void SaveImage(TTesselIniFile& file, WideStringView section, const TxlsImage& image) {
  file.WriteWideString(section, u"PictureName", image.PictureName);
  file.WriteInteger(section, u"Col", image.Col);
  file.WriteInteger(section, u"Row", image.Row);
  file.WriteWideString(section, u"Title", image.Title);
  file.WriteInteger(section, u"Zoom", image.Zoom);
}

void LoadImage(const TTesselIniFile& file, WideStringView section, TxlsImage& image) {
  image.PictureName = file.ReadWideString(section, u"PictureName", image.PictureName);
  image.Col = Read16(file, section, u"Col", image.Col);
  image.Row = Read16(file, section, u"Row", image.Row);
  image.Title = file.ReadWideString(section, u"Title", image.Title);
  image.Zoom = std::clamp(file.ReadInteger(section, u"Zoom", image.Zoom), 1, 1000);
}

template <typename Item, typename Save>
void SaveAll(TTesselIniFile& file, WideStringView prefix, const std::vector<Item>& items, Save save) {
  for (size_t i = 0; i < items.size(); ++i) save(file, Numbered(prefix, i), items[i]);
}

// Sections prefix + 0, 1, ... up to the first missing number; the
// collection is replaced only when there is at least one.
template <typename Collection, typename Make, typename Load>
void LoadAll(const TTesselIniFile& file, WideStringView prefix, Collection& items, Make make, Load load) {
  Collection loaded;
  for (size_t i = 0;; ++i) {
    const WideString section = Numbered(prefix, i);
    if (!file.SectionExists(section)) break;
    auto item = make();
    load(file, section, item);
    loaded.push_back(std::move(item));
  }
  if (!loaded.empty()) items = std::move(loaded);
}

}  // namespace

bool IsItemSection(WideStringView upper) {
  for (const char16_t* prefix : {kHyperlink, kNote, kChart, kCell, kMerged, kPicture, kImage})
    if (upper.starts_with(prefix)) return true;
  return false;
}

void SaveItems(TTesselIniFile& file, const TxlsSheetItems& items, const TxlsPictures& pictures) {
  SaveAll(file, kHyperlink, items.Hyperlinks, SaveHyperlink);
  SaveAll(file, kNote, items.Notes, SaveNote);
  SaveAll(file, kChart, items.Charts, SaveChart);
  SaveAll(file, kCell, items.Cells, SaveCell);
  SaveAll(file, kMerged, items.MergedCells, SaveMerged);
  SaveAll(file, kPicture, pictures, SavePicture);
  SaveAll(file, kImage, items.Images, SaveImage);
  file.WriteString(u"XLS", u"PageBackground", Utf8ToWide(items.Background.FileName));
}

void LoadItems(const TTesselIniFile& file, TxlsSheetItems& items, TxlsPictures& pictures,
               const TxlsFormat& hyperlinkFormat, const TxlsNoteFormat& noteFormat) {
  LoadAll(file, kHyperlink, items.Hyperlinks, [&] {
    TxlsHyperlink link;
    link.Format = hyperlinkFormat;
    return link;
  }, LoadHyperlink);
  LoadAll(file, kNote, items.Notes, [&] {
    TxlsNote note;
    note.Format = noteFormat;
    return note;
  }, LoadNote);
  LoadAll(file, kChart, items.Charts, [] { return TxlsChart{}; }, LoadChart);
  LoadAll(file, kCell, items.Cells, [] { return TxlsCell{}; }, LoadCell);
  LoadAll(file, kMerged, items.MergedCells, [] { return TxlsMergedCells{}; }, LoadMerged);
  TxlsPictures loaded;
  for (size_t i = 0; file.SectionExists(Numbered(kPicture, i)); ++i) LoadPicture(file, Numbered(kPicture, i), loaded.Add());
  if (!loaded.empty()) pictures = std::move(loaded);
  TxlsImages images;
  for (size_t i = 0; file.SectionExists(Numbered(kImage, i)); ++i) LoadImage(file, Numbered(kImage, i), images.Add());
  if (!images.empty()) items.Images = std::move(images);
  items.Background.FileName = WideToUtf8(file.ReadString(u"XLS", u"PageBackground", Utf8ToWide(items.Background.FileName)));
}

}  // namespace xls

}  // namespace verimo
