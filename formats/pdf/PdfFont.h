#pragma once

#include <array>
#include <cstdint>

#include "core/WideString.h"
#include "engine/TesselTypes.h"
#include "formats/pdf/PdfStandardFonts.h"

namespace verimo {

class TTextMeasurer;

enum TPDFFontEncoding : uint8_t { poStandardEncoding, poWinAnsiEncoding, poMacRomanEncoding, poPDFDocEncoding };

enum TPDFFontName : uint8_t {
  poHelvetica, poHelveticaBold, poHelveticaOblique, poHelveticaBoldOblique,
  poCourier, poCourierBold, poCourierOblique, poCourierBoldOblique,
  poTimesRoman, poTimesBold, poTimesItalic, poTimesBoldItalic,
  poSymbol, poZapfDingbats
};
constexpr int kPDFFontNameCount = 14;

// "Helvetica" … "ZapfDingbats".
const char* PDFFontNameText(TPDFFontName name);
// "StandardEncoding", "WinAnsiEncoding", "MacRomanEncoding", "PDFDocEncoding".
const char* PDFFontEncodingText(TPDFFontEncoding encoding);
TPDFFontFamily FamilyOf(TPDFFontName name);
// Symbol and ZapfDingbats draw their own character sets.
bool IsSymbolic(TPDFFontName name);

// The system colour of window text; drawn in the colour the desktop gives it.
constexpr TColor clWindowText = 0x80000008;

// A platform font as a PDF font takes it over.
struct TPDFUserFont {
  WideString Name = u"Arial";
  int Size = 10;  // points
  bool Bold = false;
  bool Italic = false;
  TColor Color = clBlack;
  friend bool operator==(const TPDFUserFont&, const TPDFUserFont&) = default;
};

// One font of a PDF document: a standard Type 1 font or a platform
// TrueType font, with the functions that measure text in it.
class TPDFFont {
 public:
  explicit TPDFFont(WideString resourceName = u"") : ResourceName(std::move(resourceName)) {}

  TPDFFontEncoding FontEncoding = poWinAnsiEncoding;
  TPDFUserFont UserFont;
  TPDFFontName BaseFont = poHelvetica;
  int FontSize = 10;
  TColor FontColor = clBlack;
  bool UseUserFont = false;
  WideString ResourceName;

  // Copies everything but the resource name; the width table follows the
  // user font.
  void Assign(const TPDFFont& source);

  // The size and text colour in use: the user font's when UseUserFont.
  int Size() const { return UseUserFont ? UserFont.Size : FontSize; }
  TColor Color() const { return UseUserFont ? UserFont.Color : FontColor; }
  bool Symbolic() const { return !UseUserFont && IsSymbolic(BaseFont); }

  // The advances of the characters the 256 bytes of `characters` stand
  // for, in the user font, in 1/1000 of its size (0 where the platform
  // gives none).
  void RefreshWidths(TTextMeasurer& measurer, const std::array<char16_t, 256>& characters);
  const std::array<int, 256>& UserWidths() const { return userWidths_; }
  // The user font's advance of one character in 1/1000 of its size (1000
  // for one it cannot measure).
  int UserCharWidth(TTextMeasurer* measurer, char16_t ch) const;

  // Text width of the standard fonts: the family table's width for each
  // code unit (0 skipped), floor(size × w / 1000) per unit for Helvetica,
  // nint for the other families, the total through nint.
  static int StandardTextWidth(WideStringView text, int size, TPDFFontName baseFont);
  // nint(size × n × S / 256 / 1000), S the sum of the family table.
  static int StandardAverageWidth(int size, TPDFFontName baseFont, double n);
  // nint(n × P / 256), P the sum of the user widths at this size.
  int UserAverageWidth(double n) const;
  // The average width of n characters in whichever face is in use.
  int AverageWidth(double n) const;

 private:
  std::array<int, 256> userWidths_{};
  std::array<char16_t, 256> measuredCharacters_{};
};

// nint: to the nearest integer, halves to the even neighbour.
int RoundHalfEven(double value);

}  // namespace verimo
