#include "platform/fonts/TextMeasurer.h"

#include <cmath>

namespace verimo {

namespace {

struct TFontAlias {
  const char16_t* name;
  const char16_t* family;
};

constexpr TFontAlias kAliases[] = {
    {u"Arial", u"Liberation Sans"},       {u"Times New Roman", u"Liberation Serif"},
    {u"Courier New", u"Liberation Mono"}, {u"Calibri", u"Carlito"},
    {u"Tahoma", u"DejaVu Sans"},
};

size_t CodePointCount(WideStringView text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i, ++count)
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
      ++i;
  return count;
}

}  // namespace

int TFontDescription::HeightFromPoints(double points) { return -static_cast<int>(std::lround(points * 96.0 / 72.0)); }

TFontDescription TFontDescription::FromPoints(WideStringView name, double points, bool bold, bool italic) {
  TFontDescription font;
  font.Name = WideString(name);
  font.Height = HeightFromPoints(points);
  font.Bold = bold;
  font.Italic = italic;
  return font;
}

int TTextMeasurer::TextWidth(const TFontDescription& font, WideStringView text) {
  int width = 0;
  for (int advance : CharWidths(font, text)) width += advance;
  return width;
}

double CharPoints(TTextMeasurer& measurer, const TFontDescription& font, double points, char32_t codePoint) {
  constexpr int kMeasureSize = 1000;
  if (codePoint < 0x20) return 0;
  TFontDescription large = font;
  large.Height = -kMeasureSize;
  char16_t units[2];
  size_t length = 1;
  if (codePoint >= 0x10000) {
    units[0] = static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
    units[1] = static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    length = 2;
  } else {
    units[0] = static_cast<char16_t>(codePoint);
  }
  const std::vector<int> widths = measurer.CharWidths(large, WideStringView(units, length));
  const int advance = widths.empty() || widths.front() <= 0 ? kMeasureSize : widths.front();
  return advance * points / kMeasureSize;
}

std::vector<int> TFixedTextMeasurer::CharWidths(const TFontDescription&, WideStringView text) {
  return std::vector<int>(CodePointCount(text), charWidth_);
}

TTextMetrics TFixedTextMeasurer::Metrics(const TFontDescription&) { return metrics_; }

int TFixedTextMeasurer::TextWidth(const TFontDescription&, WideStringView text) {
  return static_cast<int>(CodePointCount(text)) * charWidth_;
}

WideString FontFamilyFor(WideStringView name) {
  for (const TFontAlias& alias : kAliases)
    if (SameText(name, alias.name)) return alias.family;
  return WideString(name);
}

}  // namespace verimo
