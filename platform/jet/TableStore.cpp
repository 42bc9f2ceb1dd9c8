#include "platform/jet/TableStore.h"

#include <algorithm>

#include "core/Exception.h"
#include "platform/jet/RowCodec.h"
#include "platform/jet/TextCodec.h"

namespace verimo::jet {
namespace {

// Spare pages kept for the usage maps written when the database is saved.
constexpr uint32_t kReservePagesForMaps = 64;
constexpr uint32_t kUsageMapRowsPerPage = kDataPageInitialFreeSpace / (kUsageMapRowSize + 2);
constexpr uint32_t kMaxDefinitionPages = 64;

ByteVector LongValueReference(uint32_t lengthAndFlags, uint32_t pointer) {
  ByteVector reference(kLongValueReferenceSize, 0);
  PutU32(reference.data(), lengthAndFlags);
  PutU32(reference.data() + 4, pointer);
  return reference;
}

ByteVector InlineLongValue(std::span<const uint8_t> data) {
  ByteVector cell = LongValueReference(static_cast<uint32_t>(data.size()) | kLongValueInlineFlag, 0);
  AppendBytes(cell, data);
  return cell;
}

ByteVector LongValueBytes(const Column& column, const Variant& value) {
  ByteVector data = column.type == ColumnType::Memo ? EncodeText(value.AsText(), true) : value.AsBytes();
  if (data.size() > kMaxLongValueLength)
    throw Exception("The value for column [" + WideToUtf8(column.name) + "] is too long (" +
                    std::to_string(data.size()) + " bytes; at most 16,777,215 bytes are allowed).");
  return data;
}

std::vector<uint32_t> ReadDefinitionChain(const PageFile& file, uint32_t firstPage, ByteVector& stream) {
  std::vector<uint32_t> pages;
  Page page;
  uint32_t next = firstPage;
  while (next != 0) {
    if (pages.size() >= kMaxDefinitionPages || std::find(pages.begin(), pages.end(), next) != pages.end())
      throw Exception("A table definition of the database is damaged.");
    file.ReadPage(next, page);
    if (page[0] != kPageTypeTableDefinition) throw Exception("A table definition of the database is damaged.");
    const size_t start = pages.empty() ? 0 : kTdefContinuationHeaderSize;
    stream.insert(stream.end(), page.begin() + static_cast<ptrdiff_t>(start), page.end());
    pages.push_back(next);
    next = GetU32(page.data() + 4);
  }
  const uint32_t length = GetU32(stream.data() + 8);
  if (length > stream.size() || TableDefinitionPageCount(length) != pages.size())
    throw Exception("A table definition of the database is damaged.");
  stream.resize(length);
  return pages;
}

UsageMap ReadUsageMapAt(const PageFile& file, RowPointer where) {
  Page page;
  file.ReadPage(where.page, page);
  if (page[0] != kPageTypeData || DataPageOwner(page) != 0)
    throw Exception("A page usage map of the database is not one this writer understands.");
  return DecodeUsageMap(file, RowAt(page, where.row).bytes);
}

// Lays the usage map rows of a new table out on fresh pages: the table's
// own two maps first, then a pair per long-value column on one page.
void PlaceUsageMaps(PageFile& file, TableDefinition& definition) {
  std::optional<Page> page;
  uint32_t pageNumber = 0;
  auto place = [&](uint32_t rowsNeeded) {
    if (!page || DataPageRowCount(*page) + rowsNeeded > kUsageMapRowsPerPage) {
      if (page) file.WritePage(pageNumber, *page);
      pageNumber = file.ReservePage();
      page.emplace();
      InitDataPage(*page, 0);
    }
    const UsageMapRow empty = EmptyUsageMapRow();
    const uint8_t first = AddRow(*page, empty);
    const uint8_t second = AddRow(*page, empty);
    return std::make_pair(RowPointer{pageNumber, first}, RowPointer{pageNumber, second});
  };
  std::tie(definition.ownedMap, definition.freeMap) = place(2);
  for (LongValueMaps& maps : definition.longValueMaps) std::tie(maps.owned, maps.free) = place(2);
  file.WritePage(pageNumber, *page);
}

}  // namespace

uint32_t LongValueStore::PagesNeeded(size_t size) {
  return static_cast<uint32_t>(size / kLongValueChunkSize + 2);
}

void LongValueStore::StartPage() {
  Flush();
  pageNumber_ = file_.ReservePage();
  page_.emplace();
  InitDataPage(*page_, kLongValuePageTag);
  owned_.pages.Add(pageNumber_);
}

ByteVector LongValueStore::Store(std::span<const uint8_t> data) {
  return data.size() <= kMaxLongValueRowSize ? StoreSingleRow(data) : StoreChain(data);
}

ByteVector LongValueStore::StoreSingleRow(std::span<const uint8_t> data) {
  if (!page_ || !RowFits(*page_, data.size())) StartPage();
  const uint8_t row = AddRow(*page_, data);
  return LongValueReference(static_cast<uint32_t>(data.size()) | kLongValueSingleRowFlag,
                            RowPointer{pageNumber_, row}.Encode());
}

// Every chunk but the last fills a page of its own; each chunk row starts
// with the pointer to the next one. Those pages are appended one after the
// other, so the next chunk's page number is known in advance.
static ByteVector WriteChainedChunks(PageFile& file, std::span<const uint8_t> data, const std::function<RowPointer(ByteVector)>& storeLast,
                      PageSet& owned) {
  const size_t chunks = (data.size() + kLongValueChunkSize - 1) / kLongValueChunkSize;
  const RowPointer first{file.PageCount(), 0};
  for (size_t i = 0; i + 1 < chunks; ++i) {
    Page page;
    InitDataPage(page, kLongValuePageTag);
    ByteVector row(4);
    PutU32(row.data(), RowPointer{file.PageCount() + 1, 0}.Encode());
    AppendBytes(row, data.subspan(i * kLongValueChunkSize, kLongValueChunkSize));
    AddRow(page, row);
    owned.Add(file.AppendPage(page));
  }
  ByteVector last(4, 0);
  AppendBytes(last, data.subspan((chunks - 1) * kLongValueChunkSize));
  const RowPointer lastRow = storeLast(std::move(last));
  if (chunks == 1) return LongValueReference(static_cast<uint32_t>(data.size()), lastRow.Encode());
  return LongValueReference(static_cast<uint32_t>(data.size()), first.Encode());
}

ByteVector LongValueStore::StoreChain(std::span<const uint8_t> data) {
  // The last chunk goes to a fresh current page, so that its number is the
  // one the previous chunk points to.
  Flush();
  page_.reset();
  return WriteChainedChunks(
      file_, data,
      [this](ByteVector row) {
        StartPage();
        return RowPointer{pageNumber_, AddRow(*page_, row)};
      },
      owned_.pages);
}

void LongValueStore::Flush() {
  if (page_) file_.WritePage(pageNumber_, *page_);
}

TableStore::TableStore(PageFile& file, TableDefinition definition, std::vector<uint32_t> definitionPages)
    : file_(file),
      definition_(std::move(definition)),
      definitionPages_(std::move(definitionPages)),
      encoder_(definition_),
      longCells_(definition_.columns.size()) {}

std::unique_ptr<TableStore> TableStore::Create(PageFile& file, TableDefinition definition, uint32_t definitionPage) {
  const uint32_t pageCount = TableDefinitionPageCount(EncodeTableDefinition(definition).size());
  file.RequireRoom(pageCount + 2 + static_cast<uint32_t>(definition.longValueMaps.size()) + kReservePagesForMaps);
  std::vector<uint32_t> pages;
  pages.push_back(definitionPage != 0 ? definitionPage : file.ReservePage());
  for (uint32_t i = 1; i < pageCount; ++i) pages.push_back(file.ReservePage());
  PlaceUsageMaps(file, definition);
  std::unique_ptr<TableStore> table(new TableStore(file, std::move(definition), std::move(pages)));
  for (const LongValueMaps& maps : table->definition_.longValueMaps)
    table->longValues_.emplace_back(maps.columnNumber, std::make_unique<LongValueStore>(file, UsageMap{}));
  table->Flush();
  return table;
}

std::unique_ptr<TableStore> TableStore::Load(PageFile& file, uint32_t definitionPage) {
  ByteVector stream;
  std::vector<uint32_t> pages = ReadDefinitionChain(file, definitionPage, stream);
  TableDefinition definition = DecodeTableDefinition(stream);
  // Free space and the next-page link are page matters, not part of the
  // definition.
  std::fill(stream.begin() + 2, stream.begin() + 8, 0);
  if (EncodeTableDefinition(definition) != stream)
    throw Exception("A table definition of the database is not one this writer understands.");
  std::unique_ptr<TableStore> table(new TableStore(file, definition, std::move(pages)));
  table->owned_ = ReadUsageMapAt(file, definition.ownedMap);
  if (!ReadUsageMapAt(file, definition.freeMap).pages.Empty())
    throw Exception("A page usage map of the database is not one this writer understands.");
  const auto longColumns = definition.LongValueColumns();
  if (longColumns.size() != definition.longValueMaps.size())
    throw Exception("A table definition of the database is not one this writer understands.");
  for (size_t i = 0; i < longColumns.size(); ++i) {
    const LongValueMaps& maps = definition.longValueMaps[i];
    if (maps.columnNumber != longColumns[i]->number)
      throw Exception("A table definition of the database is not one this writer understands.");
    table->longValues_.emplace_back(maps.columnNumber,
                                    std::make_unique<LongValueStore>(file, ReadUsageMapAt(file, maps.owned)));
  }
  if (!table->owned_.pages.Empty()) {
    // Further rows go on the last data page while it has room.
    Page last;
    const uint32_t lastNumber = table->owned_.pages.Last();
    file.ReadPage(lastNumber, last);
    if (last[0] != kPageTypeData || DataPageOwner(last) != definitionPage)
      throw Exception("A data page of the database does not belong to its table.");
    table->dataPage_ = last;
    table->dataPageNumber_ = lastNumber;
  }
  return table;
}

LongValueStore& TableStore::LongValuesOf(uint16_t columnNumber) {
  for (auto& [number, store] : longValues_)
    if (number == columnNumber) return *store;
  throw Exception("Internal error: long-value column without pages.");
}

void TableStore::AppendRow(const std::vector<Variant>& values) {
  const auto& columns = definition_.columns;
  if (values.size() != columns.size()) throw Exception("Internal error: row with the wrong number of values.");
  std::vector<StoredCell>& cells = encoder_.Cells();
  bool anyOutOfRow = false;
  for (const Column& column : columns) {
    const Variant& value = values[column.number];
    StoredCell& cell = cells[column.number];
    if (!column.IsLongValue()) {
      StoreValue(column, value, cell);
      continue;
    }
    LongValueCell& longCell = longCells_[column.number];
    longCell.outOfRow = false;
    cell = StoredCell::Null();
    if (value.IsEmptyOrNull()) continue;
    longCell.data = LongValueBytes(column, value);
    longCell.outOfRow = longCell.data.size() > kMaxInlineLongValueSize;
    cell = StoredCell::Data(longCell.outOfRow ? ByteVector(kLongValueReferenceSize) : InlineLongValue(longCell.data));
    anyOutOfRow = anyOutOfRow || longCell.outOfRow;
  }
  size_t size = encoder_.EncodedSize();
  if (size > kMaxRowSize) {
    for (const Column& column : columns)
      if (column.IsLongValue() && !cells[column.number].isNull) {
        longCells_[column.number].outOfRow = true;
        cells[column.number].bytes.assign(kLongValueReferenceSize, 0);
        anyOutOfRow = true;
      }
    size = encoder_.EncodedSize();
  }
  if (size > kMaxRowSize)
    throw Exception("The record is too large for an Access table: it needs " + std::to_string(size) +
                    " bytes, at most " + std::to_string(kMaxRowSize) + " are allowed.");
  uint32_t pagesNeeded = 1 + kReservePagesForMaps;
  if (anyOutOfRow)
    for (const Column& column : columns)
      if (column.IsLongValue() && longCells_[column.number].outOfRow)
        pagesNeeded += LongValueStore::PagesNeeded(longCells_[column.number].data.size());
  file_.RequireRoom(pagesNeeded);

  if (anyOutOfRow)
    for (const Column& column : columns)
      if (column.IsLongValue() && longCells_[column.number].outOfRow)
        cells[column.number].bytes = LongValuesOf(column.number).Store(longCells_[column.number].data);
  AddToDataPage(encoder_.Encode());
  ++definition_.rowCount;
}

void TableStore::AddToDataPage(std::span<const uint8_t> row) {
  if (dataPage_ && !RowFits(*dataPage_, row.size())) {
    FlushDataPage();
    dataPage_.reset();
    dataPageNumber_.reset();
  }
  if (!dataPage_) {
    dataPage_.emplace();
    InitDataPage(*dataPage_, DefinitionPage());
  }
  AddRow(*dataPage_, row);
}

void TableStore::FlushDataPage() {
  if (!dataPage_) return;
  if (dataPageNumber_) {
    file_.WritePage(*dataPageNumber_, *dataPage_);
  } else {
    dataPageNumber_ = file_.AppendPage(*dataPage_);
    owned_.pages.Add(*dataPageNumber_);
  }
}

void TableStore::WriteUsageMapRow(RowPointer where, const UsageMapRow& row) {
  Page page;
  file_.ReadPage(where.page, page);
  std::span<uint8_t> target = MutableRowAt(page, where.row);
  if (target.size() != row.size()) throw Exception("Internal error: usage map row of the wrong size.");
  std::copy(row.begin(), row.end(), target.begin());
  file_.WritePage(where.page, page);
}

void TableStore::Flush() {
  FlushDataPage();
  WriteUsageMapRow(definition_.ownedMap, EncodeUsageMap(file_, owned_));
  for (size_t i = 0; i < longValues_.size(); ++i) {
    LongValueStore& store = *longValues_[i].second;
    store.Flush();
    WriteUsageMapRow(definition_.longValueMaps[i].owned, EncodeUsageMap(file_, store.Owned()));
  }
  const std::vector<Page> pages = SplitTableDefinition(EncodeTableDefinition(definition_), definitionPages_);
  for (size_t i = 0; i < pages.size(); ++i) file_.WritePage(definitionPages_[i], pages[i]);
}

void TableStore::ForEachRow(const std::function<void(const std::vector<Variant>&)>& visit) const {
  Page page;
  for (uint32_t pageNumber : owned_.pages.Pages()) {
    if (dataPageNumber_ && pageNumber == *dataPageNumber_ && dataPage_)
      page = *dataPage_;
    else
      file_.ReadPage(pageNumber, page);
    if (page[0] != kPageTypeData || DataPageOwner(page) != DefinitionPage())
      throw Exception("A data page of the database does not belong to its table.");
    for (uint16_t row = 0; row < DataPageRowCount(page); ++row) {
      const StoredRow stored = RowAt(page, row);
      if (stored.deleted) continue;
      if (stored.overflow) throw Exception("A stored row is not one this writer understands.");
      visit(DecodeRow(definition_, stored.bytes));
    }
  }
  if (dataPage_ && !dataPageNumber_) {
    for (uint16_t row = 0; row < DataPageRowCount(*dataPage_); ++row)
      visit(DecodeRow(definition_, RowAt(*dataPage_, row).bytes));
  }
}

}  // namespace verimo::jet
