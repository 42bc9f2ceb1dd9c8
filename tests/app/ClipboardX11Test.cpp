#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include "app/QtClipboard.h"
#include "formats/text/TesselClipboard.h"
#include "platform/data/MemDataSet.h"

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

  // The clipboard export's rows, as another program pastes them.
  void exportedRowsReadBackWithXclip() {
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) QSKIP("xclip is missing");
    TMemDataSet data;
    data.AddFieldDef(u"Ad", ftString, 20);
    data.AddFieldDef(u"Şehir", ftString, 20);
    data.AddFieldDef(u"Yaş", ftInteger);
    data.AppendRecord({Variant::FromText(u"Ayşe"), Variant::FromText(u"İzmir"), Variant::FromInt(41)});
    data.AppendRecord({Variant::FromText(u"Ömer \"Öz\""), Variant::FromText(u"Muğla, Bodrum"), Variant::Null()});
    data.Open();
    TQtClipboard clipboard;
    TTesselClipboard exporter;
    exporter.DataSet = &data;
    exporter.Clipboard = &clipboard;
    exporter.Separator = u'\t';
    exporter.Formats().SetIntegerFormat(u"0");
    exporter.Execute();
    QCOMPARE(QString::fromUtf8(ReadWithXclip()),
             QStringLiteral("Ad\t\u015Eehir\tYa\u015F\r\nAy\u015Fe\t\u0130zmir\t41\r\n"
                            "\u00D6mer \"\u00D6z\"\tMu\u011Fla, Bodrum\t\r\n"));
  }
};

}  // namespace verimo

QTEST_MAIN(verimo::ClipboardX11Test)
#include "ClipboardX11Test.moc"
