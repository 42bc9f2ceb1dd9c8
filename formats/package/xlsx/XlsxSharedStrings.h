#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/WideString.h"

namespace verimo {

class TDeflatedPart;
class TTesselXMLWriter;

// xl/sharedStrings.xml, streamed: an added text becomes one entry of a
// body file as it comes, unless an equal text is stored already and still
// remembered: the first kMaxRemembered texts of at most
// kMaxRememberedLength units are, so memory stays flat while repeated
// short texts (names, places, codes) are stored once. The entries are
// compressed as they come (TDeflatedPart); the head with the counts is put
// in front once they are all known.
class TXlsxSharedStrings {
 public:
  // `deflatedFile`: where the compressed part is kept until it is zipped.
  explicit TXlsxSharedStrings(const std::filesystem::path& deflatedFile);
  ~TXlsxSharedStrings();

  static constexpr size_t kMaxRemembered = 1 << 15;
  static constexpr size_t kMaxRememberedLength = 64;

  // The 0-based index of the entry holding the text.
  int64_t Add(WideStringView text);
  // The texts added (cells referring to an entry).
  int64_t Count() const { return count_; }
  // Writes the tail, finishes the compressed part, puts the head in front
  // and returns the part.
  TDeflatedPart& Complete();

 private:
  std::string Head() const;

  std::unique_ptr<TDeflatedPart> part_;
  std::unique_ptr<TTesselXMLWriter> xml_;
  // The remembered texts: their units one after another, and a table of
  // twice as many slots as texts may be remembered, each free (0) or the
  // high half of the text's hash (high half) and its number from 1 (low
  // half), found by probing on from the slot the hash's low bits name.
  struct TRemembered {
    uint32_t Offset = 0;
    uint32_t Length = 0;
    int64_t Index = 0;
  };
  static constexpr size_t kSlotCount = 2 * kMaxRemembered;
  static_assert(kMaxRemembered <= 0xFFFF);
  std::vector<char16_t> rememberedUnits_;
  std::vector<TRemembered> remembered_;
  std::vector<uint32_t> slots_;
  int64_t count_ = 0;
  int64_t unique_ = 0;
};

}  // namespace verimo
