// Feeds arbitrary bytes to the Paradox reader as a .DB file and its .MB
// file. Input layout: a 4-byte little-endian length of the .DB part, the
// .DB bytes, then the .MB bytes (no .MB file when there are none left).
// Every record and field is read; the reader may refuse the input only by
// raising verimo::Exception.
//
// Built with VERIMO_FUZZ_SALVAGE (verimo_fuzz_paradox_salvage) the table is
// opened in salvage mode: once it is open, reading it must not fail at all,
// and it gives exactly the records its damage report counts as recovered.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/Exception.h"
#include "platform/paradox/Table.h"

namespace {

namespace fs = std::filesystem;

#ifdef VERIMO_FUZZ_SALVAGE
constexpr bool kSalvage = true;
#else
constexpr bool kSalvage = false;
#endif

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "salvage mode: %s\n", what);
  std::abort();
}

const fs::path& WorkDir() {
  static const fs::path dir = [] {
    fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path path = base / ("verimo-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(path);
    return path;
  }();
  return dir;
}

void WriteFile(const fs::path& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void ReadFields(verimo::TTable& table) {
  for (int i = 0; i < table.FieldCount(); ++i) {
    (void)table.FieldIsNull(i);
    (void)table.Field(i).AsString();
    (void)table.FieldBlob(i);
    (void)table.FieldDecimalText(i);
  }
}

void ReadEverything(verimo::TTable& table) {
  (void)table.Info();
  (void)table.IsEmpty();
  (void)table.SalvageReport();
  verimo::TBookmark first;
  int records = 0;
  for (table.First(); !table.Eof() && records < 100000; table.Next(), ++records) {
    if (records == 0) first = table.GetBookmark();
    try {
      ReadFields(table);
    } catch (const verimo::Exception&) {
      // A damaged BLOB or a missing .MB file spoils one value, not the table.
      if (kSalvage) Finding("a value of an open table could not be read");
    }
  }
  if (kSalvage && records < 100000 &&
      (records != table.RecordCount() || records != table.DamageReport().RecoveredRecords()))
    Finding("the records read differ from the records counted");
  if (first.IsValid()) table.GotoBookmark(first);
  table.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  size_t dbSize = static_cast<size_t>(data[0]) | static_cast<size_t>(data[1]) << 8 |
                  static_cast<size_t>(data[2]) << 16 | static_cast<size_t>(data[3]) << 24;
  data += 4;
  size -= 4;
  dbSize = std::min(dbSize, size);
  const fs::path db = WorkDir() / "FUZZ.DB";
  const fs::path mb = WorkDir() / "FUZZ.MB";
  WriteFile(db, data, dbSize);
  std::error_code error;
  fs::remove(mb, error);
  if (size > dbSize) WriteFile(mb, data + dbSize, size - dbSize);

  verimo::TTable table;
  table.SetDatabaseName(WorkDir().string());
  table.SetTableName("FUZZ.DB");
  if (dbSize % 3 == 0) table.SetPassword(u"secret");
  table.SetSalvage(kSalvage);
  try {
    table.Open();
  } catch (const verimo::Exception&) {
    return 0;  // refused, with a message
  }
  try {
    ReadEverything(table);
  } catch (const verimo::Exception&) {
    if (kSalvage) Finding("an open table could not be read");
  }
  return 0;
}
