#include "formats/text/TesselHTML.h"

#include <algorithm>
#include <system_error>
#include <typeinfo>

#include "core/HexText.h"
#include "engine/TesselIniFile.h"
#include "core/Exception.h"
#include "platform/codepage/CodePage.h"
#include "formats/text/TesselHTMLSettings.h"
#include "formats/text/TesselHTMLStyle.h"
#include "formats/text/TesselHTMLText.h"

namespace verimo {

namespace fs = std::filesystem;

namespace {

constexpr char16_t kCrLf[] = u"\r\n";

// The link from a page in `fromDir` to `file`: relative, "/"-separated,
// percent-encoded.
WideString RelativeHref(const fs::path& file, const fs::path& fromDir) {
  std::error_code ec;
  const fs::path absoluteFile = fs::absolute(file, ec);
  const fs::path absoluteDir = fs::absolute(fromDir.empty() ? fs::path(".") : fromDir, ec);
  fs::path relative = absoluteFile.lexically_normal().lexically_relative(absoluteDir.lexically_normal());
  if (relative.empty()) relative = absoluteFile;
  return PercentEncode(relative.generic_string(), "/");
}

}  // namespace

// ---- writer ----

TTesselHTMLWriter::TTesselHTMLWriter(TTessel* owner, TStream* stream) : TTesselWriter(owner, stream), target_(stream) {}

void TTesselHTMLWriter::Write(WideStringView text) {
  if (text.empty() || Owner() == nullptr || target_ == nullptr) return;
  encoded_.clear();
  html::EncodePageText(text, Encoding(), encoded_);
  if (!encoded_.empty()) target_->Write(encoded_.data(), encoded_.size());
}

WideString TTesselHTMLWriter::AlignToStr(TTesselColAlign align) const {
  switch (align) {
    case ecaLeft: return u"Left";
    case ecaCenter: return u"Center";
    case ecaRight: return u"Right";
  }
  return WideString();
}

void TTesselHTMLWriter::WriteEncoded(std::string_view bytes) {
  if (bytes.empty() || Owner() == nullptr || target_ == nullptr) return;
  target_->Write(bytes.data(), bytes.size());
}

void TTesselHTMLWriter::WritePageSignature() {
  static constexpr uint8_t kUtf16[] = {0xFF, 0xFE};
  static constexpr uint8_t kUtf32[] = {0xFF, 0xFE, 0x00, 0x00};
  if (Owner() == nullptr || target_ == nullptr) return;
  if (Encoding() == oeUTF16) target_->Write(kUtf16, sizeof kUtf16);
  if (Encoding() == oeUTF32) target_->Write(kUtf32, sizeof kUtf32);
}

// ---- exporter ----

TTesselHTML::TTesselHTML() {
  published_.ColumnsAlign = true;
  SetHTMLTemplate(htClassic);
}

TTesselHTML::~TTesselHTML() = default;

void TTesselHTML::SetHTMLTemplate(THTMLTemplate value) {
  if (value == template_) return;
  template_ = value;
  ApplyHTMLTemplate(value, HTMLOptions, TableOptions);
}

void TTesselHTML::SaveTemplateToFile(const fs::path& fileName) const {
  TTesselIniFile file(fileName);
  SaveHTMLTemplate(file, HTMLOptions, TableOptions);
}

void TTesselHTML::LoadTemplateFromFile(const fs::path& fileName) {
  TTesselIniFile file(fileName);
  LoadHTMLTemplate(file, HTMLOptions, TableOptions);
}

std::unique_ptr<TTesselWriter> TTesselHTML::GetWriterClass(TStream& stream) {
  return std::make_unique<TTesselHTMLWriter>(this, &stream);
}

TTesselHTMLWriter& TTesselHTML::HTMLWriter() const { return static_cast<TTesselHTMLWriter&>(Writer()); }

void TTesselHTML::Execute() {
  // A page file left open by a failed run is closed on the way out.
  struct PageStreamGuard {
    TTesselHTML& html;
    ~PageStreamGuard() { html.pageStream_.reset(); }
  } guard{*this};
  TTesselFormatText::Execute();
}

bool TTesselHTML::Paging() const { return maxRecords_ > 0 && !basePath_.empty(); }

void TTesselHTML::BeginExport() {
  TTesselFormatText::BeginExport();
  pages_.clear();
  pageStream_.reset();
  baseStream_ = &HTMLWriter().Target();
  auto* file = dynamic_cast<TFileStream*>(baseStream_);
  basePath_ = file ? file->FileName() : fs::path();
  cssPath_.clear();
  writtenCSS_.clear();
  borderWrapper_ = TableOptions.BorderColor != clWhite;
  styleLines_ = html::StyleSheetLines(HTMLOptions, TableOptions, AllowCaptions, borderWrapper_);
  pageOpen_ = false;
  finished_ = false;
  rowsWritten_ = 0;
  rowOnPage_ = 0;
  PlanByteRows();
}

void TTesselHTML::WriteCaptionRow() {}

TTesselTextLimits TTesselHTML::TextLimits() const {
  return {0, TForbiddenCharacters::MarkupControls, u"HTML"};
}

WideString TTesselHTML::EscapeText(const WideString& text) { return html::Escape(text, InterpretTags); }

std::string TTesselHTML::Encode(WideStringView text) const {
  std::string bytes;
  html::EncodePageText(text, OutputEncoding(), bytes);
  return bytes;
}

// ---- page structure ----

void TTesselHTML::WriteCharsetLine() {
  const char16_t* charset = nullptr;
  switch (OutputEncoding()) {
    case oeUTF8: charset = u"UTF-8"; break;
    case oeUTF16: charset = u"UTF-16"; break;
    case oeUTF32: charset = u"UTF-32"; break;
    default: return;
  }
  HTMLWriter().WriteLn(u"<META http-equiv=\"content-type\" content=\"text/html; charset=" + WideString(charset) + u"\">");
}

void TTesselHTML::WriteStyleSheet(const fs::path& pageFile, bool writeFile) {
  TTesselHTMLWriter& writer = HTMLWriter();
  if (UsingCSS == usInternal) {
    writer.WriteLn(u"<Style type=\"text/css\">");
    for (const WideString& line : styleLines_) writer.WriteLn(line);
    writer.WriteLn(u"</STYLE>");
    return;
  }
  if (basePath_.empty()) return;
  if (cssPath_.empty()) {
    if (CSSFileName.empty()) {
      cssPath_ = pageFile;
      cssPath_.replace_extension(".css");
    } else {
      cssPath_ = fs::path(CSSFileName);
      if (cssPath_.is_relative()) cssPath_ = pageFile.parent_path() / cssPath_;
    }
  }
  writer.WriteLn(u"<link rel=\"stylesheet\" type=\"text/css\" href=\"" + RelativeHref(cssPath_, pageFile.parent_path()) +
                 u"\">");
  std::error_code ec;
  if (!writeFile || !writtenCSS_.empty() || (fs::exists(cssPath_, ec) && !OverwriteCSSFile)) return;
  WideString text;
  for (const WideString& line : styleLines_) text += line + kCrLf;
  TFileStream css(cssPath_, TFileStream::TMode::Create);
  TTesselHTMLWriter cssWriter(this, &css);
  cssWriter.WritePageSignature();
  cssWriter.Write(text);
  css.Close();
  writtenCSS_ = cssPath_;
}

void TTesselHTML::WriteColonLines(const TStringList& lines) {
  TTesselHTMLWriter& writer = HTMLWriter();
  for (const WideString& line : lines) writer.WriteLn(EscapeText(line) + u"<br>");
}

void TTesselHTML::WriteHeadToBody(const fs::path& file, bool writeStyleFile) {
  TTesselHTMLWriter& writer = HTMLWriter();
  writer.WritePageSignature();
  writer.WriteLn(u"<HTML>");
  writer.WriteLn(u"<HEAD>");
  WriteCharsetLine();
  writer.WriteLn(u" <Title>" + html::EscapeMarkup(Title) + u"</Title>");
  WriteStyleSheet(file, writeStyleFile);
  writer.WriteLn(u"</HEAD>");
  writer.WriteLn(u"<BODY>");
}

void TTesselHTML::WritePageHead(const fs::path& pageFile) {
  TTesselHTMLWriter& writer = HTMLWriter();
  WriteHeadToBody(pageFile, true);
  if (pageStream_) pages_.back().TopInsertion = writer.Target().Position();
  WriteColonLines(Header);
}

void TTesselHTML::WriteTableOpening() {
  TTesselHTMLWriter& writer = HTMLWriter();
  if (borderWrapper_) {
    writer.WriteLn(u"<Table cellspacing=0 cellpadding=0 class=\"TrBC\">");
    writer.WriteLn(u"<tr><td>");
  }
  WideString table = u"<Table Border=\"" + IntToWide(TableOptions.Border) + u"\" Cellpadding=\"" +
                     IntToWide(TableOptions.CellPadding) + u"\" Cellspacing=\"" + IntToWide(TableOptions.CellSpacing) + u"\"";
  if (html::PictureExists(TableOptions.BackgroundFileName))
    table += u" Background=\"" + html::EscapeMarkup(TableOptions.BackgroundFileName) + u"\"";
  writer.WriteLn(table + u">");
  if (BoolAsCheckBox) writer.WriteLn(u"<Form>");
  if (!AllowCaptions) return;
  WideString captions = u"  <tr>\r\n";
  for (int i = 0; i < Columns().Count(); ++i) captions += u"    <td class=\"ThRows\">" + GetColCaption(i) + u"</td>\r\n";
  captions += u"  </tr>";
  writer.WriteLn(captions);
}

void TTesselHTML::WriteTableClosing() {
  TTesselHTMLWriter& writer = HTMLWriter();
  if (BoolAsCheckBox) writer.WriteLn(u"</Form>");
  writer.WriteLn(u"</Table>");
  if (borderWrapper_) {
    writer.WriteLn(u"</td></tr>");
    writer.WriteLn(u"</Table>");
  }
}

void TTesselHTML::OpenPage() {
  TTesselHTMLWriter& writer = HTMLWriter();
  fs::path pageFile = basePath_;
  if (Paging()) {
    if (pageOpen_) ClosePage();
    pages_.push_back({html::PageFileName(basePath_, static_cast<int>(pages_.size()) + 1)});
    pageFile = pages_.back().FileName;
    pageStream_ = std::make_unique<TFileStream>(pageFile, TFileStream::TMode::Create);
    writer.SetTarget(pageStream_.get());
  }
  WritePageHead(pageFile);
  WriteTableOpening();
  pageOpen_ = true;
  rowOnPage_ = 0;
}

void TTesselHTML::ClosePage() {
  TTesselHTMLWriter& writer = HTMLWriter();
  WriteTableClosing();
  WriteColonLines(Footer);
  if (pageStream_) pages_.back().BottomInsertion = writer.Target().Position();
  writer.WriteLn(u"</BODY>");
  writer.WriteLn(u"</HTML>");
  pageOpen_ = false;
  if (pageStream_) {
    pageStream_->Close();
    pageStream_.reset();
    writer.SetTarget(baseStream_);
  }
}

// ---- rows ----

int TTesselHTML::ColumnIndexOf(const TTesselColumn& column) const {
  const TTesselColumns& columns = Columns();
  if (columns.Count() == 0) return -1;
  const std::ptrdiff_t index = &column - &columns[0];
  return index >= 0 && index < columns.Count() ? static_cast<int>(index) : -1;
}

WideString TTesselHTML::CellStyle(const TTesselFont& font, TColor background, TColor rowBackground) const {
  const TTesselFont& base = HTMLOptions.TextFont;
  WideString items;
  auto add = [&items](WideStringView name, const WideString& value) {
    items.append(name).append(u": ").append(value).append(u"; ");
  };
  auto flag = [&](WideStringView name, bool cell, bool page, WideStringView on, WideStringView off) {
    if (cell != page) add(name, WideString(cell ? on : off));
  };
  if (background != rowBackground) add(u"background-color", html::ColorCode(background));
  if (!SameText(font.Name, base.Name)) add(u"font-family", font.Name);
  if (font.Size() != base.Size()) add(u"font-size", IntToWide(font.Size()) + u"pt");
  if (font.Color != base.Color) add(u"color", html::ColorCode(font.Color));
  flag(u"font-weight", font.Bold, base.Bold, u"bold", u"normal");
  flag(u"font-style", font.Italic, base.Italic, u"italic", u"normal");
  flag(u"text-decoration", font.Underline, base.Underline, u"underline", u"none");
  if (items.empty()) return items;
  items.resize(items.size() - 2);
  return u" style=\"" + html::EscapeMarkup(items) + u"\"";
}

WideString TTesselHTML::GetColData(const WideString& inheritedText, const TTesselColumn& column) {
  WideString value = TTesselFormatText::GetColData(inheritedText, column);
  WideString cell;
  AppendColData(value, column, cell);
  return cell;
}

void TTesselHTML::AppendColData(WideString& value, const TTesselColumn& column, WideString& out) {
  if (column.ColType == ectBoolean && BoolAsCheckBox) {
    if (SameText(value, EscapeText(Formats().BooleanFalse())))
      value = u"<Input type=\"checkbox\"/>";
    else if (SameText(value, EscapeText(Formats().BooleanTrue())))
      value = u"<Input type=\"checkbox\" checked=\"\"/>";
  }
  if (value.empty()) value = u"&nbsp;";
  TTesselColAlign align = column.ColAlign;
  WideString style;
  if (OnGetCellParams) {
    const TColor rowBackground = rowOnPage_ % 2 == 0 ? TableOptions.OddRowBgColor : TableOptions.TableBgColor;
    TColor background = rowBackground;
    TTesselFont font = HTMLOptions.TextFont;
    OnGetCellParams(*this, RecordCounter(), ColumnIndexOf(column), value, align, font, background);
    style = CellStyle(font, background, rowBackground);
  }
  out += u" align=";
  out += HTMLWriter().AlignToStr(align);
  out += style;
  out += u'>';
  out += value;
}

void TTesselHTML::AppendCell(const TTesselCol& cell) {
  row_ += rowOnPage_ % 2 == 0 ? u"    <td class=\"TrOdd\"" : u"    <td class=\"TrRows\"";
  if (typeid(*this) == typeid(TTesselHTML))
    AppendCellInPlace(cell);
  else
    row_ += GetCellText(cell);
  row_ += u"</td>\r\n";
}

void TTesselHTML::AppendCellInPlace(const TTesselCol& cell) {
  static const TTesselColumn kNoColumn;
  const TTesselColumns& columns = Columns();
  const bool known = cell.ColumnIndex >= 0 && cell.ColumnIndex < columns.Count();
  const WideString& text = known && ColumnIsNull(cell, cell.ColumnIndex) ? Formats().NullString() : cell.Text;
  cellValue_.clear();
  html::AppendEscaped(text, InterpretTags, cellValue_);
  AppendColData(cellValue_, known ? columns[cell.ColumnIndex] : kNoColumn, row_);
}

void TTesselHTML::FillRow() {
  if (stored_.Any())
    FillRowDeferring(stored_.Columns());
  else
    TTesselFormatText::FillRow();
}

void TTesselHTML::WriteDataRow() {
  if (!pageOpen_ || (Paging() && rowOnPage_ >= maxRecords_)) OpenPage();
  if (ByteRowsApply() && BuildRowBytes())
    HTMLWriter().WriteEncoded(rowBytes_.View());
  else
    WriteRowOfSteps();
  ++rowOnPage_;
  ++rowsWritten_;
}

void TTesselHTML::WriteRowOfSteps() {
  row_.assign(u"  <tr>\r\n");
  TTesselRow& row = Row();
  for (int i = 0; i < row.Count(); ++i) AppendCell(row[i]);
  row_ += u"  </tr>\r\n";
  HTMLWriter().Write(row_);
}

// ---- rows as bytes ----

void TTesselHTML::PlanByteRows() {
  byteRows_ = false;
  stored_.Clear();
  escapers_.clear();
  byteCells_.clear();
  const TTesselColumns& columns = Columns();
  hasBooleanColumn_ = false;
  for (int i = 0; i < columns.Count(); ++i) hasBooleanColumn_ = hasBooleanColumn_ || columns[i].ColType == ectBoolean;
  if (typeid(*this) != typeid(TTesselHTML) || columns.Count() == 0) return;
  const int target = ByteRowTarget();
  if (target == 0) return;
  codePageRows_ = target != TSingleByteTranscoder::kUtf8;
  if (!PlanCellPieces()) return;
  PlanStoredTexts(target);
  byteRows_ = true;
}

int TTesselHTML::ByteRowTarget() const {
  const TTesselOutputEncoding encoding = OutputEncoding();
  const int codePage = ByteRowCodePage(encoding);
  if (codePage == 0 || encoding == oeUTF8) return codePage;
  // A single-byte code page that writes ASCII as it is, as the pieces and
  // the ASCII cells are written.
  try {
    if (TSingleByteCodePage::Find(codePage) == nullptr) return 0;
  } catch (const Exception&) {
    return 0;
  }
  return KeepsAsciiAsBytes(codePage) ? codePage : 0;
}

bool TTesselHTML::PlanCellPieces() {
  static constexpr std::array<const char16_t*, 2> kCellStarts = {u"    <td class=\"TrOdd\"", u"    <td class=\"TrRows\""};
  const TTesselColumns& columns = Columns();
  const int count = columns.Count();
  byteCells_.assign(static_cast<size_t>(count), TByteCell());
  for (size_t kind = 0; kind < 2; ++kind) {
    auto opening = [&](int i) {
      return Encode(WideString(kCellStarts[kind]) + u" align=" + HTMLWriter().AlignToStr(columns[i].ColAlign) + u">");
    };
    if (!rowStart_[kind].Assign(Encode(u"  <tr>\r\n") + opening(0))) return false;
    for (int i = 0; i < count; ++i) {
      const std::string after = Encode(u"</td>\r\n") + (i + 1 < count ? opening(i + 1) : Encode(u"  </tr>\r\n"));
      if (!byteCells_[static_cast<size_t>(i)].after[kind].Assign(after)) return false;
    }
  }
  return true;
}

void TTesselHTML::PlanStoredTexts(int target) {
  // Handlers that change texts get the cells; the bytes would pass them by.
  stored_.Plan(Columns(), target, CellHandlersUnset() && !OnGetCellParams);
  if (!stored_.Any()) return;
  escapers_.resize(static_cast<size_t>(Columns().Count()));
  for (int i = 0; i < Columns().Count(); ++i) {
    if (!stored_.IsPlanned(i)) continue;
    auto transcode = [this, i](uint8_t byte, std::string& out) {
      const char stored = static_cast<char>(byte);
      return stored_.Append(i, std::string_view(&stored, 1), out);
    };
    html::TStoredTextEscaper& escaper = escapers_[static_cast<size_t>(i)];
    escaper.Build(transcode, codePageRows_);
    byteCells_[static_cast<size_t>(i)].escaper = &escaper;
  }
}

bool TTesselHTML::ByteRowsApply() const {
  return byteRows_ && InterpretTags && !OnGetCellParams && !(BoolAsCheckBox && hasBooleanColumn_);
}

bool TTesselHTML::BuildRowBytes() {
  const TTesselRow& row = RowAsRead();
  const size_t count = byteCells_.size();
  if (static_cast<size_t>(row.Count()) != count) return false;
  const TTesselCol* const cells = &row[0];
  const size_t kind = rowOnPage_ % 2 == 0 ? 0 : 1;
  const WideString& nullText = Formats().NullString();
  rowBytes_.Clear();
  rowBytes_.Append(rowStart_[kind]);
  for (size_t i = 0; i < count; ++i) {
    const TTesselCol& cell = cells[i];
    const int column = static_cast<int>(i);
    if (cell.ColumnIndex != column) return false;
    const TByteCell& plan = byteCells_[i];
    const bool done = plan.escaper != nullptr ? AppendStoredCellBytes(column, *plan.escaper)
                                              : AppendCellBytes(ColumnIsNull(cell, column) ? nullText : cell.Text);
    if (!done) return false;
    rowBytes_.Append(plan.after[kind]);
  }
  return true;
}

bool TTesselHTML::AppendStoredCellBytes(int column, const html::TStoredTextEscaper& escaper) {
  const std::string_view stored = stored_.Text(column);
  if (stored.empty()) return AppendCellBytes(Formats().NullString());
  return escaper.Append(stored, rowBytes_);
}

bool TTesselHTML::AppendCellBytes(WideStringView text) {
  if (text.empty()) {
    rowBytes_.Append("&nbsp;");
    return true;
  }
  if (html::AppendEscapedAscii(text, rowBytes_)) return true;
  cellValue_.clear();
  html::AppendEscaped(text, true, cellValue_);
  encodedCell_.clear();
  if (codePageRows_) {
    Writer().Encode(cellValue_, OutputEncoding(), encodedCell_);
    // A "?" the text does not have is a character the code page cannot
    // hold: the steps write the row with a reference for it.
    if (std::count(encodedCell_.begin(), encodedCell_.end(), '?') != std::count(cellValue_.begin(), cellValue_.end(), u'?'))
      return false;
  } else {
    TTesselWriter::EncodeText(cellValue_, oeUTF8, encodedCell_);
  }
  rowBytes_.Append(encodedCell_);
  return true;
}

void TTesselHTML::AfterExport() {
  if (pageOpen_) {
    ClosePage();
  } else if (rowsWritten_ == 0) {
    // No row was written (an empty source, or every row skipped or
    // rejected): one page in the target itself, whose table holds only
    // the captions, as every other type has them.
    TTesselHTMLWriter& writer = HTMLWriter();
    writer.SetTarget(baseStream_);
    WritePageHead(basePath_);
    if (AllowCaptions) {
      WriteTableOpening();
      WriteTableClosing();
    }
    WriteColonLines(Footer);
    writer.WriteLn(u"</BODY>");
    writer.WriteLn(u"</HTML>");
  }
  finished_ = true;
  TTesselFormatText::AfterExport();
}

// ---- index and navigation ----

void TTesselHTML::WriteIndexPage() {
  TTesselHTMLWriter& writer = HTMLWriter();
  writer.SetTarget(baseStream_);
  WriteHeadToBody(basePath_, false);
  writer.WriteLn(u"<UL>");
  for (size_t i = 0; i < pages_.size(); ++i) {
    const fs::path name = pages_[i].FileName.filename();
    const WideString text = Navigation.IndexLinkTemplate.empty()
                                ? html::EscapeMarkup(Utf8ToWide(name.string()))
                                : html::EscapeMarkup(Navigation.IndexLinkTemplate) + html::TwoDigits(static_cast<int>(i) + 1);
    writer.WriteLn(u"<LI>");
    writer.WriteLn(u"<a href=\"" + PercentEncode(name.string(), "/") + u"\">" + text + u"</a>");
  }
  writer.WriteLn(u"</UL>");
  writer.WriteLn(u"</BODY>");
  writer.WriteLn(u"</HTML>");
}

void TTesselHTML::InsertNavigationBars() {
  html::TNavigationLinks links;
  if (GenerateIndex) links.IndexHref = PercentEncode(basePath_.filename().string(), "/");
  for (const THTMLPageOption& page : pages_) links.PageHrefs.push_back(PercentEncode(page.FileName.filename().string(), "/"));
  for (size_t i = 0; i < pages_.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    const THTMLPageOption& page = pages_[i];
    const std::string top = Navigation.OnTop ? Encode(html::NavigationBar(Navigation, links, number, false)) : std::string();
    const std::string bottom = Navigation.OnBottom ? Encode(html::NavigationBar(Navigation, links, number, true)) : std::string();
    html::InsertIntoFile(page.FileName, Navigation.OnTop ? page.TopInsertion : -1, top,
                         Navigation.OnBottom ? page.BottomInsertion : -1, bottom);
  }
}

void TTesselHTML::EndExport() {
  if (pageStream_) {
    pageStream_.reset();
    HTMLWriter().SetTarget(baseStream_);
  }
  if (finished_ && Paging() && !pages_.empty()) {
    if (GenerateIndex) WriteIndexPage();
    if ((Navigation.OnTop || Navigation.OnBottom) && pages_.size() > 1) InsertNavigationBars();
  }
  TTesselFormatText::EndExport();
}

std::string TTesselHTML::GetShowedFileName() {
  if (maxRecords_ > 0 && !GenerateIndex) {
    const fs::path first = html::PageFileName(fs::path(FileName), 1);
    std::error_code ec;
    if (fs::exists(first, ec)) return first.string();
  }
  return FileName;
}

std::string TTesselHTML::GetPrintedFileName() { return GetShowedFileName(); }

// ---- settings ----

void TTesselHTML::SaveSettings(TTesselIniFile& settings) {
  TTesselFormatText::SaveSettings(settings);
  SaveHTMLSection(settings, *this);
  settings::WriteNumberedLines(settings, u"ALIGN", u"line", ColumnsAlign);
}

void TTesselHTML::LoadSettings(TTesselIniFile& settings) {
  TTesselFormatText::LoadSettings(settings);
  LoadHTMLSection(settings, *this);
  settings::ReadNumberedLines(settings, u"ALIGN", ColumnsAlign);
}

}  // namespace verimo
