#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/TesselStoredText.h"
#include "engine/TesselText.h"
#include "engine/TesselWriter.h"
#include "formats/text/TesselHTMLRowBytes.h"

namespace verimo {

// The layouts of an XML export: a data packet with a field list and one
// ROW element per record carrying the values as attributes, or one element
// per record with one child element per field.
enum TTesselXMLType : uint8_t { xtDatapacket2, xtAccess };

// The XML declaration.
struct TXMLOptions {
  WideString Version = u"1.0";
  // Declared when it names the encoding the document is written in; the
  // real one is declared otherwise.
  WideString Encoding;
  bool StandAlone = true;
};

namespace xml {

// The XML exporter's writer: the output writer as it is.
class TTesselXMLDataWriter : public TTesselWriter {
 public:
  using TTesselWriter::TTesselWriter;
};

}  // namespace xml

// Writes the records as an XML document, optionally with a schema file
// beside it (the document's name with the extension ".xsd", always UTF-8).
// With the schema, typed values are written in their schema form and nulls
// are left out, so that the document validates against it.
class TTesselXML : public TTesselText {
 public:
  TTesselXML();

  TXMLOptions Options;
  TTesselXMLType DocumentType = xtDatapacket2;
  bool ExportXSDSchema = false;
  // The name the document will carry when it is written under another
  // name first and renamed afterwards; the record element, the schema
  // reference and FinalSchemaFileName follow it. Empty: FileName.
  std::string TargetFileName;

  // Where this run writes the schema: FileName with the extension ".xsd".
  std::string SchemaFileName() const;
  // The schema's name beside the finished document.
  std::string FinalSchemaFileName() const;
  // The attribute or element names of the columns in the last run.
  const std::vector<WideString>& FieldNames() const { return fieldNames_; }
  // The record element of the Access-style layout in the last run.
  const WideString& RecordName() const { return recordName_; }

  // Refuses a schema that would take the document's own name.
  void Execute() override;

  std::unique_ptr<TTesselWriter> GetWriterClass(TStream& stream) override;
  void BeginExport() override;
  void BeforeExport() override;
  void AfterExport() override;
  void EndExport() override;
  WideString GetColCaption(int index) override;
  void WriteCaptionRow() override;
  void FillRow() override;
  WideString GetDataRow() override;
  void WriteDataRow() override;
  WideString EscapeText(const WideString& text) override;
  TTesselTextLimits TextLimits() const override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

  // The XML declaration for the run's output encoding.
  WideString Declaration() const;

 private:
  std::string TargetName() const;
  void CheckSchemaName() const;
  void BuildNames();
  void WriteRootStart();
  void CloseRoot();
  WideString SchemaReference() const;
  void WriteSchemaFile() const;
  WideString AccessSchema() const;
  WideString DatapacketSchema() const;
  // Builds the record's element into line_.
  void BuildDataRow();
  // Whether the cell's element or attribute is left out: a null of a
  // document with a schema.
  bool CellLeftOut(int index);
  // Appends the cell's value as written.
  void AppendCellValue(int index, WideString& out);
  // Rows written straight as UTF-8 bytes: the names and tags of each cell
  // encoded once per run, the texts escaped into the bytes, the stored
  // texts of text fields escaped byte by byte through a table per column
  // (no decoding). For this class itself, writing UTF-8 without a schema.
  void PlanByteRows();
  void BuildRowBytes();
  // The cell rule of `text` appended to rowBytes_.
  void AppendTextBytes(WideStringView text);
  // The stored bytes of a planned column (see stored_) appended to rowBytes_.
  void AppendStoredBytes(int column, std::string_view stored);

  std::vector<WideString> fieldNames_;
  WideString recordName_;
  bool rootOpen_ = false;
  // Cells escaped straight into the row: no subclass or handler can change
  // what EscapeText and GetColData give.
  bool directCells_ = false;
  WideString line_;
  WideString value_;  // reused per typed value

  bool byteRows_ = false;
  TTesselStoredText stored_;
  // The bytes before the first value, and per column the bytes after its
  // value up to the next one's (or to the end of the row).
  std::string rowStart_;
  std::vector<std::string> cellEnds_;
  // Per column whose stored text is taken: per byte its escaped UTF-8, up
  // to seven bytes packed from the lowest, their count in the highest byte.
  std::vector<std::array<uint64_t, 256>> storedEscapes_;
  html::TByteRow rowBytes_;
  WideString decoded_;
};

}  // namespace verimo
