#pragma once

#include <cstdint>

#include "engine/TesselMemory.h"

namespace verimo {

enum TTesselClipboardExportType : uint8_t { etSeparated, etFixed };

// Puts the exported rows on the clipboard as text: values separated by a
// character, or right-aligned in fixed-width columns. Nothing is quoted.
class TTesselClipboard : public TTesselMemory {
 public:
  TTesselClipboard();

  TTesselClipboardExportType ExportType() const { return exportType_; }
  // etFixed also switches AutoCalcColWidth on, etSeparated off.
  void SetExportType(TTesselClipboardExportType type);

  // Column separator of etSeparated; the locale's list separator by default
  // ("," without one).
  char16_t Separator;
  // Kept with the options; not used in writing.
  int Spacing = 2;
  WideString ClipboardViewer = u"Clipbrd.exe";
  // A line before the header when not empty.
  WideString Title;

  void BeginExport() override;
  void EndExport() override;
  WideString GetColCaption(int index) override;
  WideString GetColData(const WideString& text, const TTesselColumn& column) override;
  WideString GetCaptionRow() override;
  WideString GetDataRow() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;

 private:
  WideString Dress(WideString text, const TTesselColumn& column) const;
  WideString RowText(WideString row) const;
  // All lines, each followed by CR LF, as one text.
  static WideString LinesText(const TStringList& lines);

  TTesselClipboardExportType exportType_ = etSeparated;
};

}  // namespace verimo
