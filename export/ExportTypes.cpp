#include "export/ExportTypes.h"

#include <algorithm>

#include "export/ExportOptions.h"
#include "formats/database/ADO_TesselAccess.h"
#include "formats/database/TesselDBF.h"
#include "formats/package/docx/TesselDocx.h"
#include "formats/package/odf/TesselODS.h"
#include "formats/package/odf/TesselODT.h"
#include "formats/package/xlsx/TesselXlsx.h"
#include "formats/pdf/TesselPDF.h"
#include "formats/rtf/TesselRTF.h"
#include "formats/text/TesselASCII.h"
#include "formats/text/TesselClipboard.h"
#include "formats/text/TesselHTML.h"
#include "formats/text/TesselLaTeX.h"
#include "formats/text/TesselSQL.h"
#include "formats/text/TesselXML.h"
#include "formats/text/TesselXMLText.h"
#include "formats/xls/TesselXLS.h"

namespace verimo {
namespace {

using TClass = TExporterClass;

// ---- creating the exporters

template <typename T>
std::unique_ptr<TTessel> Create(const TExporterServices& services) {
  auto exporter = std::make_unique<T>();
  if (services.shellLauncher) exporter->ShellLauncher = services.shellLauncher;
  return exporter;
}

std::unique_ptr<TTessel> CreateClipboard(const TExporterServices& services) {
  auto exporter = std::make_unique<TTesselClipboard>();
  exporter->Clipboard = services.clipboard;
  return exporter;
}

template <TTesselASCIIType kind>
void SelectAscii(TTessel& exporter) {
  auto& ascii = static_cast<TTesselASCII&>(exporter);
  if (ascii.ExportType() != kind) ascii.SetExportType(kind);
}

// ---- the option objects into the exporters

void NoOptions(TTessel&, const TExportTypeOptions&, const std::string&) {}

template <TTesselASCIIType kind>
void CopyAsciiOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string&) {
  auto& ascii = static_cast<TTesselASCII&>(exporter);
  ascii.SetExportType(kind);
  ascii.CSVComma = options.CSVOptions.Comma;
  ascii.CSVQuote = options.CSVOptions.Quote;
  ascii.CSVQuoteStrings = options.CSVOptions.QuoteStrings;
  ascii.TXTSpacing = options.TXTOptions.ColSpacing;
  if (kind == etTXT) ascii.AutoCalcColWidth = options.TXTOptions.AutoCalcColWidth;
}

void CopySQLOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string& fileName) {
  auto& sql = static_cast<TTesselSQL&>(exporter);
  sql.Options = options.SQLOptions;
  if (sql.Options.TableName.empty())
    sql.Options.TableName = sql::TableNameFromFileName(fileName, sql.Options.ScriptType);
}

void CopyXMLOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string&) {
  auto& xmlExporter = static_cast<TTesselXML&>(exporter);
  const TTesselXMLOptions& from = options.XMLOptions;
  xmlExporter.Options.StandAlone = from.Standalone;
  xmlExporter.Options.Encoding = from.Encoding;
  xmlExporter.SetOutputEncoding(xml::OutputEncodingForName(from.Encoding));
  xmlExporter.DocumentType = from.DocumentType == 1 ? xtAccess : xtDatapacket2;
  xmlExporter.ExportXSDSchema = from.ExportXSDSchema;
}

void CopyHTMLOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string&) {
  CopyHTMLOptionsTo(options.HTMLPageOptions, options.HTMLTableOptions, options.HTMLMultiFileOptions,
                    static_cast<TTesselHTML&>(exporter));
}

void CopyXLSOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string&) {
  auto& xls = static_cast<TTesselXLS&>(exporter);
  const TTesselXLSOptions& from = options.XLSOptions;
  xls.Options = from.Sheet;
  static_cast<TxlsSheetItems&>(xls) = from.Items;
  xls.Background.FileName = WideToUtf8(from.PageBackground);
  xls.Pictures = from.Pictures;
}

void CopyXlsxOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string&) {
  auto& xlsx = static_cast<TTesselXlsx&>(exporter);
  xlsx.XlsxOptions = options.XlsxOptions;
  xlsx.SetSheetName(options.XlsxSheetName);
}

void CopyDocxOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string&) {
  static_cast<TTesselDocx&>(exporter).DocxOptions = options.DocxOptions;
}

void CopyODSOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string&) {
  auto& ods = static_cast<TTesselODS&>(exporter);
  ods.ODSOptions = options.ODSOptions;
  if (!options.ODSSheetName.empty()) ods.SheetName = options.ODSSheetName;
}

void CopyODTOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string&) {
  auto& odt = static_cast<TTesselODT&>(exporter);
  odt.ODTOptions = options.ODTOptions;
  if (!options.ODTTableName.empty()) odt.TableName = options.ODTTableName;
}

void CopyPDFOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string&) {
  static_cast<TTesselPDF&>(exporter).Options = options.PDFOptions;
}

void CopyRTFOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string&) {
  static_cast<TTesselRTF&>(exporter).Options = options.RTFOptions;
}

// An unnamed table is "ExportTable".
void CopyAccessOptions(TTessel& exporter, const TExportTypeOptions& options, const std::string&) {
  auto& access = static_cast<TADO_TesselAccess&>(exporter);
  access.Password = options.AccessOptions.Password;
  access.TableName = options.AccessOptions.TableName.empty() ? WideString(u"ExportTable")
                                                             : options.AccessOptions.TableName;
  access.AutoCreateTable = options.AccessOptions.CreateTable;
}

// ---- companion files

std::vector<std::filesystem::path> NoCompanions(const std::string&) { return {}; }
std::vector<std::filesystem::path> DBFCompanions(const std::string& fileName) {
  return {TTesselDBF::MemoFileName(fileName)};
}

constexpr const char* kXLSSections =
    "XLS, XLS_FIELD_*, XLS_OPTION_*, XLS_STYLE_*, XLS_HYPERLINK_*, XLS_NOTE_*, XLS_CHART_*, XLS_CELL_*, "
    "XLS_MERGED_CELL_*";
constexpr const char* kRTFSections = "RTF, RTF_STYLE_*, RTF_STRIP_STYLE_*";
constexpr const char* kPDFSections = "PDF, PDF_OPTION_HEADER, PDF_OPTION_CAPTION, PDF_OPTION_DATA, PDF_OPTION_FOOTER";

constexpr std::array<TExportTypeInfo, kExportTypeCount> kExportTypes = {{
    {aeXLS, u"MS Excel", u"Microsoft Excel Belgesi (*.xls)|*.xls", u"xls", TOptionsPage::Excel, kXLSSections,
     TClass::XLS, Create<TTesselXLS>, nullptr, CopyXLSOptions, NoCompanions, false, true},
    {aeWord, u"MS Word", u"Microsoft Word Belgesi (*.doc)|*.doc", u"doc", TOptionsPage::WordRTF, kRTFSections,
     TClass::RTF, Create<TTesselRTF>, nullptr, CopyRTFOptions, NoCompanions, true, true},
    {aeRTF, u"RTF", u"Zengin Metin Biçimi (*.rtf)|*.rtf", u"rtf", TOptionsPage::WordRTF, kRTFSections, TClass::RTF,
     Create<TTesselRTF>, nullptr, CopyRTFOptions, NoCompanions, true, true},
    {aeHTML, u"HTML", u"Web Sayfası (*.html, *.htm)|*.html;*.htm", u"html", TOptionsPage::HTML, "HTML", TClass::HTML,
     Create<TTesselHTML>, nullptr, CopyHTMLOptions, NoCompanions, true, false},
    {aeXML, u"XML", u"XML Biçimi (*.xml)|*.xml", u"xml", TOptionsPage::XML, "XML", TClass::XML, Create<TTesselXML>,
     nullptr, CopyXMLOptions, NoCompanions, false, false},
    {aeDBF, u"DBF", u"DBF (dBASE) (*.dbf)|*.dbf", u"dbf", TOptionsPage::None, "", TClass::DBF, Create<TTesselDBF>,
     nullptr, NoOptions, DBFCompanions, false, false},
    {aePDF, u"PDF", u"PDF Döküman (*pdf)|*.pdf", u"pdf", TOptionsPage::PDF, kPDFSections, TClass::PDF,
     Create<TTesselPDF>, nullptr, CopyPDFOptions, NoCompanions, true, true},
    {aeTXT, u"Metin Dosyası", u"Metin Belgesi (*.txt)|*.txt", u"txt", TOptionsPage::ASCII, "TXT, ASCII",
     TClass::ASCII, Create<TTesselASCII>, SelectAscii<etTXT>, CopyAsciiOptions<etTXT>, NoCompanions, true, true},
    {aeCSV, u"CSV Dosyası", u"CSV (Virgülle ayrılmış) (*.csv)|*.csv", u"csv", TOptionsPage::ASCII, "CSV, ASCII",
     TClass::ASCII, Create<TTesselASCII>, SelectAscii<etCSV>, CopyAsciiOptions<etCSV>, NoCompanions, true, true},
    {aeDIFF, u"Veri Takas Biçimi (DIF)", u"DIF (veri takas biçimi) (*.dif)|*.dif", u"dif", TOptionsPage::None,
     "ASCII", TClass::ASCII, Create<TTesselASCII>, SelectAscii<etDIF>, CopyAsciiOptions<etDIF>, NoCompanions, true,
     true},
    {aeSylk, u"SYLK Dosyası", u"SYLK (Simgesel bağlantı) (*.slk)|*.slk", u"slk", TOptionsPage::None, "ASCII",
     TClass::ASCII, Create<TTesselASCII>, SelectAscii<etSYLK>, CopyAsciiOptions<etSYLK>, NoCompanions, true, true},
    {aeLaTeX, u"LaTeX", u"LaTeX Biçimi (*.tex)|*.tex", u"tex", TOptionsPage::None, "", TClass::LaTeX,
     Create<TTesselLaTeX>, nullptr, NoOptions, NoCompanions, false, false},
    {aeSQL, u"SQL", u"SQL Biçimi (*.sql)|*.sql", u"sql", TOptionsPage::SQL, "SQL", TClass::SQL, Create<TTesselSQL>,
     nullptr, CopySQLOptions, NoCompanions, false, false},
    {aeClipboard, u"Windows Pano", u"", u"", TOptionsPage::None, "", TClass::Clipboard, CreateClipboard, nullptr,
     NoOptions, NoCompanions, false, false},
    {aeODS, u"ODS Hesap Tablosu", u"ODS Belgesi (*.ods)|*.ods", u"ods", TOptionsPage::ODS,
     "ODS, ODS_STYLE_*, ODS_STRIP_STYLE_*", TClass::ODS, Create<TTesselODS>, nullptr, CopyODSOptions, NoCompanions,
     false, false},
    {aeODT, u"ODT Metin Belgesi", u"ODT Belgesi (*.odt)|*.odt", u"odt", TOptionsPage::ODT,
     "ODT, ODT_STYLE_*, ODT_STRIP_STYLE_*", TClass::ODT, Create<TTesselODT>, nullptr, CopyODTOptions, NoCompanions,
     false, false},
    {aeXlsx, u"MS Excel 2007", u"Microsoft Excel 2007 Belgesi (*.xlsx)|*.xlsx", u"xlsx", TOptionsPage::Xlsx,
     "XLSX, XLSX_OPTIONS_*, XLSX_STRIP_STYLE_*", TClass::Xlsx, Create<TTesselXlsx>, nullptr, CopyXlsxOptions,
     NoCompanions, false, false},
    {aeDocx, u"MS Word 2007", u"Microsoft Word 2007 Belgesi (*.docx)|*.docx", u"docx", TOptionsPage::Docx,
     "DOCX, DOCX_OPTIONS_*, DOCX_STRIP_STYLE_*", TClass::Docx, Create<TTesselDocx>, nullptr, CopyDocxOptions,
     NoCompanions, false, false},
    {aeAccess, u"MS Access", u"Microsoft Access Veritabanları (*.mdb)|*.mdb", u"mdb", TOptionsPage::Access, "ACCESS",
     TClass::Access, Create<TADO_TesselAccess>, nullptr, CopyAccessOptions, NoCompanions, false, false},
}};

bool IsOneOf(TAllowedExport type, std::initializer_list<TAllowedExport> types) {
  for (TAllowedExport candidate : types)
    if (candidate == type) return true;
  return false;
}

}  // namespace

const TExportTypeInfo& ExportTypeInfo(TAllowedExport type) { return kExportTypes.at(type); }

std::optional<TAllowedExport> ExportTypeFromNumber(int number) {
  if (number < 0 || number >= kExportTypeCount) return std::nullopt;
  return static_cast<TAllowedExport>(number);
}

std::vector<std::string> ExtensionsOf(TAllowedExport type) {
  const std::u16string_view filter = ExportTypeInfo(type).filter;
  std::vector<std::string> extensions;
  const size_t bar = filter.find(u'|');
  if (bar == std::u16string_view::npos) return extensions;
  std::u16string_view patterns = filter.substr(bar + 1);
  while (!patterns.empty()) {
    const size_t end = patterns.find(u';');
    const std::u16string_view pattern = patterns.substr(0, end);
    if (pattern.size() > 2 && pattern.substr(0, 2) == u"*.") extensions.push_back(WideToUtf8(pattern.substr(2)));
    if (end == std::u16string_view::npos) break;
    patterns.remove_prefix(end + 1);
  }
  // SYLK files are also named by the format's full name.
  if (type == aeSylk) extensions.push_back("sylk");
  return extensions;
}

std::optional<TAllowedExport> ExportTypeFromExtension(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  if (extension.empty()) return std::nullopt;
  std::string lower;
  for (char c : extension) {
    if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    lower.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  }
  for (const TExportTypeInfo& info : kExportTypes) {
    const std::vector<std::string> extensions = ExtensionsOf(info.type);
    if (std::find(extensions.begin(), extensions.end(), lower) != extensions.end()) return info.type;
  }
  return std::nullopt;
}

std::string SettingsSectionsOf(TAllowedExport type) {
  std::string sections;
  auto add = [&sections](std::string_view name) {
    if (name.empty()) return;
    if (!sections.empty()) sections += ", ";
    sections += name;
  };
  if (ShowsFormatsPage(type)) add("FORMATS, USER_FORMATS");
  if (ShowsHeaderFooterPage(type)) add("HEADER, FOOTER");
  if (ShowsCaptionsPage(type)) add("CAPTIONS");
  if (SavesColumnAlign(type)) add("ALIGN");
  if (SavesColumnWidth(type)) add("WIDTH");
  add(ExportTypeInfo(type).ownSections);
  return sections;
}

bool ShowsFormatsPage(TAllowedExport type) { return !IsOneOf(type, {aeDBF, aeSQL, aeAccess}); }
bool ShowsHeaderFooterPage(TAllowedExport type) { return !IsOneOf(type, {aeXML, aeDBF, aeAccess}); }
bool ShowsCaptionsPage(TAllowedExport type) { return !IsOneOf(type, {aeXML, aeDBF, aeSQL}); }

bool EnablesSeparators(TAllowedExport type) {
  return IsOneOf(type, {aeWord, aeRTF, aeHTML, aeXML, aePDF, aeTXT, aeCSV, aeDIFF, aeSylk, aeClipboard,
                        aeODS, aeODT, aeDocx});
}

bool SavesColumnAlign(TAllowedExport type) { return IsOneOf(type, {aeWord, aeRTF, aeHTML, aePDF, aeTXT}); }
bool SavesColumnWidth(TAllowedExport type) { return IsOneOf(type, {aeXLS, aeWord, aeRTF, aePDF, aeTXT}); }

bool WritesFile(TAllowedExport type) { return ExportTypeInfo(type).extension[0] != u'\0'; }
bool WritesNamedTable(TAllowedExport type) { return ExportTypeInfo(type).exporterClass == TExporterClass::Access; }
bool WritesSqlScript(TAllowedExport type) { return ExportTypeInfo(type).exporterClass == TExporterClass::SQL; }

std::string ReplaceFileExt(const std::string& fileName, TAllowedExport type) {
  const std::string extension = WideToUtf8(ExportTypeInfo(type).extension);
  const size_t nameStart = fileName.find_last_of('/');
  const size_t dot = fileName.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
  const std::string stem = hasExtension ? fileName.substr(0, dot) : fileName;
  return stem + "." + extension;
}

}  // namespace verimo
