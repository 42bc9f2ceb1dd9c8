#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/ProgressWindow.h"

namespace verimo {

class ProgressWindowTest : public QObject {
  Q_OBJECT

 private:
  static QString Label(const TfmTesselProgress& window, const char* name) {
    return window.findChild<QLabel*>(QString::fromLatin1(name))->text();
  }

 private slots:
  void showsTheTitlesAndTheZeroTimeWhenCreated() {
    TfmTesselProgress window(nullptr, [] {});
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("Çıkartılıyor..."));
    QCOMPARE(Label(window, "laStatus"), QStringLiteral("Durum"));
    QCOMPARE(Label(window, "laTime"), QStringLiteral("Geçen Zaman"));
    QCOMPARE(Label(window, "laSpeed"), QStringLiteral("Aktarım Hızı"));
    QCOMPARE(Label(window, "laTimeValue"), QStringLiteral("0:00:00"));
    QCOMPARE(window.size(), QSize(301, 140));
    QVERIFY(!window.Timer()->isActive());
  }

  void timerRunsWhileExportingAndStopsWhenPausedOrDone() {
    TfmTesselProgress window(nullptr, [] {});
    window.Notify(TTesselProgress::pnBeginExport);
    QVERIFY(window.Timer()->isActive());
    QCOMPARE(window.Timer()->interval(), 1000);
    for (int i = 0; i < 90; ++i) window.Notify(TTesselProgress::pnExportedRecord);
    QCOMPARE(Label(window, "laExported"), QStringLiteral("Aktarılan Kayıt"));
    QCOMPARE(Label(window, "laExportedValue"), QStringLiteral("90"));
    for (int i = 0; i < 3; ++i) window.TimerTick();
    QCOMPARE(Label(window, "laTimeValue"), QStringLiteral("0:00:03"));
    QCOMPARE(Label(window, "laSpeedValue"), QStringLiteral("30 satır/sn"));
    window.Notify(TTesselProgress::pnPaused);
    QCOMPARE(Label(window, "laStatusValue"), QStringLiteral("Dur"));
    QVERIFY(!window.Timer()->isActive());
    window.Notify(TTesselProgress::pnResumed);
    QVERIFY(window.Timer()->isActive());
    window.Notify(TTesselProgress::pnFinished);
    QVERIFY(!window.Timer()->isActive());
    QCOMPARE(window.Button()->text(), QStringLiteral("Tamam"));
  }

  void buttonAbortsWhileRunning() {
    int aborts = 0;
    TfmTesselProgress window(nullptr, [&] { ++aborts; });
    window.show();
    window.Notify(TTesselProgress::pnBeginExport);
    window.Notify(TTesselProgress::pnExportedRecord);
    QCOMPARE(window.Button()->text(), QStringLiteral("İptal"));
    QTest::mouseClick(window.Button(), Qt::LeftButton);
    QCOMPARE(aborts, 1);
    QVERIFY(!window.Progress().ModalResultOK());
  }

  void escapeAndCloseWaitForTheEndOfTheRun() {
    TfmTesselProgress window(nullptr, [] {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.Notify(TTesselProgress::pnBeginExport);
    window.Notify(TTesselProgress::pnExportedRecord);
    QTest::keyClick(&window, Qt::Key_Escape);
    window.close();
    QVERIFY(window.isVisible());
    QVERIFY(!window.Progress().ModalResultOK());

    window.Notify(TTesselProgress::pnFinished);
    // The dialog's wait ends at the first Esc after the run.
    QTimer::singleShot(0, &window, [&] { QTest::keyClick(&window, Qt::Key_Escape); });
    window.WaitForOK();
    QVERIFY(window.Progress().ModalResultOK());
  }

  void closeNotificationHidesTheWindow() {
    TfmTesselProgress window(nullptr, [] {});
    window.show();
    window.Notify(TTesselProgress::pnFinished);
    window.Notify(TTesselProgress::pnClose);
    QVERIFY(!window.isVisible());
  }
};

}  // namespace verimo

QTEST_MAIN(verimo::ProgressWindowTest)
#include "ProgressWindowTest.moc"
