#include "formats/xls/XlsFormats.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/Exception.h"
#include "engine/TesselIniFile.h"

namespace verimo {

namespace {

struct TPaletteEntry {
  uint8_t index;
  uint32_t rgb;  // 0xRRGGBB
};

// In the order of TxlsColor.
constexpr std::array<TPaletteEntry, kXlsColorCount> kPalette = {{
    {8, 0x000000},  {60, 0x993300}, {59, 0x333300}, {58, 0x003300}, {56, 0x003366}, {18, 0x000080},
    {62, 0x333399}, {63, 0x333333}, {16, 0x800000}, {53, 0xFF6600}, {19, 0x808000}, {17, 0x008000},
    {21, 0x008080}, {12, 0x0000FF}, {54, 0x666699}, {23, 0x808080}, {10, 0xFF0000}, {52, 0xFF9900},
    {50, 0x99CC00}, {57, 0x339966}, {49, 0x33CCCC}, {48, 0x3366FF}, {20, 0x800080}, {55, 0x969696},
    {14, 0xFF00FF}, {51, 0xFFCC00}, {13, 0xFFFF00}, {11, 0x00FF00}, {15, 0x00FFFF}, {40, 0x00CCFF},
    {61, 0x993366}, {22, 0xC0C0C0}, {45, 0xFF99CC}, {47, 0xFFCC99}, {43, 0xFFFF99}, {42, 0xCCFFCC},
    {41, 0xCCFFFF}, {44, 0x99CCFF}, {46, 0xCC99FF}, {9, 0xFFFFFF},  {24, 0x9999FF}, {25, 0x993366},
    {26, 0xFFFFCC}, {27, 0xCCFFFF}, {28, 0x660066}, {29, 0xFF8080}, {30, 0x0066CC}, {31, 0xCCCCFF},
    {32, 0x000080}, {33, 0xFF00FF}, {34, 0xFFFF00}, {35, 0x00FFFF}, {36, 0x800080}, {37, 0x800000},
    {38, 0x008080}, {39, 0x0000FF},
}};

struct TColorName {
  const char16_t* name;
  TColor value;
};

constexpr TColorName kColorNames[] = {
    {u"clBlack", 0x000000}, {u"clMaroon", 0x000080}, {u"clGreen", 0x008000},  {u"clOlive", 0x008080},
    {u"clNavy", 0x800000},  {u"clPurple", 0x800080}, {u"clTeal", 0x808000},   {u"clGray", 0x808080},
    {u"clSilver", 0xC0C0C0}, {u"clRed", 0x0000FF},   {u"clLime", 0x00FF00},   {u"clYellow", 0x00FFFF},
    {u"clBlue", 0xFF0000},  {u"clFuchsia", 0xFF00FF}, {u"clAqua", 0xFFFF00},  {u"clWhite", 0xFFFFFF},
};

// The default cell XF 15.
std::vector<uint8_t> DefaultXFBytes(uint16_t font, uint16_t typeAndProtection, uint8_t usedAttributes) {
  std::vector<uint8_t> data(20, 0);
  Store16(data, 0, font);
  Store16(data, 4, typeAndProtection);
  data[6] = 0x20;
  data[9] = usedAttributes;
  Store16(data, 18, 0x20C0);
  return data;
}

void WriteRecord(TbiffSink& sink, uint16_t id, const std::vector<uint8_t>& data) {
  TbiffRecord(id, data).SaveToStream(sink);
}

// The STYLE records: built-in styles pointing at XFs 16-20, Normal at XF 0.
void WriteStyleRecords(TbiffSink& sink) {
  // Only the Normal style: the built-in number styles would point at the
  // first cell XFs the export made, which are no style XFs.
  WriteRecord(sink, biff::kStyle, {0x00, 0x80, 0x00, 0xFF});
}

void WritePalette(TbiffSink& sink) {
  std::vector<uint8_t> data(2 + 4 * kXlsColorCount, 0);
  Store16(data, 0, kXlsColorCount);
  for (const TPaletteEntry& entry : kPalette) {
    const size_t at = 2 + 4 * static_cast<size_t>(entry.index - 8);
    data[at] = static_cast<uint8_t>(entry.rgb >> 16);
    data[at + 1] = static_cast<uint8_t>((entry.rgb >> 8) & 0xFF);
    data[at + 2] = static_cast<uint8_t>(entry.rgb & 0xFF);
  }
  WriteRecord(sink, biff::kPalette, data);
}

const TxlsFont& DefaultFont() {
  static const TxlsFont font;
  return font;
}

void AppendUtf16(std::string& key, WideStringView text) {
  for (char16_t unit : text) {
    key += static_cast<char>(unit & 0xFF);
    key += static_cast<char>(unit >> 8);
  }
  key += '\0';
  key += '\0';
}

}  // namespace

// ---- colours ----

uint8_t PaletteIndex(TxlsColor color) { return kPalette.at(color).index; }

TColor ColorValue(TxlsColor color) {
  const uint32_t rgb = kPalette.at(color).rgb;
  return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

TxlsColor ColorFromValue(TColor value) {
  for (int i = 0; i < kXlsColorCount; ++i)
    if (ColorValue(static_cast<TxlsColor>(i)) == value) return static_cast<TxlsColor>(i);
  return clrBlack;
}

WideString ColorToText(TColor color) {
  for (const TColorName& name : kColorNames)
    if (name.value == color) return name.name;
  char text[16];
  std::snprintf(text, sizeof text, "$%08X", color);
  return Utf8ToWide(text);
}

bool TextToColor(WideStringView text, TColor& color) {
  for (const TColorName& name : kColorNames)
    if (SameText(text, name.name)) {
      color = name.value;
      return true;
    }
  long long value = 0;
  if (!text.empty() && text[0] == u'$') {
    if (text.size() < 2 || text.size() > 9) return false;
    value = 0;
    for (char16_t ch : text.substr(1)) {
      int digit = ch >= u'0' && ch <= u'9' ? ch - u'0' : ch >= u'a' && ch <= u'f' ? ch - u'a' + 10
                  : ch >= u'A' && ch <= u'F' ? ch - u'A' + 10 : -1;
      if (digit < 0) return false;
      value = value * 16 + digit;
    }
  } else if (!TryWideToInt64(text, value)) {
    return false;
  }
  color = static_cast<TColor>(value);
  return true;
}

// ---- format objects ----

bool TxlsBorders::Any() const {
  for (const TxlsBorder* border : {&Left, &Right, &Top, &Bottom, &DiagDown, &DiagUp})
    if (border->Style != bstNone) return true;
  return false;
}

void TxlsFormat::Assign(const TxlsFormat& source) {
  const WideString fieldName = FieldName;
  *this = source;
  FieldName = fieldName;
}

void TxlsFormat::Reset() {
  const WideString fieldName = FieldName;
  *this = TxlsFormat();
  FieldName = fieldName;
}

namespace {

void WriteColor(TTesselIniFile& file, WideStringView section, WideStringView key, TxlsColor color) {
  file.WriteString(section, key, ColorToText(ColorValue(color)));
}

TxlsColor ReadColor(const TTesselIniFile& file, WideStringView section, WideStringView key, TxlsColor fallback) {
  if (!file.ValueExists(section, key)) return fallback;
  TColor value = 0;
  if (!TextToColor(file.ReadString(section, key, u""), value)) return clrBlack;
  return ColorFromValue(value);
}

template <typename E>
E ReadEnum(const TTesselIniFile& file, WideStringView section, WideStringView key, E fallback, int count) {
  const int value = file.ReadInteger(section, key, fallback);
  return value >= 0 && value < count ? static_cast<E>(value) : fallback;
}

struct TBorderKeys {
  const char16_t* style;
  const char16_t* color;
  TxlsBorder TxlsBorders::*border;
};

constexpr TBorderKeys kBorderKeys[] = {
    {u"BorderTop", u"BorderTopColor", &TxlsBorders::Top},
    {u"BorderBottom", u"BorderBottomColor", &TxlsBorders::Bottom},
    {u"BorderLeft", u"BorderLeftColor", &TxlsBorders::Left},
    {u"BorderRight", u"BorderRightColor", &TxlsBorders::Right},
};

}  // namespace

void TxlsFormat::SaveToIni(TTesselIniFile& file, WideStringView section) const {
  file.WriteString(section, u"FontName", Font.Name);
  file.WriteInteger(section, u"FontSize", Font.Size);
  WriteColor(file, section, u"FontColor", Font.Color);
  file.WriteBool(section, u"FontBold", Font.Has(xfsBold));
  file.WriteBool(section, u"FontItalic", Font.Has(xfsItalic));
  file.WriteBool(section, u"FontStrikeOut", Font.Has(xfsStrikeOut));
  file.WriteInteger(section, u"FontUnderline", Font.Underline);
  file.WriteInteger(section, u"HorAlignment", Alignment.Horizontal);
  file.WriteInteger(section, u"VertAlignment", Alignment.Vertical);
  for (const TBorderKeys& keys : kBorderKeys) {
    file.WriteInteger(section, keys.style, (Borders.*keys.border).Style);
    WriteColor(file, section, keys.color, (Borders.*keys.border).Color);
  }
  file.WriteInteger(section, u"FillPattern", Fill.Pattern);
  WriteColor(file, section, u"FillBackground", Fill.Background);
  WriteColor(file, section, u"FillForeground", Fill.Foreground);
}

void TxlsFormat::LoadFromIni(const TTesselIniFile& file, WideStringView section) {
  Font.Name = CutText(file.ReadString(section, u"FontName", Font.Name), 31);
  Font.Size = std::clamp(file.ReadInteger(section, u"FontSize", Font.Size), 1, 409);
  Font.Color = ReadColor(file, section, u"FontColor", Font.Color);
  auto style = [&](WideStringView key, TxlsFontStyle bit) {
    if (file.ReadBool(section, key, Font.Has(bit)))
      Font.Style |= bit;
    else
      Font.Style &= static_cast<uint8_t>(~bit);
  };
  style(u"FontBold", xfsBold);
  style(u"FontItalic", xfsItalic);
  style(u"FontStrikeOut", xfsStrikeOut);
  Font.Underline = ReadEnum(file, section, u"FontUnderline", Font.Underline, 5);
  Alignment.Horizontal = ReadEnum(file, section, u"HorAlignment", Alignment.Horizontal, 5);
  Alignment.Vertical = ReadEnum(file, section, u"VertAlignment", Alignment.Vertical, 4);
  for (const TBorderKeys& keys : kBorderKeys) {
    TxlsBorder& border = Borders.*keys.border;
    border.Style = ReadEnum(file, section, keys.style, border.Style, 14);
    border.Color = ReadColor(file, section, keys.color, border.Color);
  }
  Fill.Pattern = ReadEnum(file, section, u"FillPattern", Fill.Pattern, 19);
  Fill.Background = ReadColor(file, section, u"FillBackground", Fill.Background);
  Fill.Foreground = ReadColor(file, section, u"FillForeground", Fill.Foreground);
}

void TxlsFieldFormat::SaveToIni(TTesselIniFile& file, WideStringView section) const {
  TxlsFormat::SaveToIni(file, section);
  file.WriteInteger(section, u"Aggregate", Aggregate);
}

void TxlsFieldFormat::LoadFromIni(const TTesselIniFile& file, WideStringView section) {
  TxlsFormat::LoadFromIni(file, section);
  Aggregate = ReadEnum(file, section, u"Aggregate", Aggregate, 5);
}

const TxlsFieldFormat* TxlsFieldFormats::Find(WideStringView fieldName) const {
  for (const TxlsFieldFormat& format : *this)
    if (SameText(format.FieldName, fieldName)) return &format;
  return nullptr;
}

bool IsDefaultFormat(const TxlsFormat& format) {
  const TxlsFont& font = format.Font;
  return font.Size == 10 && font.Style == 0 && font.Color == clrBlack && font.Script == fscNone &&
         font.Underline == fulNone && font.Charset == 1 && font.Name == u"arial" && !format.Borders.Any() &&
         format.Fill.Background == clrWhite && format.Fill.Pattern == ptNone && format.Fill.Foreground == clrWhite &&
         format.Alignment.Horizontal == halGeneral && format.Alignment.Vertical == valBottom && !format.Wrap;
}

// ---- workbook tables ----

std::string TxlsFormatTables::KeyOf(const TxlsXFormat& xf, const TxlsFont* font, const WideString* text) {
  std::string key;
  auto byte = [&key](int value) { key += static_cast<char>(value & 0xFF); };
  if (font) {
    byte(1);
    byte(font->Size);
    byte(font->Size >> 8);
    byte(font->Style);
    byte(font->Color);
    byte(font->Script);
    byte(font->Underline);
    byte(font->Charset);
    AppendUtf16(key, font->Name);
  } else {
    byte(0);
  }
  if (text) {
    byte(1);
    AppendUtf16(key, *text);
  } else {
    byte(0);
  }
  for (const TxlsBorder* border : {&xf.Borders.Left, &xf.Borders.Right, &xf.Borders.Top, &xf.Borders.Bottom,
                                   &xf.Borders.DiagDown, &xf.Borders.DiagUp}) {
    byte(border->Style);
    byte(border->Color);
  }
  byte(xf.Fill.Background);
  byte(xf.Fill.Pattern);
  byte(xf.Fill.Foreground);
  byte(xf.Alignment.Horizontal);
  byte(xf.Alignment.Vertical);
  byte(xf.Wrap);
  byte(xf.Rotation);
  byte(xf.Indent);
  return key;
}

int TxlsFormatTables::FindOrAddFont(const TxlsFont& font) {
  for (size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i] == font) return static_cast<int>(i);
  fonts_.push_back(font);
  fonts_.back().Name = CutText(font.Name, 31);
  return static_cast<int>(fonts_.size() - 1);
}

int TxlsFormatTables::FindOrAddNumberFormat(WideStringView text) {
  auto found = numberFormatIndex_.find(WideString(text));
  if (found != numberFormatIndex_.end()) return found->second;
  TxlsTextFormat format;
  format.Index = static_cast<uint16_t>(kFirstNumberFormat + numberFormats_.size());
  format.Text = WideString(text);
  numberFormats_.push_back(format);
  const int position = static_cast<int>(numberFormats_.size() - 1);
  numberFormatIndex_.emplace(format.Text, position);
  return position;
}

uint16_t TxlsFormatTables::GetXFIndex(WideStringView formatText, const TxlsFormat* format, const TxlsFont& dataFont) {
  const WideString text = formatText.empty() ? WideString(u"General") : WideString(formatText);
  const bool general = text == u"General";
  if (general && format == nullptr) return kDefaultXF;
  TxlsXFormat candidate;
  const TxlsFont* font = nullptr;
  if (format != nullptr) {
    if (!(format->Font == dataFont)) font = &format->Font;
    candidate.Borders = format->Borders;
    candidate.Fill = format->Fill;
    candidate.Alignment = format->Alignment;
    candidate.Wrap = format->Wrap;
    candidate.Rotation = format->Rotation;
    candidate.Indent = format->Indent;
  }
  const std::string key = KeyOf(candidate, font, general ? nullptr : &text);
  auto found = xfIndex_.find(key);
  if (found != xfIndex_.end()) return found->second;
  if (xfs_.size() >= 4000) throw Exception("Too many different cell formats for one workbook");
  if (font != nullptr) candidate.Font = FindOrAddFont(*font);
  if (!general) candidate.NumberFormat = FindOrAddNumberFormat(text);
  candidate.Index = static_cast<uint16_t>(kFirstXF + xfs_.size());
  xfs_.push_back(candidate);
  xfIndex_.emplace(key, candidate.Index);
  return candidate.Index;
}

const TxlsFont& TxlsFormatTables::FontOf(uint16_t xf) const {
  if (xf < kFirstXF || xf - kFirstXF >= static_cast<int>(xfs_.size())) return DefaultFont();
  const int font = xfs_[xf - kFirstXF].Font;
  return font < 0 ? DefaultFont() : fonts_[static_cast<size_t>(font)];
}

WideString TxlsFormatTables::FormatTextOf(uint16_t xf) const {
  if (xf < kFirstXF || xf - kFirstXF >= static_cast<int>(xfs_.size())) return u"General";
  const int format = xfs_[xf - kFirstXF].NumberFormat;
  return format < 0 ? WideString(u"General") : numberFormats_[static_cast<size_t>(format)].Text;
}

TxlsFormat TxlsFormatTables::FormatOf(uint16_t xf) const {
  TxlsFormat format;
  format.Font = FontOf(xf);
  if (xf < kFirstXF || xf - kFirstXF >= static_cast<int>(xfs_.size())) return format;
  const TxlsXFormat& x = xfs_[xf - kFirstXF];
  format.Borders = x.Borders;
  format.Fill = x.Fill;
  format.Alignment = x.Alignment;
  format.Wrap = x.Wrap;
  format.Rotation = x.Rotation;
  format.Indent = x.Indent;
  return format;
}

void TxlsFormatTables::WriteRecords(TbiffSink& sink,
                                    const std::function<WideString(const WideString&)>& translate) const {
  for (int i = 0; i < 4; ++i) WriteRecord(sink, biff::kFont, EncodeFontRecord(DefaultFont()));
  for (const TxlsFont& font : fonts_) WriteRecord(sink, biff::kFont, EncodeFontRecord(font));
  for (const TxlsTextFormat& format : numberFormats_)
    WriteRecord(sink, biff::kFormat, EncodeFormatRecord(format.Index, translate(format.Text)));
  WriteRecord(sink, biff::kXF, DefaultXFBytes(0, 0xFFF5, 0x00));
  for (int i = 1; i <= 14; ++i) WriteRecord(sink, biff::kXF, DefaultXFBytes(i <= 2 ? 1 : i <= 4 ? 2 : 0, 0xFFF5, 0xF4));
  WriteRecord(sink, biff::kXF, DefaultXFBytes(1, 0x0001, 0x00));
  for (const TxlsXFormat& xf : xfs_) {
    const uint16_t font = xf.Font < 0 ? 0 : static_cast<uint16_t>(kFirstFont + xf.Font);
    const uint16_t format = xf.NumberFormat < 0 ? 0 : numberFormats_[static_cast<size_t>(xf.NumberFormat)].Index;
    WriteRecord(sink, biff::kXF, EncodeXFRecord(xf, font, format));
  }
  WriteStyleRecords(sink);
  WritePalette(sink);
}

// ---- record encodings ----

std::vector<uint8_t> EncodeFontRecord(const TxlsFont& font) {
  const WideString name = CutText(font.Name, 31);
  std::vector<uint8_t> data(16 + 2 * name.size(), 0);
  Store16(data, 0, static_cast<uint16_t>(std::clamp(font.Size, 1, 409) * 20));
  // Bit 0 repeats the weight's boldness for readers that look at the flags.
  Store16(data, 2, static_cast<uint16_t>((font.Has(xfsBold) ? 0x0001 : 0) | (font.Has(xfsItalic) ? 0x0002 : 0) |
                                         (font.Has(xfsStrikeOut) ? 0x0008 : 0)));
  Store16(data, 4, PaletteIndex(font.Color));
  Store16(data, 6, font.Has(xfsBold) ? 700 : 400);
  Store16(data, 8, font.Script);
  static constexpr uint8_t kUnderline[] = {0, 1, 2, 0x21, 0x22};
  data[10] = kUnderline[font.Underline];
  data[12] = static_cast<uint8_t>(font.Charset);
  data[14] = static_cast<uint8_t>(name.size());
  data[15] = 1;
  for (size_t i = 0; i < name.size(); ++i) Store16(data, 16 + 2 * i, name[i]);
  return data;
}

std::vector<uint8_t> EncodeXFRecord(const TxlsXFormat& xf, uint16_t fontIndex, uint16_t formatIndex) {
  std::vector<uint8_t> data = DefaultXFBytes(1, 0x0001, 0x00);
  auto word = [&data](size_t at) { return static_cast<uint16_t>(data[at] | (data[at + 1] << 8)); };
  // Fill.
  Store16(data, 8, word(8) | 0x4000);
  Store16(data, 18, static_cast<uint16_t>(PaletteIndex(xf.Fill.Background) | (PaletteIndex(xf.Fill.Foreground) << 7)));
  uint32_t borderWord = static_cast<uint32_t>(xf.Fill.Pattern) << 26;
  // Font and number format.
  if (xf.Font >= 0) {
    Store16(data, 8, word(8) | 0x0800);
    Store16(data, 0, fontIndex);
  }
  if (xf.NumberFormat >= 0) Store16(data, 2, formatIndex);
  // Borders.
  const TxlsBorders& b = xf.Borders;
  if (b.Any()) {
    Store16(data, 8, word(8) | 0x2000);
    uint16_t styles = 0;
    uint16_t colors = 0;
    auto color = [](const TxlsBorder& border) -> uint32_t {
      return border.Style == bstNone ? 0 : PaletteIndex(border.Color);
    };
    styles |= b.Left.Style | (b.Right.Style << 4) | (b.Top.Style << 8) | (b.Bottom.Style << 12);
    colors |= static_cast<uint16_t>(color(b.Left) | (color(b.Right) << 7));
    if (b.DiagDown.Style != bstNone) colors |= 0x4000;
    if (b.DiagUp.Style != bstNone) colors |= 0x8000;
    borderWord |= color(b.Top) | (color(b.Bottom) << 7);
    const TxlsBorder& diagonal = b.DiagDown.Style != bstNone ? b.DiagDown : b.DiagUp;
    borderWord |= (color(diagonal) << 14) | (static_cast<uint32_t>(diagonal.Style) << 21);
    Store16(data, 10, styles);
    Store16(data, 12, colors);
  }
  Store32(data, 14, borderWord);
  // Alignment.
  Store16(data, 8, word(8) | 0x1000);
  data[6] = static_cast<uint8_t>(xf.Alignment.Horizontal | (xf.Wrap ? 0x08 : 0) | (xf.Alignment.Vertical << 4));
  data[7] = xf.Rotation;
  if (xf.Alignment.Horizontal == halLeft) data[8] = static_cast<uint8_t>((data[8] & 0xF0) | (xf.Indent & 0x0F));
  return data;
}

std::vector<uint8_t> EncodeFormatRecord(uint16_t index, WideStringView text) {
  const WideString code = CutText(text, 255);
  std::vector<uint8_t> data(5 + 2 * code.size(), 0);
  Store16(data, 0, index);
  Store16(data, 2, static_cast<uint16_t>(code.size()));
  data[4] = 1;
  for (size_t i = 0; i < code.size(); ++i) Store16(data, 5 + 2 * i, code[i]);
  return data;
}

}  // namespace verimo
