#include "app/ProgramSettingsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/QtText.h"

namespace verimo {
namespace {

struct TCodePageChoice {
  int codePage;
  const char16_t* name;
};

constexpr TCodePageChoice kCodePages[] = {
    {0, u"Otomatik (sistemin, nötr yerel ayarda tablonun)"},
    {1254, u"1254 Türkçe"},
    {1252, u"1252 Batı Avrupa"},
    {1250, u"1250 Orta Avrupa"},
    {1251, u"1251 Kiril"},
    {1253, u"1253 Yunanca"},
    {1255, u"1255 İbranice"},
    {1256, u"1256 Arapça"},
    {1257, u"1257 Baltık"},
    {1258, u"1258 Vietnamca"},
    {874, u"874 Tayca"},
    {932, u"932 Japonca"},
    {936, u"936 Basitleştirilmiş Çince"},
    {949, u"949 Korece"},
    {950, u"950 Geleneksel Çince"},
};

// The code pages tables are written in: Windows and DOS ones.
constexpr TCodePageChoice kTableCodePages[] = {
    {0, u"Tablonun başlığındaki"},
    {1254, u"1254 Türkçe (Windows)"},
    {857, u"857 Türkçe (DOS)"},
    {1252, u"1252 Batı Avrupa (Windows)"},
    {437, u"437 ABD (DOS)"},
    {850, u"850 Batı Avrupa (DOS)"},
    {1250, u"1250 Orta Avrupa (Windows)"},
    {852, u"852 Orta Avrupa (DOS)"},
    {1251, u"1251 Kiril (Windows)"},
    {866, u"866 Kiril (DOS)"},
    {1253, u"1253 Yunanca (Windows)"},
    {737, u"737 Yunanca (DOS)"},
    {1257, u"1257 Baltık (Windows)"},
    {775, u"775 Baltık (DOS)"},
    {1255, u"1255 İbranice (Windows)"},
    {862, u"862 İbranice (DOS)"},
    {1256, u"1256 Arapça (Windows)"},
    {864, u"864 Arapça (DOS)"},
    {874, u"874 Tayca"},
    {932, u"932 Japonca"},
    {936, u"936 Basitleştirilmiş Çince"},
    {949, u"949 Korece"},
    {950, u"950 Geleneksel Çince"},
};

constexpr const char* kLocales[] = {"tr_TR", "en_US", "en_GB", "de_DE", "fr_FR", "nl_NL",
                                    "it_IT", "es_ES", "ru_RU", "pl_PL", "el_GR"};

template <size_t N>
QComboBox* MakeCodePageBox(const TCodePageChoice (&choices)[N], int selected, const char* name, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  for (const TCodePageChoice& choice : choices) {
    box->addItem(Tr(choice.name), choice.codePage);
    if (choice.codePage == selected) box->setCurrentIndex(box->count() - 1);
  }
  return box;
}

// The language of the windows: the environment's, or one forced.
QComboBox* MakeLanguageBox(const std::string& selected, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QStringLiteral("LanguageBox"));
  box->addItem(Tr(u"Sistemin (LANGUAGE/LANG)"), QString());
  box->addItem(QStringLiteral("Türkçe"), QStringLiteral("tr"));
  box->addItem(QStringLiteral("English"), QStringLiteral("en"));
  const int index = box->findData(QString::fromStdString(selected));
  box->setCurrentIndex(index < 0 ? 0 : index);
  return box;
}

QComboBox* MakeLocaleBox(const std::string& selected, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QStringLiteral("LocaleBox"));
  box->setEditable(true);
  box->addItem(QString());
  for (const char* name : kLocales) box->addItem(QString::fromLatin1(name));
  box->setCurrentText(QString::fromStdString(selected));
  box->lineEdit()->setPlaceholderText(Tr(u"Sistemin (LANG)"));
  return box;
}

}  // namespace

TProgramSettingsDialog::TProgramSettingsDialog(const TProgramSettings& settings, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("ProgramSettingsDialog"));
  setWindowTitle(Tr(u"Program Ayarları"));
  codePage_ = MakeCodePageBox(kCodePages, settings.codePage, "CodePageBox", this);
  tableCodePage_ = MakeCodePageBox(kTableCodePages, settings.tableCodePage, "TableCodePageBox", this);
  tableCodePage_->setToolTip(Tr(u"Başlığında yanlış kod sayfası yazan tablolar için (örneğin 1252 yazan ama "
                                u"Türkçe 1254 harfleri tutan bir tablo)."));
  locale_ = MakeLocaleBox(settings.locale, this);
  language_ = MakeLanguageBox(settings.language, this);

  auto* form = new QFormLayout;
  form->addRow(Tr(u"Kod sayfası:"), codePage_);
  form->addRow(Tr(u"Tablo kod sayfası:"), tableCodePage_);
  form->addRow(Tr(u"Yerel ayar (sayı, tarih, para):"), locale_);
  form->addRow(Tr(u"Dil:"), language_);
  auto* note = new QLabel(Tr(u"Kod sayfaları bir sonraki açılan tabloda, yerel ayar programın bir sonraki "
                             u"açılışında geçerli olur."),
                          this);
  note->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(note);
  layout->addWidget(buttons);
}

TProgramSettings TProgramSettingsDialog::Settings() const {
  TProgramSettings settings;
  settings.codePage = codePage_->currentData().toInt();
  settings.tableCodePage = tableCodePage_->currentData().toInt();
  settings.locale = locale_->currentText().trimmed().toStdString();
  settings.language = language_->currentData().toString().toStdString();
  return settings;
}

}  // namespace verimo
