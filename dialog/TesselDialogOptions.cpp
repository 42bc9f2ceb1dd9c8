#include "dialog/TesselDialogOptions.h"

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


TXLSOptions TTesselXLSOptions::SheetOptions() const {
  TXLSOptions options;
  options.PageHeader = PageHeader;
  options.PageFooter = PageFooter;
  options.SheetTitle = SheetTitle;
  options.HeaderFormat = HeaderFormat;
  options.CaptionsFormat = CaptionFormat;
  options.DataFormat = DataFormat;
  options.AggregateFormat = AggregateFormat;
  options.FooterFormat = FooterFormat;
  options.HyperlinkFormat = HyperlinkFormat;
  return options;
}

void TTesselXLSOptions::SetSheetOptions(const TXLSOptions& options) {
  PageHeader = options.PageHeader;
  PageFooter = options.PageFooter;
  SheetTitle = options.SheetTitle;
  HeaderFormat = options.HeaderFormat;
  CaptionFormat = options.CaptionsFormat;
  DataFormat = options.DataFormat;
  AggregateFormat = options.AggregateFormat;
  FooterFormat = options.FooterFormat;
  HyperlinkFormat = options.HyperlinkFormat;
}

}  // namespace verimo
