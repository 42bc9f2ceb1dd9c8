#include "formats/package/BaseArchiveClass.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <random>
#include <system_error>

#include "core/Exception.h"
#include "formats/package/MiniZip.h"
#include "formats/package/StagingFolder.h"

namespace verimo {
namespace fs = std::filesystem;
namespace {

std::string UpperAscii(std::string text) {
  for (char& ch : text)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return text;
}

// The folder's entries in ascending order of their upper-cased names.
std::vector<fs::directory_entry> SortedEntries(const fs::path& folder) {
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) entries.push_back(entry);
  if (ec) throw Exception("Package folder " + folder.string() + " cannot be read: " + ec.message());
  std::sort(entries.begin(), entries.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
    return UpperAscii(a.path().filename().string()) < UpperAscii(b.path().filename().string());
  });
  return entries;
}

// A new, empty file beside the target, removed again unless Keep is called.
class TTemporaryTarget {
 public:
  explicit TTemporaryTarget(const fs::path& target) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const fs::path candidate =
          target.parent_path() / ("." + target.filename().string() + "." + std::to_string(random()) + ".part");
      const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        ::close(fd);
        path_ = candidate;
        return;
      }
      if (errno != EEXIST) break;
    }
    throw Exception("The file " + target.string() + " cannot be created: " + std::strerror(errno));
  }
  ~TTemporaryTarget() {
    if (path_.empty()) return;
    std::error_code ec;
    fs::remove(path_, ec);
  }
  TTemporaryTarget(const TTemporaryTarget&) = delete;
  TTemporaryTarget& operator=(const TTemporaryTarget&) = delete;

  const fs::path& Path() const { return path_; }
  void MoveTo(const fs::path& target) {
    std::error_code ec;
    fs::rename(path_, target, ec);
    if (ec) throw Exception("The file " + target.string() + " cannot be created: " + ec.message());
    path_.clear();
  }

 private:
  fs::path path_;
};

void EnsureFolder(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) RaiseFolderNotCreated(folder);
}

}  // namespace

TBaseArchiveClass::TBaseArchiveClass(fs::path packageRoot) : packageRoot_(std::move(packageRoot)) {}

void TBaseArchiveClass::SetOutputFileName(const fs::path& fileName) {
  if (fileName != outputFileName_) outputFileName_ = fileName;
}

void TBaseArchiveClass::CreateArchive() {
  if (outputFileName_.empty()) throw Exception("No target file name is given for the export");
  fs::path target = outputFileName_;
  if (!target.has_parent_path()) target = fs::path(".") / target;
  EnsureFolder(target.parent_path());
  TTemporaryTarget temporary(target);
  {
    TMiniZip zip(temporary.Path());
    zip.Level = Level;
    for (const std::string& name : StoredFirst) zip.AddFile(packageRoot_ / name, name, TMiniZip::TMethod::Store);
    AddFolder(zip, packageRoot_, "");
    for (const TComposedPart& part : ComposedParts) AddComposedPart(zip, part);
    zip.Close();
  }
  temporary.MoveTo(target);
}

void TBaseArchiveClass::AddFolder(TMiniZip& zip, const fs::path& folder, const std::string& prefix) const {
  for (const fs::directory_entry& entry : SortedEntries(folder)) {
    const std::string name = prefix + entry.path().filename().string();
    if (entry.is_directory()) {
      AddFolder(zip, entry.path(), name + "/");
    } else if (std::find(StoredFirst.begin(), StoredFirst.end(), name) == StoredFirst.end()) {
      zip.AddFile(entry.path(), name);
    }
  }
}

void TBaseArchiveClass::AddComposedPart(TMiniZip& zip, const TComposedPart& part) {
  std::error_code ec;
  const uintmax_t bodySize = fs::file_size(part.Body, ec);
  zip.BeginEntry(part.EntryName, std::time(nullptr), part.Head.size() + (ec ? 0 : bodySize) + part.Tail.size());
  zip.Write(part.Head);
  zip.WriteFile(part.Body);
  zip.Write(part.Tail);
  zip.EndEntry();
}

}  // namespace verimo
