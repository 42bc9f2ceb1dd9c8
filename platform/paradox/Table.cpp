#include "platform/paradox/Table.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <optional>

#include "core/Exception.h"
#include "platform/codepage/CodePage.h"
#include "platform/paradox/BinaryFile.h"
#include "platform/paradox/BlobFile.h"
#include "platform/paradox/Encryption.h"
#include "platform/paradox/FieldCodec.h"
#include "platform/paradox/Header.h"
#include "platform/paradox/SalvagePlan.h"

namespace verimo {

using namespace paradox;

namespace {

// Data blocks are read this many bytes at a time (whole blocks, at least one):
// a scan then makes one read call per chunk instead of one per block.
constexpr size_t kReadChunkSize = 1 << 20;
// Bytes a graphic BLOB keeps in the .MB file before the picture itself.
constexpr size_t kGraphicPrefixSize = 8;
// Tries the password callback gets before the open fails.
constexpr int kPasswordAttempts = 3;
// A formatted memo starts with a header of this size; its plain text follows,
// zero-terminated, with its length (terminator included) at offset 4.
constexpr size_t kFormattedMemoTextOffset = 44;

bool IsBlobCode(char code) {
  return code == 'M' || code == 'B' || code == 'F' || code == 'O' || code == 'G';
}

bool IsTextBlobCode(char code) { return code == 'M' || code == 'F'; }

// The .MB file beside the table: same name, extension ".mb" in any case.
std::optional<std::string> FindBlobFile(const std::filesystem::path& tablePath) {
  std::filesystem::path directory = tablePath.parent_path();
  if (directory.empty()) directory = ".";
  std::string wanted = tablePath.stem().string() + ".mb";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    std::string name = entry.path().filename().string();
    if (name.size() == wanted.size() &&
        std::equal(name.begin(), name.end(), wanted.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        }))
      return entry.path().string();
  }
  return std::nullopt;
}

// The plain text of a formatted memo, or nothing when its layout is not the
// one known.
std::optional<std::string> FormattedMemoText(const Bytes& stored) {
  if (stored.size() < kFormattedMemoTextOffset) return std::nullopt;
  uint32_t length = ReadUInt32LE(stored, 4);
  if (length == 0 || length > stored.size() - kFormattedMemoTextOffset) return std::nullopt;
  size_t end = kFormattedMemoTextOffset + length - 1;
  if (stored[end] != 0) return std::nullopt;
  return std::string(stored.begin() + kFormattedMemoTextOffset, stored.begin() + static_cast<std::ptrdiff_t>(end));
}

}  // namespace

// Reads the .DB file: the header once, then one data block at a time, in
// the order planned at open: the chain of blocks from the first, or in
// salvage mode what PlanSalvage makes of a damaged table.
class TTable::Reader {
 public:
  Reader(std::string path, TCodePageChoice codePages, bool salvage)
      : file_(std::move(path)),
        header_(ReadHeader(file_, codePages)),
        blocksInFile_(BlocksInFile(file_, header_)),
        blobPath_(FindBlobFile(file_.Path())),
        alphaTable_(SingleByteTableOf(header_.info.codePage)),
        salvage_(salvage) {
    if (salvage_) {
      PlanSalvagingRead();
    } else {
      blocks_ = ChainBlocks();
      CheckRecordCount();
    }
  }

  const std::string& Path() const { return file_.Path(); }
  const TableHeader& Header() const { return header_; }
  const ParadoxTableInfo& Info() const { return header_.info; }
  const ParadoxDamageReport& DamageReport() const { return report_; }
  bool Salvaging() const { return salvage_; }
  // The decoding table of the table's code page; nullptr for multi-byte ones.
  const TSingleByteCodePage* AlphaTable() const { return alphaTable_; }
  int64_t RecordCount() const { return recordCount_; }
  bool Eof() const { return eof_; }

  void First() {
    ordinal_ = 0;
    EnterBlockFrom(0);
  }

  void Next() {
    if (eof_) return;
    ++ordinal_;
    if (++recordIndex_ < recordsInBlock_) return;
    EnterBlockFrom(position_ + 1);
  }

  TBookmark Bookmark() const {
    if (eof_) return {};
    return {ordinal_, static_cast<int64_t>(position_) << 16 | recordIndex_};
  }

  void GoTo(const TBookmark& bookmark) {
    if (!bookmark.IsValid()) {
      eof_ = true;
      return;
    }
    const int64_t position = bookmark.detail >> 16;
    const int index = static_cast<int>(bookmark.detail & 0xFFFF);
    if (bookmark.detail < 0 || position >= static_cast<int64_t>(blocks_.size()) ||
        bookmark.position >= recordCount_ || index >= blocks_[static_cast<size_t>(position)].records)
      throw Exception(Path() + ": bookmark not found");
    LoadBlock(static_cast<size_t>(position));
    recordIndex_ = index;
    ordinal_ = bookmark.position;
    eof_ = false;
  }

  // The bytes of a field of the current record; empty when there is none.
  std::span<const uint8_t> FieldBytes(int index) const {
    if (eof_) return {};
    const FieldLayout& layout = header_.layout[static_cast<size_t>(index)];
    size_t start = static_cast<size_t>(kBlockHeaderSize) +
                   static_cast<size_t>(recordIndex_) * static_cast<size_t>(header_.info.recordSize) +
                   static_cast<size_t>(layout.offset);
    return block_.subspan(start, static_cast<size_t>(layout.length));
  }

  // The stored bytes of a BLOB field of the current record (a graphic
  // without the prefix the .MB file keeps before it); empty when it is
  // blank or, in salvage mode, cannot be read.
  const Bytes& BlobBytes(int index) const { return CachedBlob(index).bytes; }
  // In salvage mode: whether the BLOB of a field of the current record is
  // not blank but cannot be read.
  bool BlobMissing(int index) const { return salvage_ && CachedBlob(index).missing; }

 private:
  struct Blob {
    Bytes bytes;
    bool missing = false;
  };

  static TableHeader ReadHeader(const BinaryFile& file, TCodePageChoice codePages) {
    Bytes bytes(static_cast<size_t>(std::min<int64_t>(file.Size(), 0xFFFF)));
    file.ReadAt(0, bytes);
    return ParseTableHeader(bytes, file.Size(), file.Path(), codePages);
  }

  // Whole blocks and a last block cut short count alike: some tables end
  // right after the last record.
  static int BlocksInFile(const BinaryFile& file, const TableHeader& header) {
    int64_t dataBytes = file.Size() - header.headerSize;
    return static_cast<int>((dataBytes + header.info.blockSize - 1) / header.info.blockSize);
  }

  int RecordsInBlock(int16_t lastRecordOffset) const {
    if (lastRecordOffset < 0) return 0;
    int recordSize = header_.info.recordSize;
    int records = lastRecordOffset / recordSize + 1;
    // A block whose header claims more than it can hold is a free block.
    if (records * recordSize > header_.info.blockSize - kBlockHeaderSize) return 0;
    return records;
  }

  int64_t BlockOffset(int blockNumber) const {
    return header_.headerSize + static_cast<int64_t>(blockNumber - 1) * header_.info.blockSize;
  }

  // The bytes of those the file holds that can be read: an encrypted
  // 256-byte chunk is a permutation of its bytes, so one the file ends
  // inside cannot be decrypted.
  size_t Decipherable(size_t present) const {
    return header_.encryptionKey == 0 ? present : present / kEncryptionChunkSize * kEncryptionChunkSize;
  }

  // A block the header counts but the file lacks was cut off; one beyond
  // both was named by a damaged pointer.
  void CheckBlockNumber(int blockNumber) const {
    if (blockNumber <= blocksInFile_) return;
    if (blockNumber <= header_.fileBlocks)
      throw TableDamaged(Path() + ": the file is truncated (data block " + std::to_string(blockNumber) +
                         " lies beyond its end)");
    throw TableDamaged(Path() + ": a block pointer is damaged (it names data block " + std::to_string(blockNumber) +
                       ", but the table has " + std::to_string(std::max(blocksInFile_, header_.fileBlocks)) +
                       " blocks)");
  }

  // Reads the start of a block into `buffer`, zero-filling what lies past
  // the end of the file; returns the bytes the file holds.
  size_t ReadBlockBytes(int blockNumber, std::span<uint8_t> buffer) const {
    CheckBlockNumber(blockNumber);
    size_t present = Decipherable(file_.ReadSomeAt(BlockOffset(blockNumber), buffer));
    std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(present), buffer.end(), uint8_t{0});
    if (present < static_cast<size_t>(kBlockHeaderSize))
      throw TableDamaged(Path() + ": the file is truncated (it ends inside data block " +
                         std::to_string(blockNumber) + ")");
    if (header_.encryptionKey != 0) DecryptDataBlock(buffer, header_.encryptionKey, static_cast<uint32_t>(blockNumber));
    return present;
  }

  void CheckRecordsPresent(int blockNumber, int records, size_t present) const {
    size_t needed = static_cast<size_t>(kBlockHeaderSize) +
                    static_cast<size_t>(records) * static_cast<size_t>(header_.info.recordSize);
    if (needed > present)
      throw TableDamaged(Path() + ": the file is truncated (it ends inside the records of data block " +
                         std::to_string(blockNumber) + ")");
  }

  // Walks the chain of blocks reading only the block headers: checks the
  // chain and lists the blocks that hold records.
  std::vector<PlannedBlock> ChainBlocks() const {
    std::vector<bool> visited(static_cast<size_t>(blocksInFile_) + 1);
    Bytes chunk(kEncryptionChunkSize);
    std::vector<PlannedBlock> blocks;
    for (int block = header_.firstBlock; block != 0;) {
      CheckBlockNumber(block);
      if (visited[static_cast<size_t>(block)])
        throw TableDamaged(Path() + ": the chain of data blocks loops back to block " + std::to_string(block));
      visited[static_cast<size_t>(block)] = true;
      ReadBlockBytes(block, chunk);
      int blockRecords = RecordsInBlock(static_cast<int16_t>(ReadUInt16LE(chunk, 4)));
      int64_t present = std::min<int64_t>(header_.info.blockSize, file_.Size() - BlockOffset(block));
      CheckRecordsPresent(block, blockRecords, Decipherable(static_cast<size_t>(present)));
      if (blockRecords > 0) blocks.push_back({block, blockRecords});
      block = ReadUInt16LE(chunk, 0);
    }
    return blocks;
  }

  static int64_t RecordsOf(const std::vector<PlannedBlock>& blocks) {
    int64_t records = 0;
    for (const PlannedBlock& block : blocks) records += block.records;
    return records;
  }

  void CheckRecordCount() {
    recordCount_ = RecordsOf(blocks_);
    if (recordCount_ != header_.info.recordCount)
      throw TableDamaged(Path() + ": the header counts " + CountWithNoun(header_.info.recordCount, "record", "records") +
                         ", the data blocks hold " + GroupedCount(recordCount_) +
                         ": the table is damaged; --salvage reads what is left");
  }

  // The chain when it holds every record the header counts; otherwise the
  // plan of what can still be read, with the report of what cannot.
  void PlanSalvagingRead() {
    bool chainHolds = true;
    try {
      blocks_ = ChainBlocks();
    } catch (const TableDamaged&) {
      chainHolds = false;
    }
    recordCount_ = RecordsOf(blocks_);
    if (!chainHolds || recordCount_ != header_.info.recordCount) {
      blocks_ = PlanSalvage(header_, blocksInFile_, [this](int block) { return ReadBlockHead(block); }, report_);
      recordCount_ = RecordsOf(blocks_);
    }
    report_.SetRecordCounts(header_.info.recordCount, recordCount_);
    if (recordCount_ == 0 && report_.Damaged()) {
      std::vector<std::string> lines = report_.Lines();
      throw TableDamaged(Path() + ": no record can be recovered (" + lines.front() +
                         (lines.size() > 1 ? "; " + CountWithNoun(static_cast<int64_t>(lines.size() - 1), "more problem",
                                                             "more problems")
                                           : std::string()) +
                         ")");
    }
    SurveyBlobs();
  }

  // The head of a block as a salvaging read judges it; the zero test looks
  // at the bytes as stored, before any decryption.
  BlockHead ReadBlockHead(int blockNumber) const {
    Bytes bytes(static_cast<size_t>(header_.info.blockSize));
    BlockHead head;
    const size_t stored = file_.ReadSomeAt(BlockOffset(blockNumber), bytes);
    head.zeroed = std::all_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(stored),
                              [](uint8_t byte) { return byte == 0; });
    head.present = Decipherable(stored);
    if (head.present < static_cast<size_t>(kBlockHeaderSize)) return head;
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(head.present), bytes.end(), uint8_t{0});
    if (header_.encryptionKey != 0) DecryptDataBlock(bytes, header_.encryptionKey, static_cast<uint32_t>(blockNumber));
    head.next = ReadUInt16LE(bytes, 0);
    head.previous = ReadUInt16LE(bytes, 2);
    head.lastRecordOffset = static_cast<int16_t>(ReadUInt16LE(bytes, 4));
    return head;
  }

  // Tries every BLOB value of the records to be read, so that the report
  // counts the values that cannot be read before anything is exported.
  void SurveyBlobs() {
    struct BlobField {
      int index;
      std::string name;
      bool memo;
    };
    std::vector<BlobField> blobFields;
    for (size_t i = 0; i < header_.info.fields.size(); ++i) {
      const ParadoxFieldInfo& field = header_.info.fields[i];
      if (IsBlobCode(field.typeCode))
        blobFields.push_back({static_cast<int>(i), WideToUtf8(field.name), IsTextBlobCode(field.typeCode)});
    }
    if (blobFields.empty()) return;
    for (size_t position = 0; position < blocks_.size(); ++position) {
      LoadBlock(position);
      eof_ = false;
      for (recordIndex_ = 0; recordIndex_ < recordsInBlock_; ++recordIndex_) {
        for (const BlobField& blob : blobFields) {
          std::span<const uint8_t> field = FieldBytes(blob.index);
          BlobDescriptor descriptor = ReadBlobDescriptor(field);
          if (descriptor.length == 0) continue;
          const bool inRecord = LeaderContentLength(blob.index, field, descriptor).has_value();
          report_.CountBlobValue(blob.name, blob.memo, inRecord ? std::string() : BlobProblem(blob.index, descriptor));
        }
      }
    }
    eof_ = true;
    recordIndex_ = 0;
  }

  // Why the BLOB a descriptor names in the .MB file cannot be read; empty
  // when it can.
  std::string BlobProblem(int index, const BlobDescriptor& descriptor) const {
    try {
      return Blobs(index).Problem(descriptor).value_or(std::string());
    } catch (const Exception& error) {
      return error.what();  // no .MB file, or one that cannot be opened
    }
  }

  std::string MissingBlobFileProblem(int fieldIndex) const {
    std::string name = std::filesystem::path(Path()).stem().string() + ".MB";
    return Path() + ": the BLOB file " + name + " is missing, so field '" +
           WideToUtf8(header_.info.fields[static_cast<size_t>(fieldIndex)].name) + "' cannot be read";
  }

  static const TSingleByteCodePage* SingleByteTableOf(int codePage) {
    try {
      return TSingleByteCodePage::Find(codePage);
    } catch (const Exception&) {
      return nullptr;  // decoding reports the unknown code page
    }
  }

  // Reads whole blocks from `blockNumber` on into the chunk buffer, zero-
  // filling what lies past the end of the file, and decrypts them.
  void ReadChunk(int blockNumber) {
    CheckBlockNumber(blockNumber);
    const size_t blockSize = static_cast<size_t>(header_.info.blockSize);
    const size_t blocks = std::clamp<size_t>(kReadChunkSize / blockSize, 1,
                                             static_cast<size_t>(blocksInFile_ - blockNumber + 1));
    chunk_.resize(blocks * blockSize);
    chunkPresent_ = Decipherable(file_.ReadSomeAt(BlockOffset(blockNumber), chunk_));
    std::fill(chunk_.begin() + static_cast<std::ptrdiff_t>(chunkPresent_), chunk_.end(), uint8_t{0});
    chunkFirst_ = blockNumber;
    chunkBlocks_ = static_cast<int>(blocks);
    if (header_.encryptionKey != 0)
      for (size_t i = 0; i < blocks; ++i)
        DecryptDataBlock(std::span<uint8_t>(chunk_).subspan(i * blockSize, blockSize), header_.encryptionKey,
                         static_cast<uint32_t>(blockNumber) + static_cast<uint32_t>(i));
  }

  // Makes the planned block at `position` the current one.
  void LoadBlock(size_t position) {
    const int blockNumber = blocks_[position].number;
    if (blockNumber < chunkFirst_ || blockNumber >= chunkFirst_ + chunkBlocks_) ReadChunk(blockNumber);
    const size_t blockSize = static_cast<size_t>(header_.info.blockSize);
    const size_t start = static_cast<size_t>(blockNumber - chunkFirst_) * blockSize;
    const size_t present = chunkPresent_ > start ? std::min(chunkPresent_ - start, blockSize) : 0;
    // The plan counted only the records the file held at open.
    CheckRecordsPresent(blockNumber, blocks_[position].records, present);
    block_ = std::span<const uint8_t>(chunk_).subspan(start, blockSize);
    position_ = position;
    recordsInBlock_ = blocks_[position].records;
  }

  // Moves to the first record of the planned block at `position`; Eof when
  // the plan ends first.
  void EnterBlockFrom(size_t position) {
    if (position < blocks_.size()) {
      LoadBlock(position);
      recordIndex_ = 0;
      eof_ = false;
      return;
    }
    eof_ = true;
    recordIndex_ = 0;
    recordsInBlock_ = 0;
  }

  const BlobFile& Blobs(int fieldIndex) const {
    if (!blobFile_) {
      if (!blobPath_) throw Exception(MissingBlobFileProblem(fieldIndex));
      blobFile_ = std::make_unique<BlobFile>(*blobPath_, header_.encryptionKey);
    }
    return *blobFile_;
  }

  // The length of the content a BLOB field keeps in its leader, in the
  // record itself; nothing when the content lies in the .MB file.
  std::optional<size_t> LeaderContentLength(int index, std::span<const uint8_t> field,
                                            const BlobDescriptor& descriptor) const {
    bool graphic = header_.info.fields[static_cast<size_t>(index)].typeCode == 'G';
    size_t leaderLength = field.size() - static_cast<size_t>(kBlobDescriptorSize);
    size_t contentLength = descriptor.length;
    if (graphic && contentLength > kGraphicPrefixSize) contentLength -= kGraphicPrefixSize;
    if (contentLength <= leaderLength) return contentLength;
    return std::nullopt;
  }

  const Blob& CachedBlob(int index) const {
    if (cachedBlob_ && cachedBlobOrdinal_ == ordinal_ && cachedBlobField_ == index) return *cachedBlob_;
    cachedBlob_.reset();
    cachedBlob_ = ReadBlob(index);
    cachedBlobOrdinal_ = ordinal_;
    cachedBlobField_ = index;
    return *cachedBlob_;
  }

  Blob ReadBlob(int index) const {
    std::span<const uint8_t> field = FieldBytes(index);
    if (field.empty()) return {};
    BlobDescriptor descriptor = ReadBlobDescriptor(field);
    if (descriptor.length == 0) return {};
    if (auto inLeader = LeaderContentLength(index, field, descriptor))
      return {Bytes(field.begin(), field.begin() + static_cast<std::ptrdiff_t>(*inLeader))};
    Bytes stored;
    try {
      stored = Blobs(index).Read(descriptor);
    } catch (const Exception&) {
      if (!salvage_) throw;
      return {{}, true};
    }
    bool graphic = header_.info.fields[static_cast<size_t>(index)].typeCode == 'G';
    if (graphic && stored.size() >= kGraphicPrefixSize)
      stored.erase(stored.begin(), stored.begin() + kGraphicPrefixSize);
    return {std::move(stored)};
  }

  BinaryFile file_;
  TableHeader header_;
  int blocksInFile_;
  std::optional<std::string> blobPath_;
  const TSingleByteCodePage* alphaTable_;
  bool salvage_;
  ParadoxDamageReport report_;
  std::vector<PlannedBlock> blocks_;  // the blocks read, in reading order
  int64_t recordCount_ = 0;

  Bytes chunk_;  // consecutive blocks, decrypted
  size_t chunkPresent_ = 0;  // bytes of chunk_ the file holds
  int chunkFirst_ = 0;
  int chunkBlocks_ = 0;
  std::span<const uint8_t> block_;  // the current block inside chunk_
  size_t position_ = 0;             // of the current block in blocks_
  int recordsInBlock_ = 0;
  int recordIndex_ = 0;
  int64_t ordinal_ = 0;
  bool eof_ = true;

  mutable std::unique_ptr<BlobFile> blobFile_;
  mutable std::optional<Blob> cachedBlob_;
  mutable int64_t cachedBlobOrdinal_ = -1;
  mutable int cachedBlobField_ = -1;
};

TTable::TTable() = default;
TTable::~TTable() = default;

void TTable::SetDatabaseName(std::string directory) { databaseName_ = std::move(directory); }
void TTable::SetTableName(std::string fileName) { tableName_ = std::move(fileName); }

std::string TTable::FilePath() const {
  if (databaseName_.empty()) return tableName_;
  return (std::filesystem::path(databaseName_) / tableName_).string();
}

const TTable::Reader& TTable::OpenReader() const {
  CheckActive();
  return *reader_;
}

const ParadoxTableInfo& TTable::Info() const { return OpenReader().Info(); }

const ParadoxDamageReport& TTable::DamageReport() const { return OpenReader().DamageReport(); }

std::vector<std::string> TTable::SalvageReport() const {
  const Reader& reader = OpenReader();
  if (!reader.Salvaging()) return {};
  std::vector<std::string> lines = reader.DamageReport().Lines();
  lines.push_back(reader.DamageReport().Summary());
  return lines;
}

void TTable::DoOpen() {
  if (tableName_.empty()) throw Exception("Table name is missing");
  auto reader = std::make_unique<Reader>(FilePath(), TCodePageChoice{codePage_, SystemCodePage(TSystemCodePage::Oem)}, salvage_);
  reader_ = std::move(reader);
  try {
    CheckPassword();
    ClearFields();
    for (const ParadoxFieldInfo& field : reader_->Info().fields) AddField(field.name, field.fieldType, DeclaredFieldSize(field));
    reader_->First();
  } catch (...) {
    ClearFields();
    reader_.reset();
    throw;
  }
}

void TTable::DoClose() {
  ClearFields();
  reader_.reset();
}

bool TTable::PasswordFits(const WideString& password) const {
  std::string bytes;
  try {
    bytes = EncodeToCodePage(password, reader_->Info().codePage);
  } catch (const Exception&) {
    bytes = WideToUtf8(password);
  }
  return PasswordChecksum(bytes) == reader_->Header().encryptionKey;
}

void TTable::CheckPassword() {
  if (!reader_->Info().encrypted) return;
  bool asked = !password_.empty() || passwordCallback_;
  if (!asked) return;
  if (!password_.empty() && PasswordFits(password_)) return;
  if (!passwordCallback_) throw Exception(reader_->Path() + ": the password is not valid for this table");
  for (int attempt = 0; attempt < kPasswordAttempts; ++attempt) {
    WideString password;
    if (!passwordCallback_(tableName_, password))
      throw Exception(reader_->Path() + ": the table is password-protected and no password was given");
    if (PasswordFits(password)) {
      password_ = password;
      return;
    }
  }
  throw Exception(reader_->Path() + ": the password is not valid for this table");
}

bool TTable::IsEmpty() const { return OpenReader().RecordCount() == 0; }

void TTable::First() {
  CheckActive();
  reader_->First();
}

void TTable::Next() {
  CheckActive();
  reader_->Next();
}

bool TTable::Eof() const { return OpenReader().Eof(); }

int64_t TTable::RecordCount() const { return OpenReader().RecordCount(); }

int TTable::KeyFieldCount() const { return Active() ? Info().keyFieldCount : 0; }

TBookmark TTable::GetBookmark() const { return OpenReader().Bookmark(); }

void TTable::GotoBookmark(const TBookmark& bookmark) {
  CheckActive();
  reader_->GoTo(bookmark);
}

bool TTable::FieldIsNull(int index) const {
  const Reader& reader = OpenReader();
  Field(index);  // range check
  std::span<const uint8_t> bytes = reader.FieldBytes(index);
  if (bytes.empty()) return true;
  char code = reader.Info().fields[static_cast<size_t>(index)].typeCode;
  if (IsBlobCode(code)) return ReadBlobDescriptor(bytes).length == 0 || reader.BlobMissing(index);
  if (code == 'A') return bytes[0] == 0;
  if (code == 'L') return bytes[0] == 0;
  // A blank BCD keeps its scale byte, and dates outside the years 1 to 9999
  // read as null: both are decided by their decoding.
  if (code == '#' || code == 'D' || code == '@') return DecodeFixedField(code, bytes, 0).IsNull();
  return IsBlank(bytes);
}

Variant TTable::FieldValue(int index) const {
  const Reader& reader = OpenReader();
  Field(index);
  std::span<const uint8_t> bytes = reader.FieldBytes(index);
  if (bytes.empty()) return Variant::Null();
  const ParadoxFieldInfo& field = reader.Info().fields[static_cast<size_t>(index)];
  if (!IsBlobCode(field.typeCode)) return DecodeFixedField(field.typeCode, bytes, reader.Info().codePage);
  if (ReadBlobDescriptor(bytes).length == 0 || reader.BlobMissing(index)) return Variant::Null();
  const Bytes& stored = reader.BlobBytes(index);
  if (!IsTextBlobCode(field.typeCode)) return Variant::FromBytes(stored);
  std::optional<std::string> text;
  if (field.typeCode == 'F') text = FormattedMemoText(stored);
  // Many programs store a memo with a closing NUL inside its length; the
  // text ends there.
  if (!text) text = std::string(stored.begin(), std::find(stored.begin(), stored.end(), uint8_t{0}));
  return Variant::FromText(DecodeFromCodePage(*text, reader.Info().codePage));
}

void TTable::ReadFieldValue(int index, Variant& value) const {
  const Reader& reader = OpenReader();
  Field(index);
  const ParadoxFieldInfo& field = reader.Info().fields[static_cast<size_t>(index)];
  std::span<const uint8_t> bytes = reader.FieldBytes(index);
  if (bytes.empty()) {
    value.SetNull();
    return;
  }
  if (IsBlobCode(field.typeCode)) {
    value = FieldValue(index);
    return;
  }
  if (field.typeCode != 'A' || reader.AlphaTable() == nullptr) {
    value = DecodeFixedField(field.typeCode, bytes, reader.Info().codePage);
    return;
  }
  // Alpha fields decode straight into the text the variant already holds.
  const auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
  if (end == bytes.begin()) {
    value.SetNull();
    return;
  }
  WideString& text = value.AssignText();
  text.clear();
  reader.AlphaTable()->AppendDecoded(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), static_cast<size_t>(end - bytes.begin())), text);
}

int TTable::FieldStoredCodePage(int index) const {
  const Reader& reader = OpenReader();
  Field(index);
  const bool alpha = reader.Info().fields[static_cast<size_t>(index)].typeCode == 'A';
  return alpha && reader.AlphaTable() != nullptr ? reader.AlphaTable()->CodePage() : 0;
}

std::string_view TTable::FieldStoredText(int index) const {
  const Reader& reader = OpenReader();
  Field(index);
  std::span<const uint8_t> bytes = reader.FieldBytes(index);
  const void* end = bytes.empty() ? nullptr : std::memchr(bytes.data(), 0, bytes.size());
  const size_t length = end == nullptr ? bytes.size() : static_cast<size_t>(static_cast<const uint8_t*>(end) - bytes.data());
  return {reinterpret_cast<const char*>(bytes.data()), length};
}

Bytes TTable::FieldBlob(int index) const {
  const Reader& reader = OpenReader();
  Field(index);
  char code = reader.Info().fields[static_cast<size_t>(index)].typeCode;
  if (IsBlobCode(code)) return reader.BlobBytes(index);
  if (code == 'Y') {
    std::span<const uint8_t> bytes = reader.FieldBytes(index);
    if (bytes.empty() || IsBlank(bytes)) return {};
    return Bytes(bytes.begin(), bytes.end());
  }
  return TDataSet::FieldBlob(index);
}

std::optional<int64_t> TTable::FieldOutOfRangeDays(int index) const {
  const Reader& reader = OpenReader();
  Field(index);
  return OutOfRangeDayNumber(reader.Info().fields[static_cast<size_t>(index)].typeCode, reader.FieldBytes(index));
}

std::string TTable::FieldDecimalText(int index) const {
  const Reader& reader = OpenReader();
  Field(index);
  if (reader.Info().fields[static_cast<size_t>(index)].typeCode != '#') return {};
  return DecodeBcdText(reader.FieldBytes(index)).value_or(std::string());
}

}  // namespace verimo
