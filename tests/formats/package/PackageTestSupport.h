#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/WideString.h"

namespace verimo {
class TTessel;
}

namespace verimo::test {

using Grid = std::vector<std::vector<WideString>>;

// Points the system's temporary directory (TMPDIR) at `dir` for the
// object's lifetime.
class TemporaryDirectoryOverride {
 public:
  explicit TemporaryDirectoryOverride(const std::filesystem::path& dir);
  ~TemporaryDirectoryOverride();

 private:
  std::string previous_;
  bool hadPrevious_;
};

// The entries of `dir` (names only), sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& dir);

// One part of a zip archive as `unzip -p` gives it ("" when missing).
std::string ZipPart(const std::filesystem::path& archive, const std::string& part);
// The entry names of the archive in their stored order.
std::vector<std::string> ZipEntries(const std::filesystem::path& archive);

// Records what an export writes, as readers of the table should see it:
// the header lines, the caption row, every data row (a null as the null
// text) and the footer lines, each line of a header or footer a row of one
// cell.
class TableRecorder {
 public:
  void Attach(TTessel& exporter);
  Grid Expected(const TTessel& exporter) const;
  const Grid& DataRows() const { return rows_; }

 private:
  std::vector<WideString> captions_;
  Grid rows_;
};

struct PackageJob {
  std::filesystem::path file;
  std::string format;  // xlsx, docx
  bool libreoffice = true;
  Grid expected;
  int sheets = 1;
};

// Runs read_package.py over the jobs; returns its report (empty when every
// reader saw what was expected).
std::string ReadPackages(const std::vector<PackageJob>& jobs, const std::filesystem::path& dir);

bool HaveLibreOffice();

}  // namespace verimo::test
