#include "formats/package/BaseArchiveClass.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "core/Exception.h"
#include "formats/package/DeflatedPart.h"
#include "formats/package/MiniZip.h"
#include "formats/package/PackageTestSupport.h"
#include "formats/package/StagingFolder.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& file, const std::string& content) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-archive"); }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(ArchiveTest, FolderBecomesArchiveDepthFirstInUpperCaseOrder) {
  const fs::path root = dir_ / "package";
  WriteFile(root / "[Content_Types].xml", "<Types/>");
  WriteFile(root / "_rels/.rels", "<r/>");
  WriteFile(root / "xl/worksheets/sheet1.xml", std::string(100000, 'x'));
  WriteFile(root / "xl/a.xml", "");
  WriteFile(root / "docProps/app.xml", "app");
  WriteFile(root / "B.xml", "b");
  TBaseArchiveClass archive(root);
  archive.SetOutputFileName(dir_ / "out" / "nested" / "book.zip");
  archive.CreateArchive();
  const fs::path zip = dir_ / "out/nested/book.zip";
  EXPECT_EQ(test::RunCommand("unzip -tq " + test::ShellQuote(zip.string()) + " >/dev/null"), 0);
  EXPECT_EQ(test::ZipEntries(zip), (std::vector<std::string>{"B.xml", "docProps/app.xml", "xl/a.xml", "xl/worksheets/sheet1.xml",
                                                             "[Content_Types].xml", "_rels/.rels"}));
  EXPECT_EQ(test::ZipPart(zip, "xl/worksheets/sheet1.xml"), std::string(100000, 'x'));
  EXPECT_EQ(test::ZipPart(zip, "xl/a.xml"), "");
  // Nothing but the archive is left in its folder.
  EXPECT_EQ(test::FolderEntries(dir_ / "out/nested"), std::vector<std::string>{"book.zip"});
  struct stat st {};
  ASSERT_EQ(::stat(zip.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IRGRP, 0u) << "the archive takes the usual permissions, not a temporary file's";
}

TEST_F(ArchiveTest, StoredFirstAndPartsWithALateHeadForPackagesThatNeedThem) {
  const fs::path root = dir_ / "package";
  WriteFile(root / "mimetype", "application/x-test");
  WriteFile(root / "content.xml", "<c/>");
  TDeflatedPart strings(dir_ / "strings.deflated", 9, TDeflatedPart::TMode::InWorker);
  strings.Write("<si>1</si></sst>");
  strings.Finish();
  strings.PrependHead("<sst count=\"1\">");
  TBaseArchiveClass archive(root);
  archive.StoredFirst = {"mimetype"};
  archive.DeflatedParts.push_back({"xl/sharedStrings.xml", &strings});
  archive.SetOutputFileName(dir_ / "p.zip");
  archive.CreateArchive();
  EXPECT_EQ(test::ZipEntries(dir_ / "p.zip"),
            (std::vector<std::string>{"mimetype", "content.xml", "xl/sharedStrings.xml"}));
  EXPECT_EQ(test::ZipPart(dir_ / "p.zip", "xl/sharedStrings.xml"), "<sst count=\"1\"><si>1</si></sst>");
  std::string listing;
  test::RunCommand("unzip -Zv " + test::ShellQuote((dir_ / "p.zip").string()) + " mimetype", &listing);
  EXPECT_NE(listing.find("compression method:                             none (stored)"), std::string::npos) << listing;
}

TEST_F(ArchiveTest, PartsCompressedAheadTakeTheirPlaceInTheFolderOrWaitForTheEnd) {
  const fs::path root = dir_ / "package";
  WriteFile(root / "word/a.xml", "a");
  WriteFile(root / "word/z.xml", "z");
  WriteFile(root / "word/_rels/r.xml", "r");
  auto deflated = [&](const std::string& name, const std::string& bytes) {
    auto part = std::make_unique<TDeflatedPart>(dir_ / (name + ".deflated"), 9, TDeflatedPart::TMode::InCaller);
    part->Write(bytes);
    part->Finish();
    return part;
  };
  const auto document = deflated("document", "<w:document/>");
  const auto late = deflated("late", "<late/>");
  const auto missingFolder = deflated("missing", "<m/>");
  TBaseArchiveClass archive(root);
  archive.DeflatedParts.push_back({"late.xml", late.get()});
  archive.DeflatedParts.push_back({"word/Document.xml", document.get(), true});
  archive.DeflatedParts.push_back({"nowhere/m.xml", missingFolder.get(), true});
  archive.SetOutputFileName(dir_ / "p.zip");
  archive.CreateArchive();
  EXPECT_EQ(test::ZipEntries(dir_ / "p.zip"),
            (std::vector<std::string>{"word/a.xml", "word/Document.xml", "word/z.xml", "word/_rels/r.xml", "late.xml",
                                      "nowhere/m.xml"}));
  EXPECT_EQ(test::ZipPart(dir_ / "p.zip", "word/Document.xml"), "<w:document/>");
  EXPECT_EQ(test::RunCommand("unzip -tq " + test::ShellQuote((dir_ / "p.zip").string()) + " >/dev/null"), 0);
}

TEST_F(ArchiveTest, FailuresRaiseAndLeaveNoHalfWrittenTarget) {
  const fs::path root = dir_ / "package";
  WriteFile(root / "a.xml", "a");
  WriteFile(dir_ / "old.zip", "earlier content");
  {
    TDeflatedPart unfinished(dir_ / "package-b.deflated", 9, TDeflatedPart::TMode::InCaller);
    unfinished.Write("<b/>");
    TBaseArchiveClass archive(root);
    archive.DeflatedParts.push_back({"b.xml", &unfinished});
    archive.SetOutputFileName(dir_ / "old.zip");
    EXPECT_THROW(archive.CreateArchive(), Exception);
  }
  EXPECT_EQ(test::FolderEntries(dir_), (std::vector<std::string>{"old.zip", "package"}));
  std::ifstream old(dir_ / "old.zip");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "earlier content");

  // A target folder that cannot be created gives message 34025.
  WriteFile(dir_ / "file", "x");
  TBaseArchiveClass archive(root);
  archive.SetOutputFileName(dir_ / "file" / "sub" / "out.zip");
  try {
    archive.CreateArchive();
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("dizin bulunamadı ve dosya oluşturulamadı"), std::string::npos)
        << error.what();
  }
}

TEST_F(ArchiveTest, ZipWriterRefusesMisuseInsteadOfWritingABrokenArchive) {
  TMiniZip zip(dir_ / "z.zip");
  EXPECT_THROW(zip.AddFile(dir_ / "missing", "m"), Exception);
  TDeflatedPart unfinished(dir_ / "u.deflated", 9, TDeflatedPart::TMode::InCaller);
  unfinished.Write("<a/>");
  EXPECT_THROW(zip.AddDeflated("u.xml", 0, unfinished), Exception);
  zip.Close();
  WriteFile(dir_ / "a.xml", "<a/>");
  EXPECT_THROW(zip.AddFile(dir_ / "a.xml", "a.xml"), Exception) << "the archive is closed";
  EXPECT_THROW(TMiniZip(dir_ / "no-such-folder" / "z.zip"), Exception);
}

TEST_F(ArchiveTest, StagingFolderIsPrivatePerRunAndGoesAwayWithItsContent) {
  test::TemporaryDirectoryOverride tmp(dir_);
  fs::path first, second;
  {
    TStagingFolder a, b;
    first = a.Path();
    second = b.Path();
    EXPECT_NE(first, second);
    EXPECT_EQ(first.parent_path(), dir_);
    const fs::path sub = a.CreateSubFolder("xl/worksheets");
    WriteFile(sub / "sheet1.xml", "x");
    struct stat st {};
    ASSERT_EQ(::stat(first.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u) << "only the owner may look into a staging folder";
  }
  EXPECT_FALSE(fs::exists(first));
  EXPECT_FALSE(fs::exists(second));
  EXPECT_TRUE(test::FolderEntries(dir_).empty());
}

TEST_F(ArchiveTest, StagingFolderThatCannotBeCreatedGivesTheFolderMessage) {
  test::TemporaryDirectoryOverride tmp(dir_ / "missing" / "tmp");
  try {
    TStagingFolder staging;
    FAIL() << "created " << staging.Path();
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("dizin bulunamadı"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace verimo
