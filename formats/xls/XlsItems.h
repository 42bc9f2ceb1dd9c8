#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/StringList.h"
#include "core/Variant.h"
#include "core/WideString.h"
#include "engine/TesselTypes.h"
#include "formats/xls/XlsFormats.h"

namespace verimo {

class TTesselIniFile;

// ---- cells, ranges, hyperlinks and notes (positions 1-based) ----

enum TxlsCellType : uint8_t { ctBoolean, ctDateTime, ctNumeric, ctString };

// A cell with a typed value at a fixed position; written when Row and Col
// are both non-zero.
struct TxlsCell {
  uint16_t Row = 0;
  uint16_t Col = 0;
  TxlsCellType CellType = ctString;
  bool BooleanValue = false;
  double DateTimeValue = 0;  // days since 30 December 1899; today at creation
  double NumericValue = 0;
  WideString StringValue;
  // Empty: the export's own date-time pattern.
  WideString DateTimeFormat;
  WideString NumericFormat = u"###,###,#0.00";
  TxlsFormat Format;

  TxlsCell();
  bool IsValid() const { return Row != 0 && Col != 0; }
  // The value of the cell's type.
  Variant Value() const;
  void SetValue(const Variant& value);
};
using TxlsCells = std::vector<TxlsCell>;

struct TxlsMergedCells {
  uint16_t FirstCol = 0;
  uint16_t FirstRow = 0;
  uint16_t LastCol = 0;
  uint16_t LastRow = 0;
  bool IsValid() const { return FirstCol != 0 && FirstRow != 0 && LastCol != 0 && LastRow != 0; }
};
using TxlsMergedCellList = std::vector<TxlsMergedCells>;

enum TxlsHyperlinkStyle : uint8_t { hlsURL, hlsLocalFile };

struct TxlsHyperlink {
  uint16_t Col = 0;
  uint16_t Row = 0;
  TxlsHyperlinkStyle Style = hlsURL;
  WideString Target;
  WideString Title;
  WideString ScreenTip;
  TxlsFormat Format;
  bool IsValid() const { return Col >= 1 && Col <= 256 && Row != 0 && !Title.empty() && !Target.empty(); }
};
using TxlsHyperlinks = std::vector<TxlsHyperlink>;

struct TxlsNote {
  uint16_t Row = 0;
  uint16_t Col = 0;
  TStringList Lines;
  TxlsNoteFormat Format;
  // Shown all the time, not only when the pointer is over the cell.
  bool Shown = false;
  // The text as stored: the lines joined by line feeds, trimmed, without
  // carriage returns.
  WideString Text() const;
  bool IsValid() const { return Col >= 1 && Col <= 255 && Row != 0 && !Text().empty(); }
};
using TxlsNotes = std::vector<TxlsNote>;

// ---- charts ----

enum TxlsChartStyle : uint8_t {
  xcsColumn, xcsColumn3d, xcsBar, xcsBar3d, xcsLine, xcsLineMark, xcsLine3d, xcsPie, xcsPie3d,
  xcsArea, xcsArea3d, xcsSurface, xcsSurface3d, xcsRadar, xcsRadarArea,
};
constexpr int kXlsChartStyleCount = 15;
enum TxlsRangeType : uint8_t { rtColumn, rtCustom };
enum TxlsChartLegendPlacement : uint8_t { clpBottom, clpCorner, clpTop, clpRight, clpLeft };
enum TxlsChartPositionType : uint8_t { cptAuto, cptCustom };
enum TxlsChartPlacement : uint8_t { cpBottom, cpRight };

// Cells from (Col1, Row1) to (Col2, Row2), 1-based.
struct TxlsDataRange {
  uint8_t Col1 = 0;
  uint8_t Col2 = 0;
  uint16_t Row1 = 0;
  uint16_t Row2 = 0;
};

struct TxlsChartSeries {
  WideString Title;
  TxlsColor Color = clrAqua;
  TxlsRangeType DataRangeType = rtColumn;
  WideString DataColumn;
  TxlsDataRange DataRange;
};
using TxlsChartSeriesList = std::vector<TxlsChartSeries>;

struct TxlsChartAutoPosition {
  TxlsChartPlacement Placement = cpBottom;
  int Height = 10;
  int Left = 0;
  int Top = 0;
  int Width = 5;
};

struct TxlsChartCustomPosition {
  uint8_t X1 = 0;
  uint8_t X2 = 0;
  uint16_t Y1 = 0;
  uint16_t Y2 = 0;
};

struct TxlsChartPosition {
  TxlsChartPositionType PositionType = cptAuto;
  TxlsChartAutoPosition AutoPosition;
  TxlsChartCustomPosition CustomPosition;
};

struct TxlsChart {
  WideString Title;
  TxlsChartStyle Style = xcsColumn;
  TxlsChartSeriesList Series;
  TxlsRangeType CategoryLabelsType = rtColumn;
  WideString CategoryLabelsColumn;
  TxlsDataRange CategoryLabels;
  bool ShowLegend = true;
  TxlsChartLegendPlacement LegendPlacement = clpRight;
  bool AutoColor = true;
  TxlsChartPosition Position;
};
using TxlsCharts = std::vector<TxlsChart>;

// ---- pictures ----

enum class TxlsGraphicKind : uint8_t { Wmf, Emf, Jpeg, Png, Gif, Bmp, Ico, Other };

struct TxlsGraphic {
  std::string FileName;
  // An in-memory picture, used instead of the file when not empty.
  std::string Stream;
  int Height = 0;
  int Width = 0;
  // By the file name's extension.
  TxlsGraphicKind Kind() const;
};

struct TxlsPicture : TxlsGraphic {
  WideString Name;
};

class TxlsPictures : public std::vector<TxlsPicture> {
 public:
  // Adds a picture named "Picture_%d" with the lowest free number.
  TxlsPicture& Add();
  // The 1-based position of the picture of that name (without case), -1
  // when none has it.
  int PositionOf(WideStringView name) const;
  // Fails with "A picture name cannot be empty" for an empty name.
  static void CheckName(WideStringView name);
};

// A picture placed at a cell (0-based position).
struct TxlsImage {
  WideString PictureName;
  uint16_t Col = 0;
  uint16_t Row = 0;
  WideString Title;
  int Zoom = 100;  // percent
};

class TxlsImages : public std::vector<TxlsImage> {
 public:
  // Adds an image titled "Image_%d" with the lowest free number.
  TxlsImage& Add();
};

// What a sheet carries besides its rows; `TTesselXLS` and every
// `TxlsSheet` have their own.
struct TxlsSheetItems {
  TxlsHyperlinks Hyperlinks;
  TxlsNotes Notes;
  TxlsCells Cells;
  TxlsMergedCellList MergedCells;
  TxlsCharts Charts;
  TxlsImages Images;
  TxlsGraphic Background;
};

namespace xls {

// The item sections "XLS_HYPERLINK_%d", "XLS_NOTE_%d", "XLS_CHART_%d",
// "XLS_CELL_%d", "XLS_MERGED_CELL_%d", "XLS_PICTURE_%d" and "XLS_IMAGE_%d",
// numbered from 0, and the background picture ("XLS", "PageBackground").
// Loading replaces a collection only when the file has sections for it.
void SaveItems(TTesselIniFile& file, const TxlsSheetItems& items, const TxlsPictures& pictures);
void LoadItems(const TTesselIniFile& file, TxlsSheetItems& items, TxlsPictures& pictures,
               const TxlsFormat& hyperlinkFormat, const TxlsNoteFormat& noteFormat);
// True for a section that SaveItems writes.
bool IsItemSection(WideStringView upperCaseName);

}  // namespace xls

}  // namespace verimo
