#include "formats/text/TesselSQL.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <typeinfo>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/TesselIniFile.h"
#include "engine/TesselWriter.h"
#include "platform/codepage/CodePage.h"
#include "platform/locale/Formatting.h"

namespace verimo {

namespace {

constexpr char16_t kCrLf[] = u"\r\n";
constexpr char16_t kSection[] = u"SQL";
constexpr char16_t kMsTerminator[] = u"\r\nGO";
// The serial dates of 1 January 0001 and 31 December 9999.
constexpr double kFirstDate = -693593.0;
constexpr double kLastDate = 2958466.0;

struct TQuotes {
  char16_t open;
  char16_t close;
};

TQuotes QuotesOf(TTesselScriptType type) {
  switch (type) {
    case qstMS: return {u'[', u']'};
    case qstMy: return {u'`', u'`'};
    default: return {u'"', u'"'};
  }
}

// Where a quoted identifier that starts at `start` ends (the index of its
// closing quote), or npos when it is not closed.
size_t QuotedEnd(WideStringView name, size_t start, TQuotes quotes) {
  for (size_t i = start + 1; i < name.size(); ++i) {
    if (name[i] != quotes.close) continue;
    if (i + 1 < name.size() && name[i + 1] == quotes.close) {
      ++i;
      continue;
    }
    return i;
  }
  return WideStringView::npos;
}

bool IsQuotedName(WideStringView name, TQuotes quotes) {
  return name.size() >= 2 && name.front() == quotes.open && QuotedEnd(name, 0, quotes) == name.size() - 1;
}

template <class String>
void AppendAscii(String& out, std::string_view text) {
  out.append(text.begin(), text.end());
}

// One ASCII character into a wide text or into output bytes.
template <class String>
void PutAscii(String& out, char ch) {
  out.push_back(static_cast<typename String::value_type>(ch));
}

template <class String>
void PutDigit(String& out, int digit) {
  PutAscii(out, static_cast<char>('0' + digit));
}

void AppendTwoDigits(WideString& out, int value) {
  PutDigit(out, value / 10 % 10);
  PutDigit(out, value % 10);
}

void AppendFourDigits(WideString& out, int value) {
  AppendTwoDigits(out, value / 100);
  AppendTwoDigits(out, value % 100);
}

// The shortest fixed notation of a magnitude below 10^11 that is the double
// nearest to a whole number of hundredths (money values): no other number
// of at most two decimals lies as close to it, so its digits are those of
// the hundredths, without the general conversion. False for other values.
template <class String>
bool AppendHundredths(String& out, double number) {
  const double magnitude = std::fabs(number);
  if (!(magnitude < 1e11)) return false;
  const long long cents = std::llround(magnitude * 100);
  if (static_cast<double>(cents) / 100 != magnitude) return false;
  char buffer[24];
  if (std::signbit(number)) PutAscii(out, '-');
  auto result = std::to_chars(buffer, buffer + sizeof buffer, cents / 100);
  AppendAscii(out, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
  const int fraction = static_cast<int>(cents % 100);
  if (fraction != 0) {
    PutAscii(out, '.');
    PutDigit(out, fraction / 10);
    if (fraction % 10 != 0) PutDigit(out, fraction % 10);
  }
  return true;
}

// The plain notation of a numeric raw value, into a wide text or straight
// into output bytes (ASCII either way).
template <class String>
bool AppendNumber(String& out, const Variant& value) {
  char buffer[400];
  switch (value.GetKind()) {
    case Variant::Kind::Integer: {
      auto result = std::to_chars(buffer, buffer + sizeof buffer, value.AsInt());
      AppendAscii(out, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
      return true;
    }
    case Variant::Kind::Double: {
      const double number = value.AsDouble();
      if (!std::isfinite(number)) return false;
      if (AppendHundredths(out, number)) return true;
      auto result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
      if (result.ec != std::errc()) return false;
      AppendAscii(out, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
      return true;
    }
    case Variant::Kind::Currency:
      AppendAscii(out, value.AsCurrency().ToPlainText());
      return true;
    case Variant::Kind::Boolean:
      PutAscii(out, value.AsBool() ? '1' : '0');
      return true;
    default:
      return false;
  }
}

// The index of the first byte from `from` on that is one of three marks
// (one given more than once to look for fewer), or the size.
size_t FindMark(std::string_view bytes, size_t from, char first, char second, char third) {
  size_t i = from;
#ifdef __SSE2__
  const __m128i firsts = _mm_set1_epi8(first);
  const __m128i seconds = _mm_set1_epi8(second);
  const __m128i thirds = _mm_set1_epi8(third);
  for (; i + 16 <= bytes.size(); i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
    const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, firsts), _mm_cmpeq_epi8(chunk, seconds)),
                                      _mm_cmpeq_epi8(chunk, thirds));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
  }
#endif
  for (; i < bytes.size(); ++i)
    if (bytes[i] == first || bytes[i] == second || bytes[i] == third) return i;
  return bytes.size();
}

// Field types whose raw value is the cell's value whatever the patterns:
// their texts only are formatted.
bool IsPlainNumberField(TFieldType type) {
  switch (type) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: case ftFloat: case ftCurrency:
      return true;
    default:
      return false;
  }
}

bool IsNumberColumn(TTesselColType type) {
  switch (type) {
    case ectDate: case ectTime: case ectDateTime: case ectBoolean: case ectString: case ectUnknown:
      return false;
    default:
      return true;
  }
}

// A carriage return in the dialect's own notation, outside the quotes:
// the servers' command-line clients read scripts line by line and drop the
// CR of every CR LF, also inside a literal that spans lines.
const char16_t* CarriageReturnJoin(TTesselScriptType type) {
  switch (type) {
    case qstMS: return u"' + CHAR(13) + '";
    case qstPg: return u"' || chr(13) || '";
    case qstOra: case qstDB2: return u"' || CHR(13) || '";
    case qstIB: return u"' || ASCII_CHAR(13) || '";
    default: return nullptr;
  }
}

void AppendStringLiteral(WideString& out, WideStringView text, TTesselScriptType type) {
  const char16_t* carriageReturn = CarriageReturnJoin(type);
  out += u'\'';
  for (size_t start = 0; start < text.size();) {
    // The run up to the next character that needs care goes in as one piece.
    size_t plain = start;
    // Above the quote, only the backslash needs care.
    while (plain < text.size() && ((text[plain] > u'\'' && text[plain] != u'\\') ||
                                   (text[plain] < u'\'' && text[plain] != u'\r' && text[plain] != 0)))
      ++plain;
    out.append(text.substr(start, plain - start));
    if (plain == text.size()) break;
    start = plain + 1;
    const char16_t ch = text[plain];
    if (ch == u'\'') {
      out += u"''";
    } else if (ch == u'\\' && type == qstMy) {
      out += u"\\\\";
    } else if (ch == u'\r' && type == qstMy) {
      out += u"\\r";
    } else if (ch == u'\r' && carriageReturn != nullptr) {
      out += carriageReturn;
    } else if (ch == 0) {
      // No server takes a NUL inside a text literal: it is left out.
    } else {
      out += ch;
    }
  }
  out += u'\'';
}

bool IsDateTimeValue(const Variant& value, TDateTime& dateTime) {
  if (value.GetKind() != Variant::Kind::DateTime && !value.IsNumeric()) return false;
  dateTime = value.AsDateTime();
  return std::isfinite(dateTime) && dateTime >= kFirstDate && dateTime < kLastDate;
}

// Whether a Boolean column's text reads as true or false; nothing for an
// empty or unrecognised text.
std::optional<bool> BooleanOfText(WideStringView text, const TTesselFormats& formats) {
  const WideString trimmed = Trim(text);
  if (trimmed.empty()) return std::nullopt;
  if (SameText(trimmed, u"True") || SameText(trimmed, Trim(formats.BooleanTrue()))) return true;
  if (SameText(trimmed, u"False") || SameText(trimmed, Trim(formats.BooleanFalse()))) return false;
  return std::nullopt;
}

bool IsBinaryLikeForDB2(const TTesselColumn& column, TFieldType type) {
  if (column.IsBlob || column.IsMemo) return true;
  switch (type) {
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftFmtMemo: case ftParadoxOle:
    case ftDBaseOle: case ftTypedBinary: case ftWideString: case ftArray: case ftOraBlob: case ftOraClob:
      return true;
    default:
      return false;
  }
}

bool IsBinaryLikeForOracle(const TTesselColumn& column, TFieldType type, int size) {
  if (column.IsBlob || column.IsMemo) return true;
  switch (type) {
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftFmtMemo: case ftParadoxOle:
    case ftDBaseOle: case ftTypedBinary: case ftArray: case ftOraBlob: case ftOraClob:
      return true;
    case ftWideString:
      return size > 2000;
    default:
      return false;
  }
}

int SizeOf(const TTesselColumn& column) { return column.Field != nullptr ? column.Field->Size() : column.Length; }

WideString Sized(const char16_t* name, int size) { return WideString(name) + u"(" + IntToWide(size) + u")"; }

// The size-dependent entries of the type tables.
WideString Varchar(int size, int limit, const char16_t* otherwise) {
  return size >= 1 && size <= limit ? Sized(u"VARCHAR", size) : WideString(otherwise);
}
WideString V254Blob(int size) { return Varchar(size, 254, u"BLOB"); }
WideString V254Text(int size) { return Varchar(size, 254, u"TEXT"); }
WideString V2047Text(int size) { return Varchar(size, 2047, u"TEXT"); }
WideString MyVarbinary(int size) {
  return size >= 1 && size <= 2047 ? Sized(u"VARBINARY", size) : WideString(u"LONGBLOB");
}

// One row of the type tables: DB2, InterBase, MS SQL, MySQL, Oracle, PostgreSQL.
struct TTypeRow {
  WideString db2, ib, ms, my, ora, pg;
};

TTypeRow TypeRowOf(TFieldType type, int s) {
  switch (type) {
    case ftUnknown: case ftString: case ftFixedChar:
      return {V254Blob(s), V254Blob(s), V254Text(s), V2047Text(s), V254Blob(s), V254Text(s)};
    case ftSmallint: return {u"SMALLINT", u"SMALLINT", u"SMALLINT", u"SMALLINT", u"NUMBER", u"SMALLINT"};
    case ftInteger: case ftWord: case ftAutoInc:
      return {u"INTEGER", u"INTEGER", u"INT", u"INTEGER", u"NUMBER", u"INTEGER"};
    case ftBoolean: return {u"BOOLEAN", u"BOOLEAN", u"CHAR(1)", u"BOOLEAN", u"CHAR(1)", u"BOOLEAN"};
    case ftFloat: return {u"FLOAT", u"DOUBLE PRECISION", u"FLOAT", u"DOUBLE", u"NUMBER", u"DOUBLE PRECISION"};
    // MySQL's FLOAT(15,2) is single precision and loses cents from seven
    // digits on; DECIMAL keeps them.
    case ftCurrency: case ftBCD: case ftFMTBcd:
      return {u"NUMERIC(24,4)", u"NUMERIC (15,2)", u"NUMERIC(15,2)", u"DECIMAL(15,2)", u"NUMBER", u"NUMERIC(20,4)"};
    case ftDate: return {u"DATE", u"DATE", u"DATETIME", u"DATE", u"DATE", u"DATE"};
    case ftTime: return {u"TIME", u"TIME", u"DATETIME", u"TIME", u"TIMESTAMP", u"TIME"};
    case ftDateTime: return {u"TIMESTAMP", u"TIMESTAMP", u"DATETIME", u"DATETIME", u"TIMESTAMP", u"TIMESTAMP"};
    // Binary values go into binary columns in every dialect, so that the
    // bytes of their literals arrive as they are.
    case ftBytes: return {u"BLOB", u"BLOB", Sized(u"BINARY", s), MyVarbinary(s), u"BLOB", u"BYTEA"};
    case ftVarBytes: return {u"BLOB", u"BLOB", Sized(u"VARBINARY", s), MyVarbinary(s), u"BLOB", u"BYTEA"};
    case ftBlob: case ftOraBlob: return {u"BLOB", u"BLOB", u"IMAGE", u"LONGBLOB", u"BLOB", u"BYTEA"};
    case ftMemo: return {u"CLOB", u"BLOB", u"TEXT", u"LONGBLOB", u"CLOB", u"TEXT"};
    case ftGraphic: return {u"BLOB", u"BLOB", u"IMAGE", u"LONGBLOB", u"BLOB", u"BYTEA"};
    case ftFmtMemo: return {u"BLOB", u"BLOB", u"TEXT", u"LONGBLOB", u"BLOB", u"TEXT"};
    case ftParadoxOle: case ftDBaseOle: return {u"BLOB", u"BLOB", u"IMAGE", u"LONGBLOB", u"BLOB", u"BYTEA"};
    case ftTypedBinary: return {u"BLOB", u"BLOB", u"IMAGE", u"LONGBLOB", u"BLOB", u"BYTEA"};
    case ftCursor: case ftDataSet: return {V254Blob(s), V254Blob(s), V254Text(s), V2047Text(s), V254Blob(s), u"BYTEA"};
    case ftWideString: {
      WideString ms = s <= 8000 ? Sized(u"NVARCHAR", s) : WideString(u"NTEXT");
      WideString ora = s >= 1 && s <= 2000 ? Sized(u"NVARCHAR2", s) : WideString(u"BLOB");
      return {u"BLOB", V254Blob(s), ms, V2047Text(s), ora, u"TEXT"};
    }
    case ftLargeint: return {u"BIGINT", u"INTEGER", u"BIGINT", u"BIGINT", u"NUMBER", u"BIGINT"};
    case ftADT: case ftInterface: case ftIDispatch:
      return {V254Blob(s), V254Blob(s), V254Text(s), V2047Text(s), V254Blob(s), u"TEXT"};
    case ftArray: return {u"BLOB", V254Blob(s), V254Text(s), V2047Text(s), u"BLOB", u"BYTEA"};
    case ftReference: return {V254Blob(s), V254Blob(s), V254Text(s), V2047Text(s), V254Blob(s), u"INTEGER"};
    case ftOraClob: return {u"BLOB", u"BLOB", u"TEXT", u"LONGBLOB", u"BLOB", u"TEXT"};
    case ftVariant: return {u"CLOB", u"BLOB", u"SQL_VARIANT", u"LONGBLOB", u"CLOB", u"TEXT"};
    case ftGuid: return {V254Blob(s), V254Blob(s), Sized(u"NCHAR", s), V2047Text(s), V254Blob(s), u"TEXT"};
    case ftTimeStamp: return {u"TIMESTAMP", V254Blob(s), u"TIMESTAMP", u"DATETIME", u"TIMESTAMP", u"TIMESTAMP"};
    default: return {V254Blob(s), V254Blob(s), V254Text(s), V2047Text(s), V254Blob(s), V254Text(s)};
  }
}

}  // namespace

// ---- dialect rules ----

namespace sql {

namespace {
constexpr const char* kScriptTypeNames[kScriptTypeCount] = {"ansi", "db2", "ib", "ms", "my", "ora", "pg"};
}

std::optional<TTesselScriptType> ScriptTypeFromName(std::string_view name) {
  for (int i = 0; i < kScriptTypeCount; ++i) {
    std::string_view known = kScriptTypeNames[i];
    if (known.size() != name.size()) continue;
    bool same = true;
    for (size_t j = 0; j < name.size() && same; ++j)
      same = (name[j] | 0x20) == known[j];
    if (same) return static_cast<TTesselScriptType>(i);
  }
  return std::nullopt;
}

const char* ScriptTypeName(TTesselScriptType type) {
  return type < kScriptTypeCount ? kScriptTypeNames[type] : "ansi";
}

WideString QuoteName(WideStringView name, TTesselScriptType type) {
  const TQuotes quotes = QuotesOf(type);
  if (name.empty() || IsQuotedName(name, quotes)) return WideString(name);
  WideString quoted;
  quoted.reserve(name.size() + 2);
  quoted += quotes.open;
  for (char16_t ch : name) {
    if (ch == quotes.close) quoted += ch;
    quoted += ch;
  }
  quoted += quotes.close;
  return quoted;
}

WideString QuoteTableName(WideStringView name, TTesselScriptType type) {
  const TQuotes quotes = QuotesOf(type);
  const bool schemaOnly = type == qstPg || type == qstMy;
  WideString result;
  size_t start = 0;
  int parts = 0;
  while (start < name.size()) {
    size_t end = WideStringView::npos;
    if (schemaOnly && parts == 1) {
      end = name.size();
    } else {
      if (name[start] == quotes.open) {
        const size_t close = QuotedEnd(name, start, quotes);
        if (close != WideStringView::npos && (close + 1 == name.size() || name[close + 1] == u'.')) end = close + 1;
      }
      if (end == WideStringView::npos) end = std::min(name.find(u'.', start), name.size());
    }
    WideStringView part = name.substr(start, end - start);
    if (!part.empty()) {
      if (!result.empty()) result += u'.';
      result += QuoteName(part, type);
      ++parts;
    }
    start = end + 1;
  }
  return result;
}

WideString StringLiteral(WideStringView text, TTesselScriptType type) {
  WideString literal;
  literal.reserve(text.size() + 2);
  AppendStringLiteral(literal, text, type);
  return literal;
}

bool NumberLiteral(const Variant& value, WideString& text) {
  text.clear();
  if (value.GetKind() == Variant::Kind::Boolean) return false;
  return AppendNumber(text, value);
}

WideString BytesLiteral(std::string_view bytes, TTesselScriptType type) {
  WideString hex;
  AppendHexText(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), hex);
  switch (type) {
    // "0x" alone is no literal for MySQL; an empty value is X''.
    case qstMS: return u"0x" + hex;
    case qstMy: return hex.empty() ? WideString(u"X''") : u"0x" + hex;
    case qstPg: return u"decode('" + hex + u"','hex')";
    case qstOra: return u"HEXTORAW('" + hex + u"')";
    case qstDB2: return u"BLOB(X'" + hex + u"')";
    default: return u"X'" + hex + u"'";
  }
}

bool DateTimeText(TDateTime value, char16_t dateSeparator, bool dayFirst, WideString& text) {
  text.clear();
  if (!std::isfinite(value) || value < kFirstDate || value >= kLastDate) return false;
  const DateParts date = DecodeDate(value);
  const TimeParts time = DecodeTime(value);
  if (dayFirst) {
    AppendTwoDigits(text, date.day);
    text += dateSeparator;
    AppendTwoDigits(text, date.month);
    text += dateSeparator;
    AppendFourDigits(text, date.year);
  } else {
    AppendFourDigits(text, date.year);
    text += dateSeparator;
    AppendTwoDigits(text, date.month);
    text += dateSeparator;
    AppendTwoDigits(text, date.day);
  }
  text += u' ';
  AppendTwoDigits(text, time.hour);
  text += u':';
  AppendTwoDigits(text, time.minute);
  text += u':';
  AppendTwoDigits(text, time.second);
  return true;
}

WideString DialectType(TTesselScriptType type, TFieldType fieldType, int size) {
  TTypeRow row = TypeRowOf(fieldType, size);
  switch (type) {
    case qstDB2: return row.db2;
    case qstIB: return row.ib;
    case qstMS: return row.ms;
    case qstMy: return row.my;
    case qstOra: return row.ora;
    default: return row.pg;
  }
}

WideString AnsiType(const TTesselColumn& column) {
  const TFieldType type = FieldTypeOf(column);
  const int size = SizeOf(column);
  switch (type) {
    case ftTime: return u"TIME";
    case ftDateTime: case ftTimeStamp: case ftOraTimeStamp: return u"TIMESTAMP";
    case ftAutoInc: case ftLongWord: case ftShortint: case ftByte: return u"INTEGER";
    case ftLargeint: return u"BIGINT";
    case ftBoolean: return u"BOOLEAN";
    case ftFixedChar: case ftFixedWideChar: return size >= 1 ? Sized(u"CHAR", size) : WideString(u"VARCHAR(254)");
    case ftWideMemo: return u"CLOB";
    case ftBytes: case ftVarBytes: case ftTypedBinary: case ftParadoxOle: case ftDBaseOle: return u"BLOB";
    case ftExtended: return u"DOUBLE PRECISION";
    default: break;
  }
  if (column.SQLType.empty() || column.SQLType == u"UNKNOWN") return u"VARCHAR(254)";
  return column.SQLType;
}

TFieldType FieldTypeOf(const TTesselColumn& column) {
  if (column.Field != nullptr) return column.FieldType;
  switch (column.ColType) {
    case ectInteger: return ftInteger;
    case ectBigint: return ftLargeint;
    case ectFloat: return ftFloat;
    case ectCurrency: return ftCurrency;
    case ectDate: return ftDate;
    case ectTime: return ftTime;
    case ectDateTime: return ftDateTime;
    case ectString: return column.IsBlob ? ftBlob : column.IsMemo ? ftMemo : ftString;
    case ectBoolean: return ftBoolean;
    default: return ftUnknown;
  }
}

WideString TableNameFromFileName(const std::string& fileName, TTesselScriptType type) {
  return QuoteName(UpperCase(Utf8ToWide(std::filesystem::path(fileName).stem().string())), type);
}

}  // namespace sql

// ---- exporter ----

TTesselSQL::TTesselSQL() {
  Formats().ThousandSeparator = 0;
  Formats().DecimalSeparator = u'.';
  Formats().SetNullString(u"null");
}

TTesselTextLimits TTesselSQL::TextLimits() const {
  TTesselTextLimits limits = TTesselFormatTextSQL::TextLimits();
  limits.forbidden = TForbiddenCharacters::Nul;
  limits.formatName = u"SQL";
  return limits;
}

WideString TTesselSQL::StatementTerminator() const {
  return Options.ScriptType == qstMS ? WideString(kMsTerminator) : WideString(u";");
}

WideString TTesselSQL::CommitStatement() {
  transactionOpen_ = false;
  WideString statement;
  switch (Options.ScriptType) {
    case qstAnsi: statement = Options.CommitStatement; break;
    case qstIB: case qstOra: statement = u"COMMIT WORK"; break;
    default: statement = u"COMMIT"; break;
  }
  if (statement.empty()) return statement;
  const WideString terminator = StatementTerminator();
  if (!(terminator.size() == 1 && statement.back() == terminator[0])) statement += terminator;
  return statement;
}

WideString TTesselSQL::TransactionStartStatement() {
  if (Options.ScriptType != qstMS && Options.ScriptType != qstPg) return {};
  transactionOpen_ = true;
  return (Options.ScriptType == qstMS ? WideString(u"BEGIN TRANSACTION") : WideString(u"BEGIN")) + StatementTerminator();
}

// A statement on its own line, followed by an empty line.
void TTesselSQL::WriteStatement(WideStringView statement) {
  if (statement.empty()) return;
  Writer().WriteLn(statement);
  Writer().EmptyLine();
}

WideString TTesselSQL::ColumnType(const TTesselColumn& column) const {
  if (Options.ScriptType == qstAnsi) return sql::AnsiType(column);
  return sql::DialectType(Options.ScriptType, sql::FieldTypeOf(column), SizeOf(column));
}

void TTesselSQL::BeginExport() {
  TTesselFormatTextSQL::BeginExport();
  transactionOpen_ = false;
  literalFormats_.Assign(Formats());
  literalFormats_.TimeSeparator = u':';
  reformatDates_ = Formats().TimeSeparator != u':' ||
                   (Formats().KeepOriginalFormat && GlobalFormatSettings().TimeSeparator != u':');

  const WideString table = sql::QuoteTableName(Options.TableName, Options.ScriptType);
  WideString columns;
  for (const TTesselColumn& column : Columns()) {
    if (!columns.empty()) columns += u',';
    columns += sql::QuoteName(column.Name, Options.ScriptType);
  }
  insertPrefix_ = u"INSERT INTO " + table + u"\r\n  (" + columns + u")\r\nVALUES(";
  insertSuffix_ = u")";
  if (Options.ScriptType != qstAnsi) insertSuffix_ += StatementTerminator();
  else if (Options.StatementTerm != 0) insertSuffix_ += Options.StatementTerm;
  insertSuffix_ += kCrLf;

  TTesselWriter& writer = Writer();
  writer.WriteSignature();
  for (const WideString& line : Header) writer.WriteLn(line);
  if (Options.CommitAfterScript) WriteStatement(TransactionStartStatement());
  if (Options.CreateTable) WriteCreateTable();
  if (Options.IdentityInsert && !Options.TableName.empty() && Options.ScriptType == qstMS) WriteIdentityInsert(true);
  PlanByteRows();
}

void TTesselSQL::WriteCreateTable() {
  TTesselWriter& writer = Writer();
  if (OnGetTableDefinition) {
    WideString ddl;
    OnGetTableDefinition(*this, ddl);
    writer.WriteLn(ddl);
    writer.EmptyLine();
    return;
  }
  const WideString table = sql::QuoteTableName(Options.TableName, Options.ScriptType);
  if (table.empty()) return;
  const std::vector<int> keyColumns = Columns().KeyColumns();
  WideString statement = u"CREATE TABLE " + table + u"(\r\n";
  for (int i = 0; i < Columns().Count(); ++i) {
    const TTesselColumn& column = Columns()[i];
    if (i > 0) statement += u",\r\n";
    statement += u"  " + sql::QuoteName(column.Name, Options.ScriptType) + u"  " + ColumnType(column);
    if (std::find(keyColumns.begin(), keyColumns.end(), i) != keyColumns.end()) statement += u" NOT NULL";
  }
  if (!keyColumns.empty()) {
    statement += u",\r\n  PRIMARY KEY (";
    for (size_t k = 0; k < keyColumns.size(); ++k) {
      if (k > 0) statement += u",";
      statement += sql::QuoteName(Columns()[keyColumns[k]].Name, Options.ScriptType);
    }
    statement += u")";
  }
  statement += u");\r\n";
  writer.WriteLn(statement);
  if (Options.ScriptType == qstIB) {
    const WideString commit = CommitStatement();
    if (!commit.empty()) writer.WriteLn(commit);
  }
}

void TTesselSQL::WriteIdentityInsert(bool on) {
  WriteStatement(u"SET IDENTITY_INSERT " + sql::QuoteTableName(Options.TableName, Options.ScriptType) +
                 (on ? u" ON" : u" OFF") + kMsTerminator);
}

void TTesselSQL::EndExport() {
  if (Options.IdentityInsert && !Options.TableName.empty() && Options.ScriptType == qstMS) WriteIdentityInsert(false);
  if (Options.CommitAfterScript) {
    const WideString commit = CommitStatement();
    if (!commit.empty()) Writer().WriteLn(commit);
  }
  for (const WideString& line : Footer) Writer().WriteLn(line);
  TTesselFormatTextSQL::EndExport();
}

// ---- values ----

void TTesselSQL::AppendNull(WideString& out) const {
  if (Options.ScriptType != qstAnsi) {
    out += u"null";
    return;
  }
  const WideString& value = NullValue();
  out += value.empty() ? WideString(u"null") : value;
}

void TTesselSQL::AppendDateTime(WideString& out, const TTesselCol& cell, const TTesselColumn& column) const {
  TDateTime value = 0;
  if (!IsDateTimeValue(cell.Value, value)) {
    AppendNull(out);
    return;
  }
  WideString text;
  switch (Options.ScriptType) {
    case qstDB2: case qstMS: case qstMy:
      sql::DateTimeText(value, u'-', false, text);
      AppendStringLiteral(out, text, Options.ScriptType);
      return;
    case qstPg:
      sql::DateTimeText(value, u'.', false, text);
      AppendStringLiteral(out, text, Options.ScriptType);
      return;
    case qstOra:
      sql::DateTimeText(value, u'.', true, text);
      out += u"TO_DATE(";
      AppendStringLiteral(out, text, Options.ScriptType);
      out += u",'dd.mm.yyyy hh24:mi:ss')";
      return;
    default:
      break;
  }
  // ANSI and InterBase: the value as the column's pattern shows it, with ":"
  // between the parts of the time.
  if (!reformatDates_) {
    AppendStringLiteral(out, cell.Text, Options.ScriptType);
    return;
  }
  const WideString pattern = Formats().KeepOriginalFormat ? WideString() : column.Format;
  try {
    AppendStringLiteral(out, literalFormats_.FormatDateTimeValue(pattern, value), Options.ScriptType);
  } catch (const std::exception&) {
    AppendStringLiteral(out, cell.Text, Options.ScriptType);
  }
}

void TTesselSQL::AppendBoolean(WideString& out, const TTesselCol& cell) const {
  std::optional<bool> value;
  if (cell.Value.GetKind() == Variant::Kind::Boolean) value = cell.Value.AsBool();
  else if (cell.Value.IsNumeric()) value = cell.Value.AsDouble() != 0;
  else value = BooleanOfText(cell.Text, Formats());
  if (!value) {
    AppendNull(out);
    return;
  }
  switch (Options.ScriptType) {
    case qstMS: out += *value ? u"1" : u"0"; break;
    case qstOra: out += *value ? u"'1'" : u"'0'"; break;
    default: out += *value ? u"TRUE" : u"FALSE"; break;
  }
}

bool TTesselSQL::WrapsText(const TTesselColumn& column) const {
  const TFieldType type = sql::FieldTypeOf(column);
  return (Options.ScriptType == qstDB2 && IsBinaryLikeForDB2(column, type)) ||
         (Options.ScriptType == qstOra && IsBinaryLikeForOracle(column, type, SizeOf(column)));
}

void TTesselSQL::AppendText(WideString& out, const TTesselCol& cell, const TTesselColumn& column) const {
  const TFieldType type = sql::FieldTypeOf(column);
  if (Options.ScriptType == qstDB2 && IsBinaryLikeForDB2(column, type)) {
    out += u"CAST(";
    AppendStringLiteral(out, cell.Text, Options.ScriptType);
    out += u" AS BLOB)";
  } else if (Options.ScriptType == qstOra && IsBinaryLikeForOracle(column, type, SizeOf(column))) {
    out += u"RAWTOHEX(";
    AppendStringLiteral(out, cell.Text, Options.ScriptType);
    out += u")";
  } else {
    AppendStringLiteral(out, cell.Text, Options.ScriptType);
  }
}

bool TTesselSQL::FieldIsNull(const TTesselCol& cell, const TTesselColumn& column) const {
  const TTesselColumns& columns = Columns();
  if (columns.Count() > 0) {
    const TTesselColumn* first = &columns[0];
    const std::less_equal<const TTesselColumn*> notAfter;
    if (notAfter(first, &column) && notAfter(&column, first + (columns.Count() - 1)))
      return ColumnIsNull(cell, static_cast<int>(&column - first));
  }
  return column.Field->IsNull();
}

void TTesselSQL::AppendValue(WideString& out, const TTesselCol& cell, const TTesselColumn& column) const {
  const bool isNull = cell.Value.IsNull() || (column.Field != nullptr && FieldIsNull(cell, column));
  if (isNull) {
    AppendNull(out);
    return;
  }
  if (cell.Value.GetKind() == Variant::Kind::Bytes) {
    const Bytes& bytes = cell.Value.AsBytes();
    out += sql::BytesLiteral(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                             Options.ScriptType);
    return;
  }
  switch (column.ColType) {
    case ectDate: case ectTime: case ectDateTime:
      AppendDateTime(out, cell, column);
      return;
    case ectBoolean:
      AppendBoolean(out, cell);
      return;
    case ectString: case ectUnknown:
      AppendText(out, cell, column);
      return;
    default:
      if (cell.Value.GetKind() == Variant::Kind::Boolean || !AppendNumber(out, cell.Value)) AppendNull(out);
      return;
  }
}

WideString TTesselSQL::ValueLiteral(const TTesselCol& cell, const TTesselColumn& column) const {
  WideString literal;
  AppendValue(literal, cell, column);
  return literal;
}

// Only the text is known here: a string literal for text columns, the text
// as it stands for the others. The rows themselves are built from the raw
// values (GetDataRow).
WideString TTesselSQL::GetColData(const WideString& text, const TTesselColumn& column) {
  if (column.ColType == ectString || column.ColType == ectUnknown)
    return sql::StringLiteral(text, Options.ScriptType) + u",";
  return text + u",";
}

WideString TTesselSQL::GetDataRow() {
  WideString values;
  const TTesselRow& row = Row();
  const TTesselColumns& columns = Columns();
  for (int i = 0; i < row.Count(); ++i) {
    if (i > 0) values += u',';
    const TTesselCol& cell = row[i];
    const int index = cell.ColumnIndex >= 0 && cell.ColumnIndex < columns.Count() ? cell.ColumnIndex : i;
    if (index < columns.Count()) AppendValue(values, cell, columns[index]);
    else AppendNull(values);
  }
  return values;
}

void TTesselSQL::FillRow() {
  if (byteRows_ && anyDeferred_)
    FillRowDeferring(deferred_);
  else
    TTesselFormatTextSQL::FillRow();
}

void TTesselSQL::WriteDataRow() {
  if (byteRows_) {
    BuildStatementBytes();
    Writer().WriteBytes(rowBytes_.data(), rowBytes_.size());
  } else {
    BuildStatement();
    Writer().Write(statement_);
  }
  if (Options.CommitRecCount > 0 && RecordCounter() % Options.CommitRecCount == 0) WriteStatement(CommitStatement());
  if (Options.CommitAfterScript && !transactionOpen_) WriteStatement(TransactionStartStatement());
}

void TTesselSQL::BuildStatement() {
  statement_.assign(insertPrefix_);
  const TTesselRow& row = Row();
  const TTesselColumns& columns = Columns();
  for (int i = 0; i < row.Count(); ++i) {
    if (i > 0) statement_ += u',';
    const TTesselCol& cell = row[i];
    const int index = cell.ColumnIndex >= 0 && cell.ColumnIndex < columns.Count() ? cell.ColumnIndex : i;
    if (index < columns.Count()) AppendValue(statement_, cell, columns[index]);
    else AppendNull(statement_);
  }
  statement_ += insertSuffix_;
  statement_ += kCrLf;
}

// ---- statements as bytes ----

void TTesselSQL::PlanByteRows() {
  byteRows_ = false;
  stored_.Clear();
  deferred_.assign(static_cast<size_t>(Columns().Count()), 0);
  anyDeferred_ = false;
  rowEncoding_ = OutputEncoding();
  const int target = ByteRowCodePage(rowEncoding_);
  if (target == 0) return;
  if (typeid(*this) != typeid(TTesselSQL) || !CellHandlersUnset()) return;
  // Numbers, quotes and separators are written as ASCII bytes.
  if (!KeepsAsciiAsBytes(target)) return;
  WideString nullText;
  AppendNull(nullText);
  // A null text that does not start with ASCII might combine with what
  // precedes it in the converter.
  if (!nullText.empty() && nullText.front() >= 0x80) return;
  byteRows_ = true;

  prefixBytes_.clear();
  AppendEncoded(insertPrefix_, prefixBytes_);
  suffixBytes_.clear();
  AppendEncoded(insertSuffix_ + kCrLf, suffixBytes_);
  nullBytes_.clear();
  AppendEncoded(nullText, nullBytes_);
  WideString carriageReturn;
  AppendStringLiteral(carriageReturn, u"\r", Options.ScriptType);
  carriageReturnBytes_.clear();
  AppendEncoded(WideStringView(carriageReturn).substr(1, carriageReturn.size() - 2), carriageReturnBytes_);

  literalMarks_[0] = Options.ScriptType == qstMy ? '\\' : '\'';
  literalMarks_[1] = Options.ScriptType == qstAnsi ? '\'' : '\r';

  const TTesselColumns& columns = Columns();
  const bool fieldSource = columns.Settings().Source.HasFields();
  stored_.Plan(columns, target, true);
  for (int i = 0; i < columns.Count(); ++i) {
    const TTesselColumn& column = columns[i];
    uint8_t& deferred = deferred_[static_cast<size_t>(i)];
    if (stored_.IsPlanned(i) && (column.ColType == ectString || column.ColType == ectUnknown) && !WrapsText(column))
      deferred = kStoredLiteral;
    else if (fieldSource && column.Field != nullptr && IsNumberColumn(column.ColType) &&
             IsPlainNumberField(column.Field->DataType()))
      deferred = kRawNumber;
    anyDeferred_ = anyDeferred_ || deferred != 0;
  }
}

void TTesselSQL::AppendEncoded(WideStringView text, std::string& out) {
  const size_t start = out.size();
  out.resize(start + text.size());
  if (CopyAsciiPrefix(text, out.data() + start) == text.size()) return;
  out.resize(start);
  Writer().Encode(text, rowEncoding_, out);
}

void TTesselSQL::BuildStatementBytes() {
  rowBytes_.assign(prefixBytes_);
  const TTesselRow& row = RowAsRead();
  const int columnCount = Columns().Count();
  for (int i = 0; i < row.Count(); ++i) {
    if (i > 0) rowBytes_ += ',';
    const TTesselCol& cell = row[i];
    const int index = cell.ColumnIndex >= 0 && cell.ColumnIndex < columnCount ? cell.ColumnIndex : i;
    const uint8_t deferred = i < columnCount ? deferred_[static_cast<size_t>(i)] : 0;
    if (deferred == 0) {
      AppendCellBytes(cell, index);
      continue;
    }
    // Left unread: taken from the source, or read now when unusual.
    if (index == i && (deferred == kStoredLiteral ? AppendStoredCell(i) : AppendRawNumber(i))) continue;
    AppendCellBytes(Row()[i], index);
  }
  rowBytes_ += suffixBytes_;
}

bool TTesselSQL::AppendStoredCell(int columnIndex) {
  const std::string_view stored = stored_.Text(columnIndex);
  if (stored.empty()) {
    rowBytes_ += nullBytes_;
    return true;
  }
  return AppendStoredLiteral(columnIndex, stored);
}

bool TTesselSQL::AppendRawNumber(int columnIndex) {
  Columns()[columnIndex].Field->ReadValue(number_);
  if (number_.IsNull()) {
    rowBytes_ += nullBytes_;
    return true;
  }
  if (number_.GetKind() == Variant::Kind::Bytes) return false;
  AppendNumberOrNull(number_);
  return true;
}

void TTesselSQL::AppendNumberOrNull(const Variant& value) {
  const size_t start = rowBytes_.size();
  if (value.GetKind() != Variant::Kind::Boolean && AppendNumber(rowBytes_, value)) return;
  rowBytes_.resize(start);
  rowBytes_ += nullBytes_;
}

void TTesselSQL::AppendCellBytes(const TTesselCol& cell, int columnIndex) {
  const TTesselColumns& columns = Columns();
  if (columnIndex >= columns.Count()) {
    rowBytes_ += nullBytes_;
    return;
  }
  const TTesselColumn& column = columns[columnIndex];
  if (IsNumberColumn(column.ColType) && cell.Value.GetKind() != Variant::Kind::Bytes) {
    // Numbers as AppendValue writes them, straight as ASCII.
    if (cell.Value.IsNull() || (column.Field != nullptr && FieldIsNull(cell, column))) {
      rowBytes_ += nullBytes_;
      return;
    }
    AppendNumberOrNull(cell.Value);
    return;
  }
  piece_.clear();
  AppendValue(piece_, cell, column);
  AppendEncoded(piece_, rowBytes_);
}

bool TTesselSQL::AppendStoredLiteral(int columnIndex, std::string_view stored) {
  // The stored bytes' ASCII bytes are the ASCII characters: the characters
  // AppendStringLiteral writes otherwise are found among the bytes.
  const size_t start = rowBytes_.size();
  rowBytes_ += '\'';
  for (size_t from = 0;;) {
    const size_t at = FindMark(stored, from, '\'', literalMarks_[0], literalMarks_[1]);
    if (!stored_.Append(columnIndex, stored.substr(from, at - from), rowBytes_)) {
      rowBytes_.resize(start);
      return false;
    }
    if (at == stored.size()) break;
    const char mark = stored[at];
    if (mark == '\'') rowBytes_ += "''";
    else if (mark == '\\') rowBytes_ += "\\\\";
    else rowBytes_ += carriageReturnBytes_;
    from = at + 1;
  }
  rowBytes_ += '\'';
  return true;
}

// ---- settings ----

void TTesselSQL::SaveSettings(TTesselIniFile& settings) {
  TTesselFormatTextSQL::SaveSettings(settings);
  sql::SaveOptions(settings, Options);
}

void TTesselSQL::LoadSettings(TTesselIniFile& settings) {
  TTesselFormatTextSQL::LoadSettings(settings);
  Options = sql::LoadOptions(settings, Options);
}

}  // namespace verimo
