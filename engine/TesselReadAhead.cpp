#include "engine/TesselReadAhead.h"

#include <utility>

namespace verimo {

void TTesselRecordSnapshot::Resize(size_t columns) {
  values.resize(columns);
  texts.resize(columns);
  nulls.assign(columns, 0);
  datesOutOfRange.assign(columns, 0);
  storedEnds.assign(columns, 0);
  stored.clear();
}

TTesselReadAhead::TTesselReadAhead(TSteps steps) : steps_(std::move(steps)) {
  free_.reserve(kBlocks);
  for (TBlock& block : blocks_) free_.push_back(&block);
  thread_ = std::thread([this] { Produce(); });
}

TTesselReadAhead::~TTesselReadAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cancel_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void TTesselReadAhead::Produce() {
  for (;;) {
    TBlock* block = nullptr;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (free_.empty()) {
        readerWaits_ = true;
        changed_.wait(lock, [this] { return cancel_.load() || free_.size() >= kResumeFree; });
        readerWaits_ = false;
      }
      if (cancel_) return;
      block = free_.back();
      free_.pop_back();
    }
    const bool more = Fill(*block);
    bool wake = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      filled_[(filledFirst_ + filledCount_) % kBlocks] = block;
      ++filledCount_;
      wake = callerWaits_;
    }
    if (wake) changed_.notify_all();
    if (!more) return;
  }
}

bool TTesselReadAhead::Fill(TBlock& block) {
  block.count = 0;
  block.end = false;
  block.error = nullptr;
  block.readFailed = false;
  while (block.count < kBlockRecords) {
    // Only the destructor cancels: nobody reads this block any more.
    if (cancel_.load(std::memory_order_relaxed)) return false;
    try {
      if (steps_.atEnd()) {
        block.end = true;
        return false;
      }
    } catch (...) {
      block.error = std::current_exception();
      return false;
    }
    try {
      steps_.read(block.records[block.count]);
    } catch (...) {
      block.error = std::current_exception();
      block.readFailed = true;
      return false;
    }
    ++block.count;
    try {
      steps_.advance();
    } catch (...) {
      block.error = std::current_exception();
      return false;
    }
  }
  return true;
}

TTesselReadAhead::TBlock& TTesselReadAhead::TakeFilled() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (filledCount_ == 0) {
    callerWaits_ = true;
    changed_.wait(lock, [this] { return filledCount_ != 0; });
    callerWaits_ = false;
  }
  TBlock* block = filled_[filledFirst_];
  filledFirst_ = (filledFirst_ + 1) % kBlocks;
  --filledCount_;
  return *block;
}

void TTesselReadAhead::GiveBack(TBlock& block) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    free_.push_back(&block);
    wake = readerWaits_ && free_.size() >= kResumeFree;
  }
  if (wake) changed_.notify_all();
}

bool TTesselReadAhead::Next() {
  while (!done_) {
    if (current_ == nullptr) {
      current_ = &TakeFilled();
      next_ = 0;
    }
    if (next_ < current_->count) {
      record_ = next_++;
      return true;
    }
    if (current_->readFailed) {
      // The record that could not be read: Record raises its error.
      record_ = current_->count;
      done_ = true;
      return true;
    }
    if (current_->error) {
      done_ = true;
      std::rethrow_exception(current_->error);
    }
    if (current_->end) {
      done_ = true;
      return false;
    }
    GiveBack(*current_);
    current_ = nullptr;
  }
  return false;
}

TTesselRecordSnapshot& TTesselReadAhead::Record() {
  if (current_->readFailed && record_ == current_->count) std::rethrow_exception(current_->error);
  return current_->records[record_];
}

const TTesselSourceBookmark& TTesselReadAhead::RecordPosition() const { return current_->records[record_].position; }

}  // namespace verimo
