#include "app/DialogWindow.h"

#include <QButtonGroup>
#include <algorithm>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/HTMLOptionsPage.h"
#include "app/ODFOptionsPage.h"
#include "app/PDFOptionsPage.h"
#include "app/PackageOptionsPage.h"
#include "app/RTFOptionsPage.h"
#include "app/ProgressWindow.h"
#include "app/QtText.h"
#include "engine/TesselLocale.h"
#include "core/Exception.h"

namespace verimo {
namespace {

constexpr int kClientWidth = 469;
constexpr int kClientHeight = 475;
constexpr int kTypeColumns = 3;
// The form's margins, the page control's frame and the style's tab overlap
// around the tab row.
constexpr int kTabRowSlack = 32;

const char16_t* const kAlignTexts[] = {u"Sol", u"Orta", u"Sağ"};
const char16_t* const kSettingsFilter = u"Configuration files (*.cfg)|*.cfg|All files (*.*)|*.*";

QString Q(const char16_t* text) { return Tr(text); }

void SetTextIfDifferent(QLineEdit* edit, const QString& text) {
  if (edit->text() != text) edit->setText(text);
}

QString CharToText(char16_t ch) { return ch == 0 ? QString() : QString(QChar(ch)); }

// The first character of an edit, or the current one when it is empty.
char16_t TextToChar(const QString& text, char16_t current) {
  return text.isEmpty() ? current : static_cast<char16_t>(text.at(0).unicode());
}

QStringList Lines(const TStringList& list) {
  QStringList lines;
  for (const WideString& line : list) lines << ToQString(line);
  return lines;
}

void SetMemo(QPlainTextEdit* memo, const TStringList& list) {
  const QString text = Lines(list).join(u'\n');
  if (memo->toPlainText() != text) memo->setPlainText(text);
}

TStringList MemoLines(const QPlainTextEdit* memo) {
  TStringList list;
  const QString text = memo->toPlainText();
  if (text.isEmpty()) return list;
  for (const QString& line : text.split(u'\n')) list.Add(ToWide(line));
  return list;
}

QString FieldListName(const QListWidget* list) { return list->objectName(); }

// The form's page control; it tells the width of a tab whether the tab is
// shown or not.
class TPageControl : public QTabWidget {
 public:
  explicit TPageControl(QWidget* parent) : QTabWidget(parent), bar_(new TTabBar(this)) { setTabBar(bar_); }
  int TabWidth(int index) const { return bar_->TabWidth(index); }

 private:
  class TTabBar : public QTabBar {
   public:
    using QTabBar::QTabBar;
    int TabWidth(int index) const { return tabSizeHint(index).width(); }
  };
  TTabBar* bar_;
};

}  // namespace

// ------------------------------------------------------------ field lists

TFieldListWidget::TFieldListWidget(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::CopyAction);
}

QMimeData* TFieldListWidget::mimeData(const QList<QListWidgetItem*>& items) const {
  auto* data = new QMimeData;
  if (!items.isEmpty())
    data->setData(QString::fromLatin1(kMimeType),
                  (objectName() + u':' + QString::number(row(items.first()))).toUtf8());
  return data;
}

bool TFieldListWidget::AcceptsDrag(const QMimeData* data) const {
  if (!data || !data->hasFormat(QString::fromLatin1(kMimeType))) return false;
  const QString source = QString::fromUtf8(data->data(QString::fromLatin1(kMimeType))).section(u':', 0, 0);
  return source != objectName();
}

void TFieldListWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (AcceptsDrag(event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void TFieldListWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (AcceptsDrag(event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

// The lists are rebuilt from the form state, so the drop is reported as a
// copy: the source list must not remove anything itself.
void TFieldListWidget::dropEvent(QDropEvent* event) {
  if (!AcceptsDrag(event->mimeData())) {
    event->ignore();
    return;
  }
  const QString payload = QString::fromUtf8(event->mimeData()->data(QString::fromLatin1(kMimeType)));
  bool ok = false;
  const int sourceRow = payload.section(u':', 1, 1).toInt(&ok);
  event->setDropAction(Qt::CopyAction);
  event->accept();
  if (ok && OnFieldDropped) OnFieldDropped(payload.section(u':', 0, 0), sourceRow);
}

// ------------------------------------------------------------------ form

TTesselDialogF::TTesselDialogF(TTesselDialogForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
  setObjectName(QStringLiteral("TesselDialogF"));
  AskSaveFileName = [this](const QString& caption, const QString& filter, const QString& suffix,
                           const QString& start) {
    QFileDialog dialog(this, caption, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    if (!start.isEmpty()) dialog.selectFile(start);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                    : QString();
  };
  AskOpenFileName = [this](const QString& caption, const QString& filter, const QString& start) {
    return QFileDialog::getOpenFileName(this, caption, start, filter);
  };

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  BuildTopPanel();
  BuildPages();
  BuildBottomPanel();
  ConnectControls();
  setFixedSize(std::max(kClientWidth, WidestTabRow() + kTabRowSlack), kClientHeight);
  Refresh();
  pages_->setCurrentWidget(tshExportType_);
  typeSubPages_->setCurrentIndex(0);
  edFileName_->setFocus();
}

TTesselDialogF::~TTesselDialogF() = default;

void TTesselDialogF::BuildTopPanel() {
  auto* panel = new QWidget(this);
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(0, 0, 0, 0);
  laFileName_ = new QLabel(Q(u"Oluşturulacak Dosya :"), panel);
  edFileName_ = new QLineEdit(panel);
  edFileName_->setObjectName(QStringLiteral("edFileName"));
  bBrowse_ = new QPushButton(Q(u"Seç..."), panel);
  bBrowse_->setObjectName(QStringLiteral("bBrowse"));
  chShowFile_ = new QCheckBox(Q(u"Export sonrası dosyayı aç"), panel);
  chShowFile_->setObjectName(QStringLiteral("chShowFile"));
  chPrintFile_ = new QCheckBox(Q(u"Export sonrası dosyayı yazdır"), panel);
  chPrintFile_->setObjectName(QStringLiteral("chPrintFile"));
  grid->addWidget(laFileName_, 0, 0, 1, 2);
  grid->addWidget(edFileName_, 1, 0);
  grid->addWidget(bBrowse_, 1, 1);
  auto* checks = new QHBoxLayout;
  checks->addWidget(chShowFile_);
  checks->addWidget(chPrintFile_);
  checks->addStretch();
  grid->addLayout(checks, 2, 0, 1, 2);
  layout()->addWidget(panel);
}

void TTesselDialogF::BuildBottomPanel() {
  auto* panel = new QWidget(this);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(0, 0, 0, 0);
  bTools_ = new QPushButton(Q(u"ARAÇLAR"), panel);
  bTools_->setObjectName(QStringLiteral("bTools"));
  auto* menu = new QMenu(bTools_);
  miSaveOptions_ = menu->addAction(Q(u"Export ayarlarını kaydet..."));
  miLoadOptions_ = menu->addAction(Q(u"Export ayarlarını yükle..."));
  bTools_->setMenu(menu);
  bStart_ = new QPushButton(Q(u"İŞLEME BAŞLA"), panel);
  bStart_->setObjectName(QStringLiteral("bStart"));
  bCancel_ = new QPushButton(Q(u"ÇIKIŞ"), panel);
  bCancel_->setObjectName(QStringLiteral("bCancel"));
  row->addWidget(bTools_);
  row->addStretch();
  row->addWidget(bStart_);
  row->addWidget(bCancel_);
  layout()->addWidget(panel);
}

void TTesselDialogF::BuildPages() {
  pages_ = new TPageControl(this);
  pages_->setObjectName(QStringLiteral("Pages"));
  tshExportType_ = BuildExportTypePage();
  tshFields_ = BuildFieldsPage();
  tshFormats_ = BuildFormatsPage();
  tshHeaderFooter_ = BuildHeaderFooterPage();
  tshCaptions_ = BuildCaptionsPage();
  tshAscii_ = BuildAsciiPage();
  tshAccess_ = BuildAccessPage();
  tshSQL_ = BuildSQLPage();
  tshXML_ = BuildXMLPage();
  tshHTML_ = new THTMLOptionsPage(form_);
  tshPDF_ = new TPDFOptionsPage(form_);
  tshExcel_ = BuildExcelPage();
  tshXlsx_ = new TPackageOptionsPage(form_, TPackageOptionsPage::TKind::Xlsx);
  tshDocx_ = new TPackageOptionsPage(form_, TPackageOptionsPage::TKind::Docx);
  tshODS_ = new TODFOptionsPage(form_, TODFOptionsPage::TKind::ODS);
  tshODT_ = new TODFOptionsPage(form_, TODFOptionsPage::TKind::ODT);
  tshWordRTF_ = new TRTFOptionsPage(form_);
  pages_->addTab(tshExportType_, Q(u"Export Biçimi"));
  pages_->addTab(tshFields_, Q(u"Alanlar"));
  pages_->addTab(tshFormats_, Q(u"Biçimler"));
  pages_->addTab(tshHeaderFooter_, Q(u"Üstbilgi/Altbilgi"));
  pages_->addTab(tshCaptions_, Q(u"&Başlık"));
  pages_->addTab(tshAscii_, Q(u"ASCII"));
  pages_->addTab(tshAccess_, Q(u"Access"));
  pages_->addTab(tshSQL_, Q(u"SQL"));
  pages_->addTab(tshXML_, Q(u"XML"));
  pages_->addTab(tshHTML_, Q(u"HTML"));
  pages_->addTab(tshPDF_, Q(u"PDF"));
  pages_->addTab(tshExcel_, Q(u"Excel"));
  pages_->addTab(tshXlsx_, Q(u"Excel 2007"));
  pages_->addTab(tshDocx_, Q(u"Word 2007"));
  pages_->addTab(tshODS_, Q(u"ODS"));
  pages_->addTab(tshODT_, Q(u"ODT"));
  pages_->addTab(tshWordRTF_, Q(u"Word / RTF"));
  layout()->addWidget(pages_);
}

// The common pages and one option page are shown at a time: the widest
// such row must fit without the tab bar's scroll arrows.
int TTesselDialogF::WidestTabRow() const {
  const auto* pages = static_cast<const TPageControl*>(pages_);
  const int firstOptionPage = pages->indexOf(tshAscii_);
  int common = 0;
  int widestOptionTab = 0;
  for (int i = 0; i < pages->count(); ++i) {
    if (i < firstOptionPage) common += pages->TabWidth(i);
    else widestOptionTab = std::max(widestOptionTab, pages->TabWidth(i));
  }
  return common + widestOptionTab;
}

QWidget* TTesselDialogF::BuildExportTypePage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tshExportType"));
  auto* layout = new QVBoxLayout(page);
  typeSubPages_ = new QTabWidget(page);
  typeSubPages_->addTab(BuildTypeListPage(), Q(u" Çıktı Türü"));
  tshExportOptions_ = BuildConstraintsPage();
  typeSubPages_->addTab(tshExportOptions_, Q(u"&Ayarlar"));
  layout->addWidget(typeSubPages_);
  return page;
}

// The type list fills its three columns top to bottom, column after column.
QWidget* TTesselDialogF::BuildTypeListPage() {
  auto* page = new QWidget;
  auto* outer = new QVBoxLayout(page);
  auto* group = new QGroupBox(Q(u" Çıktı Türü "), page);
  group->setObjectName(QStringLiteral("rgExportType"));
  auto* grid = new QGridLayout(group);
  rgExportType_ = new QButtonGroup(group);
  const std::vector<TAllowedExport>& types = form_.TypeList();
  const int count = static_cast<int>(types.size());
  const int perColumn = (count + kTypeColumns - 1) / kTypeColumns;
  for (int i = 0; i < count; ++i) {
    const TAllowedExport type = types[static_cast<size_t>(i)];
    auto* button = new QRadioButton(Tr(ExportTypeInfo(type).listText), group);
    button->setObjectName(QStringLiteral("rbType%1").arg(static_cast<int>(type)));
    rgExportType_->addButton(button, i);
    typeButtons_ << button;
    // As wide as its text: a wider form leaves no unclickable margin.
    grid->addWidget(button, i % perColumn, i / perColumn, Qt::AlignLeft);
  }
  grid->setRowStretch(perColumn, 1);
  outer->addWidget(group);
  return page;
}

QWidget* TTesselDialogF::BuildConstraintsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tshExportOptions"));
  auto* outer = new QVBoxLayout(page);
  auto* group = new QGroupBox(Q(u" Kısıtlamalar "), page);
  auto* grid = new QGridLayout(group);
  chGoToFirstRecord_ = new QCheckBox(Q(u"İlk kayda otomatik git"), group);
  chCurrentRecordOnly_ = new QCheckBox(Q(u"Sadece aktif kaydı çıkart"), group);
  chExportEmpty_ = new QCheckBox(Q(u"Boş veri kaynaklarına izin ver"), group);
  edSkipRecCount_ = new QLineEdit(group);
  edSkipRecCount_->setObjectName(QStringLiteral("edSkipRecCount"));
  rbExportAll_ = new QRadioButton(Q(u"Tüm kayıtları çıkart"), group);
  rbExportOnly_ = new QRadioButton(Q(u"Sadece"), group);
  edExportRecCount_ = new QLineEdit(group);
  edExportRecCount_->setObjectName(QStringLiteral("edExportRecCount"));
  grid->addWidget(chGoToFirstRecord_, 0, 0, 1, 3);
  grid->addWidget(chCurrentRecordOnly_, 1, 0, 1, 3);
  grid->addWidget(chExportEmpty_, 2, 0, 1, 3);
  grid->addWidget(new QLabel(Q(u"Atla:"), group), 3, 0);
  grid->addWidget(edSkipRecCount_, 3, 1);
  grid->addWidget(new QLabel(Q(u"kayıt"), group), 3, 2);
  grid->addWidget(rbExportAll_, 4, 0, 1, 3);
  grid->addWidget(rbExportOnly_, 5, 0);
  grid->addWidget(edExportRecCount_, 5, 1);
  grid->addWidget(new QLabel(Q(u"kayıt"), group), 5, 2);
  outer->addWidget(group);
  outer->addStretch();
  return page;
}

QWidget* TTesselDialogF::BuildFieldsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tshFields"));
  auto* grid = new QGridLayout(page);
  lstAvailable_ = new TFieldListWidget(page);
  lstAvailable_->setObjectName(QStringLiteral("lstAvailable"));
  lstExported_ = new TFieldListWidget(page);
  lstExported_->setObjectName(QStringLiteral("lstExported"));
  bAddOneExportedField_ = new QPushButton(QStringLiteral(">"), page);
  bAddOneExportedField_->setObjectName(QStringLiteral("bAddOneExportedField"));
  bAddAllExportedField_ = new QPushButton(QStringLiteral(">>"), page);
  bAddAllExportedField_->setObjectName(QStringLiteral("bAddAllExportedField"));
  bDelOneExportedField_ = new QPushButton(QStringLiteral("<"), page);
  bDelOneExportedField_->setObjectName(QStringLiteral("bDelOneExportedField"));
  bDelAllExportedField_ = new QPushButton(QStringLiteral("<<"), page);
  bDelAllExportedField_->setObjectName(QStringLiteral("bDelAllExportedField"));
  auto* buttons = new QVBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {bAddOneExportedField_, bAddAllExportedField_, bDelOneExportedField_,
                              bDelAllExportedField_}) {
    button->setFixedWidth(40);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  grid->addWidget(new QLabel(Q(u"Mevcut Alanlar:"), page), 0, 0);
  grid->addWidget(new QLabel(Q(u"Çıkartılacak Alanlar:"), page), 0, 2);
  grid->addWidget(lstAvailable_, 1, 0);
  grid->addLayout(buttons, 1, 1);
  grid->addWidget(lstExported_, 1, 2);
  return page;
}

QWidget* TTesselDialogF::BuildFormatsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tshFormats"));
  auto* outer = new QVBoxLayout(page);
  outer->setContentsMargins(4, 4, 4, 4);
  outer->setSpacing(4);

  auto* general = new QGroupBox(Q(u"Genel Ayarlar"), page);
  auto* generalGrid = new QGridLayout(general);
  generalGrid->setContentsMargins(6, 2, 6, 4);
  generalGrid->setVerticalSpacing(1);
  const char16_t* const labels[] = {u"Tamsayı:",   u"Ondalıklı:",   u"Tarih:",          u"Saat:",
                                    u"Tarih-Saat:", u"Para Birimi:", u"Mantıksal Doğru:", u"Mantıksal Yanlış:",
                                    u"Boş Değer:"};
  const char* const names[] = {"edInteger",  "edFloat",       "edDate",         "edTime",      "edDateTime",
                               "edCurrency", "edBooleanTrue", "edBooleanFalse", "edNullString"};
  for (int i = 0; i < 9; ++i) {
    auto* edit = new QLineEdit(general);
    edit->setObjectName(QString::fromLatin1(names[i]));
    patternEdits_ << edit;
    generalGrid->addWidget(new QLabel(Q(labels[i]), general), i / 3 * 2, i % 3);
    generalGrid->addWidget(edit, i / 3 * 2 + 1, i % 3);
  }
  outer->addWidget(general);

  auto* user = new QGroupBox(Q(u"Kullanıcı Tanımlı Biçim (Sadece sayısal alanlar içindir)"), page);
  auto* userGrid = new QGridLayout(user);
  userGrid->setContentsMargins(6, 2, 6, 4);
  userGrid->setVerticalSpacing(2);
  cbUserFormatField_ = new QComboBox(user);
  cbUserFormatField_->setObjectName(QStringLiteral("cbUserFormatField"));
  cbUserFormatPattern_ = new QComboBox(user);
  cbUserFormatPattern_->setObjectName(QStringLiteral("cbUserFormatPattern"));
  cbUserFormatPattern_->setEditable(true);
  lstUserFormats_ = new QListWidget(user);
  lstUserFormats_->setObjectName(QStringLiteral("lstUserFormats"));
  lstUserFormats_->setMaximumHeight(56);
  bAddUserFormat_ = new QPushButton(Q(u"Ekle"), user);
  bEditUserFormat_ = new QPushButton(Q(u"Düzenle"), user);
  bDeleteUserFormat_ = new QPushButton(Q(u"Sil"), user);
  bClearUserFormats_ = new QPushButton(Q(u"Temizle"), user);
  bAddUserFormat_->setObjectName(QStringLiteral("bAddUserFormat"));
  bEditUserFormat_->setObjectName(QStringLiteral("bEditUserFormat"));
  bDeleteUserFormat_->setObjectName(QStringLiteral("bDeleteUserFormat"));
  bClearUserFormats_->setObjectName(QStringLiteral("bClearUserFormats"));
  userGrid->addWidget(cbUserFormatField_, 0, 0);
  userGrid->addWidget(cbUserFormatPattern_, 0, 1);
  auto* userButtons = new QVBoxLayout;
  userButtons->setSpacing(1);
  for (QPushButton* button : {bAddUserFormat_, bEditUserFormat_, bDeleteUserFormat_, bClearUserFormats_}) {
    button->setFixedHeight(20);
    userButtons->addWidget(button);
  }
  userButtons->addStretch();
  userGrid->addWidget(lstUserFormats_, 1, 0, 1, 2);
  userGrid->addLayout(userButtons, 0, 2, 2, 1);
  outer->addWidget(user);

  auto* separators = new QGroupBox(Q(u"Ayraçlar"), page);
  gbSeparators_ = separators;
  auto* sepGrid = new QGridLayout(separators);
  sepGrid->setContentsMargins(6, 2, 6, 4);
  sepGrid->setVerticalSpacing(2);
  auto separator = [&](QLineEdit*& edit, const char16_t* label, const char* name, int row, int column) {
    edit = new QLineEdit(separators);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(1);
    edit->setFixedWidth(30);
    sepGrid->addWidget(new QLabel(Q(label), separators), row, column * 2);
    sepGrid->addWidget(edit, row, column * 2 + 1);
  };
  separator(edDecimalSeparator_, u"Ondalık Ayraç", "edDecimalSeparator", 0, 0);
  separator(edDateSeparator_, u"Tarih Ayracı", "edDateSeparator", 0, 1);
  separator(edThousandSeparator_, u"Binlik Ayraç", "edThousandSeparator", 1, 0);
  separator(edTimeSeparator_, u"Saat Ayracı", "edTimeSeparator", 1, 1);
  outer->addWidget(separators);
  return page;
}

QWidget* TTesselDialogF::BuildHeaderFooterPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tshHeaderFooter"));
  auto* layout = new QVBoxLayout(page);
  meHeader_ = new QPlainTextEdit(page);
  meHeader_->setObjectName(QStringLiteral("meHeader"));
  meFooter_ = new QPlainTextEdit(page);
  meFooter_->setObjectName(QStringLiteral("meFooter"));
  layout->addWidget(new QLabel(Q(u"Üstbilgi metni:"), page));
  layout->addWidget(meHeader_);
  layout->addWidget(new QLabel(Q(u"Altbilgi metni:"), page));
  layout->addWidget(meFooter_);
  return page;
}

QWidget* TTesselDialogF::BuildCaptionsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tshCaptions"));
  auto* layout = new QVBoxLayout(page);
  chAllowCaptions_ = new QCheckBox(Q(u"Ayarları özelleştir"), page);
  chAllowCaptions_->setObjectName(QStringLiteral("chAllowCaptions"));
  sgCaptions_ = new QTableWidget(0, 4, page);
  sgCaptions_->setObjectName(QStringLiteral("sgCaptions"));
  sgCaptions_->setHorizontalHeaderLabels({Q(u"Alan"), Q(u"Başlık"), Q(u"Hizalama"), Q(u"Genişlik")});
  sgCaptions_->verticalHeader()->setVisible(false);
  sgCaptions_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  laCaptionRow_ = new QLabel(QStringLiteral("Caption row"), page);
  edCaptionRow_ = new QSpinBox(page);
  edCaptionRow_->setObjectName(QStringLiteral("edCaptionRow"));
  edCaptionRow_->setRange(-1, 1000000);
  auto* captionRow = new QHBoxLayout;
  captionRow->addWidget(laCaptionRow_);
  captionRow->addWidget(edCaptionRow_);
  captionRow->addStretch();
  layout->addWidget(chAllowCaptions_);
  layout->addWidget(sgCaptions_);
  layout->addLayout(captionRow);
  return page;
}

QWidget* TTesselDialogF::BuildAsciiPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tshAscii"));
  auto* layout = new QVBoxLayout(page);
  auto* txt = new QGroupBox(Q(u"Metin Dosyası"), page);
  gbTXT_ = txt;
  auto* txtGrid = new QGridLayout(txt);
  chTXTAutoCalcColWidth_ = new QCheckBox(Q(u"Sütun genişliklerini otomatik hesapla"), txt);
  chTXTAutoCalcColWidth_->setObjectName(QStringLiteral("chTXTAutoCalcColWidth"));
  edTXTSpacing_ = new QSpinBox(txt);
  edTXTSpacing_->setObjectName(QStringLiteral("edTXTSpacing"));
  edTXTSpacing_->setRange(0, 255);
  txtGrid->addWidget(chTXTAutoCalcColWidth_, 0, 0, 1, 2);
  txtGrid->addWidget(new QLabel(Q(u"Sütun aralığı:"), txt), 1, 0);
  txtGrid->addWidget(edTXTSpacing_, 1, 1);
  auto* csv = new QGroupBox(Q(u"CSV Dosyası"), page);
  gbCSV_ = csv;
  auto* csvGrid = new QGridLayout(csv);
  edCSVComma_ = new QLineEdit(csv);
  edCSVComma_->setObjectName(QStringLiteral("edCSVComma"));
  edCSVComma_->setMaxLength(1);
  edCSVQuote_ = new QLineEdit(csv);
  edCSVQuote_->setObjectName(QStringLiteral("edCSVQuote"));
  edCSVQuote_->setMaxLength(1);
  chCSVQuoteStrings_ = new QCheckBox(Q(u"Metin değerlerini tırnak içine al"), csv);
  chCSVQuoteStrings_->setObjectName(QStringLiteral("chCSVQuoteStrings"));
  csvGrid->addWidget(new QLabel(Q(u"Ayraç:"), csv), 0, 0);
  csvGrid->addWidget(edCSVComma_, 0, 1);
  csvGrid->addWidget(new QLabel(Q(u"Tırnak (boş: tırnak yok):"), csv), 1, 0);
  csvGrid->addWidget(edCSVQuote_, 1, 1);
  csvGrid->addWidget(chCSVQuoteStrings_, 2, 0, 1, 2);
  layout->addWidget(txt);
  layout->addWidget(csv);
  layout->addStretch();
  return page;
}

QWidget* TTesselDialogF::BuildAccessPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tshAccess"));
  auto* layout = new QVBoxLayout(page);
  auto* group = new QGroupBox(Q(u"MS Access"), page);
  auto* grid = new QGridLayout(group);
  edAccessTableName_ = new QLineEdit(group);
  edAccessTableName_->setObjectName(QStringLiteral("edAccessTableName"));
  edAccessPassword_ = new QLineEdit(group);
  edAccessPassword_->setObjectName(QStringLiteral("edAccessPassword"));
  edAccessPassword_->setEchoMode(QLineEdit::Password);
  chAccessCreateTable_ = new QCheckBox(Q(u"Tablo yoksa oluştur"), group);
  chAccessCreateTable_->setObjectName(QStringLiteral("chAccessCreateTable"));
  grid->addWidget(new QLabel(Q(u"Tablo adı:"), group), 0, 0);
  grid->addWidget(edAccessTableName_, 0, 1);
  grid->addWidget(new QLabel(Q(u"Veritabanı şifresi:"), group), 1, 0);
  grid->addWidget(edAccessPassword_, 1, 1);
  grid->addWidget(chAccessCreateTable_, 2, 0, 1, 2);
  layout->addWidget(group);
  layout->addStretch();
  return page;
}

QWidget* TTesselDialogF::BuildExcelPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tshExcel"));
  auto* layout = new QVBoxLayout(page);
  auto* group = new QGroupBox(Q(u"Excel Çalışma Kitabı"), page);
  auto* grid = new QGridLayout(group);
  edXLSSheetTitle_ = new QLineEdit(group);
  edXLSSheetTitle_->setObjectName(QStringLiteral("edXLSSheetTitle"));
  edXLSSheetTitle_->setMaxLength(31);
  edXLSPageHeader_ = new QLineEdit(group);
  edXLSPageHeader_->setObjectName(QStringLiteral("edXLSPageHeader"));
  edXLSPageHeader_->setMaxLength(255);
  edXLSPageFooter_ = new QLineEdit(group);
  edXLSPageFooter_->setObjectName(QStringLiteral("edXLSPageFooter"));
  edXLSPageFooter_->setMaxLength(255);
  chXLSAutoCalcColWidth_ = new QCheckBox(Q(u"Sütun genişliklerini otomatik hesapla"), group);
  chXLSAutoCalcColWidth_->setObjectName(QStringLiteral("chXLSAutoCalcColWidth"));
  chXLSCaptionBold_ = new QCheckBox(Q(u"Başlıklar kalın"), group);
  chXLSCaptionBold_->setObjectName(QStringLiteral("chXLSCaptionBold"));
  cbXLSStripType_ = new QComboBox(group);
  cbXLSStripType_->setObjectName(QStringLiteral("cbXLSStripType"));
  cbXLSStripType_->addItems({Q(u"Yok"), Q(u"Sütunlar"), Q(u"Satırlar")});
  grid->addWidget(new QLabel(Q(u"Sayfa adı:"), group), 0, 0);
  grid->addWidget(edXLSSheetTitle_, 0, 1);
  grid->addWidget(new QLabel(Q(u"Sayfa üstbilgisi:"), group), 1, 0);
  grid->addWidget(edXLSPageHeader_, 1, 1);
  grid->addWidget(new QLabel(Q(u"Sayfa altbilgisi:"), group), 2, 0);
  grid->addWidget(edXLSPageFooter_, 2, 1);
  grid->addWidget(new QLabel(Q(u"Şerit stili:"), group), 3, 0);
  grid->addWidget(cbXLSStripType_, 3, 1);
  grid->addWidget(chXLSAutoCalcColWidth_, 4, 0, 1, 2);
  grid->addWidget(chXLSCaptionBold_, 5, 0, 1, 2);
  layout->addWidget(group);
  layout->addStretch();
  return page;
}

QWidget* TTesselDialogF::BuildXMLPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tshXML"));
  auto* layout = new QVBoxLayout(page);
  auto* declaration = new QGroupBox(Q(u"XML bildirimi"), page);
  auto* grid = new QGridLayout(declaration);
  chXMLStandalone_ = new QCheckBox(Q(u"Bağımsız belge (standalone)"), declaration);
  chXMLStandalone_->setObjectName(QStringLiteral("chXMLStandalone"));
  cbXMLEncoding_ = new QComboBox(declaration);
  cbXMLEncoding_->setObjectName(QStringLiteral("cbXMLEncoding"));
  cbXMLEncoding_->setEditable(true);
  cbXMLEncoding_->addItems({QString(), QStringLiteral("UTF-8"), QStringLiteral("UTF-16")});
  grid->addWidget(chXMLStandalone_, 0, 0, 1, 2);
  grid->addWidget(new QLabel(Q(u"Kodlama:"), declaration), 1, 0);
  grid->addWidget(cbXMLEncoding_, 1, 1);
  auto* documentType = new QGroupBox(Q(u"Belge yapısı"), page);
  auto* typeLayout = new QVBoxLayout(documentType);
  rbXMLDatapacket_ = new QRadioButton(Q(u"Veri paketi (DATAPACKET, değerler öznitelik)"), documentType);
  rbXMLDatapacket_->setObjectName(QStringLiteral("rbXMLDatapacket"));
  rbXMLAccess_ = new QRadioButton(Q(u"Access biçimi (her alan bir öğe)"), documentType);
  rbXMLAccess_->setObjectName(QStringLiteral("rbXMLAccess"));
  typeLayout->addWidget(rbXMLDatapacket_);
  typeLayout->addWidget(rbXMLAccess_);
  chXMLSchema_ = new QCheckBox(Q(u"XSD şema dosyası da oluştur"), page);
  chXMLSchema_->setObjectName(QStringLiteral("chXMLSchema"));
  layout->addWidget(declaration);
  layout->addWidget(documentType);
  layout->addWidget(chXMLSchema_);
  layout->addStretch();
  return page;
}

QWidget* TTesselDialogF::BuildSQLPage() {
  static constexpr const char16_t* kDialects[kScriptTypeCount] = {u"ANSI SQL", u"IBM DB2",    u"InterBase",
                                                                  u"MS SQL Server", u"MySQL", u"Oracle",
                                                                  u"PostgreSQL"};
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tshSQL"));
  auto* grid = new QGridLayout(page);
  cbSQLScriptType_ = new QComboBox(page);
  cbSQLScriptType_->setObjectName(QStringLiteral("cbSQLScriptType"));
  for (const char16_t* dialect : kDialects) cbSQLScriptType_->addItem(Q(dialect));
  edSQLTableName_ = new QLineEdit(page);
  edSQLTableName_->setObjectName(QStringLiteral("edSQLTableName"));
  edSQLTableName_->setPlaceholderText(Q(u"(dosya adı)"));
  chSQLCreateTable_ = new QCheckBox(Q(u"Tabloyu oluştur (CREATE TABLE)"), page);
  chSQLCreateTable_->setObjectName(QStringLiteral("chSQLCreateTable"));
  edSQLCommitRecCount_ = new QSpinBox(page);
  edSQLCommitRecCount_->setObjectName(QStringLiteral("edSQLCommitRecCount"));
  edSQLCommitRecCount_->setRange(0, 1000000000);
  chSQLCommitAfterScript_ = new QCheckBox(Q(u"Betiğin sonunda onayla (COMMIT)"), page);
  chSQLCommitAfterScript_->setObjectName(QStringLiteral("chSQLCommitAfterScript"));
  edSQLCommitStatement_ = new QLineEdit(page);
  edSQLCommitStatement_->setObjectName(QStringLiteral("edSQLCommitStatement"));
  edSQLStatementTerm_ = new QLineEdit(page);
  edSQLStatementTerm_->setObjectName(QStringLiteral("edSQLStatementTerm"));
  edSQLStatementTerm_->setMaxLength(1);
  int row = 0;
  grid->addWidget(new QLabel(Q(u"SQL türü:"), page), row, 0);
  grid->addWidget(cbSQLScriptType_, row++, 1);
  grid->addWidget(new QLabel(Q(u"Tablo adı:"), page), row, 0);
  grid->addWidget(edSQLTableName_, row++, 1);
  grid->addWidget(chSQLCreateTable_, row++, 0, 1, 2);
  grid->addWidget(new QLabel(Q(u"Her kaç kayıtta onay (0: hiç):"), page), row, 0);
  grid->addWidget(edSQLCommitRecCount_, row++, 1);
  grid->addWidget(chSQLCommitAfterScript_, row++, 0, 1, 2);
  grid->addWidget(new QLabel(Q(u"Onay komutu (ANSI):"), page), row, 0);
  grid->addWidget(edSQLCommitStatement_, row++, 1);
  grid->addWidget(new QLabel(Q(u"Komut sonu (ANSI):"), page), row, 0);
  grid->addWidget(edSQLStatementTerm_, row++, 1);
  grid->setRowStretch(row, 1);
  return page;
}

// --------------------------------------------------------------- wiring

void TTesselDialogF::ConnectControls() {
  connect(edFileName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    form_.SetFileName(ToUtf8Path(text));
    Refresh();
  });
  connect(bBrowse_, &QPushButton::clicked, this, [this] { bBrowseClick(); });
  connect(chShowFile_, &QCheckBox::toggled, this, [this](bool on) { form_.ShowFile = on; });
  connect(chPrintFile_, &QCheckBox::toggled, this, [this](bool on) { form_.PrintFile = on; });
  connect(miSaveOptions_, &QAction::triggered, this, [this] { miSaveOptionsClick(); });
  connect(miLoadOptions_, &QAction::triggered, this, [this] { miLoadOptionsClick(); });
  connect(bStart_, &QPushButton::clicked, this, [this] { bStartClick(); });
  connect(bCancel_, &QPushButton::clicked, this, [this] { close(); });
  connect(rgExportType_, &QButtonGroup::idClicked, this, [this](int index) { TypeClicked(index); });

  connect(chGoToFirstRecord_, &QCheckBox::toggled, this, [this](bool on) { form_.GoToFirstRecord = on; });
  connect(chCurrentRecordOnly_, &QCheckBox::toggled, this, [this](bool on) { form_.CurrentRecordOnly = on; });
  connect(chExportEmpty_, &QCheckBox::toggled, this, [this](bool on) { form_.ExportEmpty = on; });
  connect(edSkipRecCount_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.SetSkipRecCountText(ToWide(text)); });
  connect(edSkipRecCount_, &QLineEdit::editingFinished, this, [this] { RefreshConstraints(); });
  connect(edExportRecCount_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.SetLimitCountText(ToWide(text)); });
  connect(edExportRecCount_, &QLineEdit::editingFinished, this, [this] { RefreshConstraints(); });
  connect(rbExportOnly_, &QRadioButton::toggled, this, [this](bool on) {
    if (refreshing_) return;
    form_.LimitRecords = on;
    RefreshConstraints();
  });

  connect(bAddOneExportedField_, &QPushButton::clicked, this, [this] { MoveFromAvailable(lstAvailable_->currentRow()); });
  connect(bAddAllExportedField_, &QPushButton::clicked, this, [this] {
    form_.AddAllExportedFields();
    RefreshFields();
  });
  connect(bDelOneExportedField_, &QPushButton::clicked, this, [this] { MoveFromExported(lstExported_->currentRow()); });
  connect(bDelAllExportedField_, &QPushButton::clicked, this, [this] {
    form_.DelAllExportedFields();
    RefreshFields();
  });
  connect(lstAvailable_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { MoveFromAvailable(lstAvailable_->row(item)); });
  connect(lstExported_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { MoveFromExported(lstExported_->row(item)); });
  lstAvailable_->OnFieldDropped = [this](const QString& source, int row) { FieldDropped(lstAvailable_, source, row); };
  lstExported_->OnFieldDropped = [this](const QString& source, int row) { FieldDropped(lstExported_, source, row); };

  WideString TDialogFormatTexts::*const patterns[] = {
      &TDialogFormatTexts::Integer,  &TDialogFormatTexts::Float,       &TDialogFormatTexts::Date,
      &TDialogFormatTexts::Time,     &TDialogFormatTexts::DateTime,    &TDialogFormatTexts::Currency,
      &TDialogFormatTexts::BooleanTrue, &TDialogFormatTexts::BooleanFalse, &TDialogFormatTexts::NullString};
  for (int i = 0; i < 9; ++i) {
    WideString TDialogFormatTexts::*member = patterns[i];
    connect(patternEdits_[i], &QLineEdit::textEdited, this,
            [this, member](const QString& text) { form_.Formats.*member = ToWide(text); });
  }
  auto separator = [this](QLineEdit* edit, char16_t TDialogFormatTexts::*member) {
    connect(edit, &QLineEdit::textEdited, this, [this, member](const QString& text) {
      form_.Formats.*member = TextToChar(text, form_.Formats.*member);
    });
    connect(edit, &QLineEdit::editingFinished, this, [this] { RefreshFormats(); });
  };
  separator(edDecimalSeparator_, &TDialogFormatTexts::DecimalSeparator);
  separator(edThousandSeparator_, &TDialogFormatTexts::ThousandSeparator);
  separator(edDateSeparator_, &TDialogFormatTexts::DateSeparator);
  separator(edTimeSeparator_, &TDialogFormatTexts::TimeSeparator);

  connect(cbUserFormatField_, &QComboBox::currentIndexChanged, this, [this] {
    if (!refreshing_) UserFormatFieldChanged();
  });
  connect(bAddUserFormat_, &QPushButton::clicked, this, [this] {
    form_.AddUserFormat(ToWide(cbUserFormatField_->currentText()), ToWide(cbUserFormatPattern_->currentText()));
    RefreshUserFormats();
  });
  connect(bEditUserFormat_, &QPushButton::clicked, this, [this] {
    form_.EditUserFormat(lstUserFormats_->currentRow(), ToWide(cbUserFormatField_->currentText()),
                         ToWide(cbUserFormatPattern_->currentText()));
    RefreshUserFormats();
  });
  connect(bDeleteUserFormat_, &QPushButton::clicked, this, [this] {
    form_.DeleteUserFormat(lstUserFormats_->currentRow());
    RefreshUserFormats();
  });
  connect(bClearUserFormats_, &QPushButton::clicked, this, [this] {
    form_.ClearUserFormats();
    RefreshUserFormats();
  });
  connect(lstUserFormats_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (refreshing_ || row < 0 || row >= static_cast<int>(form_.UserFormats().size())) return;
    const TDialogUserFormat& entry = form_.UserFormats()[static_cast<size_t>(row)];
    const QSignalBlocker blocker(cbUserFormatField_);
    cbUserFormatField_->setCurrentText(ToQString(entry.Field));
    UserFormatFieldChanged();
    cbUserFormatPattern_->setCurrentText(ToQString(entry.Pattern));
  });

  connect(meHeader_, &QPlainTextEdit::textChanged, this, [this] {
    if (!refreshing_) form_.Header = MemoLines(meHeader_);
  });
  connect(meFooter_, &QPlainTextEdit::textChanged, this, [this] {
    if (!refreshing_) form_.Footer = MemoLines(meFooter_);
  });

  connect(chAllowCaptions_, &QCheckBox::toggled, this, [this](bool on) { form_.AllowCaptions = on; });
  connect(sgCaptions_, &QTableWidget::cellChanged, this, [this](int row, int column) {
    if (!refreshing_) CaptionCellChanged(row, column);
  });
  connect(edCaptionRow_, &QSpinBox::valueChanged, this, [this](int value) { form_.CaptionRow = value; });

  connect(chTXTAutoCalcColWidth_, &QCheckBox::toggled, this,
          [this](bool on) { form_.TXTOptions.AutoCalcColWidth = on; });
  connect(edTXTSpacing_, &QSpinBox::valueChanged, this, [this](int value) { form_.TXTOptions.ColSpacing = value; });
  connect(edCSVComma_, &QLineEdit::textEdited, this, [this](const QString& text) {
    form_.CSVOptions.Comma = TextToChar(text, form_.CSVOptions.Comma);
  });
  connect(edCSVComma_, &QLineEdit::editingFinished, this, [this] { RefreshTypeOptions(); });
  // An empty quote box means no quoting.
  connect(edCSVQuote_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.CSVOptions.Quote = TextToChar(text, 0); });
  connect(chCSVQuoteStrings_, &QCheckBox::toggled, this, [this](bool on) { form_.CSVOptions.QuoteStrings = on; });
  connect(edAccessTableName_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.AccessOptions.TableName = ToWide(text); });
  connect(edAccessPassword_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.AccessOptions.Password = ToWide(text); });
  connect(chAccessCreateTable_, &QCheckBox::toggled, this, [this](bool on) { form_.AccessOptions.CreateTable = on; });

  connect(cbSQLScriptType_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!refreshing_ && index >= 0) form_.SQLOptions.ScriptType = static_cast<TTesselScriptType>(index);
  });
  connect(edSQLTableName_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.SQLOptions.TableName = ToWide(text); });
  connect(chSQLCreateTable_, &QCheckBox::toggled, this, [this](bool on) { form_.SQLOptions.CreateTable = on; });
  connect(edSQLCommitRecCount_, &QSpinBox::valueChanged, this,
          [this](int value) { form_.SQLOptions.CommitRecCount = value; });
  connect(chSQLCommitAfterScript_, &QCheckBox::toggled, this,
          [this](bool on) { form_.SQLOptions.CommitAfterScript = on; });
  connect(edSQLCommitStatement_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.SQLOptions.CommitStatement = ToWide(text); });
  // An empty terminator box means no terminator.
  connect(edSQLStatementTerm_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.SQLOptions.StatementTerm = TextToChar(text, 0); });

  connect(chXMLStandalone_, &QCheckBox::toggled, this, [this](bool on) { form_.XMLOptions.Standalone = on; });
  connect(cbXMLEncoding_, &QComboBox::currentTextChanged, this,
          [this](const QString& text) { form_.XMLOptions.Encoding = ToWide(text); });
  connect(rbXMLAccess_, &QRadioButton::toggled, this, [this](bool on) { form_.XMLOptions.DocumentType = on ? 1 : 0; });
  connect(chXMLSchema_, &QCheckBox::toggled, this, [this](bool on) { form_.XMLOptions.ExportXSDSchema = on; });
  connect(edXLSSheetTitle_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.XLSOptions.Sheet.SheetTitle = ToWide(text); });
  connect(edXLSPageHeader_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.XLSOptions.Sheet.PageHeader = ToWide(text); });
  connect(edXLSPageFooter_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.XLSOptions.Sheet.PageFooter = ToWide(text); });
  connect(chXLSAutoCalcColWidth_, &QCheckBox::toggled, this,
          [this](bool on) { form_.XLSOptions.Sheet.AutoCalcColWidth = on; });
  connect(chXLSCaptionBold_, &QCheckBox::toggled, this, [this](bool on) {
    uint8_t& style = form_.XLSOptions.Sheet.CaptionsFormat.Font.Style;
    style = on ? static_cast<uint8_t>(style | xfsBold) : static_cast<uint8_t>(style & ~xfsBold);
  });
  connect(cbXLSStripType_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) form_.XLSOptions.Sheet.StripType = static_cast<TxlsStripType>(index);
  });
}

// ------------------------------------------------------------- refreshing

void TTesselDialogF::Refresh() {
  refreshing_ = true;
  setWindowTitle(WindowCaption());
  SetTextIfDifferent(edFileName_, PathToQString(form_.FileName()));
  const bool fileControls = form_.FileControlsEnabled();
  laFileName_->setEnabled(fileControls);
  edFileName_->setEnabled(fileControls);
  bBrowse_->setEnabled(fileControls);
  chShowFile_->setEnabled(fileControls);
  chShowFile_->setChecked(form_.ShowFile);
  chPrintFile_->setChecked(form_.PrintFile);
  bStart_->setEnabled(form_.StartEnabled());
  const bool tools = form_.ToolsVisible();
  miSaveOptions_->setEnabled(tools);
  miSaveOptions_->setVisible(tools);
  miLoadOptions_->setEnabled(tools);
  miLoadOptions_->setVisible(tools);
  bTools_->setVisible(tools);
  bTools_->setEnabled(tools);
  RefreshTypeList();
  RefreshPages();
  RefreshConstraints();
  RefreshFields();
  RefreshFormats();
  RefreshUserFormats();
  SetMemo(meHeader_, form_.Header);
  SetMemo(meFooter_, form_.Footer);
  RefreshCaptions();
  RefreshTypeOptions();
  refreshing_ = false;
}

// The form's caption ("Export Formu -- Çıktı [name]") in the program's language.
QString TTesselDialogF::WindowCaption() const {
  if (form_.FileName().empty()) return Tr(u"Export Formu");
  return Tr(u"Export Formu -- Çıktı [%s]").replace(QStringLiteral("%s"), QFileInfo(PathToQString(form_.FileName())).fileName());
}

void TTesselDialogF::RefreshTypeList() {
  if (QAbstractButton* button = rgExportType_->button(form_.TypeIndex())) button->setChecked(true);
}

void TTesselDialogF::RefreshPages() {
  pages_->setTabVisible(pages_->indexOf(tshFields_), form_.PageVisible(TDialogPage::Fields));
  pages_->setTabVisible(pages_->indexOf(tshFormats_), form_.PageVisible(TDialogPage::Formats));
  pages_->setTabVisible(pages_->indexOf(tshHeaderFooter_), form_.PageVisible(TDialogPage::HeaderFooter));
  pages_->setTabVisible(pages_->indexOf(tshCaptions_), form_.PageVisible(TDialogPage::Captions));
  pages_->setTabVisible(pages_->indexOf(tshAscii_), form_.TypeOptionsPage() == TOptionsPage::ASCII);
  pages_->setTabVisible(pages_->indexOf(tshAccess_), form_.TypeOptionsPage() == TOptionsPage::Access);
  pages_->setTabVisible(pages_->indexOf(tshSQL_), form_.TypeOptionsPage() == TOptionsPage::SQL);
  pages_->setTabVisible(pages_->indexOf(tshXML_), form_.TypeOptionsPage() == TOptionsPage::XML);
  pages_->setTabVisible(pages_->indexOf(tshHTML_), form_.TypeOptionsPage() == TOptionsPage::HTML);
  pages_->setTabVisible(pages_->indexOf(tshPDF_), form_.TypeOptionsPage() == TOptionsPage::PDF);
  pages_->setTabVisible(pages_->indexOf(tshExcel_), form_.TypeOptionsPage() == TOptionsPage::Excel);
  pages_->setTabVisible(pages_->indexOf(tshXlsx_), form_.TypeOptionsPage() == TOptionsPage::Xlsx);
  pages_->setTabVisible(pages_->indexOf(tshDocx_), form_.TypeOptionsPage() == TOptionsPage::Docx);
  pages_->setTabVisible(pages_->indexOf(tshODS_), form_.TypeOptionsPage() == TOptionsPage::ODS);
  pages_->setTabVisible(pages_->indexOf(tshODT_), form_.TypeOptionsPage() == TOptionsPage::ODT);
  pages_->setTabVisible(pages_->indexOf(tshWordRTF_), form_.TypeOptionsPage() == TOptionsPage::WordRTF);
  typeSubPages_->setTabVisible(typeSubPages_->indexOf(tshExportOptions_), form_.OptionsSubPageVisible());
  if (!pages_->isTabVisible(pages_->currentIndex())) pages_->setCurrentWidget(tshExportType_);
  gbSeparators_->setEnabled(form_.SeparatorsEnabled());
}

void TTesselDialogF::RefreshConstraints() {
  const bool wasRefreshing = refreshing_;
  refreshing_ = true;
  chGoToFirstRecord_->setChecked(form_.GoToFirstRecord);
  chCurrentRecordOnly_->setChecked(form_.CurrentRecordOnly);
  chExportEmpty_->setChecked(form_.ExportEmpty);
  if (!edSkipRecCount_->hasFocus()) SetTextIfDifferent(edSkipRecCount_, QString::number(form_.SkipRecCount));
  if (!edExportRecCount_->hasFocus()) SetTextIfDifferent(edExportRecCount_, QString::number(form_.LimitCount));
  (form_.LimitRecords ? rbExportOnly_ : rbExportAll_)->setChecked(true);
  edExportRecCount_->setEnabled(form_.LimitRecords);
  refreshing_ = wasRefreshing;
}

void TTesselDialogF::RefreshFields() {
  auto fill = [](QListWidget* list, const std::vector<TDialogField>& fields) {
    const int current = list->currentRow();
    list->clear();
    for (const TDialogField& field : fields) list->addItem(ToQString(field.Name));
    if (list->count() > 0) list->setCurrentRow(std::clamp(current, 0, list->count() - 1));
  };
  fill(lstAvailable_, form_.AvailableFields());
  fill(lstExported_, form_.ExportedFields());
}

void TTesselDialogF::RefreshFormats() {
  const TDialogFormatTexts& formats = form_.Formats;
  const WideString* values[] = {&formats.Integer,  &formats.Float,       &formats.Date,
                                &formats.Time,     &formats.DateTime,    &formats.Currency,
                                &formats.BooleanTrue, &formats.BooleanFalse, &formats.NullString};
  for (int i = 0; i < 9; ++i) SetTextIfDifferent(patternEdits_[i], ToQString(*values[i]));
  SetTextIfDifferent(edDecimalSeparator_, CharToText(formats.DecimalSeparator));
  SetTextIfDifferent(edThousandSeparator_, CharToText(formats.ThousandSeparator));
  SetTextIfDifferent(edDateSeparator_, CharToText(formats.DateSeparator));
  SetTextIfDifferent(edTimeSeparator_, CharToText(formats.TimeSeparator));
}

void TTesselDialogF::RefreshUserFormats() {
  const bool wasRefreshing = refreshing_;
  refreshing_ = true;
  if (cbUserFormatField_->count() == 0) {
    for (const WideString& name : form_.UserFormatFields()) cbUserFormatField_->addItem(ToQString(name));
    UserFormatFieldChanged();
  }
  lstUserFormats_->clear();
  for (const TDialogUserFormat& entry : form_.UserFormats())
    lstUserFormats_->addItem(ToQString(entry.Field + u" = " + entry.Pattern));
  refreshing_ = wasRefreshing;
}

void TTesselDialogF::UserFormatFieldChanged() {
  const QString pattern = cbUserFormatPattern_->currentText();
  cbUserFormatPattern_->clear();
  for (const WideString& suggestion : form_.UserFormatSuggestions(ToWide(cbUserFormatField_->currentText())))
    cbUserFormatPattern_->addItem(ToQString(suggestion));
  if (cbUserFormatPattern_->count() == 0) cbUserFormatPattern_->setCurrentText(pattern);
}

void TTesselDialogF::RefreshCaptions() {
  const bool wasRefreshing = refreshing_;
  refreshing_ = true;
  const std::vector<TDialogCaption>& rows = form_.CaptionGrid();
  chAllowCaptions_->setChecked(form_.AllowCaptions);
  sgCaptions_->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const TDialogCaption& row = rows[static_cast<size_t>(i)];
    auto* name = new QTableWidgetItem(ToQString(row.Field));
    name->setFlags(name->flags() & ~Qt::ItemIsEditable);
    sgCaptions_->setItem(i, 0, name);
    sgCaptions_->setItem(i, 1, new QTableWidgetItem(ToQString(row.Caption)));
    auto* align = qobject_cast<QComboBox*>(sgCaptions_->cellWidget(i, 2));
    if (!align) {
      align = new QComboBox(sgCaptions_);
      for (const char16_t* text : kAlignTexts) align->addItem(Q(text));
      sgCaptions_->setCellWidget(i, 2, align);
      connect(align, &QComboBox::currentIndexChanged, this, [this, i](int index) {
        if (refreshing_ || index < 0) return;
        form_.CaptionGrid().at(static_cast<size_t>(i)).Align = static_cast<TTesselColAlign>(index);
      });
    }
    align->setCurrentIndex(row.Align);
    sgCaptions_->setItem(i, 3, new QTableWidgetItem(QString::number(row.Width)));
  }
  const bool captionRow = form_.CaptionRowVisible();
  laCaptionRow_->setVisible(captionRow);
  edCaptionRow_->setVisible(captionRow);
  edCaptionRow_->setValue(form_.CaptionRow);
  refreshing_ = wasRefreshing;
}

void TTesselDialogF::CaptionCellChanged(int row, int column) {
  if (row < 0 || row >= static_cast<int>(form_.CaptionGrid().size())) return;
  TDialogCaption& caption = form_.CaptionGrid()[static_cast<size_t>(row)];
  const QString text = sgCaptions_->item(row, column)->text();
  if (column == 1) caption.Caption = ToWide(text);
  if (column == 3) {
    bool ok = false;
    const int width = text.trimmed().toInt(&ok);
    if (ok && width >= 0) caption.Width = width;
    // The grid shows the stored width again once the edit has finished; its
    // items cannot be replaced while they report their own change.
    QTimer::singleShot(0, this, [this] { RefreshCaptions(); });
  }
}

void TTesselDialogF::RefreshTypeOptions() {
  const TAllowedExport type = form_.SelectedType();
  gbTXT_->setEnabled(type == aeTXT);
  gbCSV_->setEnabled(type == aeCSV);
  chTXTAutoCalcColWidth_->setChecked(form_.TXTOptions.AutoCalcColWidth);
  edTXTSpacing_->setValue(form_.TXTOptions.ColSpacing);
  if (!edCSVComma_->hasFocus()) SetTextIfDifferent(edCSVComma_, CharToText(form_.CSVOptions.Comma));
  if (!edCSVQuote_->hasFocus()) SetTextIfDifferent(edCSVQuote_, CharToText(form_.CSVOptions.Quote));
  chCSVQuoteStrings_->setChecked(form_.CSVOptions.QuoteStrings);
  if (!edAccessTableName_->hasFocus()) SetTextIfDifferent(edAccessTableName_, ToQString(form_.AccessOptions.TableName));
  if (!edAccessPassword_->hasFocus()) SetTextIfDifferent(edAccessPassword_, ToQString(form_.AccessOptions.Password));
  chAccessCreateTable_->setChecked(form_.AccessOptions.CreateTable);
  const TTesselSQLOptions& sql = form_.SQLOptions;
  {
    const QSignalBlocker blocker(cbSQLScriptType_);
    cbSQLScriptType_->setCurrentIndex(sql.ScriptType);
  }
  if (!edSQLTableName_->hasFocus()) SetTextIfDifferent(edSQLTableName_, ToQString(sql.TableName));
  chSQLCreateTable_->setChecked(sql.CreateTable);
  edSQLCommitRecCount_->setValue(sql.CommitRecCount);
  chSQLCommitAfterScript_->setChecked(sql.CommitAfterScript);
  if (!edSQLCommitStatement_->hasFocus()) SetTextIfDifferent(edSQLCommitStatement_, ToQString(sql.CommitStatement));
  if (!edSQLStatementTerm_->hasFocus()) SetTextIfDifferent(edSQLStatementTerm_, CharToText(sql.StatementTerm));
  chXMLStandalone_->setChecked(form_.XMLOptions.Standalone);
  if (!cbXMLEncoding_->hasFocus() && cbXMLEncoding_->currentText() != ToQString(form_.XMLOptions.Encoding))
    cbXMLEncoding_->setCurrentText(ToQString(form_.XMLOptions.Encoding));
  (form_.XMLOptions.DocumentType == 1 ? rbXMLAccess_ : rbXMLDatapacket_)->setChecked(true);
  chXMLSchema_->setChecked(form_.XMLOptions.ExportXSDSchema);
  tshHTML_->Refresh();
  tshPDF_->Refresh();
  if (!edXLSSheetTitle_->hasFocus()) SetTextIfDifferent(edXLSSheetTitle_, ToQString(form_.XLSOptions.Sheet.SheetTitle));
  if (!edXLSPageHeader_->hasFocus()) SetTextIfDifferent(edXLSPageHeader_, ToQString(form_.XLSOptions.Sheet.PageHeader));
  if (!edXLSPageFooter_->hasFocus()) SetTextIfDifferent(edXLSPageFooter_, ToQString(form_.XLSOptions.Sheet.PageFooter));
  chXLSAutoCalcColWidth_->setChecked(form_.XLSOptions.Sheet.AutoCalcColWidth);
  chXLSCaptionBold_->setChecked(form_.XLSOptions.Sheet.CaptionsFormat.Font.Has(xfsBold));
  cbXLSStripType_->setCurrentIndex(form_.XLSOptions.Sheet.StripType);
  tshXlsx_->Refresh();
  tshDocx_->Refresh();
  tshODS_->Refresh();
  tshODT_->Refresh();
  tshWordRTF_->Refresh();
}

// ---------------------------------------------------------------- actions

void TTesselDialogF::TypeClicked(int index) {
  form_.SelectTypeIndex(index);
  Refresh();
}

void TTesselDialogF::MoveFromAvailable(int row) {
  form_.AddOneExportedField(row);
  RefreshFields();
}

void TTesselDialogF::MoveFromExported(int row) {
  form_.DelOneExportedField(row);
  RefreshFields();
}

void TTesselDialogF::FieldDropped(QListWidget* target, const QString& sourceList, int sourceRow) {
  if (target == lstExported_ && sourceList == FieldListName(lstAvailable_)) MoveFromAvailable(sourceRow);
  if (target == lstAvailable_ && sourceList == FieldListName(lstExported_)) MoveFromExported(sourceRow);
}

void TTesselDialogF::bBrowseClick() {
  const QString chosen = AskSaveFileName(QString(), ToQtFilter(ToWide(Tr(form_.FileFilter()))),
                                         ToQString(form_.DefaultExtension()), PathToQString(form_.FileName()));
  if (chosen.isEmpty()) return;
  form_.SetFileName(ToUtf8Path(chosen));
  Refresh();
}

void TTesselDialogF::miSaveOptionsClick() {
  if (form_.Running()) return;
  const QString chosen = AskSaveFileName(QString(), ToQtFilter(kSettingsFilter), QStringLiteral("cfg"),
                                         PathToQString(form_.OptionsFileName));
  if (chosen.isEmpty()) return;
  form_.OptionsFileName = ToUtf8Path(chosen);
  try {
    form_.SaveOptions(form_.OptionsFileName);
  } catch (const std::exception& error) {
    ShowError(QString::fromUtf8(error.what()));
  }
}

void TTesselDialogF::miLoadOptionsClick() {
  if (form_.Running()) return;
  const QString chosen =
      AskOpenFileName(QString(), ToQtFilter(kSettingsFilter), PathToQString(form_.OptionsFileName));
  if (chosen.isEmpty()) return;
  form_.OptionsFileName = ToUtf8Path(chosen);
  try {
    form_.LoadOptions(form_.OptionsFileName);
  } catch (const std::exception& error) {
    ShowError(QString::fromUtf8(error.what()));
  }
  Refresh();
}

// A second start, the exit button and closing the window are ignored while
// an export runs: the run processes pending input between records.
void TTesselDialogF::bStartClick() {
  if (form_.Running() || !form_.StartEnabled()) return;
  TQtDialogUI ui(this, [this](TfmTesselProgress* window) { progressWindow_ = window; });
  try {
    form_.Start(ui);
  } catch (const std::exception& error) {
    progressWindow_ = nullptr;
    Refresh();
    ShowError(QString::fromUtf8(error.what()));
    return;
  }
  progressWindow_ = nullptr;
  Refresh();
}

void TTesselDialogF::closeEvent(QCloseEvent* event) {
  if (form_.Running()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TTesselDialogF::reject() {
  if (!form_.Running()) QDialog::reject();
}

void TTesselDialogF::ShowError(const QString& message) {
  QMessageBox::critical(this, windowTitle(), message);
}

// -------------------------------------------------------------- run hooks

TQtDialogUI::TQtDialogUI(QWidget* owner, std::function<void(TfmTesselProgress*)> onProgressWindow)
    : owner_(owner), onProgressWindow_(std::move(onProgressWindow)) {}

std::unique_ptr<TTesselProgressView> TQtDialogUI::ShowProgress(std::function<void()> abortExporter) {
  auto view = std::make_unique<TQtProgressView>(owner_, std::move(abortExporter));
  if (onProgressWindow_) onProgressWindow_(&view->Window());
  return view;
}

bool TQtDialogUI::ConfirmStop() {
  QMessageBox box(QMessageBox::Question, ToQString(TTesselLocale::Instance().LoadText(res::kStopQuestionTitle)),
                  ToQString(TTesselLocale::Instance().LoadText(res::kStopQuestionText)),
                  QMessageBox::Yes | QMessageBox::No, owner_);
  box.setObjectName(QStringLiteral("StopQuestion"));
  box.button(QMessageBox::Yes)->setText(Q(u"Evet"));
  box.button(QMessageBox::No)->setText(Q(u"Hayır"));
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void ShowDialogForm(TTesselDialogForm& form, QWidget* parent) {
  TTesselDialogF window(form, parent);
  window.exec();
}

}  // namespace verimo
