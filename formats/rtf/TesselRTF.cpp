#include "formats/rtf/TesselRTF.h"

#include "core/Exception.h"
#include "core/ScopeExit.h"
#include "engine/TesselIniFile.h"
#include "engine/TesselPageFit.h"
#include "engine/TesselStream.h"

namespace verimo {
namespace {

constexpr WideStringView kCellStart = u"\\pard\\intbl\\li30\\ri30";
constexpr WideStringView kCellBorders = u"\\clbrdrl\\brdrth \\clbrdrr\\brdrth \\clbrdrt\\brdrth \\clbrdrb\\brdrth";
constexpr int kTableLeft = 36;  // twips
constexpr int kTwipsPerPoint = 20;
// A4 in twips, and the margins every page gets.
constexpr int kPaperShort = 11906;
constexpr int kPaperLong = 16838;
constexpr int kMarginLeftRight = 1800;
constexpr int kMarginTopBottom = 1440;
// What a cell adds to its text: the paragraph indents of 30 twips on each
// side and the room of its borders, in points.
constexpr double kCellPadding = 5.0;

TFontDescription DescriptionOf(const TTesselFont& font) { return {font.Name, font.Height, font.Bold, font.Italic}; }

void ScaleFont(TTesselFont& font, double scale) { font.SetSize(ScaledFontSize(font.Size(), scale)); }

WideString StyleAlignment(TrtfTextAlignment alignment) {
  switch (alignment) {
    case talRight: return u"\\qr";
    case talCenter: return u"\\qc";
    case talFill: return u"\\qj";
    default: return u"\\ql";
  }
}

WideString FontStyleMarkup(const TTesselFont& font) {
  WideString text;
  if (font.Bold) text += u"\\b";
  if (font.Italic) text += u"\\i";
  if (font.Underline) text += u"\\ul";
  if (font.StrikeOut) text += u"\\strike";
  return text;
}

}  // namespace

WideString TrtfStyleMarkup::Run() const {
  WideString run = Font + FontColor + FontStyle;
  if (!run.empty()) run += u' ';
  return run;
}

TTesselRTF::TTesselRTF() {
  published_.ColumnsWidth = true;
  published_.ColumnsAlign = true;
}

TTesselRTF::~TTesselRTF() = default;

std::unique_ptr<TTesselWriter> TTesselRTF::GetWriterClass(TStream& stream) {
  return std::make_unique<TTesselRTFWriter>(this, &stream);
}

TTesselRTFWriter& TTesselRTF::RTFWriter() const { return static_cast<TTesselRTFWriter&>(Writer()); }

TTextMeasurer& TTesselRTF::Measurer() {
  if (TextMeasurer) return *TextMeasurer;
  if (!ownMeasurer_) ownMeasurer_ = CreateSystemTextMeasurer();
  return *ownMeasurer_;
}

TrtfStyleMarkup TTesselRTF::StyleMarkup(const TrtfStyle& style) {
  TTesselRTFWriter& writer = RTFWriter();
  TrtfStyleMarkup markup;
  markup.Alignment = StyleAlignment(style.Alignment);
  markup.Font = writer.GetFontMarkup(style.Font, false);
  markup.FontColor = writer.GetColorMarkup(style.Font.Color, rckText);
  markup.FontStyle = FontStyleMarkup(style.Font);
  if (style.AllowBackground) markup.Background = writer.GetColorMarkup(style.BackgroundColor, rckBackground);
  if (style.AllowHighlight) markup.Highlight = writer.GetColorMarkup(style.HighlightColor, rckHighlight);
  return markup;
}

// ---- the document ----

void TTesselRTF::BeginExport() {
  TTesselFormatText::BeginExport();
  FitTableToPage();
  dataMarkup_.assign(run_.StripStyles.size() + 1, std::nullopt);
  captionMarkup_.reset();
  TTesselRTFWriter& writer = RTFWriter();
  writer.WriteBeginGroup();
  writer.WriteHeader();
  TRTFFontTableItem captionFont;
  captionFont.Number = 0;
  captionFont.Name = run_.CaptionStyle.Font.Name;
  writer.AddFontItem(captionFont);
  TRTFFontTableItem dataFont;
  dataFont.Number = 1;
  dataFont.Name = run_.DataStyle.Font.Name;
  writer.AddFontItem(dataFont);
  writer.WriteFontTable();
  writer.AddColorItem(TRTFColorTableItem(clBlack));
  writer.WriteColorTable();
  writer.GetFontMarkup(run_.DataStyle.Font, true);
  WritePageSize();

  TrtfStyle header = Options.HeaderStyle;
  if (OnGetHeaderStyle) OnGetHeaderStyle(*this, header);
  const TrtfStyleMarkup markup = StyleMarkup(header);
  WriteLinesBlock(Header, markup);
  writer.WritePar();
  WriteTableDefinition(writer, 0);
  // The tables of the further column groups are written aside, each on a
  // page of its own, and join the document at its end.
  parts_.clear();
  for (size_t g = 1; g < groups_.size(); ++g) {
    TTesselWriter& part = parts_.emplace_back([this](TStream& stream) { return GetWriterClass(stream); }).Writer();
    // A paragraph of its own between the tables: a page break right after
    // a table is lost on the way into some word processors.
    part.WriteLn(u"\\par\\page\\par");
    WriteTableDefinition(part, static_cast<int>(g));
  }
}

TTesselWriter& TTesselRTF::GroupWriter(size_t group) {
  return group == 0 ? RTFWriter() : parts_[group - 1].Writer();
}

// The options of the run: the table's orientation, and its caption, data
// and strip fonts narrowed as far as it needs (within a floor), with the
// edges of its columns.
void TTesselRTF::FitTableToPage() {
  const TTesselFont& caption = Options.CaptionStyle.Font;
  const TTesselFont& data = Options.DataStyle.Font;
  TTesselCharWidths captionWidths(
      [&](char32_t ch) { return CharPoints(Measurer(), DescriptionOf(caption), caption.Size(), ch); });
  TTesselCharWidths dataWidths(
      [&](char32_t ch) { return CharPoints(Measurer(), DescriptionOf(data), data.Size(), ch); });
  const TTesselColumnPlan plan = PlanColumns(*this, captionWidths, dataWidths, captionWidths.Of(U'X'), kCellPadding);
  auto textWidth = [](int paperWidth) {
    return static_cast<double>(paperWidth - 2 * kMarginLeftRight - kTableLeft) / kTwipsPerPoint;
  };
  const TTesselTableFit fit =
      FitTable(plan, Options.PageOrientation, Options.AutoOrientation, textWidth(kPaperShort), textWidth(kPaperLong));
  run_ = Options;
  run_.PageOrientation = fit.Orientation;
  ScaleFont(run_.CaptionStyle.Font, fit.Scale);
  ScaleFont(run_.DataStyle.Font, fit.Scale);
  for (TrtfStyle& strip : run_.StripStyles) ScaleFont(strip.Font, fit.Scale);
  groups_ = fit.Groups;
  edges_.clear();
  for (const std::vector<double>& widths : fit.Widths) {
    std::vector<long long>& edges = edges_.emplace_back();
    double edge = kTableLeft;
    for (double width : widths) {
      edge += width * kTwipsPerPoint;
      edges.push_back(std::max(edges.empty() ? kTableLeft + 1 : edges.back() + 1, static_cast<long long>(edge)));
    }
  }
}

void TTesselRTF::WritePageSize() {
  TTesselRTFWriter& writer = RTFWriter();
  if (run_.PageOrientation == poLandscape) {
    writer.WriteLn(u"\\landscape");
    writer.WriteLn(u"\\paperw" + IntToWide(kPaperLong));
    writer.WriteLn(u"\\paperh" + IntToWide(kPaperShort));
  } else {
    writer.WriteLn(u"\\paperw" + IntToWide(kPaperShort));
    writer.WriteLn(u"\\paperh" + IntToWide(kPaperLong));
  }
  writer.WriteLn(u"\\margl" + IntToWide(kMarginLeftRight) + u"\\margr" + IntToWide(kMarginLeftRight) + u"\\margt" +
                 IntToWide(kMarginTopBottom) + u"\\margb" + IntToWide(kMarginTopBottom));
}

void TTesselRTF::WriteLinesBlock(const TStringList& lines, const TrtfStyleMarkup& markup) {
  if (lines.IsEmpty()) return;
  TTesselRTFWriter& writer = RTFWriter();
  WideString open = u"{" + markup.Alignment + markup.Background;
  if (!markup.Background.empty()) open += u' ';
  writer.WriteLn(open);
  TScopeExit close([&writer] { writer.WriteLn(u"}"); });
  const WideString lineStart = u"{" + markup.Highlight + markup.Run();
  for (const WideString& line : lines) {
    writer.Write(lineStart);
    writer.Write(rtf::Encode(EscapeText(line), rtf::TLineBreaks::Paragraph));
    writer.WriteLn(u"}");
    writer.WritePar();
  }
}

void TTesselRTF::WriteTableDefinition(TTesselWriter& writer, int group) {
  writer.WriteLn(u"\\trowd\\trql\\trgaph0\\trleft36");
  for (long long edge : edges_[static_cast<size_t>(group)]) {
    writer.WriteLn(kCellBorders);
    writer.WriteLn(u"\\cellx" + IntToWide(edge));
  }
}

void TTesselRTF::BeforeExport() {
  const WideString markup = RTFWriter().GetFontMarkup(run_.DataStyle.Font, true);
  for (TTesselAsidePart& part : parts_) part.Writer().WriteLn(markup);
}

void TTesselRTF::EndExport() {
  if (HasWriter()) {
    TTesselRTFWriter& writer = RTFWriter();
    writer.WriteLn(u"\\pard");
    for (TTesselAsidePart& part : parts_) {
      part.CopyTo(*writer.Stream());
      writer.WriteLn(u"\\pard");
    }
    parts_.clear();
    TrtfStyle footer = Options.FooterStyle;
    if (OnGetFooterStyle) OnGetFooterStyle(*this, footer);
    const TrtfStyleMarkup markup = StyleMarkup(footer);
    if (!Footer.IsEmpty()) {
      writer.WritePar();
      WriteLinesBlock(Footer, markup);
    }
    writer.WriteEndGroup();
    writer.Finish();
  }
  TTesselFormatText::EndExport();
}

// ---- rows and cells ----

void TTesselRTF::WriteCaptionRow() {
  const WideString markup = RTFWriter().GetFontMarkup(run_.CaptionStyle.Font, true);
  for (TTesselAsidePart& part : parts_) part.Writer().WriteLn(markup);
  cells_.clear();
  for (int i = 0; i < Columns().Count(); ++i) cells_.push_back(GetColCaption(i));
  WriteRows();
}

// The cells held in cells_, a row in each group's table.
void TTesselRTF::WriteRows() {
  for (size_t g = 0; g < groups_.size(); ++g) {
    rowText_.clear();
    for (int column : groups_[g])
      if (static_cast<size_t>(column) < cells_.size()) rowText_ += cells_[static_cast<size_t>(column)];
    rowText_ += u"\\row";
    GroupWriter(g).WriteLn(rowText_);
  }
}

WideString TTesselRTF::CaptionCellAlignment(int index) const {
  TTesselColAlign align = Options.CaptionStyle.Alignment == talRight    ? ecaRight
                          : Options.CaptionStyle.Alignment == talCenter ? ecaCenter
                                                                        : ecaLeft;
  const WideString word = Trim(Options.CaptionAligns.Value(Columns()[index].Name));
  if (!word.empty()) {
    const char16_t first = UpperCase(word.substr(0, 1)).front();
    align = first == u'C' ? ecaCenter : first == u'R' ? ecaRight : ecaLeft;
  }
  return RTFWriter().AlignToStr(align);
}

WideString TTesselRTF::GetColCaption(int index) {
  const WideString text = TTesselFormatText::GetColCaption(index);
  const WideString alignment = CaptionCellAlignment(index);
  TrtfStyleMarkup markup;
  if (OnGetCaptionStyle) {
    TrtfStyle style = run_.CaptionStyle;
    OnGetCaptionStyle(*this, index, style);
    markup = StyleMarkup(style);
  } else {
    if (!captionMarkup_) captionMarkup_ = StyleMarkup(run_.CaptionStyle);
    markup = *captionMarkup_;
  }
  WideString cell(kCellStart);
  cell += markup.Background;
  cell += alignment;
  cell += u'{';
  cell += markup.Highlight;
  cell += markup.Run();
  rtf::AppendEncoded(cell, text, rtf::TLineBreaks::Cell);
  cell += u"}\\cell";
  return cell;
}

void TTesselRTF::WriteDataRow() {
  cells_.resize(static_cast<size_t>(Row().Count()));
  for (int i = 0; i < Row().Count(); ++i) {
    currentColumn_ = i;
    cells_[static_cast<size_t>(i)] = GetCellText(Row()[i]);
  }
  WriteRows();
}

const TrtfStyle& TTesselRTF::DataStyleFor(int column, int& cacheSlot) const {
  const auto strips = static_cast<int>(run_.StripStyles.size());
  if (run_.StripType != ssNone && strips > 0) {
    cacheSlot = (run_.StripType == ssColumn ? column : RecordCounter()) % strips;
    return run_.StripStyles[static_cast<size_t>(cacheSlot)];
  }
  cacheSlot = strips;
  return run_.DataStyle;
}

const TrtfStyleMarkup& TTesselRTF::DataMarkup(int column) {
  int slot = 0;
  const TrtfStyle& style = DataStyleFor(column, slot);
  std::optional<TrtfStyleMarkup>& cached = dataMarkup_[static_cast<size_t>(slot)];
  if (!cached) cached = StyleMarkup(style);
  return *cached;
}

WideString TTesselRTF::GetColData(const WideString& text, const TTesselColumn& column) {
  TrtfStyleMarkup eventMarkup;
  const TrtfStyleMarkup* markup = nullptr;
  if (OnGetDataStyle) {
    int slot = 0;
    TrtfStyle style = DataStyleFor(currentColumn_, slot);
    OnGetDataStyle(*this, SkipRecCount + RecordCounter(), currentColumn_, style);
    eventMarkup = StyleMarkup(style);
    markup = &eventMarkup;
  } else {
    markup = &DataMarkup(currentColumn_);
  }
  WideString cell(kCellStart);
  cell += markup->Background;
  cell += markup->Highlight;
  cell += RTFWriter().AlignToStr(column.ColAlign);
  cell += u'{';
  cell += markup->Run();
  rtf::AppendEncoded(cell, text, rtf::TLineBreaks::Cell);
  cell += u"}\\cell";
  return cell;
}

WideString TTesselRTF::EscapeText(const WideString& text) { return rtf::DoubleBackslashes(text); }

// ---- settings ----

void TTesselRTF::SaveSettings(TTesselIniFile& settings) {
  TTesselFormatText::SaveSettings(settings);
  rtf::SaveOptions(settings, Options);
}

void TTesselRTF::LoadSettings(TTesselIniFile& settings) {
  TTesselFormatText::LoadSettings(settings);
  rtf::LoadOptions(settings, Options);
}

}  // namespace verimo
