#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "engine/TesselTypes.h"

namespace verimo {

class TTesselColumns;
class TSingleByteTranscoder;
class TDataSet;
struct TTesselRecordSnapshot;

// The code page of the bytes a run writes for `encoding`: the system's
// ANSI, OEM or Mac code page, TSingleByteTranscoder::kUtf8 for UTF-8, 0 for
// the outputs byte rows cannot be written in (UTF-16 and UTF-32).
int ByteRowCodePage(TTesselOutputEncoding encoding);
// Whether the code page (or TSingleByteTranscoder::kUtf8) writes every
// ASCII character as its own byte, so that byte rows may write ASCII
// pieces as they are; false for a code page the converter does not know.
bool KeepsAsciiAsBytes(int codePage);

// The columns of a run whose texts an exporter can take as the source's
// stored bytes and transcode straight into the output: text fields of a
// dataset stored in a single-byte code page whose ASCII bytes are ASCII,
// written into an output (a single-byte code page or UTF-8) that keeps
// ASCII as it is. Everything else goes through the cells.
class TTesselStoredText : private TNonCopyable {
 public:
  TTesselStoredText();
  ~TTesselStoredText();

  // Plans the run's columns for output in `targetCodePage`
  // (TSingleByteTranscoder::kUtf8 for UTF-8); none when `enabled` is false.
  void Plan(const TTesselColumns& columns, int targetCodePage, bool enabled);
  void Clear();

  bool Any() const { return any_; }
  // One entry per column, nonzero for the planned ones (for FillRowDeferring).
  const std::vector<uint8_t>& Columns() const { return planned_; }
  bool IsPlanned(int column) const {
    return static_cast<size_t>(column) < planned_.size() && planned_[static_cast<size_t>(column)] != 0;
  }
  // The stored bytes of a planned column in the current record; empty when
  // the field is null. While a record read ahead is set, its bytes.
  std::string_view Text(int column) const;
  // The stored bytes in the source's current record, whatever is set.
  std::string_view SourceText(int column) const;
  // The record read ahead that Text answers from; nullptr: the source.
  void SetSnapshot(const TTesselRecordSnapshot* record) { snapshot_ = record; }
  // Appends the output bytes of `bytes` (stored bytes of the column); false
  // with nothing appended when the text needs the converter.
  bool Append(int column, std::string_view bytes, std::string& out) const;
  // Decodes stored bytes of the column into `out` (replaced).
  void Decode(int column, std::string_view bytes, WideString& out) const;

 private:
  struct Entry {
    const TDataSet* dataSet = nullptr;
    int field = -1;
    const TSingleByteTranscoder* transcoder = nullptr;
  };
  std::vector<uint8_t> planned_;
  std::vector<Entry> entries_;
  std::vector<std::unique_ptr<TSingleByteTranscoder>> transcoders_;
  bool any_ = false;
  const TTesselRecordSnapshot* snapshot_ = nullptr;
};

}  // namespace verimo
