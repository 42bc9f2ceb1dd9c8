#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>
#include <QtTest>
#include <fstream>

#include "AppTestSupport.h"
#include "app/DialogWindow.h"
#include "app/MainWindow.h"
#include "app/ProgramSettingsDialog.h"
#include "app/ProgressWindow.h"
#include "dialog/DialogTestSupport.h"
#include "platform/codepage/CodePage.h"
#include "platform/codepage/SystemCodePages.h"
#include "platform/shell/RecordingShellLauncher.h"
#include "support/TestPaths.h"

namespace verimo {

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  static QString Fixture(const char* relative) {
    const auto shared = test::SharedDir();
    return shared ? QString::fromStdString((*shared / "fixtures/paradox" / relative).string()) : QString();
  }

  // Answers the password prompt: cancels it, or types the password.
  static test::TModalAnswerer::THandler AnswerPassword(int& asked, const QString& password = {}) {
    return [&asked, password](QWidget* modal) {
      auto* prompt = qobject_cast<QInputDialog*>(modal);
      if (!prompt || prompt->windowTitle() != QStringLiteral("Enter password")) return false;
      ++asked;
      if (password.isEmpty()) {
        prompt->reject();
      } else {
        QTest::keyClicks(prompt->findChild<QLineEdit*>(), password);
        prompt->accept();
      }
      return true;
    };
  }

  TRecordingShellLauncher launcher_;
  int sampleReadIn_ = 0;  // the code page the sample was read in, at the last CodePageOfSampleExport

 private slots:
  void windowLayout() {
    TForm2 window(&launcher_);
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("Verimo"));
    QCOMPARE(window.size(), QSize(182, 60));
    QCOMPARE(window.Button1()->text(), QStringLiteral("Paradox Dosya Seç..."));
    QCOMPARE(window.Button1()->geometry(), QRect(8, 8, 166, 25));
    QCOMPARE(window.StatusBar1()->height(), 19);
    QCOMPARE(window.TesselDialog1().CSVOptions.Comma, u';');
    QVERIFY(window.TesselDialog1().SaveLoadButtons);
  }

  void cancellingTheFileDialogOpensNothing() {
    TForm2 window(&launcher_);
    QString filter;
    window.AskTableFile = [&](const QString& asked) {
      filter = asked;
      return QString();
    };
    QTest::mouseClick(window.Button1(), Qt::LeftButton);
    QCOMPARE(filter, QStringLiteral("Paradox Files (*.db)"));
    QVERIFY(!window.Table1().Active());
  }

  void cancelledPasswordLeavesTheTableClosedAndTheWindowUsable() {
    if (!test::SharedDir()) QSKIP("shared fixtures folder not found beside the checkout");
    TForm2 window(&launcher_);
    window.show();
    window.AskTableFile = [](const QString&) { return Fixture("encrypt/encrypted.db"); };
    test::TModalAnswerer answerer;
    int asked = 0;
    answerer.Then(AnswerPassword(asked));
    answerer.Then(test::PressInMessageBox(answerer, QMessageBox::Ok));
    QTest::mouseClick(window.Button1(), Qt::LeftButton);
    QCOMPARE(asked, 1);
    QCOMPARE(answerer.seenMessages.size(), 1);
    QVERIFY(!window.Table1().Active());
    QVERIFY(window.Button1()->isEnabled());

    // The right password opens the table and the export form; closing the
    // form closes the table again.
    int fields = 0;
    bool openWhileShown = false;
    answerer.Then(AnswerPassword(asked, QStringLiteral("123")));
    answerer.Then([&](QWidget* modal) {
      auto* form = dynamic_cast<TTesselDialogF*>(modal);
      if (!form) return false;
      fields = form->findChild<QListWidget*>(QStringLiteral("lstAvailable"))->count();
      openWhileShown = window.Table1().Active();
      form->close();
      return true;
    });
    QTest::mouseClick(window.Button1(), Qt::LeftButton);
    QCOMPARE(asked, 2);
    QVERIFY(fields > 0);
    QVERIFY(openWhileShown);
    QVERIFY(!window.Table1().Active());
  }

  // A table dropped on the window opens the export form as if chosen with
  // the button; anything else is refused.
  void droppedTableOpensTheExportForm() {
    TForm2 window(&launcher_);
    window.show();
    const QString sample = QString::fromStdString((test::SourceDir() / "samples" / "MUSTERI.DB").string());
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/notes.txt"))});
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &refused);
    QVERIFY(!refused.isAccepted());

    QMimeData table;
    table.setUrls({QUrl::fromLocalFile(sample)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &table, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QVERIFY(enter.isAccepted());

    test::TModalAnswerer answerer;
    int fields = 0;
    QString target;
    bool startEnabled = false;
    answerer.Then([&](QWidget* modal) {
      auto* form = dynamic_cast<TTesselDialogF*>(modal);
      if (!form) return false;
      fields = form->findChild<QListWidget*>(QStringLiteral("lstAvailable"))->count() +
               form->findChild<QListWidget*>(QStringLiteral("lstExported"))->count();
      target = form->findChild<QLineEdit*>(QStringLiteral("edFileName"))->text();
      startEnabled = form->findChild<QPushButton*>(QStringLiteral("bStart"))->isEnabled();
      form->close();
      return true;
    });
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &table, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    QTRY_VERIFY(answerer.AllAnswered());
    QCOMPARE(fields, 8);
    // The export is proposed beside the table, under its name, as the first type.
    QCOMPARE(target, QFileInfo(sample).absolutePath() + QStringLiteral("/MUSTERI.xls"));
    QVERIFY(startEnabled);
    QVERIFY(!window.Table1().Active());
  }

  // The ANSI code page in force while the export form of the sample is open.
  int CodePageOfSampleExport(TForm2& window) {
    test::TModalAnswerer answerer;
    int codePage = 0;
    answerer.Then([&](QWidget* modal) {
      auto* form = dynamic_cast<TTesselDialogF*>(modal);
      if (!form) return false;
      codePage = SystemCodePage(TSystemCodePage::Ansi);
      sampleReadIn_ = window.Table1().Info().codePage;
      form->close();
      return true;
    });
    window.ExportTable(QString::fromStdString((test::SourceDir() / "samples" / "MUSTERI.DB").string()));
    return codePage;
  }

  // "Ayarlar..." keeps the export code page and locale in the program's
  // settings file; a chosen code page holds for the next table, "automatic"
  // returns to the locale's (or, under a neutral locale, the table's).
  void programSettingsChooseTheExportCodePage() {
    test::TTempDir dir("verimo-settings");
    TForm2 window(&launcher_);
    window.ProgramSettingsFile = QString::fromStdString(dir.File("Verimo/verimo.conf"));
    window.show();
    QCOMPARE(window.actions().size(), 1);

    test::TModalAnswerer answerer;
    int shownCodePage = -1;
    answerer.Then([&](QWidget* modal) {
      auto* dialog = dynamic_cast<TProgramSettingsDialog*>(modal);
      if (!dialog) return false;
      shownCodePage = dialog->CodePageBox()->currentData().toInt();
      dialog->CodePageBox()->setCurrentIndex(dialog->CodePageBox()->findData(1251));
      dialog->TableCodePageBox()->setCurrentIndex(dialog->TableCodePageBox()->findData(1250));
      dialog->LocaleBox()->setCurrentText(QStringLiteral("de_DE"));
      dialog->accept();
      return true;
    });
    window.actions().first()->trigger();
    QVERIFY(answerer.AllAnswered());
    QCOMPARE(shownCodePage, 0);
    const TProgramSettings saved = TProgramSettings::Load(window.ProgramSettingsFile);
    QCOMPARE(saved.codePage, 1251);
    QCOMPARE(saved.locale, std::string("de_DE"));
    QCOMPARE(saved.tableCodePage, 1250);
    QCOMPARE(CodePageOfSampleExport(window), 1251);
    QCOMPARE(sampleReadIn_, 1250);  // not the 1254 its header names

    TProgramSettings automatic;
    QVERIFY(automatic.Save(window.ProgramSettingsFile));
    const std::string locale = UserCharacterLocale();
    int tableCodePage = 0;
    {
      TTable sample;
      sample.SetDatabaseName((test::SourceDir() / "samples").string());
      sample.SetTableName("MUSTERI.DB");
      sample.Open();
      tableCodePage = sample.Info().codePage;
      sample.Close();
    }
    const auto family = CodePageFamily(tableCodePage);
    const int expected = (IsNeutralLocale(locale) || IsUtf8Locale(locale)) && family ? family->ansi
                                                           : LocaleSystemCodePage(TSystemCodePage::Ansi, locale);
    QCOMPARE(CodePageOfSampleExport(window), expected);
    SetSystemCodePages({0, 0, 0});
  }

  void unreadableProgramSettingsAreTheDefaults() {
    test::TTempDir dir("verimo-settings");
    const std::string file = dir.File("verimo.conf");
    std::ofstream(file) << "[Export]\nCodePage=70000\nLocale=  \n";
    const TProgramSettings settings = TProgramSettings::Load(QString::fromStdString(file));
    QCOMPARE(settings.codePage, 0);
    QVERIFY(settings.locale.empty());
  }

  // A table whose data blocks are damaged does not open: the user is asked,
  // with the reason, whether to recover what can still be read. "Yes" opens
  // it in salvage mode, and the progress window of an export shows what
  // was lost.
  void damagedTableOffersToRecoverWhatCanBeRead() {
    if (!test::SharedDir()) QSKIP("shared fixtures folder not found beside the checkout");
    test::TTempDir dir("verimo-salvage");
    const std::string table = dir.File("County.DB");
    {
      std::ifstream in(*test::SharedDir() / "fixtures/paradox/geog/County.DB", std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      bytes.replace(2048 + 4 * 16384, 16384, 16384, '\0');  // block 5 of 8 holds only zero bytes
      std::ofstream(table, std::ios::binary) << bytes;
    }
    TForm2 window(&launcher_);
    window.show();
    window.AskTableFile = [&](const QString&) { return QString::fromStdString(table); };

    test::TModalAnswerer answerer;
    answerer.Then(test::PressInMessageBox(answerer, QMessageBox::No, [](QMessageBox& box) {
      QCOMPARE(box.objectName(), QStringLiteral("SalvageQuestion"));
      QCOMPARE(box.defaultButton(), box.button(QMessageBox::No));
    }));
    QTest::mouseClick(window.Button1(), Qt::LeftButton);
    QVERIFY(answerer.AllAnswered());
    QVERIFY2(answerer.seenMessages.first().contains(
                 QStringLiteral("the header counts 3,218 records, the data blocks hold 1,817")),
             qPrintable(answerer.seenMessages.first()));
    QVERIFY(!window.Table1().Active());

    const std::string target = dir.File("county.csv");
    int64_t records = -1;
    QString shown;
    answerer.Then(test::PressInMessageBox(answerer, QMessageBox::Yes));
    answerer.Then([&](QWidget* modal) {
      auto* form = dynamic_cast<TTesselDialogF*>(modal);
      if (!form) return false;
      records = window.Table1().RecordCount();
      window.TesselDialog1().OnBeginExport = [&shown, form](TTessel&) {
        shown = form->ProgressWindow()->findChild<QLabel*>(QStringLiteral("laWarnings"))->text();
      };
      form->findChild<QAbstractButton*>(QStringLiteral("rbType8"))->click();
      auto* fileName = form->findChild<QLineEdit*>(QStringLiteral("edFileName"));
      fileName->selectAll();
      QTest::keyClicks(fileName, QString::fromStdString(target));
      QTest::mouseClick(form->findChild<QAbstractButton*>(QStringLiteral("bStart")), Qt::LeftButton);
      form->close();
      return true;
    });
    QTest::mouseClick(window.Button1(), Qt::LeftButton);
    QVERIFY(answerer.AllAnswered());
    window.TesselDialog1().OnBeginExport = nullptr;
    QCOMPARE(records, int64_t{2764});
    QVERIFY2(shown.startsWith(QStringLiteral("Hasarlı tablodan kurtarılanlar:\nblock 5 at offset 67584: it holds only "
                                             "zero bytes; skipped: up to 454 records\n")),
             qPrintable(shown));
    QVERIFY2(shown.endsWith(QStringLiteral("\nrecovered 2,764 of an expected 3,218 records; 1 block skipped")),
             qPrintable(shown));
    QVERIFY(!window.Table1().Active());
    std::ifstream csv(target);
    QCOMPARE(std::count(std::istreambuf_iterator<char>(csv), std::istreambuf_iterator<char>(), '\n'), 2765);

    // The next table opens as it is again: a damaged one asks once more.
    answerer.Then(test::PressInMessageBox(answerer, QMessageBox::No));
    QTest::mouseClick(window.Button1(), Qt::LeftButton);
    QVERIFY(answerer.AllAnswered());
    QCOMPARE(answerer.seenMessages.size(), 3);
  }

  void missingOrCorruptTablesShowTheirError() {
    test::TTempDir dir("verimo-main");
    const std::string corrupt = dir.File("BROKEN.DB");
    std::ofstream(corrupt, std::ios::binary) << "this is not a Paradox table at all";
    TForm2 window(&launcher_);
    window.show();
    for (const std::string& path : {dir.File("MISSING.DB"), corrupt}) {
      window.AskTableFile = [&](const QString&) { return QString::fromStdString(path); };
      test::TModalAnswerer answerer;
      answerer.Then(test::PressInMessageBox(answerer, QMessageBox::Ok));
      QTest::mouseClick(window.Button1(), Qt::LeftButton);
      QVERIFY(answerer.AllAnswered());
      QVERIFY(!answerer.seenMessages.first().isEmpty());
      QVERIFY(!window.Table1().Active());
      QVERIFY(window.Button1()->isEnabled());
    }
  }
};

}  // namespace verimo

QTEST_MAIN(verimo::MainWindowTest)
#include "MainWindowTest.moc"
