#include "formats/package/docx/DocxDocument.h"

#include <algorithm>

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {
namespace {

// The margins between a cell's edges and its text, left and right, in twips.
constexpr int kCellMargin = 57;

int Sum(const std::vector<int>& widths) {
  int total = 0;
  for (int width : widths) total += width;
  return total;
}

void AppendAttribute(std::string& out, const char* name, WideStringView value) {
  out += name;
  out += "=\"";
  AppendXmlEscaped(value, TXmlBreaks::References, out);
  out += "\" ";
}

const char* JustificationName(TMSCellAlignment alignment) {
  switch (alignment) {
    case caRight: return "right";
    case caCenter: return "center";
    case caJustify: return "both";
    default: return nullptr;
  }
}

// Run properties in the schema's order.
void AppendRunProperties(std::string& out, const TDocxCellStyle& style) {
  const TPackageFont& font = style.Font;
  out += "<w:rPr>";
  if (font.Name != u"Calibri") {
    out += "<w:rFonts ";
    AppendAttribute(out, "w:ascii", font.Name);
    AppendAttribute(out, "w:hAnsi", font.Name);
    AppendAttribute(out, "w:cs", font.Name);
    out += "/>";
  }
  if (font.Bold) out += "<w:b/>";
  if (font.Italic) out += "<w:i/>";
  if (font.StrikeOut) out += "<w:strike/>";
  if (font.Color != clBlack) out += "<w:color w:val=\"" + RgbHex(font.Color) + "\" />";
  if (font.Size != 11) {
    const std::string halfPoints = std::to_string(font.Size * 2);
    out += "<w:sz w:val=\"" + halfPoints + "\" /><w:szCs w:val=\"" + halfPoints + "\" />";
  }
  if (style.UseHighlight && style.HighlightColor != hcNone) {
    out += "<w:highlight ";
    AppendAttribute(out, "w:val", DocxHighlightName(style.HighlightColor));
    out += "/>";
  }
  if (font.Underline) out += "<w:u w:val=\"single\" />";
  out += "<w:lang w:val=\"en-US\" /></w:rPr>";
}

void AppendBorders(std::string& out, const TDocxBorder& border) {
  out += "<w:tcBorders>";
  std::string attributes;
  AppendAttribute(attributes, "w:val", DocxBorderStyleName(border.Style));
  attributes += "w:sz=\"4\" w:space=\"0\" w:color=\"" + RgbHex(border.Color) + "\" ";
  for (const char* side : {"w:top", "w:left", "w:bottom", "w:right"}) out += std::string("<") + side + " " + attributes + "/>";
  out += "</w:tcBorders>";
}

}  // namespace

TDocxDocument::TDocxDocument(TStream& stream) : xml_(std::make_unique<TTesselXMLWriter>(stream)) {}

TDocxDocument::~TDocxDocument() = default;

void TDocxDocument::Begin(const std::vector<int>& widths) {
  WriteDocumentStart();
  BeginTable(widths);
}

void TDocxDocument::WriteDocumentStart() {
  xml_->WriteDeclaration("1.0", "UTF-8", "yes");
  xml_->OpenElement("w:document", {},
                    {{"xmlns:ve", ooxml::kMarkupCompatibility},
                     {"xmlns:o", ooxml::kOffice},
                     {"xmlns:o12", ooxml::kOffice12Core},
                     {"xmlns:r", ooxml::kDocumentRelationships},
                     {"xmlns:m", ooxml::kOfficeMath},
                     {"xmlns:v", ooxml::kVml},
                     {"xmlns:wp", ooxml::kWordprocessingDrawing},
                     {"xmlns:w10", ooxml::kOfficeWord},
                     {"xmlns:w", ooxml::kWordprocessingML}});
  xml_->WriteRaw("<w:body>");
}

void TDocxDocument::PageBreak() { xml_->WriteRaw("<w:p><w:r><w:br w:type=\"page\" /></w:r></w:p>"); }

void TDocxDocument::BeginTable(const std::vector<int>& widths) {
  rowCount_ = 0;
  const std::string margin = std::to_string(kCellMargin);
  xml_->WriteRaw("<w:tbl><w:tblPr><w:tblStyle w:val=\"TableGrid\" /><w:tblW w:w=\"" +
                 std::to_string(Sum(widths)) +
                 "\" w:type=\"dxa\" /><w:tblLayout w:type=\"fixed\" /><w:tblCellMar><w:left w:w=\"" + margin +
                 "\" w:type=\"dxa\" /><w:right w:w=\"" + margin +
                 "\" w:type=\"dxa\" /></w:tblCellMar><w:tblLook w:val=\"04A0\" /></w:tblPr>");
}

void TDocxDocument::WriteGrid(const std::vector<int>& widths) {
  std::string grid = "<w:tblGrid>";
  for (int width : widths) grid += "<w:gridCol w:w=\"" + std::to_string(width) + "\" />";
  grid += "</w:tblGrid>";
  xml_->WriteRaw(grid);
}

void TDocxDocument::BeginRow() {
  ++rowCount_;
  xml_->WriteRaw("<w:tr w:rsidR=\"003E55F7\" w:rsidTr=\"003E55F7\" >");
}

void TDocxDocument::EndRow() { xml_->WriteRaw("</w:tr>"); }

// Each line of the text is one w:t; CR LF, CR and LF each become a w:br.
void TDocxDocument::WriteRunText(WideStringView text) {
  if (text.empty()) {
    cell_ += "<w:t/>";
    return;
  }
  size_t start = 0;
  for (;;) {
    size_t end = text.find_first_of(u"\r\n", start);
    const WideStringView line = text.substr(start, end == WideStringView::npos ? WideStringView::npos : end - start);
    if (!line.empty()) {
      cell_ += TTesselXMLWriter::NeedsPreserve(line) ? "<w:t xml:space=\"preserve\">" : "<w:t>";
      AppendXmlEscaped(line, TXmlBreaks::Plain, cell_);
      cell_ += "</w:t>";
    }
    if (end == WideStringView::npos) break;
    cell_ += "<w:br/>";
    if (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
}

void TDocxDocument::WriteCell(WideStringView text, const TDocxCellStyle& style, const TDocxBorder* border, int width,
                              int span) {
  cell_.assign("<w:tc><w:tcPr><w:tcW w:w=\"");
  cell_ += std::to_string(width);
  cell_ += "\" w:type=\"dxa\" />";
  if (span > 1) cell_ += "<w:gridSpan w:val=\"" + std::to_string(span) + "\" />";
  if (border) AppendBorders(cell_, *border);
  if (style.UseBackground && style.BackgroundColor != clWhite)
    cell_ += "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" + RgbHex(style.BackgroundColor) + "\" />";
  cell_ += "</w:tcPr><w:p><w:pPr>";
  if (const char* jc = JustificationName(style.Alignment)) cell_ += std::string("<w:jc w:val=\"") + jc + "\" />";
  cell_ += "<w:rPr><w:lang w:val=\"en-US\" /></w:rPr></w:pPr><w:r w:rsidR=\"003E55F7\" >";
  AppendRunProperties(cell_, style);
  WriteRunText(text);
  cell_ += "</w:r></w:p></w:tc>";
  xml_->WriteRaw(cell_);
}

void TDocxDocument::EndTable(const std::vector<int>& widths) {
  if (rowCount_ == 0) {
    const TDocxCellStyle plain;
    BeginRow();
    for (int width : widths) WriteCell({}, plain, nullptr, width);
    if (widths.empty()) WriteCell({}, plain, nullptr, 0);
    EndRow();
  }
  xml_->WriteRaw("</w:tbl>");
}

void TDocxDocument::AppendPart(TStream& part) { xml_->WriteRawFrom(part); }

void TDocxDocument::EndBody(TTesselPageOrientation orientation) {
  xml_->WriteRaw("<w:p/><w:sectPr w:rsidR=\"00584319\" w:rsidSect=\"00584319\" >");
  if (orientation == poLandscape) {
    xml_->WriteRaw(
        "<w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\" />"
        "<w:pgMar w:top=\"1701\" w:right=\"1134\" w:bottom=\"850\" w:left=\"1134\" w:header=\"708\" "
        "w:footer=\"708\" w:gutter=\"0\" />");
  } else {
    xml_->WriteRaw(
        "<w:pgSz w:w=\"11906\" w:h=\"16838\" />"
        "<w:pgMar w:top=\"1134\" w:right=\"850\" w:bottom=\"1134\" w:left=\"1701\" w:header=\"708\" "
        "w:footer=\"708\" w:gutter=\"0\" />");
  }
  xml_->WriteRaw("<w:cols w:space=\"708\" /><w:docGrid w:linePitch=\"360\" /></w:sectPr></w:body></w:document>");
  xml_->Flush();
  xml_.reset();
}

void TDocxDocument::Flush() { xml_->Flush(); }

}  // namespace verimo
