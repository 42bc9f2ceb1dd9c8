#include "formats/package/xlsx/XlsxWorksheet.h"

#include <algorithm>
#include <charconv>

#include "formats/package/BaseArchiveClass.h"
#include "formats/package/DeflatedPart.h"
#include "formats/package/OfficeNamespaces.h"
#include "formats/package/PackagePart.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {
namespace {

template <typename T>
void AppendNumber(std::string& out, T value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

}  // namespace

std::string XlsxColumnName(int n) {
  std::string name;
  while (n > 0) {
    const int digit = (n - 1) % 26;
    name.insert(name.begin(), static_cast<char>('A' + digit));
    n = (n - 1) / 26;
  }
  return name;
}

TXlsxWorksheet::TXlsxWorksheet(const std::filesystem::path& deflatedFile)
    : part_(std::make_unique<TDeflatedPart>(deflatedFile, TBaseArchiveClass::kLevel, TDeflatedPart::TMode::InWorker)) {
  line_.reserve(2 * kRowsFlushSize);
}

TXlsxWorksheet::~TXlsxWorksheet() = default;

void TXlsxWorksheet::BeginRow(int number, int cellCount) {
  row_ = number;
  ++rowCount_;
  maxColumns_ = std::max(maxColumns_, cellCount);
  rowDigits_.clear();
  AppendNumber(rowDigits_, number);
  line_ += "<row r=\"";
  line_ += rowDigits_;
  line_ += "\" spans=\"1:";
  AppendNumber(line_, std::max(cellCount, 1));
  line_ += "\" >";
}

void TXlsxWorksheet::BeginCell(int column, int style) {
  while (columnNames_.size() <= static_cast<size_t>(column))
    columnNames_.push_back(XlsxColumnName(static_cast<int>(columnNames_.size()) + 1));
  line_ += "<c r=\"";
  line_ += columnNames_[static_cast<size_t>(column)];
  line_ += rowDigits_;
  line_ += "\" s=\"";
  AppendNumber(line_, style);
}

void TXlsxWorksheet::AddCell(int column, int style, int64_t stringIndex) {
  BeginCell(column, style);
  if (stringIndex < 0) {
    line_ += "\" />\r\n";
    return;
  }
  line_ += "\" t=\"s\" ><v>";
  AppendNumber(line_, stringIndex);
  line_ += "</v></c>\r\n";
}

void TXlsxWorksheet::AddNumberCell(int column, int style, std::string_view value) {
  BeginCell(column, style);
  line_ += "\" ><v>";
  line_ += value;
  line_ += "</v></c>\r\n";
}

void TXlsxWorksheet::AddBooleanCell(int column, int style, bool value) {
  BeginCell(column, style);
  line_ += value ? "\" t=\"b\" ><v>1</v></c>\r\n" : "\" t=\"b\" ><v>0</v></c>\r\n";
}

void TXlsxWorksheet::EndRow() {
  line_ += "</row>\r\n";
  if (line_.size() < kRowsFlushSize) return;
  part_->Write(line_.data(), line_.size());
  line_.clear();
}

void TXlsxWorksheet::Close() {
  if (closed_) return;
  closed_ = true;
  line_ += "</sheetData>\r\n<printOptions/><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
           "header=\"0.3\" footer=\"0.3\" /><headerFooter/></worksheet>\r\n";
  part_->Write(line_.data(), line_.size());
  line_.clear();
  part_->Finish();
}

TDeflatedPart& TXlsxWorksheet::CompleteWithHead(const std::vector<int>& columnWidths) {
  part_->PrependHead(Head(columnWidths));
  return *part_;
}

std::string TXlsxWorksheet::Head(const std::vector<int>& columnWidths) const {
  const std::string range =
      rowCount_ == 0 ? "A1" : "A1:" + XlsxColumnName(std::max(maxColumns_, 1)) + std::to_string(row_);
  return WritePartString([&](TTesselXMLWriter& xml) {
    xml.OpenElement("worksheet", {}, {{"xmlns", ooxml::kSpreadsheetML}, {"xmlns:r", ooxml::kDocumentRelationships}});
    xml.WriteElement("dimension", {}, {{"ref", Utf8ToWide(range)}});
    xml.WriteRaw(Selected ? "<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\" >"
                          : "<sheetViews><sheetView workbookViewId=\"0\" >");
    xml.WriteRaw("<selection/></sheetView>\r\n");
    xml.WriteRawLn("</sheetViews>");
    xml.WriteElement("sheetFormatPr", {}, {{"defaultRowHeight", u"15"}});
    if (!columnWidths.empty()) {
      std::string cols = "<cols>";
      for (size_t i = 0; i < columnWidths.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        cols += "<col min=\"" + n + "\" max=\"" + n + "\" width=\"" + std::to_string(columnWidths[i]) +
                "\" customWidth=\"1\" />";
      }
      xml.WriteRaw(cols + "</cols>");
    }
    xml.OpenElement("sheetData");
  });
}

}  // namespace verimo
