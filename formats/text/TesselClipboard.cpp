#include "formats/text/TesselClipboard.h"

#include "platform/locale/Formatting.h"

namespace verimo {

namespace {

char16_t DefaultListSeparator() {
  const char16_t separator = GlobalFormatSettings().ListSeparator;
  return separator ? separator : u',';
}

}  // namespace

TTesselClipboard::TTesselClipboard() : Separator(DefaultListSeparator()) {
  published_.Captions = true;
  published_.UserFormats = true;
  published_.Formats = true;
  published_.AutoCalcColWidth = true;
  published_.OnFetchedRecord = true;
  SetOutputEncoding(oeUTF16);
  SetExportType(etSeparated);
}

void TTesselClipboard::SetExportType(TTesselClipboardExportType type) {
  exportType_ = type;
  AutoCalcColWidth = type == etFixed;
}

WideString TTesselClipboard::LinesText(const TStringList& lines) {
  WideString text;
  for (const WideString& line : lines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

void TTesselClipboard::BeginExport() {
  TTesselMemory::BeginExport();
  AutoCalcColWidth = exportType_ == etFixed;
  if (!Title.empty()) Writer().WriteLn(Title);
  const WideString header = LinesText(Header);
  if (!header.empty()) Writer().WriteLn(header);
}

void TTesselClipboard::EndExport() {
  const WideString footer = LinesText(Footer);
  if (!footer.empty()) Writer().WriteLn(footer);
  TTesselMemory::EndExport();
}

WideString TTesselClipboard::Dress(WideString text, const TTesselColumn& column) const {
  if (exportType_ == etFixed) return TTesselWriter::PadLeft(text, u' ', column.Width);
  text += Separator;
  return text;
}

WideString TTesselClipboard::GetColCaption(int index) {
  return Dress(TTesselMemory::GetColCaption(index), Columns()[index]);
}

WideString TTesselClipboard::GetColData(const WideString& text, const TTesselColumn& column) {
  return Dress(TTesselMemory::GetColData(text, column), column);
}

WideString TTesselClipboard::RowText(WideString row) const {
  if (exportType_ == etSeparated && !row.empty()) row.pop_back();
  return row;
}

WideString TTesselClipboard::GetCaptionRow() { return RowText(TTesselMemory::GetCaptionRow()); }

WideString TTesselClipboard::GetDataRow() { return RowText(TTesselMemory::GetDataRow()); }

void TTesselClipboard::WriteCaptionRow() { Writer().WriteLn(GetCaptionRow()); }

void TTesselClipboard::WriteDataRow() { Writer().WriteLn(GetDataRow()); }

}  // namespace verimo
