#include "platform/storage/AtomicOutput.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <string>

#include "core/Exception.h"

namespace verimo {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const fs::path& target, int error) {
  throw Exception("Cannot write \"" + target.string() + "\": " + std::strerror(error));
}

fs::path FolderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

// A file system that cannot sync at all (some user-space ones) says so with
// one of the errors that end the loop quietly; a failed write does not.
void Sync(int fd, const fs::path& target) {
  while (::fsync(fd) != 0) {
    if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) return;
    if (errno != EINTR) Fail(target, errno);
  }
}

// A rename only lasts once the folder holding the new name is on disk. A
// folder that cannot be opened or synced (some file systems refuse) leaves
// the rename done all the same.
void SyncFolderOf(const fs::path& file) noexcept {
  const int fd = ::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Renames without replacing; where the file system cannot, a hard link
// refuses an existing name just as well.
bool MoveUnlessExists(const fs::path& written, const fs::path& target) {
  if (::renameat2(AT_FDCWD, written.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS) Fail(target, errno);
  if (::link(written.c_str(), target.c_str()) != 0) {
    if (errno == EEXIST) return false;
    Fail(target, errno);
  }
  ::unlink(written.c_str());
  return true;
}

bool MoveIntoPlace(const fs::path& written, const fs::path& target, TOnExisting onExisting) {
  if (onExisting == TOnExisting::Keep) {
    if (!MoveUnlessExists(written, target)) return false;
  } else if (::rename(written.c_str(), target.c_str()) != 0) {
    Fail(target, errno);
  }
  SyncFolderOf(target);
  return true;
}

// Six letters or digits, enough that a clash is rare; a clash is retried.
std::string RandomSuffix(std::random_device& random) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string suffix(6, ' ');
  for (char& letter : suffix) letter = kLetters[random() % (sizeof kLetters - 1)];
  return suffix;
}

}  // namespace

bool PublishFile(const fs::path& written, const fs::path& target, TOnExisting onExisting) {
  const int fd = ::open(written.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail(target, errno);
  try {
    Sync(fd, target);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  return MoveIntoPlace(written, target, onExisting);
}

TAtomicOutput::TAtomicOutput(fs::path target) : target_(std::move(target)) {
  if (!target_.has_filename()) throw Exception("\"" + target_.string() + "\" names a folder, not a file.");
  std::random_device random;
  const std::string prefix = "." + target_.filename().string() + ".verimo-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = FolderOf(target_) / (prefix + RandomSuffix(random));
    fd_ = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      path_ = candidate;
      return;
    }
    if (errno != EEXIST) break;
  }
  Fail(target_, errno);
}

TAtomicOutput::~TAtomicOutput() { Discard(); }

bool TAtomicOutput::Commit(TOnExisting onExisting) {
  if (committed_) return true;
  if (path_.empty()) throw Exception("Internal error: \"" + target_.string() + "\" was discarded before its commit.");
  if (fd_ >= 0) {
    Sync(fd_, target_);
    Close();
  }
  committed_ = MoveIntoPlace(path_, target_, onExisting);
  return committed_;
}

void TAtomicOutput::Discard() noexcept {
  Close();
  if (committed_ || path_.empty()) return;
  ::unlink(path_.c_str());
  path_.clear();
}

void TAtomicOutput::Close() noexcept {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace verimo
