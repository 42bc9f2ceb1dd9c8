#pragma once

#include <cstdint>
#include <vector>

#include "core/WideString.h"

namespace verimo {

// The ways a run can change a value it cannot write as the source has it.
enum class TLossKind : uint8_t {
  DateOutOfRange,      // a date outside the years 1 to 9999, written as empty
  UnwritableCharacter, // a character the output's code page lacks, written as "?" (detail: the code page)
  ForbiddenCharacter,  // a character the output's format forbids, left out (detail: the format)
  NumberTooWide,       // a number wider than its field, written as "*"s (detail: the field's type)
  BlankAsFalse,        // a blank logical stored as false, the target having no blank (detail: the false text)
  TextCut,             // a text longer than its column, cut to its width (detail: the width)
  CellTextCut,         // a text longer than the format's cells hold, cut to their limit (detail: the limit)
  NotFinite,           // a number that is NaN or infinite, written as null where the format has no such number
  LoneSurrogate,       // half of a UTF-16 surrogate pair alone, written as U+FFFD
  UnsettableCharacter, // a character the format's fonts cannot set, written as "?" (detail: the format)
};

// One kind of loss in one field: how often it happened in the run.
struct TLoss {
  WideString field;
  TLossKind kind = TLossKind::DateOutOfRange;
  WideString detail;
  int64_t count = 0;
};

// What a run lost or changed, counted per field and kind, so that it can be
// reported once per field with its count (on stderr, in the progress
// window) and, when the user asks for it, fail the run. Whoever takes the
// lossy step adds to the tally; the front ends read it when the run is over.
class TLossTally {
 public:
  // Counts `count` more (nothing when it is 0).
  void Add(WideStringView field, TLossKind kind, WideStringView detail, int64_t count = 1);
  // Every count of `other` added to this tally.
  void AddAll(const TLossTally& other);
  void Clear() { losses_.clear(); }
  bool Empty() const { return losses_.empty(); }
  // In the order first met.
  const std::vector<TLoss>& Losses() const { return losses_; }

 private:
  std::vector<TLoss> losses_;
};

// A count for a report, its digits grouped by three with `separator`
// ("1,204" or "1.204").
WideString GroupedCount(int64_t count, char16_t separator);

}  // namespace verimo
