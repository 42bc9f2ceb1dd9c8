// verimo-screenshots OUTDIR TABLE.db: saves pictures of the main window and
// of the export form (type page and fields page) as PNG files, for the
// documentation. Run it under a virtual X server (tools/screenshots.sh).
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <cstdio>

#include "app/DialogWindow.h"
#include "app/MainWindow.h"
#include "app/QtText.h"

namespace {

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
  } catch (const std::exception& error) {
    std::fprintf(stderr, "verimo-screenshots: %s\n", error.what());
    return 1;
  }
  return ok ? 0 : 1;
}
