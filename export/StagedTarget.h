#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/NonCopyable.h"

namespace verimo {

// An export's target and the files written beside it (memo file, pages,
// style sheet) are first written into a hidden folder beside the target,
// made new for this run, and moved into place only when the run has
// finished, each file synced and renamed whole (PublishFile). A run that
// fails (a full disk, an unreadable record) leaves the target and its
// companions as they were. The target keeps its own name
// inside the folder, so that its files link to each other as they will in
// the end. The folder and whatever is still in it go with this object.
class TStagedTarget : private TNonCopyable {
 public:
  // `companions` are the files the target's type writes beside it, which a
  // run that does not write them must not leave behind from an earlier one.
  TStagedTarget(std::filesystem::path target, std::vector<std::filesystem::path> companions);
  ~TStagedTarget();

  // Where the exporter writes the target.
  const std::filesystem::path& Path() const { return path_; }
  const std::filesystem::path& Folder() const { return folder_; }

  // Moves every file of the folder beside the target, the target itself
  // last, so that it appears only with its companions in place; removes the
  // companions of an earlier run that this one did not write.
  void Commit();

  // The message with the staged names replaced by the target's, as the
  // user gave them.
  std::string AsTargetNames(std::string message) const;

 private:
  std::filesystem::path target_;
  std::vector<std::filesystem::path> companions_;
  std::filesystem::path folder_;
  std::filesystem::path path_;
};

}  // namespace verimo
