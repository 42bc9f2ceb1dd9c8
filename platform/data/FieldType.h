#pragma once

#include <cstdint>
#include <string_view>

namespace verimo {

// The platform's field types, with the platform's ordinals (the column model
// stores them as a byte and some tables compare their order).
enum TFieldType : uint8_t {
  ftUnknown = 0,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
  ftCursor,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftADT,
  ftArray,
  ftReference,
  ftDataSet,
  ftOraBlob,
  ftOraClob,
  ftVariant,
  ftInterface,
  ftIDispatch,
  ftGuid,
  ftTimeStamp,
  ftFMTBcd,
  ftFixedWideChar,
  ftWideMemo,
  ftOraTimeStamp,
  ftOraInterval,
  ftLongWord,
  ftShortint,
  ftByte,
  ftExtended,
  ftConnection,
  ftParams,
  ftStream,
};

// "ftInteger", ... ; "ftUnknown" for values outside the enumeration.
std::string_view FieldTypeName(TFieldType type);

// BLOB fields: ftBlob .. ftTypedBinary, ftOraBlob, ftOraClob, ftWideMemo.
bool IsBlobType(TFieldType type);
// Memo fields: ftMemo, ftFmtMemo, ftWideMemo, ftOraClob.
bool IsMemoType(TFieldType type);
// Fields whose value is text: strings and memos.
bool IsTextType(TFieldType type);
// Fields whose value is bytes: ftBytes, ftVarBytes and the binary BLOBs.
bool IsBinaryType(TFieldType type);

// Bytes a field of this type occupies in a record buffer (2 for smallint,
// 4 for integer, 8 for large integer and float, ...), `size` for strings
// and byte fields, 0 where it does not apply.
int FieldDataSize(TFieldType type, int size);

// The display width a field of this type and size gets when nobody sets it.
int DefaultDisplayWidth(TFieldType type, int size);

}  // namespace verimo
