#include "app/PDFOptionsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/OptionsPageWidgets.h"
#include "app/QtText.h"

namespace verimo {

namespace {

QString Q(WideStringView text) { return Tr(text); }

constexpr const char16_t* kFormats[kPageFormatCount] = {u"Letter", u"Legal", u"A3", u"A4", u"A5", u"B5 (JIS)",
                                                        u"US Std Fanfold", u"Fanfold", u"Kullanıcı tanımlı"};

}  // namespace

TPDFOptionsPage::TPDFOptionsPage(TTesselDialogForm& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName(QStringLiteral("tshPDF"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildPageGroup());
  layout->addWidget(BuildTableGroup());
  layout->addWidget(BuildFontsGroup());
  layout->addStretch();
  Refresh();
}

void TPDFOptionsPage::Edit(const std::function<void()>& edit) {
  if (refreshing_) return;
  edit();
  Refresh();
}

void TPDFOptionsPage::Refresh() {
  refreshing_ = true;
  for (const auto& refresh : refreshers_) refresh();
  refreshing_ = false;
}

QWidget* TPDFOptionsPage::BuildPageGroup() {
  auto* group = new QGroupBox(Q(u"Sayfa"), this);
  auto* grid = new QGridLayout(group);
  TTesselPDFPageOptions& page = form_.PDFOptions.PageOptions;
  auto* format = new QComboBox(group);
  format->setObjectName(QStringLiteral("cbPDFPageFormat"));
  for (const char16_t* name : kFormats) format->addItem(Q(name));
  connect(format, &QComboBox::currentIndexChanged, this,
          [this, &page](int index) { Edit([&] { page.SetFormat(static_cast<TTesselPageFormat>(index)); }); });
  auto* orientation = new QComboBox(group);
  orientation->setObjectName(QStringLiteral("cbPDFOrientation"));
  orientation->addItems({Q(u"Dikey"), Q(u"Yatay")});
  // An orientation the user picks is kept.
  connect(orientation, &QComboBox::currentIndexChanged, this, [this, &page](int index) {
    Edit([&] {
      page.SetOrientation(index == 1 ? poLandscape : poPortrait);
      page.AutoOrientation = false;
    });
  });
  auto* automatic = Check(group, "chPDFAutoOrientation", kAutoOrientationText);
  connect(automatic, &QCheckBox::toggled, this,
          [this, &page](bool checked) { Edit([&] { page.AutoOrientation = checked; }); });
  auto* units = new QComboBox(group);
  units->setObjectName(QStringLiteral("cbPDFUnits"));
  units->addItems({Q(u"İnç"), Q(u"Milimetre"), Q(u"Nokta")});
  connect(units, &QComboBox::currentIndexChanged, this,
          [this, &page](int index) { Edit([&] { page.Units = static_cast<TTesselUnits>(index); }); });
  grid->addWidget(new QLabel(Q(u"Kağıt:"), group), 0, 0);
  grid->addWidget(format, 0, 1);
  grid->addWidget(new QLabel(Q(u"Yön:"), group), 0, 2);
  grid->addWidget(orientation, 0, 3);
  grid->addWidget(new QLabel(Q(u"Birim:"), group), 0, 4);
  grid->addWidget(units, 0, 5);
  refreshers_.push_back([format, orientation, automatic, units, &page] {
    format->setCurrentIndex(page.Format());
    orientation->setCurrentIndex(page.Orientation() == poLandscape ? 1 : 0);
    automatic->setChecked(page.AutoOrientation);
    automatic->setEnabled(page.Orientation() == poPortrait);
    units->setCurrentIndex(page.Units);
  });

  struct TLength {
    const char16_t* caption;
    const char* name;
    double (TTesselPDFPageOptions::*get)() const;
    void (TTesselPDFPageOptions::*set)(double);
  };
  static const TLength kLengths[] = {
      {u"Genişlik:", "edPDFWidth", &TTesselPDFPageOptions::Width, &TTesselPDFPageOptions::SetWidth},
      {u"Yükseklik:", "edPDFHeight", &TTesselPDFPageOptions::Height, &TTesselPDFPageOptions::SetHeight},
      {u"Sol kenar:", "edPDFMarginLeft", &TTesselPDFPageOptions::MarginLeft, &TTesselPDFPageOptions::SetMarginLeft},
      {u"Sağ kenar:", "edPDFMarginRight", &TTesselPDFPageOptions::MarginRight,
       &TTesselPDFPageOptions::SetMarginRight},
      {u"Üst kenar:", "edPDFMarginTop", &TTesselPDFPageOptions::MarginTop, &TTesselPDFPageOptions::SetMarginTop},
      {u"Alt kenar:", "edPDFMarginBottom", &TTesselPDFPageOptions::MarginBottom,
       &TTesselPDFPageOptions::SetMarginBottom}};
  grid->addWidget(automatic, 1, 0, 1, 6);
  int row = 2;
  int column = 0;
  for (const TLength& length : kLengths) {
    auto* edit = new QDoubleSpinBox(group);
    edit->setObjectName(QString::fromLatin1(length.name));
    edit->setRange(0, 5000);
    edit->setDecimals(2);
    connect(edit, &QDoubleSpinBox::valueChanged, this,
            [this, &page, length](double value) { Edit([&] { (page.*length.set)(value); }); });
    refreshers_.push_back([edit, &page, length] { edit->setValue((page.*length.get)()); });
    grid->addWidget(new QLabel(Q(length.caption), group), row, column);
    grid->addWidget(edit, row, column + 1);
    column += 2;
    if (column == 6) {
      column = 0;
      ++row;
    }
  }
  return group;
}

QWidget* TPDFOptionsPage::BuildTableGroup() {
  auto* group = new QGroupBox(Q(u"Tablo"), this);
  auto* grid = new QGridLayout(group);
  TPDFOptions& options = form_.PDFOptions;
  auto spacing = [&](const char* name, double& value) {
    auto* edit = new QDoubleSpinBox(group);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setRange(0, 20);
    edit->setDecimals(1);
    edit->setSingleStep(0.5);
    connect(edit, &QDoubleSpinBox::valueChanged, this, [this, &value](double v) { Edit([&] { value = v; }); });
    refreshers_.push_back([edit, &value] { edit->setValue(value); });
    return edit;
  };
  auto* lineWidth = new QSpinBox(group);
  lineWidth->setObjectName(QStringLiteral("edPDFGridLineWidth"));
  lineWidth->setRange(0, 10);
  connect(lineWidth, &QSpinBox::valueChanged, this,
          [this, &options](int v) { Edit([&] { options.GridLineWidth = v; }); });
  refreshers_.push_back([lineWidth, &options] { lineWidth->setValue(options.GridLineWidth); });
  grid->addWidget(new QLabel(Q(u"Sütun aralığı:"), group), 0, 0);
  grid->addWidget(spacing("edPDFColSpacing", options.ColSpacing), 0, 1);
  grid->addWidget(new QLabel(Q(u"Satır aralığı:"), group), 0, 2);
  grid->addWidget(spacing("edPDFRowSpacing", options.RowSpacing), 0, 3);
  grid->addWidget(new QLabel(Q(u"Çizgi kalınlığı:"), group), 0, 4);
  grid->addWidget(lineWidth, 0, 5);
  return group;
}

QWidget* TPDFOptionsPage::BuildFontsGroup() {
  auto* group = new QGroupBox(Q(u"Yazı tipleri"), this);
  auto* grid = new QGridLayout(group);
  TPDFOptions& options = form_.PDFOptions;
  const std::pair<const char16_t*, TPDFFont*> fonts[] = {{u"Üstbilgi:", &options.HeaderFont},
                                                         {u"Başlık:", &options.CaptionFont},
                                                         {u"Veri:", &options.DataFont},
                                                         {u"Altbilgi:", &options.FooterFont}};
  int row = 0;
  for (const auto& [caption, font] : fonts) {
    TPDFFont& target = *font;
    auto* base = new QComboBox(group);
    base->setObjectName(QStringLiteral("cbPDF") + Q(target.ResourceName));
    for (int i = 0; i < kPDFFontNameCount; ++i)
      base->addItem(QString::fromLatin1(PDFFontNameText(static_cast<TPDFFontName>(i))));
    connect(base, &QComboBox::currentIndexChanged, this,
            [this, &target](int i) { Edit([&] { target.BaseFont = static_cast<TPDFFontName>(i); }); });
    auto* size = new QSpinBox(group);
    size->setObjectName(QStringLiteral("edPDF") + Q(target.ResourceName) + QStringLiteral("Size"));
    size->setRange(4, 72);
    connect(size, &QSpinBox::valueChanged, this, [this, &target](int v) { Edit([&] { target.FontSize = v; }); });
    refreshers_.push_back([base, size, &target] {
      base->setCurrentIndex(target.BaseFont);
      size->setValue(target.FontSize);
    });
    grid->addWidget(new QLabel(Q(caption), group), row, 0);
    grid->addWidget(base, row, 1);
    grid->addWidget(new QLabel(Q(u"Boyut:"), group), row, 2);
    grid->addWidget(size, row, 3);
    ++row;
  }
  return group;
}

}  // namespace verimo
