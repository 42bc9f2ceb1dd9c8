#include "app/PackageOptionsPage.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/OptionsPageWidgets.h"
#include "app/QtText.h"

namespace verimo {
namespace {

QString Q(const char16_t* text) { return ToQString(text); }

}  // namespace

TPackageOptionsPage::TPackageOptionsPage(TTesselDialogForm& form, TKind kind, QWidget* parent)
    : QWidget(parent), form_(form), kind_(kind) {
  setObjectName(kind == TKind::Xlsx ? QStringLiteral("tshXlsx") : QStringLiteral("tshDocx"));
  Build();
  Connect();
  Refresh();
}

void TPackageOptionsPage::Build() {
  const bool xlsx = kind_ == TKind::Xlsx;
  auto* layout = new QVBoxLayout(this);
  auto* general = new QFormLayout;
  if (xlsx) {
    edSheetName_ = new QLineEdit(this);
    edSheetName_->setObjectName(QStringLiteral("edXlsxSheetName"));
    edSheetName_->setMaxLength(31);
    general->addRow(Q(u"Sayfa adı:"), edSheetName_);
  } else {
    cbOrientation_ = Combo(this, "cbDocxOrientation", {u"Dikey", u"Yatay"});
    general->addRow(Q(u"Sayfa yönü:"), cbOrientation_);
    chAutoOrientation_ = Check(this, "chDocxAutoOrientation", kAutoOrientationText);
    general->addRow(QString(), chAutoOrientation_);
  }
  cbStripType_ = Combo(this, "cbStripType", {u"Yok", u"Sütun", u"Satır"});
  general->addRow(Q(u"Şerit stili:"), cbStripType_);
  layout->addLayout(general);

  auto* styles = new QGroupBox(Q(u"Stiller"), this);
  auto* styleForm = new QFormLayout(styles);
  auto* list = new QHBoxLayout;
  cbStyle_ = new QComboBox(styles);
  cbStyle_->setObjectName(QStringLiteral("cbStyle"));
  bAddStrip_ = new QPushButton(Q(u"Şerit ekle"), styles);
  bAddStrip_->setObjectName(QStringLiteral("bAddStrip"));
  bDeleteStrip_ = new QPushButton(Q(u"Şerit sil"), styles);
  bDeleteStrip_->setObjectName(QStringLiteral("bDeleteStrip"));
  list->addWidget(cbStyle_, 1);
  list->addWidget(bAddStrip_);
  list->addWidget(bDeleteStrip_);
  styleForm->addRow(Q(u"Stil:"), list);

  auto* font = new QHBoxLayout;
  edFontName_ = new QLineEdit(styles);
  edFontName_->setObjectName(QStringLiteral("edFontName"));
  edFontSize_ = new QSpinBox(styles);
  edFontSize_->setObjectName(QStringLiteral("edFontSize"));
  edFontSize_->setRange(1, 409);
  bFontColor_ = ColorButton(styles, "bFontColor");
  font->addWidget(edFontName_, 1);
  font->addWidget(edFontSize_);
  font->addWidget(bFontColor_);
  styleForm->addRow(Q(u"Yazı tipi:"), font);

  auto* looks = new QHBoxLayout;
  chBold_ = new QCheckBox(Q(u"Kalın"), styles);
  chItalic_ = new QCheckBox(Q(u"İtalik"), styles);
  chUnderline_ = new QCheckBox(Q(u"Altı çizili"), styles);
  looks->addWidget(chBold_);
  looks->addWidget(chItalic_);
  looks->addWidget(chUnderline_);
  if (!xlsx) {
    chStrikeOut_ = new QCheckBox(Q(u"Üstü çizili"), styles);
    looks->addWidget(chStrikeOut_);
  }
  looks->addStretch();
  styleForm->addRow(QString(), looks);

  auto* background = new QHBoxLayout;
  chUseBackground_ = new QCheckBox(Q(u"Arka plan rengi"), styles);
  chUseBackground_->setObjectName(QStringLiteral("chUseBackground"));
  bBackground_ = ColorButton(styles, "bBackground");
  background->addWidget(chUseBackground_);
  background->addWidget(bBackground_);
  background->addStretch();
  styleForm->addRow(QString(), background);

  cbAlignment_ = Combo(styles, "cbAlignment", {u"Sol", u"Sağ", u"Orta", u"İki yana"});
  styleForm->addRow(Q(u"Yatay hizalama:"), cbAlignment_);
  if (xlsx) {
    cbVertical_ = Combo(styles, "cbVertical", {u"Üst", u"Orta", u"Alt"});
    styleForm->addRow(Q(u"Dikey hizalama:"), cbVertical_);
    chWrapText_ = new QCheckBox(Q(u"Metni kaydır"), styles);
    styleForm->addRow(QString(), chWrapText_);
    auto* border = new QHBoxLayout;
    chStyleBorder_ = new QCheckBox(Q(u"Kenarlık"), styles);
    chStyleBorder_->setObjectName(QStringLiteral("chStyleBorder"));
    cbStyleBorder_ = Combo(styles, "cbStyleBorder", {});
    for (int i = xbsThin; i <= xbsMediumDashDotDot; ++i)
      cbStyleBorder_->addItem(Q(XlsxBorderStyleName(static_cast<TXlsxBorderStyle>(i))));
    bStyleBorderColor_ = ColorButton(styles, "bStyleBorderColor");
    border->addWidget(chStyleBorder_);
    border->addWidget(cbStyleBorder_, 1);
    border->addWidget(bStyleBorderColor_);
    styleForm->addRow(QString(), border);
  } else {
    auto* highlight = new QHBoxLayout;
    chHighlight_ = new QCheckBox(Q(u"Vurgu"), styles);
    chHighlight_->setObjectName(QStringLiteral("chHighlight"));
    cbHighlight_ = Combo(styles, "cbHighlight", {u"(yok)"});
    for (int i = hcYellow; i <= hcBlack; ++i)
      cbHighlight_->addItem(Q(DocxHighlightName(static_cast<TMSHighlightColor>(i))));
    highlight->addWidget(chHighlight_);
    highlight->addWidget(cbHighlight_, 1);
    styleForm->addRow(QString(), highlight);
  }
  layout->addWidget(styles);

  if (!xlsx) {
    auto* table = new QGroupBox(Q(u"Tablo kenarlığı"), this);
    auto* row = new QHBoxLayout(table);
    chTableBorder_ = new QCheckBox(Q(u"Başlık ve veri hücrelerine kenarlık"), table);
    chTableBorder_->setObjectName(QStringLiteral("chDocxUseBorder"));
    cbTableBorder_ = Combo(table, "cbDocxBorderStyle", {});
    for (int i = dbsSingle; i <= dbsEngrave3D; ++i)
      cbTableBorder_->addItem(Q(DocxBorderStyleName(static_cast<TDocxBorderStyle>(i))));
    bTableBorderColor_ = ColorButton(table, "bDocxBorderColor");
    row->addWidget(chTableBorder_);
    row->addWidget(cbTableBorder_, 1);
    row->addWidget(bTableBorderColor_);
    layout->addWidget(table);
  }
  layout->addStretch();
}

int TPackageOptionsPage::StripCount() const {
  return static_cast<int>(kind_ == TKind::Xlsx ? form_.XlsxOptions.StripStylesList.size()
                                               : form_.DocxOptions.StripStylesList.size());
}

TXlsxCellStyle* TPackageOptionsPage::XlsxStyle() {
  if (kind_ != TKind::Xlsx) return nullptr;
  TTesselXlsxOptions& options = form_.XlsxOptions;
  return styleIndex_ < 4 ? &options.BaseStyle(styleIndex_)
                         : &options.StripStylesList[static_cast<size_t>(styleIndex_ - 4)].Options;
}

TDocxCellStyle* TPackageOptionsPage::DocxStyle() {
  if (kind_ != TKind::Docx) return nullptr;
  TTesselDocxOptions& options = form_.DocxOptions;
  return styleIndex_ < 4 ? &options.BaseStyle(styleIndex_)
                         : &options.StripStylesList[static_cast<size_t>(styleIndex_ - 4)].Options;
}

TPackageFont& TPackageOptionsPage::Font() { return XlsxStyle() ? XlsxStyle()->Font : DocxStyle()->Font; }
bool& TPackageOptionsPage::UseBackground() {
  return XlsxStyle() ? XlsxStyle()->UseBackground : DocxStyle()->UseBackground;
}
TColor& TPackageOptionsPage::Background() {
  return XlsxStyle() ? XlsxStyle()->BackgroundColor : DocxStyle()->BackgroundColor;
}
TMSCellAlignment& TPackageOptionsPage::Alignment() {
  return XlsxStyle() ? XlsxStyle()->Alignment : DocxStyle()->Alignment;
}

void TPackageOptionsPage::Edit(const std::function<void()>& change) {
  if (refreshing_) return;
  change();
  Refresh();
}

void TPackageOptionsPage::PickColor(TColor& color) {
  const QColor chosen = QColorDialog::getColor(ToQColor(color), this);
  if (chosen.isValid()) Edit([&] { color = FromQColor(chosen); });
}

void TPackageOptionsPage::Connect() {
  if (edSheetName_)
    connect(edSheetName_, &QLineEdit::textEdited, this, [this](const QString& text) {
      if (!text.isEmpty()) form_.XlsxSheetName = ToWide(text);
    });
  // An orientation the user picks is kept.
  if (cbOrientation_)
    connect(cbOrientation_, &QComboBox::activated, this, [this](int index) {
      Edit([&] {
        form_.DocxOptions.PageOrientation = index == 1 ? poLandscape : poPortrait;
        form_.DocxOptions.AutoOrientation = false;
      });
    });
  if (chAutoOrientation_)
    connect(chAutoOrientation_, &QCheckBox::toggled, this,
            [this](bool checked) { Edit([&] { form_.DocxOptions.AutoOrientation = checked; }); });
  connect(cbStripType_, &QComboBox::activated, this, [this](int index) {
    Edit([&] {
      const auto type = static_cast<TMSStripStyleType>(index);
      if (kind_ == TKind::Xlsx) form_.XlsxOptions.StripStyleType = type;
      else form_.DocxOptions.StripStyleType = type;
    });
  });
  connect(cbStyle_, &QComboBox::activated, this, [this](int index) { Edit([&] { styleIndex_ = index; }); });
  connect(bAddStrip_, &QPushButton::clicked, this, [this] {
    Edit([&] {
      if (kind_ == TKind::Xlsx) form_.XlsxOptions.StripStylesList.emplace_back();
      else form_.DocxOptions.StripStylesList.emplace_back();
      styleIndex_ = 4 + StripCount() - 1;
    });
  });
  connect(bDeleteStrip_, &QPushButton::clicked, this, [this] {
    Edit([&] {
      if (styleIndex_ < 4) return;
      const auto at = static_cast<size_t>(styleIndex_ - 4);
      if (kind_ == TKind::Xlsx) form_.XlsxOptions.StripStylesList.erase(form_.XlsxOptions.StripStylesList.begin() + at);
      else form_.DocxOptions.StripStylesList.erase(form_.DocxOptions.StripStylesList.begin() + at);
      styleIndex_ = std::min(styleIndex_, 4 + StripCount() - 1);
    });
  });
  connect(edFontName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!text.isEmpty() && !refreshing_) Font().Name = ToWide(text);
  });
  connect(edFontSize_, &QSpinBox::valueChanged, this, [this](int size) { Edit([&] { Font().Size = size; }); });
  connect(bFontColor_, &QPushButton::clicked, this, [this] { PickColor(Font().Color); });
  connect(chBold_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Font().Bold = on; }); });
  connect(chItalic_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Font().Italic = on; }); });
  connect(chUnderline_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Font().Underline = on; }); });
  if (chStrikeOut_)
    connect(chStrikeOut_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Font().StrikeOut = on; }); });
  connect(chUseBackground_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { UseBackground() = on; }); });
  connect(bBackground_, &QPushButton::clicked, this, [this] { PickColor(Background()); });
  connect(cbAlignment_, &QComboBox::activated, this,
          [this](int index) { Edit([&] { Alignment() = static_cast<TMSCellAlignment>(index); }); });
  if (cbVertical_) {
    connect(cbVertical_, &QComboBox::activated, this, [this](int index) {
      Edit([&] { XlsxStyle()->VerticalAligment = static_cast<TMSCellVerticalAligment>(index); });
    });
    connect(chWrapText_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { XlsxStyle()->WrapText = on; }); });
    connect(chStyleBorder_, &QCheckBox::toggled, this,
            [this](bool on) { Edit([&] { XlsxStyle()->UseBorder = on; }); });
    connect(cbStyleBorder_, &QComboBox::activated, this, [this](int index) {
      Edit([&] { XlsxStyle()->Border.Style = static_cast<TXlsxBorderStyle>(index); });
    });
    connect(bStyleBorderColor_, &QPushButton::clicked, this, [this] { PickColor(XlsxStyle()->Border.Color); });
  }
  if (chHighlight_) {
    connect(chHighlight_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { DocxStyle()->UseHighlight = on; }); });
    connect(cbHighlight_, &QComboBox::activated, this, [this](int index) {
      Edit([&] { DocxStyle()->HighlightColor = static_cast<TMSHighlightColor>(index); });
    });
    connect(chTableBorder_, &QCheckBox::toggled, this,
            [this](bool on) { Edit([&] { form_.DocxOptions.UseBorder = on; }); });
    connect(cbTableBorder_, &QComboBox::activated, this, [this](int index) {
      Edit([&] { form_.DocxOptions.Border.Style = static_cast<TDocxBorderStyle>(index); });
    });
    connect(bTableBorderColor_, &QPushButton::clicked, this, [this] { PickColor(form_.DocxOptions.Border.Color); });
  }
}

void TPackageOptionsPage::RefreshStyleList() {
  cbStyle_->clear();
  for (const char16_t* caption : kPackageStyleCaptions) cbStyle_->addItem(Q(caption));
  for (int i = 0; i < StripCount(); ++i) cbStyle_->addItem(Q(u"ŞERİT ") + QString::number(i + 1));
  styleIndex_ = std::clamp(styleIndex_, 0, cbStyle_->count() - 1);
  cbStyle_->setCurrentIndex(styleIndex_);
  bDeleteStrip_->setEnabled(styleIndex_ >= 4);
}

void TPackageOptionsPage::RefreshStyle() {
  const TPackageFont& font = Font();
  if (!edFontName_->hasFocus()) edFontName_->setText(ToQString(font.Name));
  edFontSize_->setValue(font.Size);
  ShowColor(bFontColor_, font.Color);
  chBold_->setChecked(font.Bold);
  chItalic_->setChecked(font.Italic);
  chUnderline_->setChecked(font.Underline);
  if (chStrikeOut_) chStrikeOut_->setChecked(font.StrikeOut);
  chUseBackground_->setChecked(UseBackground());
  ShowColor(bBackground_, Background());
  bBackground_->setEnabled(UseBackground());
  cbAlignment_->setCurrentIndex(Alignment());
  if (TXlsxCellStyle* style = XlsxStyle()) {
    cbVertical_->setCurrentIndex(style->VerticalAligment);
    chWrapText_->setChecked(style->WrapText);
    chStyleBorder_->setChecked(style->UseBorder);
    cbStyleBorder_->setCurrentIndex(style->Border.Style);
    ShowColor(bStyleBorderColor_, style->Border.Color);
    cbStyleBorder_->setEnabled(style->UseBorder);
    bStyleBorderColor_->setEnabled(style->UseBorder);
  }
  if (TDocxCellStyle* style = DocxStyle()) {
    chHighlight_->setChecked(style->UseHighlight);
    cbHighlight_->setCurrentIndex(style->HighlightColor);
    cbHighlight_->setEnabled(style->UseHighlight);
  }
}

void TPackageOptionsPage::Refresh() {
  refreshing_ = true;
  if (kind_ == TKind::Xlsx) {
    if (!edSheetName_->hasFocus()) edSheetName_->setText(ToQString(form_.XlsxSheetName));
    cbStripType_->setCurrentIndex(form_.XlsxOptions.StripStyleType);
  } else {
    const TTesselDocxOptions& options = form_.DocxOptions;
    cbStripType_->setCurrentIndex(options.StripStyleType);
    cbOrientation_->setCurrentIndex(options.PageOrientation == poLandscape ? 1 : 0);
    chAutoOrientation_->setChecked(options.AutoOrientation);
    chAutoOrientation_->setEnabled(options.PageOrientation == poPortrait);
    chTableBorder_->setChecked(options.UseBorder);
    cbTableBorder_->setCurrentIndex(options.Border.Style);
    cbTableBorder_->setEnabled(options.UseBorder);
    ShowColor(bTableBorderColor_, options.Border.Color);
    bTableBorderColor_->setEnabled(options.UseBorder);
  }
  RefreshStyleList();
  RefreshStyle();
  refreshing_ = false;
}

}  // namespace verimo
