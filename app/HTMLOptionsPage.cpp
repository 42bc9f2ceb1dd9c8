#include "app/HTMLOptionsPage.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/OptionsPageWidgets.h"
#include "app/QtText.h"
#include "formats/text/TesselHTML.h"

namespace verimo {
namespace {

QString Q(const char16_t* text) { return Tr(text); }

// The template list, in the order of THTMLTemplate.
const char16_t* const kTemplateNames[] = {u"(Özel)", u"Siyah-Beyaz", u"Klasik", u"Renkli", u"Gri",
                                          u"MS Money", u"Bulanık", u"Zeytin", u"Sade", u"Basit"};

constexpr char16_t kTemplateFilter[] = u"Şablon dosyaları (*.ini);;Tüm dosyalar (*)";

}  // namespace

THTMLOptionsPage::THTMLOptionsPage(TTesselDialogForm& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName(QStringLiteral("tshHTML"));
  AskSaveFileName = [this](const QString& caption) {
    return QFileDialog::getSaveFileName(this, caption, QString(), Q(kTemplateFilter));
  };
  AskOpenFileName = [this](const QString& caption) {
    return QFileDialog::getOpenFileName(this, caption, QString(), Q(kTemplateFilter));
  };
  AskColor = [this](const QColor& start) { return QColorDialog::getColor(start, this); };
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName(QStringLiteral("tabsHTML"));
  tabs->addTab(BuildPagePage(), Q(u"Sayfa"));
  tabs->addTab(BuildTablePage(), Q(u"Tablo"));
  tabs->addTab(BuildFilesPage(), Q(u"Çoklu Dosya"));
  layout->addWidget(tabs);
  Refresh();
}

void THTMLOptionsPage::Refresh() {
  refreshing_ = true;
  for (const auto& refresh : refreshers_) refresh();
  refreshing_ = false;
}

// ---- bound controls ----

QPushButton* THTMLOptionsPage::ColorButton(const char* name, TColor& option) {
  auto* button = new QPushButton;
  button->setObjectName(QString::fromLatin1(name));
  button->setFixedWidth(48);
  auto paint = [button, &option] {
    button->setStyleSheet(QStringLiteral("background-color: %1").arg(ToQColor(option).name()));
    button->setToolTip(ToQString(html::ColorCode(option)));
  };
  refreshers_.push_back(paint);
  connect(button, &QPushButton::clicked, this, [this, &option, paint] {
    const QColor chosen = AskColor(ToQColor(option));
    if (!chosen.isValid()) return;
    option = FromQColor(chosen);
    cbTemplate_->setCurrentIndex(htCustom);
    paint();
  });
  return button;
}

QLineEdit* THTMLOptionsPage::TextEdit(const char* name, WideString& option) {
  auto* edit = new QLineEdit;
  edit->setObjectName(QString::fromLatin1(name));
  refreshers_.push_back([edit, &option] {
    if (ToWide(edit->text()) != option) edit->setText(ToQString(option));
  });
  connect(edit, &QLineEdit::textEdited, this, [&option](const QString& text) { option = ToWide(text); });
  return edit;
}

QLineEdit* THTMLOptionsPage::PathEdit(const char* name, std::string& option) {
  auto* edit = new QLineEdit;
  edit->setObjectName(QString::fromLatin1(name));
  refreshers_.push_back([edit, &option] {
    if (ToUtf8Path(edit->text()) != option) edit->setText(PathToQString(option));
  });
  connect(edit, &QLineEdit::textEdited, this, [&option](const QString& text) { option = ToUtf8Path(text); });
  return edit;
}

QSpinBox* THTMLOptionsPage::NumberEdit(const char* name, int low, int high, int& option) {
  auto* box = new QSpinBox;
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(low, high);
  refreshers_.push_back([box, &option] { box->setValue(option); });
  connect(box, &QSpinBox::valueChanged, this, [this, &option](int value) {
    if (!refreshing_) option = value;
  });
  return box;
}

QCheckBox* THTMLOptionsPage::FlagBox(const char* name, const QString& caption, bool& option) {
  auto* box = new QCheckBox(caption);
  box->setObjectName(QString::fromLatin1(name));
  refreshers_.push_back([box, &option] { box->setChecked(option); });
  connect(box, &QCheckBox::toggled, this, [this, &option](bool on) {
    if (!refreshing_) option = on;
  });
  return box;
}

// ---- sub-pages ----

QWidget* THTMLOptionsPage::BuildPagePage() {
  TTesselHTMLPageOptions& page = form_.HTMLPageOptions;
  auto* widget = new QWidget;
  auto* layout = new QVBoxLayout(widget);
  auto* general = new QFormLayout;
  general->addRow(Q(u"Sayfa başlığı:"), TextEdit("edHTMLTitle", page.Title));

  auto* templates = new QHBoxLayout;
  cbTemplate_ = new QComboBox;
  cbTemplate_->setObjectName(QStringLiteral("cbHTMLTemplate"));
  for (const char16_t* name : kTemplateNames) cbTemplate_->addItem(Q(name));
  connect(cbTemplate_, &QComboBox::activated, this, [this](int index) { ApplyTemplate(index); });
  auto* save = new QPushButton(Q(u"Kaydet..."));
  save->setObjectName(QStringLiteral("bSaveHTMLTemplate"));
  auto* load = new QPushButton(Q(u"Yükle..."));
  load->setObjectName(QStringLiteral("bLoadHTMLTemplate"));
  connect(save, &QPushButton::clicked, this, [this] { SaveTemplate(); });
  connect(load, &QPushButton::clicked, this, [this] { LoadTemplate(); });
  templates->addWidget(cbTemplate_, 1);
  templates->addWidget(save);
  templates->addWidget(load);
  general->addRow(Q(u"Renk şablonu:"), templates);
  layout->addLayout(general);

  auto* colors = new QGroupBox(Q(u"Renkler"));
  auto* colorGrid = new QGridLayout(colors);
  colorGrid->addWidget(new QLabel(Q(u"Arka plan:")), 0, 0);
  colorGrid->addWidget(ColorButton("bHTMLBackgroundColor", page.BackgroundColor), 0, 1);
  colorGrid->addWidget(new QLabel(Q(u"Yazı:")), 0, 2);
  colorGrid->addWidget(ColorButton("bHTMLFontColor", page.TextFont.Color), 0, 3);
  colorGrid->addWidget(new QLabel(Q(u"Bağlantı:")), 1, 0);
  colorGrid->addWidget(ColorButton("bHTMLLinkColor", page.LinkColor), 1, 1);
  colorGrid->addWidget(new QLabel(Q(u"Ziyaret edilmiş:")), 1, 2);
  colorGrid->addWidget(ColorButton("bHTMLVLinkColor", page.VLinkColor), 1, 3);
  colorGrid->addWidget(new QLabel(Q(u"Etkin bağlantı:")), 2, 0);
  colorGrid->addWidget(ColorButton("bHTMLALinkColor", page.ALinkColor), 2, 1);
  layout->addWidget(colors);

  auto* font = new QGroupBox(Q(u"Yazı tipi"));
  auto* fontGrid = new QGridLayout(font);
  fontGrid->addWidget(TextEdit("edHTMLFontName", page.TextFont.Name), 0, 0);
  auto* size = new QSpinBox;
  size->setObjectName(QStringLiteral("edHTMLFontSize"));
  size->setRange(1, 96);
  refreshers_.push_back([size, &page] { size->setValue(page.TextFont.Size()); });
  connect(size, &QSpinBox::valueChanged, this, [this, &page](int points) {
    if (!refreshing_) page.TextFont.SetSize(points);
  });
  fontGrid->addWidget(size, 0, 1);
  fontGrid->addWidget(FlagBox("chHTMLDefaultFontName", Q(u"Yazı tipini tarayıcı seçsin"), page.DefaultOptions.FontName), 1, 0);
  fontGrid->addWidget(FlagBox("chHTMLDefaultFontSize", Q(u"Boyutu tarayıcı seçsin"), page.DefaultOptions.FontSize), 1, 1);
  layout->addWidget(font);

  auto* css = new QGroupBox(Q(u"Stil sayfası (CSS)"));
  auto* cssGrid = new QGridLayout(css);
  rbInternalCSS_ = new QRadioButton(Q(u"Sayfanın içinde"));
  rbInternalCSS_->setObjectName(QStringLiteral("rbHTMLInternalCSS"));
  rbExternalCSS_ = new QRadioButton(Q(u"Ayrı dosyada:"));
  rbExternalCSS_->setObjectName(QStringLiteral("rbHTMLExternalCSS"));
  refreshers_.push_back([this, &page] {
    rbInternalCSS_->setChecked(page.UsingCSS == usInternal);
    rbExternalCSS_->setChecked(page.UsingCSS == usExternal);
  });
  connect(rbExternalCSS_, &QRadioButton::toggled, this, [this, &page](bool on) {
    if (!refreshing_) page.UsingCSS = on ? usExternal : usInternal;
  });
  cssGrid->addWidget(rbInternalCSS_, 0, 0);
  cssGrid->addWidget(rbExternalCSS_, 1, 0);
  cssGrid->addWidget(PathEdit("edHTMLCSSFileName", page.CSSFileName), 1, 1);
  cssGrid->addWidget(FlagBox("chHTMLOverwriteCSSFile", Q(u"Var olan dosyanın üzerine yaz"), page.OverwriteCSSFile), 2, 0, 1, 2);
  layout->addWidget(css);

  auto* rest = new QFormLayout;
  rest->addRow(Q(u"Arka plan resmi:"), TextEdit("edHTMLBackgroundFile", page.BackgroundFileName));
  layout->addLayout(rest);
  layout->addWidget(FlagBox("chHTMLBoolAsCheckBox", Q(u"Mantıksal değerleri onay kutusu olarak göster"), page.BoolAsCheckBox));
  layout->addStretch();
  return widget;
}

QWidget* THTMLOptionsPage::BuildTablePage() {
  TTesselHTMLTableOptions& table = form_.HTMLTableOptions;
  auto* widget = new QWidget;
  auto* layout = new QVBoxLayout(widget);
  auto* sizes = new QFormLayout;
  sizes->addRow(Q(u"Kenarlık kalınlığı:"), NumberEdit("edHTMLBorderWidth", 0, 100, table.Border));
  sizes->addRow(Q(u"Hücre iç boşluğu:"), NumberEdit("edHTMLCellPadding", 0, 100, table.CellPadding));
  sizes->addRow(Q(u"Hücre aralığı:"), NumberEdit("edHTMLCellSpacing", 0, 100, table.CellSpacing));
  layout->addLayout(sizes);
  auto* colors = new QGroupBox(Q(u"Renkler"));
  auto* grid = new QGridLayout(colors);
  grid->addWidget(new QLabel(Q(u"Başlık satırı:")), 0, 0);
  grid->addWidget(ColorButton("bHTMLHeadersRowBgColor", table.HeadersRowBgColor), 0, 1);
  grid->addWidget(new QLabel(Q(u"Başlık yazısı:")), 0, 2);
  grid->addWidget(ColorButton("bHTMLHeadersRowFontColor", table.HeadersRowFontColor), 0, 3);
  grid->addWidget(new QLabel(Q(u"Tek satırlar:")), 1, 0);
  grid->addWidget(ColorButton("bHTMLOddRowBgColor", table.OddRowBgColor), 1, 1);
  grid->addWidget(new QLabel(Q(u"Çift satırlar:")), 1, 2);
  grid->addWidget(ColorButton("bHTMLTableBgColor", table.TableBgColor), 1, 3);
  grid->addWidget(new QLabel(Q(u"Veri yazısı:")), 2, 0);
  grid->addWidget(ColorButton("bHTMLTableFontColor", table.TableFontColor), 2, 1);
  grid->addWidget(new QLabel(Q(u"Çerçeve (beyaz: yok):")), 2, 2);
  grid->addWidget(ColorButton("bHTMLBorderColor", table.BorderColor), 2, 3);
  layout->addWidget(colors);
  auto* rest = new QFormLayout;
  rest->addRow(Q(u"Tablo arka plan resmi:"), TextEdit("edHTMLTableBackground", table.BackgroundFileName));
  layout->addLayout(rest);
  layout->addStretch();
  return widget;
}

QWidget* THTMLOptionsPage::BuildFilesPage() {
  TTesselHTMLMultiFileOptions& files = form_.HTMLMultiFileOptions;
  auto* widget = new QWidget;
  auto* layout = new QVBoxLayout(widget);
  auto* paging = new QFormLayout;
  paging->addRow(Q(u"Sayfa başına kayıt (0: tek dosya):"), NumberEdit("edHTMLFileRecCount", 0, 1000000000, files.FileRecCount));
  layout->addLayout(paging);
  auto* index = new QGroupBox(Q(u"Dizin sayfası"));
  auto* indexForm = new QFormLayout(index);
  indexForm->addRow(FlagBox("chHTMLGenerateIndex", Q(u"Dizin sayfası oluştur"), files.GenerateIndex));
  indexForm->addRow(Q(u"Bağlantı metni:"), TextEdit("edHTMLIndexLinkTemplate", files.IndexLinkTemplate));
  layout->addWidget(index);
  auto* bar = new QGroupBox(Q(u"Gezinti çubuğu"));
  auto* barForm = new QFormLayout(bar);
  auto* where = new QHBoxLayout;
  where->addWidget(FlagBox("chHTMLNavigationOnTop", Q(u"Üstte"), files.OnTop));
  where->addWidget(FlagBox("chHTMLNavigationOnBottom", Q(u"Altta"), files.OnBottom));
  barForm->addRow(where);
  barForm->addRow(Q(u"Dizin:"), TextEdit("edHTMLIndexLinkTitle", files.IndexLinkTitle));
  barForm->addRow(Q(u"İlk:"), TextEdit("edHTMLFirstLinkTitle", files.FirstLinkTitle));
  barForm->addRow(Q(u"Önceki:"), TextEdit("edHTMLPriorLinkTitle", files.PriorLinkTitle));
  barForm->addRow(Q(u"Sonraki:"), TextEdit("edHTMLNextLinkTitle", files.NextLinkTitle));
  barForm->addRow(Q(u"Son:"), TextEdit("edHTMLLastLinkTitle", files.LastLinkTitle));
  layout->addWidget(bar);
  layout->addStretch();
  return widget;
}

// ---- templates ----

void THTMLOptionsPage::ApplyTemplate(int index) {
  if (index <= htCustom || index > htSimple) return;
  verimo::ApplyHTMLTemplate(static_cast<THTMLTemplate>(index), form_.HTMLOptions());
  Refresh();
}

void THTMLOptionsPage::SaveTemplate() {
  const QString name = AskSaveFileName(Q(u"Renk şablonunu kaydet"));
  if (name.isEmpty()) return;
  TTesselHTML html;
  CopyHTMLOptionsTo(form_.HTMLPageOptions, form_.HTMLTableOptions, form_.HTMLMultiFileOptions, html);
  html.SaveTemplateToFile(ToUtf8Path(name));
}

void THTMLOptionsPage::LoadTemplate() {
  const QString name = AskOpenFileName(Q(u"Renk şablonu yükle"));
  if (name.isEmpty()) return;
  TTesselHTML html;
  CopyHTMLOptionsTo(form_.HTMLPageOptions, form_.HTMLTableOptions, form_.HTMLMultiFileOptions, html);
  html.LoadTemplateFromFile(ToUtf8Path(name));
  CopyHTMLOptionsFrom(html, form_.HTMLOptions());
  cbTemplate_->setCurrentIndex(htCustom);
  Refresh();
}

}  // namespace verimo
