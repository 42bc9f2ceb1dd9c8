#include "formats/database/TesselAccessTextParser.h"

namespace verimo {
namespace {

WideStringView Trimmed(WideStringView text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  return text;
}

TFormatSettings DateSettingsFor(const TTesselFormats& formats, const TFormatSettings& locale) {
  TFormatSettings settings = locale;
  settings.Separators() = formats.Separators();
  settings.ShortDateFormat = formats.DateFormat();
  return settings;
}

TJetFormatSettings NumberSettingsFor(const TTesselFormats& formats, const TFormatSettings& locale) {
  TJetFormatSettings settings;
  settings.Separators() = formats.Separators();
  settings.ShortDateFormat = formats.DateFormat();
  settings.TimeAMString = locale.TimeAMString;
  settings.TimePMString = locale.TimePMString;
  const WideString symbol = CurrencySymbolOf(formats.CurrencyFormat());
  settings.CurrencyString = symbol.empty() ? locale.CurrencyString : symbol;
  settings.TrueText = formats.BooleanTrue();
  settings.FalseText = formats.BooleanFalse();
  return settings;
}

}  // namespace

WideString CurrencySymbolOf(WideStringView pattern) {
  pattern = pattern.substr(0, pattern.find(u';'));
  WideString quoted;
  WideString rest;
  bool inQuotes = false;
  char16_t quote = 0;
  for (char16_t ch : pattern) {
    if (inQuotes) {
      if (ch == quote) inQuotes = false;
      else quoted.push_back(ch);
    } else if (ch == u'"' || ch == u'\'') {
      inQuotes = true;
      quote = ch;
    } else if (ch != u'#' && ch != u'0' && ch != u',' && ch != u'.') {
      rest.push_back(ch);
    }
  }
  return WideString(Trimmed(quoted.empty() ? WideStringView(rest) : WideStringView(quoted)));
}

TTesselAccessTextParser::TTesselAccessTextParser(const TTesselFormats& formats, const TFormatSettings& locale)
    : dateSettings_(DateSettingsFor(formats, locale)),
      jet_(NumberSettingsFor(formats, locale)),
      trueText_(formats.BooleanTrue()),
      falseText_(formats.BooleanFalse()) {}

std::optional<std::string> TTesselAccessTextParser::NormalizeNumber(WideStringView text) const {
  return jet_.NormalizeNumber(text);
}

bool TTesselAccessTextParser::TryParseDateTime(WideStringView text, TDateTime& value) const {
  if (TryStrToDateTime(text, value, dateSettings_)) return true;
  // Texts in the ISO form (yyyy-mm-dd) and the like.
  return jet_.TryParseDateTime(text, value);
}

bool TTesselAccessTextParser::TryParseBoolean(WideStringView text, bool& value) const {
  const WideStringView trimmed = Trimmed(text);
  if (!trueText_.empty() && SameText(trimmed, trueText_)) {
    value = true;
    return true;
  }
  if (!falseText_.empty() && SameText(trimmed, falseText_)) {
    value = false;
    return true;
  }
  return jet_.TryParseBoolean(text, value);
}

}  // namespace verimo
