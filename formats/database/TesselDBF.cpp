#include "formats/database/TesselDBF.h"

#include <algorithm>
#include <charconv>
#include <ctime>

#include "core/Exception.h"
#include "engine/TesselIniFile.h"
#include "formats/database/DBFFieldNames.h"
#include "formats/database/TesselDBFWriter.h"
#include "platform/locale/Formatting.h"

namespace verimo {

namespace {

constexpr char16_t kLengthSection[] = u"LENGTH";
constexpr char16_t kPrecisionSection[] = u"PRECISION";
constexpr char16_t kDBFSection[] = u"DBF";
constexpr char16_t kLinePrefix[] = u"line";
constexpr int kMaxRecordLength = 65535;
// The widest number field dBASE reads, and the most decimals it keeps.
constexpr int kMaxNumberLength = 20;
constexpr int kMaxNumberDecimals = 18;
// The places a money value keeps (a currency is scaled by 10,000).
constexpr int kMoneyDecimals = 4;
// The header length (32 bytes per field and 33 more) is a 16-bit number.
constexpr int kMaxFieldCount = (65535 - 33) / 32;

DateParts Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (!localtime_r(&now, &local)) return {2000, 1, 1};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

int IntegerOr(WideStringView text, int fallback) {
  long long value = 0;
  return TryWideToInt64(Trim(text), value) && value >= -1000000 && value <= 1000000 ? static_cast<int>(value)
                                                                                    : fallback;
}

// A number in the plain notation ("12.5", "-3"), as a field gives it when
// its patterns could not format it.
bool TryPlainNumber(WideStringView text, double& value) {
  std::string ascii;
  for (char16_t ch : Trim(text)) {
    if (ch > 0x7F) return false;
    ascii += static_cast<char>(ch);
  }
  if (ascii.empty()) return false;
  auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  return result.ec == std::errc() && result.ptr == ascii.data() + ascii.size();
}

[[noreturn]] void RaiseConversion(const WideString& text, const char* what, const TTesselColumn& column) {
  throw Exception("\"" + WideToUtf8(text) + "\" is not a valid " + what + " (field " + WideToUtf8(column.Name) +
                  ")");
}

}  // namespace

TTesselDBF::TTesselDBF() {
  published_.Captions = true;
  published_.ColumnsLength = true;
  SetOutputEncoding(oeAnsi);
}

std::filesystem::path TTesselDBF::MemoFileName(const std::filesystem::path& tableFile) {
  const std::string extension = tableFile.extension().string();
  const bool upper = extension.size() > 1 &&
                     std::none_of(extension.begin(), extension.end(), [](char ch) { return ch >= 'a' && ch <= 'z'; });
  std::filesystem::path memo = tableFile;
  memo.replace_extension(upper ? ".DBT" : ".dbt");
  return memo;
}

std::unique_ptr<TTesselWriter> TTesselDBF::GetWriterClass(TStream& stream) {
  return std::make_unique<TTesselDBFWriter>(this, &stream);
}

TTesselDBFWriter& TTesselDBF::DBFWriter() const { return static_cast<TTesselDBFWriter&>(Writer()); }

namespace {

// The size and decimals a field's own type gives, within dBASE's limits;
// false for types that give none.
bool SourcePrecision(const TTesselColumn& column, int& size, int& decimals) {
  if (column.Field == nullptr) return false;
  switch (column.FieldType) {
    case ftBCD:
    case ftFMTBcd: decimals = column.Field->Size(); break;
    case ftCurrency: decimals = kMoneyDecimals; break;
    default: return false;
  }
  size = kMaxNumberLength;
  decimals = std::clamp(decimals, 0, kMaxNumberDecimals);
  return true;
}

}  // namespace

void TTesselDBF::Precision(const TTesselColumn& column, int& size, int& decimals) const {
  if (!SourcePrecision(column, size, decimals)) {
    size = DefaultFloatSize;
    decimals = DefaultFloatDecimal;
  }
  const int line = ColumnsPrecision.IndexOfName(column.Name);
  if (line >= 0) {
    const WideString value = ColumnsPrecision.ValueFromIndex(line);
    const size_t comma = value.find(u',');
    if (comma != WideString::npos) {
      const int lineSize = IntegerOr(WideStringView(value).substr(0, comma), 0);
      const int lineDecimals = IntegerOr(WideStringView(value).substr(comma + 1), 0);
      if (lineSize > 0 || lineDecimals > 0) {
        size = lineSize;
        decimals = lineDecimals;
      }
    }
  }
  // A field holds at most 254 characters, and its decimals leave room for
  // a digit and the point.
  if (size <= 0) size = DefaultFloatSize > 0 ? DefaultFloatSize : 15;
  size = std::clamp(size, 1, dbf::kMaxCharacterLength);
  decimals = std::clamp(decimals, 0, std::max(0, size - 2));
}

int TTesselDBF::CharacterLength(const TTesselColumn& column) const {
  // The column model takes ColumnsLength only for grids and list views; a
  // character field follows it for every source.
  const int line = ColumnsLength.IndexOfName(column.Name);
  return line >= 0 ? IntegerOr(ColumnsLength.ValueFromIndex(line), column.Length) : column.Length;
}

dbf::TDBFField TTesselDBF::FieldOf(const TTesselColumn& column) const {
  dbf::TDBFField field;
  if (column.IsBlob) {
    field.Type = 'M';
    field.Length = dbf::kMemoFieldLength;
    return field;
  }
  switch (column.ColType) {
    case ectInteger:
      field.Type = 'N';
      field.Length = 11;
      break;
    case ectBigint:
      field.Type = 'N';
      field.Length = 20;
      break;
    case ectFloat:
    case ectCurrency:
      field.Type = 'N';
      Precision(column, field.Length, field.Decimals);
      break;
    case ectString:
      field.Type = 'C';
      field.Length = std::clamp(CharacterLength(column), 1, dbf::kMaxCharacterLength);
      break;
    case ectBoolean:
      field.Type = 'L';
      field.Length = 1;
      break;
    case ectDate:
    case ectTime:
    case ectDateTime:
      field.Type = 'D';
      field.Length = 8;
      break;
    case ectUnknown:
      field.Type = 'C';
      // A bytes field is written as two hexadecimal digits a byte.
      field.Length = column.Field != nullptr && IsBinaryType(column.FieldType)
                         ? std::clamp(2 * column.Field->Size(), 1, dbf::kMaxCharacterLength)
                         : 50;
      break;
  }
  return field;
}

void TTesselDBF::SwitchTimeColumnsToText() {
  if (!ExportTimeAsStr) return;
  TTesselColumns& columns = Columns();
  for (int i = 0; i < columns.Count(); ++i) {
    TTesselColumn& column = columns[i];
    if (column.IsBlob || (column.ColType != ectTime && column.ColType != ectDateTime)) continue;
    column.ColType = ectString;
    column.Length = 25;
  }
}

void TTesselDBF::BuildFields() {
  TTesselDBFWriter& writer = DBFWriter();
  const TTesselColumns& columns = Columns();
  if (columns.Count() == 0) throw Exception("A dBASE table needs at least one field; no column is exported");
  if (columns.Count() > kMaxFieldCount)
    throw Exception("A dBASE table holds at most " + std::to_string(kMaxFieldCount) + " fields, not " +
                    std::to_string(columns.Count()));
  TShortFieldNameGenerator names;
  writer.Fields.clear();
  kinds_.clear();
  int displacement = 0;
  for (const TTesselColumn& column : columns) {
    dbf::TDBFField field = FieldOf(column);
    field.Name = WideToUtf8(names.GetShortName(dbf::FieldNameOf(column.Caption)));
    field.Displacement = displacement;
    displacement += field.Length;
    writer.Fields.push_back(field);
    switch (field.Type) {
      case 'M': kinds_.push_back(TFieldKind::Memo); break;
      case 'N': kinds_.push_back(TFieldKind::Number); break;
      case 'D': kinds_.push_back(TFieldKind::Date); break;
      case 'L': kinds_.push_back(TFieldKind::Logical); break;
      default: kinds_.push_back(TFieldKind::Character); break;
    }
  }
  if (writer.RecordLength() > kMaxRecordLength)
    throw Exception("A dBASE record holds at most " + std::to_string(kMaxRecordLength) + " bytes; these fields need " +
                    std::to_string(writer.RecordLength()));
}

void TTesselDBF::BeginExport() {
  TTesselText::BeginExport();
  SwitchTimeColumnsToText();
  BuildFields();
  TTesselDBFWriter& writer = DBFWriter();
  const auto* file = dynamic_cast<const TFileStream*>(writer.Stream());
  const bool withMemo = file != nullptr && std::find(kinds_.begin(), kinds_.end(), TFieldKind::Memo) != kinds_.end();
  const std::filesystem::path memo = withMemo ? MemoFileName(file->FileName()) : std::filesystem::path();
  if (withMemo && memo.lexically_normal() == file->FileName().lexically_normal())
    throw Exception("The memo file of \"" + file->FileName().string() +
                    "\" would overwrite the table; give the table another extension, such as .dbf");
  writer.WriteTableHeader(withMemo, Today());
  if (withMemo) writer.CreateMemoFile(memo);
}

void TTesselDBF::WriteDataRow() {
  // The record is written only once every field is in it, so a failure
  // never leaves a counted half record.
  record_.assign(1, ' ');
  for (int i = 0; i < static_cast<int>(kinds_.size()); ++i) AppendField(record_, i);
  DBFWriter().WriteRecord(record_);
}

void TTesselDBF::AppendField(std::string& record, int index) {
  const dbf::TDBFField& field = DBFWriter().Fields[static_cast<size_t>(index)];
  switch (kinds_[static_cast<size_t>(index)]) {
    case TFieldKind::Memo: AppendMemo(record, index); break;
    case TFieldKind::Number: AppendNumber(record, index, field); break;
    case TFieldKind::Date: AppendDate(record, index); break;
    case TFieldKind::Logical: AppendLogical(record, index); break;
    case TFieldKind::Character: AppendCharacter(record, index, field); break;
  }
}

void TTesselDBF::AppendMemo(std::string& record, int index) {
  TTesselDBFWriter& writer = DBFWriter();
  const Variant& value = Row()[index].Value;
  memoBytes_.clear();
  if (writer.HasMemoFile() && !Columns().IsNull(index)) {
    if (value.GetKind() == Variant::Kind::Bytes)
      memoBytes_.assign(value.AsBytes().begin(), value.AsBytes().end());
    else if (value.GetKind() == Variant::Kind::Text)
      writer.Encode(value.AsText(), memoBytes_);
    else
      writer.Encode(GetCellText(Row()[index]), memoBytes_);
  }
  if (memoBytes_.empty()) {
    dbf::AppendBlanks(record, dbf::kMemoFieldLength);
    return;
  }
  dbf::AppendNumber(record, std::to_string(writer.AppendMemo(memoBytes_)), dbf::kMemoFieldLength);
}

void TTesselDBF::AppendNumber(std::string& record, int index, const dbf::TDBFField& field) {
  if (Columns().IsNull(index)) {
    dbf::AppendBlanks(record, field.Length);
    return;
  }
  const TTesselCol& cell = Row()[index];
  if (!dbf::NumberText(cell.Value, field.Decimals, digits_)) {
    // Sources without raw values (grids, list views) give the text only.
    const WideString text = Trim(GetCellText(cell));
    if (text.empty()) {
      dbf::AppendBlanks(record, field.Length);
      return;
    }
    double number = 0;
    if (!TryStrToFloat(text, number, GlobalFormatSettings()) && !TryPlainNumber(text, number))
      RaiseConversion(text, "number", Columns()[index]);
    dbf::NumberText(Variant::FromDouble(number), field.Decimals, digits_);
  }
  if (!dbf::AppendNumber(record, digits_, field.Length))
    Losses().Add(Columns()[index].Name, TLossKind::NumberTooWide,
                 u"N(" + IntToWide(field.Length) + u"," + IntToWide(field.Decimals) + u")");
}

void TTesselDBF::AppendDate(std::string& record, int index) {
  const TTesselCol& cell = Row()[index];
  if (Columns().IsNull(index)) {
    dbf::AppendBlanks(record, 8);
    return;
  }
  if (cell.Value.GetKind() == Variant::Kind::DateTime) {
    dbf::AppendDate(record, cell.Value.AsDateTime());
    return;
  }
  const WideString text = Trim(GetCellText(cell));
  if (text.empty()) {
    dbf::AppendBlanks(record, 8);
    return;
  }
  TDateTime date = 0;
  if (!TryStrToDateTime(text, date, GlobalFormatSettings())) RaiseConversion(text, "date", Columns()[index]);
  dbf::AppendDate(record, date);
}

void TTesselDBF::AppendLogical(std::string& record, int index) {
  const TTesselCol& cell = Row()[index];
  if (Columns().IsNull(index)) {
    record += ' ';
  } else if (cell.Value.GetKind() == Variant::Kind::Boolean) {
    record += cell.Value.AsBool() ? 'T' : 'F';
  } else {
    record += dbf::LogicalOfText(GetCellText(cell));
  }
}

void TTesselDBF::AppendCharacter(std::string& record, int index, const dbf::TDBFField& field) {
  WideString text = GetCellText(Row()[index]);
  // The default null text stands for dBASE's blank.
  if (Columns().IsNull(index) && SameText(text, u"null")) text.clear();
  DBFWriter().AppendText(record, text, field.Length);
}

void TTesselDBF::EndExport() {
  DBFWriter().Finish();
  TTesselText::EndExport();
}

void TTesselDBF::SaveSettings(TTesselIniFile& settings) {
  TTesselText::SaveSettings(settings);
  settings::WriteNumberedLines(settings, kLengthSection, kLinePrefix, ColumnsLength);
  settings::WriteNumberedLines(settings, kPrecisionSection, kLinePrefix, ColumnsPrecision);
  settings.WriteInteger(kDBFSection, u"DefaultFloatSize", DefaultFloatSize);
  settings.WriteInteger(kDBFSection, u"DefaultFloatDecimal", DefaultFloatDecimal);
  settings.WriteBool(kDBFSection, u"ExportTimeAsStr", ExportTimeAsStr);
  settings.WriteString(kDBFSection, u"NullValue", NullValue());
}

void TTesselDBF::LoadSettings(TTesselIniFile& settings) {
  TTesselText::LoadSettings(settings);
  settings::ReadNumberedLines(settings, kLengthSection, ColumnsLength);
  settings::ReadNumberedLines(settings, kPrecisionSection, ColumnsPrecision);
  DefaultFloatSize = settings.ReadInteger(kDBFSection, u"DefaultFloatSize", DefaultFloatSize);
  DefaultFloatDecimal = settings.ReadInteger(kDBFSection, u"DefaultFloatDecimal", DefaultFloatDecimal);
  ExportTimeAsStr = settings.ReadBool(kDBFSection, u"ExportTimeAsStr", ExportTimeAsStr);
  SetNullValue(settings.ReadString(kDBFSection, u"NullValue", NullValue()));
}

}  // namespace verimo
