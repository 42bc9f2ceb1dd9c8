#include "dialog/TesselDialogOptions.h"

#include "platform/locale/Formatting.h"

namespace verimo {

TTesselCSVOptions::TTesselCSVOptions() {
  const char16_t listSeparator = GlobalFormatSettings().ListSeparator;
  Comma = listSeparator != 0 ? listSeparator : u',';
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
