#include "formats/package/odf/TesselODS.h"

#include <exception>

#include "core/Exception.h"
#include "engine/TesselLocale.h"
#include "formats/package/odf/BaseODFFile.h"
#include "formats/package/odf/OdfText.h"
#include "formats/package/odf/OdsCellValue.h"
#include "resources/StringTable.h"

namespace verimo {
namespace {

const std::string kDataStyle = "DataStyle";

void AppendCellStart(std::string& out, std::string_view style) {
  out += "<table:table-cell table:style-name=\"";
  out += style;
  out += "\" ";
}

void AppendParagraph(std::string& out, WideStringView text) {
  if (text.empty()) {
    out += "<text:p/>";
    return;
  }
  out += "<text:p>";
  AppendODFText(out, text);
  out += "</text:p>";
}

// One paragraph per line (CR LF, CR or LF end a line): spreadsheet
// applications keep the lines of a cell as paragraphs, not as breaks.
void AppendLines(std::string& out, WideStringView text) {
  size_t start = 0;
  for (;;) {
    size_t end = text.find_first_of(u"\r\n", start);
    AppendParagraph(out, text.substr(start, end == WideStringView::npos ? WideStringView::npos : end - start));
    if (end == WideStringView::npos) return;
    if (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
}

}  // namespace

TTesselODS::TTesselODS() : SheetName(TTesselLocale::Instance().LoadText(res::kDefaultSheetName)) {
  published_.Captions = true;
  published_.UserFormats = true;
  published_.Formats = true;
}

TTesselODS::~TTesselODS() = default;

void TTesselODS::BeginExport() {
  TTesselAdvancedText::BeginExport();
  records_ = 0;
  rows_ = 0;
  stripNames_.clear();
  for (int i = 1; i <= ODSOptions.StripCount(); ++i) stripNames_.push_back("StripStyle" + std::to_string(i));
  package_ = std::make_unique<TBaseODFFile>();
  package_->DocumentKind = TBaseODFFile::dkSpreadsheet;
  package_->SetOutputFileName(FileName);
  package_->WriteMetaAndManifest();
  const TTesselODSOptions& options = ODSOptions;
  TTesselXMLWriter& table = package_->OpenTableFragment([&](std::string& out) { AppendODSFontFaces(out, options); },
                                                        [&](std::string& out) { AppendODSAutomaticStyles(out, options); });
  line_.assign("<table:table ");
  AppendODFAttribute(line_, "table:name", SheetName);
  line_ += "table:style-name=\"DefaultTableStyle\" >\r\n";
  for (int i = 0; i < std::max(Columns().Count(), 1); ++i)
    line_ += "<table:table-column table:style-name=\"DefaultColumnStyle\" />";
  line_ += "\r\n";
  table.WriteRaw(line_);
  if (!Header.IsEmpty()) WriteTextCellRow("Header", Header);
}

void TTesselODS::BeginRow() {
  ++rows_;
  line_.assign("<table:table-row table:style-name=\"DefaultRowStyle\" >");
}

void TTesselODS::EndRow() {
  line_ += "</table:table-row>\r\n";
  package_->Table().WriteRaw(line_);
}

void TTesselODS::WriteTextCellRow(std::string_view style, const TStringList& lines) {
  BeginRow();
  AppendCellStart(line_, style);
  line_ += "office:value-type=\"string\" >";
  for (const WideString& text : lines) AppendLines(line_, EscapeText(text));
  line_ += "</table:table-cell>\r\n";
  EndRow();
}

void TTesselODS::WriteCaptionRow() {
  if (!package_) return;
  BeginRow();
  for (int i = 0; i < Columns().Count(); ++i) {
    AppendCellStart(line_, "CaptionRow");
    line_ += "office:value-type=\"string\" >";
    AppendLines(line_, GetColCaption(i));
    line_ += "</table:table-cell>\r\n";
  }
  EndRow();
}

const std::string& TTesselODS::DataCellStyle(int column) const {
  const int strips = static_cast<int>(stripNames_.size());
  if (strips == 0) return kDataStyle;
  const int position = ODSOptions.StripStyle == ssColumn ? column + 1 : records_;
  return stripNames_[static_cast<size_t>(ODFStripNumber(position, strips) - 1)];
}

void TTesselODS::WriteDataRow() {
  if (!package_) return;
  ++records_;
  BeginRow();
  const TTesselRow& row = Row();
  for (int i = 0; i < row.Count(); ++i) {
    AppendCellStart(line_, DataCellStyle(i));
    const WideString text = GetCellText(row[i]);
    if (text.empty()) {
      line_ += "/>\r\n";
      continue;
    }
    if (Columns().IsNull(i)) {
      line_ += "office:value-type=\"string\" ";
    } else {
      AppendODSValueAttributes(line_, Columns()[i].ColType, row[i].Value);
    }
    line_ += '>';
    AppendLines(line_, text);
    line_ += "</table:table-cell>\r\n";
  }
  EndRow();
}

void TTesselODS::FinishPackage() {
  if (!Footer.IsEmpty()) WriteTextCellRow("Footer", Footer);
  // A table needs a row; an export of nothing gets one empty cell.
  if (rows_ == 0) {
    BeginRow();
    line_ += "<table:table-cell/>";
    EndRow();
  }
  package_->Table().WriteRaw("</table:table>\r\n");
  const TTesselODSOptions& options = ODSOptions;
  package_->BuildPackage([&](std::string& out) { AppendODSFontFaces(out, options); },
                         [&](std::string& out) { AppendODSCommonStyles(out, options); });
}

// Also runs when the run fails: then the package is thrown away with its
// staging folder instead of being zipped.
void TTesselODS::EndExport() {
  ReleasePackageAfter(package_, [this] {
    if (package_ && std::uncaught_exceptions() == 0) FinishPackage();
  });
  TTesselAdvancedText::EndExport();
}

void TTesselODS::Execute() {
  if (SheetName.empty()) throw Exception("Sheet name is not defined");
  if (FileName.empty()) throw Exception("File name is not defined");
  ReleasePackageAfter(package_, [this] { RunExport(); });
  ShowResult();
}

void TTesselODS::SaveSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::SaveSettings(settings);
  SaveODSSettings(settings, ODSOptions, SheetName);
}

void TTesselODS::LoadSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::LoadSettings(settings);
  LoadODSSettings(settings, ODSOptions, SheetName);
}

}  // namespace verimo
