#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/LossTally.h"
#include "core/NonCopyable.h"
#include "core/WideString.h"

namespace verimo {

class TCodePageEncoder;
class TSingleByteCodePage;
class TTesselColumns;
class TTesselRow;
class TTesselCol;
class TField;
struct TTesselRecordSnapshot;

// Characters a format cannot take at all, whatever the encoding.
enum class TForbiddenCharacters : uint8_t {
  None,
  Nul,             // SQL literals
  MarkupControls,  // XML and HTML: the C0 controls but TAB, CR and LF; U+FFFE, U+FFFF; lone surrogates
};

// Whether the format leaves the (non-surrogate) character out.
bool IsForbiddenCharacter(char16_t ch, TForbiddenCharacters rule);
// The characters of `text` the format leaves out, lone surrogates included
// for markup.
size_t CountForbiddenCharacters(WideStringView text, TForbiddenCharacters rule);

// What the output of a run can hold of the texts of its values.
struct TTesselTextLimits {
  // The code page the values are written in; 0 when every character is
  // kept (Unicode output, or character references for the others).
  int codePage = 0;
  TForbiddenCharacters forbidden = TForbiddenCharacters::None;
  // Names the format in the report of forbidden characters ("XML").
  WideString formatName;
  // The most UTF-16 units a cell of the format holds; 0 when a cell holds
  // any text.
  size_t maxTextLength = 0;
};

// Counts, per column, what a run loses of the records it writes: dates
// outside the years 1 to 9999 (read as blank, written as the null text),
// characters the output's code page cannot hold and characters its format
// forbids, texts longer than its cells hold. Columns that can lose nothing cost nothing per record.
class TTesselValueCheck : private TNonCopyable {
 public:
  TTesselValueCheck();
  ~TTesselValueCheck();

  void Plan(const TTesselColumns& columns, const TTesselTextLimits& limits);
  // Counts what the captions lose, as part of their fields'.
  void CheckCaptions(const TTesselColumns& columns, TLossTally& tally);
  // Looks at the cells of the record the run is about to write. A cell
  // `deferred` marks (the format takes it from the source) is checked on
  // the field's stored text; `isNull` says whether a cell is blank. What
  // the check reads of the fields themselves (stored texts, dates out of
  // range) comes from `record` when given (a record read ahead), else from
  // the source's current record.
  void CheckRecord(const TTesselRow& row, const std::vector<uint8_t>* deferred,
                   const std::function<bool(const TTesselCol&, int)>& isNull, TLossTally& tally,
                   const TTesselRecordSnapshot* record = nullptr);

 private:
  struct TColumnCheck {
    int index = 0;
    WideString name;
    const TField* field = nullptr;
    bool dates = false;  // a date field, whose blanks may be dates out of range
    bool texts = false;  // its texts can lose characters
    // The field's stored text is in a single-byte code page, its ASCII
    // bytes ASCII (what formats that take it as it is need).
    bool storedText = false;
    // The stored text's code page, when some of its bytes have no place in
    // the output's code page; nullptr when its bytes lose nothing.
    const TSingleByteCodePage* lossyStoredText = nullptr;
    // Per stored byte: 1 when its character is lost in the output's code
    // page. Set where every byte's character encodes on its own (no
    // normalisation can join it with its neighbours), so that the count
    // of a text is the sum over its bytes.
    std::shared_ptr<const std::array<uint8_t, 256>> lostBytes;
  };
  // The per-byte table of `lossyStoredText`, or nullptr when counts are not
  // additive over the bytes.
  std::shared_ptr<const std::array<uint8_t, 256>> LostBytesOf(const TSingleByteCodePage& stored);
  void CountText(const WideString& name, WideStringView text, TLossTally& tally);
  void CountStoredText(const TColumnCheck& column, std::string_view stored, TLossTally& tally);
  void CountCut(const WideString& name, size_t length, TLossTally& tally);

  std::vector<TColumnCheck> columns_;
  TTesselTextLimits limits_;
  WideString codePageText_;
  std::unique_ptr<TCodePageEncoder> encoder_;
  WideString decoded_;
};

}  // namespace verimo
