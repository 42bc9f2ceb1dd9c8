#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/WideString.h"

namespace verimo {
class TTessel;
}

namespace verimo::test {

using Grid = std::vector<std::vector<WideString>>;
// A spreadsheet cell as a reader should type it: the OpenDocument value
// type, the value in its lexical form and, for a typed value, the number
// format its column shows it with; nullopt for no check.
struct TypedValue {
  std::string Kind;
  std::string Value;
  WideString Format;
};
using TypedCell = std::optional<TypedValue>;
using TypedGrid = std::vector<std::vector<TypedCell>>;

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

// zlib's inflate of a raw deflate stream (window bits -15); fails the
// current test unless the stream is valid and ends exactly at the end of
// `compressed`.
std::string InflateRaw(std::string_view compressed);

// Records what an export writes, as readers of the table should see it:
// the header lines, the caption row, every data row (a null as the null
// text) and the footer lines, each line of a header or footer a row of one
// cell.
class TableRecorder {
 public:
  void Attach(TTessel& exporter);
  Grid Expected(const TTessel& exporter) const;
  // The typed cells in the layout of Expected.
  TypedGrid Values(const TTessel& exporter) const;
  const Grid& DataRows() const { return rows_; }
  // The spreadsheet layout of the OpenDocument exporter: the header and
  // the footer lines each one cell of paragraphs, and the typed cells.
  Grid SheetExpected(const TTessel& exporter) const;
  TypedGrid SheetValues(const TTessel& exporter) const;
  // The text document's table: the caption row and the data rows.
  Grid TableExpected(const TTessel& exporter) const;

 private:
  std::vector<WideString> captions_;
  std::vector<WideString> numberFormats_;
  Grid rows_;
  TypedGrid values_;
};

struct PackageJob {
  std::filesystem::path file;
  std::string format;  // xlsx, docx, ods, odt
  bool libreoffice = true;
  Grid expected;
  int sheets = 1;
  TypedGrid values = {};                   // xlsx, ods
  std::vector<std::vector<WideString>> paragraphs = {};  // odt: before and after the table
  Grid shown = {};                         // xlsx, ods: the texts our CSV export writes
  std::string locale = {};                 // the locale the export ran under (tr_TR, ...)
};

// Runs read_package.py over the jobs; returns its report (empty when every
// reader saw what was expected).
std::string ReadPackages(const std::vector<PackageJob>& jobs, const std::filesystem::path& dir);

bool HaveLibreOffice();

}  // namespace verimo::test
