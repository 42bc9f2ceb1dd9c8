#pragma once

#include <optional>
#include <string>

#include "core/DateTime.h"
#include "core/WideString.h"
#include "engine/TesselFormats.h"
#include "platform/jet/ValueConversion.h"
#include "platform/locale/Formatting.h"

namespace verimo {

// Reads the texts an Access export hands to its insert command with the
// conventions they were written in: the exporter's separators, currency
// symbol, date pattern and Boolean texts, over the locale data that
// formatted them (month and am/pm names). Dates go through the locale
// layer's parser, numbers through the Jet layer's with those conventions.
class TTesselAccessTextParser : public TJetTextParser {
 public:
  // `locale` supplies what the formats do not hold (am/pm names, currency
  // placement); the formats win for everything they have.
  TTesselAccessTextParser(const TTesselFormats& formats, const TFormatSettings& locale);

  std::optional<std::string> NormalizeNumber(WideStringView text) const override;
  bool TryParseDateTime(WideStringView text, TDateTime& value) const override;
  bool TryParseBoolean(WideStringView text, bool& value) const override;

  const TFormatSettings& DateSettings() const { return dateSettings_; }
  const TJetFormatSettings& NumberSettings() const { return jet_.Settings(); }

 private:
  TFormatSettings dateSettings_;
  TJetSettingsTextParser jet_;
  WideString trueText_;
  WideString falseText_;
};

// The currency symbol a currency pattern writes: its quoted text, else
// what remains without the digit placeholders and separators, trimmed
// ("#,###,##0.00 ₺" gives "₺", "\"TL\" #,##0.00" gives "TL"). Empty when
// the pattern has none.
WideString CurrencySymbolOf(WideStringView pattern);

}  // namespace verimo
