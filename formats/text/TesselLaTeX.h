#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <vector>

#include "engine/TesselPageFit.h"
#include "engine/TesselText.h"
#include "engine/TesselWriter.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

class TCodePageEncoder;

enum TLaTeXVersion : uint8_t { LaTeX209, LaTeX2e };
enum TLaTeXDocStyle : uint8_t { dsArticle, dsBook };

struct TLaTeXOptions {
  TLaTeXOptions();

  TLaTeXVersion LaTeXVersion = LaTeX2e;
  TLaTeXDocStyle DocumentStyle = dsArticle;
  WideString DocumentParams = u"a4paper";
  // The code page of code-page output; 0 or below stands for the system
  // ANSI code page.
  int CodePage() const { return codePage_; }
  void SetCodePage(int codePage);
  // The babel package's option; no babel package when empty.
  WideString Languages = u"english";

 private:
  int codePage_ = 0;
};

// What a page of the document gives its table: the font size, and in TeX
// points the text's width and height and the distance from one line to
// the next.
struct TLaTeXPage {
  int FontSize = 10;
  double TextWidth = 345;
  double TextHeight = 550;
  double LineHeight = 12;
};

// Writes the text either as UTF-8 or in one single-byte code page, as the
// exporter chose for the run.
class TTesselLaTeXWriter : public TTesselWriter {
 public:
  TTesselLaTeXWriter(TTessel* owner, TStream* stream);
  void Write(WideStringView text) override;
  // 0 writes UTF-8.
  void SetCodePage(int codePage) { codePage_ = codePage; }

 private:
  int codePage_ = 0;
  std::string bytes_;
};

// Writes the records as a LaTeX document holding a longtable (its caption
// row repeated on every page) with a rule under every row. Each column is
// as wide as its texts need, on the page's line; texts wrap inside their
// cells; a text taller than a page goes on in the rows below (a row of a
// longtable does not break across pages). A table whose words do not fit
// the line is cut into column groups, each a longtable of its own on new
// pages, beginning with the first column. Unicode output encodings give a
// UTF-8 file; the code-page encodings give a file in Options.CodePage when
// TeX has an input encoding for it, else UTF-8 as well; the preamble names
// the one used.
class TTesselLaTeX : public TTesselFormatText {
 public:
  TTesselLaTeX();
  ~TTesselLaTeX() override;

  TLaTeXOptions Options;
  // Lines copied into the preamble (LaTeX 2e only).
  TStringList Preambula;
  // Measures the texts for the column widths; the installed fonts when
  // null. Not owned.
  TTextMeasurer* TextMeasurer = nullptr;

  std::unique_ptr<TTesselWriter> GetWriterClass(TStream& stream) override;
  void BeginExport() override;
  void BeforeExport() override;
  void EndExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  WideString EscapeText(const WideString& text) override;
  TTesselTextLimits TextLimits() const override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

  // The code page the run writes in, 0 for UTF-8.
  int RunCodePage() const;
  // The input encoding the preamble names for RunCodePage().
  WideString InputEncoding() const;
  // The column groups of the run (one group of every column when the
  // table fits the line).
  const std::vector<std::vector<int>>& ColumnGroups() const { return groups_; }

 private:
  TTextMeasurer& Measurer();
  void PlanTable();
  void PlanRowHeights();
  void WritePreamble();
  TTesselWriter& GroupWriter(int group);
  WideString ColumnLayout(int group) const;
  // The row held in cells_, in the columns of one group.
  void WriteRow(int group);
  WideString EscapeCell(WideStringView text, int column);
  WideString BreakLongWords(WideStringView text, double room);
  // The text in pieces of at most `most` lines of a column `room` points
  // wide, cut where its lines wrap; the text itself when it fits.
  void SplitIntoRows(const WideString& text, double room, bool wordsBroken, size_t most,
                     std::vector<WideString>& pieces);
  // The lines of a column `room` points wide the text takes, in lines_.
  void WrapAsSet(WideStringView text, double room);

  std::unique_ptr<TTextMeasurer> ownMeasurer_;
  TTesselCharWidths widths_;
  std::vector<std::vector<int>> groups_;
  std::vector<double> shares_;  // per column, of the line
  std::vector<double> room_;    // per column, for its text, in points
  TLaTeXPage page_;
  // Per column group: the most lines a row of its table holds.
  std::vector<size_t> rowLines_;
  // The tables of the further column groups, written aside until the end.
  std::vector<TTesselAsidePart> parts_;
  std::vector<WideString> cells_;
  std::vector<std::vector<WideString>> chunks_;
  WideString line_;
  WideString spaced_;
  std::vector<TTesselTextLine> lines_;
  bool started_ = false;
  bool latin5_ = false;
  // The file's code page, when it is not UTF-8.
  std::unique_ptr<TCodePageEncoder> encoder_;
  WideString codePageText_;
};

namespace latex {

// What EscapeText could not keep of a text.
struct TEscapeLosses {
  int64_t unsettable = 0;  // characters written as "?"
  int64_t dropped = 0;     // control characters and lone surrogates, left out
};

// The input encoding TeX has for a single-byte code page ("latin5" for
// 1254, "cp1252", ...), or empty when it has none.
WideString InputEncodingOf(int codePage);
// The page the standard classes (article, book) set for the options: the
// size option (10, 11 or 12 points) and, in LaTeX 2e, a paper size and
// "landscape"; letter paper when no paper size is named.
TLaTeXPage PageOf(const TLaTeXOptions& options);
// The options of a LaTeX 2.09 \documentstyle: the given ones without the
// paper sizes and "landscape" of LaTeX 2e, which 2.09 would load as style
// files it does not have (its pages are letter paper).
WideString StyleOptions209(WideStringView params);
// A value, caption or header line as LaTeX text: the special characters
// as commands, "<" and ">" in math mode, line breaks as spaces, control
// characters dropped, ligature-forming pairs split, characters the fonts
// of a plain document cannot set as "?"; with `latin5`, also the
// characters that input encoding leaves out as commands. What it could
// not keep is added to `losses`.
WideString EscapeText(WideStringView text, bool latin5, TEscapeLosses* losses = nullptr);

}  // namespace latex

}  // namespace verimo
