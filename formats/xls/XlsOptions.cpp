#include "formats/xls/XlsOptions.h"

#include "engine/TesselIniFile.h"
#include "formats/xls/XlsItems.h"

namespace verimo {

TXLSOptions::TXLSOptions() {
  CaptionsFormat.Font.Style = xfsBold;
  HyperlinkFormat.Font.Color = clrBlue;
  HyperlinkFormat.Font.Underline = fulSingle;
}

namespace {

constexpr char16_t kSection[] = u"XLS";
constexpr const char16_t* kOptionSections[] = {u"HEADER", u"CAPTION", u"DATA", u"AGGREGATE", u"FOOTER"};

// TXLSOptions or const TXLSOptions.
template <class Options>
auto OptionFormat(Options& options, int index) {
  decltype(&options.HeaderFormat) formats[] = {&options.HeaderFormat, &options.CaptionsFormat, &options.DataFormat,
                           &options.AggregateFormat, &options.FooterFormat};
  return formats[index];
}

}  // namespace

namespace xls {

void EraseSettings(TTesselIniFile& file) {
  file.EraseSection(kSection);
  TStringList sections;
  file.ReadSections(sections);
  for (const WideString& section : sections) {
    const WideString upper = UpperCase(section);
    if (upper.find(u"XLS_FIELD_") != WideString::npos || upper.starts_with(u"XLS_OPTION_") ||
        upper.starts_with(u"XLS_STYLE_") || IsItemSection(upper))
      file.EraseSection(section);
  }
}

void SaveOptions(TTesselIniFile& file, const TXLSOptions& options) {
  EraseSettings(file);
  file.WriteWideString(kSection, u"PageHeader", options.PageHeader);
  file.WriteWideString(kSection, u"PageFooter", options.PageFooter);
  file.WriteWideString(kSection, u"SheetTitle", options.SheetTitle);
  file.WriteInteger(kSection, u"StripType", options.StripType);
  file.WriteBool(kSection, u"AutoCalcColWidth", options.AutoCalcColWidth);
  file.WriteString(kSection, u"PageBackground", u"");
  for (int i = 0; i < 5; ++i) OptionFormat(options, i)->SaveToIni(file, WideString(u"XLS_OPTION_") + kOptionSections[i]);
  for (const TxlsFieldFormat& field : options.FieldFormats)
    field.SaveToIni(file, u"XLS_FIELD_" + UpperCase(field.FieldName));
  for (size_t i = 0; i < options.StripStyles.size(); ++i)
    options.StripStyles[i].SaveToIni(file, u"XLS_STYLE_STRIP" + IntToWide(static_cast<long long>(i)));
}

void LoadOptions(const TTesselIniFile& file, TXLSOptions& options) {
  options.PageHeader = file.ReadWideString(kSection, u"PageHeader", options.PageHeader);
  options.PageFooter = file.ReadWideString(kSection, u"PageFooter", options.PageFooter);
  options.SheetTitle = file.ReadWideString(kSection, u"SheetTitle", options.SheetTitle);
  const int strip = file.ReadInteger(kSection, u"StripType", options.StripType);
  if (strip >= ssNone && strip <= ssRow) options.StripType = static_cast<TxlsStripType>(strip);
  options.AutoCalcColWidth = file.ReadBool(kSection, u"AutoCalcColWidth", options.AutoCalcColWidth);
  for (int i = 0; i < 5; ++i) {
    const WideString section = WideString(u"XLS_OPTION_") + kOptionSections[i];
    if (file.SectionExists(section)) OptionFormat(options, i)->LoadFromIni(file, section);
  }
  TStringList sections;
  file.ReadSections(sections);
  TxlsFieldFormats loadedFields;
  TxlsFormats loadedStrips;
  for (const WideString& section : sections) {
    const WideString upper = UpperCase(section);
    const size_t field = upper.find(u"XLS_FIELD_");
    if (field != WideString::npos) {
      TxlsFieldFormat format;
      format.FieldName = section.substr(field + 10);
      format.LoadFromIni(file, section);
      loadedFields.push_back(std::move(format));
    } else if (upper.starts_with(u"XLS_STYLE_")) {
      TxlsFormat format;
      format.LoadFromIni(file, section);
      loadedStrips.push_back(std::move(format));
    }
  }
  if (!loadedFields.empty()) options.FieldFormats = std::move(loadedFields);
  if (!loadedStrips.empty()) options.StripStyles = std::move(loadedStrips);
}

}  // namespace xls

}  // namespace verimo
