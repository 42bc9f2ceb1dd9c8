#include "engine/TesselColumns.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/TesselCustomSource.h"
#include "engine/TesselFormats.h"
#include "engine/TesselRow.h"
#include "engine/TesselYield.h"
#include "platform/data/DBGrid.h"
#include "platform/data/ListView.h"
#include "platform/data/StringGrid.h"
#include "platform/locale/Formatting.h"

namespace verimo {

namespace {

constexpr int kMaxDataSetWidth = 100;
constexpr int kMaxStringLength = 255;

// The value of a column setting line, or nothing when the list is not
// published or has no line for the name.
const WideString* FindSetting(const TStringList* list, WideStringView name, WideString& holder) {
  if (list == nullptr) return nullptr;
  const int index = list->IndexOfName(name);
  if (index < 0) return nullptr;
  holder = list->ValueFromIndex(index);
  return &holder;
}

int ReadInteger(WideStringView text, int fallback) {
  long long value = 0;
  if (!TryWideToInt64(Trim(text), value)) return fallback;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return fallback;
  return static_cast<int>(value);
}

bool IsInt32(int64_t value) {
  return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

WideString FormatText(WideStringView pattern, int value) {
  WideString result;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] == u'd') {
      result += IntToWide(value);
      ++i;
    } else {
      result += pattern[i];
    }
  }
  return result;
}

WideString SQLTypeOfField(TFieldType type, int size) {
  switch (type) {
    case ftString:
    case ftWideString: return FormatText(u"CHAR(%d)", size);
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftBoolean:
    case ftLargeint: return u"INTEGER";
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd: return u"DOUBLE PRECISION";
    case ftDate:
    case ftTime:
    case ftDateTime: return u"DATE";
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftOraBlob: return u"BLOB";
    case ftOraClob: return u"CLOB";
    default: return u"UNKNOWN";
  }
}

WideString SQLTypeOfColType(TTesselColType type, int width) {
  switch (type) {
    case ectInteger:
    case ectBigint:
    case ectBoolean: return u"INTEGER";
    case ectFloat:
    case ectCurrency: return u"DOUBLE PRECISION";
    case ectDate:
    case ectTime:
    case ectDateTime: return u"DATE";
    case ectString: return FormatText(u"CHAR(%d)", width);
    case ectUnknown: return {};
  }
  return {};
}

TTesselColAlign DefaultAlign(TTesselColType type) {
  switch (type) {
    case ectInteger:
    case ectBigint:
    case ectFloat:
    case ectCurrency: return ecaRight;
    case ectBoolean: return ecaCenter;
    default: return ecaLeft;
  }
}

TTesselColAlign AlignFromText(WideStringView text) {
  const WideString upper = UpperCase(text);
  if (upper.empty()) return ecaLeft;
  if (upper[0] == u'C') return ecaCenter;
  if (upper[0] == u'R') return ecaRight;
  return ecaLeft;
}

const WideString* FormatOfType(const TTesselFormats& formats, TTesselColType type) {
  switch (type) {
    case ectInteger:
    case ectBigint: return &formats.IntegerFormat();
    case ectFloat: return &formats.FloatFormat();
    case ectCurrency: return &formats.CurrencyFormat();
    case ectDate: return &formats.DateFormat();
    case ectTime: return &formats.TimeFormat();
    case ectDateTime: return &formats.DateTimeFormat();
    default: return nullptr;
  }
}

// A string-grid column named in ExportedFields: a short name is a column
// number, a longer one loses its first "Field" first.
int StringGridColumnOfName(WideStringView name, int colCount) {
  WideString number(name);
  if (number.size() >= 6) {
    const size_t at = number.find(u"Field");
    if (at != WideString::npos) number.erase(at, 5);
  }
  const int column = ReadInteger(number, -1);
  return column >= 0 && column < colCount ? column : -1;
}

bool IsIntegerField(TFieldType type) {
  return type == ftSmallint || type == ftInteger || type == ftLargeint;
}

}  // namespace

TTesselColType ColTypeFromFieldType(TFieldType type) {
  switch (type) {
    case ftString:
    case ftBlob:
    case ftMemo:
    case ftWideString:
    case ftOraBlob:
    case ftOraClob:
    case ftGuid: return ectString;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc: return ectInteger;
    case ftLargeint: return ectBigint;
    case ftBoolean: return ectBoolean;
    case ftFloat:
    case ftBCD:
    case ftFMTBcd: return ectFloat;
    case ftCurrency: return ectCurrency;
    case ftDate: return ectDate;
    case ftTime: return ectTime;
    case ftDateTime:
    case ftTimeStamp: return ectDateTime;
    default: return ectUnknown;
  }
}

TTesselColType ColTypeFromText(WideStringView text, WideStringView booleanTrue, WideStringView booleanFalse) {
  if (text.empty()) return ectString;
  if (SameText(text, booleanTrue) || SameText(text, booleanFalse)) return ectBoolean;
  const TFormatSettings& settings = GlobalFormatSettings();
  int64_t integer = 0;
  if (TryStrToInt64(text, integer, settings) && IsInt32(integer)) return ectInteger;
  double number = 0;
  if (TryStrToFloat(text, number, settings)) return ectFloat;
  TDateTime dateTime = 0;
  if (TryStrToDateTime(text, dateTime, settings)) {
    if (TimeOf(dateTime) == 0) return ectDate;
    if (DateOf(dateTime) == 0) return ectTime;
    return ectDateTime;
  }
  return ectString;
}

int EstimateNumberWidth(int dataSize, WideStringView pattern) {
  double range = std::ldexp(1.0, 8 * std::max(dataSize, 0));
  int digits = 0;
  while (range > 1) {
    range /= 10;
    ++digits;
  }
  if (pattern.find(u',') != WideStringView::npos) digits += digits / 3;
  bool inFraction = false;
  for (char16_t ch : pattern) {
    if (ch == u'.') {
      ++digits;
      inFraction = true;
    } else if (inFraction && ch != u',') {
      ++digits;
    }
  }
  return digits;
}

TTesselColumns::TTesselColumns(TSettingsReader readSettings) : readSettings_(std::move(readSettings)) {}

TTesselColumns::~TTesselColumns() = default;

TTesselColumn& TTesselColumns::Add() {
  items_.emplace_back();
  return items_.back();
}

const TTesselFormats& TTesselColumns::ValueFormats() const {
  if (settings_.ValueFormats != nullptr) return *settings_.ValueFormats;
  if (settings_.Formats != nullptr) return *settings_.Formats;
  return *defaultFormats_;
}

void TTesselColumns::Build(bool includeBlobs) {
  settings_ = TTesselColumnSettings();
  if (readSettings_) readSettings_(settings_);
  if (settings_.ValueFormats == nullptr && settings_.Formats == nullptr && !defaultFormats_)
    defaultFormats_ = std::make_unique<TTesselFormats>();
  items_.clear();
  if (settings_.ExportedFields != nullptr && !settings_.ExportedFields->IsEmpty())
    AddNamedColumns(includeBlobs);
  else
    AddAllColumns(includeBlobs);
  for (TTesselColumn& column : items_) DeriveProperties(column);
  patterns_.assign(items_.size(), CompiledPatterns());
}

const TNumberPattern& TTesselColumns::NumberPatternOf(int index) const {
  const TTesselColumn& column = (*this)[index];
  if (patterns_.size() < items_.size()) patterns_.resize(items_.size());
  CompiledPatterns& compiled = patterns_[static_cast<size_t>(index)];
  if (patternsHeld_ && compiled.numberReady) return compiled.number;
  if (!compiled.numberReady || !SameUnits(compiled.number.Pattern(), column.Format)) {
    compiled.number = TNumberPattern(column.Format);
    compiled.numberReady = true;
  }
  return compiled.number;
}

const TDateTimePattern& TTesselColumns::DateTimePatternOf(int index) const {
  const TTesselColumn& column = (*this)[index];
  if (patterns_.size() < items_.size()) patterns_.resize(items_.size());
  CompiledPatterns& compiled = patterns_[static_cast<size_t>(index)];
  if (patternsHeld_ && compiled.dateTimeReady) return compiled.dateTime;
  // An empty pattern means the default date-time text.
  const WideStringView wanted = column.Format.empty() ? WideStringView(u"c") : WideStringView(column.Format);
  if (!compiled.dateTimeReady || !SameUnits(compiled.dateTime.Pattern(), wanted)) {
    compiled.dateTime = TDateTimePattern(wanted);
    compiled.dateTimeReady = true;
  }
  return compiled.dateTime;
}

void TTesselColumns::AddNamedColumns(bool /*includeBlobs: named BLOB fields always join*/) {
  const TTesselSourceRefs& source = settings_.Source;
  for (const WideString& name : *settings_.ExportedFields) {
    switch (source.ExportSource) {
      case esDataSet: {
        if (source.DataSet == nullptr) break;
        TField& field = source.DataSet->FieldByName(name);
        if (settings_.OnlyVisibleFields && !field.Visible()) break;
        TTesselColumn& column = Add();
        column.Number = field.Index();
        column.Field = &field;
        break;
      }
      case esListView: {
        if (source.ListView == nullptr) break;
        int found = -1;
        for (int i = 0; i < source.ListView->ColumnCount(); ++i)
          if (SameText(source.ListView->Columns[static_cast<size_t>(i)].Caption, name)) found = i;
        if (found >= 0) Add().Number = found;
        break;
      }
      case esDBGrid: {
        if (source.DBGrid == nullptr) break;
        int found = -1;
        TField* foundField = nullptr;
        for (int i = 0; i < source.DBGrid->ColumnCount(); ++i) {
          TField* field = source.DBGrid->ColumnField(i);
          if (field == nullptr || !SameText(field->FieldName(), name)) continue;
          if (settings_.OnlyVisibleFields && !field->Visible()) continue;
          found = i;
          foundField = field;
        }
        if (found >= 0) {
          TTesselColumn& column = Add();
          column.Number = found;
          column.Field = foundField;
        }
        break;
      }
      case esStringGrid: {
        if (source.StringGrid == nullptr) break;
        const int found = StringGridColumnOfName(name, source.StringGrid->ColCount());
        if (found >= 0) Add().Number = found;
        break;
      }
      case esCustom: {
        if (source.CustomSource == nullptr) break;
        const int found = source.CustomSource->Columns.IndexOfName(name);
        if (found >= 0) Add().Number = found;
        break;
      }
    }
  }
}

void TTesselColumns::AddAllColumns(bool includeBlobs) {
  const TTesselSourceRefs& source = settings_.Source;
  auto takesField = [&](const TField& field) {
    if (field.IsBlob() && !includeBlobs) return false;
    return !(settings_.OnlyVisibleFields && !field.Visible());
  };
  switch (source.ExportSource) {
    case esDataSet:
      if (source.DataSet == nullptr) break;
      for (int i = 0; i < source.DataSet->FieldCount(); ++i) {
        TField& field = source.DataSet->Field(i);
        if (!takesField(field)) continue;
        TTesselColumn& column = Add();
        column.Number = i;
        column.Field = &field;
      }
      break;
    case esListView:
      if (source.ListView == nullptr) break;
      for (int i = 0; i < source.ListView->ColumnCount(); ++i) Add().Number = i;
      break;
    case esDBGrid:
      if (source.DBGrid == nullptr) break;
      for (int i = 0; i < source.DBGrid->ColumnCount(); ++i) {
        TField* field = source.DBGrid->ColumnField(i);
        if (field == nullptr || !takesField(*field)) continue;
        TTesselColumn& column = Add();
        column.Number = i;
        column.Field = field;
      }
      break;
    case esStringGrid:
      if (source.StringGrid == nullptr) break;
      for (int i = 0; i < source.StringGrid->ColCount(); ++i) Add().Number = i;
      break;
    case esCustom:
      if (source.CustomSource == nullptr) break;
      for (int i = 0; i < source.CustomSource->Columns.Count(); ++i) Add().Number = i;
      break;
  }
}

void TTesselColumns::DeriveProperties(TTesselColumn& column) const {
  const TTesselSourceRefs& source = settings_.Source;
  const TField* field = column.Field;
  const int n = column.Number;
  WideString holder;

  // Name.
  switch (source.ExportSource) {
    case esDataSet:
    case esDBGrid: column.Name = field->FieldName(); break;
    case esListView: column.Name = source.ListView->Columns[static_cast<size_t>(n)].Caption; break;
    case esStringGrid: column.Name = u"Field" + IntToWide(n); break;
    case esCustom: column.Name = source.CustomSource->Columns[n].ColumnName(); break;
  }

  // Type.
  const TTesselFormats& formats = ValueFormats();
  switch (source.ExportSource) {
    case esDataSet:
    case esDBGrid:
      column.FieldType = field->DataType();
      column.ColType = ColTypeFromFieldType(column.FieldType);
      break;
    case esListView:
      if (!settings_.AutoCalcStrType)
        column.ColType = ectString;
      else if (source.ListView->ItemCount() > 0)
        column.ColType = ColTypeFromText(source.ListView->ItemText(0, n), formats.BooleanTrue(), formats.BooleanFalse());
      break;
    case esStringGrid:
      column.ColType = settings_.AutoCalcStrType
                           ? ColTypeFromText(source.StringGrid->Cell(n, source.StringGrid->Row),
                                             formats.BooleanTrue(), formats.BooleanFalse())
                           : ectString;
      break;
    case esCustom: column.ColType = source.CustomSource->Columns[n].ColumnType; break;
  }

  // Caption.
  if (const WideString* caption = FindSetting(settings_.Captions, column.Name, holder)) {
    column.Caption = *caption;
  } else {
    switch (source.ExportSource) {
      case esDataSet: column.Caption = field->DisplayLabel(); break;
      case esListView: column.Caption = source.ListView->Columns[static_cast<size_t>(n)].Caption; break;
      case esDBGrid: column.Caption = source.DBGrid->ColumnTitle(n); break;
      case esStringGrid:
        column.Caption = settings_.CaptionRow >= 0 ? source.StringGrid->Cell(n, settings_.CaptionRow)
                                                   : u"ColNo_" + IntToWide(n);
        break;
      case esCustom: column.Caption = source.CustomSource->Columns[n].Caption; break;
    }
  }

  // Width.
  if (const WideString* width = FindSetting(settings_.ColumnsWidth, column.Name, holder)) {
    column.Width = ReadInteger(*width, 0);
  } else {
    switch (source.ExportSource) {
      case esDataSet: {
        column.Width = field->DisplayWidth();
        if (settings_.Formats != nullptr) {
          if (IsIntegerField(column.FieldType))
            column.Width = EstimateNumberWidth(field->DataSize(), settings_.Formats->IntegerFormat());
          else if (column.FieldType == ftFloat)
            column.Width = EstimateNumberWidth(field->DataSize(), settings_.Formats->FloatFormat());
        }
        column.Width = std::min(column.Width, kMaxDataSetWidth);
        break;
      }
      case esListView: column.Width = source.ListView->Columns[static_cast<size_t>(n)].Width / 8; break;
      case esDBGrid: column.Width = source.DBGrid->ColumnWidthInChars(n); break;
      case esStringGrid: column.Width = source.StringGrid->ColWidthInChars(n); break;
      case esCustom: column.Width = source.CustomSource->Columns[n].Width; break;
    }
  }

  // Format.
  column.Format.clear();
  if (settings_.Formats != nullptr) {
    if (const WideString* format = FormatOfType(*settings_.Formats, column.ColType)) column.Format = *format;
  }
  if (const WideString* format = FindSetting(settings_.UserFormats, column.Name, holder)) column.Format = *format;

  // Alignment.
  column.ColAlign = ecaLeft;
  if (settings_.ColumnsAlign != nullptr) {
    const WideString* align = FindSetting(settings_.ColumnsAlign, column.Name, holder);
    column.ColAlign = align != nullptr ? AlignFromText(*align) : DefaultAlign(column.ColType);
  }

  // SQL type.
  column.SQLType = field != nullptr ? SQLTypeOfField(column.FieldType, field->Size())
                                    : SQLTypeOfColType(column.ColType, column.Width);

  column.IsString = column.ColType == ectString;

  // Length.
  column.Length = 0;
  if (column.IsString) {
    const bool textGrid = source.ExportSource == esListView || source.ExportSource == esStringGrid;
    const WideString* length = textGrid ? FindSetting(settings_.ColumnsLength, column.Name, holder) : nullptr;
    if (length != nullptr) {
      column.Length = ReadInteger(*length, kMaxStringLength);
    } else {
      switch (source.ExportSource) {
        case esDataSet: column.Length = field->Size(); break;
        case esListView:
        case esStringGrid: column.Length = kMaxStringLength; break;
        case esDBGrid: column.Length = std::min(field->Size(), kMaxStringLength); break;
        case esCustom: column.Length = std::min(source.CustomSource->Columns[n].Size, kMaxStringLength); break;
      }
    }
  }

  column.IsNumeric = column.ColType <= ectDateTime;
  column.IsNumber = column.ColType <= ectCurrency;
  column.IsBlob = field != nullptr && field->IsBlob();
  column.IsMemo = field != nullptr && field->IsMemo();
  column.IsVisible = field == nullptr || field->Visible();
}

int TTesselColumns::IndexOfName(WideStringView name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (SameText(items_[i].Name, name)) return static_cast<int>(i);
  return -1;
}

bool TTesselColumns::IsNull(int index) const {
  const TField* field = (*this)[index].Field;
  return field != nullptr && field->IsNull();
}

Variant TTesselColumns::GetValue(int index) const {
  const TField* field = (*this)[index].Field;
  return field != nullptr ? field->Value() : Variant::FromText(WideString());
}

std::vector<int> TTesselColumns::KeyColumns() const {
  if (!ReadsFields() || items_.empty()) return {};
  const TField* anyField = nullptr;
  for (const TTesselColumn& column : items_)
    if (column.Field != nullptr) anyField = column.Field;
  if (anyField == nullptr) return {};
  const TDataSet& dataSet = anyField->DataSet();
  std::vector<int> keyColumns;
  for (int key = 0; key < dataSet.KeyFieldCount(); ++key) {
    auto found = std::find_if(items_.begin(), items_.end(), [&](const TTesselColumn& column) {
      return column.Field != nullptr && &column.Field->DataSet() == &dataSet && column.Field->Index() == key;
    });
    if (found == items_.end()) return {};
    keyColumns.push_back(static_cast<int>(found - items_.begin()));
  }
  return keyColumns;
}

bool TTesselColumns::HasBlobColumns() const {
  return std::any_of(items_.begin(), items_.end(), [](const TTesselColumn& column) { return column.IsBlob; });
}

void TTesselColumns::ResetCounters() {
  for (TTesselColumn& column : items_) column.Counter = 0;
}

void TTesselColumns::GetColumnValue(int index, Variant& value, WideString& text) const {
  const TTesselColumn& column = (*this)[index];
  if (column.Field != nullptr && ReadsFields()) {
    column.Field->ReadValue(value);
    FormatFieldValue(index, column, ValueFormats(), value, text);
    return;
  }
  const int counter = settings_.RecordCounter != nullptr ? *settings_.RecordCounter : 0;
  ReadColumnValue(index, counter, value, text);
}

void TTesselColumns::ReadFieldRow(TTesselRow& row) const {
  const TTesselFormats& formats = ValueFormats();
  const size_t count = std::min(items_.size(), static_cast<size_t>(row.Count()));
  auto cell = row.begin();
  for (size_t i = 0; i < count; ++i, ++cell) {
    const TTesselColumn& column = items_[i];
    if (column.Field == nullptr) {
      cell->Value = Variant();
      cell->Text.clear();
      continue;
    }
    column.Field->ReadValue(cell->Value);
    FormatFieldValue(static_cast<int>(i), column, formats, cell->Value, cell->Text);
  }
}

void TTesselColumns::ReadColumnValue(int index, int counter, Variant& value, WideString& text) const {
  const TTesselColumn& column = (*this)[index];
  switch (settings_.Source.ExportSource) {
    case esDataSet:
    case esDBGrid:
      if (column.Field != nullptr) {
        column.Field->ReadValue(value);
        FormatFieldValue(index, column, ValueFormats(), value, text);
        return;
      }
      break;
    case esListView:
    case esStringGrid:
    case esCustom:
      text = SourceText(column, counter);
      ConvertSourceText(index, value, text);
      return;
  }
  value = Variant();
  text.clear();
}

WideString TTesselColumns::SourceText(const TTesselColumn& column, int counter) const {
  const TTesselSourceRefs& source = settings_.Source;
  switch (source.ExportSource) {
    case esListView:
      return source.ListView != nullptr
                 ? WideString(source.ListView->ItemText(settings_.SkipRecCount + counter, column.Number))
                 : WideString();
    case esStringGrid:
      return source.StringGrid != nullptr ? source.StringGrid->Cell(column.Number, source.StringGrid->Row)
                                          : WideString();
    case esCustom:
      return source.CustomSource != nullptr ? source.CustomSource->ColumnText(column.Number) : WideString();
    default: return {};
  }
}

void TTesselColumns::FormatFieldValue(int index, const TTesselColumn& column, const TTesselFormats& formats,
                                      Variant& value, WideString& text) const {
  const TField& field = *column.Field;
  if (value.IsNull()) {
    text = formats.NullString();
    return;
  }
  const bool isText = value.GetKind() == Variant::Kind::Text;
  if (formats.KeepOriginalFormat) {
    if (isText)
      text = value.AsText();
    else if (value.GetKind() == Variant::Kind::Bytes)
      text = field.AsString();
    else
      text = VariantToText(value);
    return;
  }
  try {
    switch (field.DataType()) {
      case ftSmallint:
      case ftInteger:
      case ftWord:
      case ftAutoInc:
      case ftLargeint:
        text.clear();
        formats.AppendInteger(NumberPatternOf(index), value.AsInt(), text);
        break;
      case ftFloat:
        text.clear();
        formats.AppendFloatValue(NumberPatternOf(index), value.AsDouble(), text);
        break;
      case ftCurrency:
        text.clear();
        formats.AppendCurrencyValue(NumberPatternOf(index), value.AsDouble(), text);
        break;
      case ftBCD: {
        TSeparatorScope separators(formats);
        text = VariantToText(value);
        break;
      }
      case ftDate:
      case ftTime:
      case ftDateTime:
      case ftTimeStamp:
        text.clear();
        formats.AppendDateTimeValue(DateTimePatternOf(index), value.AsDouble(), text);
        break;
      case ftBoolean: text = value.AsBool() ? formats.BooleanTrue() : formats.BooleanFalse(); break;
      default:
        // Strings, wide strings and the other types: the text as it comes
        // (copied into the cell's buffer, not through a temporary).
        if (isText)
          text = value.AsText();
        else
          text = field.AsString();
        break;
    }
  } catch (const std::exception&) {
    // A value the patterns cannot take: its plain text and no raw value.
    value = Variant();
    text = field.AsString();
  }
}

int TTesselColumns::LengthClassOf(int index, const Variant& value) const {
  if (value.IsNull() || ValueFormats().KeepOriginalFormat) return -1;
  switch ((*this)[index].Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: return value.IsNumeric() ? NumberPatternOf(index).LengthClassOfInt64(value.AsInt()) : -1;
    case ftFloat:
    case ftCurrency: return value.IsNumeric() ? NumberPatternOf(index).LengthClassOfFloat(value.AsDouble()) : -1;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp: return value.IsNumeric() ? DateTimePatternOf(index).LengthClassOf(value.AsDouble()) : -1;
    case ftBoolean: return value.GetKind() == Variant::Kind::Boolean ? (value.AsBool() ? 1 : 0) : -1;
    default: return -1;
  }
}

void TTesselColumns::ConvertSourceText(int index, Variant& value, WideString& text) const {
  const TTesselColumn& column = (*this)[index];
  value = Variant();
  const TTesselFormats& formats = ValueFormats();
  const TFormatSettings& settings = GlobalFormatSettings();
  const bool keep = formats.KeepOriginalFormat;
  try {
    switch (column.ColType) {
      case ectInteger:
      case ectBigint: {
        int64_t number = 0;
        if (!TryStrToInt64(text, number, settings)) return;
        if (column.ColType == ectInteger && !IsInt32(number)) return;
        WideString formatted;
        if (!keep) formats.AppendInteger(NumberPatternOf(index), number, formatted);
        value = Variant::FromInt(number);
        if (!keep) text = std::move(formatted);
        return;
      }
      case ectFloat:
      case ectCurrency: {
        double number = 0;
        if (!TryStrToFloat(text, number, settings)) return;
        WideString formatted;
        if (!keep)
          column.ColType == ectFloat ? formats.AppendFloatValue(NumberPatternOf(index), number, formatted)
                                     : formats.AppendCurrencyValue(NumberPatternOf(index), number, formatted);
        value = Variant::FromDouble(number);
        if (!keep) text = std::move(formatted);
        return;
      }
      case ectDate:
      case ectTime:
      case ectDateTime: {
        TDateTime dateTime = 0;
        if (!TryStrToDateTime(text, dateTime, settings)) return;
        WideString formatted;
        if (!keep) formats.AppendDateTimeValue(DateTimePatternOf(index), dateTime, formatted);
        value = Variant::FromDateTime(dateTime);
        if (!keep) text = std::move(formatted);
        return;
      }
      default: return;
    }
  } catch (const std::exception&) {
    // The source text stays; the raw value stays empty.
    value = Variant();
  }
}

template <typename F>
void TTesselColumns::ScanRecords(bool fromFirst, bool currentOnly, F&& record) {
  const TTesselSourceRefs& source = settings_.Source;
  struct BookmarkGuard {
    const TTesselSourceRefs& source;
    TTesselSourceBookmark bookmark;
    ~BookmarkGuard() {
      try {
        source.FreeBookmark(bookmark);
      } catch (...) {
        // Freeing a position cannot fail in a way that matters to the export.
      }
    }
  } guard{source, source.GetBookmark()};

  if (fromFirst) source.First();
  for (int i = 0; i < settings_.SkipRecCount; ++i) source.Next(recordCounter_);
  recordCounter_ = 0;
  const int exportRecCount = settings_.ExportRecCount;
  TYieldPacer pacer;
  while (!source.EndOfFile(recordCounter_, settings_.SkipRecCount, exportRecCount) &&
         !(exportRecCount != 0 && recordCounter_ >= exportRecCount)) {
    if (settings_.Stopped && settings_.Stopped()) break;
    record();
    if (currentOnly) break;
    source.Next(recordCounter_);
    if (settings_.OnFetchedRecord) settings_.OnFetchedRecord(recordCounter_);
    pacer.Record();
  }
  source.GotoBookmark(guard.bookmark);
}

std::vector<TTesselColumns::Measure> TTesselColumns::MeasuresWithoutText(bool storedLength) const {
  // Without a text callback, fields are measured without their texts where
  // that gives the same width: a text field stored one byte per character
  // by its stored bytes, other fields (numbers, dates, Booleans) once per
  // class of values whose texts share one length.
  std::vector<Measure> measures(items_.size(), kByText);
  const TTesselSourceRefs& source = settings_.Source;
  if (settings_.EscapeText || (source.ExportSource != esDataSet && source.ExportSource != esDBGrid)) return measures;
  for (size_t i = 0; i < items_.size(); ++i) {
    const TField* field = items_[i].Field;
    if (field == nullptr) continue;
    const bool stored = field->DataType() == ftString && field->DataSet().FieldStoredCodePage(field->Index()) != 0;
    if (!stored) measures[i] = kByLengthClass;
    else if (storedLength) measures[i] = kByStoredLength;
  }
  return measures;
}

uint64_t TTesselColumns::LengthClassBit(int index, const Variant& value) const {
  const int lengthClass = LengthClassOf(index, value);
  return lengthClass >= 0 ? uint64_t{1} << lengthClass : 0;
}

void TTesselColumns::CalcWidths() {
  for (TTesselColumn& column : items_)
    column.Width = std::max(column.Width, static_cast<int>(column.Caption.size()));
  const std::vector<Measure> measures = MeasuresWithoutText(true);
  std::vector<uint64_t> measuredClasses(items_.size(), 0);
  const int nullLength = static_cast<int>(ValueFormats().NullString().size());
  Variant value;
  WideString text;
  ScanRecords(true, false, [&] {
    for (int i = 0; i < Count(); ++i) {
      TTesselColumn& column = items_[static_cast<size_t>(i)];
      const Measure measure = measures[static_cast<size_t>(i)];
      if (measure == kByStoredLength) {
        const size_t stored = column.Field->DataSet().FieldStoredText(column.Field->Index()).size();
        column.Width = std::max(column.Width, stored == 0 ? nullLength : static_cast<int>(stored));
        continue;
      }
      if (measure == kByLengthClass) {
        column.Field->ReadValue(value);
        const uint64_t bit = LengthClassBit(i, value);
        if ((measuredClasses[static_cast<size_t>(i)] & bit) != 0) continue;
        FormatFieldValue(i, column, ValueFormats(), value, text);
        column.Width = std::max(column.Width, static_cast<int>(text.size()));
        // A value the patterns could not take was written another way.
        if (!value.IsNull()) measuredClasses[static_cast<size_t>(i)] |= bit;
        continue;
      }
      ReadColumnValue(i, recordCounter_, value, text);
      const int length = static_cast<int>(settings_.EscapeText ? settings_.EscapeText(text).size() : text.size());
      column.Width = std::max(column.Width, length);
    }
  });
}

void TTesselColumns::MeasureTexts(const std::function<void(int, const WideString&)>& measure, bool fromFirst,
                                  bool currentOnly, bool sameLengthSameWidth) {
  std::vector<Measure> measures = MeasuresWithoutText(false);
  if (!sameLengthSameWidth) measures.assign(items_.size(), kByText);
  std::vector<uint64_t> measuredClasses(items_.size(), 0);
  Variant value;
  WideString text;
  ScanRecords(fromFirst, currentOnly, [&] {
    for (int i = 0; i < Count(); ++i) {
      TTesselColumn& column = items_[static_cast<size_t>(i)];
      if (measures[static_cast<size_t>(i)] != kByLengthClass) {
        ReadColumnValue(i, recordCounter_, value, text);
        measure(i, text);
        continue;
      }
      column.Field->ReadValue(value);
      const uint64_t bit = LengthClassBit(i, value);
      if ((measuredClasses[static_cast<size_t>(i)] & bit) != 0) continue;
      FormatFieldValue(i, column, ValueFormats(), value, text);
      measure(i, text);
      if (!value.IsNull()) measuredClasses[static_cast<size_t>(i)] |= bit;
    }
  });
}

}  // namespace verimo
