#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/WideString.h"
#include "engine/TesselStoredText.h"
#include "engine/TesselText.h"

struct sqlite3;
struct sqlite3_stmt;

namespace verimo {

// An SQLite database file holding one typed table of the exported rows.
// Column types: INTEGER (integers, Booleans as 0/1), REAL (floats and
// currency, which the source holds as binary floating point), no declared
// type for exact decimals (each value a REAL where that keeps every digit,
// else its digits as TEXT), TEXT (texts, memos; dates "YYYY-MM-DD", times
// "hh:mm:ss[.sss]" and timestamps "YYYY-MM-DD hh:mm:ss[.sss]", as SQLite's
// date functions read them) and BLOB (bytes as stored). The source's
// primary key, when every key field is exported, is declared with NOT NULL
// on its columns; a key with a blank value (Paradox allows one) is declared
// UNIQUE instead. The table and its rows go in in one transaction; a target
// that exists is replaced, or with AddToDatabase kept and given the table
// beside its own (a run that fails then leaves it as it was).
class TTesselSQLite : public TTesselText {
 public:
  TTesselSQLite();
  ~TTesselSQLite() override;

  // The table's name; empty: the target file's name without extension.
  WideString TableName;
  // Keeps a database already at the target and adds the table to it.
  bool AddToDatabase = false;

  void Execute() override;
  void BeginExport() override;
  void FillRow() override;
  void WriteCaptionRow() override {}
  void WriteDataRow() override;
  void AfterExport() override;
  void EndExport() override;

 private:
  enum class TValueKind : uint8_t { Integer, Real, Decimal, Boolean, Date, Time, DateTime, Text, Blob };

  void Open(const std::string& path);
  void Close() noexcept;
  void Exec(const char* statement);
  [[noreturn]] void Fail(const std::string& what) const;
  void PlanColumns();
  std::string QuotedTableName() const;
  std::string CreateTableStatement(const std::string& table) const;
  void PrepareInsert();
  bool KeyValueBlank() const;
  void RelaxKey();
  void PlanDirectColumns(bool enabled);
  bool IsDirect(int index) const;
  void BindCell(int index);
  void BindValue(int index, const Variant& value);
  void BindText(int index, WideStringView text);
  void BindStoredText(int index);
  // The column's text in `text`, bound without a copy: it stays as it is
  // until the row is written.
  void BindUtf8(int index, const std::string& text);
  void BindDecimal(int index, const Variant& value);
  void BindDateTime(int index, double value);

  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  std::vector<TValueKind> kinds_;
  std::vector<int> keyColumns_;
  bool keyHasBlanks_ = false;
  // Text fields whose stored bytes go in as UTF-8 without a cell.
  TTesselStoredText stored_;
  // Per column: the UTF-8 text bound for the row being written.
  std::vector<std::string> texts_;
  // Per column: read as a value when bound, without a cell (direct_),
  // left out of the cells the run fills (deferred_).
  std::vector<uint8_t> direct_;
  std::vector<uint8_t> deferred_;
  bool anyDeferred_ = false;
  Variant value_;
  WideString decoded_;
};

// The SQLite pieces, free of any run state.
namespace sqlite {

// "name" with inner quotes doubled.
std::string QuoteName(WideStringView name);

}  // namespace sqlite

}  // namespace verimo
