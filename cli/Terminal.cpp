#include "cli/Terminal.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "core/NonCopyable.h"

namespace verimo::cli {
namespace {

// Turns terminal echo off for its lifetime.
class EchoOff : private TNonCopyable {
 public:
  EchoOff() {
    if (tcgetattr(STDIN_FILENO, &saved_) == 0) {
      termios quiet = saved_;
      quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
      active_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
  }
  ~EchoOff() {
    if (active_) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
  }

 private:
  termios saved_{};
  bool active_ = false;
};

}  // namespace

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

std::optional<std::string> ReadSecretLine(const std::string& prompt) {
  std::string line;
  bool ok;
  {
    // Echo goes off before the prompt shows: switching it discards input
    // typed so far, which must not eat an answer typed right after the prompt.
    EchoOff quiet;
    std::fprintf(stderr, "%s: ", prompt.c_str());
    std::fflush(stderr);
    ok = static_cast<bool>(std::getline(std::cin, line));
  }
  std::fputc('\n', stderr);
  if (!ok) return std::nullopt;
  return line;
}

}  // namespace verimo::cli
