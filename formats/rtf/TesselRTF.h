#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "engine/TesselText.h"
#include "formats/rtf/RtfOptions.h"
#include "formats/rtf/RtfWriter.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

// The control words of one style, in the order they are looked up (which
// numbers newly met fonts and colours).
struct TrtfStyleMarkup {
  WideString Alignment;
  WideString Font;
  WideString FontColor;
  WideString FontStyle;
  WideString Background;
  WideString Highlight;
  // Font, colour and font style, and a space when they are not empty.
  WideString Run() const;
};

// One RTF document: header lines, one bordered table (the caption row and
// a row per record), footer lines, on an A4 page. The same document serves
// the "MS Word" type.
class TTesselRTF : public TTesselFormatText {
 public:
  using TrtfGetStyleEvent = std::function<void(TTesselRTF& sender, TrtfStyle& style)>;
  using TrtfGetCaptionStyleEvent = std::function<void(TTesselRTF& sender, int colNo, TrtfStyle& style)>;
  using TrtfGetDataStyleEvent = std::function<void(TTesselRTF& sender, int row, int col, TrtfStyle& style)>;

  TTesselRTF();
  ~TTesselRTF() override;

  TRTFOptions Options;
  // Measures the caption font for the column edges; the system's fonts
  // when null. Not owned.
  TTextMeasurer* TextMeasurer = nullptr;

  // Each gets a copy of the style about to be used; changes apply to that
  // one use.
  TrtfGetStyleEvent OnGetHeaderStyle;
  TrtfGetCaptionStyleEvent OnGetCaptionStyle;
  TrtfGetDataStyleEvent OnGetDataStyle;
  TrtfGetStyleEvent OnGetFooterStyle;

  std::unique_ptr<TTesselWriter> GetWriterClass(TStream& stream) override;
  void BeginExport() override;
  void BeforeExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  WideString GetColCaption(int index) override;
  WideString GetColData(const WideString& text, const TTesselColumn& column) override;
  WideString EscapeText(const WideString& text) override;
  void EndExport() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

  // The writer of the run in progress.
  TTesselRTFWriter& RTFWriter() const;
  // The control words of a style, looked up in the run's writer.
  TrtfStyleMarkup StyleMarkup(const TrtfStyle& style);
  // The options the run follows: the page it turned to and the fonts it
  // narrowed to fit the table on it; the column groups of its tables (one
  // of every column unless there are more than a word processor holds)
  // and the right edges of each group's columns (twips).
  const TRTFOptions& RunOptions() const { return run_; }
  const std::vector<std::vector<int>>& ColumnGroups() const { return groups_; }
  const std::vector<long long>& ColumnEdges(size_t group = 0) const { return edges_.at(group); }

 private:
  void FitTableToPage();
  void WritePageSize();
  // The header or footer lines in a group of the style.
  void WriteLinesBlock(const TStringList& lines, const TrtfStyleMarkup& markup);
  void WriteTableDefinition(TTesselWriter& writer, int group);
  TTesselWriter& GroupWriter(size_t group);
  void WriteRows();
  WideString CaptionCellAlignment(int index) const;
  const TrtfStyle& DataStyleFor(int column, int& cacheSlot) const;
  const TrtfStyleMarkup& DataMarkup(int column);
  TTextMeasurer& Measurer();

  std::unique_ptr<TTextMeasurer> ownMeasurer_;
  TRTFOptions run_;
  std::vector<std::vector<int>> groups_;
  std::vector<std::vector<long long>> edges_;
  // The tables of the further column groups, written aside until the end.
  std::vector<TTesselAsidePart> parts_;
  std::vector<WideString> cells_;
  int currentColumn_ = 0;
  // The markup of each data style met (strip styles by number, the data
  // style last), kept for the run while no event can change the styles.
  std::vector<std::optional<TrtfStyleMarkup>> dataMarkup_;
  std::optional<TrtfStyleMarkup> captionMarkup_;
  WideString rowText_;
};

}  // namespace verimo
