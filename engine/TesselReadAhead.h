#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/Variant.h"
#include "core/WideString.h"
#include "engine/TesselSource.h"

namespace verimo {

// One record of a dataset source as an export run reads it, taken while the
// source stood on it: each cell's value and text, whether its field is null
// (and, for a null date, whether it lies outside the years 1 to 9999), the
// stored bytes of the columns the format takes as stored, and the record's
// position.
struct TTesselRecordSnapshot {
  std::vector<Variant> values;
  std::vector<WideString> texts;
  std::vector<uint8_t> nulls;
  std::vector<uint8_t> datesOutOfRange;
  // The stored bytes of the columns, one after the other; storedEnds[i] is
  // where column i's end (a column without stored bytes has none).
  std::string stored;
  std::vector<uint32_t> storedEnds;
  TTesselSourceBookmark position;

  // Empty vectors of `columns` entries (their storage is kept when the
  // count stays).
  void Resize(size_t columns);
  std::string_view StoredText(int column) const {
    const size_t index = static_cast<size_t>(column);
    const size_t start = index == 0 ? 0 : storedEnds[index - 1];
    return std::string_view(stored).substr(start, storedEnds[index] - start);
  }
  bool DateOutOfRange(int column) const { return datesOutOfRange[static_cast<size_t>(column)] != 0; }
};

// Reads the records of a run on a thread of its own while the caller's
// thread writes the ones read before: records go in blocks through a
// bounded queue (kBlocks blocks of kBlockRecords), so memory stays the same
// whatever the length of the source. The reading thread alone touches the
// source until this object is destroyed, which stops and joins it on every
// way out.
//
// An error of the source reaches the caller where a run reading record by
// record would have met it: one moving on (or asking for the end) from
// Next, before the record after it; one reading a record from Record, once
// the caller has decided to take that record.
class TTesselReadAhead {
 public:
  static constexpr size_t kBlockRecords = 512;
  static constexpr size_t kBlocks = 4;
  // The reader, once it has filled every block, waits until this many are
  // free again, and the caller wakes it only then: one wake-up for several
  // blocks, not one per block.
  static constexpr size_t kResumeFree = kBlocks / 2;

  struct TSteps {
    // Whether no record is left (the source's end, or the run's limit).
    std::function<bool()> atEnd;
    // Takes the current record into the snapshot.
    std::function<void(TTesselRecordSnapshot&)> read;
    // Moves the source to the next record.
    std::function<void()> advance;
  };

  explicit TTesselReadAhead(TSteps steps);
  ~TTesselReadAhead();
  TTesselReadAhead(const TTesselReadAhead&) = delete;
  TTesselReadAhead& operator=(const TTesselReadAhead&) = delete;

  // Moves to the next record; false when there is none. Waits for the
  // reading thread when it is behind.
  bool Next();
  // The current record; the caller may take its storage (swap values out).
  TTesselRecordSnapshot& Record();
  // Where the current record stands in the source, also when reading it failed.
  const TTesselSourceBookmark& RecordPosition() const;

 private:
  struct TBlock {
    std::vector<TTesselRecordSnapshot> records{kBlockRecords};
    size_t count = 0;
    // How the block ends: with the source (end), or with an error: one
    // moving on (before the record `count`), or one reading record `count`
    // (readFailed; records[count] holds its position).
    bool end = false;
    std::exception_ptr error;
    bool readFailed = false;
  };

  void Produce();
  // Fills `block` from the source; false once the source is done with.
  bool Fill(TBlock& block);
  // The next block the reader filled; waits for it.
  TBlock& TakeFilled();
  void GiveBack(TBlock& block);

  TSteps steps_;
  std::vector<TBlock> blocks_{kBlocks};
  std::mutex mutex_;
  std::condition_variable changed_;
  // Guarded by mutex_: the blocks the reader may fill, and the filled ones
  // in reading order (a ring: filledCount_ from filledFirst_ on).
  std::vector<TBlock*> free_;
  std::array<TBlock*, kBlocks> filled_{};
  size_t filledFirst_ = 0;
  size_t filledCount_ = 0;
  // Who waits on changed_: wake-ups are sent only to a thread that waits.
  bool readerWaits_ = false;
  bool callerWaits_ = false;
  std::atomic<bool> cancel_{false};

  TBlock* current_ = nullptr;  // the caller's block
  size_t next_ = 0;            // of its records, the next to give
  size_t record_ = 0;          // of its records, the current one
  bool done_ = false;
  std::thread thread_;
};

}  // namespace verimo
