#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/TesselText.h"
#include "formats/database/DBFFields.h"

namespace verimo {

class TTesselDBFWriter;

// Writes the exported rows as a dBASE III table; BLOB columns go into a
// memo file beside it (same name, extension ".dbt") when the output is a file.
class TTesselDBF : public TTesselText {
 public:
  TTesselDBF();

  // Lines "column=size,decimals" for float and currency columns.
  TStringList ColumnsPrecision;
  // Size and decimals of float and currency fields without a usable line
  // whose source type gives none (a BCD field its own scale, a money field
  // four places, both as many digits as a field holds).
  int DefaultFloatSize = 15;
  int DefaultFloatDecimal = 4;
  // Time and date-time columns become character fields.
  bool ExportTimeAsStr = false;
  // The text of nulls in character fields (Formats().NullString()); the
  // default "null" leaves them blank.
  WideString NullValue() const { return Formats().NullString(); }
  void SetNullValue(const WideString& value) { Formats().SetNullString(value); }

  // The memo file of a table file: its name with the extension ".dbt"
  // (".DBT" when the table's extension is upper case).
  static std::filesystem::path MemoFileName(const std::filesystem::path& tableFile);

  std::unique_ptr<TTesselWriter> GetWriterClass(TStream& stream) override;
  void BeginExport() override;
  void WriteDataRow() override;
  void EndExport() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

  // The field a column becomes (its name not yet set).
  dbf::TDBFField FieldOf(const TTesselColumn& column) const;

 private:
  enum class TFieldKind : uint8_t { Character, Number, Date, Logical, Memo };

  TTesselDBFWriter& DBFWriter() const;
  void SwitchTimeColumnsToText();
  void BuildFields();
  void AppendField(std::string& record, int index);
  void AppendMemo(std::string& record, int index);
  void AppendNumber(std::string& record, int index, const dbf::TDBFField& field);
  void AppendDate(std::string& record, int index);
  void AppendLogical(std::string& record, int index);
  void AppendCharacter(std::string& record, int index, const dbf::TDBFField& field);
  // The length of a string column's field: its ColumnsLength line, else
  // the column's length.
  int CharacterLength(const TTesselColumn& column) const;
  // Size and decimals of a float or currency column.
  void Precision(const TTesselColumn& column, int& size, int& decimals) const;

  std::vector<TFieldKind> kinds_;
  std::string record_;
  std::string memoBytes_;
  std::string digits_;
};

}  // namespace verimo
