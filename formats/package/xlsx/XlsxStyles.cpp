#include "formats/package/xlsx/XlsxStyles.h"

#include <algorithm>
#include <string>
#include <vector>

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/TesselXMLWriter.h"
#include "formats/package/xlsx/XlsxOptions.h"

namespace verimo {
namespace {

// Colours carry an opaque alpha byte: readers take six digits as
// alpha-red-green and may treat the colour as transparent.
WideString ArgbColor(TColor color) { return u"FF" + ColorToHexWide(color); }

WideString Count(size_t n) { return IntToWide(static_cast<long long>(n)); }

// The styles in style order: the four base styles, then the strips.
std::vector<const TXlsxCellStyle*> StylesInOrder(const TTesselXlsxOptions& options) {
  std::vector<const TXlsxCellStyle*> styles;
  for (int i = 0; i < 4; ++i) styles.push_back(&options.BaseStyle(i));
  for (int i = 0; i < options.StripCount(); ++i) styles.push_back(&options.StripStylesList[static_cast<size_t>(i)].Options);
  return styles;
}

void WriteFont(TTesselXMLWriter& xml, const TPackageFont& font, bool familyFirst) {
  xml.OpenElement("font");
  if (font.Bold) xml.WriteRawLn("<b/>");
  if (font.Italic) xml.WriteRawLn("<i/>");
  if (font.Underline) xml.WriteRawLn("<u/>");
  if (font.StrikeOut) xml.WriteRawLn("<strike/>");
  xml.WriteElement("sz", {}, {{"val", IntToWide(font.Size)}});
  xml.WriteElement("color", {}, {{"rgb", ArgbColor(font.Color)}});
  xml.WriteElement("name", {}, {{"val", font.Name}});
  if (familyFirst) xml.WriteElement("family", {}, {{"val", u"2"}});
  xml.WriteElement("charset", {}, {{"val", IntToWide(font.Charset)}});
  if (!familyFirst) xml.WriteElement("family", {}, {{"val", u"2"}});
  xml.WriteElement("scheme", {}, {{"val", u"minor"}});
  xml.CloseElement("font", true);
}

void WriteFonts(TTesselXMLWriter& xml, const std::vector<const TXlsxCellStyle*>& styles) {
  xml.OpenElement("fonts", {}, {{"count", Count(styles.size() + 1)}});
  xml.WriteRaw(
      "<font><sz val=\"11\" /><color theme=\"1\" /><name val=\"Calibri\" /><family val=\"2\" />"
      "<charset val=\"204\" /><scheme val=\"minor\" /></font>\r\n");
  for (size_t i = 0; i < styles.size(); ++i) WriteFont(xml, styles[i]->Font, i >= 4);
  xml.CloseElement("fonts", true);
}

// A style without UseBackground gets no fill of its own, so the sheet's
// grid lines stay visible.
void WriteFills(TTesselXMLWriter& xml, const std::vector<const TXlsxCellStyle*>& styles) {
  xml.OpenElement("fills", {}, {{"count", Count(styles.size() + 2)}});
  xml.WriteRawLn("<fill><patternFill patternType=\"none\" /></fill>");
  xml.WriteRawLn("<fill><patternFill patternType=\"gray125\" /></fill>");
  for (const TXlsxCellStyle* style : styles) {
    if (!style->UseBackground) {
      xml.WriteRawLn("<fill><patternFill patternType=\"none\" /></fill>");
      continue;
    }
    xml.OpenElement("fill");
    xml.OpenElement("patternFill", {}, {{"patternType", u"solid"}});
    xml.WriteElement("fgColor", {}, {{"rgb", ArgbColor(style->BackgroundColor)}});
    xml.CloseElement("patternFill", true);
    xml.CloseElement("fill", true);
  }
  xml.CloseElement("fills", true);
}

void WriteBorder(TTesselXMLWriter& xml, const TXlsxCellStyle* style) {
  if (style == nullptr || !style->UseBorder) {
    xml.WriteRawLn("<border><left/><right/><top/><bottom/><diagonal/></border>");
    return;
  }
  xml.OpenElement("border");
  for (const char* side : {"left", "right", "top", "bottom"}) {
    xml.OpenElement(side, {}, {{"style", XlsxBorderStyleName(style->Border.Style)}});
    if (style->Border.Color == clBlack) {
      xml.WriteElement("color", {}, {{"indexed", u"64"}});
    } else {
      xml.WriteElement("color", {}, {{"rgb", ArgbColor(style->Border.Color)}});
    }
    xml.CloseElement(side, true);
  }
  xml.WriteRaw("<diagonal/>");
  xml.CloseElement("border", true);
}

void WriteBorders(TTesselXMLWriter& xml, const std::vector<const TXlsxCellStyle*>& styles) {
  xml.OpenElement("borders", {}, {{"count", Count(styles.size() + 1)}});
  WriteBorder(xml, nullptr);
  for (const TXlsxCellStyle* style : styles) WriteBorder(xml, style);
  xml.CloseElement("borders", true);
}

const char* HorizontalName(TMSCellAlignment alignment) {
  switch (alignment) {
    case caRight: return "right";
    case caCenter: return "center";
    case caJustify: return "justify";
    default: return nullptr;
  }
}

const char* VerticalName(TMSCellVerticalAligment alignment) {
  switch (alignment) {
    case cvaTop: return "top";
    case cvaMiddle: return "center";
    default: return nullptr;
  }
}

// The cell format of style k (its font, fill and border) showing values with
// number format `numberFormat` (0: General).
void WriteCellFormat(TTesselXMLWriter& xml, const TXlsxCellStyle& style, int k, int numberFormat = 0) {
  const std::string id = std::to_string(k);
  std::string tag = "<xf numFmtId=\"" + std::to_string(numberFormat) + "\" fontId=\"" + id + "\" fillId=\"" +
                    std::to_string(k + 1) + "\" borderId=\"" + id + "\" xfId=\"0\" ";
  if (numberFormat != 0) tag += "applyNumberFormat=\"1\" ";
  tag += "applyBorder=\"1\" ";
  const char* horizontal = HorizontalName(style.Alignment);
  const char* vertical = VerticalName(style.VerticalAligment);
  if (horizontal == nullptr && vertical == nullptr && !style.WrapText) {
    xml.WriteRaw(tag + "/>");
    return;
  }
  tag += "applyAlignment=\"1\" ><alignment ";
  if (horizontal) tag += std::string("horizontal=\"") + horizontal + "\" ";
  if (vertical) tag += std::string("vertical=\"") + vertical + "\" ";
  if (style.WrapText) tag += "wrapText=\"1\" ";
  xml.WriteRaw(tag + "/>");
  xml.CloseElement("xf", true);
}

void WriteNumberFormats(TTesselXMLWriter& xml, const TXlsxNumberFormats& formats) {
  if (formats.Codes().empty()) return;
  xml.OpenElement("numFmts", {}, {{"count", Count(formats.Codes().size())}});
  for (size_t i = 0; i < formats.Codes().size(); ++i)
    xml.WriteElement("numFmt", {},
                     {{"numFmtId", IntToWide(kXlsxFirstNumberFormat + static_cast<long long>(i))},
                      {"formatCode", formats.Codes()[i]}});
  xml.CloseElement("numFmts", true);
}

void WriteCellFormats(TTesselXMLWriter& xml, const std::vector<const TXlsxCellStyle*>& styles,
                      const TXlsxNumberFormats& formats) {
  xml.OpenElement("cellXfs", {}, {{"count", Count(styles.size() + 1 + formats.CellFormats().size())}});
  xml.WriteElement("xf", {}, {{"numFmtId", u"0"}, {"fontId", u"0"}, {"fillId", u"0"}, {"borderId", u"0"}, {"xfId", u"0"}});
  for (size_t i = 0; i < styles.size(); ++i) WriteCellFormat(xml, *styles[i], static_cast<int>(i) + 1);
  for (const TXlsxNumberFormats::TCellFormat& format : formats.CellFormats())
    WriteCellFormat(xml, *styles[static_cast<size_t>(format.Style) - 1], format.Style,
                    kXlsxFirstNumberFormat + format.Code);
  xml.CloseElement("cellXfs", true);
}

}  // namespace

TXlsxNumberFormats::TXlsxNumberFormats(const std::vector<WideString>& columnCodes, int stripCount)
    : stripCount_(stripCount) {
  SetColumnCodes(columnCodes);
}

void TXlsxNumberFormats::SetColumnCodes(const std::vector<WideString>& columnCodes) {
  // Each column's code index (-1 for none) and the table's codes in the
  // order of their first column.
  std::vector<int> codeOfColumn;
  std::vector<int> tableCodes;
  for (const WideString& code : columnCodes) {
    if (code.empty() || code == u"General") {
      codeOfColumn.push_back(-1);
      continue;
    }
    const auto found = std::find(codes_.begin(), codes_.end(), code);
    const int index = static_cast<int>(found - codes_.begin());
    if (found == codes_.end()) codes_.push_back(code);
    codeOfColumn.push_back(index);
    if (std::find(tableCodes.begin(), tableCodes.end(), index) == tableCodes.end()) tableCodes.push_back(index);
  }
  std::sort(tableCodes.begin(), tableCodes.end());
  const int slots = std::max(stripCount_, 1);
  styleOfColumn_.assign(static_cast<size_t>(slots), {});
  for (int slot = 0; slot < slots; ++slot) {
    const int style = stripCount_ == 0 ? kXlsxDataStyle : kXlsxFirstStripStyle + slot;
    std::vector<int> styleOfCode(codes_.size(), -1);
    for (int code : tableCodes) styleOfCode[static_cast<size_t>(code)] = CellFormatStyle(style, code);
    for (int code : codeOfColumn)
      styleOfColumn_[static_cast<size_t>(slot)].push_back(code < 0 ? -1 : styleOfCode[static_cast<size_t>(code)]);
  }
}

// The cell style of data cell style `style` with code `code`, added when new.
int TXlsxNumberFormats::CellFormatStyle(int style, int code) {
  const int first = kXlsxFirstStripStyle + stripCount_;
  for (size_t i = 0; i < cellFormats_.size(); ++i)
    if (cellFormats_[i].Style == style && cellFormats_[i].Code == code) return first + static_cast<int>(i);
  cellFormats_.push_back({style, code});
  return first + static_cast<int>(cellFormats_.size()) - 1;
}

void WriteXlsxStyles(TTesselXMLWriter& xml, const TTesselXlsxOptions& options, const TXlsxNumberFormats& formats) {
  const std::vector<const TXlsxCellStyle*> styles = StylesInOrder(options);
  xml.OpenElement("styleSheet", {}, {{"xmlns", ooxml::kSpreadsheetML}});
  WriteNumberFormats(xml, formats);
  WriteFonts(xml, styles);
  WriteFills(xml, styles);
  WriteBorders(xml, styles);
  xml.WriteRawLn(
      "<cellStyleXfs count=\"1\" ><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" /></cellStyleXfs>");
  WriteCellFormats(xml, styles, formats);
  xml.WriteRawLn(
      "<cellStyles count=\"1\" ><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\" /></cellStyles>");
  xml.WriteRaw(
      "<dxfs count=\"0\" /><tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium9\" "
      "defaultPivotStyle=\"PivotStyleLight16\" /><colors/>");
  xml.CloseElement("styleSheet", true);
}

}  // namespace verimo
