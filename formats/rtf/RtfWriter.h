#pragma once

#include <cstdint>
#include <vector>

#include "core/WideString.h"
#include "engine/TesselTypes.h"
#include "engine/TesselWriter.h"

namespace verimo {

struct TRTFHeader {
  int Version = 1;
  WideString CharSet = u"ansi";
  int DefaultFont = 0;
  int DefaultTabWidth = 720;  // twips
};

struct TRTFFontTableItem {
  int Number = 0;
  WideString Family = u"nil";
  WideString Name;  // as the font gives it, unescaped
  // "{\f0\fnil Arial;}"; see rtf::FontNameText for the name.
  WideString Text() const;
};

// Fonts in order of addition; numbers need not equal positions.
class TRTFFontTable {
 public:
  void Add(TRTFFontTableItem item) { items_.push_back(std::move(item)); }
  // The first item with the name (ASCII letters compared without case), or -1.
  int IndexOfName(WideStringView name) const;
  // One more than the largest number; -1 for an empty table.
  int NextNumber() const;
  int Count() const { return static_cast<int>(items_.size()); }
  const TRTFFontTableItem& operator[](int index) const { return items_[static_cast<size_t>(index)]; }

 private:
  std::vector<TRTFFontTableItem> items_;
};

struct TRTFColorTableItem {
  // Red from bits 0-7, green 8-15, blue 16-23; the top byte is dropped.
  explicit TRTFColorTableItem(TColor color);
  int Red = 0;
  int Green = 0;
  int Blue = 0;
  TColor Value() const { return static_cast<TColor>(Red + Green * 256 + Blue * 65536); }
  // "\red255\green255\blue255;"
  WideString Text() const;
};

// Colours in order of addition; a colour's number is its position.
class TRTFColorTable {
 public:
  void Add(TRTFColorTableItem item) { items_.push_back(item); }
  int IndexOfColor(TColor color) const;
  int Count() const { return static_cast<int>(items_.size()); }
  const TRTFColorTableItem& operator[](int index) const { return items_[static_cast<size_t>(index)]; }

 private:
  std::vector<TRTFColorTableItem> items_;
};

enum TRTFColorKind : uint8_t { rckText, rckBackground, rckHighlight };

// The writer of the RTF document. The font and colour tables are written
// in the prologue and may still grow afterwards: what is met later is kept
// and inserted into the written tables once, when the document is finished
// (Finish), so the body is written in one pass.
class TTesselRTFWriter : public TTesselWriter {
 public:
  TTesselRTFWriter(TTessel* owner, TStream* stream);

  void WriteBeginGroup();
  // "\rtf1\ansi\deff0\deftab720" and CR LF.
  void WriteHeader();
  void WriteFontTable();
  void WriteColorTable();
  void WriteEndGroup();
  void WritePar();
  void AddFontItem(TRTFFontTableItem item);
  void AddColorItem(TRTFColorTableItem item);

  // "\f<number>\fs<half-points>"; a font name not in the table is added.
  // With `write` also written as a line.
  WideString GetFontMarkup(const TTesselFont& font, bool write);
  // "\cf<n>", "\cbpat<n>" or "\highlight<n>"; a colour not in the table is
  // added. System colours are resolved to their RGB value first.
  WideString GetColorMarkup(TColor color, TRTFColorKind kind);
  // "\ql", "\qc", "\qr"; empty for other values.
  WideString AlignToStr(TTesselColAlign align) const override;

  // Inserts the fonts and colours added after their table was written.
  // Call once, after the last byte of the document.
  void Finish();

  const TRTFHeader& Header() const { return header_; }
  const TRTFFontTable& FontTable() const { return fonts_; }
  const TRTFColorTable& ColorTable() const { return colors_; }

 private:
  // Moves the bytes [from, to) `by` bytes towards the end.
  void MoveRange(int64_t from, int64_t to, int64_t by);

  TRTFHeader header_;
  TRTFFontTable fonts_;
  TRTFColorTable colors_;
  // Offsets of the "}" closing each written table; -1 before it is written.
  int64_t fontTableEnd_ = -1;
  int64_t colorTableEnd_ = -1;
  // Texts of the items added after their table was written.
  WideString pendingFonts_;
  WideString pendingColors_;
};

namespace rtf {

// What a line break of user text becomes.
enum class TLineBreaks : uint8_t {
  Raw,        // kept as it is (readers ignore it)
  Paragraph,  // every break "\par "
  Cell,       // CR LF "\par ", a lone LF or CR "\line "
};

// Every backslash doubled.
WideString DoubleBackslashes(WideStringView text);
// Appends the text as RTF: backslashes as they are (doubled before), line
// breaks as `breaks` says, every other code unit "\u<n>?" with n unsigned,
// so a character beyond the basic plane gives one escape per surrogate.
void AppendEncoded(WideString& out, WideStringView text, TLineBreaks breaks = TLineBreaks::Raw);
WideString Encode(WideStringView text, TLineBreaks breaks = TLineBreaks::Raw);
// A font name as the font table writes it: "\", "{" and "}" escaped, ";"
// and characters outside ASCII as escapes, so the name cannot end early.
WideString FontNameText(WideStringView name);
// A system colour (top byte set, the low byte its index) as the RGB value
// of the default desktop scheme; other colours without their top byte.
TColor ResolveColor(TColor color);

}  // namespace rtf

}  // namespace verimo
