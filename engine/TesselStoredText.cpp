#include "engine/TesselStoredText.h"

#include "core/Exception.h"
#include "engine/TesselColumns.h"
#include "engine/TesselReadAhead.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/DataSet.h"

namespace verimo {

int ByteRowCodePage(TTesselOutputEncoding encoding) {
  switch (encoding) {
    case oeAnsi: return SystemCodePage(TSystemCodePage::Ansi);
    case oeOem: return SystemCodePage(TSystemCodePage::Oem);
    case oeMac: return SystemCodePage(TSystemCodePage::Mac);
    case oeUTF8: return TSingleByteTranscoder::kUtf8;
    default: return 0;
  }
}

bool KeepsAsciiAsBytes(int codePage) {
  if (codePage == TSingleByteTranscoder::kUtf8) return true;
  WideString ascii;
  std::string bytes;
  for (char16_t ch = 1; ch < 0x80; ++ch) {
    ascii += ch;
    bytes += static_cast<char>(ch);
  }
  try {
    return EncodeToCodePage(ascii, codePage) == bytes;
  } catch (const Exception&) {
    return false;
  }
}

TTesselStoredText::TTesselStoredText() = default;
TTesselStoredText::~TTesselStoredText() = default;

void TTesselStoredText::Clear() {
  snapshot_ = nullptr;
  planned_.clear();
  entries_.clear();
  any_ = false;
}

void TTesselStoredText::Plan(const TTesselColumns& columns, int targetCodePage, bool enabled) {
  Clear();
  if (!enabled) return;
  if (!columns.Settings().Source.HasFields()) return;
  planned_.assign(static_cast<size_t>(columns.Count()), 0);
  entries_.assign(static_cast<size_t>(columns.Count()), Entry());
  for (int i = 0; i < columns.Count(); ++i) {
    const TField* field = columns[i].Field;
    if (field == nullptr || field->DataType() != ftString) continue;
    const int codePage = field->DataSet().FieldStoredCodePage(field->Index());
    if (codePage == 0) continue;
    const TSingleByteTranscoder* transcoder = nullptr;
    for (const auto& known : transcoders_)
      if (known->SourceCodePage() == codePage && known->TargetCodePage() == targetCodePage) transcoder = known.get();
    if (transcoder == nullptr) {
      transcoders_.push_back(std::make_unique<TSingleByteTranscoder>(codePage, targetCodePage));
      transcoder = transcoders_.back().get();
    }
    if (!transcoder->AsciiTransparent()) continue;
    planned_[static_cast<size_t>(i)] = 1;
    entries_[static_cast<size_t>(i)] = Entry{&field->DataSet(), field->Index(), transcoder};
    any_ = true;
  }
}

std::string_view TTesselStoredText::Text(int column) const {
  if (snapshot_ != nullptr) return snapshot_->StoredText(column);
  return SourceText(column);
}

std::string_view TTesselStoredText::SourceText(int column) const {
  const Entry& entry = entries_[static_cast<size_t>(column)];
  return entry.dataSet->FieldStoredText(entry.field);
}

bool TTesselStoredText::Append(int column, std::string_view bytes, std::string& out) const {
  return entries_[static_cast<size_t>(column)].transcoder->Append(bytes, out);
}

void TTesselStoredText::Decode(int column, std::string_view bytes, WideString& out) const {
  DecodeFromCodePage(bytes, entries_[static_cast<size_t>(column)].transcoder->SourceCodePage(), out);
}

}  // namespace verimo
