#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "AppTestSupport.h"
#include "app/DialogWindow.h"
#include "app/HTMLOptionsPage.h"
#include "app/ProgressWindow.h"
#include "dialog/DialogTestSupport.h"
#include "dialog/TesselDialog.h"
#include "support/TestPaths.h"
#include "platform/shell/RecordingShellLauncher.h"

namespace verimo {

using Rows = std::vector<std::vector<std::string>>;

class DialogWindowTest : public QObject {
  Q_OBJECT

 private:
  template <typename T>
  static T* Child(QWidget& view, const char* name) {
    T* child = view.findChild<T*>(QString::fromLatin1(name));
    if (!child) qFatal("no control %s", name);
    return child;
  }
  static QStringList Items(QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
  }
  static bool TabShown(TTesselDialogF& view, const char* pageName) {
    auto* pages = Child<QTabWidget>(view, "Pages");
    return pages->isTabVisible(pages->indexOf(Child<QWidget>(view, pageName)));
  }
  static QString StatusOf(const TTesselDialogF& view) {
    return view.ProgressWindow()->findChild<QLabel*>(QStringLiteral("laStatusValue"))->text();
  }
  // Types a file name into the target box as a user would.
  static void TypeFileName(TTesselDialogF& view, const QString& name) {
    auto* edit = Child<QLineEdit>(view, "edFileName");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, name);
  }
  // Drags an entry described as "list:row" onto a list, as the drag
  // machinery delivers it: enter, move, drop.
  static void Drop(QListWidget* target, const char* payload) {
    QMimeData data;
    data.setData(QString::fromLatin1(TFieldListWidget::kMimeType), QByteArray(payload));
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target->viewport(), &move);
    if (!move.isAccepted()) return;
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target->viewport(), &drop);
  }
  static void Click(QWidget& view, const char* name) { QTest::mouseClick(Child<QAbstractButton>(view, name), Qt::LeftButton); }

  // Opens the dialog's form in a window and runs `body` on it.
  void WithWindow(TTesselDialog& dialog, const std::function<void(TTesselDialogF&)>& body) {
    dialog.FormPresenter = [&](TTesselDialogForm& form) {
      TTesselDialogF view(form);
      view.show();
      if (!QTest::qWaitForWindowExposed(&view)) qFatal("the form did not show");
      body(view);
    };
    dialog.Execute();
  }
  void Bind(TTesselDialog& dialog) {
    dialog.DataSet = table_.get();
    dialog.ShellLauncher = &launcher_;
    dialog.CSVOptions.Comma = u';';
    dialog.SaveLoadButtons = true;
  }

  std::unique_ptr<TMemDataSet> table_;
  TRecordingShellLauncher launcher_;
  std::unique_ptr<test::TTempDir> dir_;

 private slots:
  void init() {
    table_ = test::MakeCustomers();
    launcher_.requests.clear();
    dir_ = std::make_unique<test::TTempDir>("verimo-gui");
  }
  void cleanup() { dir_.reset(); }

  void typeListAndExtensionFollowTheChosenType() {
    TTesselDialog dialog;
    Bind(dialog);
    WithWindow(dialog, [&](TTesselDialogF& view) {
      QCOMPARE(view.height(), 475);
      QVERIFY(view.width() >= 469);
      QCOMPARE(view.windowTitle(), QStringLiteral("Export Formu"));
      QVERIFY(!Child<QPushButton>(view, "bStart")->isEnabled());
      QVERIFY(Child<QRadioButton>(view, "rbType0")->isEnabled());
      QCOMPARE(Child<QRadioButton>(view, "rbType0")->text(), QStringLiteral("MS Excel"));
      QVERIFY(Child<QRadioButton>(view, "rbType0")->isChecked());
      QVERIFY(TabShown(view, "tshExcel"));
      QVERIFY(Child<QRadioButton>(view, "rbType6")->isEnabled());  // PDF

      TypeFileName(view, QString::fromStdString(dir_->File("report.xls")));
      QVERIFY(Child<QPushButton>(view, "bStart")->isEnabled());
      Click(view, "rbType1");  // MS Word
      QCOMPARE(Child<QLineEdit>(view, "edFileName")->text(), QString::fromStdString(dir_->File("report.doc")));
      QVERIFY(TabShown(view, "tshWordRTF"));
      Click(view, "rbType2");  // RTF
      QCOMPARE(Child<QLineEdit>(view, "edFileName")->text(), QString::fromStdString(dir_->File("report.rtf")));
      QVERIFY(TabShown(view, "tshWordRTF"));
      Click(view, "rbType8");  // CSV Dosyası
      QCOMPARE(Child<QLineEdit>(view, "edFileName")->text(), QString::fromStdString(dir_->File("report.csv")));
      QCOMPARE(view.windowTitle(), QStringLiteral("Export Formu -- Çıktı [report.csv]"));
      QVERIFY(TabShown(view, "tshAscii"));
      QVERIFY(!TabShown(view, "tshExcel"));
      Click(view, "rbType10");  // SYLK Dosyası
      QCOMPARE(Child<QLineEdit>(view, "edFileName")->text(), QString::fromStdString(dir_->File("report.slk")));
      QVERIFY(!TabShown(view, "tshAscii"));
      QVERIFY(TabShown(view, "tshCaptions"));

      TypeFileName(view, QString());
      QVERIFY(!Child<QPushButton>(view, "bStart")->isEnabled());
      QCOMPARE(view.windowTitle(), QStringLiteral("Export Formu"));
    });
  }

  // Whatever the type, the tab row shows every page it offers in full,
  // without the tab bar's scroll arrows, also with a later page current.
  void everyTabFitsAtTheDefaultSize() {
    TTesselDialog dialog;
    Bind(dialog);
    WithWindow(dialog, [&](TTesselDialogF& view) {
      auto* pages = Child<QTabWidget>(view, "Pages");
      QTabBar* bar = pages->tabBar();
      int optionPagesSeen = 0;
      int widestRow = 0;
      for (int type = 0; type < kExportTypeCount; ++type) {
        Child<QAbstractButton>(view, QStringLiteral("rbType%1").arg(type).toLatin1().constData())->click();
        for (QWidget* current : {Child<QWidget>(view, "tshExportType"), Child<QWidget>(view, "tshFields")}) {
          pages->setCurrentWidget(current);
          QCoreApplication::processEvents();
          for (int i = 0; i < pages->count(); ++i) {
            if (!pages->isTabVisible(i)) continue;
            const QRect tab(bar->mapTo(&view, bar->tabRect(i).topLeft()), bar->tabRect(i).size());
            QVERIFY2(view.rect().contains(tab) && bar->rect().contains(bar->tabRect(i)),
                     qPrintable(QStringLiteral("type %1: tab \"%2\" is cut off").arg(type).arg(pages->tabText(i))));
          }
          for (auto* arrow : bar->findChildren<QToolButton*>()) QVERIFY(!arrow->isVisible());
          int row = 0;
          for (int i = 0; i < pages->count(); ++i)
            if (pages->isTabVisible(i)) row += bar->tabRect(i).width();
          widestRow = std::max(widestRow, row);
        }
        for (int i = pages->indexOf(Child<QWidget>(view, "tshAscii")); i < pages->count(); ++i)
          if (pages->isTabVisible(i)) ++optionPagesSeen;
      }
      QCOMPARE(optionPagesSeen, 14);  // every type but DBF, DIF, SYLK, LaTeX and the clipboard
      // Not much wider than that either.
      QVERIFY2(view.width() <= std::max(469, widestRow + 64),
               qPrintable(QStringLiteral("%1 wide for a row of %2").arg(view.width()).arg(widestRow)));
    });
  }

  // The form proposes the source's name with the type's extension; the
  // proposal follows every type change, a name the user typed only while it
  // has the previous type's extension.
  void targetIsProposedAndTypedNamesKeepTheirExtension() {
    TTesselDialog dialog;
    Bind(dialog);
    dialog.ProposedFileName = dir_->File("musteri.db");
    WithWindow(dialog, [&](TTesselDialogF& view) {
      auto* edit = Child<QLineEdit>(view, "edFileName");
      QCOMPARE(edit->text(), QString::fromStdString(dir_->File("musteri.xls")));
      QVERIFY(Child<QPushButton>(view, "bStart")->isEnabled());
      QCOMPARE(view.windowTitle(), QStringLiteral("Export Formu -- Çıktı [musteri.xls]"));
      Child<QAbstractButton>(view, "rbType13")->click();  // Windows Pano
      Child<QAbstractButton>(view, "rbType8")->click();   // CSV Dosyası
      QCOMPARE(edit->text(), QString::fromStdString(dir_->File("musteri.csv")));

      TypeFileName(view, QString::fromStdString(dir_->File("rapor.csv")));
      Child<QAbstractButton>(view, "rbType13")->click();
      Child<QAbstractButton>(view, "rbType7")->click();  // Metin Dosyası
      QCOMPARE(edit->text(), QString::fromStdString(dir_->File("rapor.txt")));
      TypeFileName(view, QString::fromStdString(dir_->File("rapor.dat")));
      Child<QAbstractButton>(view, "rbType8")->click();
      QCOMPARE(edit->text(), QString::fromStdString(dir_->File("rapor.dat")));
      TypeFileName(view, QString::fromStdString(dir_->File("rapor")));
      Child<QAbstractButton>(view, "rbType7")->click();
      QCOMPARE(edit->text(), QString::fromStdString(dir_->File("rapor")));

      // Starting gives a name without an extension the type's; a name with
      // an extension of its own is written as it is.
      Click(view, "bStart");
      QVERIFY(std::filesystem::exists(dir_->File("rapor.txt")));
      QCOMPARE(edit->text(), QString::fromStdString(dir_->File("rapor.txt")));
      TypeFileName(view, QString::fromStdString(dir_->File("rapor.dat")));
      Click(view, "bStart");
      QVERIFY(std::filesystem::exists(dir_->File("rapor.dat")));
      QCOMPARE(edit->text(), QString::fromStdString(dir_->File("rapor.dat")));
    });
  }

  void accessPageFillsTheTableItNames() {
    TTesselDialog dialog;
    Bind(dialog);
    const std::string target = dir_->File("liste.mdb");
    WithWindow(dialog, [&](TTesselDialogF& view) {
      TypeFileName(view, QString::fromStdString(dir_->File("liste.xls")));
      Click(view, "rbType18");  // MS Access
      QCOMPARE(Child<QLineEdit>(view, "edFileName")->text(), QString::fromStdString(target));
      QVERIFY(TabShown(view, "tshAccess"));
      QVERIFY(!TabShown(view, "tshFormats"));
      QVERIFY(!TabShown(view, "tshAscii"));
      auto* table = Child<QLineEdit>(view, "edAccessTableName");
      QCOMPARE(table->text(), QStringLiteral("EXPORT_TABLE"));
      table->selectAll();
      QTest::keyClicks(table, QStringLiteral("MUSTERI"));
      QVERIFY(Child<QCheckBox>(view, "chAccessCreateTable")->isChecked());
      Click(view, "bStart");
    });
    std::string tables;
    QCOMPARE(test::RunCommand("mdb-tables -1 " + test::ShellQuote(target), &tables), 0);
    QCOMPARE(QString::fromStdString(tables), QStringLiteral("MUSTERI\n"));
    QCOMPARE(launcher_.requests.size(), size_t{1});  // "open file after export" is on
  }

  void sqlOptionPageAndTheClipboardType() {
    TTesselDialog dialog;
    Bind(dialog);
    WithWindow(dialog, [&](TTesselDialogF& view) {
      TypeFileName(view, QString::fromStdString(dir_->File("report.xls")));
      // The short caption leaves the button's middle outside its text.
      Child<QAbstractButton>(view, "rbType12")->click();  // SQL
      QCOMPARE(Child<QLineEdit>(view, "edFileName")->text(), QString::fromStdString(dir_->File("report.sql")));
      QVERIFY(TabShown(view, "tshSQL"));
      QVERIFY(!TabShown(view, "tshFormats"));
      QVERIFY(!TabShown(view, "tshCaptions"));
      Child<QComboBox>(view, "cbSQLScriptType")->setCurrentIndex(6);
      QCOMPARE(view.Form().SQLOptions.ScriptType, qstPg);
      QTest::keyClicks(Child<QLineEdit>(view, "edSQLTableName"), QStringLiteral("sema.Tablo"));
      QCOMPARE(view.Form().SQLOptions.TableName, WideString(u"sema.Tablo"));
      Child<QCheckBox>(view, "chSQLCreateTable")->setChecked(true);
      QVERIFY(view.Form().SQLOptions.CreateTable);

      Child<QAbstractButton>(view, "rbType13")->click();  // Windows Pano
      QVERIFY(!TabShown(view, "tshSQL"));
      QVERIFY(!Child<QLineEdit>(view, "edFileName")->isEnabled());
      QVERIFY(Child<QPushButton>(view, "bStart")->isEnabled());
    });
  }

  void fieldsMoveWithButtonsDoubleClickAndDrop() {
    TTesselDialog dialog;
    Bind(dialog);
    WithWindow(dialog, [&](TTesselDialogF& view) {
      Child<QTabWidget>(view, "Pages")->setCurrentWidget(Child<QWidget>(view, "tshFields"));
      auto* available = Child<QListWidget>(view, "lstAvailable");
      auto* exported = Child<QListWidget>(view, "lstExported");
      QCOMPARE(Items(available), (QStringList{"Id", "Name", "Amount", "Photo", "Joined"}));

      available->setCurrentRow(2);
      Click(view, "bAddOneExportedField");
      QCOMPARE(Items(exported), QStringList{"Amount"});

      QVERIFY(QTest::qWaitForWindowExposed(available));
      const QPoint first = available->visualItemRect(available->item(0)).center();
      QTest::mouseClick(available->viewport(), Qt::LeftButton, {}, first);
      QTest::mouseDClick(available->viewport(), Qt::LeftButton, {}, first);
      QCOMPARE(Items(exported), (QStringList{"Amount", "Id"}));

      // Dropping an entry of the exported list onto the available one.
      Drop(available, "lstExported:0");
      QCOMPARE(Items(exported), QStringList{"Id"});
      QCOMPARE(Items(available), (QStringList{"Name", "Amount", "Photo", "Joined"}));  // back in its place
      // A drop within the same list changes nothing.
      Drop(available, "lstAvailable:0");
      QCOMPARE(Items(available), (QStringList{"Name", "Amount", "Photo", "Joined"}));

      Click(view, "bAddAllExportedField");
      QCOMPARE(available->count(), 0);
      Click(view, "bDelAllExportedField");
      QCOMPARE(Items(available), (QStringList{"Id", "Name", "Amount", "Photo", "Joined"}));
    });
  }

  void patternsCaptionsAndACsvExportThatOpensTheResult() {
    TTesselDialog dialog;
    Bind(dialog);
    const std::string target = dir_->File("sub/dir/out.csv");
    WithWindow(dialog, [&](TTesselDialogF& view) {
      Click(view, "rbType8");
      TypeFileName(view, QString::fromStdString(target));
      auto* available = Child<QListWidget>(view, "lstAvailable");
      for (int row : {1, 1}) {  // Name, then Amount
        available->setCurrentRow(row);
        Click(view, "bAddOneExportedField");
      }
      auto* floatEdit = Child<QLineEdit>(view, "edFloat");
      floatEdit->selectAll();
      QTest::keyClicks(floatEdit, "0.000");
      auto* decimal = Child<QLineEdit>(view, "edDecimalSeparator");
      decimal->selectAll();
      QTest::keyClicks(decimal, ",");
      auto* grid = Child<QTableWidget>(view, "sgCaptions");
      QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("Name"));
      grid->item(1, 1)->setText(QStringLiteral("Customer"));
      QTest::keyClicks(Child<QPlainTextEdit>(view, "meHeader"), "Header line");
      QVERIFY(Child<QCheckBox>(view, "chShowFile")->isChecked());

      Click(view, "bStart");
      QVERIFY(view.isVisible());  // the form stays open for further exports
    });
    QCOMPARE(test::ReadCsvWithPython(target, ';'),
             (Rows{{"Header line"}, {"Customer", "Amount"}, {"Ada", "10,500"}, {"Bora", "21,000"},
                   {"Cem", "31,500"}, {"Deniz", "42,000"}, {"Ece", "52,500"}}));
    QCOMPARE(launcher_.requests.size(), size_t{1});
    QCOMPARE(launcher_.requests[0].path, target);
  }

  void cancelAnsweredNoGoesOnAndYesStops() {
    TTesselDialog dialog;
    Bind(dialog);
    dialog.ShowFile = false;
    test::TModalAnswerer answerer;
    TTesselDialogF* window = nullptr;
    QString statusWhileAsked;
    bool timerWhileAsked = true;
    QStringList statusAfter;
    dialog.OnExportedRecord = [&](TTessel&, int recNo) {
      if (recNo == 1) QTest::mouseClick(window->ProgressWindow()->Button(), Qt::LeftButton);
      if (recNo == 2) statusAfter << StatusOf(*window);
    };
    auto remember = [&](QMessageBox& box) {
      QCOMPARE(box.windowTitle(), QStringLiteral("Emin misin?"));
      QCOMPARE(box.defaultButton(), box.button(QMessageBox::No));
      statusWhileAsked = StatusOf(*window);
      timerWhileAsked = window->ProgressWindow()->Timer()->isActive();
    };
    WithWindow(dialog, [&](TTesselDialogF& view) {
      window = &view;
      Click(view, "rbType8");
      TypeFileName(view, QString::fromStdString(dir_->File("stop.csv")));

      // No: the export goes on and finishes; "Tamam" ends the wait.
      answerer.Then(test::PressInMessageBox(answerer, QMessageBox::No, remember));
      QTimer finished;
      finished.setInterval(10);
      connect(&finished, &QTimer::timeout, &view, [&] {
        if (view.ProgressWindow() && view.ProgressWindow()->Progress().RunOver())
          QTest::mouseClick(view.ProgressWindow()->Button(), Qt::LeftButton);
      });
      finished.start();
      Click(view, "bStart");
      QCOMPARE(answerer.seenMessages, QStringList{QStringLiteral("Export işlemini iptal etmek istermisiniz?")});
      QCOMPARE(statusWhileAsked, QStringLiteral("Dur"));
      QVERIFY(!timerWhileAsked);
      QCOMPARE(statusAfter, QStringList{QStringLiteral("Çıkartılıyor...")});
      QCOMPARE(test::ReadCsvWithPython(dir_->File("stop.csv"), ';').size(), size_t{6});

      // Yes: the export stops at once; with "open" on, nothing is opened.
      finished.stop();
      Child<QCheckBox>(view, "chShowFile")->setChecked(true);
      QString statusAtEnd;
      dialog.OnEndExport = [&](TTessel&) { statusAtEnd = StatusOf(view); };
      test::TModalAnswerer yes;
      yes.Then(test::PressInMessageBox(yes, QMessageBox::Yes));
      Click(view, "bStart");
      QVERIFY(yes.AllAnswered());
      QCOMPARE(statusAtEnd, QStringLiteral("Durdu"));
      QCOMPARE(test::ReadCsvWithPython(dir_->File("stop.csv"), ';').size(), size_t{3});
      QVERIFY(launcher_.requests.empty());
    });
  }

  void startExitAndCloseAreIgnoredWhileRunning() {
    TTesselDialog dialog;
    Bind(dialog);
    int begins = 0;
    TTesselDialogF* window = nullptr;
    bool visibleDuringRun = false;
    dialog.OnBeginExport = [&](TTessel&) { ++begins; };
    dialog.OnExportedRecord = [&](TTessel&, int recNo) {
      if (recNo != 0) return;
      Click(*window, "bStart");
      Click(*window, "bCancel");
      window->close();
      QTest::keyClick(window, Qt::Key_Escape);
      QTest::keyClick(window->ProgressWindow(), Qt::Key_Escape);
      visibleDuringRun = window->isVisible() && window->ProgressWindow()->isVisible();
    };
    WithWindow(dialog, [&](TTesselDialogF& view) {
      window = &view;
      Click(view, "rbType9");  // DIF
      TypeFileName(view, QString::fromStdString(dir_->File("once.dif")));
      Click(view, "bStart");
      QVERIFY(visibleDuringRun);
      QVERIFY(view.isVisible());
      QCOMPARE(begins, 1);
      Click(view, "bCancel");
      QVERIFY(!view.isVisible());
    });
  }

  void settingsSavedThroughToolsLoadIntoAFreshDialog() {
    const QString settings = QString::fromStdString(dir_->File("gui.cfg"));
    TTesselDialog first;
    Bind(first);
    WithWindow(first, [&](TTesselDialogF& view) {
      Click(view, "rbType7");
      TypeFileName(view, QString::fromStdString(dir_->File("list.txt")));
      Child<QListWidget>(view, "lstAvailable")->setCurrentRow(1);
      Click(view, "bAddOneExportedField");
      // Typed through the input method, as letters beyond ASCII arrive.
      Child<QPlainTextEdit>(view, "meFooter")->insertPlainText(QStringLiteral("Şişli ğüİı"));
      auto* grid = Child<QTableWidget>(view, "sgCaptions");
      grid->item(0, 1)->setText(QStringLiteral("Numara"));
      const QString width = grid->item(0, 3)->text();
      grid->item(0, 3)->setText(QStringLiteral("wide"));  // not a number: the width stays
      QCoreApplication::processEvents();
      QCOMPARE(grid->item(0, 3)->text(), width);
      grid->item(0, 3)->setText(QStringLiteral("21"));
      QCoreApplication::processEvents();
      view.AskSaveFileName = [&](const QString&, const QString& filter, const QString& suffix, const QString&) {
        if (!filter.contains(QStringLiteral("*.cfg")) || suffix != QStringLiteral("cfg")) return QString();
        return settings;
      };
      QVERIFY(Child<QPushButton>(view, "bTools")->isVisible());
      Child<QPushButton>(view, "bTools")->menu()->actions().at(0)->trigger();
    });
    QVERIFY(std::filesystem::exists(settings.toStdString()));

    TTesselDialog second;
    Bind(second);
    WithWindow(second, [&](TTesselDialogF& view) {
      view.AskOpenFileName = [&](const QString&, const QString&, const QString&) { return settings; };
      Click(view, "rbType8");
      Child<QPushButton>(view, "bTools")->menu()->actions().at(1)->trigger();
      QVERIFY(Child<QRadioButton>(view, "rbType7")->isChecked());
      QCOMPARE(Child<QLineEdit>(view, "edFileName")->text(), QString::fromStdString(dir_->File("list.txt")));
      QCOMPARE(Items(Child<QListWidget>(view, "lstExported")), QStringList{"Name"});
      QCOMPARE(Child<QPlainTextEdit>(view, "meFooter")->toPlainText(), QStringLiteral("Şişli ğüİı"));
      QCOMPARE(Child<QTableWidget>(view, "sgCaptions")->item(0, 1)->text(), QStringLiteral("Numara"));
      QCOMPARE(Child<QTableWidget>(view, "sgCaptions")->item(0, 3)->text(), QStringLiteral("21"));
      QCOMPARE(view.windowTitle(), QStringLiteral("Export Formu -- Çıktı [list.txt]"));
    });
  }

  void htmlPageSetsTemplatePagingAndStyleSheet() {
    TTesselDialog dialog;
    Bind(dialog);
    const std::string target = dir_->File("liste.html");
    WithWindow(dialog, [&](TTesselDialogF& view) {
      Click(view, "rbType3");  // HTML
      QVERIFY(TabShown(view, "tshHTML"));
      QVERIFY(!TabShown(view, "tshAscii"));
      TypeFileName(view, QString::fromStdString(target));
      auto* page = static_cast<THTMLOptionsPage*>(Child<QWidget>(view, "tshHTML"));
      Child<QTabWidget>(view, "Pages")->setCurrentWidget(page);
      auto* tabs = Child<QTabWidget>(view, "tabsHTML");
      auto* templates = Child<QComboBox>(view, "cbHTMLTemplate");
      templates->setCurrentIndex(htGray);
      emit templates->activated(htGray);
      QCOMPARE(Child<QPushButton>(view, "bHTMLHeadersRowBgColor")->toolTip(), QStringLiteral("#808080"));
      page->AskColor = [](const QColor&) { return QColor(0x11, 0x22, 0x33); };
      tabs->setCurrentIndex(1);
      Child<QPushButton>(view, "bHTMLBorderColor")->click();
      QCOMPARE(templates->currentIndex(), int{htCustom});
      tabs->setCurrentIndex(2);
      Child<QSpinBox>(view, "edHTMLFileRecCount")->setValue(2);
      Child<QCheckBox>(view, "chHTMLGenerateIndex")->click();
      tabs->setCurrentIndex(0);
      Click(view, "rbHTMLExternalCSS");
      QTest::keyClicks(Child<QLineEdit>(view, "edHTMLTitle"), "Liste & <1>");
      QVERIFY(Child<QRadioButton>(view, "rbHTMLExternalCSS")->isChecked());
      QCOMPARE(int{view.Form().HTMLPageOptions.UsingCSS}, int{usExternal});
      Click(view, "bStart");
    });
    for (const char* name : {"liste.html", "liste01.html", "liste02.html", "liste03.html", "liste01.css"})
      QVERIFY2(std::filesystem::exists(dir_->File(name)), name);
    std::ifstream css(dir_->File("liste01.css"));
    const std::string sheet((std::istreambuf_iterator<char>(css)), std::istreambuf_iterator<char>());
    QVERIFY(sheet.find(".ThRows { \r\n            background-color: #808080;") != std::string::npos);
    QVERIFY(sheet.find(".TrBC { background-color: #112233 }") != std::string::npos);
    std::ifstream first(dir_->File("liste01.html"));
    const std::string html((std::istreambuf_iterator<char>(first)), std::istreambuf_iterator<char>());
    QVERIFY(html.find("<Title>Liste &amp; &lt;1&gt;</Title>") != std::string::npos);
    QCOMPARE(launcher_.requests.size(), size_t{1});
    QCOMPARE(QString::fromStdString(launcher_.requests[0].path), QString::fromStdString(target));
  }

  void pdfPageSetsPageAndFonts() {
    TTesselDialog dialog;
    Bind(dialog);
    const std::string target = dir_->File("liste.pdf");
    WithWindow(dialog, [&](TTesselDialogF& view) {
      Click(view, "rbType6");  // PDF
      QVERIFY(TabShown(view, "tshPDF"));
      QVERIFY(!TabShown(view, "tshHTML"));
      TypeFileName(view, QString::fromStdString(target));
      Child<QTabWidget>(view, "Pages")->setCurrentWidget(Child<QWidget>(view, "tshPDF"));
      // The automatic orientation is on until an orientation is chosen.
      QCheckBox* automatic = Child<QCheckBox>(view, "chPDFAutoOrientation");
      QVERIFY(automatic->isChecked());
      Child<QComboBox>(view, "cbPDFOrientation")->setCurrentIndex(1);
      Child<QComboBox>(view, "cbPDFDataFont")->setCurrentIndex(poCourier);
      const TPDFOptions& options = view.Form().PDFOptions;
      QCOMPARE(int{options.PageOptions.Orientation()}, int{poLandscape});
      QVERIFY(!options.PageOptions.AutoOrientation);
      QVERIFY(!automatic->isChecked());
      QVERIFY(!automatic->isEnabled());
      QCOMPARE(options.PageOptions.WidthPoints(), 842);
      QCOMPARE(int{options.DataFont.BaseFont}, int{poCourier});
      // The margins turned with the page.
      QCOMPARE(Child<QDoubleSpinBox>(view, "edPDFMarginLeft")->value(), options.PageOptions.MarginLeft());
      Click(view, "bStart");
    });
    std::ifstream pdf(target, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(pdf)), std::istreambuf_iterator<char>());
    QVERIFY(bytes.find("/MediaBox [0 0 841 594]") != std::string::npos);
    QVERIFY(bytes.find("/BaseFont /Courier") != std::string::npos);
  }
};

}  // namespace verimo

QTEST_MAIN(verimo::DialogWindowTest)
#include "DialogWindowTest.moc"
