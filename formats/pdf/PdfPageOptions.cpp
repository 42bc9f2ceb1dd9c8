#include "formats/pdf/PdfPageOptions.h"

#include <cmath>
#include <utility>

namespace verimo {

namespace {

int InchesToPoints(double inches) { return RoundHalfEven(inches * 72); }

}  // namespace

void PageFormatSize(TTesselPageFormat format, int& width, int& height) {
  static constexpr double kInches[kPageFormatCount][2] = {
      {8.5, 11}, {8.5, 14}, {11.69, 16.54}, {8.27, 11.69}, {5.83, 8.27},
      {7.17, 10.12}, {14.88, 11}, {8.5, 12}, {8.27, 11.69}};
  const auto index = static_cast<size_t>(format < kPageFormatCount ? format : pfA4);
  width = InchesToPoints(kInches[index][0]);
  height = InchesToPoints(kInches[index][1]);
}

TTesselPDFPageOptions::TTesselPDFPageOptions() {
  SetFormat(pfA4);
  left_ = InchesToPoints(1.18);
  right_ = InchesToPoints(0.59);
  top_ = InchesToPoints(0.79);
  bottom_ = InchesToPoints(0.79);
}

void TTesselPDFPageOptions::SetFormat(TTesselPageFormat format) {
  format_ = format;
  if (format != pfUser) PageFormatSize(format, width_, height_);
}

void TTesselPDFPageOptions::SetOrientation(TTesselPageOrientation orientation) {
  if (orientation == orientation_) return;
  std::swap(width_, height_);
  const int left = left_, right = right_, top = top_, bottom = bottom_;
  if (orientation == poLandscape) {
    left_ = bottom;
    right_ = top;
    top_ = left;
    bottom_ = right;
  } else {
    left_ = top;
    right_ = bottom;
    top_ = right;
    bottom_ = left;
  }
  orientation_ = orientation;
}

void TTesselPDFPageOptions::SetWidth(double value) {
  width_ = ToPoints(value);
  format_ = pfUser;
}

void TTesselPDFPageOptions::SetHeight(double value) {
  height_ = ToPoints(value);
  format_ = pfUser;
}

int TTesselPDFPageOptions::MarginPoints(int side) const {
  switch (side) {
    case 0: return left_;
    case 1: return right_;
    case 2: return top_;
    default: return bottom_;
  }
}

void TTesselPDFPageOptions::SetPoints(int width, int height, int left, int right, int top, int bottom) {
  width_ = width;
  height_ = height;
  left_ = left;
  right_ = right;
  top_ = top;
  bottom_ = bottom;
}

TPDFBox TTesselPDFPageOptions::MediaBox() const { return {0, 0, width_ - 1, height_ - 1}; }

TPDFBox TTesselPDFPageOptions::TrimBox() const {
  return {left_, bottom_, width_ - right_ - 1, height_ - top_ - 1};
}

int TTesselPDFPageOptions::ToPoints(double value) const {
  switch (Units) {
    case unMillimeter: return RoundHalfEven(value / 25.4 * 72);
    case unDot: return RoundHalfEven(value);
    default: return InchesToPoints(value);
  }
}

double TTesselPDFPageOptions::FromPoints(int points) const {
  switch (Units) {
    case unMillimeter: return RoundHalfEven(points / 72.0 * 25.4);
    case unDot: return points;
    default: return RoundHalfEven(points / 72.0 * 100) / 100.0;
  }
}

}  // namespace verimo
