#include "engine/TesselWriter.h"

#include <algorithm>
#include <typeinfo>

#include "engine/Tessel.h"
#include "platform/codepage/CodePage.h"

namespace verimo {

namespace {

constexpr char32_t kReplacementChar = 0xFFFD;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Calls `emit` with every code point; a surrogate without its partner
// becomes U+FFFD.
template <typename Emit>
void ForEachCodePoint(WideStringView text, Emit emit) {
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = text[i];
    if (c < 0xD800 || c > 0xDFFF) {
      emit(static_cast<char32_t>(c));
    } else if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(text[i + 1])) {
      emit(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      emit(kReplacementChar);
    }
  }
}

// One code point as UTF-8 at `target`; returns the position after it.
char* PutUtf8(char32_t cp, char* target) {
  if (cp < 0x80) {
    *target++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *target++ = static_cast<char>(0xC0 | (cp >> 6));
    *target++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *target++ = static_cast<char>(0xE0 | (cp >> 12));
    *target++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *target++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *target++ = static_cast<char>(0xF0 | (cp >> 18));
    *target++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *target++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *target++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return target;
}

// Written straight into the buffer: a UTF-16 code unit gives at most three
// bytes (a surrogate pair, two units, gives four). Runs of ASCII, the bulk
// of most texts, are copied as they are.
void AppendUtf8(WideStringView text, std::string& out) {
  const size_t start = out.size();
  out.resize(start + 3 * text.size());
  char* target = out.data() + start;
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const size_t ascii = CopyAsciiPrefix(text.substr(i), target);
    target += ascii;
    i += ascii;
    if (i == n) break;
    const char16_t c = text[i];
    if (c < 0xD800 || c > 0xDFFF) {
      target = PutUtf8(c, target);
      i += 1;
    } else if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(text[i + 1])) {
      target = PutUtf8(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00), target);
      i += 2;
    } else {
      target = PutUtf8(kReplacementChar, target);
      i += 1;
    }
  }
  out.resize(static_cast<size_t>(target - out.data()));
}

void AppendUtf16(WideStringView text, std::string& out) {
  out.reserve(out.size() + 2 * text.size());
  for (const char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
}

void AppendUtf32(WideStringView text, std::string& out) {
  ForEachCodePoint(text, [&out](char32_t cp) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((cp >> shift) & 0xFF));
  });
}

// CR LF in the encoding; every code page agrees with ASCII on it.
std::string_view LineEndBytes(TTesselOutputEncoding encoding) {
  using namespace std::string_view_literals;
  switch (encoding) {
    case oeUTF16: return "\r\0\n\0"sv;
    case oeUTF32: return "\r\0\0\0\n\0\0\0"sv;
    case oeAnsi:
    case oeOem:
    case oeMac:
    case oeUTF8: return "\r\n"sv;
    default: return {};
  }
}

bool IsAscii(WideStringView text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

// The code pages all agree with ASCII, so plain ASCII text needs no converter.
void AppendCodePage(WideStringView text, TSystemCodePage which, std::string& out) {
  if (IsAscii(text)) {
    for (const char16_t c : text) out.push_back(static_cast<char>(c));
    return;
  }
  out += EncodeToCodePage(text, SystemCodePage(which));
}

}  // namespace

void TTesselWriter::EncodeText(WideStringView text, TTesselOutputEncoding encoding, std::string& out) {
  switch (encoding) {
    case oeAnsi: AppendCodePage(text, TSystemCodePage::Ansi, out); break;
    case oeOem: AppendCodePage(text, TSystemCodePage::Oem, out); break;
    case oeMac: AppendCodePage(text, TSystemCodePage::Mac, out); break;
    case oeUTF8: AppendUtf8(text, out); break;
    case oeUTF16: AppendUtf16(text, out); break;
    case oeUTF32: AppendUtf32(text, out); break;
    default: break;
  }
}

void TTesselWriter::Encode(WideStringView text, TTesselOutputEncoding encoding, std::string& out) {
  TSystemCodePage which;
  switch (encoding) {
    case oeAnsi: which = TSystemCodePage::Ansi; break;
    case oeOem: which = TSystemCodePage::Oem; break;
    case oeMac: which = TSystemCodePage::Mac; break;
    default: EncodeText(text, encoding, out); return;
  }
  std::unique_ptr<TCodePageEncoder>& encoder = encoders_[static_cast<size_t>(which)];
  const int codePage = SystemCodePage(which);
  if (!encoder || encoder->CodePage() != codePage) encoder = std::make_unique<TCodePageEncoder>(codePage);
  encoder->Append(text, out);
}

TTesselWriter::TTesselWriter(TTessel* owner, TStream* stream) : owner_(owner), stream_(stream) {}

TTesselWriter::~TTesselWriter() = default;

TTesselOutputEncoding TTesselWriter::Encoding() const {
  return owner_ != nullptr ? owner_->OutputEncoding() : oeUTF8;
}

void TTesselWriter::Write(WideStringView text) {
  if (text.empty() || owner_ == nullptr || stream_ == nullptr) return;
  encoded_.clear();
  Encode(text, Encoding(), encoded_);
  if (!encoded_.empty()) stream_->Write(encoded_.data(), encoded_.size());
}

void TTesselWriter::WriteLn(WideStringView text) {
  if (typeid(*this) == typeid(TTesselWriter)) {
    // No format's Write to pass the line to: the text and its end are
    // encoded one after the other into the one buffer, without a copy.
    if (owner_ == nullptr || stream_ == nullptr) return;
    const TTesselOutputEncoding encoding = Encoding();
    encoded_.clear();
    Encode(text, encoding, encoded_);
    encoded_ += LineEndBytes(encoding);
    if (!encoded_.empty()) stream_->Write(encoded_.data(), encoded_.size());
    return;
  }
  // A format's Write may itself call WriteLn, so the reused buffer is
  // moved out for the call.
  WideString line = std::move(line_);
  line.assign(text);
  line.append(u"\r\n");
  Write(line);
  line_ = std::move(line);
}

void TTesselWriter::EmptyLine() { Write(u"\r\n"); }

void TTesselWriter::CharLine(char16_t ch, int count) {
  WideString line(static_cast<size_t>(std::max(count, 0)), ch);
  WriteLn(line);
}

void TTesselWriter::WriteBytes(const void* data, size_t count) {
  if (stream_ != nullptr && count > 0) stream_->Write(data, count);
}

void TTesselWriter::WriteSignature() {
  // A stream that already holds text (several runs into one script) has its
  // signature at the start.
  if (owner_ == nullptr || stream_ == nullptr || stream_->Position() != 0) return;
  static constexpr uint8_t kUtf8[] = {0xEF, 0xBB, 0xBF};
  static constexpr uint8_t kUtf16[] = {0xFF, 0xFE};
  static constexpr uint8_t kUtf32[] = {0xFF, 0xFE, 0x00, 0x00};
  switch (Encoding()) {
    case oeUTF8: stream_->Write(kUtf8, sizeof kUtf8); break;
    case oeUTF16: stream_->Write(kUtf16, sizeof kUtf16); break;
    case oeUTF32: stream_->Write(kUtf32, sizeof kUtf32); break;
    default: break;
  }
}

WideString TTesselWriter::PadLeft(WideStringView text, char16_t ch, int width) {
  const int length = static_cast<int>(text.size());
  if (width < length) return WideString(text.substr(0, static_cast<size_t>(std::max(width, 0))));
  WideString result(static_cast<size_t>(width - length), ch);
  result.append(text);
  return result;
}

WideString TTesselWriter::PadRight(WideStringView text, char16_t ch, int width) {
  const int length = static_cast<int>(text.size());
  if (width < length) return WideString(text.substr(0, static_cast<size_t>(std::max(width, 0))));
  WideString result(text);
  result.append(static_cast<size_t>(width - length), ch);
  return result;
}

WideString TTesselWriter::PadCenter(WideStringView text, char16_t ch, int width) {
  const int length = static_cast<int>(text.size());
  if (length >= width) return WideString(text.substr(0, static_cast<size_t>(std::max(width, 0))));
  const int d = width - length;
  WideString result(static_cast<size_t>(d / 2), ch);
  result.append(text);
  result.append(static_cast<size_t>(d - d / 2), ch);
  return result;
}

WideString TTesselWriter::AlignToStr(TTesselColAlign align) const {
  switch (align) {
    case ecaLeft: return u"Left alignment";
    case ecaCenter: return u"Center alignment";
    case ecaRight: return u"Right alignment";
  }
  return u"Unknown alignment";
}

TTesselAsidePart::TTesselAsidePart(const TWriterMaker& makeWriter)
    : stream_(CreateTemporaryFileStream()), writer_(makeWriter(*stream_)) {}

void TTesselAsidePart::CopyTo(TStream& target) {
  stream_->SetPosition(0);
  target.CopyFrom(*stream_);
}

}  // namespace verimo
