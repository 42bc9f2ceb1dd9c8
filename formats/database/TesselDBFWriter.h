#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/TesselStream.h"
#include "engine/TesselWriter.h"
#include "formats/database/DBFFields.h"

namespace verimo {

class TSingleByteEncoder;

// Writes a dBASE table into the run's stream: header and field descriptors,
// whole records, the end mark; and the memo file beside it when there is one.
// The record count in the header is the number of records written, patched
// in when the table is finished.
class TTesselDBFWriter : public TTesselWriter {
 public:
  TTesselDBFWriter(TTessel* owner, TStream* stream);
  ~TTesselDBFWriter() override;

  // The field descriptors, in column order.
  std::vector<dbf::TDBFField> Fields;

  // The code page of the field bytes; 65001 for UTF-8 output.
  int CodePage() const { return codePage_; }
  bool IsUtf8() const { return codePage_ == kUtf8CodePage; }

  // The bytes of a text in the output encoding.
  void Encode(WideStringView text, std::string& out);
  // A "C" field of `length` bytes: the encoded text, cut at a character
  // boundary, padded with spaces.
  void AppendText(std::string& record, WideStringView text, int length);

  // 1 for the deletion flag plus every field's length.
  int RecordLength() const;
  // Header, descriptors and the end-of-header byte, at the stream's position.
  void WriteTableHeader(bool withMemo, DateParts today);
  // Creates (or truncates) the memo file and writes its header block.
  void CreateMemoFile(const std::filesystem::path& fileName);
  bool HasMemoFile() const { return memo_ != nullptr; }
  // Stores a value in the memo file; returns its first block.
  uint32_t AppendMemo(std::string_view bytes);
  // Appends one complete record and counts it.
  void WriteRecord(std::string_view record);
  uint32_t RecordCount() const { return records_; }
  // The end mark, the record count, the memo file's next free block; closes
  // the memo file. Does nothing the second time.
  void Finish();

  static constexpr int kUtf8CodePage = 65001;

 private:
  // Cuts a text encoded in a multi-byte code page to at most `length`
  // bytes without splitting a character.
  void FitMultiByte(WideStringView text, int length, std::string& encoded);

  int codePage_;
  bool multiByte_;
  std::unique_ptr<TSingleByteEncoder> encoder_;
  std::unique_ptr<TFileStream> memo_;
  int64_t tableStart_ = 0;
  uint32_t nextBlock_ = 1;
  uint32_t records_ = 0;
  bool finished_ = false;
  std::string encoded_;
};

}  // namespace verimo
