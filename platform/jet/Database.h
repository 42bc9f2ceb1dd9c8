#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "core/DateTime.h"
#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "platform/jet/Header.h"
#include "platform/jet/PageFile.h"
#include "platform/jet/TableStore.h"
#include "platform/storage/AtomicOutput.h"

namespace verimo::jet {

// A row of MSysObjects, the catalog of the database's objects.
struct CatalogEntry {
  int32_t id = 0;
  int32_t parentId = 0;
  WideString name;
  int16_t type = 0;
  int32_t flags = 0;
};

constexpr int16_t kObjectTypeTable = 1;
constexpr int16_t kObjectTypeDatabase = 2;
constexpr int16_t kObjectTypeContainer = 3;
constexpr int32_t kSystemObjectFlags = static_cast<int32_t>(0x80000000u);

// An Access 2000 database file being changed. Everything happens on a
// private copy beside the file; Commit replaces the file with the copy in
// one rename, so a failure or a crash never leaves a half-written file.
// Without Commit the original stays as it was.
class Database : private TNonCopyable {
 public:
  // Creates a new, empty database; fails when the file already exists.
  static void CreateFile(const std::filesystem::path& path, const WideString& password);
  // Opens a database this writer created; refuses any other file and, for a
  // file with a password, any other password. Opened for reading only, it
  // reads the file itself and cannot be changed.
  static std::unique_ptr<Database> Open(const std::filesystem::path& path, const WideString& password,
                                        bool forWriting = true);

  ~Database();

  const std::filesystem::path& Path() const { return path_; }
  const DatabaseHeader& Header() const { return header_; }
  std::vector<WideString> TableNames(bool includeSystemTables) const;
  // The table of that name (case-insensitive), or nullptr.
  TableStore* FindTable(WideStringView name);

  // Creates a user table; the names must already be checked.
  TableStore& CreateTable(const WideString& name, const std::vector<ColumnSpec>& columns);
  // Adds a row to a table of this database; on a failure while writing,
  // the database can no longer be committed.
  void AppendRow(TableStore& table, const std::vector<Variant>& values);

  // Saves everything into the file and ends the changes; without it the
  // file stays as it was.
  void Commit();
  bool IsCommitted() const { return committed_; }
  bool IsBroken() const { return broken_; }

 private:
  Database(std::filesystem::path path, bool isNew);

  void BuildEmpty(const WideString& password);
  void LoadExisting(const WideString& password, bool forWriting);
  void LoadCatalog();
  void AddCatalogEntry(const CatalogEntry& entry);
  void WriteGlobalMap();
  template <typename Action>
  void Guarded(Action action);

  std::filesystem::path path_;
  bool isNew_;
  bool readOnly_ = false;
  FileHandle originalLock_;
  std::unique_ptr<TAtomicOutput> scratch_;
  std::unique_ptr<PageFile> file_;
  DatabaseHeader header_;
  UsageMap globalMap_;
  std::vector<CatalogEntry> catalog_;
  std::unique_ptr<TableStore> objects_;
  std::vector<std::pair<CatalogEntry, std::unique_ptr<TableStore>>> tables_;  // every table but MSysObjects
  bool broken_ = false;
  bool committed_ = false;
};

// The local time now, as the platform's date-time value.
TDateTime CurrentDateTime();

}  // namespace verimo::jet
