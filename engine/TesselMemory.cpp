#include "engine/TesselMemory.h"

#include "engine/TesselStream.h"
#include "core/Exception.h"

namespace verimo {

WideString Utf16LEBytesToText(std::string_view bytes) {
  WideString text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return text;
}

void TTesselMemory::Execute() {
  if (!Clipboard) throw Exception("No clipboard is available for the export");
  TMemoryStream memory;
  ExportToStream(memory);
  // A run the user stopped leaves the clipboard as it was.
  if (Aborted()) return;
  Clipboard->SetText(Utf16LEBytesToText(memory.View()));
}

}  // namespace verimo
