#include "dialog/ExportTypes.h"

namespace verimo {
namespace {

constexpr std::array<TExportTypeInfo, kExportTypeCount> kExportTypes = {{
    {aeXLS, u"MS Excel", u"Microsoft Excel Belgesi (*.xls)|*.xls", u"xls", TOptionsPage::Excel},
    {aeWord, u"MS Word", u"Microsoft Word Belgesi (*.doc)|*.doc", u"doc", TOptionsPage::WordRTF},
    {aeRTF, u"RTF", u"Zengin Metin Biçimi (*.rtf)|*.rtf", u"rtf", TOptionsPage::WordRTF},
    {aeHTML, u"HTML", u"Web Sayfası (*.html, *.htm)|*.html;*.htm", u"html", TOptionsPage::HTML},
    {aeXML, u"XML", u"XML Biçimi (*.xml)|*.xml", u"xml", TOptionsPage::XML},
    {aeDBF, u"DBF", u"DBF (dBASE) (*.dbf)|*.dbf", u"dbf", TOptionsPage::None},
    {aePDF, u"PDF", u"PDF Döküman (*pdf)|*.pdf", u"pdf", TOptionsPage::PDF},
    {aeTXT, u"Metin Dosyası", u"Metin Belgesi (*.txt)|*.txt", u"txt", TOptionsPage::ASCII},
    {aeCSV, u"CSV Dosyası", u"CSV (Virgülle ayrılmış) (*.csv)|*.csv", u"csv", TOptionsPage::ASCII},
    {aeDIFF, u"Veri Takas Biçimi (DIF)", u"DIF (veri takas biçimi) (*.dif)|*.dif", u"dif", TOptionsPage::None},
    {aeSylk, u"SYLK Dosyası", u"SYLK (Simgesel bağlantı) (*.slk)|*.slk", u"slk", TOptionsPage::None},
    {aeLaTeX, u"LaTeX", u"LaTeX Biçimi (*.tex)|*.tex", u"tex", TOptionsPage::None},
    {aeSQL, u"SQL", u"SQL Biçimi (*.sql)|*.sql", u"sql", TOptionsPage::SQL},
    {aeClipboard, u"Windows Pano", u"", u"", TOptionsPage::None},
    {aeODS, u"ODS Hesap Tablosu", u"ODS Belgesi (*.ods)|*.ods", u"ods", TOptionsPage::ODS},
    {aeODT, u"ODT Metin Belgesi", u"ODT Belgesi (*.odt)|*.odt", u"odt", TOptionsPage::ODT},
    {aeXlsx, u"MS Excel 2007", u"Microsoft Excel 2007 Belgesi (*.xlsx)|*.xlsx", u"xlsx", TOptionsPage::Xlsx},
    {aeDocx, u"MS Word 2007", u"Microsoft Word 2007 Belgesi (*.docx)|*.docx", u"docx", TOptionsPage::Docx},
    {aeAccess, u"MS Access", u"Microsoft Access Veritabanları (*.mdb)|*.mdb", u"mdb", TOptionsPage::Access},
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

namespace {

// Whether the save filter ("Text (*.html, *.htm)|*.html;*.htm") lists the
// lower-case extension among its patterns.
bool FilterListsExtension(std::u16string_view filter, std::u16string_view extension) {
  size_t bar = filter.find(u'|');
  if (bar == std::u16string_view::npos) return false;
  std::u16string_view patterns = filter.substr(bar + 1);
  while (!patterns.empty()) {
    size_t end = patterns.find(u';');
    std::u16string_view pattern = patterns.substr(0, end);
    if (pattern.size() > 2 && pattern.substr(0, 2) == u"*." && pattern.substr(2) == extension) return true;
    if (end == std::u16string_view::npos) break;
    patterns.remove_prefix(end + 1);
  }
  return false;
}

}  // namespace

std::optional<TAllowedExport> ExportTypeFromExtension(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  if (extension.empty()) return std::nullopt;
  std::u16string lower;
  for (char c : extension) {
    if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    lower.push_back(static_cast<char16_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
  }
  if (lower == u"sylk") return aeSylk;
  for (const TExportTypeInfo& info : kExportTypes)
    if (FilterListsExtension(info.filter, lower)) return info.type;
  return std::nullopt;
}

namespace {

// The sections of each type's own options, in type order.
constexpr std::array<const char*, kExportTypeCount> kOwnSections = {{
    "XLS, XLS_FIELD_*, XLS_OPTION_*, XLS_STYLE_*, XLS_HYPERLINK_*, XLS_NOTE_*, XLS_CHART_*, XLS_CELL_*, "
    "XLS_MERGED_CELL_*",
    "RTF, RTF_STYLE_*, RTF_STRIP_STYLE_*",
    "RTF, RTF_STYLE_*, RTF_STRIP_STYLE_*",
    "HTML",
    "XML",
    "",
    "PDF, PDF_OPTION_HEADER, PDF_OPTION_CAPTION, PDF_OPTION_DATA, PDF_OPTION_FOOTER",
    "TXT, ASCII",
    "CSV, ASCII",
    "ASCII",
    "ASCII",
    "",
    "SQL",
    "",
    "ODS, ODS_STYLE_*, ODS_STRIP_STYLE_*",
    "ODT, ODT_STYLE_*, ODT_STRIP_STYLE_*",
    "XLSX, XLSX_OPTIONS_*, XLSX_STRIP_STYLE_*",
    "DOCX, DOCX_OPTIONS_*, DOCX_STRIP_STYLE_*",
    "ACCESS",
}};

}  // namespace

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
  add(kOwnSections[type]);
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

std::string ReplaceFileExt(const std::string& fileName, TAllowedExport type) {
  const std::string extension = WideToUtf8(ExportTypeInfo(type).extension);
  const size_t nameStart = fileName.find_last_of('/');
  const size_t dot = fileName.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
  const std::string stem = hasExtension ? fileName.substr(0, dot) : fileName;
  return stem + "." + extension;
}

}  // namespace verimo
