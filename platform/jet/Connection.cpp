#include "platform/jet/Connection.h"

#include <algorithm>

#include "core/Exception.h"
#include "platform/jet/Database.h"
#include "platform/jet/Sql.h"

namespace verimo {
namespace {

constexpr WideStringView kProvider = u"Microsoft.Jet.OLEDB.4.0";

bool IsSpace(char16_t ch) { return ch == u' ' || ch == u'\t'; }

WideString TrimSpaces(WideStringView text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return WideString(text);
}

// One value of a connection string, quoted or up to the next ';'.
WideString ReadValue(WideStringView text, size_t& pos) {
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  if (pos < text.size() && (text[pos] == u'"' || text[pos] == u'\'')) {
    const char16_t quote = text[pos++];
    WideString value;
    for (;;) {
      if (pos >= text.size()) throw Exception("Invalid connection string: a quoted value is not closed.");
      if (text[pos] == quote) {
        if (pos + 1 < text.size() && text[pos + 1] == quote) {
          value.push_back(quote);
          pos += 2;
          continue;
        }
        ++pos;
        break;
      }
      value.push_back(text[pos++]);
    }
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    if (pos < text.size() && text[pos] != u';') throw Exception("Invalid connection string: text after a quoted value.");
    return value;
  }
  const size_t end = std::min(text.find(u';', pos), text.size());
  WideString value = TrimSpaces(text.substr(pos, end - pos));
  pos = end;
  return value;
}

bool IsSupportedParameterType(TFieldType type) {
  switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftString:
    case ftWideString:
    case ftMemo:
    case ftWideMemo:
    case ftFmtMemo:
    case ftBoolean:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftBlob:
      return true;
    default:
      return false;
  }
}

void CheckCreateTable(const jet::CreateTableStatement& statement) {
  CheckJetName(statement.table, "table");
  if (statement.columns.size() > jet::kMaxColumnsPerTable)
    throw Exception("Table '" + WideToUtf8(statement.table) + "' would have more than 255 columns.");
  for (size_t i = 0; i < statement.columns.size(); ++i) {
    CheckJetName(statement.columns[i].name, "column");
    for (size_t j = 0; j < i; ++j)
      if (SameText(statement.columns[i].name, statement.columns[j].name))
        throw Exception("Duplicate column name '" + WideToUtf8(statement.columns[i].name) + "' in table '" +
                        WideToUtf8(statement.table) + "'.");
  }
}

}  // namespace

TJetConnectionString TJetConnectionString::Parse(WideStringView text) {
  TJetConnectionString result;
  bool haveProvider = false, haveSource = false;
  size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == u';' || IsSpace(text[pos])) {
      ++pos;
      continue;
    }
    const size_t equals = text.find(u'=', pos);
    if (equals == WideStringView::npos) throw Exception("Invalid connection string: '" + WideToUtf8(text.substr(pos)) + "' has no value.");
    const WideString key = TrimSpaces(text.substr(pos, equals - pos));
    pos = equals + 1;
    const WideString value = ReadValue(text, pos);
    if (SameText(key, u"Provider")) {
      if (!SameText(value, kProvider))
        throw Exception("Provider '" + WideToUtf8(value) + "' is not supported; only Microsoft.Jet.OLEDB.4.0 is.");
      haveProvider = true;
    } else if (SameText(key, u"Data Source")) {
      if (value.empty()) throw Exception("Invalid connection string: the Data Source is empty.");
      result.DataSource = WideToUtf8(value);
      haveSource = true;
    } else if (SameText(key, u"Jet OLEDB:Database Password")) {
      result.Password = value;
    } else {
      throw Exception("Invalid connection string: the keyword '" + WideToUtf8(key) + "' is not supported.");
    }
  }
  if (!haveProvider) throw Exception("Invalid connection string: the Provider is missing.");
  if (!haveSource) throw Exception("Invalid connection string: the Data Source is missing.");
  return result;
}

void TJetCatalog::Create(const WideString& connectionString) {
  const TJetConnectionString parsed = TJetConnectionString::Parse(connectionString);
  jet::Database::CreateFile(parsed.DataSource, parsed.Password);
}

TJetConnection::TJetConnection() = default;
TJetConnection::~TJetConnection() = default;

void TJetConnection::Open() {
  const TJetConnectionString parsed = TJetConnectionString::Parse(ConnectionString);
  database_ = jet::Database::Open(parsed.DataSource, parsed.Password, false);
}

void TJetConnection::Close() { database_.reset(); }

void TJetConnection::GetTableNames(TStringList& list, bool systemTables) const {
  if (!database_) throw Exception("The connection is not open.");
  list.Clear();
  for (const WideString& name : database_->TableNames(systemTables)) list.Add(name);
}

struct TJetCommand::Insert {
  jet::TableStore* table = nullptr;
  // For each column of the statement: its column number and parameter.
  std::vector<std::pair<uint16_t, size_t>> targets;
  // The values of the row being inserted, by column number; kept from row
  // to row so that their text buffers are reused.
  std::vector<Variant> values;
};

TJetCommand::TJetCommand() : parser_(std::make_shared<TJetSettingsTextParser>()) {}

TJetCommand::~TJetCommand() {
  try {
    Close();
  } catch (...) {
    // Close() is where a caller learns about a failed save; here the file
    // simply stays as it was before this command.
  }
}

void TJetCommand::SetCommandText(const WideString& text) {
  Close();
  commandText_ = text;
  parameters_.clear();
  statement_.reset();
  parseError_.reset();
  prepared_ = false;
  try {
    statement_ = jet::ParseSql(text);
    if (const auto* insert = std::get_if<jet::InsertStatement>(&*statement_)) {
      for (const WideString& name : insert->parameters) {
        const bool known = std::any_of(parameters_.begin(), parameters_.end(),
                                       [&](const TJetParameter& p) { return SameText(p.Name, name); });
        if (!known) parameters_.push_back({name, ftUnknown, Variant::Null()});
      }
    }
  } catch (const Exception& error) {
    parseError_ = error.what();
  }
}

void TJetCommand::SetTextParser(std::shared_ptr<const TJetTextParser> parser) {
  if (!parser) throw Exception("Internal error: no text parser given.");
  parser_ = std::move(parser);
}

void TJetCommand::SetPrepared(bool prepared) {
  if (prepared) Prepare();
  prepared_ = prepared;
}

void TJetCommand::OpenDatabase() {
  if (database_) return;
  const TJetConnectionString parsed = TJetConnectionString::Parse(ConnectionString);
  database_ = jet::Database::Open(parsed.DataSource, parsed.Password, true);
}

const jet::SqlStatement& TJetCommand::Statement() const {
  if (parseError_) throw Exception(*parseError_);
  if (commandText_.empty() || !statement_) throw Exception("The command has no text.");
  return *statement_;
}

void TJetCommand::Prepare() {
  if (insert_) return;
  const auto* insert = std::get_if<jet::InsertStatement>(&Statement());
  if (!insert) return;
  OpenDatabase();
  jet::TableStore* table = database_->FindTable(insert->table);
  if (!table || table->Definition().isSystem)
    throw Exception("Table '" + WideToUtf8(insert->table) + "' does not exist in the database.");
  auto plan = std::make_unique<Insert>();
  plan->table = table;
  plan->values.assign(table->Definition().columns.size(), Variant::Null());
  for (size_t i = 0; i < insert->columns.size(); ++i) {
    const auto& columns = table->Definition().columns;
    const auto column = std::find_if(columns.begin(), columns.end(),
                                     [&](const jet::Column& c) { return SameText(c.name, insert->columns[i]); });
    if (column == columns.end())
      throw Exception("Table '" + WideToUtf8(insert->table) + "' has no column [" + WideToUtf8(insert->columns[i]) + "].");
    for (const auto& [number, parameter] : plan->targets)
      if (number == column->number)
        throw Exception("Column [" + WideToUtf8(column->name) + "] is named twice in the INSERT INTO statement.");
    const auto parameter = std::find_if(parameters_.begin(), parameters_.end(),
                                        [&](const TJetParameter& p) { return SameText(p.Name, insert->parameters[i]); });
    plan->targets.emplace_back(column->number, static_cast<size_t>(parameter - parameters_.begin()));
  }
  insert_ = std::move(plan);
}

void TJetCommand::Execute() {
  if (const auto* create = std::get_if<jet::CreateTableStatement>(&Statement())) {
    CheckCreateTable(*create);
    std::vector<jet::ColumnSpec> columns;
    for (const auto& column : create->columns) columns.push_back({column.name, column.type, column.length, 0});
    OpenDatabase();
    try {
      database_->CreateTable(create->table, columns);
      database_->Commit();
    } catch (...) {
      database_.reset();
      throw;
    }
    database_.reset();
    return;
  }
  ExecuteInsert();
}

void TJetCommand::ExecuteInsert() {
  Prepare();
  if (database_->IsBroken())
    throw Exception("The database cannot take more rows after an earlier write error.");
  const jet::TableDefinition& definition = insert_->table->Definition();
  std::vector<Variant>& values = insert_->values;
  for (const auto& [number, index] : insert_->targets) {
    const TJetParameter& parameter = parameters_.at(index);
    if (!IsSupportedParameterType(parameter.DataType))
      throw Exception("Parameter " + WideToUtf8(parameter.Name) + " has the data type " +
                      std::string(FieldTypeName(parameter.DataType)) + ", which is not supported.");
    jet::ConvertForColumn(definition.columns[number], parameter.Value, *parser_, values[number]);
  }
  database_->AppendRow(*insert_->table, values);
}

void TJetCommand::Close() {
  insert_.reset();
  if (!database_) return;
  std::unique_ptr<jet::Database> database = std::move(database_);
  if (!database->IsBroken()) database->Commit();
  if (database->IsBroken())
    throw Exception("The rows could not be saved in '" + database->Path().string() + "' because of an earlier write error; the file is unchanged.");
}

}  // namespace verimo
