#pragma once

#include "core/WideString.h"

namespace verimo {

// The system clipboard, Unicode text format only.
class TClipboard {
 public:
  virtual ~TClipboard() = default;
  // Replaces the clipboard's content with the text (any terminator the
  // platform's format needs is the implementation's business).
  virtual void SetText(const WideString& text) = 0;
  // The clipboard's Unicode text; empty when it holds none.
  virtual WideString GetText() const = 0;
  virtual bool HasText() const = 0;
};

// A clipboard that lives in memory: for tests and for programs without a
// desktop session.
class TMemoryClipboard : public TClipboard {
 public:
  void SetText(const WideString& text) override {
    text_ = text;
    hasText_ = true;
  }
  WideString GetText() const override { return text_; }
  bool HasText() const override { return hasText_; }
  void Clear() {
    text_.clear();
    hasText_ = false;
  }

 private:
  WideString text_;
  bool hasText_ = false;
};

}  // namespace verimo
