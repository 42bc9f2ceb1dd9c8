#include "tools/mkparadox/CodePageEncoder.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace verimo::tools {
namespace {

// Bytes of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

CodePageEncoder::CodePageEncoder(int codePage)
    : converter_(iconv_open(("CP" + std::to_string(codePage)).c_str(), "UTF-8")) {
  if (converter_ == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error("code page " + std::to_string(codePage) + " is not supported");
}

CodePageEncoder::~CodePageEncoder() { iconv_close(converter_); }

std::string CodePageEncoder::Encode(const std::string& utf8) {
  std::string out(utf8.size() + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* dest = out.data();
  size_t destLeft = out.size();
  iconv(converter_, nullptr, nullptr, nullptr, nullptr);
  while (inLeft > 0) {
    if (iconv(converter_, &in, &inLeft, &dest, &destLeft) != static_cast<size_t>(-1)) break;
    if (errno != EILSEQ && errno != EINVAL)
      throw std::runtime_error("code page conversion failed");
    size_t skip = std::min(inLeft, SequenceLength(static_cast<unsigned char>(*in)));
    in += skip;
    inLeft -= skip;
    // A single-byte code page never needs more bytes than UTF-8 has.
    *dest++ = '?';
    --destLeft;
    ++replaced_;
  }
  out.resize(out.size() - destLeft);
  return out;
}

}  // namespace verimo::tools
