#pragma once

#include <filesystem>

#include "core/NonCopyable.h"

namespace verimo {

// The database file one Access export works on: a copy of the target (or
// the place for a new file) in a hidden folder beside it. Publish puts it
// in the target's place in one rename; otherwise the folder is removed and
// the target stays exactly as it was, whatever the export did to the copy.
// While it exists, the target is locked against other writers of this
// program.
class TTesselAccessStage : private TNonCopyable {
 public:
  explicit TTesselAccessStage(std::filesystem::path target);
  ~TTesselAccessStage();

  const std::filesystem::path& Target() const { return target_; }
  // The working file: the copy of the target, or not yet there when the
  // target did not exist.
  const std::filesystem::path& WorkFile() const { return workFile_; }
  bool TargetExisted() const { return targetExisted_; }
  bool Published() const { return published_; }

  // Replaces the target with the working file (or creates it); raises
  // verimo::Exception when that fails, leaving the target as it was.
  void Publish();

 private:
  void LockAndCopyTarget();

  std::filesystem::path target_;
  std::filesystem::path folder_;
  std::filesystem::path workFile_;
  int targetLock_ = -1;
  bool targetExisted_ = false;
  bool published_ = false;
};

}  // namespace verimo
