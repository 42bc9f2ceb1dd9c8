#include "core/LossTally.h"

namespace verimo {

void TLossTally::Add(WideStringView field, TLossKind kind, WideStringView detail, int64_t count) {
  if (count == 0) return;
  for (TLoss& loss : losses_) {
    if (loss.kind == kind && loss.field == field && loss.detail == detail) {
      loss.count += count;
      return;
    }
  }
  losses_.push_back({WideString(field), kind, WideString(detail), count});
}

void TLossTally::AddAll(const TLossTally& other) {
  for (const TLoss& loss : other.losses_) Add(loss.field, loss.kind, loss.detail, loss.count);
}

WideString GroupedCount(int64_t count, char16_t separator) {
  const WideString digits = IntToWide(count < 0 ? -count : count);
  WideString grouped = count < 0 ? u"-" : u"";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += digits[i];
  }
  return grouped;
}

}  // namespace verimo
