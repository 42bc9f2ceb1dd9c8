#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "app/DialogWindow.h"
#include "app/Language.h"
#include "app/ProgramSettingsDialog.h"
#include "app/QtText.h"
#include "core/NonCopyable.h"

namespace verimo {
namespace {

constexpr int kClientWidth = 182;
constexpr int kClientHeight = 60;
constexpr int kStatusBarHeight = 19;

// Closes the table when the scope ends, also by an exception.
class TTableCloser : private TNonCopyable {
 public:
  explicit TTableCloser(TTable& table) : table_(table) {}
  ~TTableCloser() { table_.Close(); }

 private:
  TTable& table_;
};

}  // namespace

TForm2::TForm2(TShellLauncher* shellLauncher, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Verimo"));
  setAcceptDrops(true);
  setFixedSize(kClientWidth, kClientHeight);

  button1_ = new QPushButton(this);
  button1_->setObjectName(QStringLiteral("Button1"));
  button1_->setGeometry(8, 8, 166, 25);
  statusBar1_ = new QStatusBar(this);
  statusBar1_->setObjectName(QStringLiteral("StatusBar1"));
  statusBar1_->setSizeGripEnabled(false);
  statusBar1_->setGeometry(0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight);
  statusBar1_->showMessage(QStringLiteral(" "));

  AskTableFile = [this](const QString& filter) {
    QFileDialog dialog(this, QString(), QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, true);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                    : QString();
  };
  connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
  ProgramSettingsFile = DefaultProgramSettingsFile();
  settingsAction_ = new QAction(this);
  settingsAction_->setObjectName(QStringLiteral("SettingsAction"));
  connect(settingsAction_, &QAction::triggered, this, [this] { EditProgramSettings(); });
  addAction(settingsAction_);
  SetCaptions();
  setContextMenuPolicy(Qt::ActionsContextMenu);
  table1_.SetPasswordCallback(
      [this](const std::string& tableName, WideString& password) { return AskPassword(tableName, password); });
  ConfigureDialog(shellLauncher);
}

TForm2::~TForm2() = default;

void TForm2::SetCaptions() {
  button1_->setText(Tr(u"Paradox Dosya Seç..."));
  settingsAction_->setText(Tr(u"Ayarlar..."));
}

void ApplyProgramFont() {
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(8);
  QApplication::setFont(font);
}

// The dialog settings of the main window for the types this program
// exports.
void TForm2::ConfigureDialog(TShellLauncher* shellLauncher) {
  tesselDialog1_.DataSet = &table1_;
  tesselDialog1_.CSVOptions.Comma = u';';
  tesselDialog1_.AccessOptions.TableName = u"EXPORT_TABLE";
  TTesselPDFPageOptions& page = tesselDialog1_.PDFOptions.PageOptions;
  page.SetMarginLeft(1.17);
  page.SetMarginRight(0.58);
  page.SetMarginTop(0.78);
  page.SetMarginBottom(0.78);
  for (TPDFFont* font : {&tesselDialog1_.PDFOptions.HeaderFont, &tesselDialog1_.PDFOptions.CaptionFont,
                         &tesselDialog1_.PDFOptions.DataFont, &tesselDialog1_.PDFOptions.FooterFont}) {
    font->UserFont.Name = u"Arial";
    font->UserFont.Size = 10;
    font->UserFont.Color = clWindowText;
    font->FontColor = clWindowText;
  }
  // The Tools menu, so that the user can save a prepared export and load it again.
  tesselDialog1_.SaveLoadButtons = true;
  tesselDialog1_.ShellLauncher = shellLauncher;
  tesselDialog1_.Clipboard = &clipboard_;
  tesselDialog1_.FormPresenter = [this](TTesselDialogForm& form) { ShowDialogForm(form, this); };
}

void TForm2::Button1Click() {
  const QString path = AskTableFile(QStringLiteral("Paradox Files (*.db)"));
  if (path.isEmpty()) return;
  ExportTable(path);
}

void TForm2::ExportTable(const QString& path) {
  try {
    table1_.Close();
    if (!OpenTable(path)) return;
    TTableCloser closer(table1_);
    // The export is proposed beside the table, under its name.
    tesselDialog1_.ProposedFileName = ToUtf8Path(QFileInfo(path).absoluteFilePath());
    tesselDialog1_.Execute();
  } catch (const std::exception& error) {
    table1_.Close();
    QMessageBox::critical(this, windowTitle(), QString::fromUtf8(error.what()));
  }
}

bool TForm2::OpenTable(const QString& path) {
  const QFileInfo info(path);
  table1_.SetDatabaseName(ToUtf8Path(info.absolutePath()));
  table1_.SetTableName(ToUtf8Path(info.fileName()));
  const TProgramSettings settings = TProgramSettings::Load(ProgramSettingsFile);
  table1_.SetSalvage(false);
  try {
    OpenWithProgramCodePages(table1_, settings);
  } catch (const TableDamaged& error) {
    if (!AskSalvage(QString::fromUtf8(error.what()))) return false;
    table1_.SetSalvage(true);
    OpenWithProgramCodePages(table1_, settings);
  }
  return true;
}

bool TForm2::AskSalvage(const QString& reason) {
  QMessageBox question(QMessageBox::Warning, windowTitle(),
                       Tr(u"Tablo açılamadı:") + QLatin1Char('\n') + reason + QStringLiteral("\n\n") +
                           Tr(u"Tablodan okunabilen kayıtlar kurtarılsın mı? Neyin kurtarılıp neyin "
                              u"kaybolduğu aktarım sırasında gösterilir."),
                       QMessageBox::Yes | QMessageBox::No, this);
  question.setObjectName(QStringLiteral("SalvageQuestion"));
  question.setDefaultButton(QMessageBox::No);
  return question.exec() == QMessageBox::Yes;
}

bool TForm2::EditProgramSettings() {
  const TProgramSettings before = TProgramSettings::Load(ProgramSettingsFile);
  TProgramSettingsDialog dialog(before, this);
  if (dialog.exec() != QDialog::Accepted) return false;
  const TProgramSettings settings = dialog.Settings();
  // A changed language applies at once: the export form is built anew for
  // every table.
  if (settings.language != before.language) {
    ApplyProgramLanguage(ProgramLanguage(settings));
    SetCaptions();
  }
  if (settings.Save(ProgramSettingsFile)) return true;
  QMessageBox::critical(this, windowTitle(), Tr(u"Ayarlar kaydedilemedi: ") + ProgramSettingsFile);
  return false;
}

namespace {

// The one local Paradox table a drag carries, or an empty text.
QString DraggedTable(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  if (!url.isLocalFile() || !url.toLocalFile().endsWith(QStringLiteral(".db"), Qt::CaseInsensitive)) return {};
  return url.toLocalFile();
}

}  // namespace

void TForm2::dragEnterEvent(QDragEnterEvent* event) {
  if (!DraggedTable(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm2::dropEvent(QDropEvent* event) {
  const QString path = DraggedTable(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  // The dialog runs after the drop has ended, so the source is not held.
  QTimer::singleShot(0, this, [this, path] { ExportTable(path); });
}

bool TForm2::AskPassword(const std::string& tableName, WideString& password) {
  QInputDialog dialog(this);
  dialog.setObjectName(QStringLiteral("PasswordDialog"));
  dialog.setWindowTitle(QStringLiteral("Enter password"));
  dialog.setLabelText(QStringLiteral("Password for %1:").arg(PathToQString(tableName)));
  dialog.setTextEchoMode(QLineEdit::Password);
  dialog.setInputMode(QInputDialog::TextInput);
  if (dialog.exec() != QDialog::Accepted) return false;
  password = ToWide(dialog.textValue());
  return true;
}

void TForm2::closeEvent(QCloseEvent* event) {
  table1_.Close();
  QWidget::closeEvent(event);
}

}  // namespace verimo
