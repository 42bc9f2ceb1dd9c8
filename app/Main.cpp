// verimo: the desktop program.
#include <QApplication>

#include "app/MainWindow.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  verimo::ApplyProgramFont();
  QApplication::setApplicationName(QStringLiteral("Verimo"));
  verimo::TForm2 window;
  window.show();
  return QApplication::exec();
}
