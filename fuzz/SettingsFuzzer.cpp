// Feeds arbitrary bytes to the settings-file reader as a settings file:
// every section and key is read through every reader, then every built
// exporter and the export dialog load their options from it, the dialog
// once as the type the file names and once more as a built type the
// input's bytes pick (so that the option pages of every type are read
// over a run without reading the file twenty times an input). The file's
// type runs a small export with what was loaded, through the exporter (as
// the command line's --settings does) and through the dialog. Only
// verimo::Exception with a message may refuse a file or a run.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/Exception.h"
#include "export/ExportRun.h"
#include "export/ExportSettings.h"
#include "export/Exporters.h"
#include "dialog/HeadlessUI.h"
#include "dialog/TesselDialog.h"
#include "dialog/TesselDialogForm.h"
#include "engine/TesselIniFile.h"
#include "engine/TesselText.h"
#include "formats/text/TesselHTML.h"
#include "fuzz/FuzzSupport.h"
#include "platform/clipboard/Clipboard.h"
#include "platform/data/MemDataSet.h"
#include "platform/shell/RecordingShellLauncher.h"

namespace {

using namespace verimo;
namespace fs = std::filesystem;

void ReadEveryEntry(const fs::path& path) {
  TTesselIniFile file(path);
  file.ReadVersion();
  TStringList sections;
  file.ReadSections(sections);
  for (const WideString& section : sections) {
    TStringList keys, values;
    file.ReadSection(section, keys);
    file.ReadSectionValues(section, values);
    file.ReadWideSectionValues(section, values);
    (void)file.SectionExists(section);
    for (const WideString& key : keys) {
      (void)file.ReadString(section, key, u"");
      (void)file.ReadWideString(section, key, u"");
      (void)file.ReadInteger(section, key, 0);
      (void)file.ReadBool(section, key, false);
      (void)file.ReadChar(section, key, u',');
      (void)file.ValueExists(section, key);
    }
  }
}

// A small table of the common field kinds for the exports.
std::unique_ptr<TMemDataSet> SmallTable() {
  auto table = std::make_unique<TMemDataSet>();
  table->AddFieldDef(u"Id", ftInteger);
  table->AddFieldDef(u"Name", ftString, 20);
  table->AddFieldDef(u"Balance", ftCurrency);
  table->AddFieldDef(u"Joined", ftDate);
  table->AddFieldDef(u"Active", ftBoolean);
  table->AddFieldDef(u"Notes", ftMemo, 10);
  table->AppendRecord({Variant::FromInt(1), Variant::FromText(u"Şule"), Variant::FromDouble(1234.5),
                       Variant::FromDateTime(45351), Variant::FromBool(true), Variant::FromText(u"line\r\nnext")});
  table->AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
                       Variant::Null()});
  table->AppendRecord({Variant::FromInt(-7), Variant::FromText(u"<&\"'>"), Variant::FromDouble(-0.01),
                       Variant::FromDateTime(-693594), Variant::FromBool(false), Variant::FromText(u"")});
  table->Open();
  return table;
}

// A settings file may name a style sheet anywhere; the fuzzer's runs keep
// it inside the work folder.
std::string InsideWorkDir(const std::string& fileName) {
  if (fileName.empty()) return fileName;
  const fs::path name = fs::path(fileName).filename();
  return name.empty() || name == "." || name == ".." ? std::string("FUZZ.css") : name.string();
}

template <typename Run>
void Refusable(Run run) {
  try {
    run();
  } catch (const Exception& error) {
    fuzz::RequireMessage(error);
  }
}

// Every built exporter loads the file; the file's type then exports.
void LoadIntoEveryExporter(const fs::path& path, TAllowedExport fileType, TDataSet& table) {
  TRecordingShellLauncher shell;
  TMemoryClipboard clipboard;
  TExporters exporters({&shell, &clipboard});
  for (TAllowedExport type : fuzz::AllExportTypes())
    Refusable([&] { ConfigureExporter(exporters, type, fuzz::TargetFor(type), path, {}); });
  TTessel& exporter = exporters.For(fileType);
  if (auto* html = dynamic_cast<TTesselHTML*>(&exporter)) html->CSSFileName = InsideWorkDir(html->CSSFileName);
  exporter.ExportSource = esDataSet;
  exporter.DataSet = &table;
  TExportRun run(exporters, fileType, fuzz::TargetFor(fileType));
  TExportRunObserver observer;
  Refusable([&] {
    run.Execute(observer);
    run.Publish();
  });
  fuzz::ClearOutputDir();
}

// The dialog loads the file as it is, exports, then loads it again as
// `otherType`.
void LoadIntoDialog(const fs::path& path, TDataSet& table, TAllowedExport otherType) {
  TRecordingShellLauncher shell;
  TMemoryClipboard clipboard;
  TTesselDialog dialog;
  dialog.DataSet = &table;
  dialog.ShellLauncher = &shell;
  dialog.Clipboard = &clipboard;
  dialog.ShowFile = false;
  dialog.Columns().Build(true);
  TTesselDialogForm form(dialog);
  form.FormShow();
  Refusable([&] { form.LoadOptions(path.string()); });

  form.ShowFile = form.PrintFile = false;
  form.HTMLPageOptions.CSSFileName = InsideWorkDir(form.HTMLPageOptions.CSSFileName);
  form.SetFileName(fuzz::TargetFor(form.SelectedType()));
  TTesselHeadlessUI ui;
  Refusable([&] { form.Start(ui); });
  fuzz::ClearOutputDir();

  const fs::path retyped = path.parent_path() / "FUZZ-TYPED.cfg";
  Refusable([&] {
    fs::copy_file(path, retyped, fs::copy_options::overwrite_existing);
    TTesselIniFile file(retyped);
    file.WriteInteger(u"GENERAL", u"ExportType", otherType);
    form.LoadOptions(retyped.string());
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path path = fuzz::WorkDir() / "FUZZ.cfg";
  fuzz::WriteFile(path, data, size);
  Refusable([&] { ReadEveryEntry(path); });

  int typeNumber = 0;
  Refusable([&] { typeNumber = TTesselIniFile(path).ReadInteger(u"GENERAL", u"ExportType", 0); });
  const std::unique_ptr<TMemDataSet> table = SmallTable();
  if (const auto fileType = ExportTypeFromNumber(typeNumber)) LoadIntoEveryExporter(path, *fileType, *table);
  size_t pick = 0;
  for (size_t i = 0; i < size; ++i) pick = pick * 31 + data[i];
  const auto& types = fuzz::AllExportTypes();
  LoadIntoDialog(path, *table, types[pick % types.size()]);
  return 0;
}
