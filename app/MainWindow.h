#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "app/QtClipboard.h"
#include "dialog/TesselDialog.h"
#include "platform/paradox/Table.h"

class QAction;
class QPushButton;
class QStatusBar;

namespace verimo {

class TShellLauncher;

// The program's main window "Verimo": one button that picks a Paradox
// table, opens it and runs the export dialog on it.
class TForm2 : public QWidget {
 public:
  // The platform's open dialog, replaceable (tests): the chosen path, or an
  // empty text when the user cancels.
  using TOpenFileAsker = std::function<QString(const QString& filter)>;

  // `shellLauncher` opens and prints the results (the desktop's when null).
  explicit TForm2(TShellLauncher* shellLauncher = nullptr, QWidget* parent = nullptr);
  ~TForm2() override;

  TOpenFileAsker AskTableFile;
  // Where the program's settings (code page, locale) are kept; the user's
  // configuration folder unless a test points elsewhere.
  QString ProgramSettingsFile;

  // Picks, opens and exports a table; the table is closed again when the
  // dialog closes. Errors are shown and leave the window usable; when the
  // table is damaged the user may have what can be read recovered.
  void Button1Click();
  // Opens the table at `path` and runs the export dialog on it, as if it
  // had been chosen with the button (a table given on the command line or
  // dropped on the window).
  void ExportTable(const QString& path);
  // "Ayarlar..." of the window's context menu: edits and saves the program's
  // settings. False when the user cancels or the file cannot be written.
  bool EditProgramSettings();

  TTable& Table1() { return table1_; }
  TTesselDialog& TesselDialog1() { return tesselDialog1_; }
  QPushButton* Button1() const { return button1_; }
  QStatusBar* StatusBar1() const { return statusBar1_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void ConfigureDialog(TShellLauncher* shellLauncher);
  // The button's and the menu's texts in the program's language.
  void SetCaptions();
  // Opens the table; a damaged one in salvage mode when the user agrees.
  // False when the user declines.
  bool OpenTable(const QString& path);
  // Asks whether to recover what a damaged table still holds, naming why
  // it did not open.
  bool AskSalvage(const QString& reason);
  bool AskPassword(const std::string& tableName, WideString& password);

  TTable table1_;
  TQtClipboard clipboard_;
  TTesselDialog tesselDialog1_;
  QPushButton* button1_ = nullptr;
  QAction* settingsAction_ = nullptr;
  QStatusBar* statusBar1_ = nullptr;
};

// The program's font for every window: Tahoma, 8 point (or what the
// desktop substitutes for it).
void ApplyProgramFont();

}  // namespace verimo
