#include "formats/package/odf/OdsCellValue.h"

#include <cmath>
#include <cstdio>

#include "core/DateTime.h"
#include "formats/package/SheetValue.h"

namespace verimo {
namespace {

void AppendTwo(std::string& out, int value) {
  out += static_cast<char>('0' + value / 10 % 10);
  out += static_cast<char>('0' + value % 10);
}

// hh, mm, ss and, when there are any, the milliseconds as a fraction.
void AppendSeconds(std::string& out, const TimeParts& time) {
  AppendTwo(out, time.second);
  if (time.millisecond == 0) return;
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, ".%03d", time.millisecond);
  out += fraction;
}

bool AppendDate(std::string& out, TDateTime value, bool withTime) {
  const DateParts date = DecodeDate(value);
  if (date.year < 1 || date.year > 9999) return false;
  out += "office:value-type=\"date\" office:date-value=\"";
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  out += text;
  const TimeParts time = DecodeTime(value);
  if (withTime && (time.hour || time.minute || time.second || time.millisecond)) {
    out += 'T';
    AppendTwo(out, time.hour);
    out += ':';
    AppendTwo(out, time.minute);
    out += ':';
    AppendSeconds(out, time);
  }
  out += "\" ";
  return true;
}

void AppendTime(std::string& out, TDateTime value) {
  const TimeParts time = DecodeTime(value);
  out += "office:value-type=\"time\" office:time-value=\"PT";
  AppendTwo(out, time.hour);
  out += 'H';
  AppendTwo(out, time.minute);
  out += 'M';
  AppendSeconds(out, time);
  out += "S\" ";
}

bool AppendNumber(std::string& out, TTesselColType type, const Variant& value) {
  out += type == ectCurrency ? "office:value-type=\"currency\" office:value=\"" : "office:value-type=\"float\" office:value=\"";
  if (!AppendSheetNumber(out, value)) return false;
  out += "\" ";
  return true;
}

bool AppendTyped(std::string& out, TTesselColType type, const Variant& value) {
  switch (type) {
    case ectInteger:
    case ectBigint:
    case ectFloat:
    case ectCurrency: return AppendNumber(out, type, value);
    case ectDate:
    case ectDateTime:
      if (value.GetKind() != Variant::Kind::DateTime || !std::isfinite(value.AsDateTime())) return false;
      return AppendDate(out, value.AsDateTime(), type == ectDateTime);
    case ectTime:
      if (value.GetKind() != Variant::Kind::DateTime || !std::isfinite(value.AsDateTime())) return false;
      AppendTime(out, value.AsDateTime());
      return true;
    case ectBoolean:
      if (value.GetKind() != Variant::Kind::Boolean) return false;
      out += value.AsBool() ? "office:value-type=\"boolean\" office:boolean-value=\"true\" "
                            : "office:value-type=\"boolean\" office:boolean-value=\"false\" ";
      return true;
    default: return false;
  }
}

}  // namespace

void AppendODSValueAttributes(std::string& out, TTesselColType type, const Variant& value) {
  const size_t mark = out.size();
  if (AppendTyped(out, type, value)) return;
  out.resize(mark);
  out += "office:value-type=\"string\" ";
}

}  // namespace verimo
