#include "formats/pdf/TesselPDF.h"

#include <charconv>
#include <cmath>

#include "engine/TesselIniFile.h"
#include "formats/text/TesselHTMLSettings.h"
#include "platform/codepage/CodePage.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

namespace {

constexpr WideStringView kSection = u"PDF";
constexpr TColor kNoBackground = 16777215;

int Nint(double value) { return RoundHalfEven(value); }

}  // namespace

void TPDFOptions::Assign(const TPDFOptions& source) {
  PageOptions = source.PageOptions;
  HeaderFont.Assign(source.HeaderFont);
  CaptionFont.Assign(source.CaptionFont);
  DataFont.Assign(source.DataFont);
  FooterFont.Assign(source.FooterFont);
  RowSpacing = source.RowSpacing;
  ColSpacing = source.ColSpacing;
  GridLineWidth = source.GridLineWidth;
  GridLineColor = source.GridLineColor;
}

TTesselPDFWriter::TTesselPDFWriter(TTessel* owner, TStream* stream, int codePage)
    : TTesselWriter(owner, stream), document_(*stream, codePage) {}

TTesselPDF::TTesselPDF() {
  published_.ColumnsWidth = true;
  published_.ColumnsAlign = true;
}

TTesselPDF::~TTesselPDF() = default;

std::unique_ptr<TTesselWriter> TTesselPDF::GetWriterClass(TStream& stream) {
  return std::make_unique<TTesselPDFWriter>(this, &stream, SystemCodePage(TSystemCodePage::Ansi));
}

TPDFDocument& TTesselPDF::Document() { return static_cast<TTesselPDFWriter&>(Writer()).Document(); }

TTextMeasurer& TTesselPDF::Measurer() {
  if (TextMeasurer != nullptr) return *TextMeasurer;
  if (!systemMeasurer_) systemMeasurer_ = CreateSystemTextMeasurer();
  return *systemMeasurer_;
}

WideString TTesselPDF::EscapeText(const WideString& text) {
  WideString escaped;
  escaped.reserve(text.size() + 4);
  for (char16_t ch : text) {
    if (ch == u'\\' || ch == u'(' || ch == u')') escaped += u'\\';
    escaped += ch;
  }
  return escaped;
}

void TTesselPDF::RefreshFontWidths() {
  const std::array<char16_t, 256>& characters = Document().Encoding().Characters();
  for (TPDFFont* font : {&Options.HeaderFont, &Options.CaptionFont, &Options.DataFont, &Options.FooterFont})
    if (font->UseUserFont) font->RefreshWidths(Measurer(), characters);
  if (Options.DataFont.UseUserFont || Options.CaptionFont.UseUserFont || Options.HeaderFont.UseUserFont ||
      Options.FooterFont.UseUserFont)
    Document().Measurer = &Measurer();
}

void TTesselPDF::BeginExport() {
  TTesselFormatText::BeginExport();
  TPDFDocument& document = Document();
  RefreshFontWidths();
  const TPDFBox trim = Options.PageOptions.TrimBox();
  y_ = tableTop_ = trim.Top;
  bounds_.assign(1, trim.Left);
  for (const TTesselColumn& column : Columns())
    bounds_.push_back(bounds_.back() + Options.DataFont.AverageWidth(column.Width + Options.ColSpacing));
  document.MediaBox = Options.PageOptions.MediaBox();
  document.TrimBox = trim;
  document.BeginDocument();
  started_ = true;
  document.BeginPage();
  document.LineWidth = Options.GridLineWidth;
  document.RowSpacing = Options.RowSpacing;
  document.SetStrokeColor(Options.GridLineColor);
  WriteLines(Header, Options.HeaderFont, true);
  tableTop_ = y_;
  for (const TPDFFont* font : {&Options.DataFont, &Options.CaptionFont, &Options.HeaderFont, &Options.FooterFont})
    document.AddFont(*font);
}

// Header lines re-emit their colours on a new page; footer lines do not,
// and leave no space after the last line.
void TTesselPDF::WriteLines(const TStringList& lines, const TPDFFont& font, bool header) {
  if (lines.IsEmpty()) return;
  TPDFDocument& document = Document();
  const TPDFBox trim = Options.PageOptions.TrimBox();
  const int size = font.Size();
  const int step = Nint(size * (Options.RowSpacing / 2 + 1));
  document.SetFont(font);
  for (const WideString& line : lines) {
    y_ -= step;
    if (y_ < trim.Bottom) {
      document.BeginPage();
      if (header) {
        document.SetFillColor(font.Color());
        document.SetStrokeColor(Options.GridLineColor);
      }
      y_ = trim.Top - step;
    }
    document.TextOut(trim.Left, y_, font.Color(), EscapeText(line));
  }
  if (header) y_ -= Nint(size * Options.RowSpacing / 2);
}

void TTesselPDF::VerticalRules(int top, int bottom) {
  TPDFDocument& document = Document();
  const double half = Options.GridLineWidth / 2.0;
  for (int x : bounds_) document.Line(Options.GridLineColor, x, top + half, x, bottom - half);
}

void TTesselPDF::CellText(int x, int indent, int baseline, const WideString& text, int textWidth, int room,
                          int column, int top, int bottom, TColor color) {
  TPDFDocument& document = Document();
  if (textWidth <= room) {
    document.TextOut(x, baseline, color, text);
    return;
  }
  const double half = Options.GridLineWidth / 2.0;
  const int left = bounds_[static_cast<size_t>(column)];
  const int right = bounds_[static_cast<size_t>(column) + 1];
  document.BeginClip(left + half, bottom + half, right - left - 2 * half, top - bottom - 2 * half);
  document.TextOut(left + indent, baseline, color, text);
  document.EndClip();
}

void TTesselPDF::WriteCaptionRow() {
  TPDFDocument& document = Document();
  const TPDFFont& font = Options.CaptionFont;
  const int size = font.Size();
  document.SetFont(font);
  const int n = Columns().Count();
  std::vector<WideString> captions;
  for (int i = 0; i < n; ++i) {
    captions.push_back(GetColCaption(i));
    const auto at = static_cast<size_t>(i);
    const int need = font.AverageWidth(static_cast<double>(Columns()[i].Caption.size()) + 2 * Options.ColSpacing);
    if (bounds_[at + 1] < bounds_[at] + need) {
      const int shift = bounds_[at] + need - bounds_[at + 1];
      for (size_t k = at + 1; k < bounds_.size(); ++k) bounds_[k] += shift;
    }
  }
  const int top = y_;
  document.Line(Options.GridLineColor, bounds_.front(), y_, bounds_.back(), y_);
  y_ -= Nint(size * (Options.RowSpacing / 2 + 1));
  const int baseline = y_;
  const int bottom = baseline - Nint(size * Options.RowSpacing / 2);
  const int indent = font.AverageWidth(Options.ColSpacing / 2);
  for (int i = 0; i < n; ++i) {
    const auto at = static_cast<size_t>(i);
    const int room = bounds_[at + 1] - bounds_[at] - 2 * indent;
    CellText(bounds_[at] + indent, indent, baseline, captions[at], document.TextWidth(font, captions[at]), room,
             i, top, bottom, font.Color());
  }
  y_ = bottom;
  document.Line(Options.GridLineColor, bounds_.front(), y_, bounds_.back(), y_);
}

void TTesselPDF::StartNewPage(TColor textColor) {
  TPDFDocument& document = Document();
  VerticalRules(tableTop_, y_);
  y_ = tableTop_ = Options.PageOptions.TrimBox().Top;
  document.BeginPage();
  document.SetFillColor(textColor);
  document.SetStrokeColor(Options.GridLineColor);
  document.Line(Options.GridLineColor, bounds_.front(), y_, bounds_.back(), y_);
}

void TTesselPDF::WriteDataRow() {
  TPDFDocument& document = Document();
  const TPDFFont& font = Options.DataFont;
  const int size = font.Size();
  const double spacing = Options.RowSpacing;
  document.SetFont(font);
  if (y_ - Nint(size * (spacing + 1)) < Options.PageOptions.TrimBox().Bottom) StartNewPage(font.Color());
  const int top = y_;
  y_ -= Nint(size * (spacing / 2 + 1));
  const int baseline = y_;
  const int bottom = baseline - Nint(size * spacing / 2);
  const int indent = font.AverageWidth(Options.ColSpacing / 2);
  const int spacingWidth = font.AverageWidth(Options.ColSpacing);
  const int n = std::min(Columns().Count(), Row().Count());
  for (int r = 0; r < n; ++r) {
    const auto at = static_cast<size_t>(r);
    const WideString value = GetCellText(Row()[r]);
    TTesselColAlign align = Columns()[r].ColAlign;
    TColor background = kNoBackground;
    TTesselFont cellFont;
    cellFont.Color = font.Color();
    if (OnGetCellParams) OnGetCellParams(*this, RecordCounter(), r, value, align, cellFont, background);
    const int left = bounds_[at], right = bounds_[at + 1];
    if (background != kNoBackground)
      document.FillRect(background, left, baseline - size * spacing / 2, right - left,
                        size * (spacing + 1) - Options.GridLineWidth / 2.0);
    const int width = document.TextWidth(font, value);
    int x = left + indent;
    if (align == ecaCenter)
      x += static_cast<int>(std::ceil((right - left - width - spacingWidth) / 2.0));
    else if (align == ecaRight)
      x = right - indent - width;
    CellText(x, indent, baseline, value, width, right - left - 2 * indent, r, top, bottom, cellFont.Color);
  }
  y_ = bottom;
  document.Line(Options.GridLineColor, bounds_.front(), y_, bounds_.back(), y_);
}

// A stopped or failed run ends the document as well, once.
void TTesselPDF::EndExport() {
  if (started_ && HasWriter()) {
    started_ = false;
    TPDFDocument& document = Document();
    if (y_ != Options.PageOptions.TrimBox().Top) VerticalRules(tableTop_, y_);
    WriteLines(Footer, Options.FooterFont, false);
    document.EndPageContent();
    document.EndDocument();
  }
  TTesselFormatText::EndExport();
}

// ---- settings ----

namespace pdf {

namespace {

constexpr const char16_t* kFontSections[] = {u"PDF_OPTION_HEADER", u"PDF_OPTION_CAPTION", u"PDF_OPTION_DATA",
                                             u"PDF_OPTION_FOOTER"};

TPDFFont* FontOf(TPDFOptions& options, int index) {
  TPDFFont* fonts[] = {&options.HeaderFont, &options.CaptionFont, &options.DataFont, &options.FooterFont};
  return fonts[index];
}

double ReadReal(const TTesselIniFile& file, WideStringView key, double defaultValue) {
  std::string text = WideToUtf8(Trim(file.ReadString(kSection, key, u"")));
  for (char& ch : text)
    if (ch == ',') ch = '.';
  double value = defaultValue;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(value) ? value
                                                                                                   : defaultValue;
}

void SaveFont(TTesselIniFile& file, WideStringView section, const TPDFFont& font) {
  file.WriteInteger(section, u"FontName", font.BaseFont);
  file.WriteInteger(section, u"FontEncoding", font.FontEncoding);
  file.WriteInteger(section, u"FontSize", font.FontSize);
  file.WriteString(section, u"FontColor", html::ColorToText(font.FontColor));
  file.WriteBool(section, u"UseUserFont", font.UseUserFont);
  file.WriteString(section, u"UserFontName", font.UserFont.Name);
  file.WriteInteger(section, u"UserFontColor", static_cast<int>(font.UserFont.Color));
  file.WriteInteger(section, u"UserFontSize", font.UserFont.Size);
  file.WriteBool(section, u"UserFontBold", font.UserFont.Bold);
  file.WriteBool(section, u"UserFontItalic", font.UserFont.Italic);
}

void LoadFont(const TTesselIniFile& file, WideStringView section, TPDFFont& font) {
  const int name = file.ReadInteger(section, u"FontName", font.BaseFont);
  if (name >= 0 && name < kPDFFontNameCount) font.BaseFont = static_cast<TPDFFontName>(name);
  const int encoding = file.ReadInteger(section, u"FontEncoding", font.FontEncoding);
  if (encoding >= poStandardEncoding && encoding <= poPDFDocEncoding)
    font.FontEncoding = static_cast<TPDFFontEncoding>(encoding);
  const int size = file.ReadInteger(section, u"FontSize", font.FontSize);
  if (size > 0 && size <= 1000) font.FontSize = size;
  TColor color = font.FontColor;
  if (html::TextToColor(Trim(file.ReadString(section, u"FontColor", html::ColorToText(font.FontColor))), color))
    font.FontColor = color;
  font.UseUserFont = file.ReadBool(section, u"UseUserFont", font.UseUserFont);
  const WideString userName = Trim(file.ReadString(section, u"UserFontName", font.UserFont.Name));
  if (!userName.empty()) font.UserFont.Name = userName;
  font.UserFont.Color =
      static_cast<TColor>(file.ReadInteger(section, u"UserFontColor", static_cast<int>(font.UserFont.Color)));
  const int userSize = file.ReadInteger(section, u"UserFontSize", font.UserFont.Size);
  if (userSize > 0 && userSize <= 1000) font.UserFont.Size = userSize;
  font.UserFont.Bold = file.ReadBool(section, u"UserFontBold", font.UserFont.Bold);
  font.UserFont.Italic = file.ReadBool(section, u"UserFontItalic", font.UserFont.Italic);
}

}  // namespace

void SaveOptions(TTesselIniFile& file, const TPDFOptions& options) {
  const TTesselPDFPageOptions& page = options.PageOptions;
  file.WriteString(kSection, u"ColSpacing", Utf8ToWide(FormatFixed(options.ColSpacing, 1)));
  file.WriteString(kSection, u"RowSpacing", Utf8ToWide(FormatFixed(options.RowSpacing, 1)));
  file.WriteInteger(kSection, u"GridLineWidth", options.GridLineWidth);
  file.WriteInteger(kSection, u"PageFormat", page.Format());
  file.WriteInteger(kSection, u"PageUnits", page.Units);
  file.WriteInteger(kSection, u"PageOrientation", page.Orientation());
  file.WriteInteger(kSection, u"PageWidth", page.WidthPoints());
  file.WriteInteger(kSection, u"PageHeight", page.HeightPoints());
  file.WriteInteger(kSection, u"PageMarginLeft", page.MarginPoints(0));
  file.WriteInteger(kSection, u"PageMarginRight", page.MarginPoints(1));
  file.WriteInteger(kSection, u"PageMarginTop", page.MarginPoints(2));
  file.WriteInteger(kSection, u"PageMarginBottom", page.MarginPoints(3));
  for (int i = 0; i < 4; ++i) SaveFont(file, kFontSections[i], *FontOf(const_cast<TPDFOptions&>(options), i));
}

// Values out of range keep the current ones; a page smaller than its
// margins keeps the current page.
void LoadOptions(const TTesselIniFile& file, TPDFOptions& options) {
  options.ColSpacing = ReadReal(file, u"ColSpacing", options.ColSpacing);
  if (options.ColSpacing < 0) options.ColSpacing = 0;
  options.RowSpacing = ReadReal(file, u"RowSpacing", options.RowSpacing);
  if (options.RowSpacing < 0) options.RowSpacing = 0;
  const int lineWidth = file.ReadInteger(kSection, u"GridLineWidth", options.GridLineWidth);
  if (lineWidth >= 0 && lineWidth <= 100) options.GridLineWidth = lineWidth;
  TTesselPDFPageOptions& page = options.PageOptions;
  const int format = file.ReadInteger(kSection, u"PageFormat", page.Format());
  if (format >= 0 && format < kPageFormatCount) page.SetFormatOnly(static_cast<TTesselPageFormat>(format));
  const int units = file.ReadInteger(kSection, u"PageUnits", page.Units);
  if (units >= unInch && units <= unDot) page.Units = static_cast<TTesselUnits>(units);
  const int orientation = file.ReadInteger(kSection, u"PageOrientation", page.Orientation());
  if (orientation == poPortrait || orientation == poLandscape)
    page.SetOrientationOnly(static_cast<TTesselPageOrientation>(orientation));
  const int width = file.ReadInteger(kSection, u"PageWidth", page.WidthPoints());
  const int height = file.ReadInteger(kSection, u"PageHeight", page.HeightPoints());
  const int left = file.ReadInteger(kSection, u"PageMarginLeft", page.MarginPoints(0));
  const int right = file.ReadInteger(kSection, u"PageMarginRight", page.MarginPoints(1));
  const int top = file.ReadInteger(kSection, u"PageMarginTop", page.MarginPoints(2));
  const int bottom = file.ReadInteger(kSection, u"PageMarginBottom", page.MarginPoints(3));
  if (width > 0 && height > 0 && width <= 14400 && height <= 14400 && left >= 0 && right >= 0 && top >= 0 &&
      bottom >= 0 && left + right < width && top + bottom < height)
    page.SetPoints(width, height, left, right, top, bottom);
  for (int i = 0; i < 4; ++i) LoadFont(file, kFontSections[i], *FontOf(options, i));
}

}  // namespace pdf

void TTesselPDF::SaveSettings(TTesselIniFile& settings) {
  TTesselFormatText::SaveSettings(settings);
  pdf::SaveOptions(settings, Options);
}

void TTesselPDF::LoadSettings(TTesselIniFile& settings) {
  TTesselFormatText::LoadSettings(settings);
  pdf::LoadOptions(settings, Options);
}

}  // namespace verimo
