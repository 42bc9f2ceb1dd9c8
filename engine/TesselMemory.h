#pragma once

#include "engine/Tessel.h"
#include "platform/clipboard/Clipboard.h"

namespace verimo {

// Exporters whose target is the clipboard: the run writes into memory and
// the text (the bytes read as UTF-16 code units) goes to the clipboard.
class TTesselMemory : public TTessel {
 public:
  TTesselMemory() = default;

  // The clipboard the text goes to; must be set before Execute. Not owned.
  TClipboard* Clipboard = nullptr;

  // Raises verimo::Exception when no clipboard is set; nothing reaches the
  // clipboard when the export fails or was stopped.
  void Execute() override;
};

// The bytes of a UTF-16 little-endian stream as text; a trailing odd byte is
// dropped.
WideString Utf16LEBytesToText(std::string_view bytes);

}  // namespace verimo
