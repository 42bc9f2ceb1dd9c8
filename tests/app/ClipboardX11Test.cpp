#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include "app/QtClipboard.h"

namespace verimo {

// Runs under a virtual X server: another program reads what the clipboard
// holds while this one serves it.
class ClipboardX11Test : public QObject {
  Q_OBJECT

 private:
  // What `xclip -o` prints, with this program's event loop running.
  static QByteArray ReadWithXclip() {
    QProcess xclip;
    QEventLoop loop;
    connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
    connect(&xclip, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    loop.exec();
    return xclip.readAllStandardOutput();
  }

 private slots:
  void otherProgramsReadTheText() {
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) QSKIP("xclip is missing");
    TQtClipboard clipboard;
    const WideString text = u"Ad\tŞehir\r\nAyşe\tİzmir\r\n";
    clipboard.SetText(text + u'\0');
    QVERIFY(clipboard.HasText());
    QCOMPARE(clipboard.GetText(), text);
    QCOMPARE(ReadWithXclip(), QByteArray("Ad\t\xC5\x9E" "ehir\r\nAy\xC5\x9F" "e\t\xC4\xB0zmir\r\n"));
  }
};

}  // namespace verimo

QTEST_MAIN(verimo::ClipboardX11Test)
#include "ClipboardX11Test.moc"
