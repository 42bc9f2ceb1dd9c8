#pragma once

#include <filesystem>

#include "core/NonCopyable.h"

namespace verimo {

// What putting a file in place does when a file is already at the target.
enum class TOnExisting { Replace, Keep };

// Puts the finished file `written` at `target` in one rename, after its
// bytes are on disk, and makes the rename itself last (the folder is synced
// too). `written` must lie on the target's file system, best in its folder.
// With Keep, a file at the target stays and nothing is moved: the answer is
// false. Any other failure raises verimo::Exception naming the target and
// the system's reason, leaving the target as it was and `written` where it
// is.
bool PublishFile(const std::filesystem::path& written, const std::filesystem::path& target,
                 TOnExisting onExisting = TOnExisting::Replace);

// One output file written aside and put in place whole: a new, empty file
// with a hidden, unique name in the target's folder (created exclusively,
// so no two writers ever share it, with the permissions a newly created
// file gets). Commit puts it in the target's place; without Commit it is
// removed again and the target stays as it was.
class TAtomicOutput : private TNonCopyable {
 public:
  // Raises verimo::Exception naming the target when the file cannot be
  // created (a missing or read-only folder).
  explicit TAtomicOutput(std::filesystem::path target);
  ~TAtomicOutput();

  const std::filesystem::path& Target() const { return target_; }
  // The temporary file, to be written by its name or through Descriptor.
  const std::filesystem::path& Path() const { return path_; }
  // The temporary opened for reading and writing; closed by Commit and
  // Discard.
  int Descriptor() const { return fd_; }
  bool Committed() const { return committed_; }

  // Syncs the file and renames it onto the target (see PublishFile). A
  // failure leaves the temporary for Discard.
  bool Commit(TOnExisting onExisting = TOnExisting::Replace);
  // Removes the temporary; nothing once committed.
  void Discard() noexcept;

 private:
  void Close() noexcept;

  std::filesystem::path target_;
  std::filesystem::path path_;
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace verimo
