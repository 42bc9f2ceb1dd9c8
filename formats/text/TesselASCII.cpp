#include "formats/text/TesselASCII.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <typeinfo>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/NonCopyable.h"
#include "engine/TesselIniFile.h"
#include "core/Exception.h"
#include "platform/codepage/CodePage.h"
#include "platform/locale/Formatting.h"

namespace verimo {

namespace {

constexpr char16_t kCrLf[] = u"\r\n";
constexpr char16_t kSection[] = u"ASCII";
constexpr int kMaxTXTWidth = 255;

char16_t DefaultListSeparator() {
  char16_t separator = GlobalFormatSettings().ListSeparator;
  return separator ? separator : u',';
}

bool IsStringLike(const TTesselColumn& column) {
  return column.ColType == ectString || column.ColType == ectUnknown;
}

// NeedsCSVQuotes for bytes whose ASCII bytes are the ASCII characters.
bool HasCSVMark(std::string_view bytes, char comma, char quote) {
  for (const char ch : bytes)
    if (ch == comma || ch == quote || ch == '\r' || ch == '\n') return true;
  return false;
}

// Cells up to this length are scanned and narrowed on the stack.
constexpr size_t kShortCell = 256;

struct TCSVScan {
  bool ascii = true;    // every character is ASCII
  bool marked = false;  // it holds the separator, the quote, CR or LF
  bool quote = false;   // it holds the quote
};

// Narrows an ASCII text into `target`, looking for the characters that make
// a CSV cell quoted on the way. `target` has room for the text and 8 bytes
// more; nothing in it is meaningful when the text is not ASCII.
TCSVScan NarrowCSVCell(WideStringView text, char16_t comma, char16_t quote, char* target) {
  TCSVScan scan;
#ifdef __SSE2__
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  const __m128i commas = _mm_set1_epi16(static_cast<short>(comma));
  const __m128i quotes = _mm_set1_epi16(static_cast<short>(quote));
  const __m128i crs = _mm_set1_epi16('\r');
  const __m128i lfs = _mm_set1_epi16('\n');
  int quoteBits = 0;
  int markBits = 0;
  // Eight characters at a time, the last ones padded.
  for (size_t at = 0; at < text.size(); at += 8) {
    const size_t count = std::min<size_t>(8, text.size() - at);
    char16_t padded[8] = {};
    const char16_t* source = text.data() + at;
    if (count < 8) source = static_cast<const char16_t*>(std::memcpy(padded, source, count * sizeof(char16_t)));
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
    const int lanes = count == 8 ? 0xFFFF : (1 << (2 * count)) - 1;
    if ((_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, high), zero)) & lanes) != lanes) {
      scan.ascii = false;
      return scan;
    }
    const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi16(units, crs), _mm_cmpeq_epi16(units, lfs));
    quoteBits |= _mm_movemask_epi8(_mm_cmpeq_epi16(units, quotes)) & lanes;
    markBits |= _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(units, commas), breaks)) & lanes;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(target + at), _mm_packus_epi16(units, units));
  }
  scan.quote = quoteBits != 0;
  scan.marked = (markBits | quoteBits) != 0;
#else
  for (const char16_t ch : text) {
    if (ch >= 0x80) {
      scan.ascii = false;
      return scan;
    }
    scan.quote = scan.quote || ch == quote;
    scan.marked = scan.marked || ch == quote || ch == comma || ch == u'\r' || ch == u'\n';
    *target++ = static_cast<char>(ch);
  }
#endif
  return scan;
}

WideString AsciiToWide(std::string_view text) { return WideString(text.begin(), text.end()); }

// A bookmark of the source that is returned to and released on every path.
class SourcePositionGuard : private TNonCopyable {
 public:
  explicit SourcePositionGuard(const TTesselSourceRefs& source)
      : source_(source), bookmark_(source.GetBookmark()) {}
  ~SourcePositionGuard() {
    try {
      source_.GotoBookmark(bookmark_);
    } catch (...) {
    }
    source_.FreeBookmark(bookmark_);
  }

 private:
  TTesselSourceRefs source_;
  TTesselSourceBookmark bookmark_;
};

}  // namespace

// ---- cell rules ----

namespace ascii {

void AppendFitCell(WideString& out, WideStringView text, int width, TTesselColAlign align, int spacing) {
  size_t target = static_cast<size_t>(std::clamp(width, 0, kMaxTXTWidth));
  if (text.size() >= target) {
    out.append(text.substr(0, target));
  } else {
    size_t surplus = target - text.size();
    size_t before = align == ecaRight ? surplus : align == ecaCenter ? surplus / 2 : 0;
    out.append(before, u' ');
    out.append(text);
    out.append(surplus - before, u' ');
  }
  // A settings file may ask for any spacing; more than a column's width
  // between columns is no layout.
  if (spacing > 0) out.append(static_cast<size_t>(std::min(spacing, kMaxTXTWidth)), u' ');
}

WideString FitCell(WideStringView text, int width, TTesselColAlign align, int spacing) {
  WideString cell;
  AppendFitCell(cell, text, width, align, spacing);
  return cell;
}

WideString QuoteCSV(WideStringView text, char16_t quote) {
  WideString quoted;
  quoted.reserve(text.size() + 8);
  AppendQuotedCSV(quoted, text, quote);
  return quoted;
}

void AppendQuotedCSV(WideString& quoted, WideStringView text, char16_t quote) {
  quoted += quote;
  for (size_t start = 0;;) {
    size_t at = text.find(quote, start);
    if (at == WideStringView::npos) {
      quoted.append(text.substr(start));
      break;
    }
    quoted.append(text.substr(start, at + 1 - start));
    quoted += quote;
    start = at + 1;
  }
  quoted += quote;
}

bool NeedsCSVQuotes(WideStringView text, char16_t comma, char16_t quote) {
  for (char16_t ch : text)
    if (ch == comma || ch == quote || ch == u'\r' || ch == u'\n') return true;
  return false;
}

WideString DIFString(WideStringView text) { return QuoteCSV(text, u'"'); }

bool DIFNumber(const Variant& value, WideString& text) {
  char buffer[400];
  switch (value.GetKind()) {
    case Variant::Kind::Integer:
      text = IntToWide(value.AsInt());
      return true;
    case Variant::Kind::Double: {
      double number = value.AsDouble();
      if (!std::isfinite(number)) return false;
      auto result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
      if (result.ec != std::errc()) return false;
      text = AsciiToWide(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
      return true;
    }
    case Variant::Kind::Currency:
      text = AsciiToWide(value.AsCurrency().ToPlainText());
      return true;
    default:
      return false;
  }
}

WideString SYLKText(WideStringView text) {
  WideString escaped;
  escaped.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t ch = text[i];
    if (ch == u';') {
      escaped += u";;";
    } else if (ch == u'\r' || ch == u'\n') {
      escaped += u"\x1b :";
      if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      escaped += ch;
    }
  }
  return escaped;
}

}  // namespace ascii

// ---- writer ----

TSingleByteEncoder::TSingleByteEncoder(int codePage) : encoder_(std::make_unique<TCodePageEncoder>(codePage)) {}

TSingleByteEncoder::~TSingleByteEncoder() = default;

void TSingleByteEncoder::Encode(WideStringView text, std::string& out) {
  out.clear();
  encoder_->Append(text, out);
}

TTesselASCIIWriter::TTesselASCIIWriter(TTesselASCII* owner, TStream* stream)
    : TTesselWriter(owner, stream), ascii_(owner) {}

void TTesselASCIIWriter::Write(WideStringView text) {
  if (text.empty()) return;
  if (!ascii_ || ascii_->ExportType() == etTXT) {
    TTesselWriter::Write(text);
    return;
  }
  if (!encoder_) {
    TSystemCodePage codePage = ascii_->ExportType() == etDIF ? TSystemCodePage::Oem : TSystemCodePage::Ansi;
    encoder_ = std::make_unique<TSingleByteEncoder>(SystemCodePage(codePage));
  }
  encoder_->Encode(text, encoded_);
  WriteBytes(encoded_.data(), encoded_.size());
}

// ---- exporter ----

TTesselASCII::TTesselASCII(TTesselASCIIType type) : CSVComma(DefaultListSeparator()) {
  published_.ColumnsAlign = true;
  published_.ColumnsWidth = true;
  published_.AutoCalcColWidth = true;
  published_.OnFetchedRecord = true;
  AutoCalcColWidth = true;
  SetExportType(type);
}

TTesselTextLimits TTesselASCII::TextLimits() const {
  switch (exportType_) {
    case etCSV:
    case etSYLK: return {SystemCodePage(TSystemCodePage::Ansi), TForbiddenCharacters::None, {}};
    case etDIF: return {SystemCodePage(TSystemCodePage::Oem), TForbiddenCharacters::None, {}};
    case etTXT: break;
  }
  return TTesselFormatText::TextLimits();
}

void TTesselASCII::SetExportType(TTesselASCIIType type) {
  exportType_ = type;
  if (type == etTXT) AutoCalcColWidth = true;
}

std::unique_ptr<TTesselWriter> TTesselASCII::GetWriterClass(TStream& stream) {
  return std::make_unique<TTesselASCIIWriter>(this, &stream);
}

void TTesselASCII::BeginExport() {
  // A descendant may escape texts; this class itself writes them unchanged.
  plainEscapeText_ = typeid(*this) == typeid(TTesselASCII);
  TTesselFormatText::BeginExport();
  if (exportType_ != etTXT) AutoCalcColWidth = false;
  PlanStoredText();
  // The rows of CSV and TXT are built from the cells as read and the
  // stored texts alone.
  if (CanBuildRowInPlace()) AllowReadAhead(&stored_);
  WritePreamble();
}

void TTesselASCII::PlanStoredText() {
  rowEncoding_ = exportType_ == etCSV ? oeAnsi : OutputEncoding();
  const int target = ByteRowCodePage(rowEncoding_);
  // Quotes and separators are looked for and written as ASCII bytes.
  const bool asciiMarks = exportType_ == etTXT || (CSVComma < 0x80 && CSVQuote < 0x80);
  stored_.Plan(Columns(), target, target != 0 && asciiMarks && CanBuildRowInPlace() && CellHandlersUnset());
}

void TTesselASCII::FillRow() {
  if (stored_.Any())
    FillRowDeferring(stored_.Columns());
  else
    TTesselFormatText::FillRow();
}

void TTesselASCII::WritePreamble() {
  TTesselWriter& writer = Writer();
  switch (exportType_) {
    case etTXT:
      writer.WriteSignature();
      if (!Title.empty()) {
        writer.WriteLn(Title);
        writer.CharLine(u'-', 80);
        writer.EmptyLine();
      }
      for (const WideString& line : Header) writer.WriteLn(line);
      break;
    case etCSV:
      for (const WideString& line : Header) writer.WriteLn(line);
      break;
    case etDIF:
      WriteDIFHeader();
      break;
    case etSYLK:
      writer.WriteLn(u"ID;PVASCIIEXPORT");
      break;
  }
}

void TTesselASCII::WriteDIFHeader() {
  TTesselWriter& writer = Writer();
  writer.WriteLn(u"TABLE");
  writer.WriteLn(u"0,1");
  writer.WriteLn(ascii::DIFString(Title));
  writer.WriteLn(u"VECTORS");
  writer.WriteLn(u"0," + IntToWide(Columns().Count()));
  writer.WriteLn(u"\"\"");
  writer.WriteLn(u"TUPLES");
  tupleCount_ = CountTuples();
  if (tupleCount_ < 0) return;
  writer.WriteLn(u"0," + IntToWide(tupleCount_));
  writer.WriteLn(u"\"\"");
  writer.WriteLn(u"DATA");
  writer.WriteLn(u"0,0");
  writer.WriteLn(u"\"\"");
}

int TTesselASCII::CountTuples() {
  const TTesselSourceRefs source = Source();
  SourcePositionGuard position(source);
  // The run reads from the first record only when asked to; otherwise from
  // where the source stands.
  if (GoToFirstRecord) source.First();
  int passed = 0;
  for (int i = 0; i < SkipRecCount; ++i) source.Next(passed);
  int count = 0;
  while (!source.EndOfFile(count, SkipRecCount, ExportRecCount)) {
    if (ExportRecCount != 0 && count >= ExportRecCount) break;
    if (CurrentRecordOnly && count >= 1) break;
    if (Aborted() && !CheckStop()) return -1;
    source.Next(count);
    if (OnFetchedRecord) OnFetchedRecord(*this, count);
  }
  return count;
}

void TTesselASCII::EndExport() {
  TTesselWriter& writer = Writer();
  switch (exportType_) {
    case etTXT:
    case etCSV:
      for (const WideString& line : Footer) writer.WriteLn(line);
      break;
    case etDIF:
      writer.WriteLn(u"-1,0");
      writer.WriteLn(u"EOD");
      break;
    case etSYLK:
      writer.WriteLn(u"E");
      break;
  }
  TTesselFormatText::EndExport();
}

WideString TTesselASCII::GetColCaption(int index) {
  WideString caption = TTesselFormatText::GetColCaption(index);
  const TTesselColumn& column = Columns()[index];
  switch (exportType_) {
    case etTXT:
      return ascii::FitCell(caption, column.Width, column.ColAlign, TXTSpacing);
    case etCSV:
      if (CSVQuote != 0 && (CSVQuoteCaptions || ascii::NeedsCSVQuotes(caption, CSVComma, CSVQuote)))
        caption = ascii::QuoteCSV(caption, CSVQuote);
      caption += CSVComma;
      return caption;
    case etDIF:
      return u"1,0\r\n" + ascii::DIFString(caption) + kCrLf;
    case etSYLK:
      return u"C;X" + IntToWide(index + 1) + u";Y1;K\"" + ascii::SYLKText(caption) + u"\"" + kCrLf;
  }
  return caption;
}

WideString TTesselASCII::RowEnd(WideString row) const {
  if (exportType_ == etCSV && !row.empty()) row.pop_back();
  if (exportType_ == etTXT || exportType_ == etCSV) row += kCrLf;
  if (exportType_ == etDIF) row.insert(0, u"-1,0\r\nBOT\r\n");
  return row;
}

WideString TTesselASCII::GetCaptionRow() { return RowEnd(TTesselFormatText::GetCaptionRow()); }

void TTesselASCII::WriteCaptionRow() {
  WideString row = GetCaptionRow();
  if (!row.empty()) Writer().Write(row);
}

int TTesselASCII::CurrentColumn(const TTesselColumn& column) const {
  const TTesselColumns& columns = Columns();
  for (int i = 0; i < columns.Count(); ++i)
    if (&columns[i] == &column) return i;
  return -1;
}

WideString TTesselASCII::DIFCell(const WideString& text, int columnIndex) {
  WideString number;
  if (columnIndex >= 0 && Columns()[columnIndex].IsNumber) {
    const TTesselRow& row = Row();
    const TTesselCol* cell = columnIndex < row.Count() ? &row[columnIndex] : nullptr;
    if (cell && !ColumnIsNull(*cell, columnIndex) && ascii::DIFNumber(cell->Value, number))
      return u"0," + number + u"\r\nV\r\n";
  }
  return u"1,0\r\n" + ascii::DIFString(text) + kCrLf;
}

WideString TTesselASCII::GetColData(const WideString& inheritedText, const TTesselColumn& column) {
  WideString text = TTesselFormatText::GetColData(inheritedText, column);
  switch (exportType_) {
    case etTXT:
      CountCut(text.size(), column);
      return ascii::FitCell(text, column.Width, column.ColAlign, TXTSpacing);
    case etCSV:
      if (CSVQuote != 0 && ((CSVQuoteStrings && IsStringLike(column)) || ascii::NeedsCSVQuotes(text, CSVComma, CSVQuote)))
        text = ascii::QuoteCSV(text, CSVQuote);
      text += CSVComma;
      return text;
    case etDIF:
      return DIFCell(text, CurrentColumn(column));
    case etSYLK: {
      int row = RecordCounter() + (AllowCaptions ? 1 : 0) + 1;
      return u"C;X" + IntToWide(CurrentColumn(column) + 1) + u";Y" + IntToWide(row) + u";K\"" +
             ascii::SYLKText(text) + u"\"" + kCrLf;
    }
  }
  return text;
}

WideString TTesselASCII::GetDataRow() { return RowEnd(TTesselFormatText::GetDataRow()); }

void TTesselASCII::WriteDataRow() {
  if (!CanBuildRowInPlace()) {
    Writer().Write(GetDataRow());
    return;
  }
  if (stored_.Any()) {
    BuildRowBytes();
    Writer().WriteBytes(rowBytes_.data(), rowBytes_.size());
    return;
  }
  BuildRowInPlace();
  Writer().Write(row_);
}

void TTesselASCII::AppendCellBytes(WideStringView text, const TTesselColumn& column) {
  // ASCII texts (numbers, dates, most others) are quoted or padded as
  // bytes: the output writes ASCII as it is.
  const size_t start = rowBytes_.size();
  if (exportType_ == etTXT) {
    CountCut(text.size(), column);
    const size_t target = static_cast<size_t>(std::clamp(column.Width, 0, kMaxTXTWidth));
    const size_t length = std::min(text.size(), target);
    const size_t surplus = target - length;
    const size_t before = column.ColAlign == ecaRight ? surplus : column.ColAlign == ecaCenter ? surplus / 2 : 0;
    const size_t spacing = TXTSpacing > 0 ? static_cast<size_t>(std::min(TXTSpacing, kMaxTXTWidth)) : 0;
    rowBytes_.resize(start + target + spacing, ' ');
    if (CopyAsciiPrefix(text.substr(0, length), rowBytes_.data() + start + before) == length) return;
  } else if (text.size() <= kShortCell) {
    // Quote, text, quote and separator, appended at once.
    char cell[kShortCell + 16];
    const TCSVScan scan = NarrowCSVCell(text, CSVComma, CSVQuote, cell + 1);
    const bool quoted = CSVQuote != 0 && ((CSVQuoteStrings && IsStringLike(column)) || scan.marked);
    if (scan.ascii && !(quoted && scan.quote)) {
      char* const first = quoted ? cell : cell + 1;
      char* last = cell + 1 + text.size();
      cell[0] = static_cast<char>(CSVQuote);
      if (quoted) *last++ = static_cast<char>(CSVQuote);
      *last++ = static_cast<char>(CSVComma);
      rowBytes_.append(first, static_cast<size_t>(last - first));
      return;
    }
  }
  rowBytes_.resize(start);
  piece_.clear();
  if (exportType_ == etTXT) {
    ascii::AppendFitCell(piece_, text, column.Width, column.ColAlign, TXTSpacing);
  } else {
    if (CSVQuote != 0 && ((CSVQuoteStrings && IsStringLike(column)) || ascii::NeedsCSVQuotes(text, CSVComma, CSVQuote)))
      ascii::AppendQuotedCSV(piece_, text, CSVQuote);
    else
      piece_ += text;
    piece_ += CSVComma;
  }
  Writer().Encode(piece_, rowEncoding_, rowBytes_);
}

bool TTesselASCII::AppendStoredCSV(int index, std::string_view stored, bool quoted) {
  const size_t start = rowBytes_.size();
  if (quoted) {
    const char quote = static_cast<char>(CSVQuote);
    rowBytes_ += quote;
    for (size_t from = 0;;) {
      const size_t at = stored.find(quote, from);
      const size_t end = at == std::string_view::npos ? stored.size() : at + 1;
      if (!stored_.Append(index, stored.substr(from, end - from), rowBytes_)) {
        rowBytes_.resize(start);
        return false;
      }
      if (at == std::string_view::npos) break;
      rowBytes_ += quote;
      from = end;
    }
    rowBytes_ += quote;
  } else if (!stored_.Append(index, stored, rowBytes_)) {
    return false;
  }
  rowBytes_ += static_cast<char>(CSVComma);
  return true;
}

bool TTesselASCII::AppendStoredTXT(int index, std::string_view stored, const TTesselColumn& column) {
  // One character per stored byte.
  const size_t start = rowBytes_.size();
  const size_t target = static_cast<size_t>(std::clamp(column.Width, 0, kMaxTXTWidth));
  const size_t length = std::min(stored.size(), target);
  const size_t surplus = target - length;
  const size_t before = column.ColAlign == ecaRight ? surplus : column.ColAlign == ecaCenter ? surplus / 2 : 0;
  rowBytes_.append(before, ' ');
  if (!stored_.Append(index, stored.substr(0, length), rowBytes_)) {
    rowBytes_.resize(start);
    return false;
  }
  rowBytes_.append(surplus - before, ' ');
  if (TXTSpacing > 0) rowBytes_.append(static_cast<size_t>(std::min(TXTSpacing, kMaxTXTWidth)), ' ');
  CountCut(stored.size(), column);
  return true;
}

void TTesselASCII::CountCut(size_t length, const TTesselColumn& column) {
  const int width = std::clamp(column.Width, 0, kMaxTXTWidth);
  if (length > static_cast<size_t>(width)) Losses().Add(column.Name, TLossKind::TextCut, IntToWide(width));
}

void TTesselASCII::BuildRowBytes() {
  static const TTesselColumn kNoColumn;
  const TTesselColumns& columns = Columns();
  const TTesselRow& row = RowAsRead();
  const WideString& nullText = Formats().NullString();
  const char comma = static_cast<char>(CSVComma);
  const char quote = static_cast<char>(CSVQuote);
  rowBytes_.clear();
  for (int i = 0; i < row.Count(); ++i) {
    const TTesselCol& cell = row[i];
    const bool known = cell.ColumnIndex >= 0 && cell.ColumnIndex < columns.Count();
    const TTesselColumn& column = known ? columns[cell.ColumnIndex] : kNoColumn;
    if (known && stored_.IsPlanned(cell.ColumnIndex)) {
      const std::string_view stored = stored_.Text(cell.ColumnIndex);
      if (stored.empty()) {
        AppendCellBytes(nullText, column);
        continue;
      }
      bool done = false;
      if (exportType_ == etTXT) {
        done = AppendStoredTXT(cell.ColumnIndex, stored, column);
      } else {
        const bool quoted =
            CSVQuote != 0 && ((CSVQuoteStrings && IsStringLike(column)) || HasCSVMark(stored, comma, quote));
        done = AppendStoredCSV(cell.ColumnIndex, stored, quoted);
      }
      if (!done) {
        stored_.Decode(cell.ColumnIndex, stored, decoded_);
        AppendCellBytes(decoded_, column);
      }
      continue;
    }
    AppendCellBytes(known && ColumnIsNull(cell, cell.ColumnIndex) ? nullText : cell.Text, column);
  }
  if (exportType_ == etCSV && !rowBytes_.empty()) rowBytes_.pop_back();
  rowBytes_ += "\r\n";
}

bool TTesselASCII::CanBuildRowInPlace() const {
  return (exportType_ == etCSV || exportType_ == etTXT) && typeid(*this) == typeid(TTesselASCII);
}

void TTesselASCII::BuildRowInPlace() {
  static const TTesselColumn kNoColumn;
  const TTesselColumns& columns = Columns();
  const TTesselRow& row = Row();
  const WideString& nullText = Formats().NullString();
  row_.clear();
  for (int i = 0; i < row.Count(); ++i) {
    const TTesselCol& cell = row[i];
    const bool known = cell.ColumnIndex >= 0 && cell.ColumnIndex < columns.Count();
    const TTesselColumn& column = known ? columns[cell.ColumnIndex] : kNoColumn;
    const WideString& text = known && ColumnIsNull(cell, cell.ColumnIndex) ? nullText : cell.Text;
    if (exportType_ == etTXT) {
      CountCut(text.size(), column);
      ascii::AppendFitCell(row_, text, column.Width, column.ColAlign, TXTSpacing);
      continue;
    }
    if (CSVQuote != 0 && ((CSVQuoteStrings && IsStringLike(column)) || ascii::NeedsCSVQuotes(text, CSVComma, CSVQuote)))
      ascii::AppendQuotedCSV(row_, text, CSVQuote);
    else
      row_ += text;
    row_ += CSVComma;
  }
  if (exportType_ == etCSV && !row_.empty()) row_.pop_back();
  row_ += kCrLf;
}

// ---- settings ----

void TTesselASCII::SaveSettings(TTesselIniFile& settings) {
  TTesselFormatText::SaveSettings(settings);
  settings.WriteInteger(kSection, u"ExportType", exportType_);
  settings.WriteString(kSection, u"Comma", CharToIniText(CSVComma));
  settings.WriteString(kSection, u"Quote", CharToIniText(CSVQuote));
  settings.WriteBool(kSection, u"QuoteStrings", CSVQuoteStrings);
  settings.WriteBool(kSection, u"QuoteCaptions", CSVQuoteCaptions);
  settings.WriteInteger(kSection, u"Spacing", TXTSpacing);
  settings.WriteBool(kSection, u"AutoCalcColWidth", AutoCalcColWidth);
  settings::WriteNumberedLines(settings, u"ALIGN", u"line", ColumnsAlign);
  settings::WriteNumberedLines(settings, u"WIDTH", u"line", ColumnsWidth);
}

void TTesselASCII::LoadSettings(TTesselIniFile& settings) {
  TTesselFormatText::LoadSettings(settings);
  int type = settings.ReadInteger(kSection, u"ExportType", exportType_);
  if (type >= etTXT && type <= etSYLK) SetExportType(static_cast<TTesselASCIIType>(type));
  if (settings.ValueExists(kSection, u"Comma")) CSVComma = IniTextToChar(settings.ReadString(kSection, u"Comma", u""));
  if (settings.ValueExists(kSection, u"Quote")) CSVQuote = IniTextToChar(settings.ReadString(kSection, u"Quote", u""));
  CSVQuoteStrings = settings.ReadBool(kSection, u"QuoteStrings", CSVQuoteStrings);
  CSVQuoteCaptions = settings.ReadBool(kSection, u"QuoteCaptions", CSVQuoteCaptions);
  TXTSpacing = settings.ReadInteger(kSection, u"Spacing", TXTSpacing);
  AutoCalcColWidth = settings.ReadBool(kSection, u"AutoCalcColWidth", AutoCalcColWidth);
  settings::ReadNumberedLines(settings, u"ALIGN", ColumnsAlign);
  settings::ReadNumberedLines(settings, u"WIDTH", ColumnsWidth);
}

}  // namespace verimo
