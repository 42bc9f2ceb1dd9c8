#include "formats/rtf/TesselRTF.h"

#include "core/Exception.h"
#include "engine/TesselIniFile.h"

namespace verimo {
namespace {

constexpr WideStringView kCellStart = u"\\pard\\intbl\\li30\\ri30";
constexpr WideStringView kCellBorders = u"\\clbrdrl\\brdrth \\clbrdrr\\brdrth \\clbrdrt\\brdrth \\clbrdrb\\brdrth";
constexpr int kTableLeft = 36;     // twips
constexpr int kTwipsPerPixel = 15;
constexpr int kCellPadding = 10;   // twips added to every cell

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

// Runs an action when the scope ends, also when an exception leaves it.
class TFinally {
 public:
  explicit TFinally(std::function<void()> action) : action_(std::move(action)) {}
  TFinally(const TFinally&) = delete;
  TFinally& operator=(const TFinally&) = delete;
  ~TFinally() noexcept(false) {
    if (std::uncaught_exceptions() > exceptions_) {
      try {
        action_();
      } catch (...) {
        // The exception already on its way out is the one to report.
      }
    } else {
      action_();
    }
  }

 private:
  std::function<void()> action_;
  int exceptions_ = std::uncaught_exceptions();
};

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
  dataMarkup_.assign(Options.StripStyles.size() + 1, std::nullopt);
  captionMarkup_.reset();
  TTesselRTFWriter& writer = RTFWriter();
  writer.WriteBeginGroup();
  writer.WriteHeader();
  TRTFFontTableItem captionFont;
  captionFont.Number = 0;
  captionFont.Name = Options.CaptionStyle.Font.Name;
  writer.AddFontItem(captionFont);
  TRTFFontTableItem dataFont;
  dataFont.Number = 1;
  dataFont.Name = Options.DataStyle.Font.Name;
  writer.AddFontItem(dataFont);
  writer.WriteFontTable();
  writer.AddColorItem(TRTFColorTableItem(clBlack));
  writer.WriteColorTable();
  writer.GetFontMarkup(Options.DataStyle.Font, true);
  WritePageSize();

  TrtfStyle header = Options.HeaderStyle;
  if (OnGetHeaderStyle) OnGetHeaderStyle(*this, header);
  const TrtfStyleMarkup markup = StyleMarkup(header);
  WriteLinesBlock(Header, markup);
  writer.WritePar();
  WriteTableDefinition();
}

void TTesselRTF::WritePageSize() {
  TTesselRTFWriter& writer = RTFWriter();
  if (Options.PageOrientation == poLandscape) {
    writer.WriteLn(u"\\landscape");
    writer.WriteLn(u"\\paperw16838");
    writer.WriteLn(u"\\paperh11906");
  } else {
    writer.WriteLn(u"\\paperw11906");
    writer.WriteLn(u"\\paperh16838");
  }
}

void TTesselRTF::WriteLinesBlock(const TStringList& lines, const TrtfStyleMarkup& markup) {
  if (lines.IsEmpty()) return;
  TTesselRTFWriter& writer = RTFWriter();
  WideString open = u"{" + markup.Alignment + markup.Background;
  if (!markup.Background.empty()) open += u' ';
  writer.WriteLn(open);
  TFinally close([&writer] { writer.WriteLn(u"}"); });
  const WideString lineStart = u"{" + markup.Highlight + markup.Run();
  for (const WideString& line : lines) {
    writer.Write(lineStart);
    writer.Write(rtf::Encode(EscapeText(line), rtf::TLineBreaks::Paragraph));
    writer.WriteLn(u"}");
    writer.WritePar();
  }
}

void TTesselRTF::WriteTableDefinition() {
  TTesselRTFWriter& writer = RTFWriter();
  writer.WriteLn(u"\\trowd\\trql\\trgaph0\\trleft36");
  const TTesselFont& font = Options.CaptionStyle.Font;
  const TFontDescription measured{font.Name, font.Height, font.Bold, font.Italic};
  const int x = Measurer().TextWidth(measured, u"X");
  long long edge = kTableLeft;
  for (int i = 0; i < Columns().Count(); ++i) {
    edge += static_cast<long long>(x) * Columns()[i].Width * kTwipsPerPixel + kCellPadding;
    writer.WriteLn(kCellBorders);
    writer.WriteLn(u"\\cellx" + IntToWide(edge));
  }
}

void TTesselRTF::BeforeExport() { RTFWriter().GetFontMarkup(Options.DataStyle.Font, true); }

void TTesselRTF::EndExport() {
  if (HasWriter()) {
    TTesselRTFWriter& writer = RTFWriter();
    writer.WriteLn(u"\\pard");
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
  TTesselRTFWriter& writer = RTFWriter();
  writer.GetFontMarkup(Options.CaptionStyle.Font, true);
  rowText_.clear();
  for (int i = 0; i < Columns().Count(); ++i) rowText_ += GetColCaption(i);
  rowText_ += u"\\row";
  writer.WriteLn(rowText_);
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
    TrtfStyle style = Options.CaptionStyle;
    OnGetCaptionStyle(*this, index, style);
    markup = StyleMarkup(style);
  } else {
    if (!captionMarkup_) captionMarkup_ = StyleMarkup(Options.CaptionStyle);
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
  rowText_.clear();
  for (int i = 0; i < Row().Count(); ++i) {
    currentColumn_ = i;
    rowText_ += GetCellText(Row()[i]);
  }
  rowText_ += u"\\row";
  RTFWriter().WriteLn(rowText_);
}

const TrtfStyle& TTesselRTF::DataStyleFor(int column, int& cacheSlot) const {
  const auto strips = static_cast<int>(Options.StripStyles.size());
  if (Options.StripType != ssNone && strips > 0) {
    cacheSlot = (Options.StripType == ssColumn ? column : RecordCounter()) % strips;
    return Options.StripStyles[static_cast<size_t>(cacheSlot)];
  }
  cacheSlot = strips;
  return Options.DataStyle;
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
