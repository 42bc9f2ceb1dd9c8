#include "dialog/DialogExporters.h"

#include "dialog/TesselDialogForm.h"
#include "engine/TesselText.h"
#include "core/Exception.h"
#include "formats/text/TesselASCII.h"
#include "formats/text/TesselLaTeX.h"
#include "formats/text/TesselXML.h"
#include "formats/text/TesselXMLText.h"

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
  std::unique_ptr<TTesselXML> xml;      // XMLExp
  std::unique_ptr<TTesselLaTeX> latex;  // LaTeXExp
};

namespace {

// Creates a file exporter on first use, with the launcher of the form.
template <typename Exporter>
Exporter& Component(std::unique_ptr<Exporter>& slot, TShellLauncher* shellLauncher) {
  if (!slot) {
    slot = std::make_unique<Exporter>();
    if (shellLauncher) slot->ShellLauncher = shellLauncher;
  }
  return *slot;
}

}  // namespace

TDialogExporters::TDialogExporters(TShellLauncher* shellLauncher, TClipboard* clipboard)
    : shellLauncher_(shellLauncher), clipboard_(clipboard), components_(std::make_unique<Components>()) {}

TDialogExporters::~TDialogExporters() = default;

bool TDialogExporters::IsBuilt(TAllowedExport type) {
  return IsAsciiType(type) || type == aeXML || type == aeLaTeX;
}

TTessel& TDialogExporters::For(TAllowedExport type) {
  if (IsAsciiType(type)) {
    if (!components_->ascii) {
      components_->ascii = std::make_unique<TTesselASCII>();
      if (shellLauncher_) components_->ascii->ShellLauncher = shellLauncher_;
    }
    return *components_->ascii;
  }
  if (type == aeXML) return Component(components_->xml, shellLauncher_);
  if (type == aeLaTeX) return Component(components_->latex, shellLauncher_);
  throw Exception(u"Bu çıktı türü henüz desteklenmiyor: " + WideString(ExportTypeInfo(type).listText));
}

void TDialogExporters::SelectType(TAllowedExport type) {
  if (!IsAsciiType(type)) return;
  TTesselASCII& ascii = static_cast<TTesselASCII&>(For(type));
  if (ascii.ExportType() != AsciiTypeOf(type)) ascii.SetExportType(AsciiTypeOf(type));
}

void TDialogExporters::CopyTypeOptions(TAllowedExport type, const TTesselDialogForm& form) {
  if (type == aeXML) {
    TTesselXML& exporter = static_cast<TTesselXML&>(For(type));
    exporter.Options.StandAlone = form.XMLOptions.Standalone;
    exporter.Options.Encoding = form.XMLOptions.Encoding;
    exporter.SetOutputEncoding(xml::OutputEncodingForName(form.XMLOptions.Encoding));
    exporter.DocumentType = form.XMLOptions.DocumentType == 1 ? xtAccess : xtDatapacket2;
    exporter.ExportXSDSchema = form.XMLOptions.ExportXSDSchema;
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

std::vector<TDialogExporters::TCompanionFile> TDialogExporters::RenameTargetLater(TAllowedExport type,
                                                                               const std::string& finalName) {
  std::vector<TCompanionFile> companions;
  if (type != aeXML) return companions;
  TTesselXML& exporter = static_cast<TTesselXML&>(For(type));
  exporter.TargetFileName = finalName;
  if (exporter.ExportXSDSchema) companions.push_back({exporter.SchemaFileName(), exporter.FinalSchemaFileName()});
  return companions;
}

bool TDialogExporters::TakesColumnsAlign(TAllowedExport type) {
  return IsAsciiType(type) || type == aeWord || type == aeRTF || type == aePDF || type == aeHTML;
}

bool TDialogExporters::TakesColumnsWidth(TAllowedExport type) {
  return IsAsciiType(type) || type == aeWord || type == aeRTF || type == aePDF || type == aeXLS;
}

}  // namespace verimo
