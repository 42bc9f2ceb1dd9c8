// Writes seed inputs for the fuzz targets.
//
//   verimo_fuzz_seeds export OUTDIR TABLE.db...
//     exporter-fuzzer inputs (fuzz/FuzzTable.h) that describe real tables:
//     their fields and first records, one input per table and built export
//     type. Tables that cannot be read (encrypted, damaged) are skipped with
//     a line on stderr.
//   verimo_fuzz_seeds settings OUTDIR
//     settings files as the program saves them: every built exporter's
//     defaults, and the export dialog's with each built type selected.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/Exception.h"
#include "fuzz/FuzzSupport.h"
#include "export/Exporters.h"
#include "dialog/TesselDialog.h"
#include "dialog/TesselDialogForm.h"
#include "engine/TesselText.h"
#include "fuzz/FuzzTable.h"
#include "platform/data/MemDataSet.h"
#include "platform/paradox/Table.h"

namespace {

using namespace verimo;
namespace fs = std::filesystem;

constexpr int kSeedRecords = 30;
constexpr size_t kSeedBytes = 60000;

std::string Describe(TTable& table, uint8_t exportType) {
  fuzz::TFuzzTableWriter writer(exportType, 0);
  const int fields = std::min(table.FieldCount(), 255);
  for (int i = 0; i < fields; ++i) {
    const TField& field = table.Field(i);
    writer.AddField(field.FieldName(), field.DataType(), field.Size());
  }
  writer.EndFields();
  int records = 0;
  for (table.First(); !table.Eof() && records < kSeedRecords && writer.Bytes().size() < kSeedBytes;
       table.Next(), ++records) {
    for (int i = 0; i < fields; ++i) {
      Variant value;
      try {
        value = table.Field(i).Value();
      } catch (const Exception&) {
        value = Variant::Null();  // a damaged BLOB spoils one value
      }
      writer.AddValue(i, value);
    }
  }
  return writer.Bytes();
}

std::string Extension(TAllowedExport type) {
  const std::string extension = WideToUtf8(ExportTypeInfo(type).extension);
  return extension.empty() ? "clipboard" : extension;
}

int WriteExportSeeds(const fs::path& out, int count, char** tables) {
  int written = 0;
  for (int arg = 0; arg < count; ++arg) {
    const fs::path path(tables[arg]);
    try {
      TTable table;
      table.SetDatabaseName(path.parent_path().empty() ? std::string(".") : path.parent_path().string());
      table.SetTableName(path.filename().string());
      table.Open();
      const auto& types = fuzz::AllExportTypes();
      for (size_t index = 0; index < types.size(); ++index) {
        const std::string bytes = Describe(table, static_cast<uint8_t>(index));
        const std::string name = path.parent_path().filename().string() + "-" + path.stem().string() + "-" +
                                 Extension(types[index]) + ".seed";
        std::ofstream(out / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ++written;
      }
    } catch (const Exception& error) {
      std::fprintf(stderr, "skipped %s: %s\n", path.c_str(), error.what());
    }
  }
  return written;
}

int WriteSettingsSeeds(const fs::path& out) {
  int written = 0;
  TExporters exporters;
  TMemDataSet table;
  table.AddFieldDef(u"Id", ftInteger);
  table.AddFieldDef(u"Name", ftString, 20);
  table.Open();
  TTesselDialog dialog;
  dialog.DataSet = &table;
  dialog.Columns().Build(true);
  TTesselDialogForm form(dialog);
  form.FormShow();
  form.Header.Add(u"Başlık");
  form.AddUserFormat(u"Id", u"#,##0");
  for (TAllowedExport type : fuzz::AllExportTypes()) {
    settings::SaveToFile(exporters.For(type), out / ("exporter-" + Extension(type) + ".cfg"));
    form.SelectType(type);
    form.SaveOptions((out / ("dialog-" + Extension(type) + ".cfg")).string());
    written += 2;
  }
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string kind = argc >= 3 ? argv[1] : "";
  if (!(kind == "settings" && argc == 3) && !(kind == "export" && argc >= 4)) {
    std::fprintf(stderr, "usage: %s export OUTDIR TABLE.db...\n       %s settings OUTDIR\n", argv[0], argv[0]);
    return 2;
  }
  const fs::path out(argv[2]);
  fs::create_directories(out);
  const int written = kind == "settings" ? WriteSettingsSeeds(out) : WriteExportSeeds(out, argc - 3, argv + 3);
  std::printf("%d seeds in %s\n", written, out.c_str());
  return 0;
}
