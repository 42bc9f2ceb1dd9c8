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

// NFC first, one "?" for each character the code page cannot hold, whose
// number `lost` receives when given; an unknown code page raises
// verimo::Exception. Single-byte code pages map as Microsoft's tables have
// them; converters are cached per code page; the call is cheap enough to
// be made once per cell.
std::string EncodeToCodePage(WideStringView text, int codePage, size_t* lost = nullptr);
// Bytes the code page does not define become U+FFFD.
WideString DecodeFromCodePage(std::string_view bytes, int codePage);
// The same into `out` (replaced), reusing its storage.
void DecodeFromCodePage(std::string_view bytes, int codePage, WideString& out);

// A single-byte code page as a 256-entry table of the characters its bytes
// stand for, as Microsoft's tables have them (generated from them into
// SingleByteTables.inc); a byte the table leaves undefined is U+FFFD.
class TSingleByteCodePage {
 public:
  // The table of a code page, built on first use and kept for the process;
  // nullptr for multi-byte code pages. An unknown code page raises
  // verimo::Exception.
  static const TSingleByteCodePage* Find(int codePage);

  int CodePage() const { return codePage_; }
  char16_t Decode(uint8_t byte) const { return characters_[byte]; }
  // The byte that stands for `ch`; -1 when none does.
  int Encode(char16_t ch) const;
  // Appends the characters of `bytes` to `out`.
  void AppendDecoded(std::string_view bytes, WideString& out) const;

  TSingleByteCodePage(int codePage, const std::array<char16_t, 256>& characters);

 private:
  struct TEncoding {
    char16_t character;
    uint8_t byte;
  };
  int codePage_;
  std::array<char16_t, 256> characters_;
  std::vector<TEncoding> encodings_;  // by character
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
  // Appends the bytes of `text` to `out`; returns how many characters the
  // code page could not hold (written as "?").
  size_t Append(WideStringView text, std::string& out);
  // How many characters of `text` Append would write as "?".
  size_t CountLost(WideStringView text);

 private:
  friend class TSingleByteTranscoder;
  static constexpr uint16_t kUnknown = 0;
  static constexpr uint16_t kNeedsConverter = 1;
  static constexpr uint16_t kLost = 258;
  uint16_t Learn(char16_t ch);

  int codePage_;
  // Per UTF-16 code unit: kUnknown, kNeedsConverter, kLost (written as
  // "?"), else the byte + 2.
  std::vector<uint16_t> bytes_;
  // Every ASCII character encodes as its own byte.
  bool asciiUnchanged_ = false;
};

// Turns the bytes of a single-byte code page straight into the bytes of an
// output encoding, another single-byte code page or UTF-8 (65001), through
// a table built once: each byte gives what decoding it and encoding the
// character (as TCodePageEncoder does, or as UTF-8) gives. A byte whose
// character the code page's converter must see (normalisation, several
// bytes) has no entry.
class TSingleByteTranscoder {
 public:
  static constexpr int kUtf8 = 65001;
  // The source must be a single-byte code page (TSingleByteCodePage::Find);
  // an unknown code page raises verimo::Exception.
  TSingleByteTranscoder(int sourceCodePage, int targetCodePage);

  int SourceCodePage() const { return source_; }
  int TargetCodePage() const { return target_; }
  // ASCII bytes of the source are the ASCII characters, every other byte a
  // character outside ASCII, and the output writes ASCII as it is:
  // decisions about ASCII characters (quotes, separators, line breaks) can
  // be taken on the source bytes, and ASCII written as bytes.
  bool AsciiTransparent() const { return asciiTransparent_ && asciiCopied_; }
  // Appends the output bytes of `bytes`; false, with nothing appended, when
  // a byte has no entry (the text must be decoded and encoded then).
  bool Append(std::string_view bytes, std::string& out) const;

 private:
  int source_;
  int target_;
  bool asciiTransparent_ = false;
  // ASCII bytes give themselves.
  bool asciiCopied_ = false;
  // Every byte gives itself except a few (compared against sixteen bytes
  // at a time): texts without them are copied as they are.
  bool CopiesUnchanged(std::string_view bytes) const;
  bool copiedExceptListed_ = false;
  std::array<bool, 256> copied_{};
  std::vector<uint8_t> notCopied_;
  std::array<uint8_t, 256> length_{};  // 0: no entry
  std::array<std::array<char, 4>, 256> bytes_{};  // length_ of them used
};

// Whether the code page number has a table or a converter.
bool IsSupportedCodePage(int codePage);
// The code pages that convert through their tables (TSingleByteCodePage).
std::vector<int> SingleByteCodePages();
// The ICU converter name of a code page number ("windows-1254", "ibm-857", "x-mac-turkish"),
// or empty when the number is not known.
std::string CodePageConverterName(int codePage);

}  // namespace verimo
