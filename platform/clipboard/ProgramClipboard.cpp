#include "platform/clipboard/ProgramClipboard.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/Exception.h"
#include "core/NonCopyable.h"
#include "platform/shell/Shell.h"

namespace verimo {

namespace {

bool HasEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

class TFd : private TNonCopyable {
 public:
  explicit TFd(int fd = -1) : fd_(fd) {}
  ~TFd() { Close(); }
  int Get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// Runs the tool with `input` on its standard input; returns what it writes
// to its standard output when `output` is asked for. The copying tools fork
// a process that serves the clipboard and keeps the descriptors it was
// given: their output goes to /dev/null, so that nothing waits for it.
std::string Run(const std::vector<std::string>& command, const std::string* input, bool output) {
  const std::string program = shell_detail::ResolveProgram(command.front());
  if (program.empty()) throw Exception("The clipboard program " + command.front() + " is not installed");
  shell_detail::Pipe in;
  shell_detail::Pipe out;
  if (!in.IsOpen() || !out.IsOpen())
    throw Exception(std::string("Cannot start the clipboard program: ") + std::strerror(errno));
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (size_t i = 1; i < command.size(); ++i) argv.push_back(const_cast<char*>(command[i].c_str()));
  argv.push_back(nullptr);
  TFd null(::open("/dev/null", O_RDWR | O_CLOEXEC));
  const pid_t child = ::fork();
  if (child < 0) throw Exception(std::string("Cannot start the clipboard program: ") + std::strerror(errno));
  if (child == 0) {
    ::dup2(in.ReadEnd(), STDIN_FILENO);
    ::dup2(output ? out.WriteEnd() : null.Get(), STDOUT_FILENO);
    ::dup2(null.Get(), STDERR_FILENO);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  in.CloseRead();
  out.CloseWrite();
  std::string error;
  if (input) {
    for (size_t done = 0; done < input->size();) {
      const ssize_t put = ::write(in.WriteEnd(), input->data() + done, input->size() - done);
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) {
        error = std::strerror(errno);
        break;
      }
      done += static_cast<size_t>(put);
    }
  }
  in.CloseWrite();
  std::string text;
  if (output) {
    char buffer[65536];
    for (;;) {
      const ssize_t got = ::read(out.ReadEnd(), buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      text.append(buffer, static_cast<size_t>(got));
    }
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!error.empty()) throw Exception("The clipboard program " + command.front() + " did not take the text: " + error);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw Exception("The clipboard program " + command.front() + " failed (exit status " +
                    std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)) + ")");
  return text;
}

}  // namespace

TProgramClipboard::TProgramClipboard() {
  if (HasEnvironment("WAYLAND_DISPLAY") && !shell_detail::ResolveProgram("wl-copy").empty()) {
    copy_ = {"wl-copy", "--type", "text/plain;charset=utf-8"};
    paste_ = {"wl-paste", "--no-newline"};
  } else if (HasEnvironment("DISPLAY")) {
    copy_ = {"xclip", "-selection", "clipboard", "-in"};
    paste_ = {"xclip", "-selection", "clipboard", "-out"};
  } else {
    throw Exception("There is no desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set) whose clipboard could take the text");
  }
}

void TProgramClipboard::SetText(const WideString& text) {
  const std::string utf8 = WideToUtf8(text);
  Run(copy_, &utf8, false);
}

WideString TProgramClipboard::GetText() const { return Utf8ToWide(Run(paste_, nullptr, true)); }

}  // namespace verimo
