#include "dialog/DialogExporters.h"

#include "dialog/TesselDialogForm.h"
#include "engine/TesselText.h"
#include "core/Exception.h"
#include "formats/package/docx/TesselDocx.h"
#include "formats/package/xlsx/TesselXlsx.h"
#include "formats/text/TesselASCII.h"

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
  std::unique_ptr<TTesselXlsx> xlsx;    // XlsxExp
  std::unique_ptr<TTesselDocx> docx;    // DocxExp
};

TDialogExporters::TDialogExporters(TShellLauncher* shellLauncher, TClipboard* clipboard)
    : shellLauncher_(shellLauncher), clipboard_(clipboard), components_(std::make_unique<Components>()) {}

TDialogExporters::~TDialogExporters() = default;

bool TDialogExporters::IsBuilt(TAllowedExport type) { return IsAsciiType(type) || type == aeXlsx || type == aeDocx; }

TTessel& TDialogExporters::For(TAllowedExport type) {
  if (IsAsciiType(type)) {
    if (!components_->ascii) {
      components_->ascii = std::make_unique<TTesselASCII>();
      if (shellLauncher_) components_->ascii->ShellLauncher = shellLauncher_;
    }
    return *components_->ascii;
  }
  if (type == aeXlsx) return Component(components_->xlsx);
  if (type == aeDocx) return Component(components_->docx);
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
  if (!IsAsciiType(type)) return;
  TTesselASCII& ascii = static_cast<TTesselASCII&>(For(type));
  ascii.SetExportType(AsciiTypeOf(type));
  ascii.CSVComma = form.CSVOptions.Comma;
  ascii.CSVQuote = form.CSVOptions.Quote;
  ascii.CSVQuoteStrings = form.CSVOptions.QuoteStrings;
  ascii.TXTSpacing = form.TXTOptions.ColSpacing;
  if (type == aeTXT) ascii.AutoCalcColWidth = form.TXTOptions.AutoCalcColWidth;
}

void TDialogExporters::CopyTarget(TAllowedExport type, const std::string& fileName, bool showFile, bool printFile) {
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
