#pragma once

// Inline definitions of platform/shell/Shell.h.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "core/NonCopyable.h"

namespace verimo {

namespace shell_detail {

// Files whose print goes through the office suite rather than the text and
// PDF filters of the print spooler.
inline constexpr std::array<std::string_view, 12> kOfficeExtensions = {
    ".doc", ".docx", ".rtf", ".odt", ".xls", ".xlsx", ".ods", ".csv", ".dif", ".slk", ".htm", ".html"};

inline std::string LowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return extension;
}

inline bool IsOfficeFile(const std::string& path) {
  std::string extension = LowerExtension(path);
  return std::find(kOfficeExtensions.begin(), kOfficeExtensions.end(), extension) != kOfficeExtensions.end();
}

inline bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The program's full path from PATH, resolved before forking so that the
// child only has to call execve.
inline std::string ResolveProgram(const std::string& program) {
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) return IsExecutableFile(program) ? program : std::string();
  const char* pathVariable = std::getenv("PATH");
  std::string_view paths = pathVariable && *pathVariable ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
  while (!paths.empty()) {
    size_t colon = paths.find(':');
    std::string_view dir = paths.substr(0, colon);
    paths = colon == std::string_view::npos ? std::string_view() : paths.substr(colon + 1);
    std::string candidate = (dir.empty() ? std::string(".") : std::string(dir)) + "/" + program;
    if (IsExecutableFile(candidate)) return candidate;
  }
  return {};
}

class Pipe : private TNonCopyable {
 public:
  Pipe() {
    if (pipe2(fds_, O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  bool IsOpen() const { return fds_[0] >= 0; }
  int ReadEnd() const { return fds_[0]; }
  int WriteEnd() const { return fds_[1]; }
  void CloseRead() { CloseFd(fds_[0]); }
  void CloseWrite() { CloseFd(fds_[1]); }

 private:
  static void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  int fds_[2] = {-1, -1};
};

// Only async-signal-safe calls from here on: the caller may have threads.
[[noreturn]] inline void ReportAndExit(int reportFd, int error) {
  ssize_t ignored = write(reportFd, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

[[noreturn]] inline void RunIntermediateChild(const std::string& program, char* const* argv, int reportFd, int nullFd) {
  setsid();
  pid_t grandchild = fork();
  if (grandchild < 0) ReportAndExit(reportFd, errno);
  if (grandchild > 0) _exit(0);
  if (nullFd >= 0) dup2(nullFd, STDIN_FILENO);
  execve(program.c_str(), argv, environ);
  ReportAndExit(reportFd, errno);
}

inline bool WaitForChild(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// True when the started program reported no exec failure: the pipe closes on
// a successful exec without anything written.
inline bool ExecSucceeded(int readFd) {
  int error = 0;
  ssize_t n;
  while ((n = read(readFd, &error, sizeof error)) < 0 && errno == EINTR) {
  }
  return n == 0;
}

}  // namespace shell_detail

inline std::vector<std::string> ShellCommandFor(TShellVerb verb, const std::string& path) {
  if (verb == TShellVerb::Open) return {"xdg-open", path};
  if (shell_detail::IsOfficeFile(path)) return {"soffice", "--headless", "-p", path};
  return {"lp", "--", path};
}

inline bool StartDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  std::string program = shell_detail::ResolveProgram(argv.front());
  if (program.empty()) return false;

  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);

  shell_detail::Pipe report;
  if (!report.IsOpen()) return false;
  int nullFd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  pid_t child = fork();
  if (child == 0) shell_detail::RunIntermediateChild(program, arguments.data(), report.WriteEnd(), nullFd);
  if (nullFd >= 0) close(nullFd);
  report.CloseWrite();
  if (child < 0) return false;
  bool childOk = shell_detail::WaitForChild(child);
  bool execOk = shell_detail::ExecSucceeded(report.ReadEnd());
  return childOk && execOk;
}

inline bool TSystemShellLauncher::Perform(TShellVerb verb, const std::string& path) {
  return StartDetached(ShellCommandFor(verb, path));
}

inline TShellLauncher& SystemShellLauncher() {
  static TSystemShellLauncher launcher;
  return launcher;
}

}  // namespace verimo
