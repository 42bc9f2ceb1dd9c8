#pragma once

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "core/NonCopyable.h"

namespace verimo::cli {

// One progress line on the terminal, refreshed a few times a second; into a
// file or pipe only every few seconds, one line each.
class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  // Nothing is printed without `out`.
  explicit ProgressLine(std::FILE* out);

  // "exported N records, R records/s", when one is due.
  void Update(const char* what, long long records);
  // Whether a line is due after `records` records: every 256 records at
  // most, then when enough time has passed since the last line.
  bool Due(long long records);
  // Prints a line of progress (the caller asked Due first).
  void Show(const std::string& text);
  // The closing line of a run of one table.
  void Finish(long long records, const std::string& target);
  // Ends a half-written terminal line before other output follows.
  void Break();

  double Seconds() const;
  double Rate(long long records) const;

 private:
  std::FILE* out_;
  bool terminal_;
  Clock::time_point start_;
  Clock::time_point last_;
  bool dirty_ = false;
};

// Holds back Ctrl-C and termination requests while the export runs, so that
// the run can stop between records and remove its partial file; the export
// polls for them with Requested(). The old signal mask returns at the end.
class InterruptWatch : private TNonCopyable {
 public:
  InterruptWatch();
  ~InterruptWatch();

  // Takes a pending request, if any.
  bool Requested();

 private:
  sigset_t watched_;
  sigset_t previous_;
  bool active_ = false;
  bool requested_ = false;
};

// A failure's message for a line that already begins with the table's
// name: "T.DB: the BLOB file ..." becomes "the BLOB file ...".
std::string WithoutTableName(const std::string& message, const std::string& table);

}  // namespace verimo::cli
