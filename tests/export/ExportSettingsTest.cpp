// Every section `verimo-cli formats` lists for a type reaches the type's
// exporter from a settings file, in the notation of the export dialog and
// in the one the exporters save.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "engine/TesselIniFile.h"
#include "export/ExportOptions.h"
#include "export/ExportSettings.h"
#include "export/Exporters.h"
#include "formats/database/ADO_TesselAccess.h"
#include "formats/package/docx/TesselDocx.h"
#include "formats/package/odf/TesselODS.h"
#include "formats/package/odf/TesselODT.h"
#include "formats/package/xlsx/TesselXlsx.h"
#include "formats/pdf/TesselPDF.h"
#include "formats/rtf/TesselRTF.h"
#include "formats/text/TesselASCII.h"
#include "formats/text/TesselHTML.h"
#include "formats/text/TesselSQL.h"
#include "formats/text/TesselXML.h"
#include "formats/xls/TesselXLS.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

class ExportSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("export-settings"); }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path File(const std::function<void(TTesselIniFile&)>& write) {
    const fs::path path = dir_ / ("settings" + std::to_string(++files_) + ".ini");
    TTesselIniFile file(path);
    file.Version = kWideTextIniVersion;
    file.WriteVersion();
    write(file);
    return path;
  }

  // A fresh exporter of the type, configured from the file.
  TTessel& Configured(TExporters& exporters, TAllowedExport type, const fs::path& settings) {
    ConfigureExporter(exporters, type, (dir_ / "OUT.x").string(), settings, {});
    return exporters.For(type);
  }

  fs::path dir_;
  int files_ = 0;
};

bool Lists(TAllowedExport type, const std::string& section) {
  const std::string sections = ", " + SettingsSectionsOf(type) + ",";
  return sections.find(", " + section + ",") != std::string::npos;
}

std::string Lines(const TStringList& list) {
  std::string text;
  for (const WideString& line : list) text += WideToUtf8(line) + "|";
  return text;
}

// The common sections, each alone in a file, in both notations.
TEST_F(ExportSettingsTest, EveryListedCommonSectionReachesTheExporter) {
  struct Case {
    std::string section;
    std::function<void(TTesselIniFile&)> dialogForm, exporterForm;
    std::function<std::string(TTessel&)> state;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"FORMATS", [](TTesselIniFile& f) { f.WriteString(u"FORMATS", u"Date", u"yyyy-mm-dd"); },
       [](TTesselIniFile& f) { f.WriteString(u"FORMATS", u"Date", u"yyyy-mm-dd"); },
       [](TTessel& e) { return WideToUtf8(e.Formats().DateFormat()); }, "yyyy-mm-dd"},
      {"USER_FORMATS", [](TTesselIniFile& f) { f.WriteString(u"USER_FORMATS", u"Amount", u"0.000"); },
       [](TTesselIniFile& f) { f.WriteString(u"USER_FORMATS", u"line0", u"Amount=0.000"); },
       [](TTessel& e) { return Lines(e.UserFormats); }, "Amount=0.000|"},
      {"HEADER", [](TTesselIniFile& f) { f.WriteWideString(u"HEADER", u"line0", u"Başlık"); },
       [](TTesselIniFile& f) { f.WriteWideString(u"HEADER", u"line0", u"Başlık"); },
       [](TTessel& e) { return Lines(e.Header); }, "Başlık|"},
      {"FOOTER", [](TTesselIniFile& f) { f.WriteWideString(u"FOOTER", u"line0", u"Son"); },
       [](TTesselIniFile& f) { f.WriteWideString(u"FOOTER", u"line0", u"Son"); },
       [](TTessel& e) { return Lines(e.Footer); }, "Son|"},
      {"CAPTIONS", [](TTesselIniFile& f) { f.WriteWideString(u"CAPTIONS", u"Name", u"Adı"); },
       [](TTesselIniFile& f) { f.WriteString(u"CAPTIONS", u"line0", u"Name=Adı"); },
       [](TTessel& e) { return Lines(e.Captions); }, "Name=Adı|"},
      {"ALIGN", [](TTesselIniFile& f) { f.WriteString(u"ALIGN", u"Name", u"Sağ"); },
       [](TTesselIniFile& f) { f.WriteString(u"ALIGN", u"line0", u"Name=Right"); },
       [](TTessel& e) { return Lines(e.ColumnsAlign); }, "Name=Right|"},
      {"WIDTH", [](TTesselIniFile& f) { f.WriteInteger(u"WIDTH", u"Name", 17); },
       [](TTesselIniFile& f) { f.WriteString(u"WIDTH", u"line0", u"Name=17"); },
       [](TTessel& e) { return Lines(e.ColumnsWidth); }, "Name=17|"},
  };
  int checked = 0;
  for (const Case& c : cases) {
    const fs::path dialogFile = File(c.dialogForm);
    const fs::path exporterFile = File(c.exporterForm);
    for (int number = 0; number < kExportTypeCount; ++number) {
      const auto type = static_cast<TAllowedExport>(number);
      if (!Lists(type, c.section)) continue;
      for (const fs::path& file : {dialogFile, exporterFile}) {
        TExporters exporters;
        EXPECT_EQ(c.state(Configured(exporters, type, file)), c.expected)
            << c.section << " for " << WideToUtf8(ExportTypeInfo(type).listText) << " from " << file.filename();
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 100);
}

// The option page of each type, saved as the dialog saves it.
TEST_F(ExportSettingsTest, EveryTypesOwnSectionReachesTheExporter) {
  struct Case {
    TAllowedExport type;
    std::function<void(TExportTypeOptions&)> change;
    std::function<bool(TTessel&)> changed;
  };
  const std::vector<Case> cases = {
      {aeXLS, [](TExportTypeOptions& o) { o.XLSOptions.Sheet.SheetTitle = u"Satışlar"; },
       [](TTessel& e) { return static_cast<TTesselXLS&>(e).Options.SheetTitle == u"Satışlar"; }},
      {aeWord, [](TExportTypeOptions& o) { o.RTFOptions.PageOrientation = poLandscape; },
       [](TTessel& e) { return static_cast<TTesselRTF&>(e).Options.PageOrientation == poLandscape; }},
      {aeRTF, [](TExportTypeOptions& o) { o.RTFOptions.PageOrientation = poLandscape; },
       [](TTessel& e) { return static_cast<TTesselRTF&>(e).Options.PageOrientation == poLandscape; }},
      {aeHTML, [](TExportTypeOptions& o) { o.HTMLMultiFileOptions.FileRecCount = 25; },
       [](TTessel& e) { return static_cast<TTesselHTML&>(e).MaxRecords() == 25; }},
      {aeXML, [](TExportTypeOptions& o) { o.XMLOptions.Standalone = false; },
       [](TTessel& e) { return !static_cast<TTesselXML&>(e).Options.StandAlone; }},
      {aePDF, [](TExportTypeOptions& o) { o.PDFOptions.ColSpacing = 7.5; },
       [](TTessel& e) { return static_cast<TTesselPDF&>(e).Options.ColSpacing == 7.5; }},
      {aeTXT, [](TExportTypeOptions& o) { o.TXTOptions.ColSpacing = 5; },
       [](TTessel& e) { return static_cast<TTesselASCII&>(e).TXTSpacing == 5; }},
      {aeCSV, [](TExportTypeOptions& o) { o.CSVOptions.Comma = u';'; },
       [](TTessel& e) { return static_cast<TTesselASCII&>(e).CSVComma == u';'; }},
      {aeSQL, [](TExportTypeOptions& o) { o.SQLOptions.TableName = u"Musteri"; },
       [](TTessel& e) { return static_cast<TTesselSQL&>(e).Options.TableName == u"Musteri"; }},
      {aeODS, [](TExportTypeOptions& o) { o.ODSSheetName = u"Sayfa9"; },
       [](TTessel& e) { return static_cast<TTesselODS&>(e).SheetName == u"Sayfa9"; }},
      {aeODT, [](TExportTypeOptions& o) { o.ODTTableName = u"Tablo9"; },
       [](TTessel& e) { return static_cast<TTesselODT&>(e).TableName == u"Tablo9"; }},
      {aeXlsx, [](TExportTypeOptions& o) { o.XlsxSheetName = u"Veri"; },
       [](TTessel& e) { return static_cast<TTesselXlsx&>(e).SheetName() == u"Veri"; }},
      {aeDocx, [](TExportTypeOptions& o) { o.DocxOptions.UseBorder = true; },
       [](TTessel& e) { return static_cast<TTesselDocx&>(e).DocxOptions.UseBorder; }},
      {aeAccess, [](TExportTypeOptions& o) { o.AccessOptions.TableName = u"Kayitlar"; },
       [](TTessel& e) { return static_cast<TADO_TesselAccess&>(e).TableName == u"Kayitlar"; }},
  };
  for (const Case& c : cases) {
    TExportTypeOptions options;
    c.change(options);
    const fs::path file = File([&](TTesselIniFile& f) { SaveTypeOptions(f, c.type, options); });
    TExporters exporters;
    EXPECT_TRUE(c.changed(Configured(exporters, c.type, file))) << WideToUtf8(ExportTypeInfo(c.type).listText);
  }
}

// A page saved for another type, or none, leaves the exporter's own options
// alone; the command line's dialect and table name come last.
TEST_F(ExportSettingsTest, OverridesWinAndForeignSectionsAreIgnored) {
  TExportTypeOptions options;
  options.CSVOptions.Comma = u';';
  const fs::path csvFile = File([&](TTesselIniFile& f) { SaveTypeOptions(f, aeCSV, options); });
  TExporters exporters;
  auto& txt = static_cast<TTesselASCII&>(Configured(exporters, aeTXT, csvFile));
  EXPECT_EQ(txt.ExportType(), etTXT);
  EXPECT_NE(txt.CSVComma, u';');

  options.SQLOptions.ScriptType = qstOra;
  const fs::path sqlFile = File([&](TTesselIniFile& f) { SaveTypeOptions(f, aeSQL, options); });
  TExportOverrides overrides;
  overrides.sqlDialect = qstMy;
  ConfigureExporter(exporters, aeSQL, (dir_ / "Kunden.sql").string(), sqlFile, overrides);
  auto& sql = static_cast<TTesselSQL&>(exporters.For(aeSQL));
  EXPECT_EQ(sql.Options.ScriptType, qstMy);
  // Named after the target and quoted in the dialect of the command line.
  EXPECT_EQ(WideToUtf8(sql.Options.TableName), "`KUNDEN`");

  overrides.accessTable = u"Yeni";
  ConfigureExporter(exporters, aeAccess, (dir_ / "db.mdb").string(), std::nullopt, overrides);
  EXPECT_EQ(static_cast<TADO_TesselAccess&>(exporters.For(aeAccess)).TableName, u"Yeni");
}

}  // namespace
}  // namespace verimo
