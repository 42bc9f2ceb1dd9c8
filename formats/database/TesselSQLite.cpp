#include "formats/database/TesselSQLite.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "core/Exception.h"
#include "engine/TesselRow.h"
#include "formats/text/TesselJSON.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/DataSet.h"

namespace fs = std::filesystem;

namespace verimo {

namespace {

bool IsIntegerType(TFieldType type) {
  return type == ftSmallint || type == ftInteger || type == ftWord || type == ftAutoInc || type == ftLargeint;
}

bool IsRealType(TFieldType type) { return type == ftFloat || type == ftCurrency || type == ftExtended; }

const char* DeclaredType(uint8_t kind) {
  static constexpr const char* kTypes[] = {"INTEGER", "REAL", "", "INTEGER", "TEXT",
                                           "TEXT",    "TEXT", "TEXT",    "BLOB"};
  return kTypes[kind];
}

int64_t LoneSurrogates(WideStringView text) {
  int64_t lone = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i];
    if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
      ++i;
    else if (ch >= 0xD800 && ch <= 0xDFFF)
      ++lone;
  }
  return lone;
}

// The decimal text without a plus sign, leading zeros of the integer part
// and trailing zeros of the fraction ("-012.50" gives "-12.5").
std::string PlainDecimal(std::string_view text) {
  std::string sign;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    if (text.front() == '-') sign = "-";
    text.remove_prefix(1);
  }
  while (text.size() > 1 && text.front() == '0' && text[1] != '.') text.remove_prefix(1);
  if (text.find('.') != std::string_view::npos) {
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
  }
  if (text == "0") sign.clear();
  return sign + std::string(text);
}

// Whether a double holds every digit of the decimal text (into `number`).
bool ExactDouble(const std::string& digits, double& number) {
  const char* const end = digits.data() + digits.size();
  if (std::from_chars(digits.data(), end, number).ptr != end) return false;
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
  return result.ec == std::errc() &&
         PlainDecimal(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer))) == PlainDecimal(digits);
}

}  // namespace

namespace sqlite {

std::string QuoteName(WideStringView name) {
  std::string quoted = "\"";
  for (char ch : WideToUtf8(name)) {
    if (ch == '"') quoted += '"';
    quoted += ch;
  }
  return quoted + '"';
}

}  // namespace sqlite

TTesselSQLite::TTesselSQLite() = default;

TTesselSQLite::~TTesselSQLite() { Close(); }

void TTesselSQLite::Execute() {
  if (FileName.empty()) throw Exception("No target file name is given for the export");
  const fs::path path = TargetDirectory() / fs::path(FileName).filename();
  std::error_code ignored;
  fs::create_directories(path.parent_path(), ignored);
  // A database left there would take the table beside its own.
  if (!AddToDatabase) fs::remove(path, ignored);
  Open(path.string());
  RunExport();
  ShowResult();
}

void TTesselSQLite::Open(const std::string& path) {
  Close();
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
    Fail("cannot create the database " + path);
}

// SQLite's own text, and the system's reason when a system call failed
// ("database or disk is full (No space left on device)").
void TTesselSQLite::Fail(const std::string& what) const {
  if (db_ == nullptr) throw Exception(what + ": out of memory");
  std::string message = what + ": " + sqlite3_errmsg(db_);
  int systemError = sqlite3_system_errno(db_);
  if (systemError == 0 && sqlite3_errcode(db_) == SQLITE_FULL) systemError = ENOSPC;
  if (systemError != 0) message += std::string(" (") + std::strerror(systemError) + ")";
  throw Exception(message);
}

void TTesselSQLite::Exec(const char* statement) {
  if (sqlite3_exec(db_, statement, nullptr, nullptr, nullptr) != SQLITE_OK) Fail("SQLite");
}

void TTesselSQLite::BeginExport() {
  TTesselText::BeginExport();
  if (db_ == nullptr) throw Exception("The SQLite export runs only through Execute");
  PlanColumns();
  // Handlers that change texts get the cells; the bytes would pass them by.
  const bool cellsUnneeded = CellHandlersUnset() && !OnGetCellParams;
  stored_.Plan(Columns(), TSingleByteTranscoder::kUtf8, cellsUnneeded);
  PlanDirectColumns(cellsUnneeded);
  texts_.assign(static_cast<size_t>(Columns().Count()), std::string());
  // The file is staged and replaced as a whole: nothing needs to survive a
  // crash. A database that gets a table beside others keeps a journal in
  // memory, so that a failed run rolls its table back.
  Exec(AddToDatabase ? "PRAGMA journal_mode=MEMORY" : "PRAGMA journal_mode=OFF");
  Exec("PRAGMA synchronous=OFF");
  // A bulk load splits fewer pages when they are larger and kept in a
  // cache of 16 MB.
  if (!AddToDatabase) Exec("PRAGMA page_size=16384");
  Exec("PRAGMA cache_size=-16384");
  keyColumns_ = Columns().KeyColumns();
  keyHasBlanks_ = false;
  Exec("BEGIN");
  Exec(CreateTableStatement(QuotedTableName()).c_str());
  PrepareInsert();
}

void TTesselSQLite::PlanColumns() {
  kinds_.clear();
  for (const TTesselColumn& column : Columns()) {
    const TFieldType type = column.Field != nullptr ? column.Field->DataType() : column.FieldType;
    TValueKind kind = TValueKind::Text;
    if (IsBinaryType(type)) kind = TValueKind::Blob;
    else if (IsTextType(type)) kind = TValueKind::Text;
    else if (type == ftBCD || type == ftFMTBcd) kind = TValueKind::Decimal;
    else if (IsIntegerType(type)) kind = TValueKind::Integer;
    else if (IsRealType(type)) kind = TValueKind::Real;
    else if (type == ftBoolean) kind = TValueKind::Boolean;
    else if (type == ftDate) kind = TValueKind::Date;
    else if (type == ftTime) kind = TValueKind::Time;
    else if (type == ftDateTime || type == ftTimeStamp) kind = TValueKind::DateTime;
    kinds_.push_back(kind);
  }
}

std::string TTesselSQLite::QuotedTableName() const {
  return sqlite::QuoteName(TableName.empty() ? Utf8ToWide(fs::path(FileName).stem().string()) : TableName);
}

std::string TTesselSQLite::CreateTableStatement(const std::string& table) const {
  std::string statement = "CREATE TABLE " + table + " (";
  for (int i = 0; i < Columns().Count(); ++i) {
    if (i > 0) statement += ", ";
    statement += sqlite::QuoteName(Columns()[i].Name);
    if (const char* type = DeclaredType(static_cast<uint8_t>(kinds_[static_cast<size_t>(i)])); *type != 0)
      statement += std::string(" ") + type;
    if (!keyHasBlanks_ && std::find(keyColumns_.begin(), keyColumns_.end(), i) != keyColumns_.end())
      statement += " NOT NULL";
  }
  if (!keyColumns_.empty()) {
    statement += keyHasBlanks_ ? ", UNIQUE (" : ", PRIMARY KEY (";
    for (size_t k = 0; k < keyColumns_.size(); ++k) {
      if (k > 0) statement += ", ";
      statement += sqlite::QuoteName(Columns()[keyColumns_[k]].Name);
    }
    statement += ')';
  }
  return statement + ')';
}

void TTesselSQLite::PrepareInsert() {
  sqlite3_finalize(insert_);
  insert_ = nullptr;
  std::string statement = "INSERT INTO " + QuotedTableName() + " VALUES (";
  for (int i = 0; i < Columns().Count(); ++i) statement += i > 0 ? ",?" : "?";
  statement += ')';
  if (sqlite3_prepare_v2(db_, statement.c_str(), static_cast<int>(statement.size()), &insert_, nullptr) != SQLITE_OK)
    Fail("SQLite");
}

// Without handlers, no cell text is ever written: the text fields' stored
// bytes and the other fields' values are read when their row is bound,
// without the cells' formatted texts.
void TTesselSQLite::PlanDirectColumns(bool enabled) {
  direct_.assign(static_cast<size_t>(Columns().Count()), 0);
  deferred_ = stored_.Columns();
  deferred_.resize(direct_.size(), 0);
  anyDeferred_ = stored_.Any();
  if (!enabled || !Columns().ReadsFields()) return;
  for (int i = 0; i < Columns().Count(); ++i) {
    const TValueKind kind = kinds_[static_cast<size_t>(i)];
    const bool valueOnly = kind != TValueKind::Text && kind != TValueKind::Blob && kind != TValueKind::Decimal;
    if (!valueOnly || Columns()[i].Field == nullptr || stored_.IsPlanned(i)) continue;
    direct_[static_cast<size_t>(i)] = 1;
    deferred_[static_cast<size_t>(i)] = 1;
    anyDeferred_ = true;
  }
}

bool TTesselSQLite::IsDirect(int index) const {
  return static_cast<size_t>(index) < direct_.size() && direct_[static_cast<size_t>(index)] != 0;
}

void TTesselSQLite::FillRow() {
  if (anyDeferred_)
    FillRowDeferring(deferred_);
  else
    TTesselText::FillRow();
}

bool TTesselSQLite::KeyValueBlank() const {
  return std::any_of(keyColumns_.begin(), keyColumns_.end(), [&](int index) {
    if (stored_.IsPlanned(index)) return stored_.Text(index).empty();
    if (IsDirect(index)) return Columns().IsNull(index);
    const TTesselCol& cell = RowAsRead()[index];
    return ColumnIsNull(cell, index) || cell.Value.IsNull();
  });
}

void TTesselSQLite::RelaxKey() {
  // Paradox allows one record with a blank key, which no primary key holds:
  // the rows so far move into a table whose key columns are UNIQUE instead.
  keyHasBlanks_ = true;
  sqlite3_finalize(insert_);
  insert_ = nullptr;
  const std::string table = QuotedTableName();
  Exec(CreateTableStatement("verimo_relaxed").c_str());
  Exec(("INSERT INTO verimo_relaxed SELECT * FROM " + table).c_str());
  Exec(("DROP TABLE " + table).c_str());
  Exec(("ALTER TABLE verimo_relaxed RENAME TO " + table).c_str());
  PrepareInsert();
}

void TTesselSQLite::WriteDataRow() {
  if (!keyHasBlanks_ && !keyColumns_.empty() && KeyValueBlank()) RelaxKey();
  sqlite3_reset(insert_);
  const int count = std::min(Columns().Count(), RowAsRead().Count());
  for (int i = 0; i < count; ++i) BindCell(i);
  for (int i = count; i < Columns().Count(); ++i) sqlite3_bind_null(insert_, i + 1);
  if (sqlite3_step(insert_) != SQLITE_DONE) Fail("record " + std::to_string(RecordCounter() + 1));
}

void TTesselSQLite::BindCell(int index) {
  if (stored_.IsPlanned(index)) {
    BindStoredText(index);
    return;
  }
  if (IsDirect(index)) {
    Columns()[index].Field->ReadValue(value_);
    if (value_.IsNull())
      sqlite3_bind_null(insert_, index + 1);
    else
      BindValue(index, value_);
    return;
  }
  const TTesselCol& cell = RowAsRead()[index];
  if (ColumnIsNull(cell, index) || cell.Value.IsNull()) {
    sqlite3_bind_null(insert_, index + 1);
    return;
  }
  const TValueKind kind = kinds_[static_cast<size_t>(index)];
  // A text a handler changed, or a source's text without a value of its
  // type, goes in as the text.
  if (cell.Value.IsEmpty() || (kind != TValueKind::Text && kind != TValueKind::Blob && !CellTextIsValueText(index))) {
    BindText(index, cell.Text);
    return;
  }
  BindValue(index, cell.Value);
}

void TTesselSQLite::BindValue(int index, const Variant& value) {
  const int slot = index + 1;
  switch (value.GetKind()) {
    case Variant::Kind::Boolean: sqlite3_bind_int(insert_, slot, value.AsBool() ? 1 : 0); return;
    case Variant::Kind::Integer: sqlite3_bind_int64(insert_, slot, value.AsInt()); return;
    case Variant::Kind::Text: BindText(index, value.AsText()); return;
    case Variant::Kind::Bytes: {
      const Bytes& bytes = value.AsBytes();
      // The cell keeps its bytes until the row is written.
      sqlite3_bind_blob64(insert_, slot, bytes.data(), bytes.size(), SQLITE_STATIC);
      return;
    }
    case Variant::Kind::DateTime: BindDateTime(index, value.AsDateTime()); return;
    default: break;
  }
  if (kinds_[static_cast<size_t>(index)] == TValueKind::Decimal) {
    BindDecimal(index, value);
    return;
  }
  const double number = value.AsDouble();
  if (std::isnan(number)) {
    sqlite3_bind_null(insert_, slot);
    Losses().Add(Columns()[index].Name, TLossKind::NotFinite, {});
    return;
  }
  sqlite3_bind_double(insert_, slot, number);
}

void TTesselSQLite::BindText(int index, WideStringView text) {
  Losses().Add(Columns()[index].Name, TLossKind::LoneSurrogate, {}, LoneSurrogates(text));
  std::string& utf8 = texts_[static_cast<size_t>(index)];
  utf8 = WideToUtf8(text);
  BindUtf8(index, utf8);
}

void TTesselSQLite::BindStoredText(int index) {
  const std::string_view stored = stored_.Text(index);
  if (stored.empty()) {
    sqlite3_bind_null(insert_, index + 1);
    return;
  }
  std::string& utf8 = texts_[static_cast<size_t>(index)];
  utf8.clear();
  if (!stored_.Append(index, stored, utf8)) {
    stored_.Decode(index, stored, decoded_);
    utf8 = WideToUtf8(decoded_);
  }
  BindUtf8(index, utf8);
}

void TTesselSQLite::BindUtf8(int index, const std::string& text) {
  sqlite3_bind_text64(insert_, index + 1, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
}

void TTesselSQLite::BindDecimal(int index, const Variant& value) {
  // The exact digits where the dataset keeps them: a REAL when a double
  // holds them all, else their text (the column has no affinity that
  // would turn it into a rounded number).
  const TField* field = Columns()[index].Field;
  std::string& digits = texts_[static_cast<size_t>(index)];
  digits = field != nullptr ? field->DataSet().FieldDecimalText(field->Index()) : std::string();
  double number = 0;
  if (digits.empty() || ExactDouble(digits, number)) {
    sqlite3_bind_double(insert_, index + 1, digits.empty() ? value.AsDouble() : number);
    return;
  }
  BindUtf8(index, digits);
}

void TTesselSQLite::BindDateTime(int index, double value) {
  const TValueKind kind = kinds_[static_cast<size_t>(index)];
  std::string& text = texts_[static_cast<size_t>(index)];
  text.clear();
  bool written = true;
  if (kind == TValueKind::Time) {
    written = std::isfinite(value);
    if (written) json::AppendTimePart(text, value);
  } else {
    written = json::AppendDatePart(text, value);
    if (written && kind != TValueKind::Date) {
      text += ' ';
      json::AppendTimePart(text, value);
    }
  }
  // Dates outside the years 1 to 9999 are counted where the run reads them.
  if (!written) {
    sqlite3_bind_null(insert_, index + 1);
    return;
  }
  BindUtf8(index, text);
}

void TTesselSQLite::AfterExport() {
  TTesselText::AfterExport();
  sqlite3_finalize(insert_);
  insert_ = nullptr;
  Exec("COMMIT");
  if (sqlite3_close(db_) != SQLITE_OK) Fail("cannot close the database");
  db_ = nullptr;
}

void TTesselSQLite::EndExport() {
  // After a failure the transaction goes with the connection; the staged
  // file is discarded by the run.
  Close();
  TTesselText::EndExport();
}

void TTesselSQLite::Close() noexcept {
  sqlite3_finalize(insert_);
  insert_ = nullptr;
  sqlite3_close(db_);
  db_ = nullptr;
}

}  // namespace verimo
