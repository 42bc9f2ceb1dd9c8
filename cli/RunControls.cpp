#include "cli/RunControls.h"

#include <unistd.h>

#include <ctime>

namespace verimo::cli {

ProgressLine::ProgressLine(std::FILE* out)
    : out_(out), terminal_(out && isatty(fileno(out))), start_(Clock::now()), last_(start_) {}

bool ProgressLine::Due(long long records) {
  if (!out_ || (records & 255) != 0) return false;
  Clock::time_point now = Clock::now();
  if (now - last_ < (terminal_ ? std::chrono::milliseconds(250) : std::chrono::seconds(5))) return false;
  last_ = now;
  return true;
}

void ProgressLine::Show(const std::string& text) {
  if (!out_) return;
  std::fprintf(out_, terminal_ ? "\r%s   " : "%s\n", text.c_str());
  std::fflush(out_);
  dirty_ = terminal_;
}

void ProgressLine::Update(const char* what, long long records) {
  if (!Due(records)) return;
  char rate[64];
  std::snprintf(rate, sizeof rate, " %lld records, %.0f records/s", records, Rate(records));
  Show(what + std::string(rate));
}

void ProgressLine::Finish(long long records, const std::string& target) {
  if (!out_) return;
  std::fprintf(out_, "%sexported %lld records to %s in %.2f s, %.0f records/s\n", dirty_ ? "\r" : "", records,
               target.c_str(), Seconds(), Rate(records));
  dirty_ = false;
}

void ProgressLine::Break() {
  if (out_ && dirty_) std::fputc('\n', out_);
  dirty_ = false;
}

double ProgressLine::Seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

double ProgressLine::Rate(long long records) const {
  double seconds = Seconds();
  return seconds > 0 ? records / seconds : 0;
}

InterruptWatch::InterruptWatch() {
  sigemptyset(&watched_);
  sigaddset(&watched_, SIGINT);
  sigaddset(&watched_, SIGTERM);
  sigaddset(&watched_, SIGHUP);
  active_ = pthread_sigmask(SIG_BLOCK, &watched_, &previous_) == 0;
}

InterruptWatch::~InterruptWatch() {
  if (active_) pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

bool InterruptWatch::Requested() {
  if (!active_) return false;
  timespec now{0, 0};
  if (sigtimedwait(&watched_, nullptr, &now) > 0) requested_ = true;
  return requested_;
}

std::string WithoutTableName(const std::string& message, const std::string& table) {
  const std::string prefix = table + ": ";
  return message.starts_with(prefix) ? message.substr(prefix.size()) : message;
}

}  // namespace verimo::cli
