#include "formats/package/xlsx/XlsxSharedStrings.h"

#include <cstring>

#include "formats/package/BaseArchiveClass.h"
#include "formats/package/DeflatedPart.h"
#include "formats/package/OfficeNamespaces.h"
#include "formats/package/PackagePart.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {
namespace {

// A hash of the text's units taken eight bytes at a time.
uint32_t HashOf(WideStringView text) {
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  uint64_t hash = text.size() * kMultiplier;
  const char16_t* units = text.data();
  size_t left = text.size();
  for (; left >= 4; left -= 4, units += 4) {
    uint64_t word;
    std::memcpy(&word, units, sizeof word);
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  }
  uint64_t word = 0;
  if (left > 0) std::memcpy(&word, units, left * sizeof(char16_t));
  hash = (hash ^ word) * kMultiplier;
  return static_cast<uint32_t>(hash ^ hash >> 32);
}

}  // namespace

TXlsxSharedStrings::TXlsxSharedStrings(const std::filesystem::path& deflatedFile)
    : part_(std::make_unique<TDeflatedPart>(deflatedFile, TBaseArchiveClass::kLevel, TDeflatedPart::TMode::InWorker)),
      xml_(std::make_unique<TTesselXMLWriter>(*part_)),
      slots_(kSlotCount) {}

TXlsxSharedStrings::~TXlsxSharedStrings() = default;

int64_t TXlsxSharedStrings::Add(WideStringView text) {
  ++count_;
  if (text.size() <= kMaxRememberedLength) {
    const uint32_t hash = HashOf(text);
    const uint32_t tag = hash & 0xFFFF0000u;
    size_t slot = hash & (kSlotCount - 1);
    for (; slots_[slot] != 0; slot = (slot + 1) & (kSlotCount - 1)) {
      if ((slots_[slot] & 0xFFFF0000u) != tag) continue;
      const TRemembered& entry = remembered_[(slots_[slot] & 0xFFFFu) - 1];
      if (WideStringView(rememberedUnits_.data() + entry.Offset, entry.Length) == text) return entry.Index;
    }
    if (remembered_.size() < kMaxRemembered) {
      remembered_.push_back({static_cast<uint32_t>(rememberedUnits_.size()), static_cast<uint32_t>(text.size()), unique_});
      rememberedUnits_.insert(rememberedUnits_.end(), text.begin(), text.end());
      slots_[slot] = tag | static_cast<uint32_t>(remembered_.size());
    }
  }
  xml_->WriteRaw(TTesselXMLWriter::NeedsPreserve(text) ? "<si><t xml:space=\"preserve\">" : "<si><t>");
  xml_->WriteText(text);
  xml_->WriteRaw("</t></si>\r\n");
  return unique_++;
}

TDeflatedPart& TXlsxSharedStrings::Complete() {
  xml_->WriteRaw("</sst>\r\n");
  xml_->Flush();
  xml_.reset();
  part_->Finish();
  part_->PrependHead(Head());
  return *part_;
}

std::string TXlsxSharedStrings::Head() const {
  const WideString count = IntToWide(count_);
  const WideString unique = IntToWide(unique_);
  return WritePartString([&](TTesselXMLWriter& xml) {
    xml.OpenElement("sst", {}, {{"xmlns", ooxml::kSpreadsheetML}, {"count", count}, {"uniqueCount", unique}});
  });
}

}  // namespace verimo
