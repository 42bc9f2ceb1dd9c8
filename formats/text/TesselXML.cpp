#include "formats/text/TesselXML.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <typeinfo>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/HexText.h"
#include "core/XmlEscape.h"
#include "platform/codepage/CodePage.h"
#include "engine/TesselIniFile.h"
#include "engine/TesselStream.h"
#include "core/Exception.h"
#include "formats/text/TesselXMLText.h"

namespace verimo {

namespace fs = std::filesystem;

namespace {

constexpr char16_t kSection[] = u"XML";
constexpr char16_t kSchemaNamespace[] = u"http://www.w3.org/2001/XMLSchema";
constexpr char16_t kInstanceNamespace[] = u"http://www.w3.org/2001/XMLSchema-instance";
constexpr char16_t kOfficeNamespace[] = u"urn:schemas-microsoft-com:officedata";

std::string WithSchemaExtension(const std::string& fileName) {
  return fs::path(fileName).replace_extension(".xsd").string();
}

WideString Attribute(WideStringView name, WideStringView value) {
  return WideString(name) + u"=\"" + xml::EscapeText(value) + u"\"";
}

// The attributes of a column's element in the Access-style schema.
WideString AccessTypeAttributes(TTesselColType type) {
  switch (type) {
    case ectInteger: return u"minOccurs=\"0\" od:jetType=\"longinteger\" od:sqlSType=\"int\" type=\"xsd:int\"";
    case ectBigint: return u"minOccurs=\"0\" od:jetType=\"longinteger\" od:sqlSType=\"bigint\" type=\"xsd:long\"";
    case ectFloat:
    case ectCurrency: return u"minOccurs=\"0\" od:jetType=\"currency\" od:sqlSType=\"money\" type=\"xsd:double\"";
    case ectDate:
    case ectTime:
    case ectDateTime:
      return u"minOccurs=\"0\" od:jetType=\"datetime\" od:sqlSType=\"datetime\" type=\"xsd:dateTime\"";
    case ectBoolean: return u"minOccurs=\"0\" od:jetType=\"yesno\" od:sqlSType=\"bit\" type=\"xsd:boolean\"";
    case ectString:
    case ectUnknown: break;
  }
  return u"minOccurs=\"0\" od:jetType=\"text\" od:sqlSType=\"nvarchar\"";
}

// The schema type of a column's attribute in the data-packet schema.
const char16_t* DatapacketType(TTesselColType type) {
  switch (type) {
    case ectInteger: return u"xsd:int";
    case ectBigint: return u"xsd:long";
    case ectFloat:
    case ectCurrency: return u"xsd:double";
    case ectDate:
    case ectTime:
    case ectDateTime: return u"xsd:dateTime";
    case ectBoolean: return u"xsd:boolean";
    case ectString:
    case ectUnknown: break;
  }
  return u"xsd:string";
}

}  // namespace

TTesselXML::TTesselXML() {
  published_.Captions = true;
  published_.UserFormats = true;
}

std::string TTesselXML::TargetName() const { return TargetFileName.empty() ? FileName : TargetFileName; }

std::string TTesselXML::SchemaFileName() const { return WithSchemaExtension(FileName); }

std::string TTesselXML::FinalSchemaFileName() const { return WithSchemaExtension(TargetName()); }

void TTesselXML::CheckSchemaName() const {
  if (!ExportXSDSchema) return;
  if (FileName.empty()) throw Exception("The XML schema needs a file name for the document");
  auto same = [](const std::string& a, const std::string& b) {
    return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
  };
  if (same(SchemaFileName(), FileName) || same(FinalSchemaFileName(), TargetName()))
    throw Exception("The XML schema would be written over the document \"" + TargetName() +
                    "\"; give the document another extension than .xsd");
}

void TTesselXML::Execute() {
  CheckSchemaName();
  TTesselText::Execute();
}

std::unique_ptr<TTesselWriter> TTesselXML::GetWriterClass(TStream& stream) {
  return std::make_unique<xml::TTesselXMLDataWriter>(this, &stream);
}

// ---- names ----

void TTesselXML::BuildNames() {
  std::vector<WideString> names;
  names.reserve(static_cast<size_t>(Columns().Count()));
  for (const TTesselColumn& column : Columns()) names.push_back(column.Name);
  if (DocumentType == xtDatapacket2) {
    fieldNames_ = xml::DatapacketNames(names);
    recordName_ = u"ROW";
    return;
  }
  fieldNames_ = xml::UniqueElementNames(names);
  const WideString base = Utf8ToWide(fs::path(TargetName()).stem().string());
  recordName_ = xml::UniqueElementNames({base}, {u"dataroot"}).front();
}

// ---- document ----

WideString TTesselXML::Declaration() const {
  const TTesselOutputEncoding encoding = OutputEncoding();
  WideString encodingName;
  if (xml::NamesEncoding(Options.Encoding, encoding))
    encodingName = Trim(Options.Encoding);
  else if (!Trim(Options.Encoding).empty() || encoding != oeUTF8)
    encodingName = xml::EncodingName(encoding);
  const WideString version = Trim(Options.Version).empty() ? WideString(u"1.0") : Trim(Options.Version);
  WideString text = u"<?xml version=\"" + xml::EscapeText(version) + u"\" ";
  if (!encodingName.empty()) text += u"encoding=\"" + encodingName + u"\" ";
  text += Options.StandAlone ? u"standalone=\"yes\"?>" : u"standalone=\"no\"?>";
  return text;
}

WideString TTesselXML::SchemaReference() const {
  return u" xmlns:xsi=\"" + WideString(kInstanceNamespace) + u"\" xsi:noNamespaceSchemaLocation=\"" +
         PercentEncode(fs::path(FinalSchemaFileName()).filename().string()) + u"\"";
}

void TTesselXML::BeginExport() {
  TTesselText::BeginExport();
  CheckSchemaName();
  BuildNames();
  directCells_ = typeid(*this) == typeid(TTesselXML);
  PlanByteRows();
  rootOpen_ = false;
  TTesselWriter& writer = Writer();
  if (OutputEncoding() == oeUTF16 || OutputEncoding() == oeUTF32) writer.WriteSignature();
  writer.WriteLn(Declaration());
  if (ExportXSDSchema) WriteSchemaFile();
  WriteRootStart();
}

void TTesselXML::WriteRootStart() {
  const WideString reference = ExportXSDSchema ? SchemaReference() : WideString();
  if (DocumentType == xtDatapacket2)
    Writer().WriteLn(u"<DATAPACKET Version=\"2.0\"" + reference + u">");
  else
    Writer().WriteLn(u"<dataroot xmlns:od=\"" + WideString(kOfficeNamespace) + u"\"" + reference + u">");
  rootOpen_ = true;
}

void TTesselXML::BeforeExport() {
  TTesselText::BeforeExport();
  if (DocumentType == xtDatapacket2) Writer().WriteLn(u"<ROWDATA>");
}

void TTesselXML::CloseRoot() {
  if (!rootOpen_) return;
  rootOpen_ = false;
  if (DocumentType == xtDatapacket2) {
    Writer().WriteLn(u"</ROWDATA>");
    Writer().WriteLn(u"</DATAPACKET>");
  } else {
    Writer().WriteLn(u"</dataroot>");
  }
}

void TTesselXML::AfterExport() {
  CloseRoot();
  TTesselText::AfterExport();
}

// A stopped run ends the document too, so what was written stays readable.
void TTesselXML::EndExport() {
  if (HasWriter() && Aborted()) CloseRoot();
  TTesselText::EndExport();
}

WideString TTesselXML::GetColCaption(int index) {
  if (DocumentType != xtDatapacket2) return {};
  const TTesselColumn& column = Columns()[index];
  WideString label = column.Caption;
  std::replace(label.begin(), label.end(), u' ', u'_');
  return Attribute(u"FieldName", fieldNames_[static_cast<size_t>(index)]) + u" " + Attribute(u"DisplayLabel", label) +
         u" " + Attribute(u"FieldType", ColTypeName(column.ColType)) + u" " + Attribute(u"FieldClass", u"TField");
}

void TTesselXML::WriteCaptionRow() {
  if (DocumentType != xtDatapacket2) return;
  TTesselWriter& writer = Writer();
  writer.WriteLn(u"<METADATA>");
  writer.WriteLn(u"<FIELDS>");
  for (int i = 0; i < Columns().Count(); ++i) writer.WriteLn(u"<FIELD " + GetColCaption(i) + u"/>");
  writer.WriteLn(u"</FIELDS>");
  writer.WriteLn(u"</METADATA>");
}

bool TTesselXML::CellLeftOut(int index) {
  const int column = Row()[index].ColumnIndex;
  return ExportXSDSchema && column >= 0 && column < Columns().Count() && Columns().IsNull(column);
}

void TTesselXML::AppendCellValue(int index, WideString& out) {
  const TTesselCol& cell = Row()[index];
  const bool inTable = cell.ColumnIndex >= 0 && cell.ColumnIndex < Columns().Count();
  if (ExportXSDSchema && inTable) {
    const TTesselColumn& column = Columns()[cell.ColumnIndex];
    if (xml::IsTypedColumn(column.ColType) && xml::LexicalValue(cell.Value, column.ColType, value_)) {
      out += value_;
      return;
    }
  }
  if (!directCells_) {
    out += GetCellText(cell);
    return;
  }
  const bool isNull = inTable && ColumnIsNull(cell, cell.ColumnIndex);
  AppendXmlEscaped(isNull ? Formats().NullString() : cell.Text, TXmlBreaks::References, out);
}

void TTesselXML::BuildDataRow() {
  line_.clear();
  const int count = std::min(Row().Count(), static_cast<int>(fieldNames_.size()));
  if (DocumentType == xtDatapacket2) {
    line_ += u"<ROW";
    for (int i = 0; i < count; ++i) {
      if (CellLeftOut(i)) continue;
      line_ += u' ';
      line_ += fieldNames_[static_cast<size_t>(i)];
      line_ += u"=\"";
      AppendCellValue(i, line_);
      line_ += u'"';
    }
    line_ += u"/>";
    return;
  }
  line_ += u'<';
  line_ += recordName_;
  line_ += u'>';
  for (int i = 0; i < count; ++i) {
    if (CellLeftOut(i)) continue;
    const WideString& name = fieldNames_[static_cast<size_t>(i)];
    line_ += u'<';
    line_ += name;
    line_ += u'>';
    AppendCellValue(i, line_);
    line_ += u"</";
    line_ += name;
    line_ += u'>';
  }
  line_ += u"</";
  line_ += recordName_;
  line_ += u'>';
}

WideString TTesselXML::GetDataRow() {
  BuildDataRow();
  return line_;
}

void TTesselXML::FillRow() {
  if (byteRows_ && stored_.Any())
    FillRowDeferring(stored_.Columns());
  else
    TTesselText::FillRow();
}

void TTesselXML::WriteDataRow() {
  if (byteRows_ && RowAsRead().Count() == static_cast<int>(cellEnds_.size())) {
    BuildRowBytes();
    Writer().WriteBytes(rowBytes_.Data(), rowBytes_.Size());
    return;
  }
  BuildDataRow();
  Writer().WriteLn(line_);
}

// ---- rows as bytes ----

namespace {

constexpr int kEscapeLengthShift = 56;

uint64_t PackEscape(std::string_view bytes) {
  uint64_t entry = static_cast<uint64_t>(bytes.size()) << kEscapeLengthShift;
  for (size_t i = 0; i < bytes.size(); ++i) entry |= static_cast<uint64_t>(static_cast<uint8_t>(bytes[i])) << (8 * i);
  return entry;
}

}  // namespace

void TTesselXML::PlanByteRows() {
  byteRows_ = false;
  stored_.Clear();
  storedEscapes_.clear();
  if (!directCells_ || ExportXSDSchema || OutputEncoding() != oeUTF8) return;
  const int count = std::min(Columns().Count(), static_cast<int>(fieldNames_.size()));
  if (count != Columns().Count()) return;
  const bool packet = DocumentType == xtDatapacket2;
  auto cellStart = [&](int i) {
    const WideString& name = fieldNames_[static_cast<size_t>(i)];
    return packet ? u" " + name + u"=\"" : u"<" + name + u">";
  };
  auto cellEnd = [&](int i) { return packet ? WideString(u"\"") : u"</" + fieldNames_[static_cast<size_t>(i)] + u">"; };
  const WideString rowStart = packet ? WideString(u"<ROW") : u"<" + recordName_ + u">";
  const WideString rowEnd = packet ? WideString(u"/>\r\n") : u"</" + recordName_ + u">\r\n";
  rowStart_.clear();
  TTesselWriter::EncodeText(count == 0 ? rowStart + rowEnd : rowStart + cellStart(0), oeUTF8, rowStart_);
  cellEnds_.assign(static_cast<size_t>(count), std::string());
  for (int i = 0; i < count; ++i)
    TTesselWriter::EncodeText(cellEnd(i) + (i + 1 < count ? cellStart(i + 1) : rowEnd), oeUTF8,
                              cellEnds_[static_cast<size_t>(i)]);
  // Handlers that change texts get the cells; the bytes would pass them by.
  stored_.Plan(Columns(), TSingleByteTranscoder::kUtf8, CellHandlersUnset());
  if (stored_.Any()) {
    storedEscapes_.resize(static_cast<size_t>(count));
    std::string escaped;
    for (int i = 0; i < count; ++i) {
      if (!stored_.IsPlanned(i)) continue;
      std::array<uint64_t, 256>& escapes = storedEscapes_[static_cast<size_t>(i)];
      for (int byte = 1; byte < 256; ++byte) {
        const char stored = static_cast<char>(byte);
        stored_.Decode(i, std::string_view(&stored, 1), decoded_);
        escaped.clear();
        AppendXmlEscaped(decoded_, TXmlBreaks::References, escaped);
        // No escape is longer than seven bytes ("&quot;" has six).
        escapes[static_cast<size_t>(byte)] = PackEscape(escaped);
      }
    }
  }
  byteRows_ = true;
}

void TTesselXML::AppendTextBytes(WideStringView text) {
  char* target = rowBytes_.Reserve(XmlEscapedBound(text.size()));
  rowBytes_.Commit(WriteXmlEscaped(text, TXmlBreaks::References, target));
}

void TTesselXML::AppendStoredBytes(int column, std::string_view stored) {
  const std::array<uint64_t, 256>& escapes = storedEscapes_[static_cast<size_t>(column)];
  // Each byte stores its eight packed bytes and moves on by its length (at
  // most seven); sixteen plain bytes are stored at once.
  char* target = rowBytes_.Reserve(stored.size() * 8 + 16);
  const size_t n = stored.size();
  size_t i = 0;
  auto escapeOne = [&](uint8_t byte) {
    uint64_t entry = escapes[byte];
    const size_t length = entry >> kEscapeLengthShift;
    if constexpr (std::endian::native == std::endian::big) entry = __builtin_bswap64(entry);
    std::memcpy(target, &entry, sizeof entry);
    target += length;
  };
#ifdef __SSE2__
  // Sixteen bytes at a time while they are plain ASCII, which are written
  // as they are: from the space up, none of markup.
  while (i + 16 <= n) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(stored.data() + i));
    const __m128i markup = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('&')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('<'))),
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('>')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('"'))));
    // Signed: the bytes from 0x80 up are below the space too.
    const __m128i other = _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20));
    const int marks = _mm_movemask_epi8(_mm_or_si128(markup, other));
    // The plain bytes before the first other one go as they are (the rest
    // of the sixteen stored is written over).
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target), bytes);
    if (marks == 0) {
      target += 16;
      i += 16;
      continue;
    }
    const int plain = std::countr_zero(static_cast<unsigned>(marks));
    target += plain;
    i += static_cast<size_t>(plain);
    escapeOne(static_cast<uint8_t>(stored[i++]));
  }
#endif
  for (; i < n; ++i) escapeOne(static_cast<uint8_t>(stored[i]));
  rowBytes_.Commit(target);
}

void TTesselXML::BuildRowBytes() {
  const TTesselRow& row = RowAsRead();
  const TTesselColumns& columns = Columns();
  const WideString& nullText = Formats().NullString();
  const int count = static_cast<int>(cellEnds_.size());
  rowBytes_.Clear();
  rowBytes_.Append(rowStart_);
  for (int i = 0; i < count; ++i) {
    const TTesselCol& cell = row[i];
    const bool inTable = cell.ColumnIndex >= 0 && cell.ColumnIndex < columns.Count();
    if (inTable && stored_.IsPlanned(cell.ColumnIndex)) {
      const std::string_view stored = stored_.Text(cell.ColumnIndex);
      if (stored.empty())
        AppendTextBytes(nullText);
      else
        AppendStoredBytes(cell.ColumnIndex, stored);
    } else {
      AppendTextBytes(inTable && ColumnIsNull(cell, cell.ColumnIndex) ? nullText : cell.Text);
    }
    rowBytes_.Append(cellEnds_[static_cast<size_t>(i)]);
  }
}

TTesselTextLimits TTesselXML::TextLimits() const {
  TTesselTextLimits limits = TTesselText::TextLimits();
  limits.forbidden = TForbiddenCharacters::MarkupControls;
  limits.formatName = u"XML";
  return limits;
}

WideString TTesselXML::EscapeText(const WideString& text) { return xml::EscapeText(text); }

// ---- schema ----

void TTesselXML::WriteSchemaFile() const {
  const WideString schema = DocumentType == xtDatapacket2 ? DatapacketSchema() : AccessSchema();
  TFileStream file(SchemaFileName(), TFileStream::TMode::Create);
  file.Write(WideToUtf8(schema));
  file.Close();
}

WideString TTesselXML::AccessSchema() const {
  const WideString record = xml::EscapeText(recordName_);
  WideString text = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  text += u"<xsd:schema xmlns:xsd=\"" + WideString(kSchemaNamespace) + u"\" xmlns:od=\"" + kOfficeNamespace + u"\">";
  text += u"<xsd:element name=\"dataroot\"><xsd:complexType><xsd:sequence>";
  text += u"<xsd:element ref=\"" + record + u"\" minOccurs=\"0\" maxOccurs=\"unbounded\"/>";
  text += u"</xsd:sequence><xsd:attribute name=\"generated\" type=\"xsd:dateTime\"/></xsd:complexType></xsd:element>";
  text += u"<xsd:element name=\"" + record + u"\">";
  text += u"<xsd:annotation ><xsd:appinfo ></xsd:appinfo ></xsd:annotation ><xsd:complexType ><xsd:sequence >";
  for (int i = 0; i < Columns().Count(); ++i) {
    text += u"<xsd:element name=\"" + xml::EscapeText(fieldNames_[static_cast<size_t>(i)]) + u"\" " +
            AccessTypeAttributes(Columns()[i].ColType) + u">";
    text += u"<xsd:annotation ><xsd:appinfo ></xsd:appinfo ></xsd:annotation ></xsd:element >";
  }
  text += u"</xsd:sequence ></xsd:complexType ></xsd:element ></xsd:schema >";
  return text;
}

WideString TTesselXML::DatapacketSchema() const {
  auto attribute = [](WideStringView name, WideStringView type) {
    return u"<xsd:attribute name=\"" + xml::EscapeText(name) + u"\" type=\"" + WideString(type) + u"\"/>";
  };
  WideString text = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  text += u"<xsd:schema xmlns:xsd=\"" + WideString(kSchemaNamespace) + u"\">";
  text += u"<xsd:element name=\"DATAPACKET\"><xsd:complexType><xsd:sequence>";
  text += u"<xsd:element name=\"METADATA\" minOccurs=\"0\"><xsd:complexType><xsd:sequence>";
  text += u"<xsd:element name=\"FIELDS\"><xsd:complexType><xsd:sequence>";
  text += u"<xsd:element name=\"FIELD\" minOccurs=\"0\" maxOccurs=\"unbounded\"><xsd:complexType>";
  for (const char16_t* name : {u"FieldName", u"DisplayLabel", u"FieldType", u"FieldClass"})
    text += attribute(name, u"xsd:string");
  text += u"</xsd:complexType></xsd:element></xsd:sequence></xsd:complexType></xsd:element>";
  text += u"</xsd:sequence></xsd:complexType></xsd:element>";
  text += u"<xsd:element name=\"ROWDATA\"><xsd:complexType><xsd:sequence>";
  text += u"<xsd:element name=\"ROW\" minOccurs=\"0\" maxOccurs=\"unbounded\"><xsd:complexType>";
  for (int i = 0; i < Columns().Count(); ++i)
    text += attribute(fieldNames_[static_cast<size_t>(i)], DatapacketType(Columns()[i].ColType));
  text += u"</xsd:complexType></xsd:element></xsd:sequence></xsd:complexType></xsd:element>";
  text += u"</xsd:sequence><xsd:attribute name=\"Version\" type=\"xsd:string\"/></xsd:complexType></xsd:element>";
  text += u"</xsd:schema>";
  return text;
}

// ---- settings ----

void TTesselXML::SaveSettings(TTesselIniFile& settings) {
  TTesselText::SaveSettings(settings);
  settings.WriteBool(kSection, u"Standalone", Options.StandAlone);
  settings.WriteString(kSection, u"Encoding", Options.Encoding);
  settings.WriteString(kSection, u"Version", Options.Version);
  settings.WriteInteger(kSection, u"DocumentType", DocumentType);
  settings.WriteBool(kSection, u"ExportXSDSchema", ExportXSDSchema);
}

void TTesselXML::LoadSettings(TTesselIniFile& settings) {
  TTesselText::LoadSettings(settings);
  Options.StandAlone = settings.ReadBool(kSection, u"Standalone", Options.StandAlone);
  Options.Encoding = settings.ReadString(kSection, u"Encoding", Options.Encoding);
  Options.Version = settings.ReadString(kSection, u"Version", Options.Version);
  const int type = settings.ReadInteger(kSection, u"DocumentType", DocumentType);
  if (type == xtDatapacket2 || type == xtAccess) DocumentType = static_cast<TTesselXMLType>(type);
  ExportXSDSchema = settings.ReadBool(kSection, u"ExportXSDSchema", ExportXSDSchema);
  if (settings.ValueExists(kSection, u"Encoding")) SetOutputEncoding(xml::OutputEncodingForName(Options.Encoding));
}

}  // namespace verimo
