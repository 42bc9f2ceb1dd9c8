#include "export/StagedTarget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

class StagedTargetTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-staged"); }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(StagedTargetTest, CommitPutsTargetAndCompanionsInPlaceAndDropsStaleCompanions) {
  WriteFile(dir_ / "t.dbf", "old table");
  WriteFile(dir_ / "t.dbt", "old memo");
  WriteFile(dir_ / "t.fpt", "old memo of the other kind");
  {
    TStagedTarget staged(dir_ / "t.dbf", {dir_ / "t.dbt", dir_ / "t.fpt"});
    EXPECT_EQ(staged.Path().filename(), "t.dbf");
    EXPECT_EQ(staged.Folder().parent_path(), dir_);
    WriteFile(staged.Path(), "new table");
    WriteFile(staged.Folder() / "t.fpt", "new memo");
    EXPECT_EQ(ReadFile(dir_ / "t.dbf"), "old table");
    staged.Commit();
  }
  EXPECT_EQ(ReadFile(dir_ / "t.dbf"), "new table");
  EXPECT_EQ(ReadFile(dir_ / "t.fpt"), "new memo");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"t.dbf", "t.fpt"}));
}

TEST_F(StagedTargetTest, ARunWithoutCommitLeavesEverythingAsItWas) {
  WriteFile(dir_ / "page.html", "old page");
  WriteFile(dir_ / "page.css", "old style");
  EXPECT_THROW(
      {
        TStagedTarget staged(dir_ / "page.html", {dir_ / "page.css"});
        WriteFile(staged.Path(), "half a page");
        WriteFile(staged.Folder() / "page.css", "new style");
        throw Exception("disk full");
      },
      Exception);
  EXPECT_EQ(ReadFile(dir_ / "page.html"), "old page");
  EXPECT_EQ(ReadFile(dir_ / "page.css"), "old style");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"page.css", "page.html"}));
}

TEST_F(StagedTargetTest, EveryRunHasAFolderOfItsOwnAndAMissingTargetFolderIsMade) {
  const fs::path target = dir_ / "sub" / "out.html";
  TStagedTarget first(target, {});
  TStagedTarget second(target, {});
  EXPECT_NE(first.Folder(), second.Folder());
  EXPECT_TRUE(fs::is_directory(first.Folder()));
  EXPECT_TRUE(fs::is_empty(first.Folder()));
  // What the second writes never reaches the first's target.
  WriteFile(second.Folder() / "out_2.html", "page 2 of another run");
  WriteFile(first.Path(), "first");
  first.Commit();
  EXPECT_EQ(ReadFile(target), "first");
  EXPECT_FALSE(fs::exists(dir_ / "sub" / "out_2.html"));
  EXPECT_EQ(first.AsTargetNames("Cannot write " + first.Path().string()), "Cannot write " + target.string());
}

}  // namespace
}  // namespace verimo
