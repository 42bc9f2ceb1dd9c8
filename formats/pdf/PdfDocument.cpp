#include "formats/pdf/PdfDocument.h"

#include <charconv>
#include <cmath>

#include "core/HexText.h"
#include "core/Exception.h"

namespace verimo {

namespace {

constexpr char kCR = '\r';

std::string Number(long long value) { return std::to_string(value); }

std::string Reference(int number) { return Number(number) + " 0 R"; }

std::string BoxText(const TPDFBox& box) {
  return "[" + Number(box.Left) + " " + Number(box.Bottom) + " " + Number(box.Right) + " " + Number(box.Top) + "]";
}

std::string Hex4(uint32_t value) {
  std::string text(4, '0');
  for (int i = 3; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = HexDigit(value);
  return text;
}

// The UTF-16 code units of a character as hexadecimal digits.
std::string Utf16Hex(char32_t codePoint) {
  if (codePoint < 0x10000) return Hex4(codePoint);
  const char32_t offset = codePoint - 0x10000;
  return Hex4(0xD800 + (offset >> 10)) + Hex4(0xDC00 + (offset & 0x3FF));
}

bool IsBoldName(TPDFFontName name) {
  return name == poHelveticaBold || name == poHelveticaBoldOblique || name == poCourierBold ||
         name == poCourierBoldOblique || name == poTimesBold || name == poTimesBoldItalic;
}

bool IsItalicName(TPDFFontName name) {
  return name == poHelveticaOblique || name == poHelveticaBoldOblique || name == poCourierOblique ||
         name == poCourierBoldOblique || name == poTimesItalic || name == poTimesBoldItalic;
}

// The family whose TrueType faces stand in for a font's missing characters.
WideString FallbackFamily(const TPDFFont& font) {
  if (font.UseUserFont) return font.UserFont.Name;
  switch (FamilyOf(font.BaseFont)) {
    case TPDFFontFamily::Courier: return u"DejaVu Sans Mono";
    case TPDFFontFamily::Times: return u"DejaVu Serif";
    default: return u"DejaVu Sans";
  }
}

TPDFBaseEncoding BaseEncodingOf(TPDFFontEncoding encoding) {
  switch (encoding) {
    case poStandardEncoding: return TPDFBaseEncoding::Standard;
    case poMacRomanEncoding: return TPDFBaseEncoding::MacRoman;
    default: return TPDFBaseEncoding::WinAnsi;
  }
}

// The base encoding a font dictionary names: PDFDocEncoding is no font
// encoding, so its fonts start from WinAnsiEncoding.
const char* BaseEncodingName(TPDFFontEncoding encoding) {
  return encoding == poPDFDocEncoding ? "WinAnsiEncoding" : PDFFontEncodingText(encoding);
}

// The PostScript name of a user font: the name without spaces and its style.
std::string UserFontName(const TPDFUserFont& font) {
  std::string name;
  for (char ch : WideToUtf8(font.Name))
    if (ch != ' ') name += ch;
  if (font.Bold && font.Italic) return name + ",BoldItalic";
  if (font.Bold) return name + ",Bold";
  if (font.Italic) return name + ",Italic";
  return name;
}

}  // namespace

namespace pdf {

TColor ResolveColor(TColor color) {
  const uint32_t kind = color & 0xFF000000u;
  if (kind != 0x80000000u && kind != 0xFF000000u) return color & 0xFFFFFF;
  // The classic desktop scheme, by system colour index.
  static constexpr TColor kSystemColors[] = {
      0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xFFFFFF,
      0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080, 0x000000, 0xC8D0D4,
      0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000, 0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xD77800,
      0xF0F0F0};
  const uint32_t index = color & 0xFF;
  return index < std::size(kSystemColors) ? kSystemColors[index] : clBlack;
}

std::string FormatFixed(double value, int decimals) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text(buffer, result.ptr);
  if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

}  // namespace pdf

// One character of a text as it is drawn: a byte of the 8-bit font, or a
// glyph of an embedded face.
struct TPDFDocument::TRun {
  TPDFUnicodeFonts::TFace* face = nullptr;
  char32_t character = 0;  // what is drawn
  uint8_t byte = 0;        // for the 8-bit font
  bool escaped = false;    // the byte follows a backslash
};

TPDFDocument::TPDFDocument(TStream& stream, int codePage)
    : stream_(stream), streamStart_(stream.Position()), encoding_(codePage) {}

TPDFDocument::~TPDFDocument() = default;

void TPDFDocument::Put(std::string_view text) {
  stream_.Write(text);
  position_ += static_cast<int64_t>(text.size());
}

void TPDFDocument::PutLine(std::string_view text) {
  line_.assign(text);
  line_ += kCR;
  Put(line_);
}

int TPDFDocument::Allocate() {
  offsets_.push_back(position_);
  return ++counter_;
}

void TPDFDocument::BeginDocument() {
  pages_.clear();
  offsets_.clear();
  fonts_.clear();
  counter_ = 0;
  contentOpen_ = false;
  LineWidth = 1.0;
  RowSpacing = 1.0;
  strokeColor_ = 0;
  fillColor_ = 0;
  PutLine("%PDF-1.3");
}

void TPDFDocument::AddFont(const TPDFFont& font) {
  for (const TPDFFont& known : fonts_)
    if (known.ResourceName == font.ResourceName)
      throw Exception(u"Font " + font.ResourceName + u" already exists");
  fonts_.push_back(font);
}

void TPDFDocument::SetFont(const TPDFFont& font) {
  font_.Assign(font);
  font_.ResourceName = font.ResourceName;
}

// A page's content starts in the initial graphics state, so the colours
// the writer last set no longer hold there.
void TPDFDocument::BeginPage() {
  EndPageContent();
  const int number = Allocate();
  pages_.push_back(number);
  PutLine(Number(number) + " 0 obj");
  PutLine("<< /Length " + Reference(number + 1) + " >>");
  Put("stream\r\n");
  contentStart_ = position_;
  contentOpen_ = true;
  strokeColor_ = 0;
  fillColor_ = 0;
}

void TPDFDocument::EndPageContent() {
  if (!contentOpen_) return;
  contentOpen_ = false;
  const int64_t length = position_ - contentStart_;
  PutLine("endstream");
  PutLine("endobj");
  const int number = Allocate();
  PutLine(Number(number) + " 0 obj");
  PutLine(Number(length) + " ");
  PutLine("endobj");
}

std::string TPDFDocument::ColorOperands(TColor color) const {
  const TColor rgb = pdf::ResolveColor(color);
  return pdf::FormatFixed((rgb & 0xFF) / 255.0, 2) + " " + pdf::FormatFixed((rgb >> 8 & 0xFF) / 255.0, 2) + " " +
         pdf::FormatFixed((rgb >> 16 & 0xFF) / 255.0, 2);
}

TColor TPDFDocument::SetStrokeColor(TColor color) {
  PutLine(ColorOperands(color) + " RG");
  const TColor previous = strokeColor_;
  strokeColor_ = color;
  return previous;
}

TColor TPDFDocument::SetFillColor(TColor color) {
  PutLine(ColorOperands(color) + " rg");
  const TColor previous = fillColor_;
  fillColor_ = color;
  return previous;
}

template <typename F>
void TPDFDocument::ForEachRun(const TPDFFont& font, WideStringView text, F&& each) {
  const bool symbolic = font.Symbolic();
  WideString family;
  for (size_t i = 0; i < text.size(); ++i) {
    TRun run;
    char16_t ch = text[i];
    if (ch == u'\\' && i + 1 < text.size() && text[i + 1] < 0x80) {
      run.escaped = true;
      ch = text[++i];
    }
    if (ch < 0x20) ch = u' ';
    run.character = ch;
    if (ch < 0x80) {
      run.byte = static_cast<uint8_t>(ch);
      each(run);
      continue;
    }
    const int byte = symbolic ? encoding_.CodePageByteOf(ch) : encoding_.ByteOf(ch);
    if (byte >= 0) {
      run.byte = static_cast<uint8_t>(byte);
      each(run);
      continue;
    }
    char32_t codePoint = ch;
    if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
      codePoint = 0x10000 + ((ch - 0xD800u) << 10) + (text[++i] - 0xDC00u);
    if (!symbolic && !(codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
      if (family.empty()) family = FallbackFamily(font);
      const bool bold = font.UseUserFont ? font.UserFont.Bold : IsBoldName(font.BaseFont);
      const bool italic = font.UseUserFont ? font.UserFont.Italic : IsItalicName(font.BaseFont);
      run.face = unicodeFonts_.FaceFor(family, bold, italic, codePoint);
    }
    run.character = run.face ? codePoint : U'?';
    run.byte = '?';
    each(run);
  }
}

void TPDFDocument::TextOut(int x, int y, TColor color, WideStringView text) {
  const bool switchColor = color != fillColor_;
  const TColor previous = switchColor ? SetFillColor(color) : fillColor_;
  const std::string size = Number(font_.Size());
  const std::string fontName = "/" + WideToUtf8(font_.ResourceName);
  PutLine("BT");
  PutLine(fontName + " " + size + " Tf");
  std::string content = Number(x) + " " + Number(y) + " Td ";
  const TPDFUnicodeFonts::TFace* current = nullptr;
  bool open = false;
  auto close = [&] {
    if (open) content += current ? "> Tj " : ") Tj ";
    open = false;
  };
  bool first = true;
  ForEachRun(font_, text, [&](const TRun& run) {
    if (!open || run.face != current) {
      close();
      if (!first || run.face != nullptr) {
        PutLine(content.substr(0, content.size() - 1));
        content = (run.face ? "/" + WideToUtf8(run.face->ResourceName) : fontName) + " " + size + " Tf ";
      }
      current = run.face;
      content += current ? "<" : "(";
      open = true;
    }
    first = false;
    if (run.face != nullptr) {
      content += Hex4(run.face->Use(run.character));
      return;
    }
    if (run.escaped) content += '\\';
    content += static_cast<char>(run.byte);
  });
  if (first) content += "(";
  else close();
  if (first) content += ") Tj ";
  content.pop_back();
  PutLine(content);
  PutLine("ET");
  if (switchColor) SetFillColor(previous);
}

void TPDFDocument::Line(TColor color, double x1, double y1, double x2, double y2) {
  const bool switchColor = color != strokeColor_;
  const TColor previous = switchColor ? SetStrokeColor(color) : strokeColor_;
  PutLine(pdf::FormatFixed(x1, 1) + " " + pdf::FormatFixed(y1, 1) + " m ");
  PutLine(pdf::FormatFixed(x2, 1) + " " + pdf::FormatFixed(y2, 1) + " l ");
  PutLine(pdf::FormatFixed(LineWidth, 1) + " w ");
  PutLine("S");
  if (switchColor) SetStrokeColor(previous);
}

void TPDFDocument::FillRect(TColor color, double x, double y, double width, double height) {
  const bool switchColor = color != fillColor_;
  const TColor previous = switchColor ? SetFillColor(color) : fillColor_;
  PutLine(pdf::FormatFixed(x, 1) + " " + pdf::FormatFixed(y, 1) + " " + pdf::FormatFixed(width, 1) + " " +
          pdf::FormatFixed(height, 1) + " re f");
  if (switchColor) SetFillColor(previous);
}

// The colours set inside stay the writer's current ones after the clip
// ends only when they were set back inside, which TextOut, Line and
// FillRect do.
void TPDFDocument::BeginClip(double x, double y, double width, double height) {
  PutLine("q " + pdf::FormatFixed(x, 1) + " " + pdf::FormatFixed(y, 1) + " " + pdf::FormatFixed(width, 1) + " " +
          pdf::FormatFixed(height, 1) + " re W n");
}

void TPDFDocument::EndClip() { PutLine("Q"); }

double TPDFDocument::RunAdvance(const TPDFFont& font, const TRun& run) const {
  const TPDFFontFamily family = FamilyOf(font.BaseFont);
  double width = 0;
  if (run.face != nullptr) width = run.face->Advance(run.character);
  else if (font.UseUserFont) width = font.UserCharWidth(Measurer, static_cast<char16_t>(run.character));
  else if (font.Symbolic()) width = pdf::FamilyCodeWidths(family)[run.byte];
  else width = pdf::StandardGlyphWidth(family, static_cast<char16_t>(run.character)).value_or(0);
  return font.Size() * width / 1000.0;
}

double TPDFDocument::RunWidth(const TPDFFont& font, const TRun& run) const {
  const double term = RunAdvance(font, run);
  if (font.UseUserFont) return term;
  return FamilyOf(font.BaseFont) == TPDFFontFamily::Helvetica ? std::floor(term) : RoundHalfEven(term);
}

int TPDFDocument::TextWidth(const TPDFFont& font, WideStringView text) {
  double total = 0;
  ForEachRun(font, text, [&](const TRun& run) { total += RunWidth(font, run); });
  return RoundHalfEven(total);
}

double TPDFDocument::CharWidth(const TPDFFont& font, char32_t codePoint) {
  char16_t text[3] = {};
  size_t length = 0;
  if (codePoint == U'\\' || codePoint == U'(' || codePoint == U')') text[length++] = u'\\';
  if (codePoint >= 0x10000) {
    text[length++] = static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
    text[length++] = static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
  } else {
    text[length++] = static_cast<char16_t>(codePoint);
  }
  double total = 0;
  ForEachRun(font, WideStringView(text, length), [&](const TRun& run) { total += RunAdvance(font, run); });
  return total;
}

// ---- end of document ----

std::string TPDFDocument::EncodingEntry(const TPDFFont& font) const {
  const std::string base = BaseEncodingName(font.FontEncoding);
  if (font.Symbolic()) return "/Encoding /" + std::string(PDFFontEncodingText(font.FontEncoding));
  const auto differences = encoding_.Differences(BaseEncodingOf(font.FontEncoding));
  if (differences.empty() && font.FontEncoding != poPDFDocEncoding) return "/Encoding /" + base;
  std::string entry = "/Encoding << /Type /Encoding /BaseEncoding /" + base;
  if (!differences.empty()) {
    entry += " /Differences [";
    for (size_t i = 0; i < differences.size(); ++i) {
      if (i > 0) entry += ' ';
      entry += Number(differences[i].first) + " /" + std::string(differences[i].second);
    }
    entry += "]";
  }
  return entry + " >>";
}

void TPDFDocument::WriteFontObject(const TPDFFont& font) {
  const int number = Allocate();
  PutLine(Number(number) + " 0 obj");
  PutLine("<< /Type /Font");
  PutLine(font.UseUserFont ? "/Subtype /TrueType" : "/Subtype /Type1");
  PutLine("/Name /" + WideToUtf8(font.ResourceName));
  const std::string baseFont = font.UseUserFont ? UserFontName(font.UserFont) : PDFFontNameText(font.BaseFont);
  PutLine("/BaseFont /" + baseFont);
  PutLine(EncodingEntry(font));
  PutLine("/FirstChar 0");
  PutLine("/LastChar 255");
  if (font.UseUserFont) {
    std::string widths = "/Widths [";
    for (int width : font.UserWidths()) widths += Number(width) + " ";
    PutLine(widths + "]");
    PutLine("/FontDescriptor <</Type /FontDescriptor /FontName /" + baseFont +
            " /Flags 32 /FontBBox [0 0 0 0] /ItalicAngle 0 /Ascent 0 /Descent 0 /CapHeight 0 /StemV 0>>");
  }
  PutLine(">>");
  PutLine("endobj");
}

void TPDFDocument::WriteStreamObject(int number, std::string_view dictionary, std::string_view data) {
  PutLine(Number(number) + " 0 obj");
  PutLine(std::string(dictionary));
  Put("stream\r\n");
  Put(data);
  Put("\r");
  PutLine("endstream");
  PutLine("endobj");
}

void TPDFDocument::WriteUnicodeFontObjects(TPDFUnicodeFonts::TFace& face, std::vector<int>& numbers) {
  const std::string fontFile = face.Subset->Build();
  const TTrueTypeFont& font = *face.Font;
  auto scaled = [&font](double units) { return Number(std::lround(units * 1000.0 / font.UnitsPerEm())); };
  const std::string name = "/" + face.FontName;

  const int type0 = Allocate();
  numbers.push_back(type0);
  PutLine(Number(type0) + " 0 obj");
  PutLine("<< /Type /Font /Subtype /Type0 /BaseFont " + name + " /Encoding /Identity-H");
  PutLine("/DescendantFonts [" + Reference(type0 + 1) + "] /ToUnicode " + Reference(type0 + 4) + " >>");
  PutLine("endobj");

  const int cidFont = Allocate();
  std::string widths = "/W [0 [";
  for (uint16_t glyph : face.Subset->Glyphs()) widths += scaled(font.Advance(glyph)) + " ";
  widths.back() = ']';
  widths += "]";
  PutLine(Number(cidFont) + " 0 obj");
  PutLine("<< /Type /Font /Subtype /CIDFontType2 /BaseFont " + name);
  PutLine("/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>");
  PutLine("/FontDescriptor " + Reference(cidFont + 1) + " /CIDToGIDMap /Identity");
  PutLine(widths + " >>");
  PutLine("endobj");

  const int descriptor = Allocate();
  PutLine(Number(descriptor) + " 0 obj");
  PutLine("<< /Type /FontDescriptor /FontName " + name + " /Flags 4 /FontBBox [" + scaled(font.XMin) + " " +
          scaled(font.YMin) + " " + scaled(font.XMax) + " " + scaled(font.YMax) + "]");
  PutLine("/ItalicAngle " + pdf::FormatFixed(font.ItalicAngle, 1) + " /Ascent " + scaled(font.Ascent) +
          " /Descent " + scaled(font.Descent) + " /CapHeight " + scaled(font.CapHeight) + " /StemV 80");
  PutLine("/FontFile2 " + Reference(descriptor + 1) + " >>");
  PutLine("endobj");

  const int file = Allocate();
  const std::string length = Number(static_cast<long long>(fontFile.size()));
  WriteStreamObject(file, "<< /Length " + length + " /Length1 " + length + " >>", fontFile);

  std::string cmap =
      "/CIDInit /ProcSet findresource begin\r12 dict begin\rbegincmap\r"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\r"
      "/CMapName /Adobe-Identity-UCS def\r/CMapType 2 def\r"
      "1 begincodespacerange\r<0000> <FFFF>\rendcodespacerange\r";
  std::vector<std::pair<uint16_t, char32_t>> characters(face.Characters.begin(), face.Characters.end());
  for (size_t start = 0; start < characters.size(); start += 100) {
    const size_t end = std::min(characters.size(), start + 100);
    cmap += Number(static_cast<long long>(end - start)) + " beginbfchar\r";
    for (size_t i = start; i < end; ++i)
      cmap += "<" + Hex4(characters[i].first) + "> <" + Utf16Hex(characters[i].second) + ">\r";
    cmap += "endbfchar\r";
  }
  cmap += "endcmap\rCMapName currentdict /CMap defineresource pop\rend\rend";
  const int toUnicode = Allocate();
  WriteStreamObject(toUnicode, "<< /Length " + Number(static_cast<long long>(cmap.size())) + " >>", cmap);
}

void TPDFDocument::EndDocument() {
  EndPageContent();
  const int outlines = Allocate();
  PutLine(Number(outlines) + " 0 obj");
  PutLine("<< /Type /Outlines");
  PutLine("/Count 0");
  PutLine(">>");
  PutLine("endobj");

  std::vector<int> fontNumbers;
  for (const TPDFFont& font : fonts_) {
    fontNumbers.push_back(counter_ + 1);
    WriteFontObject(font);
  }
  std::vector<int> unicodeNumbers;
  for (const auto& face : unicodeFonts_.Faces())
    if (face->Subset->Glyphs().size() > 1) WriteUnicodeFontObjects(*face, unicodeNumbers);

  const int resources = Allocate();
  std::string fontEntries;
  for (size_t i = 0; i < fonts_.size(); ++i)
    fontEntries += "/" + WideToUtf8(fonts_[i].ResourceName) + " " + Reference(fontNumbers[i]) + " ";
  size_t written = 0;
  for (const auto& face : unicodeFonts_.Faces())
    if (face->Subset->Glyphs().size() > 1)
      fontEntries += "/" + WideToUtf8(face->ResourceName) + " " + Reference(unicodeNumbers[written++]) + " ";
  PutLine(Number(resources) + " 0 obj");
  PutLine("<< /Font <<" + fontEntries + " >> /ProcSet [ /PDF /Text ] >>");
  PutLine("endobj");

  const int pageTree = Allocate();
  std::string kids;
  for (size_t i = 0; i < pages_.size(); ++i) kids += Reference(pageTree + 1 + static_cast<int>(i)) + " ";
  PutLine(Number(pageTree) + " 0 obj");
  PutLine("<< /Type /Pages");
  PutLine("/Count " + Number(static_cast<long long>(pages_.size())));
  PutLine("/Kids [" + kids + "]");
  PutLine(">>");
  PutLine("endobj");

  for (int content : pages_) {
    const int page = Allocate();
    PutLine(Number(page) + " 0 obj");
    PutLine("<< /Type /Page");
    PutLine("/Parent " + Reference(pageTree));
    PutLine("/Resources " + Reference(resources));
    PutLine("/MediaBox " + BoxText(MediaBox));
    PutLine("/TrimBox " + BoxText(TrimBox));
    PutLine("/Contents " + Reference(content));
    PutLine(">>");
    PutLine("endobj");
  }

  const int catalog = Allocate();
  PutLine(Number(catalog) + " 0 obj");
  PutLine("<< /Type /Catalog ");
  PutLine("/Pages " + Reference(pageTree) + " ");
  PutLine("/Outlines " + Reference(outlines) + " ");
  PutLine(">>");
  PutLine("endobj");

  const int64_t xref = position_;
  PutLine("xref");
  PutLine("0 " + Number(counter_ + 1));
  PutLine("0000000000 65535 f ");
  std::string entries;
  for (int64_t offset : offsets_) {
    std::string digits = Number(offset);
    entries.append(10 - std::min<size_t>(10, digits.size()), '0');
    entries += digits + " 00000 n \r";
  }
  Put(entries);
  PutLine("trailer");
  PutLine("<< /Size " + Number(counter_ + 1));
  PutLine("/Root " + Reference(catalog));
  PutLine(">>");
  PutLine("startxref");
  PutLine(Number(xref));
  Put("%%EOF");
}

}  // namespace verimo
