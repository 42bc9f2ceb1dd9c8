#include "platform/codepage/CodePage.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/uloc.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/Exception.h"

namespace verimo {

namespace {

#include "platform/codepage/SingleByteTables.inc"

// The length of the text's leading run of ASCII units.
size_t SkipAsciiUnits(WideStringView text) {
  size_t at = 0;
#ifdef __SSE2__
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  for (; at + 8 <= text.size(); at += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, high), _mm_setzero_si128())) != 0xFFFF) break;
  }
#endif
  while (at < text.size() && text[at] < 0x80) ++at;
  return at;
}

struct CodePageName {
  int number;
  const char* icuName;
};

// Code pages of the ANSI, OEM and Mac families and of the Paradox language
// drivers, with the ICU converter of the same name (the single-byte ones
// convert through their tables, kSingleByteTables).
constexpr CodePageName kCodePageNames[] = {
    {437, "ibm-437"},           {737, "ibm-737"},
    {775, "ibm-775"},           {850, "ibm-850"},
    {852, "ibm-852"},           {855, "ibm-855"},
    {857, "ibm-857"},           {858, "ibm-858"},
    {860, "ibm-860"},           {861, "ibm-861"},
    {862, "ibm-862"},           {863, "ibm-863"},
    {864, "ibm-864"},           {865, "ibm-865"},
    {866, "ibm-866"},           {869, "ibm-869"},
    {874, "windows-874"},       {932, "windows-932"},
    {936, "windows-936"},       {949, "windows-949"},
    {950, "windows-950"},       {1051, "hp-roman8"},
    {1250, "windows-1250"},     {1251, "windows-1251"},
    {1252, "windows-1252"},     {1253, "windows-1253"},
    {1254, "windows-1254"},     {1255, "windows-1255"},
    {1256, "windows-1256"},     {1257, "windows-1257"},
    {1258, "windows-1258"},     {10000, "macintosh"},
    {10006, "x-mac-greek"},     {10007, "x-mac-cyrillic"},
    {10029, "x-mac-centraleurroman"}, {10081, "x-mac-turkish"},
    {20127, "us-ascii"},        {28591, "iso-8859-1"},
    {28592, "iso-8859-2"},      {28595, "iso-8859-5"},
    {28597, "iso-8859-7"},      {28599, "iso-8859-9"},
    {28605, "iso-8859-15"},     {65001, "utf-8"},
};

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Bytes a code page leaves undefined decode to U+FFFD, whatever the
// converter's own substitution character is.
void ReplacementCharacterCallback(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                                  UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) return;
  *status = U_ZERO_ERROR;
  const UChar replacement = 0xFFFD;
  ucnv_cbToUWriteUChars(args, &replacement, 1, 0, status);
}

// Characters the code page cannot hold become its "?" and are counted in
// the size_t the context points to.
void CountingSubstituteCallback(const void* context, UConverterFromUnicodeArgs* args, const UChar* units,
                                int32_t length, UChar32 codePoint, UConverterCallbackReason reason,
                                UErrorCode* status) {
  if (reason <= UCNV_IRREGULAR && context != nullptr) ++*static_cast<size_t*>(const_cast<void*>(context));
  UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, units, length, codePoint, reason, status);
}

ConverterPtr OpenConverter(int codePage) {
  std::string name = CodePageConverterName(codePage);
  if (name.empty()) throw Exception("Unknown code page " + std::to_string(codePage));
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(name.c_str(), &status));
  if (U_FAILURE(status) || !converter)
    throw Exception("Code page " + std::to_string(codePage) + " (" + name +
                    ") is not available: " + u_errorName(status));
  status = U_ZERO_ERROR;
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  status = U_ZERO_ERROR;
  ucnv_setToUCallBack(converter.get(), ReplacementCharacterCallback, nullptr, nullptr, nullptr,
                      &status);
  return converter;
}

// ICU converters keep conversion state and are not shareable between
// threads, so each thread keeps its own, one per code page.
UConverter& CachedConverter(int codePage) {
  thread_local std::map<int, ConverterPtr> converters;
  auto found = converters.find(codePage);
  if (found == converters.end()) found = converters.emplace(codePage, OpenConverter(codePage)).first;
  ucnv_reset(found->second.get());
  return *found->second;
}

struct SystemCodePageOverrides {
  std::mutex mutex;
  std::array<int, 3> codePages{};  // 0: take the locale's
};

SystemCodePageOverrides& Overrides() {
  static SystemCodePageOverrides overrides;
  return overrides;
}

std::string UserLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  return uloc_getDefault();
}

bool IsTurkishLocale(std::string_view localeName) {
  std::string_view language = localeName.substr(0, localeName.find_first_of("_-.@"));
  return language == "tr" || language == "TR";
}

icu::UnicodeString ComposedText(WideStringView text) {
  icu::UnicodeString source(false, reinterpret_cast<const UChar*>(text.data()),
                       static_cast<int32_t>(text.size()));
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) throw Exception("Unicode normalisation data is not available");
  if (nfc->isNormalized(source, status) && U_SUCCESS(status)) return source;
  status = U_ZERO_ERROR;
  icu::UnicodeString composed = nfc->normalize(source, status);
  if (U_FAILURE(status)) throw Exception("Text could not be normalised");
  return composed;
}

}  // namespace

std::string CodePageConverterName(int codePage) {
  for (const CodePageName& entry : kCodePageNames)
    if (entry.number == codePage) return entry.icuName;
  return {};
}

bool IsSupportedCodePage(int codePage) {
  if (CodePageConverterName(codePage).empty()) return false;
  try {
    TSingleByteCodePage::Find(codePage);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

std::vector<int> SingleByteCodePages() {
  std::vector<int> codePages;
  for (const TSingleByteTableData& data : kSingleByteTables) codePages.push_back(data.codePage);
  return codePages;
}

int LocaleSystemCodePage(TSystemCodePage which, std::string_view localeName) {
  bool turkish = IsTurkishLocale(localeName);
  switch (which) {
    case TSystemCodePage::Ansi: return turkish ? 1254 : 1252;
    case TSystemCodePage::Oem: return turkish ? 857 : 437;
    case TSystemCodePage::Mac: return turkish ? 10081 : 10000;
  }
  return 1252;
}

int SystemCodePage(TSystemCodePage which) {
  SystemCodePageOverrides& overrides = Overrides();
  {
    std::lock_guard lock(overrides.mutex);
    int codePage = overrides.codePages[static_cast<size_t>(which)];
    if (codePage != 0) return codePage;
  }
  return LocaleSystemCodePage(which, UserLocaleName());
}

void SetSystemCodePage(TSystemCodePage which, int codePage) {
  if (codePage != 0 && CodePageConverterName(codePage).empty())
    throw Exception("Unknown code page " + std::to_string(codePage));
  SystemCodePageOverrides& overrides = Overrides();
  std::lock_guard lock(overrides.mutex);
  overrides.codePages[static_cast<size_t>(which)] = codePage;
}

namespace {

std::string EncodeWithConverter(const icu::UnicodeString& composed, int codePage, size_t& lost) {
  UConverter& converter = CachedConverter(codePage);
  int32_t capacity = UCNV_GET_MAX_BYTES_FOR_STRING(composed.length(), ucnv_getMaxCharSize(&converter));
  std::string out(static_cast<size_t>(capacity), '\0');
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setFromUCallBack(&converter, CountingSubstituteCallback, &lost, nullptr, nullptr, &status);
  status = U_ZERO_ERROR;
  int32_t length = ucnv_fromUChars(&converter, out.data(), capacity, composed.getBuffer(),
                                   composed.length(), &status);
  UErrorCode reset = U_ZERO_ERROR;
  ucnv_setFromUCallBack(&converter, CountingSubstituteCallback, nullptr, nullptr, nullptr, &reset);
  if (U_FAILURE(status))
    throw Exception("Text could not be converted to code page " + std::to_string(codePage) + ": " +
                    u_errorName(status));
  out.resize(static_cast<size_t>(length));
  return out;
}

// One "?" for each character the table lacks: a BMP character, a pair of
// surrogates or a lone one.
std::string EncodeWithTable(const icu::UnicodeString& composed, const TSingleByteCodePage& table, size_t& lost) {
  const UChar* units = composed.getBuffer();
  const int32_t count = composed.length();
  std::string out;
  out.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const char16_t ch = units[i];
    const int byte = U16_IS_SURROGATE(ch) ? -1 : table.Encode(ch);
    if (byte >= 0) {
      out += static_cast<char>(byte);
      continue;
    }
    if (U16_IS_LEAD(ch) && i + 1 < count && U16_IS_TRAIL(units[i + 1])) ++i;
    out += '?';
    ++lost;
  }
  return out;
}

}  // namespace

std::string EncodeToCodePage(WideStringView text, int codePage, size_t* lost) {
  const TSingleByteCodePage* table = TSingleByteCodePage::Find(codePage);
  size_t replaced = 0;
  std::string out;
  if (!text.empty()) {
    const icu::UnicodeString composed = ComposedText(text);
    out = table != nullptr ? EncodeWithTable(composed, *table, replaced) : EncodeWithConverter(composed, codePage, replaced);
  }
  if (lost != nullptr) *lost = replaced;
  return out;
}

namespace {

WideString DecodeWithConverter(std::string_view bytes, int codePage) {
  UConverter& converter = CachedConverter(codePage);
  if (bytes.empty()) return {};
  // Every byte gives at most two UTF-16 units, even in multi-byte code pages.
  int32_t capacity = static_cast<int32_t>(bytes.size()) * 2 + 2;
  WideString out(static_cast<size_t>(capacity), u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = ucnv_toUChars(&converter, reinterpret_cast<UChar*>(out.data()), capacity,
                                 bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status))
    throw Exception("Text could not be decoded from code page " + std::to_string(codePage) + ": " +
                    u_errorName(status));
  out.resize(static_cast<size_t>(length));
  return out;
}

}  // namespace

namespace {

// From the generated tables; nothing for a multi-byte code page, an
// exception for an unknown one.
std::unique_ptr<TSingleByteCodePage> BuildSingleByteTable(int codePage) {
  for (const TSingleByteTableData& data : kSingleByteTables) {
    if (data.codePage != codePage) continue;
    std::array<char16_t, 256> characters{};
    std::copy(std::begin(data.characters), std::end(data.characters), characters.begin());
    return std::make_unique<TSingleByteCodePage>(codePage, characters);
  }
  CachedConverter(codePage);
  return nullptr;
}

struct SingleByteTables {
  std::mutex mutex;
  // nullptr entries remember multi-byte code pages.
  std::map<int, std::unique_ptr<TSingleByteCodePage>> tables;
};

SingleByteTables& Tables() {
  static SingleByteTables tables;
  return tables;
}

}  // namespace

const TSingleByteCodePage* TSingleByteCodePage::Find(int codePage) {
  SingleByteTables& tables = Tables();
  std::lock_guard lock(tables.mutex);
  auto found = tables.tables.find(codePage);
  if (found == tables.tables.end()) found = tables.tables.emplace(codePage, BuildSingleByteTable(codePage)).first;
  return found->second.get();
}

TSingleByteCodePage::TSingleByteCodePage(int codePage, const std::array<char16_t, 256>& characters)
    : codePage_(codePage), characters_(characters) {
  for (int byte = 0; byte < 256; ++byte) {
    const char16_t ch = characters_[static_cast<size_t>(byte)];
    if (ch != 0xFFFD) encodings_.push_back({ch, static_cast<uint8_t>(byte)});
  }
  std::sort(encodings_.begin(), encodings_.end(),
            [](const TEncoding& a, const TEncoding& b) { return a.character < b.character; });
}

int TSingleByteCodePage::Encode(char16_t ch) const {
  if (ch < 0x80 && characters_[ch] == ch) return ch;
  const auto found = std::lower_bound(encodings_.begin(), encodings_.end(), ch,
                                      [](const TEncoding& entry, char16_t wanted) { return entry.character < wanted; });
  return found != encodings_.end() && found->character == ch ? found->byte : -1;
}

void TSingleByteCodePage::AppendDecoded(std::string_view bytes, WideString& out) const {
  const size_t start = out.size();
  out.resize(start + bytes.size());
  char16_t* target = out.data() + start;
  for (const char byte : bytes) *target++ = characters_[static_cast<uint8_t>(byte)];
}

WideString DecodeFromCodePage(std::string_view bytes, int codePage) {
  WideString out;
  DecodeFromCodePage(bytes, codePage, out);
  return out;
}

void DecodeFromCodePage(std::string_view bytes, int codePage, WideString& out) {
  if (const TSingleByteCodePage* table = TSingleByteCodePage::Find(codePage)) {
    out.clear();
    table->AppendDecoded(bytes, out);
    return;
  }
  out = DecodeWithConverter(bytes, codePage);
}

size_t CopyAsciiPrefix(WideStringView text, char* target) {
  const char16_t* const begin = text.data();
  const char16_t* const end = begin + text.size();
  const char16_t* p = begin;
#ifdef __SSE2__
  // Sixteen, then eight at a time while they are all ASCII.
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  while (end - p >= 16) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(_mm_or_si128(first, second), high), zero)) != 0xFFFF) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target), _mm_packus_epi16(first, second));
    p += 16;
    target += 16;
  }
  while (end - p >= 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, high), zero)) != 0xFFFF) break;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(target), _mm_packus_epi16(units, units));
    p += 8;
    target += 8;
  }
#else
  // Four at a time while they are all ASCII.
  while (end - p >= 4) {
    uint64_t units;
    std::memcpy(&units, p, sizeof units);
    if ((units & 0xFF80FF80FF80FF80ull) != 0) break;
    for (int i = 0; i < 4; ++i) target[i] = static_cast<char>(p[i]);
    p += 4;
    target += 4;
  }
#endif
  while (p < end && *p < 0x80) *target++ = static_cast<char>(*p++);
  return static_cast<size_t>(p - begin);
}

TCodePageEncoder::TCodePageEncoder(int codePage) : codePage_(codePage), bytes_(0x10000, 0) {
  TSingleByteCodePage::Find(codePage);  // an unknown code page fails here, not at the first text
  asciiUnchanged_ = true;
  for (char16_t ch = 0; ch < 0x80; ++ch) asciiUnchanged_ = asciiUnchanged_ && Learn(ch) == ch + 2;
}

uint16_t TCodePageEncoder::Learn(char16_t ch) {
  // A text whose characters all pass NFC unchanged and do not combine is
  // normalised already, so it encodes character by character. Halves of
  // surrogate pairs and characters NFC may change leave the text to the
  // converter.
  const bool inert = !U16_IS_SURROGATE(ch) && u_getCombiningClass(ch) == 0 &&
                     u_getIntPropertyValue(ch, UCHAR_NFC_QUICK_CHECK) == UNORM_YES;
  size_t lost = 0;
  const std::string encoded = inert ? EncodeToCodePage(WideString(1, ch), codePage_, &lost) : std::string();
  if (!inert || encoded.size() != 1)
    bytes_[ch] = kNeedsConverter;
  else
    bytes_[ch] = lost != 0 ? kLost : static_cast<uint16_t>(static_cast<unsigned char>(encoded[0]) + 2);
  return bytes_[ch];
}

size_t TCodePageEncoder::Append(WideStringView text, std::string& out) {
  const size_t start = out.size();
  out.resize(start + text.size());
  char* target = out.data() + start;
  const uint16_t* table = bytes_.data();  // Learn fills entries, the table stays where it is
  size_t lost = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (asciiUnchanged_ && text[i] < 0x80) {
      const size_t run = CopyAsciiPrefix(text.substr(i), target);
      target += run;
      i += run - 1;
      continue;
    }
    const char16_t ch = text[i];
    uint16_t known = table[ch];
    if (known == kUnknown) known = Learn(ch);
    if (known == kNeedsConverter) {
      out.resize(start);
      out += EncodeToCodePage(text, codePage_, &lost);
      return lost;
    }
    if (known == kLost) {
      *target++ = '?';
      ++lost;
      continue;
    }
    *target++ = static_cast<char>(known - 2);
  }
  return lost;
}

size_t TCodePageEncoder::CountLost(WideStringView text) {
  size_t lost = 0;
  for (size_t i = asciiUnchanged_ ? SkipAsciiUnits(text) : 0; i < text.size(); ++i) {
    const char16_t ch = text[i];
    if (asciiUnchanged_ && ch < 0x80) continue;
    uint16_t known = bytes_[ch];
    if (known == kUnknown) known = Learn(ch);
    if (known == kNeedsConverter) {
      EncodeToCodePage(text, codePage_, &lost);
      return lost;
    }
    if (known == kLost) ++lost;
  }
  return lost;
}

TSingleByteTranscoder::TSingleByteTranscoder(int sourceCodePage, int targetCodePage)
    : source_(sourceCodePage), target_(targetCodePage) {
  const TSingleByteCodePage* table = TSingleByteCodePage::Find(sourceCodePage);
  if (table == nullptr) throw Exception("Code page " + std::to_string(sourceCodePage) + " is not a single-byte code page");
  std::unique_ptr<TCodePageEncoder> encoder;
  if (targetCodePage != kUtf8) encoder = std::make_unique<TCodePageEncoder>(targetCodePage);
  asciiTransparent_ = true;
  asciiCopied_ = true;
  for (int byte = 0; byte < 256; ++byte) {
    const char16_t ch = table->Decode(static_cast<uint8_t>(byte));
    asciiTransparent_ = asciiTransparent_ && (byte < 0x80 ? ch == byte : ch >= 0x80);
    std::string encoded;
    if (encoder) {
      // One character that the encoder writes without the converter.
      const auto& learned = encoder->bytes_;
      uint16_t known = learned[ch];
      if (known == TCodePageEncoder::kUnknown) known = encoder->Learn(ch);
      if (known == TCodePageEncoder::kLost)
        encoded.push_back('?');
      else if (known != TCodePageEncoder::kNeedsConverter)
        encoded.push_back(static_cast<char>(known - 2));
    } else if (!U16_IS_SURROGATE(ch)) {
      char utf8[3];
      const char* end = utf8;
      if (ch < 0x80) {
        utf8[0] = static_cast<char>(ch);
        end = utf8 + 1;
      } else if (ch < 0x800) {
        utf8[0] = static_cast<char>(0xC0 | (ch >> 6));
        utf8[1] = static_cast<char>(0x80 | (ch & 0x3F));
        end = utf8 + 2;
      } else {
        utf8[0] = static_cast<char>(0xE0 | (ch >> 12));
        utf8[1] = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        utf8[2] = static_cast<char>(0x80 | (ch & 0x3F));
        end = utf8 + 3;
      }
      encoded.assign(utf8, static_cast<size_t>(end - utf8));
    }
    length_[static_cast<size_t>(byte)] = static_cast<uint8_t>(encoded.size());
    std::copy(encoded.begin(), encoded.end(), bytes_[static_cast<size_t>(byte)].begin());
    const bool copied = encoded.size() == 1 && encoded[0] == static_cast<char>(byte);
    if (byte < 0x80) asciiCopied_ = asciiCopied_ && copied;
    copied_[static_cast<size_t>(byte)] = copied;
    if (!copied) notCopied_.push_back(static_cast<uint8_t>(byte));
  }
  copiedExceptListed_ = asciiCopied_ && notCopied_.size() <= 16;
}

bool TSingleByteTranscoder::CopiesUnchanged(std::string_view bytes) const {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto* const end = p + bytes.size();
#ifdef __SSE2__
  for (; end - p >= 16; p += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if (_mm_movemask_epi8(chunk) == 0) continue;
    __m128i hits = _mm_setzero_si128();
    for (const uint8_t byte : notCopied_)
      hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(static_cast<char>(byte))));
    if (_mm_movemask_epi8(hits) != 0) return false;
  }
#endif
  for (; p < end; ++p)
    if (!copied_[*p]) return false;
  return true;
}

bool TSingleByteTranscoder::Append(std::string_view bytes, std::string& out) const {
  const size_t start = out.size();
  if (copiedExceptListed_ && CopiesUnchanged(bytes)) {
    out.append(bytes);
    return true;
  }
  // Three bytes per byte at most; one more for the four-byte stores.
  out.resize(start + 3 * bytes.size() + 1);
  char* target = out.data() + start;
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto* const end = p + bytes.size();
  while (p < end) {
#ifdef __SSE2__
    if (asciiCopied_ && end - p >= 16) {
      // The ASCII bytes before the first other one of sixteen are copied as
      // they are (the whole chunk is stored; what follows them is overwritten).
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(target), chunk);
      const unsigned others = static_cast<unsigned>(_mm_movemask_epi8(chunk));
      if (others == 0) {
        p += 16;
        target += 16;
        continue;
      }
      const int ascii = __builtin_ctz(others);
      p += ascii;
      target += ascii;
    }
#endif
    const uint8_t length = length_[*p];
    if (length == 0) {
      out.resize(start);
      return false;
    }
    std::memcpy(target, &bytes_[*p], 4);
    target += length;
    ++p;
  }
  out.resize(static_cast<size_t>(target - out.data()));
  return true;
}

std::string UserCharacterLocale() { return UserLocaleName(); }

}  // namespace verimo
