// verimo-screenshots OUTDIR TABLE.db: saves pictures of the main window and
// of the export form (type page and fields page) as PNG files, for the
// documentation, and exports a wide table of customers as
// wide-table.pdf, wide-table.docx and wide-table.xlsx (tools/screenshots.sh
// takes a page of each as a picture), and of the progress window of a
// finished run. Run it under a virtual X server (tools/screenshots.sh).
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <cstdio>

#include "app/DialogWindow.h"
#include "app/Language.h"
#include "app/MainWindow.h"
#include "app/ProgressWindow.h"
#include "app/QtText.h"
#include "formats/package/docx/TesselDocx.h"
#include "formats/package/xlsx/TesselXlsx.h"
#include "formats/pdf/TesselPDF.h"
#include "platform/data/MemDataSet.h"

namespace {

// Sixteen columns of customers, thirty records: wider than a page.
void FillCustomers(verimo::TMemDataSet& data) {
  using verimo::Variant;
  static const char16_t* const kNames[] = {u"Ayşe Yılmaz", u"Mehmet Kaya", u"Zeynep Çelik", u"Emre Şahin",
                                           u"Elif Doğan", u"Burak Öztürk", u"Selin Aydın", u"Caner Arslan"};
  static const char16_t* const kCities[] = {u"İstanbul", u"Ankara", u"İzmir", u"Bursa", u"Eskişehir", u"Trabzon"};
  static const char16_t* const kNotes[] = {
      u"Ödemeler her ayın başında, havale ile; fatura e-posta ile gönderilir.",
      u"Yeni müşteri.",
      u"Siparişler depo yerine doğrudan mağazaya teslim edilecek, teslimattan önce aranmalı.",
      u"Kredi limiti artırma talebi değerlendirmede; bir sonraki görüşmede yeniden konuşulacak.",
      u"—"};
  const char16_t* const fields[] = {u"No", u"Ad Soyad", u"E-posta", u"Telefon", u"Adres", u"Şehir",
                                    u"Posta Kodu", u"Doğum Tarihi", u"Üyelik", u"Bakiye", u"Kredi Limiti",
                                    u"Son Sipariş", u"Sipariş Adedi", u"Temsilci", u"Durum", u"Notlar"};
  data.AddFieldDef(fields[0], verimo::ftInteger);
  for (int i = 1; i < 16; ++i) {
    const verimo::TFieldType type = i == 7 || i == 8 || i == 11 ? verimo::ftDate
                                    : i == 9 || i == 10         ? verimo::ftCurrency
                                    : i == 12                   ? verimo::ftInteger
                                    : i == 15                   ? verimo::ftMemo
                                                                : verimo::ftString;
    data.AddFieldDef(fields[i], type, 60);
  }
  for (int r = 0; r < 30; ++r) {
    const std::u16string name = kNames[r % 8];
    std::u16string mail;
    for (char16_t ch : name) mail += ch == u' ' ? u'.' : ch < 0x80 ? static_cast<char16_t>(ch | 0x20) : u'x';
    data.AppendRecord({Variant::FromInt(r + 1), Variant::FromText(name), Variant::FromText(mail + u"@ornek.com.tr"),
                       Variant::FromText(u"0 (5" + verimo::IntToWide(30 + r % 20) + u") 555 12 " +
                                         verimo::IntToWide(10 + r)),
                       Variant::FromText(u"Cumhuriyet Cad. No: " + verimo::IntToWide(r * 7 % 90 + 1) + u" Daire " +
                                         verimo::IntToWide(r % 12 + 1)),
                       Variant::FromText(kCities[r % 6]), Variant::FromText(verimo::IntToWide(34000 + r * 137)),
                       Variant::FromDateTime(25000 + r * 311), Variant::FromDateTime(42000 + r * 37),
                       Variant::FromCurrency(verimo::Currency::FromDouble((r * 7919 % 20000 - 5000) * 1.25)),
                       Variant::FromCurrency(verimo::Currency::FromDouble(10000 + r % 5 * 2500)),
                       Variant::FromDateTime(45000 + r * 3), Variant::FromInt(r * 13 % 40),
                       Variant::FromText(kNames[(r + 3) % 8]), Variant::FromText(r % 4 == 0 ? u"Pasif" : u"Aktif"),
                       Variant::FromText(kNotes[r % 5])});
  }
  data.Open();
}

bool Save(QWidget& widget, const QDir& dir, const QString& name);

// The wide table as PDF, DOCX and XLSX, with their default options.
bool ExportWideTable(const QDir& dir) {
  verimo::TMemDataSet data;
  FillCustomers(data);
  verimo::TStringList fields;
  for (int i = 0; i < data.FieldCount(); ++i) fields.Add(data.Field(i).FieldName());
  verimo::TTesselPDF pdf;
  verimo::TTesselDocx docx;
  verimo::TTesselXlsx xlsx;
  const std::pair<verimo::TTesselText*, const char*> exports[] = {
      {&pdf, "wide-table.pdf"}, {&docx, "wide-table.docx"}, {&xlsx, "wide-table.xlsx"}};
  for (const auto& [exporter, name] : exports) {
    exporter->DataSet = &data;
    exporter->ExportedFields = fields;
    exporter->Header = {u"Müşteri listesi"};
    exporter->ShellLauncher = nullptr;
    exporter->FileName = verimo::ToUtf8Path(dir.filePath(QString::fromLatin1(name)));
    exporter->Execute();
    std::printf("%s\n", exporter->FileName.c_str());
  }
  return true;
}

// The progress window at the end of a run of 200 records.
bool SaveProgressWindow(const QDir& dir) {
  verimo::TfmTesselProgress window(nullptr, [] {});
  window.Notify(verimo::TTesselProgress::pnBeginExport);
  for (int i = 0; i < 200; ++i) window.Notify(verimo::TTesselProgress::pnExportedRecord);
  window.Notify(verimo::TTesselProgress::pnFinished);
  window.show();
  return Save(window, dir, QStringLiteral("progress-window.png"));
}

bool Save(QWidget& widget, const QDir& dir, const QString& name) {
  QApplication::processEvents();
  const QString path = dir.filePath(name);
  if (!widget.grab().save(path)) {
    std::fprintf(stderr, "verimo-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  verimo::ApplyProgramFont();
  // The environment's language, as the program would show it (the settings
  // file is left out: the pictures must not depend on the user's).
  verimo::ApplyProgramLanguage(verimo::LanguageOfLocale(verimo::MessagesLocaleOfEnvironment()));
  if (argc != 3) {
    std::fprintf(stderr, "usage: verimo-screenshots OUTDIR TABLE.db\n");
    return 2;
  }
  const QDir outDir(QString::fromLocal8Bit(argv[1]));
  const QFileInfo table(QString::fromLocal8Bit(argv[2]));
  bool ok = true;
  try {
    verimo::TForm2 mainWindow;
    mainWindow.show();
    ok = Save(mainWindow, outDir, QStringLiteral("main-window.png")) && ok;

    mainWindow.Table1().SetDatabaseName(verimo::ToUtf8Path(table.absolutePath()));
    mainWindow.Table1().SetTableName(verimo::ToUtf8Path(table.fileName()));
    mainWindow.Table1().Open();
    verimo::TTesselDialog& dialog = mainWindow.TesselDialog1();
    dialog.FileName = "/home/kullanici/Belgeler/" + verimo::ToUtf8Path(table.completeBaseName()) + ".csv";
    dialog.FormPresenter = [&](verimo::TTesselDialogForm& form) {
      form.SelectType(verimo::aeCSV);
      verimo::TTesselDialogF window(form);
      window.show();
      ok = Save(window, outDir, QStringLiteral("export-dialog.png")) && ok;
      for (int i = 0; i < 2 && !form.AvailableFields().empty(); ++i) form.AddOneExportedField(i);
      window.Refresh();
      auto* pages = window.findChild<QTabWidget*>(QStringLiteral("Pages"));
      pages->setCurrentWidget(window.findChild<QWidget*>(QStringLiteral("tshFields")));
      ok = Save(window, outDir, QStringLiteral("export-dialog-fields.png")) && ok;
    };
    dialog.Execute();
    ok = SaveProgressWindow(outDir) && ok;
    ok = ExportWideTable(outDir) && ok;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "verimo-screenshots: %s\n", error.what());
    return 1;
  }
  return ok ? 0 : 1;
}
