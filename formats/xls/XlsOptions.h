#pragma once

#include "core/WideString.h"
#include "formats/xls/XlsFormats.h"

namespace verimo {

class TTesselIniFile;

// How a worksheet is laid out and looks: the page header and footer texts,
// the sheet title, the formats of each part, of each field and of the
// strips, the rows around the data and the column widths. The exporter
// holds one for the sheet made from its own settings; every further sheet
// holds its own.
struct TXLSOptions {
  TXLSOptions();
  WideString PageHeader;
  WideString PageFooter = u"Page &P of &N";
  WideString SheetTitle = u"Sheet 1";
  TxlsFormat HeaderFormat;
  TxlsFormat CaptionsFormat;
  TxlsFormat DataFormat;
  TxlsFormat AggregateFormat;
  TxlsFormat FooterFormat;
  TxlsFormat HyperlinkFormat;
  TxlsNoteFormat NoteFormat;
  TxlsFieldFormats FieldFormats;
  TxlsFormats StripStyles;
  TxlsStripType StripType = ssNone;
  // A subtotal row closes every run of equal values of this column.
  WideString SubAggControlColumn;
  // Rows of the header and footer lines; 0: one per line.
  int HeaderRows = 0;
  int FooterRows = 0;
  // The column of the first field; the columns left of it are empty.
  int StartDataCol = 0;
  double DefRowHeight = 12.75;
  int DefColWidth = 8;
  // Columns as wide as the widest text written into them.
  bool AutoCalcColWidth = false;
};

namespace xls {

// The "XLS" sections of a settings file: the options, the five part
// formats ("XLS_OPTION_…"), the field formats ("XLS_FIELD_…") and the strip
// styles ("XLS_STYLE_…"). Saving erases every XLS section first, the
// items' too.
void EraseSettings(TTesselIniFile& file);
void SaveOptions(TTesselIniFile& file, const TXLSOptions& options);
// Keeps the values the file does not give.
void LoadOptions(const TTesselIniFile& file, TXLSOptions& options);

}  // namespace xls

}  // namespace verimo
