#include "formats/package/odf/TesselODT.h"

#include <algorithm>
#include <charconv>
#include <exception>

#include "core/Exception.h"
#include "engine/TesselLocale.h"
#include "engine/TesselStream.h"
#include "formats/package/PackageTableFit.h"
#include "formats/package/odf/BaseODFFile.h"
#include "formats/package/odf/OdfText.h"
#include "resources/StringTable.h"

namespace verimo {

namespace {

// The page: A4 with margins of 2 cm all round; the text widths in points;
// what a cell adds to its text (padding and borders).
constexpr double kPointsPerCm = 72 / 2.54;
constexpr double kPortraitTextWidth = (21.0 - 4.0) * kPointsPerCm;
constexpr double kLandscapeTextWidth = (29.7 - 4.0) * kPointsPerCm;
constexpr double kCellPadding = 4.0;

std::string Points(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  return std::string(buffer, result.ptr) + "pt";
}

}  // namespace

TTesselODT::TTesselODT() : TableName(TTesselLocale::Instance().LoadText(res::kDefaultTableName)) {
  published_.Captions = true;
  published_.UserFormats = true;
  published_.Formats = true;
}

TTesselODT::~TTesselODT() = default;

void TTesselODT::WriteParagraphs(std::string_view style, const TStringList& lines) {
  line_.clear();
  for (const WideString& text : lines) {
    line_ += "<text:p text:style-name=\"";
    line_ += style;
    line_ += "\" >";
    AppendODFText(line_, EscapeText(text));
    line_ += "</text:p>\r\n";
  }
  package_->Table().WriteRaw(line_);
}

void TTesselODT::BeginExport() {
  TTesselAdvancedText::BeginExport();
  records_ = 0;
  rows_ = 0;
  pending_ = TPendingRow();
  pending_.Texts.reserve(static_cast<size_t>(Columns().Count()));
  FitTableToPage();
  package_ = std::make_unique<TBaseODFFile>();
  package_->DocumentKind = TBaseODFFile::dkText;
  package_->SetOutputFileName(FileName);
  package_->WriteMetaAndManifest();
  const TTesselODTOptions& options = run_;
  package_->OpenTableFragment([&](std::string& out) { AppendODTFontFaces(out, options); },
                              [&](std::string& out) {
                                AppendODTStyles(out, options);
                                AppendTableStyles(out);
                              });
  WriteParagraphs("Header", Header);
  // The tables of the further column groups are written aside and join the
  // document after the first.
  parts_.clear();
  for (size_t g = 0; g < groups_.size(); ++g) {
    if (g > 0) {
      TGroupPart& part = parts_.emplace_back();
      part.stream = CreateTemporaryFileStream();
      part.writer = std::make_unique<TTesselXMLWriter>(*part.stream);
    }
    line_.assign("<table:table ");
    AppendODFAttribute(line_, "table:name", g == 0 ? TableName : TableName + u" (" + IntToWide(g + 1) + u")");
    line_ += "table:style-name=\"" + GroupStyleName(g, "TableStyle") + "\" >\r\n";
    for (size_t k = 0; k < std::max<size_t>(widths_[g].size(), 1); ++k)
      line_ += "<table:table-column table:style-name=\"" + GroupStyleName(g, "ColumnStyle") + std::to_string(k + 1) +
               "\" />";
    line_ += "\r\n";
    GroupWriter(g).WriteRaw(line_);
  }
}

TTesselXMLWriter& TTesselODT::GroupWriter(size_t group) {
  return group == 0 ? package_->Table() : *parts_[group - 1].writer;
}

// "TableStyle", "ColumnStyle" in the first group's table, "Group2TableStyle"
// ... in the others'.
std::string TTesselODT::GroupStyleName(size_t group, const char* name) {
  return group == 0 ? std::string(name) : "Group" + std::to_string(group + 1) + name;
}

// The run's options: its orientation, and its caption, data and strip
// fonts narrowed as far as the table needs (within a floor); the column
// widths in points.
void TTesselODT::FitTableToPage() {
  const TTesselTableFit fit =
      FitPackageTable(*this, TextMeasurer, ODTOptions.CaptionRowStyle.Font, ODTOptions.DataStyle.Font, kCellPadding,
                      poPortrait, true, kPortraitTextWidth, kLandscapeTextWidth);
  run_ = ODTOptions;
  ScalePackageFont(run_.CaptionRowStyle.Font, fit.Scale);
  ScalePackageFont(run_.DataStyle.Font, fit.Scale);
  for (TODTCellParagraphStyle& strip : run_.StripStylesList) ScalePackageFont(strip.Font, fit.Scale);
  orientation_ = fit.Orientation;
  groups_ = fit.Groups;
  widths_ = fit.Widths;
}

// Each table as wide as its columns together, each column at its width;
// the tables after the first begin a page.
void TTesselODT::AppendTableStyles(std::string& out) const {
  for (size_t g = 0; g < widths_.size(); ++g) {
    const std::vector<double>& widths = widths_[g];
    double total = 0;
    for (double width : widths) total += width;
    out += "<style:style style:name=\"" + GroupStyleName(g, "TableStyle") +
           "\" style:family=\"table\" ><style:table-properties style:width=\"" + Points(total) +
           (g > 0 ? "\" fo:break-before=\"page" : "") + "\" table:align=\"left\" /></style:style>\r\n";
    for (size_t k = 0; k < std::max<size_t>(widths.size(), 1); ++k)
      out += "<style:style style:name=\"" + GroupStyleName(g, "ColumnStyle") + std::to_string(k + 1) +
             "\" style:family=\"table-column\" ><style:table-column-properties style:column-width=\"" +
             Points(k < widths.size() ? widths[k] : total) + "\" /></style:style>\r\n";
  }
}

// The page of the document: A4 in the run's orientation.
void TTesselODT::AppendPageStyles(std::string& out) const {
  const bool landscape = orientation_ == poLandscape;
  out += "<office:automatic-styles><style:page-layout style:name=\"PageLayout\" ><style:page-layout-properties "
         "fo:page-width=\"";
  out += landscape ? "29.7cm\" fo:page-height=\"21cm\" style:print-orientation=\"landscape\" "
                   : "21cm\" fo:page-height=\"29.7cm\" style:print-orientation=\"portrait\" ";
  out += "fo:margin-top=\"2cm\" fo:margin-bottom=\"2cm\" fo:margin-left=\"2cm\" fo:margin-right=\"2cm\" />"
         "</style:page-layout></office:automatic-styles>\r\n<office:master-styles><style:master-page "
         "style:name=\"Standard\" style:page-layout-name=\"PageLayout\" /></office:master-styles>\r\n";
}

void TTesselODT::WriteCaptionRow() {
  if (!package_) return;
  pending_.Texts.clear();
  for (int i = 0; i < Columns().Count(); ++i) pending_.Texts.push_back(GetColCaption(i));
  pending_.Captions = true;
  pending_.Held = true;
}

void TTesselODT::WriteDataRow() {
  if (!package_) return;
  if (pending_.Held) WritePendingRow(false);
  ++records_;
  const TTesselRow& row = Row();
  pending_.Texts.resize(static_cast<size_t>(row.Count()));
  for (int i = 0; i < row.Count(); ++i) pending_.Texts[static_cast<size_t>(i)] = GetCellText(row[i]);
  pending_.Captions = false;
  pending_.Record = records_;
  pending_.Held = true;
}

int TTesselODT::StripOf(int column, int record) const {
  const int strips = ODTOptions.StripCount();
  if (strips == 0) return 0;
  return ODFStripNumber(ODTOptions.StripStyle == ssColumn ? column + 1 : record, strips);
}

void TTesselODT::WritePendingRow(bool last) {
  for (size_t g = 0; g < groups_.size(); ++g) WritePendingRow(g, last);
  pending_.Held = false;
  ++rows_;
}

// The held row in the columns of one group's table.
void TTesselODT::WritePendingRow(size_t group, bool last) {
  std::vector<int> all;
  if (groups_[group].empty()) all.push_back(0);
  const std::vector<int>& columns = groups_[group].empty() ? all : groups_[group];
  line_.assign(pending_.Captions ? "<table:table-header-rows><table:table-row>" : "<table:table-row>");
  for (size_t k = 0; k < columns.size(); ++k) {
    const int i = columns[k];
    const int strip = pending_.Captions ? 0 : StripOf(i, pending_.Record);
    const std::string number = strip == 0 ? std::string() : std::to_string(strip);
    line_ += "<table:table-cell table:style-name=\"";
    line_ += ODTCellStylePrefix(ODTOptions.Border, last, k + 1 == columns.size());
    line_ += pending_.Captions ? "CaptionCellRow" : strip == 0 ? "DataCellStyle" : "StripCellStyle";
    line_ += number;
    line_ += "\" office:value-type=\"string\" ><text:p text:style-name=\"";
    line_ += pending_.Captions ? "CaptionRow" : strip == 0 ? "DataStyle" : "StripStyle";
    line_ += number;
    line_ += "\" >";
    if (static_cast<size_t>(i) < pending_.Texts.size()) AppendODFText(line_, pending_.Texts[static_cast<size_t>(i)]);
    line_ += "</text:p></table:table-cell>\r\n";
  }
  line_ += pending_.Captions ? "</table:table-row></table:table-header-rows>\r\n" : "</table:table-row>\r\n";
  GroupWriter(group).WriteRaw(line_);
}

void TTesselODT::AfterExport() {
  TTesselAdvancedText::AfterExport();
  if (package_ && pending_.Held) WritePendingRow(true);
}

void TTesselODT::FinishPackage() {
  if (pending_.Held) WritePendingRow(true);
  // A table needs a row; an export of nothing gets one of empty cells.
  if (rows_ == 0) {
    pending_ = TPendingRow();
    pending_.Texts.assign(static_cast<size_t>(Columns().Count()), WideString());
    WritePendingRow(true);
  }
  package_->Table().WriteRaw("</table:table>\r\n");
  for (TGroupPart& part : parts_) {
    part.writer->WriteRaw("</table:table>\r\n");
    part.writer->Flush();
    package_->Table().WriteRawFrom(*part.stream);
  }
  parts_.clear();
  WriteParagraphs("Footer", Footer);
  const TTesselODTOptions& options = run_;
  package_->BuildPackage([&](std::string& out) { AppendODTFontFaces(out, options); },
                         [&](std::string& out) {
                           out += "<style:style style:name=\"Standard\" style:family=\"paragraph\" />\r\n";
                           AppendODTStyles(out, options);
                         },
                         [this](std::string& out) { AppendPageStyles(out); });
}

// Also runs when the run fails: then the package is thrown away with its
// staging folder instead of being zipped.
void TTesselODT::EndExport() {
  ReleasePackageAfter(package_, [this] {
    if (package_ && !RunFailed()) FinishPackage();
  });
  TTesselAdvancedText::EndExport();
}

void TTesselODT::Execute() {
  if (TableName.empty()) throw Exception("Table name is not defined");
  if (FileName.empty()) throw Exception("File name is not defined");
  ReleasePackageAfter(package_, [this] { RunExport(); });
  ShowResult();
}

void TTesselODT::SaveSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::SaveSettings(settings);
  SaveODTSettings(settings, ODTOptions, TableName);
}

void TTesselODT::LoadSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::LoadSettings(settings);
  LoadODTSettings(settings, ODTOptions, TableName);
}

}  // namespace verimo
