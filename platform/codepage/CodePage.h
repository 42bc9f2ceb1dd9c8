#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/WideString.h"

namespace verimo {

enum class TSystemCodePage { Ansi, Oem, Mac };

// The system code page numbers: from the user locale (Turkish: 1254 / 857 / 10081 Mac Turkish;
// otherwise 1252 / 437 / 10000 Mac Roman), unless overridden by SetSystemCodePage.
int SystemCodePage(TSystemCodePage which);
// Overrides one system code page for the rest of the process; 0 returns it to the locale's.
// An unknown code page raises verimo::Exception.
void SetSystemCodePage(TSystemCodePage which, int codePage);
// The locale the environment gives for characters (LC_ALL, LC_CTYPE, LANG),
// else ICU's default.
std::string UserCharacterLocale();
// The code page the locale named (an ICU or POSIX name such as "tr_TR.UTF-8") gives.
int LocaleSystemCodePage(TSystemCodePage which, std::string_view localeName);

// NFC first, "?" for what the code page cannot hold; an unknown code page raises verimo::Exception.
// Converters are cached per code page; the call is cheap enough to be made once per cell.
std::string EncodeToCodePage(WideStringView text, int codePage);
// Bytes the code page does not define become U+FFFD.
WideString DecodeFromCodePage(std::string_view bytes, int codePage);
// The same into `out` (replaced), reusing its storage.
void DecodeFromCodePage(std::string_view bytes, int codePage, WideString& out);

// A single-byte code page as a 256-entry table of the characters its bytes
// decode to, built once from the converter; decoding through it gives what
// the converter gives.
class TSingleByteCodePage {
 public:
  // The table of a code page, built on first use and kept for the process;
  // nullptr for multi-byte code pages. An unknown code page raises
  // verimo::Exception.
  static const TSingleByteCodePage* Find(int codePage);

  int CodePage() const { return codePage_; }
  char16_t Decode(uint8_t byte) const { return characters_[byte]; }
  // Appends the characters of `bytes` to `out`.
  void AppendDecoded(std::string_view bytes, WideString& out) const;

  TSingleByteCodePage(int codePage, const std::array<char16_t, 256>& characters)
      : codePage_(codePage), characters_(characters) {}

 private:
  int codePage_;
  std::array<char16_t, 256> characters_;
};

// Copies the leading run of ASCII characters of `text` to `target` as
// bytes; returns its length (target needs room for the whole text).
size_t CopyAsciiPrefix(WideStringView text, char* target);

// Encodes text in one code page exactly as EncodeToCodePage does, but
// learns per character how it encodes: texts made only of characters that
// map to one byte, and that normalisation leaves alone, skip the converter.
// One encoder per writer; it is not shared between threads.
class TCodePageEncoder {
 public:
  explicit TCodePageEncoder(int codePage);
  int CodePage() const { return codePage_; }
  // Appends the bytes of `text` to `out`.
  void Append(WideStringView text, std::string& out);

 private:
  uint16_t Learn(char16_t ch);

  int codePage_;
  // Per UTF-16 code unit: 0 not yet known, 1 needs the converter, else the
  // byte + 2.
  std::vector<uint16_t> bytes_;
  // Every ASCII character encodes as its own byte.
  bool asciiUnchanged_ = false;
};

// Whether the code page number has a converter.
bool IsSupportedCodePage(int codePage);
// The ICU converter name of a code page number ("windows-1254", "ibm-857", "x-mac-turkish"),
// or empty when the number is not known.
std::string CodePageConverterName(int codePage);

}  // namespace verimo
