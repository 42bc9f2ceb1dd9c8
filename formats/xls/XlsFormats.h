#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/WideString.h"
#include "engine/TesselTypes.h"
#include "formats/xls/BiffRecords.h"

namespace verimo {

class TTesselIniFile;

// The 56 colours of the workbook palette, in their published order.
enum TxlsColor : uint8_t {
  clrBlack, clrBrown, clrOliveGreen, clrDarkGreen, clrDarkTeal, clrDarkBlue, clrIndigo, clrGray80Percent,
  clrDarkRed, clrOrange, clrDarkYellow, clrGreen, clrTeal, clrBlue, clrBlueGray, clrGray50Percent,
  clrRed, clrLightOrange, clrLime, clrSeaGreen, clrAqua, clrLightBlue, clrViolet, clrGray40Percent,
  clrPink, clrGold, clrYellow, clrBrightGreen, clrTurquoise, clrSkyBlue, clrPlum, clrGray25Percent,
  clrRose, clrTan, clrLightYellow, clrLihtGreen, clrLightTurquoise, clrPaleBlue, clrLavender, clrWhite,
  clrColor1, clrColor2, clrColor3, clrColor4, clrColor5, clrColor6, clrColor7, clrColor8,
  clrColor9, clrColor10, clrColor11, clrColor12, clrColor13, clrColor14, clrColor15, clrColor16,
};
constexpr int kXlsColorCount = 56;

// The palette index (8-63) and the platform colour (red in the low byte).
uint8_t PaletteIndex(TxlsColor color);
TColor ColorValue(TxlsColor color);
// The first palette colour with that value; clrBlack when none has it.
TxlsColor ColorFromValue(TColor value);
// The platform's colour text ("clRed", else "$00BBGGRR") and its inverse
// (false for a text that is neither).
WideString ColorToText(TColor color);
bool TextToColor(WideStringView text, TColor& color);

enum TxlsFontStyle : uint8_t { xfsBold = 1, xfsItalic = 2, xfsStrikeOut = 4 };
enum TxlsScript : uint8_t { fscNone, fscSuperscript, fscSubscript };
enum TxlsUnderline : uint8_t { fulNone, fulSingle, fulDouble, fulSingleAccounting, fulDoubleAccounting };
enum TxlsBorderStyle : uint8_t {
  bstNone, bstThin, bstMedium, bstDashed, bstDotted, bstThick, bstDouble, bstHair, bstMediumDashed,
  bstDashDot, bstMediumDashDot, bstDashDotDot, bstMediumDashDotDot, bstSlantedDashDot,
};
enum TxlsPattern : uint8_t {
  ptNone, ptSolid, ptChess, ptWhiteSpots, ptBlackSpots, ptBoldHorizontal, ptBoldVertical, ptBoldDiagRight,
  ptBoldDiagLeft, ptBoldChess, ptRingMail, ptThinGorizontal, ptThinVertical, ptThinDiagLeft, ptThinDiagRight,
  ptCells, ptCrissCross, ptThinSpots, ptThinThinSpots,
};
enum TxlsHorAlignment : uint8_t { halGeneral, halLeft, halCenter, halRight, halFill };
enum TxlsVertAlignment : uint8_t { valTop, valCenter, valBottom, valJustify };
enum TxlsAggregate : uint8_t { aggNone, aggSum, aggAvg, aggMin, aggMax };
using TxlsStripType = TTesselStripType;

struct TxlsFont {
  int Size = 10;      // points
  uint8_t Style = 0;  // TxlsFontStyle bits
  TxlsColor Color = clrBlack;
  TxlsScript Script = fscNone;
  TxlsUnderline Underline = fulNone;
  int Charset = 1;
  WideString Name = u"arial";
  bool Has(TxlsFontStyle style) const { return (Style & style) != 0; }
  friend bool operator==(const TxlsFont&, const TxlsFont&) = default;
};

struct TxlsBorder {
  TxlsBorderStyle Style = bstNone;
  TxlsColor Color = clrBlack;
  friend bool operator==(const TxlsBorder&, const TxlsBorder&) = default;
};

struct TxlsBorders {
  TxlsBorder Left, Right, Top, Bottom, DiagDown, DiagUp;
  bool Any() const;
  friend bool operator==(const TxlsBorders&, const TxlsBorders&) = default;
};

struct TxlsFill {
  TxlsColor Background = clrWhite;
  TxlsPattern Pattern = ptNone;
  TxlsColor Foreground = clrBlack;
  friend bool operator==(const TxlsFill&, const TxlsFill&) = default;
};

struct TxlsAlignment {
  TxlsHorAlignment Horizontal = halGeneral;
  TxlsVertAlignment Vertical = valBottom;
  friend bool operator==(const TxlsAlignment&, const TxlsAlignment&) = default;
};

// How a part of a sheet looks.
class TxlsFormat {
 public:
  TxlsFont Font;
  TxlsBorders Borders;
  TxlsFill Fill;
  TxlsAlignment Alignment;
  bool Wrap = false;
  uint8_t Rotation = 0;
  WideString FieldName;
  uint8_t Indent = 0;

  // Copies everything except FieldName.
  void Assign(const TxlsFormat& source);
  void Reset();

  // Settings keys "FontName", "FontSize", ... in one section.
  void SaveToIni(TTesselIniFile& file, WideStringView section) const;
  void LoadFromIni(const TTesselIniFile& file, WideStringView section);
};

// The format of one exported field, with its column width and aggregate.
class TxlsFieldFormat : public TxlsFormat {
 public:
  int Width = 0;
  TxlsAggregate Aggregate = aggNone;
  void SaveToIni(TTesselIniFile& file, WideStringView section) const;
  void LoadFromIni(const TTesselIniFile& file, WideStringView section);
};

using TxlsFormats = std::vector<TxlsFormat>;

class TxlsFieldFormats : public std::vector<TxlsFieldFormat> {
 public:
  using std::vector<TxlsFieldFormat>::vector;
  // The first entry for the field, compared without case; null when none.
  const TxlsFieldFormat* Find(WideStringView fieldName) const;
};

// How a cell note looks.
enum TxlsNoteFillType : uint8_t { nftSolid, nftGradient };
enum TxlsOrientation : uint8_t { xrtNoRotation, xlrTopToBottom, xlrCounterClockWise, xlrClockWise };
enum TxlsNoteGradient : uint8_t {
  ngrHorizontal, ngrVertical, ngrDiagonalUp, ngrDiagonalDown, ngrFromCorner, ngrFromCenter,
};

struct TxlsNoteFormat {
  TxlsNoteFormat();
  TxlsAlignment Alignment{halLeft, valTop};
  TColor BackgroundColor = 0x00E1FFFF;
  TColor ForegroundColor = 0x00E1FFFF;
  TxlsNoteFillType FillType = nftSolid;
  TxlsFont Font;
  int Transparency = 0;  // percent, 0-100
  TxlsOrientation Orientation = xrtNoRotation;
  TxlsNoteGradient Gradient = ngrHorizontal;
};

// True for the look of an untouched cell (Part of the workbook's default
// cell format): arial 10, black, no borders, white fill without pattern,
// general alignment at the bottom, no wrapping.
bool IsDefaultFormat(const TxlsFormat& format);

// One number format of the workbook: its index and the pattern it came from.
struct TxlsTextFormat {
  uint16_t Index = 0;
  WideString Text = u"General";
};

// One cell format (XF) of the workbook.
struct TxlsXFormat {
  uint16_t Index = 0;
  int Font = -1;          // position in the font list, -1 for none
  int NumberFormat = -1;  // position in the number-format list, -1 for none
  TxlsBorders Borders;
  TxlsFill Fill;
  TxlsAlignment Alignment;
  bool Wrap = false;
  uint8_t Rotation = 0;
  uint8_t Indent = 0;
};

// The workbook-wide lists of fonts, number formats and cell formats; equal
// combinations share one record.
class TxlsFormatTables {
 public:
  static constexpr uint16_t kDefaultXF = 15;
  static constexpr uint16_t kFirstFont = 5;
  static constexpr uint16_t kFirstNumberFormat = 50;
  static constexpr uint16_t kFirstXF = 16;

  // The XF for a number-format pattern ("General" or empty for none) and a
  // format; `dataFont` is the font of the sheet's data format, which an XF
  // does not repeat. Without format and pattern: the default cell XF 15.
  uint16_t GetXFIndex(WideStringView formatText, const TxlsFormat* format, const TxlsFont& dataFont);

  // The font and the number-format pattern of an XF (arial 10 and "General"
  // for XF 15 or an XF without them), and the whole format back.
  const TxlsFont& FontOf(uint16_t xf) const;
  WideString FormatTextOf(uint16_t xf) const;
  TxlsFormat FormatOf(uint16_t xf) const;

  // The FONT, FORMAT and XF records, the STYLE records and the palette, in
  // the order the globals hold them. `translate` turns a pattern into the
  // number-format code written.
  void WriteRecords(TbiffSink& sink, const std::function<WideString(const WideString&)>& translate) const;

  // The FONT index of an equal font, the font added when there is none.
  uint16_t FontIndex(const TxlsFont& font) { return static_cast<uint16_t>(kFirstFont + FindOrAddFont(font)); }

  size_t FontCount() const { return fonts_.size(); }
  size_t NumberFormatCount() const { return numberFormats_.size(); }
  size_t XFCount() const { return xfs_.size(); }

 private:
  int FindOrAddFont(const TxlsFont& font);
  int FindOrAddNumberFormat(WideStringView text);
  static std::string KeyOf(const TxlsXFormat& xf, const TxlsFont* font, const WideString* text);

  std::vector<TxlsFont> fonts_;
  std::vector<TxlsTextFormat> numberFormats_;
  std::map<WideString, int> numberFormatIndex_;
  std::vector<TxlsXFormat> xfs_;
  std::map<std::string, uint16_t> xfIndex_;
};

// Record encodings.
std::vector<uint8_t> EncodeFontRecord(const TxlsFont& font);
std::vector<uint8_t> EncodeXFRecord(const TxlsXFormat& xf, uint16_t fontIndex, uint16_t formatIndex);
std::vector<uint8_t> EncodeFormatRecord(uint16_t index, WideStringView text);

}  // namespace verimo
