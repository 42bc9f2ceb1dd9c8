#pragma once

#include <cstdint>

#include "engine/TesselTypes.h"
#include "formats/pdf/PdfDocument.h"

namespace verimo {

enum TTesselUnits : uint8_t { unInch, unMillimeter, unDot };
enum TTesselPageFormat : uint8_t {
  pfLetter, pfLegal, pfA3, pfA4, pfA5, pfB5_JIS, pfUS_Std_Fanfold, pfFanfold, pfUser
};
constexpr int kPageFormatCount = 9;

// The page of a PDF export. Lengths are kept as whole points and read and
// written in Units.
class TTesselPDFPageOptions {
 public:
  TTesselPDFPageOptions();

  TTesselUnits Units = unInch;
  // A portrait page turns landscape for a table too wide for it; an
  // orientation the user chose stays (then this is off).
  bool AutoOrientation = true;

  TTesselPageFormat Format() const { return format_; }
  // Any format but pfUser loads its portrait size.
  void SetFormat(TTesselPageFormat format);
  TTesselPageOrientation Orientation() const { return orientation_; }
  // Swaps width and height and turns the margins a quarter.
  void SetOrientation(TTesselPageOrientation orientation);

  // In Units; setting a size switches the format to pfUser.
  double Width() const { return FromPoints(width_); }
  double Height() const { return FromPoints(height_); }
  void SetWidth(double value);
  void SetHeight(double value);
  double MarginLeft() const { return FromPoints(left_); }
  double MarginRight() const { return FromPoints(right_); }
  double MarginTop() const { return FromPoints(top_); }
  double MarginBottom() const { return FromPoints(bottom_); }
  void SetMarginLeft(double value) { left_ = ToPoints(value); }
  void SetMarginRight(double value) { right_ = ToPoints(value); }
  void SetMarginTop(double value) { top_ = ToPoints(value); }
  void SetMarginBottom(double value) { bottom_ = ToPoints(value); }

  // The stored points, as the settings file keeps them.
  int WidthPoints() const { return width_; }
  int HeightPoints() const { return height_; }
  int MarginPoints(int side) const;  // 0 left, 1 right, 2 top, 3 bottom
  void SetPoints(int width, int height, int left, int right, int top, int bottom);
  void SetFormatOnly(TTesselPageFormat format) { format_ = format; }
  void SetOrientationOnly(TTesselPageOrientation orientation) { orientation_ = orientation; }

  // [0, 0, width − 1, height − 1].
  TPDFBox MediaBox() const;
  // [left, bottom, width − right − 1, height − top − 1].
  TPDFBox TrimBox() const;

  int ToPoints(double value) const;
  double FromPoints(int points) const;

  friend bool operator==(const TTesselPDFPageOptions&, const TTesselPDFPageOptions&) = default;

 private:
  TTesselPageFormat format_ = pfA4;
  TTesselPageOrientation orientation_ = poPortrait;
  int width_ = 595;
  int height_ = 842;
  int left_ = 85;
  int right_ = 42;
  int top_ = 57;
  int bottom_ = 57;
};

// The portrait size of a page format in points (pfUser: A4).
void PageFormatSize(TTesselPageFormat format, int& width, int& height);

}  // namespace verimo
