#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

namespace verimo {

// Gives up the processor during a long loop at most once per interval: the
// clock is read only every `kCheckEvery` records, so a record costs one
// counter increment. Events and stop requests are not affected; only the
// system call is spaced out.
class TYieldPacer {
 public:
  static constexpr uint32_t kCheckEvery = 256;
  static constexpr std::chrono::milliseconds kInterval{4};

  TYieldPacer() : last_(Clock::now()) {}

  // Called once per record; returns whether it yielded.
  bool Record() {
    if (++records_ % kCheckEvery != 0) return false;
    const Clock::time_point now = Clock::now();
    if (now - last_ < kInterval) return false;
    std::this_thread::yield();
    last_ = Clock::now();
    return true;
  }

 private:
  using Clock = std::chrono::steady_clock;
  uint32_t records_ = 0;
  Clock::time_point last_;
};

}  // namespace verimo
