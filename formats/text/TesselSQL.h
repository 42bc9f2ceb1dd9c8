#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/TesselStoredText.h"
#include "engine/TesselText.h"
#include "platform/data/FieldType.h"
#include "formats/text/SqlOptions.h"

namespace verimo {

// Writes the exported rows as an SQL script: optional transaction and
// table-creation statements, one INSERT statement per record and periodic
// commits, in the dialect of one of seven servers.
class TTesselSQL : public TTesselFormatTextSQL {
 public:
  using TGetTableDefinitionEvent = std::function<void(TTesselSQL& sender, WideString& ddl)>;

  TTesselSQL();

  // The table, the dialect, the statements around the rows and the commits.
  // An empty TableName suppresses CREATE TABLE and the identity
  // statements; a "." separates schema and table, each quoted on its own.
  // CommitStatement is the ANSI dialect's.
  TTesselSQLOptions Options;
  // When set and Options.CreateTable is on, its DDL replaces the generated statement.
  TGetTableDefinitionEvent OnGetTableDefinition;

  // The dialect's commit statement with its terminator (the ANSI dialect's
  // is the stored one); empty when that is empty. Fetching it counts as
  // closing the open transaction.
  WideString CommitStatement();
  // The ANSI text of a null value: the formats' null text ("null" by default).
  const WideString& NullValue() const { return Formats().NullString(); }
  void SetNullValue(WideStringView value) { Formats().SetNullString(value); }
  // Values as the source's own text, without patterns (dates of the ANSI
  // and InterBase dialects only: numbers always come from the raw value).
  bool FormatValues() const { return Formats().KeepOriginalFormat; }
  void SetFormatValues(bool value) { Formats().KeepOriginalFormat = value; }

  void BeginExport() override;
  void EndExport() override;
  WideString GetColData(const WideString& text, const TTesselColumn& column) override;
  WideString GetDataRow() override;
  void FillRow() override;
  void WriteDataRow() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;
  // NULs are left out of text literals.
  TTesselTextLimits TextLimits() const override;

  // The column's type in the CREATE TABLE statement of the dialect.
  WideString ColumnType(const TTesselColumn& column) const;
  // The literal of one cell of the current row, as the VALUES list takes it.
  WideString ValueLiteral(const TTesselCol& cell, const TTesselColumn& column) const;

 private:
  WideString StatementTerminator() const;
  WideString TransactionStartStatement();
  void WriteStatement(WideStringView statement);
  void WriteCreateTable();
  void WriteIdentityInsert(bool on);
  void AppendValue(WideString& out, const TTesselCol& cell, const TTesselColumn& column) const;
  // The column's field is null in the record the cell holds.
  bool FieldIsNull(const TTesselCol& cell, const TTesselColumn& column) const;
  void AppendDateTime(WideString& out, const TTesselCol& cell, const TTesselColumn& column) const;
  void AppendBoolean(WideString& out, const TTesselCol& cell) const;
  void AppendText(WideString& out, const TTesselCol& cell, const TTesselColumn& column) const;
  void AppendNull(WideString& out) const;
  // A text column whose literal the dialect wraps in a function (CAST, RAWTOHEX).
  bool WrapsText(const TTesselColumn& column) const;

  // The statements of this class itself (a descendant goes through the
  // wide text), in an output that keeps ASCII as it is, built as its bytes:
  // the constant pieces encoded once per run, numbers written as ASCII,
  // the literals of stored text fields quoted and transcoded from the
  // source's bytes (their cells left unread).
  void PlanByteRows();
  // The statement of the current record into statement_, as wide text.
  void BuildStatement();
  void BuildStatementBytes();
  void AppendCellBytes(const TTesselCol& cell, int columnIndex);
  // A deferred cell from the source; false when it needs its cell.
  bool AppendStoredCell(int columnIndex);
  bool AppendRawNumber(int columnIndex);
  // The plain notation of a numeric value, or the null text.
  void AppendNumberOrNull(const Variant& value);
  // The literal of a stored text on its bytes; false, with nothing
  // appended, when a byte needs the converter.
  bool AppendStoredLiteral(int columnIndex, std::string_view stored);
  void AppendEncoded(WideStringView text, std::string& out);

  WideString insertPrefix_;  // "INSERT INTO t\r\n  (a,b)\r\nVALUES("
  WideString insertSuffix_;  // ")" and the terminator
  WideString statement_;     // reused per record
  bool transactionOpen_ = false;
  // Date-time patterns of the ANSI and InterBase literals: the exporter's
  // own with ":" as the time separator.
  TTesselFormats literalFormats_;
  bool reformatDates_ = false;

  bool byteRows_ = false;
  TTesselOutputEncoding rowEncoding_ = oeUTF8;
  TTesselStoredText stored_;
  // Per column, the cells left unread: literals built on the stored bytes,
  // numbers written from the field's raw value.
  static constexpr uint8_t kStoredLiteral = 1;
  static constexpr uint8_t kRawNumber = 2;
  std::vector<uint8_t> deferred_;
  bool anyDeferred_ = false;
  Variant number_;
  // The characters besides the apostrophe that literals write otherwise
  // (the apostrophe again when none).
  char literalMarks_[2] = {'\'', '\''};
  std::string prefixBytes_;
  std::string suffixBytes_;  // insertSuffix_ and the empty line
  std::string nullBytes_;
  std::string carriageReturnBytes_;  // the dialect's CR inside a literal
  std::string rowBytes_;
  WideString piece_;
};

// The dialect-level rules, free of any run state.
namespace sql {

// "ansi", "db2", "ib", "ms", "my", "ora", "pg" (any case); nothing else.
std::optional<TTesselScriptType> ScriptTypeFromName(std::string_view name);
const char* ScriptTypeName(TTesselScriptType type);

// One identifier in the dialect's quotes, the closing quote character
// doubled inside; a name already quoted that way is kept; empty stays empty.
WideString QuoteName(WideStringView name, TTesselScriptType type);
// A table name: split into its parts at "." outside quotes (PostgreSQL and
// MySQL: schema and table, at the first point only), empty parts dropped,
// each part quoted by QuoteName.
WideString QuoteTableName(WideStringView name, TTesselScriptType type);
// '...' with apostrophes doubled; MySQL also doubles backslashes. A CR is
// written in the dialect's notation ('\r' in MySQL, a CHR(13)-like function
// joined to the parts in the others but ANSI, which keeps it as it is).
WideString StringLiteral(WideStringView text, TTesselScriptType type);
// The plain notation of a numeric raw value ("." decimals, no grouping, no
// exponent); false for anything that is not a finite number.
bool NumberLiteral(const Variant& value, WideString& text);
// The dialect's literal of a byte string (X'..', 0x.., decode(..), ...).
WideString BytesLiteral(std::string_view bytes, TTesselScriptType type);
// A date-time as "yyyy<sep>mm<sep>dd hh:mm:ss" or "dd.mm.yyyy hh:mm:ss"
// (dayFirst); false outside the years 1 to 9999.
bool DateTimeText(TDateTime value, char16_t dateSeparator, bool dayFirst, WideString& text);
// The CREATE TABLE type of a field type and size in a dialect other than
// ANSI, as the dialects' type tables give it.
WideString DialectType(TTesselScriptType type, TFieldType fieldType, int size);
// The ANSI type: the column's own SQL type, with the types that have none
// in it given a real one (INTEGER, TIMESTAMP, TIME, BLOB, ...).
WideString AnsiType(const TTesselColumn& column);
// The field type a column stands for: its field's own, else one derived
// from its column type.
TFieldType FieldTypeOf(const TTesselColumn& column);
// A table name from a target file: its name without the extension,
// upper-cased, quoted in the dialect as one name (the points of
// "Paradox.pm_BIOLIFE.sql" name no schema).
WideString TableNameFromFileName(const std::string& fileName, TTesselScriptType type);

}  // namespace sql

}  // namespace verimo
