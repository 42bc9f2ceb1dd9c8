#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/TesselStoredText.h"
#include "engine/TesselText.h"
#include "engine/TesselWriter.h"
#include "formats/text/TesselHTMLOptions.h"
#include "formats/text/TesselHTMLPages.h"
#include "formats/text/TesselHTMLRowBytes.h"

namespace verimo {

enum TUsingCSS : uint8_t { usInternal, usExternal };

class TTesselHTML;

// The writer of the HTML exporter: alignments as "Left", "Center",
// "Right", and a target that can move from page file to page file.
class TTesselHTMLWriter : public TTesselWriter {
 public:
  TTesselHTMLWriter(TTessel* owner, TStream* stream);

  void Write(WideStringView text) override;
  WideString AlignToStr(TTesselColAlign align) const override;

  // Where the following text goes; the run's stream at the start.
  TStream& Target() const { return *target_; }
  void SetTarget(TStream* target) { target_ = target; }
  // Bytes already in the page's encoding.
  void WriteEncoded(std::string_view bytes);
  // The byte-order mark of the UTF-16 and UTF-32 encodings (a UTF-8 page
  // names its charset and needs none).
  void WritePageSignature();

 private:
  TStream* target_;
  std::string encoded_;
};

// Writes the exported rows as an HTML table in one file, or split over
// numbered page files linked by navigation bars and an index page.
class TTesselHTML : public TTesselFormatText {
 public:
  TTesselHTML();
  ~TTesselHTML() override;

  TUsingCSS UsingCSS = usInternal;
  // The external style sheet; empty: the first page's name with ".css".
  // A relative name is taken relative to the page's folder.
  std::string CSSFileName;
  bool OverwriteCSSFile = true;
  TTableOptions TableOptions;
  THTMLOptions HTMLOptions;
  // Assigning a template copies its colours into the options.
  THTMLTemplate HTMLTemplate() const { return template_; }
  void SetHTMLTemplate(THTMLTemplate value);
  // Rows per page file; 0 writes one file. Negative values count as 0.
  int MaxRecords() const { return maxRecords_; }
  void SetMaxRecords(int value) { maxRecords_ = value < 0 ? 0 : value; }
  bool GenerateIndex = false;
  TTesselHTMLNavigation Navigation;
  bool BoolAsCheckBox = false;
  // Replace the special characters of texts by entities.
  bool InterpretTags = true;
  WideString Title;

  void SaveTemplateToFile(const std::filesystem::path& fileName) const;
  void LoadTemplateFromFile(const std::filesystem::path& fileName);

  // The files the last run wrote besides FileName: the pages and the style
  // sheet.
  const std::vector<THTMLPageOption>& Pages() const { return pages_; }
  const std::filesystem::path& WrittenCSSFile() const { return writtenCSS_; }

  std::unique_ptr<TTesselWriter> GetWriterClass(TStream& stream) override;
  void Execute() override;
  void BeginExport() override;
  void WriteCaptionRow() override;
  WideString EscapeText(const WideString& text) override;
  // Every character is kept (a reference where the code page lacks it);
  // control characters are left out.
  TTesselTextLimits TextLimits() const override;
  WideString GetColData(const WideString& text, const TTesselColumn& column) override;
  void FillRow() override;
  void WriteDataRow() override;
  void AfterExport() override;
  void EndExport() override;
  std::string GetShowedFileName() override;
  std::string GetPrintedFileName() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

 private:
  TTesselHTMLWriter& HTMLWriter() const;
  bool Paging() const;
  void OpenPage();
  void ClosePage();
  // The signature, the head (charset, title, style sheet of `file`) and
  // the body's start tag.
  void WriteHeadToBody(const std::filesystem::path& file, bool writeStyleFile);
  void WritePageHead(const std::filesystem::path& pageFile);
  void WriteStyleSheet(const std::filesystem::path& pageFile, bool writeFile);
  void WriteCharsetLine();
  void WriteTableOpening();
  void WriteTableClosing();
  void WriteColonLines(const TStringList& lines);
  void AppendCell(const TTesselCol& cell);
  // GetCellText's text appended to row_ straight from the cell, for this
  // class itself (a descendant that overrides a step goes through the steps).
  void AppendCellInPlace(const TTesselCol& cell);
  // What GetColData makes of an escaped value, appended to `out`.
  void AppendColData(WideString& value, const TTesselColumn& column, WideString& out);
  // The data row through the steps, as UTF-16 text.
  void WriteRowOfSteps();
  // Data rows as bytes of the page, for this class itself with its default
  // cell rule, in UTF-8 or a single-byte code page: the constant pieces of
  // the cells encoded once per run, ASCII cells escaped as bytes, stored
  // texts escaped and transcoded from the source's bytes (stored_). A row
  // with anything unusual goes through the steps.
  void PlanByteRows();
  // The code page of the byte rows (TSingleByteTranscoder::kUtf8 for
  // UTF-8); 0 when the page's encoding has none.
  int ByteRowTarget() const;
  bool PlanCellPieces();
  void PlanStoredTexts(int target);
  bool ByteRowsApply() const;
  bool BuildRowBytes();
  bool AppendCellBytes(WideStringView text);
  bool AppendStoredCellBytes(int column, const html::TStoredTextEscaper& escaper);
  WideString CellStyle(const TTesselFont& font, TColor background, TColor rowBackground) const;
  int ColumnIndexOf(const TTesselColumn& column) const;
  void WriteIndexPage();
  void InsertNavigationBars();
  std::string Encode(WideStringView text) const;

  THTMLTemplate template_ = htCustom;
  int maxRecords_ = 0;

  // Run state.
  TStream* baseStream_ = nullptr;        // the run's stream (FileName's file)
  std::filesystem::path basePath_;       // its file; empty for other streams
  std::filesystem::path cssPath_;        // the external style sheet of this run
  TStringList styleLines_;
  bool finished_ = false;                // AfterExport ran
  bool borderWrapper_ = false;
  bool pageOpen_ = false;
  int rowsWritten_ = 0;  // rows written in this run
  int rowOnPage_ = 0;    // index of the row being written on its page
  std::vector<THTMLPageOption> pages_;
  std::unique_ptr<TFileStream> pageStream_;
  std::filesystem::path writtenCSS_;
  WideString row_;  // reused for every data row
  WideString cellValue_;  // reused for every cell built in place
  // Byte rows (see PlanByteRows).
  bool byteRows_ = false;
  bool codePageRows_ = false;  // the page is in a code page, not UTF-8
  bool hasBooleanColumn_ = false;
  TTesselStoredText stored_;
  std::vector<html::TStoredTextEscaper> escapers_;  // per column, for stored_'s
  // Per column: the escaper of a stored text (else none) and, per kind of
  // row (TrOdd, TrRows), what follows the value up to the next value.
  struct TByteCell {
    const html::TStoredTextEscaper* escaper = nullptr;
    std::array<html::TRowPiece, 2> after;
  };
  std::vector<TByteCell> byteCells_;
  std::array<html::TRowPiece, 2> rowStart_;  // up to the first value
  html::TByteRow rowBytes_;
  std::string encodedCell_;
};

}  // namespace verimo
