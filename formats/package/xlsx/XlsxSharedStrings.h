#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "core/WideString.h"
#include "engine/TesselStream.h"

namespace verimo {

class TTesselXMLWriter;

// xl/sharedStrings.xml, streamed: an added text becomes one entry of a
// body file as it comes, unless an equal text is stored already and still
// remembered: the first kMaxRemembered texts of at most
// kMaxRememberedLength units are, so memory stays flat while repeated
// short texts (names, places, codes) are stored once. The head with the
// counts is put in front when the package is zipped.
class TXlsxSharedStrings {
 public:
  explicit TXlsxSharedStrings(const std::filesystem::path& bodyFile);
  ~TXlsxSharedStrings();

  static constexpr size_t kMaxRemembered = 1 << 15;
  static constexpr size_t kMaxRememberedLength = 64;

  // The 0-based index of the entry holding the text.
  int64_t Add(WideStringView text);
  // The texts added (cells referring to an entry).
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
  struct THash {
    using is_transparent = void;
    size_t operator()(WideStringView text) const { return std::hash<WideStringView>{}(text); }
  };
  std::unordered_map<WideString, int64_t, THash, std::equal_to<>> remembered_;
  int64_t count_ = 0;
  int64_t unique_ = 0;
};

}  // namespace verimo
