#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/WideString.h"
#include "engine/TesselStream.h"

namespace verimo {

class TTesselXMLWriter;

// xl/sharedStrings.xml, streamed: every added text becomes one entry of a
// body file as it comes (equal texts are not merged, so nothing is kept in
// memory); the head with the counts is put in front when the package is
// zipped.
class TXlsxSharedStrings {
 public:
  explicit TXlsxSharedStrings(const std::filesystem::path& bodyFile);
  ~TXlsxSharedStrings();

  // Appends the text and returns its 0-based index.
  int64_t Add(WideStringView text);
  int64_t Count() const { return count_; }
  // Flushes and closes the body file.
  void Close();

  const std::filesystem::path& BodyFile() const { return bodyFile_; }
  std::string Head() const;
  static std::string Tail();

 private:
  std::filesystem::path bodyFile_;
  std::unique_ptr<TFileStream> stream_;
  std::unique_ptr<TTesselXMLWriter> xml_;
  int64_t count_ = 0;
};

}  // namespace verimo
