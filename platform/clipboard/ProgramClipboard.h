#pragma once

#include <string>
#include <vector>

#include "platform/clipboard/Clipboard.h"

namespace verimo {

// The desktop session's clipboard through its command-line tools: wl-copy
// and wl-paste under Wayland, xclip under X11. The copying tool keeps
// offering the text after this process has ended, until another program
// takes the clipboard, which a process without a window of its own cannot.
class TProgramClipboard : public TClipboard {
 public:
  // Throws when there is no desktop session or no tool for it.
  TProgramClipboard();

  void SetText(const WideString& text) override;
  WideString GetText() const override;
  bool HasText() const override { return !GetText().empty(); }

 private:
  std::vector<std::string> copy_;
  std::vector<std::string> paste_;
};

}  // namespace verimo
