// Reads every field of every record of a table and prints the number of
// records and a checksum of the values; used to measure the reader's time
// and peak memory on large tables (/usr/bin/time -v verimo_paradox_scan T.DB).
#include <cstdio>
#include <filesystem>
#include <functional>

#include "core/Exception.h"
#include "platform/paradox/Table.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s TABLE.DB\n", argv[0]);
    return 2;
  }
  std::filesystem::path path(argv[1]);
  verimo::TTable table;
  table.SetDatabaseName(path.parent_path().string());
  table.SetTableName(path.filename().string());
  try {
    table.Open();
    long long records = 0;
    size_t checksum = 0;
    for (table.First(); !table.Eof(); table.Next(), ++records)
      for (int i = 0; i < table.FieldCount(); ++i)
        checksum = checksum * 31 + std::hash<verimo::WideString>()(table.Field(i).AsString());
    std::printf("%lld records, checksum %zx\n", records, checksum);
  } catch (const verimo::Exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
