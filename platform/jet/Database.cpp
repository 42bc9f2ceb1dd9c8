#include "platform/jet/Database.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <set>

#include "core/Exception.h"
#include "platform/jet/DataPage.h"
#include "platform/jet/RowCodec.h"

namespace verimo::jet {
namespace {

// MSysObjects columns by number.
enum ObjectsColumn : uint16_t { kId = 0, kParentId = 1, kName = 2, kType = 3, kDateCreate = 4, kDateUpdate = 5, kFlags = 7 };

ColumnSpec SystemColumn(const char16_t* name, ColumnType type, uint16_t length = 0,
                        uint8_t flags = kColumnSystemFlag) {
  return {name, type, length, flags};
}

std::vector<ColumnSpec> ObjectsColumns() {
  using T = ColumnType;
  return {SystemColumn(u"Id", T::Long),          SystemColumn(u"ParentId", T::Long),
          SystemColumn(u"Name", T::Text, 510),   SystemColumn(u"Type", T::Integer),
          SystemColumn(u"DateCreate", T::DateTime), SystemColumn(u"DateUpdate", T::DateTime),
          SystemColumn(u"Owner", T::Binary, 510, kColumnSystemFlag | kColumnSecurityIdFlag),
          SystemColumn(u"Flags", T::Long),       SystemColumn(u"Database", T::Memo),
          SystemColumn(u"Connect", T::Memo),     SystemColumn(u"ForeignName", T::Text, 510),
          SystemColumn(u"RmtInfoShort", T::Binary, 510), SystemColumn(u"RmtInfoLong", T::Ole),
          SystemColumn(u"Lv", T::Ole),           SystemColumn(u"LvProp", T::Ole),
          SystemColumn(u"LvModule", T::Ole),     SystemColumn(u"LvExtra", T::Ole)};
}

struct SystemTable {
  const char16_t* name;
  uint32_t page;
  std::vector<ColumnSpec> columns;
};

// The other system tables every Jet 4 database has, at their fixed pages.
std::vector<SystemTable> OtherSystemTables() {
  using T = ColumnType;
  return {
      {u"MSysACEs", 3,
       {SystemColumn(u"ObjectId", T::Long), SystemColumn(u"SID", T::Binary, 510, kColumnSystemFlag | kColumnSecurityIdFlag),
        SystemColumn(u"ACM", T::Long), SystemColumn(u"FInheritable", T::Boolean)}},
      {u"MSysQueries", 4,
       {SystemColumn(u"ObjectId", T::Long), SystemColumn(u"Attribute", T::Byte), SystemColumn(u"Order", T::Binary, 510),
        SystemColumn(u"Name1", T::Text, 510), SystemColumn(u"Name2", T::Text, 510), SystemColumn(u"Expression", T::Memo),
        SystemColumn(u"Flag", T::Integer), SystemColumn(u"LvExtra", T::Long)}},
      {u"MSysRelationships", 5,
       {SystemColumn(u"szRelationship", T::Text, 510), SystemColumn(u"grbit", T::Long), SystemColumn(u"ccolumn", T::Long),
        SystemColumn(u"icolumn", T::Long), SystemColumn(u"szObject", T::Text, 510), SystemColumn(u"szColumn", T::Text, 510),
        SystemColumn(u"szReferencedObject", T::Text, 510), SystemColumn(u"szReferencedColumn", T::Text, 510)}},
  };
}

bool IsUserColumnType(ColumnType type) {
  switch (type) {
    case ColumnType::Long:
    case ColumnType::Double:
    case ColumnType::Currency:
    case ColumnType::Boolean:
    case ColumnType::DateTime:
    case ColumnType::Text:
    case ColumnType::Memo:
      return true;
    default:
      return false;
  }
}

// The layout parts of two definitions match (row counts and page pointers
// aside).
bool SameLayout(const TableDefinition& a, const TableDefinition& b) {
  return a.isSystem == b.isSystem && a.columns == b.columns && a.descriptorOrder == b.descriptorOrder;
}

std::vector<ColumnSpec> SpecsOf(const TableDefinition& definition) {
  std::vector<ColumnSpec> specs;
  for (const Column& column : definition.columns)
    specs.push_back({column.name, column.type, column.length,
                     static_cast<uint8_t>(column.flags & ~(kColumnUpdatableFlag | kColumnFixedFlag))});
  return specs;
}

[[noreturn]] void RefuseForeign(const std::filesystem::path& path) {
  throw Exception("The database '" + path.string() +
                  "' was not created by this program or has been changed since; to protect it, it is not modified.");
}

int32_t AsInt32(const Variant& value) { return value.IsNull() ? 0 : static_cast<int32_t>(value.AsInt()); }

FileHandle LockOriginal(const std::filesystem::path& path, bool exclusive) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    FileHandle handle(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!handle.IsOpen()) {
      if (errno == ENOENT) throw Exception("Could not find file '" + path.string() + "'.");
      throw Exception("Cannot open the database '" + path.string() + "': " + std::strerror(errno));
    }
    if (::flock(handle.Get(), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
      throw Exception("The database '" + path.string() + "' is in use by another program.");
    // Another writer may have replaced the file while this one waited.
    struct stat opened {}, current {};
    if (::fstat(handle.Get(), &opened) == 0 && ::stat(path.c_str(), &current) == 0 && opened.st_ino == current.st_ino &&
        opened.st_dev == current.st_dev)
      return handle;
  }
  throw Exception("The database '" + path.string() + "' is in use by another program.");
}

// A descriptor of its own on the file `fd` has open, for the page file.
FileHandle DuplicateOf(int fd, const std::filesystem::path& path) {
  FileHandle handle(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
  if (!handle.IsOpen()) throw Exception("Cannot open the database file '" + path.string() + "': " + std::strerror(errno));
  return handle;
}

}  // namespace

TDateTime CurrentDateTime() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  ::localtime_r(&now.tv_sec, &local);
  return CombineDateTime(EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                         EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59),
                                    static_cast<int>(now.tv_nsec / 1000000)));
}

Database::Database(std::filesystem::path path, bool isNew) : path_(std::move(path)), isNew_(isNew) {}

Database::~Database() = default;

void Database::CreateFile(const std::filesystem::path& path, const WideString& password) {
  std::error_code error;
  if (std::filesystem::exists(path, error) || error)
    throw Exception("Database '" + path.string() + "' already exists" + (error ? " or cannot be checked" : "") + ".");
  Database database(path, true);
  database.BuildEmpty(password);
  database.Commit();
}

std::unique_ptr<Database> Database::Open(const std::filesystem::path& path, const WideString& password,
                                        bool forWriting) {
  std::unique_ptr<Database> database(new Database(path, false));
  database->LoadExisting(password, forWriting);
  return database;
}

void Database::BuildEmpty(const WideString& password) {
  scratch_ = std::make_unique<TAtomicOutput>(path_);
  file_ = std::make_unique<PageFile>(DuplicateOf(scratch_->Descriptor(), scratch_->Path()), scratch_->Path());
  header_.creationDate = CurrentDateTime();
  header_.password = password;
  header_.writtenByUs = true;
  file_->AppendPage(EncodeHeaderPage(header_));
  file_->ReservePage();  // the global usage map, written at commit
  for (uint32_t page = kObjectsPage; page <= 5; ++page) file_->ReservePage();
  objects_ = TableStore::Create(*file_, LayoutTable(ObjectsColumns(), true), kObjectsPage);
  std::vector<CatalogEntry> entries = {
      {kTablesContainerId, kRootId, u"Tables", kObjectTypeContainer, kSystemObjectFlags},
      {kDatabasesContainerId, kRootId, u"Databases", kObjectTypeContainer, kSystemObjectFlags},
      {kRelationshipsContainerId, kRootId, u"Relationships", kObjectTypeContainer, kSystemObjectFlags},
      {kDatabaseObjectId, kDatabasesContainerId, u"MSysDb", kObjectTypeDatabase, kSystemObjectFlags},
      {static_cast<int32_t>(kObjectsPage), kTablesContainerId, u"MSysObjects", kObjectTypeTable, kSystemObjectFlags},
  };
  for (const SystemTable& table : OtherSystemTables()) {
    CatalogEntry entry{static_cast<int32_t>(table.page), kTablesContainerId, table.name, kObjectTypeTable,
                       kSystemObjectFlags};
    tables_.emplace_back(entry, TableStore::Create(*file_, LayoutTable(table.columns, true), table.page));
    entries.push_back(entry);
  }
  for (const CatalogEntry& entry : entries) AddCatalogEntry(entry);
}

void Database::LoadExisting(const WideString& password, bool forWriting) {
  readOnly_ = !forWriting;
  originalLock_ = LockOriginal(path_, forWriting);
  Page first{};
  const ssize_t got = ::pread(originalLock_.Get(), first.data(), first.size(), 0);
  if (got < 0) throw Exception("Cannot read the database '" + path_.string() + "': " + std::strerror(errno));
  if (static_cast<size_t>(got) < first.size())
    throw Exception("The file '" + path_.string() + "' is not an Access database (it is too short).");
  header_ = DecodeHeaderPage(first);
  if (!header_.writtenByUs) RefuseForeign(path_);
  // As with the provider, a file without a password opens with any.
  if (!header_.password.empty() && header_.password != password) throw Exception("Not a valid password.");

  struct stat info {};
  if (::fstat(originalLock_.Get(), &info) != 0 || info.st_size % kPageSize != 0 || info.st_size < 10 * kPageSize)
    throw Exception("The database '" + path_.string() + "' is truncated or damaged.");
  if (readOnly_) {
    file_ = std::make_unique<PageFile>(FileHandle(::fcntl(originalLock_.Get(), F_DUPFD_CLOEXEC, 0)), path_);
  } else {
    scratch_ = std::make_unique<TAtomicOutput>(path_);
    FileHandle scratchHandle = DuplicateOf(scratch_->Descriptor(), scratch_->Path());
    ::fchmod(scratchHandle.Get(), info.st_mode & 07777);
    CopyFileContents(originalLock_.Get(), scratchHandle.Get(), path_);
    file_ = std::make_unique<PageFile>(std::move(scratchHandle), scratch_->Path());
  }

  try {
    Page globalPage;
    file_->ReadPage(kGlobalMapPage, globalPage);
    if (globalPage[0] != kPageTypeData || DataPageRowCount(globalPage) != 2) RefuseForeign(path_);
    globalMap_ = DecodeUsageMap(*file_, RowAt(globalPage, 0).bytes);
    LoadCatalog();
  } catch (const Exception& error) {
    const std::string detail = error.what();
    if (detail.find(path_.string()) != std::string::npos) throw;
    throw Exception("The database '" + path_.string() + "' cannot be changed: " + detail);
  }
}

void Database::LoadCatalog() {
  objects_ = TableStore::Load(*file_, kObjectsPage);
  if (!SameLayout(objects_->Definition(), LayoutTable(ObjectsColumns(), true))) RefuseForeign(path_);
  objects_->ForEachRow([&](const std::vector<Variant>& row) {
    CatalogEntry entry;
    entry.id = AsInt32(row[kId]);
    entry.parentId = AsInt32(row[kParentId]);
    entry.name = row[kName].IsNull() ? WideString() : row[kName].AsText();
    entry.type = static_cast<int16_t>(AsInt32(row[kType]));
    entry.flags = AsInt32(row[kFlags]);
    catalog_.push_back(entry);
  });

  const auto systemTables = OtherSystemTables();
  std::set<int32_t> seenIds;
  for (const CatalogEntry& entry : catalog_) {
    if (!seenIds.insert(entry.id).second) RefuseForeign(path_);
    if (entry.type == kObjectTypeContainer || entry.type == kObjectTypeDatabase) {
      const bool known = (entry.id == kTablesContainerId && entry.name == u"Tables") ||
                         (entry.id == kDatabasesContainerId && entry.name == u"Databases") ||
                         (entry.id == kRelationshipsContainerId && entry.name == u"Relationships") ||
                         (entry.id == kDatabaseObjectId && entry.name == u"MSysDb");
      if (!known) RefuseForeign(path_);
      continue;
    }
    if (entry.type != kObjectTypeTable || entry.parentId != kTablesContainerId) RefuseForeign(path_);
    if (entry.id == static_cast<int32_t>(kObjectsPage)) {
      if (entry.name != u"MSysObjects") RefuseForeign(path_);
      continue;
    }
    if (entry.id <= static_cast<int32_t>(kGlobalMapPage) || static_cast<uint32_t>(entry.id) >= file_->PageCount())
      RefuseForeign(path_);
    std::unique_ptr<TableStore> table = TableStore::Load(*file_, static_cast<uint32_t>(entry.id));
    const TableDefinition& definition = table->Definition();
    if ((entry.flags & kSystemObjectFlags) != 0) {
      auto system = std::find_if(systemTables.begin(), systemTables.end(),
                                 [&](const SystemTable& t) { return t.name == entry.name; });
      if (system == systemTables.end() || system->page != static_cast<uint32_t>(entry.id) ||
          !SameLayout(definition, LayoutTable(system->columns, true)))
        RefuseForeign(path_);
    } else {
      for (const Column& column : definition.columns)
        if (!IsUserColumnType(column.type)) RefuseForeign(path_);
      if (entry.flags != 0 || !SameLayout(definition, LayoutTable(SpecsOf(definition), false))) RefuseForeign(path_);
    }
    tables_.emplace_back(entry, std::move(table));
  }
  if (tables_.size() < systemTables.size()) RefuseForeign(path_);
}

std::vector<WideString> Database::TableNames(bool includeSystemTables) const {
  std::vector<WideString> names;
  for (const CatalogEntry& entry : catalog_)
    if (entry.type == kObjectTypeTable && (includeSystemTables || (entry.flags & kSystemObjectFlags) == 0))
      names.push_back(entry.name);
  return names;
}

TableStore* Database::FindTable(WideStringView name) {
  if (SameText(name, u"MSysObjects")) return objects_.get();
  for (auto& [entry, table] : tables_)
    if (SameText(entry.name, name)) return table.get();
  return nullptr;
}

template <typename Action>
void Database::Guarded(Action action) {
  if (committed_ || readOnly_) throw Exception("Internal error: the database is not open for changes.");
  if (broken_) throw Exception("The database '" + path_.string() + "' cannot be changed after an earlier write error.");
  try {
    action();
  } catch (...) {
    if (file_->Failed()) broken_ = true;
    throw;
  }
}

TableStore& Database::CreateTable(const WideString& name, const std::vector<ColumnSpec>& columns) {
  if (FindTable(name) != nullptr) throw Exception("Table '" + WideToUtf8(name) + "' already exists.");
  TableStore* created = nullptr;
  Guarded([&] {
    TableDefinition definition = LayoutTable(columns, false);
    std::unique_ptr<TableStore> table = TableStore::Create(*file_, std::move(definition));
    CatalogEntry entry{static_cast<int32_t>(table->DefinitionPage()), kTablesContainerId, name, kObjectTypeTable, 0};
    AddCatalogEntry(entry);
    created = table.get();
    tables_.emplace_back(entry, std::move(table));
  });
  return *created;
}

void Database::AppendRow(TableStore& table, const std::vector<Variant>& values) {
  Guarded([&] { table.AppendRow(values); });
}

void Database::AddCatalogEntry(const CatalogEntry& entry) {
  const TDateTime now = CurrentDateTime();
  std::vector<Variant> row(objects_->Definition().columns.size(), Variant::Null());
  row[kId] = Variant::FromInt(entry.id);
  row[kParentId] = Variant::FromInt(entry.parentId);
  row[kName] = Variant::FromText(entry.name);
  row[kType] = Variant::FromInt(entry.type);
  row[kDateCreate] = Variant::FromDateTime(now);
  row[kDateUpdate] = Variant::FromDateTime(now);
  row[kFlags] = Variant::FromInt(entry.flags);
  objects_->AppendRow(row);
  catalog_.push_back(entry);
}

void Database::WriteGlobalMap() {
  const UsageMapRow freePages = EncodeGlobalFreeMap(*file_, globalMap_);
  Page page;
  InitDataPage(page, kGlobalMapOwner);
  AddRow(page, freePages);
  AddRow(page, EmptyUsageMapRow());
  file_->WritePage(kGlobalMapPage, page);
}

void Database::Commit() {
  Guarded([&] {
    objects_->Flush();
    for (auto& [entry, table] : tables_) table->Flush();
    WriteGlobalMap();
    file_->Sync();
    if (!scratch_->Commit(isNew_ ? TOnExisting::Keep : TOnExisting::Replace))
      throw Exception("Database '" + path_.string() + "' already exists.");
  });
  committed_ = true;
  originalLock_ = FileHandle();
}

}  // namespace verimo::jet
