#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "core/NonCopyable.h"
#include "core/StringList.h"
#include "core/Variant.h"
#include "core/WideString.h"
#include "platform/data/FieldType.h"
#include "platform/jet/Names.h"
#include "platform/jet/Sql.h"
#include "platform/jet/ValueConversion.h"

// The connection and command objects the Access exporter drives, over this
// system's own Jet 4 writer. They take the provider's connection strings and
// the exporter's two statements.
namespace verimo {

namespace jet {
class Database;
}

// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=PATH[;Jet OLEDB:Database
// Password=PASSWORD]"; values may be quoted with " or '.
struct TJetConnectionString {
  std::filesystem::path DataSource;
  WideString Password;

  static TJetConnectionString Parse(WideStringView text);
};

// Creates an empty Access 2000 database file ("ADOX.Catalog" Create). The
// password of the connection string, if any, protects the new file.
class TJetCatalog {
 public:
  void Create(const WideString& connectionString);
};

class TJetConnection {
 public:
  TJetConnection();
  ~TJetConnection();

  WideString ConnectionString;
  bool LoginPrompt = false;

  void Open();
  void Close();
  bool Connected() const { return database_ != nullptr; }
  // The table names, without the system tables unless asked for.
  void GetTableNames(TStringList& list, bool systemTables = false) const;

 private:
  std::unique_ptr<jet::Database> database_;
};

struct TJetParameter {
  WideString Name;
  TFieldType DataType = ftUnknown;
  Variant Value;  // Null, or a wide string the command converts
};

enum class TJetExecuteOption { eoExecuteNoRecords };

// A statement run against a database: "create table" is saved at once;
// the rows of a prepared "insert into" go into a private copy of the file
// that Close (or, without error reporting, the destructor) saves. Rows
// inserted before a failing one are kept.
class TJetCommand : private TNonCopyable {
 public:
  TJetCommand();
  ~TJetCommand();

  WideString ConnectionString;
  std::vector<TJetExecuteOption> ExecuteOptions;

  // Setting the text parses it and rebuilds the parameters from it.
  void SetCommandText(const WideString& text);
  const WideString& CommandText() const { return commandText_; }
  std::vector<TJetParameter>& Parameters() { return parameters_; }

  // How parameter texts are read; default: TJetSettingsTextParser().
  void SetTextParser(std::shared_ptr<const TJetTextParser> parser);

  // Opens the database and checks the statement against it.
  void SetPrepared(bool prepared);
  bool Prepared() const { return prepared_; }

  void Execute();
  // Saves the rows inserted so far and closes the database.
  void Close();

 private:
  struct Insert;

  const jet::SqlStatement& Statement() const;
  void Prepare();
  void ExecuteCreateTable();
  void ExecuteInsert();
  void OpenDatabase();

  WideString commandText_;
  // The text parsed once when it is set; the error when it did not parse.
  std::optional<jet::SqlStatement> statement_;
  std::optional<std::string> parseError_;
  std::vector<TJetParameter> parameters_;
  std::shared_ptr<const TJetTextParser> parser_;
  bool prepared_ = false;
  std::unique_ptr<jet::Database> database_;
  std::unique_ptr<Insert> insert_;
};

}  // namespace verimo
