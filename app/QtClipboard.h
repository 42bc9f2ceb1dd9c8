#pragma once

#include "platform/clipboard/Clipboard.h"

namespace verimo {

// The desktop clipboard through QClipboard (needs a QGuiApplication). The
// text stays available for other programs as long as this program runs.
class TQtClipboard : public TClipboard {
 public:
  // A trailing null character (the platform format's terminator) is not
  // part of the text and is dropped.
  void SetText(const WideString& text) override;
  WideString GetText() const override;
  bool HasText() const override;
};

}  // namespace verimo
