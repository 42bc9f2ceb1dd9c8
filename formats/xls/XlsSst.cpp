#include "formats/xls/XlsSst.h"

#include <vector>

namespace verimo {

namespace {

constexpr uint8_t kUtf16Option = 0x01;

// Fills records of at most 8224 data bytes, the first an SST record, the
// others CONTINUE records. A string that fits into one record but not into
// the room left moves whole into the next record; a longer one is split
// between characters, each continued piece starting with its option byte.
class TsstRecordWriter {
 public:
  explicit TsstRecordWriter(TbiffSink& sink) : sink_(sink) { record_.reserve(biff::kMaxRecordData); }

  void PutCounts(uint32_t total, uint32_t unique) {
    Put32(total);
    Put32(unique);
  }

  void PutString(WideStringView text) {
    const size_t size = 3 + 2 * text.size();
    if (record_.size() + size > biff::kMaxRecordData) Flush();
    Put16(static_cast<uint16_t>(text.size()));
    record_.push_back(kUtf16Option);
    size_t at = 0;
    for (;;) {
      const size_t room = (biff::kMaxRecordData - record_.size()) / 2;
      const size_t count = std::min(room, text.size() - at);
      for (size_t i = 0; i < count; ++i) Put16(static_cast<uint16_t>(text[at + i]));
      at += count;
      if (at == text.size()) break;
      Flush();
      record_.push_back(kUtf16Option);
    }
  }

  void Flush() {
    WriteRecordHeader(sink_, first_ ? biff::kSst : biff::kContinue, static_cast<uint16_t>(record_.size()));
    sink_.WriteBytes(record_.data(), record_.size());
    record_.clear();
    first_ = false;
  }

 private:
  void Put16(uint16_t value) {
    record_.push_back(static_cast<uint8_t>(value & 0xFF));
    record_.push_back(static_cast<uint8_t>(value >> 8));
  }
  void Put32(uint32_t value) {
    Put16(static_cast<uint16_t>(value & 0xFFFF));
    Put16(static_cast<uint16_t>(value >> 16));
  }

  TbiffSink& sink_;
  std::vector<uint8_t> record_;
  bool first_ = true;
};

}  // namespace

uint32_t TsstStrings::AddString(WideStringView text) {
  if (text.size() > kMaxLength) text = text.substr(0, CutText(text, kMaxLength).size());
  ++totalCount_;
  auto found = index_.find(text);
  if (found != index_.end()) return found->second;
  const auto index = static_cast<uint32_t>(strings_.size());
  strings_.emplace_back(text);
  index_.emplace(WideStringView(strings_.back()), index);
  stringBytes_ += 3 + 2 * text.size();
  return index;
}

void TsstStrings::SaveToStream(TbiffSink& sink) const {
  TsstRecordWriter writer(sink);
  writer.PutCounts(totalCount_, UniqueCount());
  for (const WideString& text : strings_) writer.PutString(text);
  writer.Flush();
}

}  // namespace verimo
