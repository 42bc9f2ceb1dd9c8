#include "dialog/DialogExporters.h"

#include "dialog/TesselDialogForm.h"
#include "engine/TesselText.h"
#include "core/Exception.h"
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
#include "formats/text/TesselSQL.h"
#include "formats/text/TesselLaTeX.h"
#include "formats/text/TesselXML.h"
#include "formats/text/TesselXMLText.h"
#include "formats/text/TesselHTML.h"
#include "formats/xls/TesselXLS.h"

namespace verimo {
namespace {

TTesselASCIIType AsciiTypeOf(TAllowedExport type) {
  switch (type) {
    case aeCSV: return etCSV;
    case aeDIFF: return etDIF;
    case aeSylk: return etSYLK;
    default: return etTXT;
  }
}

bool IsAsciiType(TAllowedExport type) { return type == aeTXT || type == aeCSV || type == aeDIFF || type == aeSylk; }

}  // namespace

struct TDialogExporters::Components {
  std::unique_ptr<TTesselASCII> ascii;  // ASCIIExp
  std::unique_ptr<TADO_TesselAccess> access;
  std::unique_ptr<TTesselDBF> dbf;      // DBFExp
  std::unique_ptr<TTesselSQL> sql;      // SQLExp
  std::unique_ptr<TTesselClipboard> clipboard;  // ClipExp
  std::unique_ptr<TTesselXML> xml;      // XMLExp
  std::unique_ptr<TTesselLaTeX> latex;  // LaTeXExp
  std::unique_ptr<TTesselHTML> html;    // HTMLExp
  std::unique_ptr<TTesselXLS> xls;      // XLSExp
  std::unique_ptr<TTesselXlsx> xlsx;    // XlsxExp
  std::unique_ptr<TTesselDocx> docx;    // DocxExp
  std::unique_ptr<TTesselODS> ods;      // ODSExp
  std::unique_ptr<TTesselODT> odt;      // ODTExp
  std::unique_ptr<TTesselPDF> pdf;      // PDFExp
  std::unique_ptr<TTesselRTF> rtf;      // RTFExp: Word and RTF
};

TDialogExporters::TDialogExporters(TShellLauncher* shellLauncher, TClipboard* clipboard)
    : shellLauncher_(shellLauncher), clipboard_(clipboard), components_(std::make_unique<Components>()) {}

TDialogExporters::~TDialogExporters() = default;

bool TDialogExporters::IsBuilt(TAllowedExport type) {
  // Every type has its exporter; the question stays for callers that list types.
  return static_cast<int>(type) < kExportTypeCount;
}

std::vector<std::filesystem::path> TDialogExporters::CompanionFiles(TAllowedExport type, const std::string& fileName) {
  if (type == aeDBF) return {TTesselDBF::MemoFileName(fileName)};
  return {};
}

TTessel& TDialogExporters::For(TAllowedExport type) {
  if (IsAsciiType(type)) return Component(components_->ascii);
  if (type == aeAccess) return Component(components_->access);
  if (type == aeDBF) return Component(components_->dbf);
  if (type == aeSQL) return Component(components_->sql);
  if (type == aeClipboard) {
    if (!components_->clipboard) {
      components_->clipboard = std::make_unique<TTesselClipboard>();
      components_->clipboard->Clipboard = clipboard_;
    }
    return *components_->clipboard;
  }
  if (type == aeXML) return Component(components_->xml);
  if (type == aeLaTeX) return Component(components_->latex);
  if (type == aeHTML) return Component(components_->html);
  if (type == aeXLS) return Component(components_->xls);
  if (type == aeXlsx) return Component(components_->xlsx);
  if (type == aeDocx) return Component(components_->docx);
  if (type == aeODS) return Component(components_->ods);
  if (type == aeODT) return Component(components_->odt);
  if (type == aePDF) return Component(components_->pdf);
  if (type == aeWord || type == aeRTF) return Component(components_->rtf);
  throw Exception(u"Bu çıktı türü henüz desteklenmiyor: " + WideString(ExportTypeInfo(type).listText));
}

template <typename T>
T& TDialogExporters::Component(std::unique_ptr<T>& slot) {
  if (!slot) {
    slot = std::make_unique<T>();
    if (shellLauncher_) slot->ShellLauncher = shellLauncher_;
  }
  return *slot;
}

void TDialogExporters::SelectType(TAllowedExport type) {
  if (!IsAsciiType(type)) return;
  TTesselASCII& ascii = static_cast<TTesselASCII&>(For(type));
  if (ascii.ExportType() != AsciiTypeOf(type)) ascii.SetExportType(AsciiTypeOf(type));
}

void TDialogExporters::CopyTypeOptions(TAllowedExport type, const TTesselDialogForm& form) {
  if (type == aeAccess) CopyAccessOptions(form.AccessOptions);
  if (type == aeSQL) {
    TTesselSQL& sql = static_cast<TTesselSQL&>(For(type));
    const TTesselSQLOptions& options = form.SQLOptions;
    sql.TableName = options.TableName.empty() ? sql::TableNameFromFileName(form.FileName(), options.ScriptType)
                                              : options.TableName;
    sql.CreateTable = options.CreateTable;
    sql.CommitRecCount = options.CommitRecCount;
    sql.CommitAfterScript = options.CommitAfterScript;
    sql.SetCommitStatement(options.CommitStatement);
    sql.StatementTerm = options.StatementTerm;
    sql.CustomScriptType = options.ScriptType;
    return;
  }
  if (type == aeXML) {
    TTesselXML& exporter = static_cast<TTesselXML&>(For(type));
    exporter.Options.StandAlone = form.XMLOptions.Standalone;
    exporter.Options.Encoding = form.XMLOptions.Encoding;
    exporter.SetOutputEncoding(xml::OutputEncodingForName(form.XMLOptions.Encoding));
    exporter.DocumentType = form.XMLOptions.DocumentType == 1 ? xtAccess : xtDatapacket2;
    exporter.ExportXSDSchema = form.XMLOptions.ExportXSDSchema;
    return;
  }
  if (type == aeHTML) {
    CopyHTMLOptionsTo(form.HTMLPageOptions, form.HTMLTableOptions, form.HTMLMultiFileOptions,
                      static_cast<TTesselHTML&>(For(type)));
    return;
  }
  if (type == aeXLS) {
    TTesselXLS& xls = static_cast<TTesselXLS&>(For(type));
    xls.Options = form.XLSOptions.SheetOptions();
    xls.FieldFormats = form.XLSOptions.FieldFormats;
    xls.StripStyles = form.XLSOptions.StripStyles;
    xls.StripType = form.XLSOptions.StripType;
    xls.AutoCalcColWidth = form.XLSOptions.AutoCalcColWidth;
    static_cast<TxlsSheetItems&>(xls) = form.XLSOptions.Items;
    xls.Background.FileName = WideToUtf8(form.XLSOptions.PageBackground);
    xls.Pictures = form.XLSOptions.Pictures;
    return;
  }
  if (type == aeXlsx) {
    TTesselXlsx& xlsx = Component(components_->xlsx);
    xlsx.XlsxOptions = form.XlsxOptions;
    xlsx.SetSheetName(form.XlsxSheetName);
    return;
  }
  if (type == aeDocx) {
    Component(components_->docx).DocxOptions = form.DocxOptions;
    return;
  }
  if (type == aeODS) {
    TTesselODS& ods = Component(components_->ods);
    ods.ODSOptions = form.ODSOptions;
    if (!form.ODSSheetName.empty()) ods.SheetName = form.ODSSheetName;
    return;
  }
  if (type == aeODT) {
    TTesselODT& odt = Component(components_->odt);
    odt.ODTOptions = form.ODTOptions;
    if (!form.ODTTableName.empty()) odt.TableName = form.ODTTableName;
    return;
  }
  if (type == aePDF) {
    Component(components_->pdf).Options = form.PDFOptions;
    return;
  }
  if (type == aeWord || type == aeRTF) {
    Component(components_->rtf).Options = form.RTFOptions;
    return;
  }
  if (!IsAsciiType(type)) return;
  TTesselASCII& ascii = static_cast<TTesselASCII&>(For(type));
  ascii.SetExportType(AsciiTypeOf(type));
  ascii.CSVComma = form.CSVOptions.Comma;
  ascii.CSVQuote = form.CSVOptions.Quote;
  ascii.CSVQuoteStrings = form.CSVOptions.QuoteStrings;
  ascii.TXTSpacing = form.TXTOptions.ColSpacing;
  if (type == aeTXT) ascii.AutoCalcColWidth = form.TXTOptions.AutoCalcColWidth;
}

void TDialogExporters::CopyAccessOptions(const TTesselAccessOptions& options) {
  auto& access = static_cast<TADO_TesselAccess&>(For(aeAccess));
  access.Password = options.Password;
  access.TableName = options.TableName.empty() ? WideString(u"ExportTable") : options.TableName;
  access.AutoCreateTable = options.CreateTable;
}

void TDialogExporters::CopyTarget(TAllowedExport type, const std::string& fileName, bool showFile, bool printFile) {
  if (type == aeAccess) {
    auto& access = static_cast<TADO_TesselAccess&>(For(type));
    access.DatabaseName = fileName;
    access.ShowFile = showFile;
    access.PrintFile = printFile;
    return;
  }
  auto* text = dynamic_cast<TTesselText*>(&For(type));
  if (!text) return;
  text->FileName = fileName;
  text->ShowFile = showFile;
  text->PrintFile = printFile;
}

bool TDialogExporters::TakesColumnsAlign(TAllowedExport type) {
  return IsAsciiType(type) || type == aeWord || type == aeRTF || type == aePDF || type == aeHTML;
}

bool TDialogExporters::TakesColumnsWidth(TAllowedExport type) {
  return IsAsciiType(type) || type == aeWord || type == aeRTF || type == aePDF || type == aeXLS;
}

}  // namespace verimo
