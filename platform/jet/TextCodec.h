#pragma once

#include <span>

#include "core/WideString.h"
#include "platform/jet/JetFormat.h"

namespace verimo::jet {

// Texts longer than this are never stored in the compressed form.
constexpr size_t kMaxCompressibleLength = 1024;

// UTF-16LE, or Jet 4's compressed form (FF FE, then runs of one-byte
// characters and two-byte characters separated by 00) when `compress` is
// set and that form is shorter and unambiguous.
ByteVector EncodeText(WideStringView text, bool compress);
// The same bytes, appended to `out`.
void AppendText(WideStringView text, bool compress, ByteVector& out);
WideString DecodeText(std::span<const uint8_t> bytes);

}  // namespace verimo::jet
