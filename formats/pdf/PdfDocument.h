#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "engine/TesselStream.h"
#include "engine/TesselTypes.h"
#include "formats/pdf/PdfFont.h"
#include "formats/pdf/PdfTextEncoding.h"
#include "formats/pdf/PdfUnicodeFonts.h"

namespace verimo {

class TTextMeasurer;

struct TPDFBox {
  int Left = 0;
  int Bottom = 0;
  int Right = 0;
  int Top = 0;
  friend bool operator==(const TPDFBox&, const TPDFBox&) = default;
};

namespace pdf {

// A system colour (0x80000000 or 0xFF000000 with a system colour index, as
// "window text") as the colour a default desktop gives it; other colours
// keep their red, green and blue bytes.
TColor ResolveColor(TColor color);
// "-12.5" with `decimals` places and "." whatever the locale.
std::string FormatFixed(double value, int decimals);

}  // namespace pdf

// Writes a PDF 1.3 document object by object, straight into the stream:
// pages of text, stroked lines and filled rectangles in the standard Type 1
// fonts or non-embedded TrueType fonts, and an embedded TrueType subset for
// characters the 8-bit encoding cannot hold. Every line of PDF syntax ends
// with a single CR.
class TPDFDocument : private TNonCopyable {
 public:
  // `codePage` is the 8-bit code page text is written in.
  TPDFDocument(TStream& stream, int codePage);
  ~TPDFDocument();

  TPDFBox MediaBox{0, 0, 612, 792};
  TPDFBox TrimBox{50, 50, 562, 742};
  double LineWidth = 1.0;
  double RowSpacing = 1.0;
  // Measures user-font characters outside the width tables; not owned.
  TTextMeasurer* Measurer = nullptr;

  void BeginDocument();
  // Registers a copy of the font under its resource name ("Font %s already
  // exists" for a name registered before).
  void AddFont(const TPDFFont& font);
  void SetFont(const TPDFFont& font);
  const TPDFFont& CurrentFont() const { return font_; }
  void BeginPage();
  void EndPageContent();
  // Text already escaped for a literal string ("\\", "\(", "\)").
  void TextOut(int x, int y, TColor color, WideStringView text);
  void Line(TColor color, double x1, double y1, double x2, double y2);
  void FillRect(TColor color, double x, double y, double width, double height);
  // Return the previous current colour.
  TColor SetStrokeColor(TColor color);
  TColor SetFillColor(TColor color);
  // Everything drawn until EndClip stays inside the rectangle.
  void BeginClip(double x, double y, double width, double height);
  void EndClip();
  void EndDocument();

  // The width in points of escaped text as TextOut draws it in the font.
  int TextWidth(const TPDFFont& font, WideStringView text);
  // The advance of one character (not escaped) as a reader draws it, in
  // points, without the rounding of TextWidth.
  double CharWidth(const TPDFFont& font, char32_t codePoint);

  int PageCount() const { return static_cast<int>(pages_.size()); }
  const TPDFTextEncoding& Encoding() const { return encoding_; }
  const TPDFUnicodeFonts& UnicodeFonts() const { return unicodeFonts_; }

 private:
  struct TRun;
  template <typename F>
  void ForEachRun(const TPDFFont& font, WideStringView text, F&& each);
  double RunAdvance(const TPDFFont& font, const TRun& run) const;
  double RunWidth(const TPDFFont& font, const TRun& run) const;

  void Put(std::string_view text);
  void PutLine(std::string_view text);
  int Allocate();
  std::string ColorOperands(TColor color) const;
  void WriteFontObject(const TPDFFont& font);
  void WriteUnicodeFontObjects(TPDFUnicodeFonts::TFace& face, std::vector<int>& numbers);
  void WriteStreamObject(int number, std::string_view dictionary, std::string_view data);
  std::string EncodingEntry(const TPDFFont& font) const;

  TStream& stream_;
  int64_t position_ = 0;  // bytes written so far, counted from the stream's start
  int64_t streamStart_ = 0;
  std::string line_;
  int counter_ = 0;
  std::vector<int64_t> offsets_;
  std::vector<int> pages_;  // content object per page
  bool contentOpen_ = false;
  int64_t contentStart_ = 0;
  std::vector<TPDFFont> fonts_;
  TPDFFont font_;
  TColor strokeColor_ = 0;
  TColor fillColor_ = 0;
  TPDFTextEncoding encoding_;
  TPDFUnicodeFonts unicodeFonts_;
};

}  // namespace verimo
