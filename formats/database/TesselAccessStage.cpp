#include "formats/database/TesselAccessStage.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "core/Exception.h"
#include "platform/storage/AtomicOutput.h"

namespace verimo {

namespace fs = std::filesystem;

namespace {

std::string ErrnoText() { return std::strerror(errno); }

// Copies the open file into a new file; the error of a failed read or write
// is the system's own (a full disk says so), not the generic one a short
// copy gets from the standard library. The copy gets the source's
// permissions, which it keeps when it replaces the source.
void CopyOpenFile(int source, const fs::path& to) {
  const int target = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (target < 0) throw Exception("Cannot create \"" + to.string() + "\": " + ErrnoText());
  std::string error;
  struct stat info {};
  if (::fstat(source, &info) != 0 || ::fchmod(target, info.st_mode & 07777) != 0) error = ErrnoText();
  char buffer[1 << 16];
  for (off_t offset = 0; error.empty();) {
    const ssize_t got = ::pread(source, buffer, sizeof buffer, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = ErrnoText();
    if (got <= 0) break;
    for (ssize_t done = 0; done < got && error.empty();) {
      const ssize_t put = ::write(target, buffer + done, static_cast<size_t>(got - done));
      if (put < 0 && errno != EINTR) error = ErrnoText();
      if (put > 0) done += put;
    }
    offset += got;
  }
  if (::close(target) != 0 && error.empty()) error = ErrnoText();
  if (!error.empty()) throw Exception(error);
}

}  // namespace

TTesselAccessStage::TTesselAccessStage(fs::path target) : target_(std::move(target)) {
  if (target_.empty()) throw Exception("No database file is given.");
  if (!target_.has_filename()) throw Exception("\"" + target_.string() + "\" names a folder, not a database file.");
  const fs::path parent = target_.parent_path();
  std::error_code ec;
  if (!parent.empty() && !fs::is_directory(parent, ec))
    throw Exception("The folder of the database \"" + target_.string() + "\" does not exist.");
  std::string pattern = (parent / ("." + target_.filename().string() + ".verimo-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr)
    throw Exception("Cannot create a working folder beside \"" + target_.string() + "\": " + ErrnoText());
  folder_ = pattern;
  workFile_ = folder_ / target_.filename();
  try {
    LockAndCopyTarget();
  } catch (...) {
    if (targetLock_ >= 0) ::close(targetLock_);
    fs::remove_all(folder_, ec);
    throw;
  }
}

TTesselAccessStage::~TTesselAccessStage() {
  if (targetLock_ >= 0) ::close(targetLock_);
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

void TTesselAccessStage::LockAndCopyTarget() {
  targetLock_ = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC);
  if (targetLock_ < 0) {
    if (errno == ENOENT) return;
    throw Exception("Cannot open the database \"" + target_.string() + "\": " + ErrnoText());
  }
  targetExisted_ = true;
  if (::flock(targetLock_, LOCK_EX | LOCK_NB) != 0)
    throw Exception("The database \"" + target_.string() + "\" is in use by another program.");
  std::error_code ec;
  if (!fs::is_regular_file(target_, ec)) throw Exception("\"" + target_.string() + "\" is not a database file.");
  try {
    CopyOpenFile(targetLock_, workFile_);
  } catch (const Exception& error) {
    throw Exception("Cannot copy the database \"" + target_.string() + "\": " + error.what());
  }
}

void TTesselAccessStage::Publish() {
  if (published_) return;
  // A file that appeared at the target meanwhile is not overwritten.
  if (!PublishFile(workFile_, target_, targetExisted_ ? TOnExisting::Replace : TOnExisting::Keep))
    throw Exception("\"" + target_.string() + "\" was created by another program during the export; it is left alone.");
  published_ = true;
}

}  // namespace verimo
