#pragma once

#include <filesystem>

#include "core/NonCopyable.h"

namespace verimo {

// A private folder for one run, created under the system's temporary
// directory (TMPDIR honoured) with a unique name, readable by its owner
// only, and removed with everything in it when the object goes away.
// A folder that cannot be created raises message 34025.
class TStagingFolder : private TNonCopyable {
 public:
  TStagingFolder();
  ~TStagingFolder();

  const std::filesystem::path& Path() const { return path_; }
  // Creates `relative` (with its parents) inside the folder and returns its
  // full path; message 34025 when that fails.
  std::filesystem::path CreateSubFolder(const std::filesystem::path& relative) const;
  // Deletes the folder and everything in it now; failures of single items
  // are ignored.
  void Clear() noexcept;

 private:
  std::filesystem::path path_;
};

// Raises message 34025 for `folder`.
[[noreturn]] void RaiseFolderNotCreated(const std::filesystem::path& folder);

}  // namespace verimo
