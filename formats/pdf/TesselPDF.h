#pragma once

#include <memory>
#include <vector>

#include "engine/TesselText.h"
#include "engine/TesselWriter.h"
#include "formats/pdf/PdfDocument.h"
#include "formats/pdf/PdfFont.h"
#include "formats/pdf/PdfPageOptions.h"
#include "formats/pdf/PdfTable.h"

namespace verimo {

class TTextMeasurer;
class TTesselColumnPlan;

struct TPDFOptions {
  TTesselPDFPageOptions PageOptions;
  TPDFFont HeaderFont{u"HeaderFont"};
  TPDFFont CaptionFont{u"CaptionFont"};
  TPDFFont DataFont{u"DataFont"};
  TPDFFont FooterFont{u"FooterFont"};
  double RowSpacing = 1.0;
  double ColSpacing = 3.0;
  int GridLineWidth = 1;
  TColor GridLineColor = clBlack;

  // Copies the fonts with Assign, so their resource names stay.
  void Assign(const TPDFOptions& source);
};

// The PDF exporter's writer: owns the document over the exporter's stream.
class TTesselPDFWriter : public TTesselWriter {
 public:
  TTesselPDFWriter(TTessel* owner, TStream* stream, int codePage);
  TPDFDocument& Document() { return document_; }

 private:
  TPDFDocument document_;
};

// The records as a ruled table on PDF pages: header lines, a caption row,
// one row per record with grid lines around every cell, footer lines, and
// a new page whenever the trim area is full.
class TTesselPDF : public TTesselFormatText {
 public:
  TTesselPDF();
  ~TTesselPDF() override;

  TPDFOptions Options;
  // Measures user fonts; the installed fonts when not set. Not owned.
  TTextMeasurer* TextMeasurer = nullptr;

  std::unique_ptr<TTesselWriter> GetWriterClass(TStream& stream) override;
  void BeginExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  void EndExport() override;
  WideString EscapeText(const WideString& text) override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

  // The page of the run (turned landscape when the table needed it) and
  // where its columns stand, while the run is on.
  const TTesselPDFPageOptions& RunPage() const { return runPage_; }
  const TPDFTableLayout& TableLayout() const { return layout_; }

 private:
  TPDFDocument& Document();
  TTextMeasurer& Measurer();
  void RefreshFontWidths();
  TPDFTableLayout LayoutOf(const TTesselColumnPlan& plan, const TPDFBox& trim) const;
  // Writes the lines from baseline position `y` on and returns where they end.
  int WriteLines(const TStringList& lines, const TPDFFont& font, bool header, int y);

  std::unique_ptr<TTextMeasurer> systemMeasurer_;
  TTesselPDFPageOptions runPage_;
  TPDFTableLayout layout_;
  std::unique_ptr<TPDFTable> table_;
  WideString cellText_;
  bool started_ = false;
};

namespace pdf {

// The settings sections of the options ("PDF" and the four font sections).
void SaveOptions(TTesselIniFile& file, const TPDFOptions& options);
void LoadOptions(const TTesselIniFile& file, TPDFOptions& options);

}  // namespace pdf

}  // namespace verimo
