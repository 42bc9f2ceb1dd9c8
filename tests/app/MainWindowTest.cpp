#include <QDragEnterEvent>
#include <QDropEvent>
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
#include "dialog/DialogTestSupport.h"
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
    answerer.Then([&](QWidget* modal) {
      auto* form = dynamic_cast<TTesselDialogF*>(modal);
      if (!form) return false;
      fields = form->findChild<QListWidget*>(QStringLiteral("lstAvailable"))->count() +
               form->findChild<QListWidget*>(QStringLiteral("lstExported"))->count();
      form->close();
      return true;
    });
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &table, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    QTRY_VERIFY(answerer.AllAnswered());
    QCOMPARE(fields, 8);
    QVERIFY(!window.Table1().Active());
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
