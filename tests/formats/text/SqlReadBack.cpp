#include "formats/text/SqlReadBack.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "core/DateTime.h"
#include "core/Exception.h"
#include "platform/paradox/Table.h"
#include "support/TestPaths.h"

namespace verimo::test {

namespace {

bool DecodeHex(const std::string& hex, std::string& bytes) {
  bytes.clear();
  if (hex.size() % 2 != 0) return false;
  for (size_t i = 0; i < hex.size(); i += 2) {
    char* end = nullptr;
    const std::string pair = hex.substr(i, 2);
    const long byte = std::strtol(pair.c_str(), &end, 16);
    if (*end != '\0') return false;
    bytes += static_cast<char>(byte);
  }
  return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.emplace_back();
  return parts;
}

std::string TwoDigits(int value) { return std::string{static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)}; }

std::string IsoDate(TDateTime value) {
  const DateParts date = DecodeDate(value);
  return std::to_string(date.year / 1000) + std::to_string(date.year / 100 % 10) + TwoDigits(date.year % 100) + "-" +
         TwoDigits(date.month) + "-" + TwoDigits(date.day);
}

std::string IsoTime(TDateTime value) {
  const TimeParts time = DecodeTime(value);
  return TwoDigits(time.hour) + ":" + TwoDigits(time.minute) + ":" + TwoDigits(time.second);
}

// How closely a number must come back in the column's server type.
double Tolerance(TSqlReader reader, TFieldType type) {
  const bool decimal = type == ftCurrency || type == ftBCD || type == ftFMTBcd;
  if (!decimal) return 0;
  if (reader == TSqlReader::MariaDB) return 0.005;
  if (reader == TSqlReader::Postgres) return 0.00005;
  return 0;
}

std::string Describe(const TRecordedCell& cell) {
  return cell.isNull ? std::string("NULL") : WideToUtf8(cell.text);
}

// Empty when the server's text stands for the recorded cell.
std::string CompareCell(TSqlReader reader, const TRecordedColumn& column, const TRecordedCell& cell,
                        const std::string& got) {
  const bool gotNull = got == "-";
  std::string text;
  if (!gotNull && !DecodeHex(got, text)) return "unreadable value " + got;
  if (cell.isNull) return gotNull ? "" : "NULL expected, got \"" + text + "\"";
  if (gotNull) return "\"" + Describe(cell) + "\" expected, got NULL";
  switch (column.colType) {
    case ectDate:
    case ectTime:
    case ectDateTime: {
      const TDateTime value = cell.value.AsDateTime();
      const std::string want = column.colType == ectDate   ? IsoDate(value)
                               : column.colType == ectTime ? IsoTime(value)
                                                           : IsoDate(value) + " " + IsoTime(value);
      return text == want ? "" : "\"" + want + "\" expected, got \"" + text + "\"";
    }
    case ectBoolean: {
      const bool value = cell.value.AsBool();
      const std::string want = reader == TSqlReader::Postgres ? (value ? "true" : "false") : (value ? "1" : "0");
      return text == want ? "" : want + " expected, got \"" + text + "\"";
    }
    case ectString:
    case ectUnknown: {
      WideString want = cell.text;
      // The sqlite3 shell reads its input line by line and drops the CR of
      // every CR LF, also inside a literal that spans lines.
      if (reader == TSqlReader::Sqlite)
        for (size_t at = want.find(u"\r\n"); at != WideString::npos; at = want.find(u"\r\n", at)) want.erase(at, 1);
      return Utf8ToWide(text) == want ? "" : "\"" + WideToUtf8(want) + "\" expected, got \"" + text + "\"";
    }
    default: {
      const double want = cell.value.AsDouble();
      char* end = nullptr;
      const double number = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0') return "number expected, got \"" + text + "\"";
      const double allowed = Tolerance(reader, column.fieldType) + 1e-12 * std::max(std::fabs(want), 1.0);
      std::ostringstream message;
      message.precision(17);
      message << want << " expected, got " << text;
      return std::fabs(number - want) <= allowed ? "" : message.str();
    }
  }
}

}  // namespace

void TSqlRowRecorder::Attach(TTesselSQL& exporter) {
  exporter.OnBeginExport = [this](TTessel& sender) {
    columns.clear();
    rows.clear();
    for (const TTesselColumn& column : sender.Columns())
      columns.push_back({column.Name, column.ColType, sql::FieldTypeOf(column)});
  };
  exporter.OnExportedRecord = [this](TTessel& sender, int) {
    std::vector<TRecordedCell> row;
    for (int i = 0; i < sender.Row().Count(); ++i) {
      const TTesselCol& cell = sender.Row()[i];
      const bool isNull = cell.Value.IsEmptyOrNull() || sender.Columns().IsNull(i);
      row.push_back({isNull, cell.Value, cell.Text});
    }
    rows.push_back(std::move(row));
  };
}

std::string ReadBackQuery(TSqlReader reader, const WideString& table, const std::vector<TRecordedColumn>& columns) {
  std::string query;
  for (size_t i = 0; i < columns.size(); ++i) {
    std::string name;
    switch (reader) {
      case TSqlReader::Sqlite:
        name = WideToUtf8(sql::QuoteName(columns[i].name, qstAnsi));
        query += (i ? " || ',' || " : "") + ("CASE WHEN " + name + " IS NULL THEN '-' ELSE hex(" + name + ") END");
        break;
      case TSqlReader::Postgres:
        name = WideToUtf8(sql::QuoteName(columns[i].name, qstPg));
        query += (i ? ", " : "") + ("coalesce(encode(convert_to(CAST(" + name + " AS text),'UTF8'),'hex'),'-')");
        break;
      case TSqlReader::MariaDB:
        name = WideToUtf8(sql::QuoteName(columns[i].name, qstMy));
        query += (i ? ", " : "") + ("IFNULL(HEX(CAST(" + name + " AS CHAR CHARACTER SET utf8mb4)),'-')");
        break;
    }
  }
  const std::string from = " FROM " + WideToUtf8(table) + ";";
  if (reader == TSqlReader::Sqlite) return "SELECT " + query + from;
  if (reader == TSqlReader::Postgres) return "SELECT concat_ws(','," + query + ")" + from;
  return "SELECT CONCAT_WS(','," + query + ")" + from;
}

std::string CompareReadBack(TSqlReader reader, const TSqlRowRecorder& recorded, const std::string& output) {
  std::vector<std::string> lines = Split(output, '\n');
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  for (std::string& line : lines)
    if (!line.empty() && line.back() == '\r') line.pop_back();
  std::ostringstream differences;
  int reported = 0;
  if (lines.size() != recorded.rows.size())
    differences << recorded.rows.size() << " rows expected, " << lines.size() << " read back\n";
  for (size_t r = 0; r < std::min(lines.size(), recorded.rows.size()) && reported < 10; ++r) {
    const std::vector<std::string> values = Split(lines[r], ',');
    const std::vector<TRecordedCell>& row = recorded.rows[r];
    if (values.size() != row.size()) {
      differences << "row " << r << ": " << row.size() << " values expected, " << values.size() << " read\n";
      ++reported;
      continue;
    }
    for (size_t c = 0; c < row.size(); ++c) {
      const std::string difference = CompareCell(reader, recorded.columns[c], row[c], values[c]);
      if (difference.empty()) continue;
      differences << "row " << r << ", " << WideToUtf8(recorded.columns[c].name) << ": " << difference << "\n";
      if (++reported >= 10) break;
    }
  }
  return differences.str();
}

void FillTrickySqlTable(TMemDataSet& data) {
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Ad", ftString, 40);
  data.AddFieldDef(u"Tutar", ftFloat);
  data.AddFieldDef(u"Fiyat", ftCurrency);
  data.AddFieldDef(u"Gün", ftDate);
  data.AddFieldDef(u"Saat", ftTime);
  data.AddFieldDef(u"Zaman", ftDateTime);
  data.AddFieldDef(u"Onay", ftBoolean);
  data.AddFieldDef(u"Not", ftMemo);
  data.AddFieldDef(u"Büyük", ftLargeint);
  auto date = [](int y, int m, int d) { return Variant::FromDateTime(EncodeDate(y, m, d)); };
  auto time = [](int h, int n, int s) { return Variant::FromDateTime(EncodeTime(h, n, s, 0)); };
  auto stamp = [](int y, int m, int d, int h, int n, int s) {
    return Variant::FromDateTime(EncodeDate(y, m, d) + EncodeTime(h, n, s, 0));
  };
  data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"Şule Ağaoğlu"), Variant::FromDouble(1234.5),
                     Variant::FromDouble(1234.56), date(2024, 2, 29), time(23, 59, 58),
                     stamp(2024, 2, 29, 8, 5, 9), Variant::FromBool(true), Variant::FromText(u"çok satırlı\r\nnot"),
                     Variant::FromInt(9007199254740993LL)});
  data.AppendRecord({Variant::FromInt(-2), Variant::FromText(u"O'Brien \"çift\" \\ ters"),
                     Variant::FromDouble(-0.25), Variant::FromDouble(0), date(1999, 12, 31), time(0, 0, 0),
                     stamp(1900, 1, 1, 0, 0, 1), Variant::FromBool(false), Variant::FromText(u"\\'; DROP TABLE x; --"),
                     Variant::FromInt(-1)});
  data.AppendRecord({Variant::FromInt(3), Variant::FromText(u"x;y,z`]\"."), Variant::FromDouble(1e20),
                     Variant::FromDouble(99999.99), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
                     Variant::FromText(u"İıĞğÜüŞşÖöÇç"), Variant::Null()});
  data.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), date(1, 1, 1),
                     time(12, 0, 0), stamp(9999, 12, 31, 23, 59, 59), Variant::FromBool(true),
                     Variant::FromText(u"  boşluk  "), Variant::FromInt(0)});
  data.AppendRecord({Variant::FromInt(5), Variant::FromText(u""), Variant::FromDouble(0.1),
                     Variant::FromDouble(-7.75), date(2000, 1, 1), time(1, 2, 3), stamp(2000, 1, 1, 1, 2, 3),
                     Variant::FromBool(false), Variant::FromText(u"'tek' ve \"çift\", virgül"), Variant::FromInt(42)});
  data.Open();
}

void UseIsoPatterns(TTesselSQL& exporter) {
  TTesselFormats& formats = exporter.Formats();
  formats.SetDateFormat(u"yyyy-mm-dd");
  formats.SetTimeFormat(u"hh:nn:ss");
  formats.SetDateTimeFormat(u"yyyy-mm-dd hh:nn:ss");
  formats.TimeSeparator = u':';
}

void UseTurkishPatterns(TTesselSQL& exporter) {
  TTesselFormats& formats = exporter.Formats();
  formats.DecimalSeparator = u',';
  formats.ThousandSeparator = u'.';
  formats.TimeSeparator = u'.';
  formats.SetIntegerFormat(u"#,##0");
  formats.SetFloatFormat(u"#,##0.00");
  formats.SetCurrencyFormat(u"#,##0.00 ₺");
  formats.SetBooleanTrue(u"Evet");
  formats.SetBooleanFalse(u"Hayır");
}

std::vector<std::filesystem::path> FixtureTables() {
  std::vector<std::filesystem::path> paths;
  const std::optional<std::filesystem::path> shared = SharedDir();
  if (!shared) return paths;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(*shared / "fixtures" / "paradox")) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".db" || extension == ".DB") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

bool OpenFixture(const std::filesystem::path& fixture, TTable& table, std::string& why) {
  table.SetDatabaseName(fixture.parent_path().string());
  table.SetTableName(fixture.filename().string());
  try {
    table.Open();
  } catch (const Exception& error) {
    why = error.what();
    return false;
  }
  return true;
}

TStringList TextFieldsOf(const TTable& table) {
  TStringList fields;
  for (int i = 0; i < table.FieldCount(); ++i)
    if (!IsBinaryType(table.Field(i).DataType())) fields.Add(table.Field(i).FieldName());
  return fields;
}

}  // namespace verimo::test
