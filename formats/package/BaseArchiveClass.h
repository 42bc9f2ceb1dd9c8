#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace verimo {

class TDeflatedPart;
class TMiniZip;

// Turns a folder of package parts into one zip archive at the output file
// name. The archive is written into a temporary file beside the target and
// renamed onto it only when it is complete, so a failed run never leaves a
// truncated archive under the target's name (and an earlier file there
// stays as it was).
class TBaseArchiveClass {
 public:
  // `packageRoot`: the folder whose whole content becomes the archive.
  explicit TBaseArchiveClass(std::filesystem::path packageRoot);

  // Entries of the package root added first, in this order, and stored
  // without compression (a package's signature entry).
  std::vector<std::string> StoredFirst;
  // Entries the package writer has compressed itself (finished parts,
  // compressed at Level), added as they are: after the folder's files, or
  // with InFolderOrder where a file of the package root with that name
  // would be (at the end when its folder is not in the package root).
  struct TDeflatedEntry {
    std::string EntryName;
    const TDeflatedPart* Part = nullptr;
    bool InFolderOrder = false;
  };
  std::vector<TDeflatedEntry> DeflatedParts;
  // zlib's level the package formats' entries are measured against: each
  // comes out no larger than zlib at that level would make it (see
  // TDeflatedPart).
  static constexpr int kLevel = 9;
  // The same for the other entries.
  int Level = kLevel;
  // Whether the parts package writers compress while they produce them
  // may be compressed on worker threads beside the caller's. The archive's
  // bytes are the same either way.
  bool Parallel = true;

  void SetOutputFileName(const std::filesystem::path& fileName);
  const std::filesystem::path& OutputFileName() const { return outputFileName_; }

  // Creates the output folder when missing (message 34025 when it cannot
  // be), writes the archive and puts it in place. Entries are the files of
  // the package root, depth-first, each folder's entries in ascending order
  // of their upper-cased names, named by their path relative to the root
  // with "/" separators. Any failure raises verimo::Exception.
  void CreateArchive();

 private:
  void AddFolder(TMiniZip& zip, const std::filesystem::path& folder, const std::string& prefix,
                 std::vector<bool>& deflatedAdded) const;

  std::filesystem::path packageRoot_;
  std::filesystem::path outputFileName_;
};

}  // namespace verimo
