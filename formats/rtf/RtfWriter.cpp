#include "formats/rtf/RtfWriter.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/Exception.h"
#include "engine/TesselStream.h"

namespace verimo {
namespace {

char16_t AsciiLower(char16_t ch) { return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 32) : ch; }

bool SameAsciiText(WideStringView a, WideStringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

void AppendNumber(WideString& out, unsigned value) {
  char16_t digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) out += digits[--count];
}

WideString Keyword(WideStringView word, int value) {
  WideString text(word);
  text += IntToWide(value);
  return text;
}

// The default desktop scheme's colours by system colour index (scroll bar,
// background, active caption, ..., menu bar), as 0xBBGGRR.
constexpr std::array<TColor, 31> kSystemColors = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0xB9B9B9, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0};

constexpr int64_t kMoveChunk = 1 << 20;

}  // namespace

// ---- tables ----

WideString TRTFFontTableItem::Text() const {
  WideString text = u"{\\f";
  text += IntToWide(Number);
  text += u"\\f";
  text += Family;
  text += u' ';
  text += rtf::FontNameText(Name);
  text += u";}";
  return text;
}

int TRTFFontTable::IndexOfName(WideStringView name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (SameAsciiText(items_[i].Name, name)) return static_cast<int>(i);
  return -1;
}

int TRTFFontTable::NextNumber() const {
  if (items_.empty()) return -1;
  int largest = items_.front().Number;
  for (const TRTFFontTableItem& item : items_) largest = std::max(largest, item.Number);
  return largest + 1;
}

TRTFColorTableItem::TRTFColorTableItem(TColor color)
    : Red(static_cast<int>(color & 0xFF)), Green(static_cast<int>((color >> 8) & 0xFF)),
      Blue(static_cast<int>((color >> 16) & 0xFF)) {}

WideString TRTFColorTableItem::Text() const {
  return Keyword(u"\\red", Red) + Keyword(u"\\green", Green) + Keyword(u"\\blue", Blue) + u";";
}

int TRTFColorTable::IndexOfColor(TColor color) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].Value() == color) return static_cast<int>(i);
  return -1;
}

// ---- writer ----

TTesselRTFWriter::TTesselRTFWriter(TTessel* owner, TStream* stream) : TTesselWriter(owner, stream) {}

void TTesselRTFWriter::WriteBeginGroup() { Write(u"{"); }

void TTesselRTFWriter::WriteHeader() {
  Write(Keyword(u"\\rtf", header_.Version));
  Write(u"\\" + header_.CharSet);
  Write(Keyword(u"\\deff", header_.DefaultFont));
  WriteLn(Keyword(u"\\deftab", header_.DefaultTabWidth));
}

void TTesselRTFWriter::WriteFontTable() {
  Write(u"{\\fonttbl");
  for (int i = 0; i < fonts_.Count(); ++i) Write(fonts_[i].Text());
  if (Stream()) fontTableEnd_ = Stream()->Position();
  WriteLn(u"}");
}

void TTesselRTFWriter::WriteColorTable() {
  Write(u"{\\colortbl");
  for (int i = 0; i < colors_.Count(); ++i) Write(colors_[i].Text());
  if (Stream()) colorTableEnd_ = Stream()->Position();
  WriteLn(u"}");
}

void TTesselRTFWriter::WriteEndGroup() { Write(u"}"); }

void TTesselRTFWriter::WritePar() { WriteLn(u"\\par"); }

void TTesselRTFWriter::AddFontItem(TRTFFontTableItem item) {
  if (fontTableEnd_ >= 0) pendingFonts_ += item.Text();
  fonts_.Add(std::move(item));
}

void TTesselRTFWriter::AddColorItem(TRTFColorTableItem item) {
  if (colorTableEnd_ >= 0) pendingColors_ += item.Text();
  colors_.Add(item);
}

WideString TTesselRTFWriter::GetFontMarkup(const TTesselFont& font, bool write) {
  int index = fonts_.IndexOfName(font.Name);
  if (index < 0) {
    TRTFFontTableItem item;
    item.Number = std::max(fonts_.NextNumber(), 0);
    item.Name = font.Name;
    AddFontItem(std::move(item));
    index = fonts_.Count() - 1;
  }
  WideString markup = Keyword(u"\\f", fonts_[index].Number) + Keyword(u"\\fs", font.Size() * 2);
  if (write) WriteLn(markup);
  return markup;
}

WideString TTesselRTFWriter::GetColorMarkup(TColor color, TRTFColorKind kind) {
  const TColor value = rtf::ResolveColor(color);
  int index = colors_.IndexOfColor(value);
  if (index < 0) {
    AddColorItem(TRTFColorTableItem(value));
    index = colors_.Count() - 1;
  }
  switch (kind) {
    case rckBackground: return Keyword(u"\\cbpat", index);
    case rckHighlight: return Keyword(u"\\highlight", index);
    default: return Keyword(u"\\cf", index);
  }
}

WideString TTesselRTFWriter::AlignToStr(TTesselColAlign align) const {
  switch (align) {
    case ecaLeft: return u"\\ql";
    case ecaCenter: return u"\\qc";
    case ecaRight: return u"\\qr";
    default: return {};
  }
}

void TTesselRTFWriter::Finish() {
  TStream* stream = Stream();
  if (!stream) return;
  struct TInsert {
    int64_t at;
    std::string bytes;
  };
  std::vector<TInsert> inserts;
  for (const auto& [at, text] : {std::pair{fontTableEnd_, &pendingFonts_}, std::pair{colorTableEnd_, &pendingColors_}}) {
    if (at < 0 || text->empty()) continue;
    TInsert insert{at, {}};
    EncodeText(*text, oeUTF8, insert.bytes);
    inserts.push_back(std::move(insert));
    text->clear();
  }
  if (inserts.empty()) return;
  int64_t shift = 0;
  for (const TInsert& insert : inserts) shift += static_cast<int64_t>(insert.bytes.size());
  // From the last insertion point backwards: each part of the body moves
  // once, by the size of everything inserted before it.
  int64_t end = stream->Size();
  for (auto insert = inserts.rbegin(); insert != inserts.rend(); ++insert) {
    MoveRange(insert->at, end, shift);
    shift -= static_cast<int64_t>(insert->bytes.size());
    stream->SetPosition(insert->at + shift);
    stream->Write(insert->bytes);
    end = insert->at;
  }
  stream->Seek(0, TSeekOrigin::End);
}

void TTesselRTFWriter::MoveRange(int64_t from, int64_t to, int64_t by) {
  TStream& stream = *Stream();
  std::vector<char> buffer(static_cast<size_t>(std::min<int64_t>(kMoveChunk, std::max<int64_t>(to - from, 0))));
  // From the end backwards, so no byte is overwritten before it moved.
  for (int64_t chunkEnd = to; chunkEnd > from;) {
    const int64_t chunkStart = std::max(from, chunkEnd - kMoveChunk);
    const auto size = static_cast<size_t>(chunkEnd - chunkStart);
    stream.SetPosition(chunkStart);
    stream.ReadBuffer(buffer.data(), size);
    stream.SetPosition(chunkStart + by);
    stream.Write(buffer.data(), size);
    chunkEnd = chunkStart;
  }
}

// ---- text ----

namespace rtf {

WideString DoubleBackslashes(WideStringView text) {
  WideString out;
  out.reserve(text.size() + 4);
  for (char16_t ch : text) {
    out += ch;
    if (ch == u'\\') out += u'\\';
  }
  return out;
}

void AppendEncoded(WideString& out, WideStringView text, TLineBreaks breaks) {
  out.reserve(out.size() + text.size() * 6);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i];
    if (ch == u'\r' || ch == u'\n') {
      if (breaks == TLineBreaks::Raw) {
        out += ch;
        continue;
      }
      const bool pair = ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
      if (pair) ++i;
      out += breaks == TLineBreaks::Cell && !pair ? u"\\line " : u"\\par ";
      continue;
    }
    if (ch == u'\\') {
      out += ch;
      continue;
    }
    out += u"\\u";
    AppendNumber(out, ch);
    out += u'?';
  }
}

WideString Encode(WideStringView text, TLineBreaks breaks) {
  WideString out;
  AppendEncoded(out, text, breaks);
  return out;
}

WideString FontNameText(WideStringView name) {
  WideString out;
  for (char16_t ch : name) {
    if (ch == u'\\' || ch == u'{' || ch == u'}') {
      out += u'\\';
      out += ch;
    } else if (ch == u';' || ch < 0x20 || ch >= 0x80) {
      out += u"\\u";
      AppendNumber(out, ch);
      out += u'?';
    } else {
      out += ch;
    }
  }
  return out;
}

TColor ResolveColor(TColor color) {
  if ((color >> 24) == 0) return color;
  const TColor index = color & 0xFF;
  const bool systemColor = (color >> 24) == 0xFF || (color >> 24) == 0x80;
  if (systemColor && (color & 0xFFFF00) == 0 && index < kSystemColors.size()) return kSystemColors[index];
  return color & 0xFFFFFF;
}

}  // namespace rtf

}  // namespace verimo
