#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "core/DateTime.h"
#include "core/Exception.h"
#include "formats/database/ADO_TesselAccess.h"
#include "platform/jet/JetReaders.h"  // tests/platform/jet
#include "platform/locale/Formatting.h"
#include "platform/paradox/Table.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
namespace readers = test::jet;

// The column type mdb-reader should report for a source field.
std::string ExpectedReaderType(const TField& field) {
  switch (field.DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
      return "long";
    case ftFloat:
    case ftBCD:
      return "double";
    case ftCurrency:
      return "currency";
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
      return "datetime";
    case ftBoolean:
      return "boolean";
    case ftString:
    case ftFixedChar:
    case ftWideString:
      return field.Size() > 0 && field.Size() < 256 ? "text" : "memo";
    default:
      return "memo";
  }
}

TDateTime FromIso(const std::string& text) {
  // "YYYY-MM-DDTHH:MM:SS.mmmZ"
  auto number = [&](size_t at, size_t length) { return std::stoi(text.substr(at, length)); };
  return CombineDateTime(EncodeDate(number(0, 4), number(5, 2), number(8, 2)),
                         EncodeTime(number(11, 2), number(14, 2), number(17, 2), number(20, 3)));
}

// Compares one stored value with the source field's; empty when equal.
std::string Difference(const TField& field, const json& stored) {
  const Variant value = field.Value();
  const std::string type = ExpectedReaderType(field);
  if (type == "boolean") {
    const bool expected = !field.IsNull() && value.AsBool();
    return stored == expected ? "" : "expected " + std::string(expected ? "true" : "false");
  }
  if (field.IsNull()) return stored.is_null() ? "" : "expected null";
  if (type == "long") return stored == value.AsInt() ? "" : "expected " + std::to_string(value.AsInt());
  if (type == "double" || type == "currency") {
    const double expected = type == "currency" ? std::round(value.AsDouble() * 10000) / 10000 : value.AsDouble();
    // mdb-reader gives currency values as text.
    if (!stored.is_number() && !stored.is_string()) return "expected a number";
    const double got = stored.is_string() ? std::stod(stored.get<std::string>()) : stored.get<double>();
    return got == expected || std::fabs(got - expected) <= 1e-12 * std::fabs(expected) ? ""
                                                                                       : "expected " + std::to_string(expected);
  }
  if (type == "datetime") {
    if (!stored.is_object() || !stored.contains("date")) return "expected a date";
    const double expected = value.AsDateTime();
    return std::fabs(FromIso(stored["date"]) - expected) < 2e-8 ? "" : "expected " + std::to_string(expected);
  }
  if (field.IsBlob() && !field.IsMemo()) {
    // Binary data goes in as its hexadecimal text, two digits a byte.
    const Bytes bytes = field.BlobBytes();
    if (bytes.empty()) return "";
    if (!stored.is_string()) return "expected text for " + std::to_string(bytes.size()) + " bytes";
    WideString hex;
    AppendHexText(bytes, hex);
    return stored.get<std::string>() == WideToUtf8(hex) ? ""
                                                         : "expected the " + std::to_string(bytes.size()) + " bytes in hexadecimal";
  }
  const std::string text = WideToUtf8(field.AsString());
  if (text.empty()) return stored.is_null() ? "" : "expected null for an empty text";
  return stored == text ? "" : "expected \"" + text.substr(0, 60) + "\"";
}

TEST(AccessFixtureTest, EveryFixtureTableReadsBackWithTheSourceValues) {
  VERIMO_REQUIRE_SHARED_DIR();
  TGlobalFormatSettingsScope settings;
  GlobalFormatSettings() = TFormatSettings::FromLocale("tr_TR");
  const fs::path dir = test::MakeTempDir("verimo-access-fixtures");
  int exported = 0;
  std::vector<std::string> skipped;
  for (const auto& entry : fs::recursive_directory_iterator(*test::SharedDir() / "fixtures" / "paradox")) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".db" && extension != ".DB") continue;
    TTable table;
    table.SetDatabaseName(entry.path().parent_path().string());
    table.SetTableName(entry.path().filename().string());
    try {
      table.Open();
    } catch (const Exception& error) {
      skipped.push_back(entry.path().filename().string() + ": " + error.what());
      continue;
    }
    SCOPED_TRACE(entry.path().string());
    const fs::path file = dir / (std::to_string(exported++) + "-" + entry.path().stem().string() + ".mdb");
    TADO_TesselAccess exporter;
    exporter.DataSet = &table;
    exporter.DatabaseName = file.string();
    exporter.TableName = u"EXPORT_TABLE";
    exporter.ShellLauncher = nullptr;
    for (int i = 0; i < table.FieldCount(); ++i) exporter.ExportedFields.Add(table.Field(i).FieldName());
    try {
      exporter.Execute();
    } catch (const Exception& error) {
      ADD_FAILURE() << error.what();
      continue;
    }

    // mdbtools: the table, its columns and every row.
    EXPECT_EQ(readers::MdbTables(file), std::vector<std::string>{"EXPORT_TABLE"});
    const std::string schema = readers::MdbSchema(file);
    for (int i = 0; i < table.FieldCount(); ++i)
      EXPECT_NE(schema.find("[" + WideToUtf8(table.Field(i).FieldName()) + "]"), std::string::npos) << schema;
    const readers::CsvTable csv = readers::MdbExport(file, "EXPORT_TABLE");
    EXPECT_EQ(static_cast<int64_t>(csv.rows.size()), table.RecordCount());

    // mdb-reader: types and values, compared with the source.
    const json data = readers::MdbReaderDump(file)["data"]["EXPORT_TABLE"];
    ASSERT_EQ(data["columns"].size(), static_cast<size_t>(table.FieldCount()));
    for (int i = 0; i < table.FieldCount(); ++i) {
      EXPECT_EQ(data["columns"][i]["name"], WideToUtf8(table.Field(i).FieldName()));
      EXPECT_EQ(data["columns"][i]["type"], ExpectedReaderType(table.Field(i)))
          << WideToUtf8(table.Field(i).FieldName()) << " " << FieldTypeName(table.Field(i).DataType());
    }
    const json& rows = data["rows"];
    ASSERT_EQ(static_cast<int64_t>(rows.size()), table.RecordCount());
    size_t row = 0;
    int differences = 0;
    for (table.First(); !table.Eof() && row < rows.size(); table.Next(), ++row) {
      for (int i = 0; i < table.FieldCount() && differences < 10; ++i) {
        const TField& field = table.Field(i);
        const std::string name = WideToUtf8(field.FieldName());
        const std::string problem = Difference(field, rows[row][name]);
        if (problem.empty()) continue;
        ++differences;
        ADD_FAILURE() << "row " << row << " [" << name << "] " << FieldTypeName(field.DataType()) << ": "
                      << rows[row][name].dump().substr(0, 80) << ", " << problem;
      }
    }
  }
  EXPECT_GT(exported, 40);
  for (const std::string& reason : skipped) std::cout << "not exported: " << reason << "\n";
  if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir);
}

}  // namespace
}  // namespace verimo
