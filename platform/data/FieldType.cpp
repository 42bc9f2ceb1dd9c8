#include "platform/data/FieldType.h"

#include <array>

namespace verimo {

std::string_view FieldTypeName(TFieldType type) {
  static constexpr std::array<std::string_view, ftStream + 1> kNames = {
      "ftUnknown",     "ftString",      "ftSmallint",    "ftInteger",  "ftWord",
      "ftBoolean",     "ftFloat",       "ftCurrency",    "ftBCD",      "ftDate",
      "ftTime",        "ftDateTime",    "ftBytes",       "ftVarBytes", "ftAutoInc",
      "ftBlob",        "ftMemo",        "ftGraphic",     "ftFmtMemo",  "ftParadoxOle",
      "ftDBaseOle",    "ftTypedBinary", "ftCursor",      "ftFixedChar", "ftWideString",
      "ftLargeint",    "ftADT",         "ftArray",       "ftReference", "ftDataSet",
      "ftOraBlob",     "ftOraClob",     "ftVariant",     "ftInterface", "ftIDispatch",
      "ftGuid",        "ftTimeStamp",   "ftFMTBcd",      "ftFixedWideChar", "ftWideMemo",
      "ftOraTimeStamp", "ftOraInterval", "ftLongWord",   "ftShortint", "ftByte",
      "ftExtended",    "ftConnection",  "ftParams",      "ftStream"};
  return type <= ftStream ? kNames[type] : kNames[ftUnknown];
}

bool IsBlobType(TFieldType type) {
  return (type >= ftBlob && type <= ftTypedBinary) || type == ftOraBlob || type == ftOraClob ||
         type == ftWideMemo;
}

bool IsMemoType(TFieldType type) {
  return type == ftMemo || type == ftFmtMemo || type == ftWideMemo || type == ftOraClob;
}

bool IsTextType(TFieldType type) {
  return type == ftString || type == ftFixedChar || type == ftWideString ||
         type == ftFixedWideChar || type == ftGuid || IsMemoType(type);
}

bool IsBinaryType(TFieldType type) {
  return type == ftBytes || type == ftVarBytes || (IsBlobType(type) && !IsMemoType(type));
}

int FieldDataSize(TFieldType type, int size) {
  switch (type) {
    case ftSmallint:
    case ftWord:
    case ftBoolean: return 2;
    case ftInteger:
    case ftAutoInc:
    case ftDate:
    case ftTime: return 4;
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftDateTime:
    case ftTimeStamp: return 8;
    case ftBCD:
    case ftFMTBcd: return 34;
    case ftString:
    case ftFixedChar: return size + 1;
    case ftWideString:
    case ftFixedWideChar: return (size + 1) * 2;
    case ftBytes: return size;
    case ftVarBytes: return size + 2;
    default: return 0;
  }
}

int DefaultDisplayWidth(TFieldType type, int size) {
  switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar: return size;
    case ftSmallint: return 6;
    case ftInteger:
    case ftAutoInc: return 11;
    case ftWord: return 5;
    case ftLargeint: return 15;
    case ftBoolean: return 5;
    case ftDate:
    case ftTime: return 10;
    case ftDateTime:
    case ftTimeStamp: return 18;
    case ftBytes:
    case ftVarBytes: return size * 2;
    default: return 10;
  }
}

}  // namespace verimo
