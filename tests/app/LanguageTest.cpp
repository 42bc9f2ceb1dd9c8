// Runs twice: under LANG=en_US.UTF-8 and under LANG=tr_TR.UTF-8 (see
// CMakeLists.txt); the environment decides the program's language.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "AppTestSupport.h"
#include "app/DialogWindow.h"
#include "app/Language.h"
#include "app/MainWindow.h"
#include "app/ProgramSettingsDialog.h"
#include "app/ProgressWindow.h"
#include "app/QtText.h"
#include "dialog/DialogTestSupport.h"
#include "platform/shell/RecordingShellLauncher.h"
#include "support/TestPaths.h"

namespace verimo {

class LanguageTest : public QObject {
  Q_OBJECT

 private:
  bool english_ = false;
  TRecordingShellLauncher launcher_;
  std::unique_ptr<TMemDataSet> table_;
  std::unique_ptr<test::TTempDir> dir_;

  // The text expected in the environment's language.
  QString Expect(const char* turkish, const char* english) const {
    return QString::fromUtf8(english_ ? english : turkish);
  }

  static QStringList TabTexts(const QTabWidget* tabs) {
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->isTabVisible(i)) texts << tabs->tabText(i);
    return texts;
  }

  // Every caption of a window and its pages: labels, buttons, group and tab
  // titles, list entries, grid headers, menu commands.
  static QStringList Captions(const QWidget& window) {
    QStringList texts{window.windowTitle()};
    for (auto* label : window.findChildren<QLabel*>()) texts << label->text();
    for (auto* button : window.findChildren<QAbstractButton*>()) texts << button->text();
    for (auto* group : window.findChildren<QGroupBox*>()) texts << group->title();
    for (auto* tabs : window.findChildren<QTabWidget*>())
      for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
    for (auto* box : window.findChildren<QComboBox*>())
      if (!box->isEditable())
        for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
    for (auto* grid : window.findChildren<QTableWidget*>())
      for (int i = 0; i < grid->columnCount(); ++i)
        if (grid->horizontalHeaderItem(i)) texts << grid->horizontalHeaderItem(i)->text();
    for (auto* action : window.findChildren<QAction*>()) texts << action->text();
    return texts;
  }

  // The captions written with letters only Turkish uses: none may be left
  // in the English windows.
  static QStringList TurkishCaptions(const QWidget& window) {
    static const QString kTurkishLetters = QString::fromUtf8("çğıöşüÇĞİÖŞÜ");
    QStringList found;
    for (const QString& text : Captions(window))
      for (const QChar ch : text)
        if (kTurkishLetters.contains(ch)) {
          found << text;
          break;
        }
    return found;
  }

  void WithForm(TTesselDialog& dialog, const std::function<void(TTesselDialogF&)>& body) {
    dialog.DataSet = table_.get();
    dialog.ShellLauncher = &launcher_;
    dialog.SaveLoadButtons = true;
    dialog.FormPresenter = [&](TTesselDialogForm& form) {
      TTesselDialogF view(form);
      view.show();
      if (!QTest::qWaitForWindowExposed(&view)) qFatal("the form did not show");
      body(view);
    };
    dialog.Execute();
  }

 private slots:
  void initTestCase() {
    english_ = !qEnvironmentVariable("LANG").startsWith(QStringLiteral("tr"));
    ApplyProgramLanguage(ProgramLanguage(TProgramSettings{}));
    QCOMPARE(CurrentProgramLanguage(), english_ ? TLanguage::English : TLanguage::Turkish);
  }

  void init() {
    table_ = test::MakeCustomers();
    dir_ = std::make_unique<test::TTempDir>("verimo-language");
  }
  void cleanup() { dir_.reset(); }

  void localeNamesAndTheEnvironment() {
    QCOMPARE(LanguageOfLocale("tr_TR.UTF-8"), TLanguage::Turkish);
    QCOMPARE(LanguageOfLocale("tr"), TLanguage::Turkish);
    QCOMPARE(LanguageOfLocale("tr_CY"), TLanguage::Turkish);
    QCOMPARE(LanguageOfLocale("en_US.UTF-8"), TLanguage::English);
    QCOMPARE(LanguageOfLocale("de_DE"), TLanguage::English);
    QCOMPARE(LanguageOfLocale("trv_TW"), TLanguage::English);  // Taroko, not Turkish
    QCOMPARE(LanguageOfLocale("C"), TLanguage::English);
    QCOMPARE(LanguageOfLocale(""), TLanguage::English);

    // LANGUAGE's first entry comes before LANG; the settings before both.
    const QByteArray lang = qgetenv("LANG");
    const QByteArray language = qgetenv("LANGUAGE");
    qputenv("LANGUAGE", english_ ? "tr:en" : "en_GB:tr");
    QCOMPARE(ProgramLanguage(TProgramSettings{}), english_ ? TLanguage::Turkish : TLanguage::English);
    qputenv("LANGUAGE", "");
    QCOMPARE(ProgramLanguage(TProgramSettings{}), english_ ? TLanguage::English : TLanguage::Turkish);
    TProgramSettings forced;
    forced.language = "tr";
    QCOMPARE(ProgramLanguage(forced), TLanguage::Turkish);
    forced.language = "en";
    QCOMPARE(ProgramLanguage(forced), TLanguage::English);
    qputenv("LANGUAGE", language);
    qputenv("LANG", lang);
  }

  void mainWindowAndProgramSettings() {
    TForm2 window(&launcher_);
    window.show();
    QCOMPARE(window.Button1()->text(), Expect("Paradox Dosya Seç...", "Choose Paradox File..."));
    QCOMPARE(window.windowTitle(), QStringLiteral("Verimo"));
    TProgramSettingsDialog settings(TProgramSettings{}, &window);
    QCOMPARE(settings.windowTitle(), Expect("Program Ayarları", "Program Settings"));
    QCOMPARE(settings.LanguageBox()->currentIndex(), 0);
    if (english_) QCOMPARE(TurkishCaptions(settings), QStringList{QStringLiteral("Türkçe")});  // its own name
  }

  // The language setting is stored with the others, forces the language at
  // once and is undone by choosing the system's again.
  void settingForcesTheLanguage() {
    TForm2 window(&launcher_);
    window.ProgramSettingsFile = QString::fromStdString(dir_->File("verimo.conf"));
    test::TModalAnswerer answerer;
    answerer.Then([&](QWidget* modal) {
      auto* dialog = dynamic_cast<TProgramSettingsDialog*>(modal);
      if (!dialog) return false;
      dialog->LanguageBox()->setCurrentIndex(dialog->LanguageBox()->findData(QString::fromLatin1(english_ ? "tr" : "en")));
      dialog->accept();
      return true;
    });
    QVERIFY(window.EditProgramSettings());
    QCOMPARE(TProgramSettings::Load(window.ProgramSettingsFile).language, std::string(english_ ? "tr" : "en"));
    QCOMPARE(window.Button1()->text(), QString::fromUtf8(english_ ? "Paradox Dosya Seç..." : "Choose Paradox File..."));

    int forcedIndex = -1;
    answerer.Then([&](QWidget* modal) {
      auto* dialog = dynamic_cast<TProgramSettingsDialog*>(modal);
      if (!dialog) return false;
      forcedIndex = dialog->LanguageBox()->currentIndex();
      dialog->LanguageBox()->setCurrentIndex(0);
      dialog->accept();
      return true;
    });
    QVERIFY(window.EditProgramSettings());
    QCOMPARE(forcedIndex, english_ ? 1 : 2);  // the settings show the forced language
    QCOMPARE(TProgramSettings::Load(window.ProgramSettingsFile).language, std::string());
    QCOMPARE(window.Button1()->text(), Expect("Paradox Dosya Seç...", "Choose Paradox File..."));

    std::ofstream(dir_->File("odd.conf")) << "[Program]\nLanguage=fr\n";
    QCOMPARE(TProgramSettings::Load(QString::fromStdString(dir_->File("odd.conf"))).language, std::string());
  }

  void exportFormTitleTabsAndButtons() {
    TTesselDialog dialog;
    dialog.ProposedFileName = dir_->File("musteri.db");
    WithForm(dialog, [&](TTesselDialogF& view) {
      QCOMPARE(view.windowTitle(), Expect("Export Formu -- Çıktı [musteri.xls]", "Export Form -- Output [musteri.xls]"));
      auto* pages = view.findChild<QTabWidget*>(QStringLiteral("Pages"));
      QCOMPARE(TabTexts(pages), english_ ? (QStringList{"Export Type", "Fields", "Formats", "Header/Footer",
                                                         "&Captions", "Excel"})
                                         : (QStringList{QStringLiteral("Export Biçimi"), QStringLiteral("Alanlar"),
                                                        QStringLiteral("Biçimler"),
                                                        QStringLiteral("Üstbilgi/Altbilgi"),
                                                        QStringLiteral("&Başlık"), QStringLiteral("Excel")}));
      QCOMPARE(view.findChild<QPushButton*>(QStringLiteral("bStart"))->text(), Expect("İŞLEME BAŞLA", "START"));
      QCOMPARE(view.findChild<QPushButton*>(QStringLiteral("bCancel"))->text(), Expect("ÇIKIŞ", "EXIT"));
      QCOMPARE(view.findChild<QPushButton*>(QStringLiteral("bBrowse"))->text(), Expect("Seç...", "Browse..."));
      QCOMPARE(view.findChild<QAbstractButton*>(QStringLiteral("rbType13"))->text(), Expect("Windows Pano", "Clipboard"));
      // Every page's tab fits in either language.
      for (int i = 0; i < pages->count(); ++i)
        if (pages->isTabVisible(i)) QVERIFY(pages->tabBar()->rect().contains(pages->tabBar()->tabRect(i)));
      if (english_) QVERIFY2(TurkishCaptions(view).isEmpty(), qPrintable(TurkishCaptions(view).join(u'|')));
    });
  }

  void progressWindowAndFailureMessage() {
    TfmTesselProgress progress(nullptr, [] {});
    progress.show();
    QCOMPARE(progress.windowTitle(), Expect("Çıkartılıyor...", "Exporting..."));
    QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("laStatus"))->text(), Expect("Durum", "Status"));
    QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("laTime"))->text(), Expect("Geçen Zaman", "Elapsed Time"));
    progress.Notify(TTesselProgress::pnBeginExport);
    QCOMPARE(progress.Button()->text(), Expect("İptal", "Cancel"));
    progress.Notify(TTesselProgress::pnFinished);
    QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("laStatusValue"))->text(), Expect("Bitti", "Finished"));
    QCOMPARE(progress.Button()->text(), Expect("Tamam", "OK"));
    // The English lines name their values in their own order.
    QCOMPARE(ToQString(TTesselProgress::LossText({u"Ad", TLossKind::UnwritableCharacter, u"1252", 1204})),
             Expect("\"Ad\" alanında 1252 kod sayfasında yazılamayan 1.204 karakter \"?\" olarak yazıldı.",
                    "Field \"Ad\": 1,204 characters that code page 1252 cannot hold were written as \"?\"."));
    QCOMPARE(ToQString(TTesselProgress::SalvageReportLines({"a", "b", "c", "d", "e", "f", "g", "h", "sum"}).at(7)),
             Expect("… ve 2 sorun daha", "… and 2 more problems"));

    // A folder that cannot be made: its parent is a file.
    std::ofstream(dir_->File("plain.txt")) << "x";
    const std::string target = dir_->File("plain.txt") + "/sub/out.csv";
    test::TModalAnswerer answerer;
    answerer.Then(test::PressInMessageBox(answerer, QMessageBox::Ok));
    TTesselDialog dialog;
    WithForm(dialog, [&](TTesselDialogF& view) {
      auto* edit = view.findChild<QLineEdit*>(QStringLiteral("edFileName"));
      QTest::keyClicks(edit, QString::fromStdString(target));
      view.findChild<QAbstractButton*>(QStringLiteral("rbType8"))->click();
      view.bStartClick();
    });
    QCOMPARE(answerer.seenMessages.size(), 1);
    const QString folder = QString::fromStdString(dir_->File("plain.txt") + "/sub");
    QCOMPARE(answerer.seenMessages.front(),
             english_ ? QStringLiteral("[ %1 ] folder not found and the file could not be created.").arg(folder)
                      : QStringLiteral("[ %1 ] dizin bulunamadı ve dosya oluşturulamadı.").arg(folder));
  }
};

}  // namespace verimo

QTEST_MAIN(verimo::LanguageTest)
#include "LanguageTest.moc"
