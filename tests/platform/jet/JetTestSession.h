#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/jet/Connection.h"
#include "support/TestPaths.h"

// Drives the Access interface the way the exporter does.
namespace verimo::test::jet {

inline WideString ConnectionString(const std::filesystem::path& file, const WideString& password = {}) {
  WideString text = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Utf8ToWide(file.string());
  if (!password.empty()) text += u";Jet OLEDB:Database Password=" + password;
  return text;
}

inline void CreateDatabase(const std::filesystem::path& file, const WideString& password = {}) {
  TJetCatalog().Create(ConnectionString(file, password));
}

inline void Execute(const std::filesystem::path& file, const WideString& sql, const WideString& password = {}) {
  TJetCommand command;
  command.ConnectionString = ConnectionString(file, password);
  command.SetCommandText(sql);
  command.Execute();
}

inline std::vector<WideString> TableNames(const std::filesystem::path& file, const WideString& password = {}) {
  TJetConnection connection;
  connection.ConnectionString = ConnectionString(file, password);
  connection.Open();
  TStringList list;
  connection.GetTableNames(list, false);
  connection.Close();
  return list.Lines();
}

// A prepared "insert into" with one typed parameter per column.
class Inserter {
 public:
  Inserter(const std::filesystem::path& file, const WideString& table, const std::vector<WideString>& columns,
           const std::vector<TFieldType>& types, const WideString& password = {},
           std::shared_ptr<const TJetTextParser> parser = nullptr) {
    WideString names, params;
    for (size_t i = 0; i < columns.size(); ++i) {
      names += (i ? u"," : u"") + columns[i];
      params += (i ? u"," : u"") + (u":PARAM" + IntToWide(static_cast<long long>(i)));
    }
    command_.ConnectionString = ConnectionString(file, password);
    command_.SetCommandText(u"insert into " + table + u"(" + names + u") values(" + params + u")");
    if (parser) command_.SetTextParser(std::move(parser));
    for (size_t i = 0; i < types.size(); ++i) command_.Parameters().at(i).DataType = types[i];
    command_.ExecuteOptions = {TJetExecuteOption::eoExecuteNoRecords};
    command_.SetPrepared(true);
  }

  void Row(const std::vector<std::optional<WideString>>& values) {
    for (size_t i = 0; i < values.size(); ++i)
      command_.Parameters().at(i).Value = values[i] ? Variant::FromText(*values[i]) : Variant::Null();
    command_.Execute();
  }
  void Close() { command_.Close(); }

 private:
  TJetCommand command_;
};

class TempFolder {
 public:
  TempFolder() : path_(MakeTempDir("jet")) {}
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace verimo::test::jet
