#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/NonCopyable.h"
#include "core/Variant.h"
#include "platform/jet/DataPage.h"
#include "platform/jet/PageFile.h"
#include "platform/jet/RowCodec.h"
#include "platform/jet/TableDefinition.h"
#include "platform/jet/UsageMap.h"

namespace verimo::jet {

// The long-value (memo, OLE) pages of one column.
class LongValueStore {
 public:
  LongValueStore(PageFile& file, UsageMap owned) : file_(file), owned_(std::move(owned)) {}

  // Pages `size` bytes stored out of the row will take at most.
  static uint32_t PagesNeeded(size_t size);
  // Stores `data` in LVAL pages and returns the 12-byte reference.
  ByteVector Store(std::span<const uint8_t> data);
  void Flush();
  UsageMap& Owned() { return owned_; }

 private:
  void StartPage();
  ByteVector StoreSingleRow(std::span<const uint8_t> data);
  ByteVector StoreChain(std::span<const uint8_t> data);

  PageFile& file_;
  UsageMap owned_;
  std::optional<Page> page_;
  uint32_t pageNumber_ = 0;
};

// One table of an open database: its definition, its pages, and the rows
// being appended a page at a time.
class TableStore : private TNonCopyable {
 public:
  // A new table; `definitionPage` is a reserved page for the definition's
  // first page, or 0 to reserve one.
  static std::unique_ptr<TableStore> Create(PageFile& file, TableDefinition definition, uint32_t definitionPage = 0);
  // A table this writer stored before; raises verimo::Exception when its
  // pages are not what this writer writes.
  static std::unique_ptr<TableStore> Load(PageFile& file, uint32_t definitionPage);

  uint32_t DefinitionPage() const { return definitionPages_.front(); }
  const TableDefinition& Definition() const { return definition_; }
  uint32_t RowCount() const { return definition_.rowCount; }

  // Adds a row; values by column number: null, or of the column's kind
  // (wide text for Memo, bytes for OLE). Raises verimo::Exception, before
  // writing anything, when the row is too large.
  void AppendRow(const std::vector<Variant>& values);
  // Writes the pending pages, the usage maps and the definition.
  void Flush();

  void ForEachRow(const std::function<void(const std::vector<Variant>&)>& visit) const;

 private:
  TableStore(PageFile& file, TableDefinition definition, std::vector<uint32_t> definitionPages);

  void AddToDataPage(std::span<const uint8_t> row);
  void FlushDataPage();
  void WriteUsageMapRow(RowPointer where, const UsageMapRow& row);
  LongValueStore& LongValuesOf(uint16_t columnNumber);

  PageFile& file_;
  TableDefinition definition_;
  std::vector<uint32_t> definitionPages_;
  RowEncoder encoder_;
  // A long value of the row being added: its bytes, and whether they go
  // to long-value pages rather than into the row.
  struct LongValueCell {
    ByteVector data;
    bool outOfRow = false;
  };
  std::vector<LongValueCell> longCells_;  // by column number
  UsageMap owned_;
  std::vector<std::pair<uint16_t, std::unique_ptr<LongValueStore>>> longValues_;
  std::optional<Page> dataPage_;
  std::optional<uint32_t> dataPageNumber_;  // known once written
};

}  // namespace verimo::jet
