#pragma once

#include <cstdint>

#include "core/WideString.h"

namespace verimo {

// Which of an exporter's source references is read.
enum TTesselSource : uint8_t { esDataSet, esListView, esDBGrid, esStringGrid, esCustom };

enum TTesselColType : uint8_t {
  ectInteger,
  ectBigint,
  ectFloat,
  ectCurrency,
  ectDate,
  ectTime,
  ectDateTime,
  ectString,
  ectBoolean,
  ectUnknown,
};

enum TTesselColAlign : uint8_t { ecaLeft, ecaCenter, ecaRight };

enum TTesselPageOrientation : uint8_t { poPortrait, poLandscape };

// Alternating styles of the data cells: none, by column or by row (the
// workbook and document formats share it).
enum TTesselStripType : uint8_t { ssNone, ssColumn, ssRow };

// The text encodings of an exporter's output, with their ordinals.
enum TTesselOutputEncoding : int {
  oeAnsi = 0,  // system ANSI code page
  oeOem = 1,   // system OEM code page
  oeMac = 2,   // system Mac code page
  oeUTF8 = 27,
  oeUTF16 = 28,  // little-endian
  oeUTF32 = 29,  // little-endian
};

// "DataSet", "ListView", "DBGrid", "StringGrid", "CustomSource"; empty for
// values outside the enumeration.
WideString SourceKindName(TTesselSource source);
// "Integer" (also for bigint), "Float", "Currency", "Date", "Time",
// "DateTime", "String", "Boolean", "Unknown".
WideString ColTypeName(TTesselColType type);

// The platform's 32-bit colour value: red in the low byte, then green, then blue.
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;

// A font as the cell-styling event hands it out.
struct TTesselFont {
  WideString Name = u"Arial";
  // Logical height: negative = character height in pixels at 96 dpi.
  int Height = -13;
  TColor Color = clBlack;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;

  // Points, as the platform derives them from the height at 96 dpi.
  int Size() const;
  void SetSize(int points);
};

}  // namespace verimo
