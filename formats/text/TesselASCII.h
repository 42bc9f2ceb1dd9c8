#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/TesselStoredText.h"
#include "engine/TesselText.h"
#include "engine/TesselWriter.h"

namespace verimo {

enum TTesselASCIIType : uint8_t { etTXT, etCSV, etDIF, etSYLK };

// One exporter for four line-oriented text formats: fixed-width text,
// delimited text, Data Interchange Format and Symbolic Link format.
class TTesselASCII : public TTesselFormatText {
 public:
  explicit TTesselASCII(TTesselASCIIType type = etTXT);

  TTesselASCIIType ExportType() const { return exportType_; }
  // etTXT also switches AutoCalcColWidth on.
  void SetExportType(TTesselASCIIType type);

  // Field separator; the locale's list separator by default ("," without one).
  char16_t CSVComma;
  // Quote character; 0 means no quoting at all.
  char16_t CSVQuote = u'"';
  // Quote the values of string (and unknown) columns.
  bool CSVQuoteStrings = true;
  bool CSVQuoteCaptions = true;
  // Spaces after every TXT cell.
  int TXTSpacing = 1;
  // TXT: a title line, a rule and an empty line before the header;
  // DIF: the TABLE item's text.
  WideString Title;

  std::unique_ptr<TTesselWriter> GetWriterClass(TStream& stream) override;
  void BeginExport() override;
  void EndExport() override;
  WideString GetColCaption(int index) override;
  WideString GetCaptionRow() override;
  void WriteCaptionRow() override;
  WideString GetColData(const WideString& text, const TTesselColumn& column) override;
  WideString GetDataRow() override;
  void FillRow() override;
  void WriteDataRow() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;
  // CSV and SYLK in the ANSI code page, DIF in the OEM one, TXT in the
  // output encoding.
  TTesselTextLimits TextLimits() const override;

 private:
  void WritePreamble();
  void WriteDIFHeader();
  // Records the run will export, counted from the first (after the skip);
  // -1 when the count was stopped.
  int CountTuples();
  // A numeric tuple for number columns with a numeric raw value, else a
  // string tuple.
  WideString DIFCell(const WideString& text, int columnIndex);
  WideString RowEnd(WideString row) const;
  // CSV and TXT data rows built straight into row_ (the same text as
  // GetDataRow), for this class itself: a descendant that overrides a step
  // goes through the steps.
  bool CanBuildRowInPlace() const;
  void BuildRowInPlace();
  // The same row as bytes of the output, stored texts transcoded straight
  // from the source (stored_).
  void PlanStoredText();
  void BuildRowBytes();
  void AppendCellBytes(WideStringView text, const TTesselColumn& column);
  bool AppendStoredCSV(int index, std::string_view stored, bool quoted);
  bool AppendStoredTXT(int index, std::string_view stored, const TTesselColumn& column);
  int CurrentColumn(const TTesselColumn& column) const;
  // Counts a TXT value of `length` characters that its column cuts.
  void CountCut(size_t length, const TTesselColumn& column);

  TTesselASCIIType exportType_ = etTXT;
  int tupleCount_ = 0;
  WideString row_;  // reused for every data row
  TTesselStoredText stored_;
  TTesselOutputEncoding rowEncoding_ = oeAnsi;  // of the row's bytes
  std::string rowBytes_;
  WideString piece_;
  WideString decoded_;
};

// Encodes text in one code page as EncodeToCodePage does, through a
// TCodePageEncoder.
class TSingleByteEncoder {
 public:
  explicit TSingleByteEncoder(int codePage);
  ~TSingleByteEncoder();
  // Replaces `out` with the bytes of `text`.
  void Encode(WideStringView text, std::string& out);

 private:
  std::unique_ptr<TCodePageEncoder> encoder_;
};

// Writes CSV and SYLK in the system ANSI code page and DIF in the system OEM
// code page; TXT follows the run's output encoding.
class TTesselASCIIWriter : public TTesselWriter {
 public:
  TTesselASCIIWriter(TTesselASCII* owner, TStream* stream);
  void Write(WideStringView text) override;

 private:
  TTesselASCII* ascii_;
  std::unique_ptr<TSingleByteEncoder> encoder_;
  std::string encoded_;
};

// The cell rules of the four formats, free of any run state.
namespace ascii {

// A TXT cell: cut to min(width, 255) characters, or padded by the
// alignment, then min(spacing, 255) spaces.
WideString FitCell(WideStringView text, int width, TTesselColAlign align, int spacing);
// The same appended to `out`.
void AppendFitCell(WideString& out, WideStringView text, int width, TTesselColAlign align, int spacing);
// QuoteCSV appended to `out`.
void AppendQuotedCSV(WideString& out, WideStringView text, char16_t quote);
// `text` enclosed in `quote` with every `quote` inside it doubled.
WideString QuoteCSV(WideStringView text, char16_t quote);
// Whether a CSV value must be quoted so that a reader sees it whole: it
// holds the separator, the quote character, CR or LF.
bool NeedsCSVQuotes(WideStringView text, char16_t comma, char16_t quote);
// A DIF string value: enclosed in double quotes, inner ones doubled.
WideString DIFString(WideStringView text);
// The plain notation of a numeric raw value ("." decimals, no grouping,
// no exponent); false for values that are not finite numbers.
bool DIFNumber(const Variant& value, WideString& text);
// A SYLK K"..." text: ";" doubled, each line break (CR LF, CR or LF) as
// ESC, space, colon.
WideString SYLKText(WideStringView text);

}  // namespace ascii

}  // namespace verimo
