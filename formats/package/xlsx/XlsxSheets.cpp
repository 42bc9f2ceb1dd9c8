#include "formats/package/xlsx/XlsxSheets.h"

namespace verimo {
namespace {

bool IsPartNameChar(char16_t ch) {
  return (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z') || (ch >= u'0' && ch <= u'9') || ch == u'_' ||
         ch == u'-';
}

// Cuts to `length` code units without splitting a surrogate pair.
WideString CutName(WideStringView name, size_t length) {
  if (name.size() <= length) return WideString(name);
  if (length > 0 && name[length - 1] >= 0xD800 && name[length - 1] <= 0xDBFF) --length;
  return WideString(name.substr(0, length));
}

}  // namespace

std::string XlsxSheetPartName(WideStringView sheetName) {
  if (sheetName.empty()) return "sheet1";
  std::string name;
  for (char16_t ch : sheetName) {
    if (!IsPartNameChar(ch)) return "sheet1";
    name += static_cast<char>(ch);
  }
  return name;
}

TXlsxSheetInfo XlsxContinuationSheet(WideStringView sheetName, int number) {
  TXlsxSheetInfo sheet;
  sheet.PartName = XlsxSheetPartName(sheetName);
  if (number <= 1) {
    sheet.Name = CutName(sheetName, kMaxSheetNameLength);
    return sheet;
  }
  const WideString suffix = u" (" + IntToWide(number) + u")";
  sheet.Name = CutName(sheetName, kMaxSheetNameLength - suffix.size()) + suffix;
  sheet.PartName += "_" + std::to_string(number);
  return sheet;
}

}  // namespace verimo
