#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/MemDataSet.h"

namespace verimo::test {

// An open table of five customers: Id (integer), Name (string), Amount
// (float), Photo (BLOB), Joined (date).
std::unique_ptr<TMemDataSet> MakeCustomers();

// The rows of a delimited file as Python's csv module reads them.
std::vector<std::vector<std::string>> ReadCsvWithPython(const std::filesystem::path& file, char delimiter,
                                                        const std::string& encoding = "latin-1");

// A temporary folder removed again at the end of the scope.
class TTempDir {
 public:
  explicit TTempDir(const std::string& prefix);
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::string ReadFileBytes(const std::filesystem::path& file);

}  // namespace verimo::test
