#include "formats/package/xlsx/XlsxSharedStrings.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/PackagePart.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {

TXlsxSharedStrings::TXlsxSharedStrings(const std::filesystem::path& bodyFile)
    : bodyFile_(bodyFile),
      stream_(std::make_unique<TFileStream>(bodyFile, TFileStream::TMode::Create)),
      xml_(std::make_unique<TTesselXMLWriter>(*stream_)) {}

TXlsxSharedStrings::~TXlsxSharedStrings() = default;

int64_t TXlsxSharedStrings::Add(WideStringView text) {
  ++count_;
  const bool rememberable = text.size() <= kMaxRememberedLength;
  if (rememberable) {
    const auto found = remembered_.find(text);
    if (found != remembered_.end()) return found->second;
    if (remembered_.size() < kMaxRemembered) remembered_.emplace(text, unique_);
  }
  xml_->WriteRaw(TTesselXMLWriter::NeedsPreserve(text) ? "<si><t xml:space=\"preserve\">" : "<si><t>");
  xml_->WriteText(text);
  xml_->WriteRaw("</t></si>\r\n");
  return unique_++;
}

void TXlsxSharedStrings::Close() {
  if (!xml_) return;
  xml_->Flush();
  xml_.reset();
  stream_->Close();
}

std::string TXlsxSharedStrings::Head() const {
  const WideString count = IntToWide(count_);
  const WideString unique = IntToWide(unique_);
  return WritePartString([&](TTesselXMLWriter& xml) {
    xml.OpenElement("sst", {}, {{"xmlns", ooxml::kSpreadsheetML}, {"count", count}, {"uniqueCount", unique}});
  });
}

std::string TXlsxSharedStrings::Tail() { return "</sst>\r\n"; }

}  // namespace verimo
