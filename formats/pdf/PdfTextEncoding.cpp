#include "formats/pdf/PdfTextEncoding.h"

#include "platform/codepage/CodePage.h"

namespace verimo {

TPDFTextEncoding::TPDFTextEncoding(int codePage)
    : codePage_(codePage), bytes_(0x10000, -1), codePageBytes_(0x10000, -1) {
  const TSingleByteCodePage* table = TSingleByteCodePage::Find(codePage);
  for (int byte = 0; byte < 256; ++byte) {
    char16_t ch = 0;
    if (table != nullptr) ch = table->Decode(static_cast<uint8_t>(byte));
    else if (byte < 0x80) ch = static_cast<char16_t>(byte);
    if (ch == 0xFFFD) ch = 0;
    characters_[byte] = ch;
    if (ch == 0 || codePageBytes_[ch] >= 0) continue;
    codePageBytes_[ch] = static_cast<int16_t>(byte);
    if (byte < 0x80 || pdf::HasStandardGlyph(ch)) bytes_[ch] = static_cast<int16_t>(byte);
  }
}

int TPDFTextEncoding::CodePageByteOf(char16_t ch) const { return codePageBytes_[ch]; }

std::vector<std::pair<int, std::string_view>> TPDFTextEncoding::Differences(TPDFBaseEncoding base) const {
  const std::array<char16_t, 256>& baseCharacters = pdf::BaseEncodingCharacters(base);
  std::vector<std::pair<int, std::string_view>> differences;
  for (int byte = 32; byte < 256; ++byte) {
    const char16_t ch = characters_[byte];
    if (ch == 0 || ch == baseCharacters[byte] || bytes_[ch] != byte) continue;
    const std::string_view name = pdf::StandardGlyphName(ch);
    if (!name.empty() && name != pdf::StandardGlyphName(baseCharacters[byte])) differences.emplace_back(byte, name);
  }
  return differences;
}

}  // namespace verimo
