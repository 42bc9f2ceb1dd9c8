#include "export/ExportOptions.h"

#include "engine/TesselIniFile.h"
#include "platform/locale/Formatting.h"

namespace verimo {

TTesselCSVOptions::TTesselCSVOptions() {
  const char16_t listSeparator = GlobalFormatSettings().ListSeparator;
  Comma = listSeparator != 0 ? listSeparator : u',';
}

void SaveAccessOptions(TTesselIniFile& file, const TTesselAccessOptions& options) {
  file.WriteString(u"ACCESS", u"Password", options.Password);
  file.WriteString(u"ACCESS", u"TableName", options.TableName);
  file.WriteBool(u"ACCESS", u"CreateTable", options.CreateTable);
}

TTesselAccessOptions LoadAccessOptions(const TTesselIniFile& file, const TTesselAccessOptions& defaults) {
  TTesselAccessOptions options;
  options.Password = file.ReadString(u"ACCESS", u"Password", defaults.Password);
  options.TableName = file.ReadString(u"ACCESS", u"TableName", defaults.TableName);
  options.CreateTable = file.ReadBool(u"ACCESS", u"CreateTable", defaults.CreateTable);
  return options;
}


void SaveTypeOptions(TTesselIniFile& file, TAllowedExport type, const TExportTypeOptions& options) {
  switch (type) {
    case aeTXT:
      file.WriteBool(u"TXT", u"AutoCalcColWidth", options.TXTOptions.AutoCalcColWidth);
      file.WriteInteger(u"TXT", u"Spacing", options.TXTOptions.ColSpacing);
      break;
    case aeCSV:
      file.WriteBool(u"CSV", u"QuoteStrings", options.CSVOptions.QuoteStrings);
      file.WriteChar(u"CSV", u"Comma", options.CSVOptions.Comma);
      file.WriteChar(u"CSV", u"Quote", options.CSVOptions.Quote);
      break;
    case aeAccess:
      SaveAccessOptions(file, options.AccessOptions);
      break;
    case aeSQL:
      sql::SaveOptions(file, options.SQLOptions);
      break;
    case aeXML:
      file.WriteBool(u"XML", u"Standalone", options.XMLOptions.Standalone);
      file.WriteString(u"XML", u"Encoding", options.XMLOptions.Encoding);
      file.WriteInteger(u"XML", u"DocumentType", options.XMLOptions.DocumentType);
      file.WriteBool(u"XML", u"ExportXSDSchema", options.XMLOptions.ExportXSDSchema);
      break;
    case aeHTML:
      SaveHTMLOptions(file, options.HTMLPageOptions, options.HTMLTableOptions, options.HTMLMultiFileOptions);
      break;
    case aeXLS: {
      const TTesselXLSOptions& xlsOptions = options.XLSOptions;
      xls::SaveOptions(file, xlsOptions.Sheet);
      TxlsSheetItems items = xlsOptions.Items;
      items.Background.FileName = WideToUtf8(xlsOptions.PageBackground);
      xls::SaveItems(file, items, xlsOptions.Pictures);
      break;
    }
    case aeXlsx:
      SaveXlsxSettings(file, options.XlsxOptions, options.XlsxSheetName);
      break;
    case aeDocx:
      SaveDocxSettings(file, options.DocxOptions);
      break;
    case aeODS:
      SaveODSSettings(file, options.ODSOptions, options.ODSSheetName);
      break;
    case aeODT:
      SaveODTSettings(file, options.ODTOptions, options.ODTTableName);
      break;
    case aePDF:
      pdf::SaveOptions(file, options.PDFOptions);
      break;
    case aeWord:
    case aeRTF:
      rtf::SaveOptions(file, options.RTFOptions);
      break;
    default:
      break;
  }
}

void LoadTypeOptions(const TTesselIniFile& file, TAllowedExport type, const TExportTypeOptions& d,
                     TExportTypeOptions& options) {
  switch (type) {
    case aeTXT:
      options.TXTOptions.AutoCalcColWidth = file.ReadBool(u"TXT", u"AutoCalcColWidth", d.TXTOptions.AutoCalcColWidth);
      options.TXTOptions.ColSpacing = file.ReadInteger(u"TXT", u"Spacing", d.TXTOptions.ColSpacing);
      break;
    case aeCSV:
      options.CSVOptions.QuoteStrings = file.ReadBool(u"CSV", u"QuoteStrings", d.CSVOptions.QuoteStrings);
      options.CSVOptions.Comma = file.ReadChar(u"CSV", u"Comma", d.CSVOptions.Comma);
      options.CSVOptions.Quote = file.ReadChar(u"CSV", u"Quote", d.CSVOptions.Quote);
      break;
    case aeAccess:
      options.AccessOptions = LoadAccessOptions(file, d.AccessOptions);
      break;
    case aeSQL:
      options.SQLOptions = sql::LoadOptions(file, d.SQLOptions);
      break;
    case aeXML: {
      TTesselXMLOptions& xml = options.XMLOptions;
      xml.Standalone = file.ReadBool(u"XML", u"Standalone", d.XMLOptions.Standalone);
      xml.Encoding = file.ReadString(u"XML", u"Encoding", d.XMLOptions.Encoding);
      xml.DocumentType = file.ReadInteger(u"XML", u"DocumentType", d.XMLOptions.DocumentType) == 1 ? 1 : 0;
      xml.ExportXSDSchema = file.ReadBool(u"XML", u"ExportXSDSchema", d.XMLOptions.ExportXSDSchema);
      break;
    }
    case aeHTML:
      options.HTMLPageOptions = d.HTMLPageOptions;
      options.HTMLTableOptions = d.HTMLTableOptions;
      options.HTMLMultiFileOptions = d.HTMLMultiFileOptions;
      LoadHTMLOptions(file, options.HTMLOptions());
      break;
    case aeXLS: {
      TTesselXLSOptions& xlsOptions = options.XLSOptions;
      xlsOptions = d.XLSOptions;
      xls::LoadOptions(file, xlsOptions.Sheet);
      xlsOptions.PageBackground = file.ReadString(u"XLS", u"PageBackground", xlsOptions.PageBackground);
      xls::LoadItems(file, xlsOptions.Items, xlsOptions.Pictures, xlsOptions.Sheet.HyperlinkFormat,
                     xlsOptions.Sheet.NoteFormat);
      break;
    }
    case aeXlsx:
      options.XlsxOptions = d.XlsxOptions;
      options.XlsxSheetName = d.XlsxSheetName;
      LoadXlsxSettings(file, options.XlsxOptions, options.XlsxSheetName);
      break;
    case aeDocx:
      options.DocxOptions = d.DocxOptions;
      LoadDocxSettings(file, options.DocxOptions);
      break;
    case aeODS:
      options.ODSOptions = d.ODSOptions;
      options.ODSSheetName = d.ODSSheetName;
      LoadODSSettings(file, options.ODSOptions, options.ODSSheetName);
      break;
    case aeODT:
      options.ODTOptions = d.ODTOptions;
      options.ODTTableName = d.ODTTableName;
      LoadODTSettings(file, options.ODTOptions, options.ODTTableName);
      break;
    case aePDF:
      options.PDFOptions = d.PDFOptions;
      pdf::LoadOptions(file, options.PDFOptions);
      break;
    case aeWord:
    case aeRTF:
      options.RTFOptions = d.RTFOptions;
      rtf::LoadOptions(file, options.RTFOptions);
      break;
    default:
      break;
  }
}

}  // namespace verimo
