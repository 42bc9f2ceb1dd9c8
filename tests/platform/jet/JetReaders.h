#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// The independent readers of Access files the tests check with: mdbtools'
// programs and the npm package mdb-reader.
namespace verimo::test::jet {

struct CsvTable {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
};

// mdb-export with dates as "YYYY-MM-DD HH:MM:SS"; fails the test when it fails.
CsvTable MdbExport(const std::filesystem::path& file, const std::string& table);
std::string MdbSchema(const std::filesystem::path& file);
std::vector<std::string> MdbTables(const std::filesystem::path& file, bool systemTables = false);
std::string MdbVersion(const std::filesystem::path& file);

// What mdb-reader reads: {"tables", "systemTables", "password",
// "data": {TABLE: {"columns", "rowCount", "rows"}}}.
nlohmann::json MdbReaderDump(const std::filesystem::path& file, const std::string& password = {});

std::string ReadFileBytes(const std::filesystem::path& file);

}  // namespace verimo::test::jet
