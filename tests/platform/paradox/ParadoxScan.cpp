// Reads every field of every record of a table and prints the number of
// records and a checksum of the values; used to measure the reader's time
// and peak memory on large tables (/usr/bin/time -v verimo_paradox_scan T.DB).
// Each field is read into a value kept from record to record, as the export
// run reads it, so the reader and not the text conversion is measured.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/Exception.h"
#include "platform/paradox/Table.h"

namespace {

size_t ValueHash(const verimo::Variant& value) {
  using Kind = verimo::Variant::Kind;
  switch (value.GetKind()) {
    case Kind::Text: return std::hash<verimo::WideStringView>()(value.AsText());
    case Kind::Bytes: return value.AsBytes().size();
    case Kind::Integer: return static_cast<size_t>(value.AsInt());
    case Kind::Boolean: return value.AsBool() ? 1 : 2;
    case Kind::Double:
    case Kind::Currency:
    case Kind::DateTime: {
      double number = value.AsDouble();
      size_t bits = 0;
      std::memcpy(&bits, &number, sizeof bits);
      return bits;
    }
    case Kind::Empty:
    case Kind::Null: break;
  }
  return 0;
}

}  // namespace

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
    std::vector<verimo::Variant> values(static_cast<size_t>(table.FieldCount()));
    long long records = 0;
    size_t checksum = 0;
    for (table.First(); !table.Eof(); table.Next(), ++records)
      for (int i = 0; i < table.FieldCount(); ++i) {
        verimo::Variant& value = values[static_cast<size_t>(i)];
        table.Field(i).ReadValue(value);
        checksum = checksum * 31 + ValueHash(value);
      }
    std::printf("%lld records, checksum %zx\n", records, checksum);
  } catch (const verimo::Exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
