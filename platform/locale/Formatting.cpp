#include "platform/locale/Formatting.h"

namespace verimo {

TFormatSettings TFormatSettings::FromLocale(const std::string&) { return TFormatSettings(); }

TFormatSettings& GlobalFormatSettings() {
  static TFormatSettings settings = TFormatSettings::FromLocale();
  return settings;
}

WideString FormatFloat(WideStringView, double, const TFormatSettings&) { return {}; }
WideString FormatInt64(WideStringView, int64_t value, const TFormatSettings&) { return IntToWide(value); }
WideString FormatDateTime(WideStringView, TDateTime, const TFormatSettings&) { return {}; }
WideString FloatToStr(double, const TFormatSettings&) { return {}; }
WideString CurrToStr(double, const TFormatSettings&) { return {}; }
WideString DateTimeToStr(TDateTime, const TFormatSettings&) { return {}; }
bool TryStrToInt64(WideStringView, int64_t&, const TFormatSettings&) { return false; }
bool TryStrToFloat(WideStringView, double&, const TFormatSettings&) { return false; }
bool TryStrToDateTime(WideStringView, TDateTime&, const TFormatSettings&) { return false; }

}  // namespace verimo
