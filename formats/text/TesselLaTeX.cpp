#include "formats/text/TesselLaTeX.h"

#include <unicode/utf16.h>

#include "engine/TesselIniFile.h"
#include "platform/codepage/CodePage.h"

namespace verimo {

namespace {

constexpr char16_t kSection[] = u"LATEX";
constexpr size_t kMaxSourceLine = 1000;

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

WideString EscapeText(WideStringView text, bool latin5) {
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
    if (ch < 0x20 || ch == 0x7F || (ch >= 0x80 && ch < 0xA0)) continue;
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
      }
      previous = 0;
      continue;
    }
    if (ch >= 0x80 && IsUnsettable(ch)) {
      out += u'?';
      previous = u'?';
      continue;
    }
    if (FormsLigature(previous, ch)) out += u"{}";
    out += ch;
    previous = ch;
  }
  return out;
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

std::unique_ptr<TTesselWriter> TTesselLaTeX::GetWriterClass(TStream& stream) {
  auto writer = std::make_unique<TTesselLaTeXWriter>(this, &stream);
  writer->SetCodePage(RunCodePage());
  return writer;
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

TTesselTextLimits TTesselLaTeX::TextLimits() const { return {RunCodePage(), TForbiddenCharacters::None, {}}; }

WideString TTesselLaTeX::EscapeText(const WideString& text) {
  return latex::EscapeText(text, InputEncoding() == u"latin5");
}

void TTesselLaTeX::BeginExport() {
  TTesselFormatText::BeginExport();
  WritePreamble();
  started_ = true;
}

void TTesselLaTeX::WritePreamble() {
  TTesselWriter& writer = Writer();
  const WideString style = Options.DocumentStyle == dsBook ? u"book" : u"article";
  const WideString params = Options.DocumentParams.empty() ? WideString() : u"[" + Options.DocumentParams + u"]";
  if (Options.LaTeXVersion == LaTeX2e) {
    writer.WriteLn(u"\\documentclass" + params + u"{" + style + u"}");
    writer.WriteLn(u"\\usepackage[" + InputEncoding() + u"]{inputenc}");
    if (!Trim(Options.Languages).empty()) writer.WriteLn(u"\\usepackage[" + Options.Languages + u"]{babel}");
    if (!Preambula.IsEmpty()) {
      for (const WideString& line : Preambula) writer.WriteLn(line);
      writer.EmptyLine();
    }
  } else {
    writer.WriteLn(u"\\documentstyle" + params + u"{" + style + u"}");
  }
  writer.WriteLn(u"\\begin{document}");
  if (UpperCase(Options.Languages).find(u"RUSSIAN") != WideString::npos) writer.WriteLn(u"\\Rus");
  writer.EmptyLine();
  for (const WideString& line : Header) writer.WriteLn(EscapeText(line));
  writer.WriteLn(u"\\par\\bigskip");
  WideString columnLayout = u"|";
  for (const TTesselColumn& column : Columns()) columnLayout += column.IsNumber ? u"r|" : u"l|";
  writer.WriteLn(u"\\begin{tabular}{" + columnLayout + u"}");
  writer.WriteLn(u"\\hline");
}

// A stopped or failed run ends the document as well, once.
void TTesselLaTeX::EndExport() {
  if (started_ && HasWriter()) {
    started_ = false;
    TTesselWriter& writer = Writer();
    writer.WriteLn(u"\\end{tabular}");
    writer.EmptyLine();
    for (const WideString& line : Footer) writer.WriteLn(EscapeText(line));
    writer.WriteLn(u"\\end{document}");
  }
  TTesselFormatText::EndExport();
}

WideString TTesselLaTeX::GetColCaption(int index) { return TTesselFormatText::GetColCaption(index) + u" & "; }

WideString TTesselLaTeX::GetCaptionRow() {
  WideString row = TTesselFormatText::GetCaptionRow();
  if (row.size() >= 3) row.resize(row.size() - 3);
  return row;
}

void TTesselLaTeX::WriteRowEnd() {
  Writer().WriteLn(u"\\\\");
  Writer().WriteLn(u"\\hline");
}

void TTesselLaTeX::WriteCaptionRow() {
  Writer().WriteLn(GetCaptionRow());
  WriteRowEnd();
}

WideString TTesselLaTeX::GetColData(const WideString& text, const TTesselColumn& column) {
  return TTesselFormatText::GetColData(text, column) + u" & ";
}

WideString TTesselLaTeX::GetDataRow() {
  WideString row = TTesselFormatText::GetDataRow();
  if (row.size() >= 3) row.resize(row.size() - 3);
  return row;
}

void TTesselLaTeX::WriteDataRow() {
  Writer().WriteLn(GetDataRow());
  WriteRowEnd();
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
