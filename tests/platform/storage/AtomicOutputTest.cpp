#include "platform/storage/AtomicOutput.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

void WriteAll(int fd, const std::string& bytes) { ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }

// The message of what `action` raises, or nothing.
template <typename Action>
std::optional<std::string> ErrorOf(Action action) {
  try {
    action();
  } catch (const Exception& error) {
    return error.what();
  }
  return std::nullopt;
}

class AtomicOutputTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-atomic"); }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }
  // The names in the test folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(AtomicOutputTest, CommitReplacesTheTargetWithTheWrittenBytesAndLeavesNothingElse) {
  const fs::path target = dir_ / "out.zip";
  WriteFile(target, "earlier content, longer than the new one");
  TAtomicOutput output(target);
  EXPECT_EQ(output.Path().parent_path(), dir_);
  EXPECT_EQ(output.Path().filename().string().rfind(".out.zip.", 0), 0u) << output.Path();
  WriteAll(output.Descriptor(), "new");
  EXPECT_EQ(ReadFile(target), "earlier content, longer than the new one");  // nothing visible before the commit
  EXPECT_TRUE(output.Commit());
  EXPECT_TRUE(output.Committed());
  EXPECT_EQ(ReadFile(target), "new");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.zip"});

  // A file written by its name, as a library opening the path does, and a
  // new target with the permissions any new file gets.
  const fs::path fresh = dir_ / "fresh.txt";
  {
    TAtomicOutput named(fresh);
    WriteFile(named.Path(), "by name");
    named.Commit();
  }
  EXPECT_EQ(ReadFile(fresh), "by name");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat info {};
  ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"fresh.txt", "out.zip"}));
}

TEST_F(AtomicOutputTest, DiscardDestructorAndExceptionsLeaveTheTargetAsItWasAndNoTemporary) {
  const fs::path target = dir_ / "out.mdb";
  WriteFile(target, "earlier");
  {
    TAtomicOutput output(target);
    WriteAll(output.Descriptor(), "half");
    output.Discard();
    EXPECT_EQ(Entries(), std::vector<std::string>{"out.mdb"});
    output.Discard();  // twice is harmless
    EXPECT_THROW(output.Commit(), Exception);
  }
  {
    TAtomicOutput output(target);
    WriteAll(output.Descriptor(), "half");
  }
  EXPECT_THROW(
      {
        TAtomicOutput output(target);
        WriteAll(output.Descriptor(), "half");
        throw Exception("disk full");
      },
      Exception);
  EXPECT_EQ(ReadFile(target), "earlier");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.mdb"});
}

TEST_F(AtomicOutputTest, TwoWritersOfOneTargetNeverShareATemporaryAndTheLastCommitWins) {
  const fs::path target = dir_ / "out.csv";
  TAtomicOutput first(target);
  TAtomicOutput second(target);
  EXPECT_NE(first.Path(), second.Path());
  WriteAll(first.Descriptor(), "first");
  WriteAll(second.Descriptor(), "second");
  first.Commit();
  EXPECT_EQ(ReadFile(target), "first");
  second.Commit();
  EXPECT_EQ(ReadFile(target), "second");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.csv"});
}

TEST_F(AtomicOutputTest, KeepingAnExistingTargetMovesNothing) {
  const fs::path target = dir_ / "new.mdb";
  {
    TAtomicOutput output(target);
    WriteAll(output.Descriptor(), "ours");
    WriteFile(target, "appeared meanwhile");
    EXPECT_FALSE(output.Commit(TOnExisting::Keep));
    EXPECT_FALSE(output.Committed());
  }
  EXPECT_EQ(ReadFile(target), "appeared meanwhile");
  EXPECT_EQ(Entries(), std::vector<std::string>{"new.mdb"});
  fs::remove(target);
  TAtomicOutput output(target);
  WriteAll(output.Descriptor(), "ours");
  EXPECT_TRUE(output.Commit(TOnExisting::Keep));
  EXPECT_EQ(ReadFile(target), "ours");
}

TEST_F(AtomicOutputTest, FailuresNameThePathAndTheSystemsReason) {
  // No folder, a file where the folder should be.
  const fs::path missing = dir_ / "missing" / "out.zip";
  EXPECT_EQ(ErrorOf([&] { TAtomicOutput output(missing); }),
            "Cannot write \"" + missing.string() + "\": " + std::strerror(ENOENT));
  WriteFile(dir_ / "file", "x");
  const fs::path underFile = dir_ / "file" / "out.zip";
  EXPECT_EQ(ErrorOf([&] { TAtomicOutput output(underFile); }),
            "Cannot write \"" + underFile.string() + "\": " + std::strerror(ENOTDIR));

  // A target that cannot be replaced: the temporary stays until discarded.
  const fs::path busy = dir_ / "busy";
  fs::create_directories(busy / "inside");
  {
    TAtomicOutput output(busy);
    const std::optional<std::string> error = ErrorOf([&] { output.Commit(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->rfind("Cannot write \"" + busy.string() + "\": ", 0), 0u) << *error;
    EXPECT_FALSE(output.Committed());
    EXPECT_TRUE(fs::exists(output.Path()));
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"busy", "file"}));

  // Publishing a file that is not there.
  EXPECT_EQ(ErrorOf([&] { PublishFile(dir_ / "gone", dir_ / "file"); }),
            "Cannot write \"" + (dir_ / "file").string() + "\": " + std::strerror(ENOENT));
  EXPECT_EQ(ReadFile(dir_ / "file"), "x");

  // A folder nobody may create files in, and one without write permission
  // (which root may write anyway).
  const std::optional<std::string> refused = ErrorOf([] { TAtomicOutput output("/sys/out.zip"); });
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->rfind("Cannot write \"/sys/out.zip\": ", 0), 0u) << *refused;
  if (::geteuid() != 0) {
    const fs::path locked = dir_ / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ErrorOf([&] { TAtomicOutput output(locked / "out.zip"); }),
              "Cannot write \"" + (locked / "out.zip").string() + "\": " + std::strerror(EACCES));
    fs::permissions(locked, fs::perms::owner_all);
  }
}

TEST_F(AtomicOutputTest, PublishFileMovesAFinishedFileAndCanRefuseToReplace) {
  WriteFile(dir_ / "written", "done");
  WriteFile(dir_ / "target", "old");
  EXPECT_FALSE(PublishFile(dir_ / "written", dir_ / "target", TOnExisting::Keep));
  EXPECT_EQ(ReadFile(dir_ / "target"), "old");
  EXPECT_TRUE(PublishFile(dir_ / "written", dir_ / "target"));
  EXPECT_EQ(ReadFile(dir_ / "target"), "done");
  EXPECT_EQ(Entries(), std::vector<std::string>{"target"});
}

}  // namespace
}  // namespace verimo
