#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/TesselText.h"
#include "engine/TesselWriter.h"

namespace verimo {

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

// Writes the records as a LaTeX document with one tabular environment and a
// rule under every row. Unicode output encodings give a UTF-8 file; the
// code-page encodings give a file in Options.CodePage when TeX has an input
// encoding for it, else UTF-8 as well; the preamble names the one used.
class TTesselLaTeX : public TTesselFormatText {
 public:
  TTesselLaTeX();

  TLaTeXOptions Options;
  // Lines copied into the preamble (LaTeX 2e only).
  TStringList Preambula;

  std::unique_ptr<TTesselWriter> GetWriterClass(TStream& stream) override;
  void BeginExport() override;
  void EndExport() override;
  WideString GetColCaption(int index) override;
  WideString GetCaptionRow() override;
  void WriteCaptionRow() override;
  WideString GetColData(const WideString& text, const TTesselColumn& column) override;
  WideString GetDataRow() override;
  void WriteDataRow() override;
  WideString EscapeText(const WideString& text) override;
  TTesselTextLimits TextLimits() const override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

  // The code page the run writes in, 0 for UTF-8.
  int RunCodePage() const;
  // The input encoding the preamble names for RunCodePage().
  WideString InputEncoding() const;

 private:
  void WritePreamble();
  void WriteRowEnd();

  bool started_ = false;
};

namespace latex {

// The input encoding TeX has for a single-byte code page ("latin5" for
// 1254, "cp1252", ...), or empty when it has none.
WideString InputEncodingOf(int codePage);
// A value, caption or header line as LaTeX text: the special characters
// as commands, "<" and ">" in math mode, line breaks as spaces, control
// characters dropped, ligature-forming pairs split, characters the fonts
// of a plain document cannot set as "?"; with `latin5`, also the
// characters that input encoding leaves out as commands.
WideString EscapeText(WideStringView text, bool latin5);

}  // namespace latex

}  // namespace verimo
