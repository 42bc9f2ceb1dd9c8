#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tools/mkparadox/CodePageEncoder.h"
#include "tools/mkparadox/SampleContent.h"

struct px_doc;

namespace verimo::tools {

struct TableWriterOptions {
  std::filesystem::path path;  // the .db file; a memo column adds the .mb beside it
  int codePage = 1254;
  std::string password;        // empty: not encrypted
  int keyFields = 0;           // the first fields that form the primary key
};

// Writes generated records into a new Paradox 7 table with pxlib, in the
// columns of SampleColumns. The files it created are removed again unless
// Finish succeeds. Errors throw std::runtime_error.
class ParadoxTableWriter {
 public:
  ParadoxTableWriter(NotesKind notes, TableWriterOptions options);
  ~ParadoxTableWriter();
  ParadoxTableWriter(const ParadoxTableWriter&) = delete;
  ParadoxTableWriter& operator=(const ParadoxTableWriter&) = delete;

  void Append(const SampleRow& row);
  void Finish();

  long ReplacedCharacters() const { return encoder_.ReplacedCount(); }
  // The .mb file, or empty when the table has no memo column.
  const std::filesystem::path& BlobPath() const { return blobPath_; }

 private:
  struct DocDeleter {
    void operator()(px_doc* doc) const;
  };

  bool HasMemo() const;
  void Check(int result, const std::string& what) const;
  void PutAlpha(char* data, const SampleColumn& column, const std::optional<std::string>& text);
  void PutMemo(char* data, const SampleColumn& column, const std::optional<std::string>& text);
  void WriteKeyFieldCount();
  void RemoveFiles() noexcept;

  std::vector<SampleColumn> columns_;
  TableWriterOptions options_;
  std::filesystem::path blobPath_;
  CodePageEncoder encoder_;
  std::string lastError_;
  std::unique_ptr<px_doc, DocDeleter> doc_;
  std::vector<char> record_;
  bool created_ = false;
  bool finished_ = false;
};

}  // namespace verimo::tools
