#include "formats/pdf/TesselPDF.h"

#include <charconv>
#include <cmath>

#include "engine/TesselIniFile.h"
#include "engine/TesselPageFit.h"
#include "formats/text/TesselHTMLSettings.h"
#include "platform/codepage/CodePage.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

namespace {

constexpr WideStringView kSection = u"PDF";
constexpr TColor kNoBackground = 16777215;
// Column boundaries are whole points: room for what rounding takes.
constexpr double kRoundingRoom = 1.0;

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
  const int captionInset = Options.CaptionFont.AverageWidth(Options.ColSpacing / 2);
  const int dataInset = Options.DataFont.AverageWidth(Options.ColSpacing / 2);
  TTesselCharWidths captionWidths([&](char32_t ch) { return document.CharWidth(Options.CaptionFont, ch); });
  TTesselCharWidths dataWidths([&](char32_t ch) { return document.CharWidth(Options.DataFont, ch); });
  const TTesselColumnPlan plan =
      PlanColumns(*this, captionWidths, dataWidths, Options.DataFont.AverageWidth(1.0),
                  2.0 * std::max(captionInset, dataInset) + Options.GridLineWidth + kRoundingRoom);
  runPage_ = Options.PageOptions;
  const TPDFBox portrait = runPage_.TrimBox();
  if (ChooseOrientation(plan, runPage_.Orientation(), runPage_.AutoOrientation, portrait.Right - portrait.Left) !=
      runPage_.Orientation())
    runPage_.SetOrientation(poLandscape);
  const TPDFBox trim = runPage_.TrimBox();
  layout_ = LayoutOf(plan, trim);
  layout_.RowSpacing = Options.RowSpacing;
  layout_.GridLineWidth = Options.GridLineWidth;
  layout_.GridLineColor = Options.GridLineColor;
  layout_.CaptionInset = captionInset;
  layout_.DataInset = dataInset;

  document.MediaBox = runPage_.MediaBox();
  document.TrimBox = trim;
  document.BeginDocument();
  started_ = true;
  document.BeginPage();
  document.LineWidth = Options.GridLineWidth;
  document.RowSpacing = Options.RowSpacing;
  document.SetStrokeColor(Options.GridLineColor);
  const int tableTop = WriteLines(Header, Options.HeaderFont, true, trim.Top);
  table_ = std::make_unique<TPDFTable>(document, Options.CaptionFont, Options.DataFont, layout_,
                                       [this](const WideString& text) { return EscapeText(text); }, tableTop);
  for (const TPDFFont* font : {&Options.DataFont, &Options.CaptionFont, &Options.HeaderFont, &Options.FooterFont})
    document.AddFont(*font);
}

// Column boundaries in whole points: one group of every column when the
// words fit the page, otherwise groups that repeat the first column.
TPDFTableLayout TTesselPDF::LayoutOf(const TTesselColumnPlan& plan, const TPDFBox& trim) const {
  TPDFTableLayout layout;
  layout.Trim = trim;
  const double width = trim.Right - trim.Left;
  layout.Groups = plan.Groups(width);
  for (const std::vector<double>& widths : plan.GroupWidths(layout.Groups, width)) {
    std::vector<int>& bounds = layout.Bounds.emplace_back(1, trim.Left);
    double edge = trim.Left;
    for (double columnWidth : widths) {
      edge += columnWidth;
      bounds.push_back(std::max(bounds.back() + 1, static_cast<int>(std::floor(edge))));
    }
  }
  return layout;
}

// Header lines re-emit their colours on a new page; footer lines do not,
// and leave no space after the last line. Lines wider than the page wrap.
int TTesselPDF::WriteLines(const TStringList& lines, const TPDFFont& font, bool header, int y) {
  if (lines.IsEmpty()) return y;
  TPDFDocument& document = Document();
  const TPDFBox trim = runPage_.TrimBox();
  const int size = font.Size();
  const int step = Nint(size * (Options.RowSpacing / 2 + 1));
  document.SetFont(font);
  TTesselCharWidths widths([&](char32_t ch) { return document.CharWidth(font, ch); });
  std::vector<TTesselTextLine> wrapped;
  for (const WideString& line : lines) {
    WrapText(line, trim.Right - trim.Left, widths, wrapped);
    for (const TTesselTextLine& part : wrapped) {
      y -= step;
      if (y < trim.Bottom) {
        document.BeginPage();
        if (header) {
          document.SetFillColor(font.Color());
          document.SetStrokeColor(Options.GridLineColor);
        }
        y = trim.Top - step;
      }
      document.TextOut(trim.Left, y, font.Color(), EscapeText(line.substr(part.Start, part.Length)));
    }
  }
  if (header) y -= Nint(size * Options.RowSpacing / 2);
  return y;
}

void TTesselPDF::WriteCaptionRow() {
  if (!table_) return;
  std::vector<WideString> captions;
  for (const TTesselColumn& column : Columns()) captions.push_back(column.Caption);
  table_->SetCaptions(std::move(captions));
}

void TTesselPDF::WriteDataRow() {
  if (!table_) return;
  const TColor color = Options.DataFont.Color();
  const int n = std::min(Columns().Count(), Row().Count());
  table_->BeginRow();
  for (int r = 0; r < n; ++r) {
    cellText_.clear();
    AppendPlainCellText(Row()[r], cellText_);
    TTesselColAlign align = Columns()[r].ColAlign;
    TColor background = kNoBackground;
    TTesselFont cellFont;
    cellFont.Color = color;
    if (OnGetCellParams)
      OnGetCellParams(*this, RecordCounter(), r, EscapeText(cellText_), align, cellFont, background);
    table_->AddCell(cellText_, align, cellFont.Color, background);
  }
  table_->EndRow();
}

// A stopped or failed run ends the document as well, once.
void TTesselPDF::EndExport() {
  if (started_ && HasWriter()) {
    started_ = false;
    TPDFDocument& document = Document();
    int y = runPage_.TrimBox().Top;
    if (table_) {
      table_->Finish();
      y = table_->Y();
    }
    WriteLines(Footer, Options.FooterFont, false, y);
    document.EndPageContent();
    document.EndDocument();
  }
  table_.reset();
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
  file.WriteBool(kSection, u"AutoOrientation", page.AutoOrientation);
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
  page.AutoOrientation = file.ReadBool(kSection, u"AutoOrientation", page.AutoOrientation);
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
