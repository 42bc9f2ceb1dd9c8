#include "formats/text/TesselLaTeX.h"

#include <unicode/utf16.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/TesselIniFile.h"
#include "engine/TesselPageFit.h"
#include "platform/codepage/CodePage.h"

namespace verimo {

namespace {

constexpr char16_t kSection[] = u"LATEX";
constexpr size_t kMaxSourceLine = 1000;
// A row of a longtable does not break across pages: a text taller than
// this share of the lines a page holds below its caption row goes on in
// the rows below (TeX's widths and breaks differ a little from the
// measure here).
constexpr double kRowShareOfPage = 0.85;
// The fewest lines a row is held to, however tall the caption row.
constexpr size_t kFewestLinesInARow = 3;
// The rules above and below the caption row and under a row, in points.
constexpr double kRulesAroundRows = 3 * 0.4;
// The zero-width space: where a word too long for its column may break.
constexpr char16_t kBreakHere = 0x200B;
// What a column adds to its text: \tabcolsep on both sides and a rule.
constexpr double kCellPadding = 2 * 6 + 0.4;
// A word wider than its column is cut into pieces a little narrower than
// the column, so that TeX, whose spacing differs a little from the
// measure here, breaks it where the pieces end.
constexpr double kWordPiece = 0.9;
// What a measured width may exceed its room by and still fit (rounding).
constexpr double kSlack = 0.01;

// The class option's font size.
int FontSizeOf(WideStringView params) {
  const WideString lower = LowerCase(params);
  if (lower.find(u"12pt") != WideString::npos) return 12;
  if (lower.find(u"11pt") != WideString::npos) return 11;
  return 10;
}

// The paper options of the standard classes, in the order the classes
// declare (and so apply) them, with the paper's width and height in
// points.
struct TPaper {
  const char16_t* option;
  double width;
  double height;
};
constexpr double kMillimetre = 72.27 / 25.4;
constexpr double kInch = 72.27;
constexpr TPaper kPapers[] = {
    {u"a4paper", 210 * kMillimetre, 297 * kMillimetre},
    {u"a5paper", 148 * kMillimetre, 210 * kMillimetre},
    {u"b5paper", 176 * kMillimetre, 250 * kMillimetre},
    {u"letterpaper", 8.5 * kInch, 11 * kInch},
    {u"legalpaper", 8.5 * kInch, 14 * kInch},
    {u"executivepaper", 7.25 * kInch, 10.5 * kInch},
};

// The class options, split at commas, without the spaces around them.
std::vector<WideString> OptionsOf(WideStringView params) {
  std::vector<WideString> options;
  size_t start = 0;
  while (start <= params.size()) {
    size_t end = params.find(u',', start);
    if (end == WideStringView::npos) end = params.size();
    options.push_back(Trim(params.substr(start, end - start)));
    start = end + 1;
  }
  return options;
}

bool IsWordSpace(char16_t ch) { return ch == u' ' || ch == u'\t' || ch == u'\r' || ch == u'\n'; }

// Characters outside ASCII that a plain document (the default text fonts
// and UTF-8 input) cannot set.
bool IsUnsettable(char32_t ch) {
  switch (ch) {
    case 0xD0: case 0xDE: case 0xF0: case 0xFE: case 0x104: case 0x105: case 0x110: case 0x111: case 0x118:
    case 0x119: case 0x126: case 0x127: case 0x12E: case 0x12F: case 0x138: case 0x13F: case 0x140: case 0x149:
    case 0x14A: case 0x14B: case 0x166: case 0x167: case 0x172: case 0x173: case 0x17F:
      return true;
    default:
      break;
  }
  if (ch < 0x180) return false;
  switch (ch) {
    case 0x192: case 0x218: case 0x219: case 0x21A: case 0x21B: case 0x2C6: case 0x2C7: case 0x2D8: case 0x2D9:
    case 0x2DC: case 0x2DD: case 0x2013: case 0x2014: case 0x2018: case 0x2019: case 0x201C: case 0x201D:
    case 0x2020: case 0x2021: case 0x2022: case 0x2026: case 0x2030: case 0x20AC: case 0x2122:
      return false;
    default:
      return true;
  }
}

// Quotation marks the default fonts lack, as the nearest they have.
const char16_t* QuoteSubstitute(char16_t ch) {
  switch (ch) {
    case 0xAB: return u"$\\ll$";
    case 0xBB: return u"$\\gg$";
    case 0x2039: return u"$<$";
    case 0x203A: return u"$>$";
    case 0x201A: return u",";
    case 0x201E: return u",,";
    default: return nullptr;
  }
}

// The characters of code page 1254 between 0x80 and 0x9F, which the
// latin5 input encoding does not define, as commands.
const char16_t* Latin5Command(char16_t ch) {
  switch (ch) {
    case 0x20AC: return u"\\texteuro{}";
    case 0x0192: return u"\\textflorin{}";
    case 0x2026: return u"\\ldots{}";
    case 0x2020: return u"\\dag{}";
    case 0x2021: return u"\\ddag{}";
    case 0x02C6: return u"\\^{}";
    case 0x2030: return u"\\textperthousand{}";
    case 0x0160: return u"\\v{S}";
    case 0x0152: return u"\\OE{}";
    case 0x2018: return u"`";
    case 0x2019: return u"'";
    case 0x201C: return u"``";
    case 0x201D: return u"''";
    case 0x2022: return u"\\textbullet{}";
    case 0x2013: return u"--";
    case 0x2014: return u"---";
    case 0x02DC: return u"\\~{}";
    case 0x2122: return u"\\texttrademark{}";
    case 0x0161: return u"\\v{s}";
    case 0x0153: return u"\\oe{}";
    case 0x0178: return u"\\\"{Y}";
    default: return nullptr;
  }
}

const char16_t* SpecialCommand(char16_t ch) {
  switch (ch) {
    case u'\\': return u"\\textbackslash{}";
    case u'&': return u"\\&";
    case u'%': return u"\\%";
    case u'$': return u"\\$";
    case u'#': return u"\\#";
    case u'_': return u"\\_";
    case u'{': return u"\\{";
    case u'}': return u"\\}";
    case u'~': return u"\\textasciitilde{}";
    case u'^': return u"\\textasciicircum{}";
    case u'<': return u"$<$";
    case u'>': return u"$>$";
    case u'|': return u"\\textbar{}";
    case u'"': return u"{\\ttfamily\\char34}";
    case 0x200B: return u"\\allowbreak{}";
    default: return nullptr;
  }
}

// Whether `next` after `previous` would form a ligature of the text fonts
// ("--", "``", "''", "!`", "?`").
bool FormsLigature(char16_t previous, char16_t next) {
  return (previous == u'-' && next == u'-') || (previous == u'`' && next == u'`') ||
         (previous == u'\'' && next == u'\'') || ((previous == u'!' || previous == u'?') && next == u'`');
}

}  // namespace

namespace latex {

WideString InputEncodingOf(int codePage) {
  switch (codePage) {
    case 1250: return u"cp1250";
    case 1252: return u"cp1252";
    case 1254: return u"latin5";
    case 1257: return u"cp1257";
    case 437: return u"cp437";
    case 850: return u"cp850";
    case 852: return u"cp852";
    case 858: return u"cp858";
    case 865: return u"cp865";
    case 10000: return u"applemac";
    case 28591: return u"latin1";
    case 28592: return u"latin2";
    case 28593: return u"latin3";
    case 28594: return u"latin4";
    case 28599: return u"latin5";
    case 28605: return u"latin9";
    default: return {};
  }
}

// LaTeX 2e's standard classes: the text at most 345, 360 or 390 points
// wide (at least 2 inches of margin, in whole points) and as high as the
// top line and the whole lines below it that the paper less 3.5 inches
// holds. Of several paper options the one the classes declare last
// applies. LaTeX 2.09 loads every option but the size as a style file:
// its pages are letter paper, as its own styles set them.
TLaTeXPage PageOf(const TLaTeXOptions& options) {
  TLaTeXPage page;
  page.FontSize = FontSizeOf(options.DocumentParams);
  page.LineHeight = page.FontSize == 12 ? 14.5 : page.FontSize == 11 ? 13.6 : 12;
  const double widest = page.FontSize == 12 ? 390 : page.FontSize == 11 ? 360 : 345;
  if (options.LaTeXVersion == LaTeX209) {
    const bool book = options.DocumentStyle == dsBook;
    page.TextWidth = book ? (page.FontSize == 10 ? 325.215 : 361.35) : widest;
    page.TextHeight = page.FontSize == 12 ? 534 : page.FontSize == 11 ? 527.8 : book ? 502 : 526;
    return page;
  }
  const std::vector<WideString> given = OptionsOf(options.DocumentParams);
  const auto isGiven = [&given](const char16_t* option) {
    return std::find(given.begin(), given.end(), option) != given.end();
  };
  const TPaper* paper = &kPapers[3];
  for (const TPaper& known : kPapers)
    if (isGiven(known.option)) paper = &known;
  double width = paper->width;
  double height = paper->height;
  if (isGiven(u"landscape")) std::swap(width, height);
  page.TextWidth = std::min(widest, std::floor(width - 2 * kInch));
  page.TextHeight = std::floor((height - 3.5 * kInch) / page.LineHeight) * page.LineHeight + page.FontSize;
  return page;
}

WideString EscapeText(WideStringView text, bool latin5, TEscapeLosses* losses) {
  TEscapeLosses lost;
  WideString out;
  out.reserve(text.size() + 8);
  char16_t previous = 0;
  size_t lineStart = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    // TeX reads a source line into a buffer of limited size: long texts
    // continue on the next line after a comment sign, which joins the two.
    if (out.size() - lineStart >= kMaxSourceLine) {
      out += u"%\r\n";
      lineStart = out.size();
    }
    char16_t ch = text[i];
    if (ch == u'\r' || ch == u'\n' || ch == u'\t') {
      if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += u' ';
      previous = u' ';
      continue;
    }
    if (ch < 0x20 || ch == 0x7F || (ch >= 0x80 && ch < 0xA0)) {
      ++lost.dropped;
      continue;
    }
    const char16_t* command = SpecialCommand(ch);
    if (!command) command = QuoteSubstitute(ch);
    if (command) {
      out += command;
      previous = 0;
      continue;
    }
    if (latin5) {
      if (const char16_t* latin5Command = Latin5Command(ch)) {
        out += latin5Command;
        previous = 0;
        continue;
      }
    }
    if (U16_IS_SURROGATE(ch)) {
      // A pair stands for one character beyond the basic plane, which the
      // fonts cannot set; a lone half is dropped.
      if (U16_IS_LEAD(ch) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
        ++i;
        out += u'?';
        ++lost.unsettable;
      } else {
        ++lost.dropped;
      }
      previous = 0;
      continue;
    }
    if (ch >= 0x80 && IsUnsettable(ch)) {
      out += u'?';
      ++lost.unsettable;
      previous = u'?';
      continue;
    }
    if (FormsLigature(previous, ch)) out += u"{}";
    out += ch;
    previous = ch;
  }
  if (losses) {
    losses->unsettable += lost.unsettable;
    losses->dropped += lost.dropped;
  }
  return out;
}

WideString StyleOptions209(WideStringView params) {
  WideString kept;
  for (const WideString& option : OptionsOf(params)) {
    const bool paper = std::any_of(std::begin(kPapers), std::end(kPapers),
                                   [&option](const TPaper& known) { return option == known.option; });
    if (option.empty() || paper || option == u"landscape") continue;
    if (!kept.empty()) kept += u',';
    kept += option;
  }
  return kept;
}

}  // namespace latex

// ---- options and writer ----

TLaTeXOptions::TLaTeXOptions() { SetCodePage(0); }

void TLaTeXOptions::SetCodePage(int codePage) {
  codePage_ = codePage > 0 ? codePage : SystemCodePage(TSystemCodePage::Ansi);
}

TTesselLaTeXWriter::TTesselLaTeXWriter(TTessel* owner, TStream* stream) : TTesselWriter(owner, stream) {}

void TTesselLaTeXWriter::Write(WideStringView text) {
  if (text.empty()) return;
  if (codePage_ == 0) {
    bytes_.clear();
    EncodeText(text, oeUTF8, bytes_);
  } else {
    bytes_ = EncodeToCodePage(text, codePage_);
  }
  WriteBytes(bytes_.data(), bytes_.size());
}

// ---- exporter ----

TTesselLaTeX::TTesselLaTeX() = default;
TTesselLaTeX::~TTesselLaTeX() = default;

std::unique_ptr<TTesselWriter> TTesselLaTeX::GetWriterClass(TStream& stream) {
  auto writer = std::make_unique<TTesselLaTeXWriter>(this, &stream);
  writer->SetCodePage(RunCodePage());
  return writer;
}

TTextMeasurer& TTesselLaTeX::Measurer() {
  if (TextMeasurer) return *TextMeasurer;
  if (!ownMeasurer_) ownMeasurer_ = CreateSystemTextMeasurer();
  return *ownMeasurer_;
}

int TTesselLaTeX::RunCodePage() const {
  const TTesselOutputEncoding encoding = OutputEncoding();
  if (encoding != oeAnsi && encoding != oeOem && encoding != oeMac) return 0;
  const int codePage = Options.CodePage();
  return latex::InputEncodingOf(codePage).empty() ? 0 : codePage;
}

WideString TTesselLaTeX::InputEncoding() const {
  const int codePage = RunCodePage();
  return codePage == 0 ? WideString(u"utf8") : latex::InputEncodingOf(codePage);
}

// The code page's losses are counted on the escaped cells, where the
// characters the fonts cannot set are already "?" (counted as such).
TTesselTextLimits TTesselLaTeX::TextLimits() const { return {}; }

WideString TTesselLaTeX::EscapeText(const WideString& text) {
  return latex::EscapeText(text, InputEncoding() == u"latin5");
}

void TTesselLaTeX::BeginExport() {
  TTesselFormatText::BeginExport();
  latin5_ = InputEncoding() == u"latin5";
  const int codePage = RunCodePage();
  encoder_ = codePage == 0 ? nullptr : std::make_unique<TCodePageEncoder>(codePage);
  codePageText_ = IntToWide(codePage);
  PlanTable();
  WritePreamble();
  started_ = true;
  parts_.clear();
  for (size_t g = 1; g < groups_.size(); ++g)
    parts_.emplace_back([this](TStream& stream) { return GetWriterClass(stream); }).Writer().WriteLn(u"\\clearpage");
  for (int g = 0; g < static_cast<int>(groups_.size()); ++g) {
    TTesselWriter& writer = GroupWriter(g);
    writer.WriteLn(u"\\begin{longtable}{" + ColumnLayout(g) + u"}");
    writer.WriteLn(u"\\hline");
  }
}

// The columns measured in the document's font (Latin Modern, the face of
// TeX's own), their widths as shares of the line and, for a table wider
// than the page, the column groups that get a table each.
void TTesselLaTeX::PlanTable() {
  page_ = latex::PageOf(Options);
  const int size = page_.FontSize;
  const TFontDescription font = TFontDescription::FromPoints(u"Latin Modern Roman", size);
  widths_ = TTesselCharWidths([this, font, size](char32_t ch) { return CharPoints(Measurer(), font, size, ch); });
  const TTesselColumnPlan plan = PlanColumns(*this, widths_, widths_, widths_.Of(U'0'), kCellPadding);
  const double page = page_.TextWidth - 1;
  groups_ = plan.Groups(page);
  const std::vector<std::vector<double>> widths = plan.GroupWidths(groups_, page);
  shares_.assign(static_cast<size_t>(Columns().Count()), 0);
  room_.assign(shares_.size(), 0);
  for (size_t g = 0; g < groups_.size(); ++g)
    for (size_t k = 0; k < groups_[g].size(); ++k) {
      const auto column = static_cast<size_t>(groups_[g][k]);
      shares_[column] = widths[g][k] / (page + 1);
      room_[column] = std::max(1.0, widths[g][k] - kCellPadding);
    }
  PlanRowHeights();
}

// The lines a row of each group's table may take: what a page holds below
// the caption row that longtable repeats at its top.
void TTesselLaTeX::PlanRowHeights() {
  rowLines_.assign(groups_.size(), kFewestLinesInARow);
  for (size_t g = 0; g < groups_.size(); ++g) {
    size_t captionLines = 0;
    if (AllowCaptions)
      for (int column : groups_[g]) {
        WrapAsSet(BreakLongWords(Columns()[column].Caption, room_[static_cast<size_t>(column)]),
                  room_[static_cast<size_t>(column)]);
        captionLines = std::max(captionLines, lines_.size());
      }
    const double below = page_.TextHeight - kRulesAroundRows - static_cast<double>(captionLines) * page_.LineHeight;
    const double lines = std::floor(std::floor(below / page_.LineHeight) * kRowShareOfPage);
    if (lines > static_cast<double>(kFewestLinesInARow)) rowLines_[g] = static_cast<size_t>(lines);
  }
}

TTesselWriter& TTesselLaTeX::GroupWriter(int group) {
  return group == 0 ? Writer() : parts_[static_cast<size_t>(group) - 1].Writer();
}

// Each column a ragged paragraph of its share of the line, without
// hyphenation (words stay whole, as the values have them); numbers set
// to the right.
WideString TTesselLaTeX::ColumnLayout(int group) const {
  WideString layout = u"|";
  for (int column : groups_[static_cast<size_t>(group)]) {
    char share[16];
    std::snprintf(share, sizeof share, "%.4f", shares_[static_cast<size_t>(column)]);
    layout += Columns()[column].IsNumber ? u">{\\raggedleft" : u">{\\raggedright";
    layout += u"\\arraybackslash\\hyphenpenalty=10000\\exhyphenpenalty=10000}p{\\dimexpr " + Utf8ToWide(share) +
              u"\\linewidth-2\\tabcolsep-\\arrayrulewidth\\relax}|";
  }
  return layout;
}

void TTesselLaTeX::WritePreamble() {
  TTesselWriter& writer = Writer();
  const WideString style = Options.DocumentStyle == dsBook ? u"book" : u"article";
  if (Options.LaTeXVersion == LaTeX2e) {
    const WideString params = Options.DocumentParams.empty() ? WideString() : u"[" + Options.DocumentParams + u"]";
    writer.WriteLn(u"\\documentclass" + params + u"{" + style + u"}");
    writer.WriteLn(u"\\usepackage[" + InputEncoding() + u"]{inputenc}");
    if (!Trim(Options.Languages).empty()) writer.WriteLn(u"\\usepackage[" + Options.Languages + u"]{babel}");
    writer.WriteLn(u"\\usepackage{longtable}");
    writer.WriteLn(u"\\usepackage{array}");
    if (!Preambula.IsEmpty()) {
      for (const WideString& line : Preambula) writer.WriteLn(line);
      writer.EmptyLine();
    }
  } else {
    // The packages come as options of the style.
    WideString params = latex::StyleOptions209(Options.DocumentParams);
    params += params.empty() ? u"longtable,array" : u",longtable,array";
    writer.WriteLn(u"\\documentstyle[" + params + u"]{" + style + u"}");
  }
  writer.WriteLn(u"\\begin{document}");
  if (UpperCase(Options.Languages).find(u"RUSSIAN") != WideString::npos) writer.WriteLn(u"\\Rus");
  writer.EmptyLine();
  for (const WideString& line : Header) writer.WriteLn(EscapeText(line));
  writer.WriteLn(u"\\par\\bigskip");
}

// A stopped or failed run ends the document as well, once; the tables of
// the further column groups follow the first.
void TTesselLaTeX::EndExport() {
  if (started_ && HasWriter()) {
    started_ = false;
    TTesselWriter& writer = Writer();
    writer.WriteLn(u"\\end{longtable}");
    for (TTesselAsidePart& part : parts_) {
      part.CopyTo(*writer.Stream());
      writer.WriteLn(u"\\end{longtable}");
    }
    parts_.clear();
    writer.EmptyLine();
    for (const WideString& line : Footer) writer.WriteLn(EscapeText(line));
    writer.WriteLn(u"\\end{document}");
  }
  parts_.clear();
  TTesselFormatText::EndExport();
}

void TTesselLaTeX::WriteCaptionRow() {
  cells_.clear();
  for (const TTesselColumn& column : Columns()) cells_.push_back(column.Caption);
  for (int g = 0; g < static_cast<int>(groups_.size()); ++g) WriteRow(g);
}

// The rows above repeat at the top of every page.
void TTesselLaTeX::BeforeExport() {
  for (int g = 0; g < static_cast<int>(groups_.size()); ++g) GroupWriter(g).WriteLn(u"\\endhead");
}

void TTesselLaTeX::WriteDataRow() {
  const TTesselRow& row = Row();
  cells_.resize(static_cast<size_t>(row.Count()));
  for (int i = 0; i < row.Count(); ++i) {
    WideString& cell = cells_[static_cast<size_t>(i)];
    cell.clear();
    AppendPlainCellText(row[i], cell);
  }
  for (int g = 0; g < static_cast<int>(groups_.size()); ++g) WriteRow(g);
}

// The cells of the group's columns joined by " & ", then "\\" and "\hline";
// a cell too tall for one row of the page goes on in rows below.
void TTesselLaTeX::WriteRow(int group) {
  TTesselWriter& writer = GroupWriter(group);
  const std::vector<int>& columns = groups_[static_cast<size_t>(group)];
  chunks_.resize(columns.size());
  size_t rows = 1;
  for (size_t k = 0; k < columns.size(); ++k) {
    chunks_[k].clear();
    const auto column = static_cast<size_t>(columns[k]);
    if (column >= cells_.size()) continue;
    const double room = room_[column];
    const bool breakWords = widths_.Extent(cells_[column]).Word > room + kSlack;
    SplitIntoRows(breakWords ? BreakLongWords(cells_[column], room) : cells_[column], room, breakWords,
                  rowLines_[static_cast<size_t>(group)], chunks_[k]);
    rows = std::max(rows, chunks_[k].size());
  }
  for (size_t r = 0; r < rows; ++r) {
    line_.clear();
    for (size_t k = 0; k < columns.size(); ++k) {
      if (k > 0) line_ += u" & ";
      if (r < chunks_[k].size()) line_ += GetColData(EscapeCell(chunks_[k][r], columns[k]), Columns()[columns[k]]);
    }
    // "\\" takes a "*" or "[" after it, spaces and line breaks between, for
    // its own: a row beginning with one holds it off with an empty group.
    const size_t first = line_.find_first_not_of(u" \t\r\n");
    if (first != WideString::npos && (line_[first] == u'[' || line_[first] == u'*')) line_.insert(0, u"{}");
    writer.WriteLn(line_);
    writer.WriteLn(u"\\\\");
  }
  writer.WriteLn(u"\\hline");
}

// A piece of a cell (or caption) as TeX source; what TeX cannot set of it
// or the file's code page cannot hold is counted against its column.
WideString TTesselLaTeX::EscapeCell(WideStringView text, int column) {
  latex::TEscapeLosses lost;
  WideString escaped = latex::EscapeText(text, latin5_, &lost);
  const WideString& name = Columns()[column].Name;
  Losses().Add(name, TLossKind::UnsettableCharacter, u"LaTeX", lost.unsettable);
  Losses().Add(name, TLossKind::ForbiddenCharacter, u"LaTeX", lost.dropped);
  if (encoder_)
    Losses().Add(name, TLossKind::UnwritableCharacter, codePageText_, static_cast<int64_t>(encoder_->CountLost(escaped)));
  return escaped;
}

// Break points in the words wider than the column, where its line fills.
WideString TTesselLaTeX::BreakLongWords(WideStringView text, double room) {
  WideString out;
  out.reserve(text.size() + text.size() / 8);
  double word = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i];
    if (IsWordSpace(ch)) {
      word = 0;
      out += ch;
      continue;
    }
    const double advance = widths_.Of(ch);
    if (word > 0 && word + advance > room * kWordPiece && !(ch >= 0xDC00 && ch <= 0xDFFF)) {
      out += kBreakHere;
      word = 0;
    }
    word += advance;
    out += ch;
  }
  return out;
}

// The lines TeX sets the text in, as near as measured here: line breaks,
// tabs and the break points of long words are spaces to it.
void TTesselLaTeX::WrapAsSet(WideStringView text, double room) {
  spaced_.assign(text);
  for (char16_t& ch : spaced_)
    if (ch == u'\r' || ch == u'\n' || ch == u'\t' || ch == kBreakHere) ch = u' ';
  WrapText(spaced_, room, widths_, lines_);
}

void TTesselLaTeX::SplitIntoRows(const WideString& text, double room, bool wordsBroken, size_t most,
                                 std::vector<WideString>& pieces) {
  // Of two lines one after the other, the second begins with what did not
  // fit the first: lines beyond twice the width over the room are not
  // possible.
  if (!wordsBroken && 2 * widths_.Width(text) / room + 1 <= static_cast<double>(most)) {
    pieces.push_back(text);
    return;
  }
  WrapAsSet(text, room);
  if (lines_.size() <= most) {
    pieces.push_back(text);
    return;
  }
  for (size_t first = 0; first < lines_.size(); first += most) {
    const TTesselTextLine& last = lines_[std::min(first + most, lines_.size()) - 1];
    const size_t start = lines_[first].Start;
    pieces.push_back(text.substr(start, last.Start + last.Length - start));
  }
}

// ---- settings ----

void TTesselLaTeX::SaveSettings(TTesselIniFile& settings) {
  TTesselFormatText::SaveSettings(settings);
  settings.WriteInteger(kSection, u"LaTeXVersion", Options.LaTeXVersion);
  settings.WriteInteger(kSection, u"DocumentStyle", Options.DocumentStyle);
  settings.WriteString(kSection, u"DocumentParams", Options.DocumentParams);
  settings.WriteInteger(kSection, u"CodePage", Options.CodePage());
  settings.WriteString(kSection, u"Languages", Options.Languages);
  settings.WriteInteger(kSection, u"OutputEncoding", OutputEncoding());
  settings::WriteNumberedWideLines(settings, u"PREAMBULA", u"line", Preambula);
}

void TTesselLaTeX::LoadSettings(TTesselIniFile& settings) {
  TTesselFormatText::LoadSettings(settings);
  const int version = settings.ReadInteger(kSection, u"LaTeXVersion", Options.LaTeXVersion);
  if (version == LaTeX209 || version == LaTeX2e) Options.LaTeXVersion = static_cast<TLaTeXVersion>(version);
  const int style = settings.ReadInteger(kSection, u"DocumentStyle", Options.DocumentStyle);
  if (style == dsArticle || style == dsBook) Options.DocumentStyle = static_cast<TLaTeXDocStyle>(style);
  Options.DocumentParams = settings.ReadString(kSection, u"DocumentParams", Options.DocumentParams);
  Options.SetCodePage(settings.ReadInteger(kSection, u"CodePage", Options.CodePage()));
  Options.Languages = settings.ReadString(kSection, u"Languages", Options.Languages);
  const int encoding = settings.ReadInteger(kSection, u"OutputEncoding", OutputEncoding());
  for (TTesselOutputEncoding known : {oeAnsi, oeOem, oeMac, oeUTF8, oeUTF16, oeUTF32})
    if (encoding == known) SetOutputEncoding(known);
  if (settings.SectionExists(u"PREAMBULA")) settings::ReadNumberedWideLines(settings, u"PREAMBULA", Preambula);
}

}  // namespace verimo
