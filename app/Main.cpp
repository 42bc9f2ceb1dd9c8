// verimo: the desktop program. `verimo TABLE.db` opens the export dialog
// for that table at once (a file manager's "Open with").
#include <QApplication>
#include <QStringList>
#include <QTimer>

#include "app/Language.h"
#include "app/MainWindow.h"
#include "app/ProgramSettings.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  verimo::ApplyProgramFont();
  QApplication::setApplicationName(QStringLiteral("Verimo"));
  // Before any window takes its value patterns from the locale.
  const verimo::TProgramSettings settings = verimo::TProgramSettings::Load(verimo::DefaultProgramSettingsFile());
  verimo::ApplyProgramLocale(settings);
  verimo::ApplyProgramLanguage(verimo::ProgramLanguage(settings));
  verimo::TForm2 window;
  window.show();
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) {
    const QString table = arguments.at(1);
    QTimer::singleShot(0, &window, [&window, table] { window.ExportTable(table); });
  }
  return QApplication::exec();
}
