#include "app/RTFOptionsPage.h"

#include <algorithm>

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

TRTFOptionsPage::TRTFOptionsPage(TTesselDialogForm& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName(QStringLiteral("tshWordRTF"));
  Build();
  Connect();
  Refresh();
}

void TRTFOptionsPage::Build() {
  auto* layout = new QVBoxLayout(this);
  auto* general = new QFormLayout;
  cbOrientation_ = Combo(this, "cbRTFOrientation", {u"Dikey", u"Yatay"});
  general->addRow(Q(u"Sayfa yönü:"), cbOrientation_);
  chAutoOrientation_ = Check(this, "chRTFAutoOrientation", kAutoOrientationText);
  general->addRow(QString(), chAutoOrientation_);
  cbStripType_ = Combo(this, "cbRTFStripType", {u"Yok", u"Sütun", u"Satır"});
  general->addRow(Q(u"Şerit stili:"), cbStripType_);
  layout->addLayout(general);

  auto* styles = new QGroupBox(Q(u"Stiller"), this);
  auto* form = new QFormLayout(styles);
  auto* list = new QHBoxLayout;
  cbStyle_ = new QComboBox(styles);
  cbStyle_->setObjectName(QStringLiteral("cbRTFStyle"));
  bAddStrip_ = new QPushButton(Q(u"Şerit ekle"), styles);
  bDeleteStrip_ = new QPushButton(Q(u"Şerit sil"), styles);
  list->addWidget(cbStyle_, 1);
  list->addWidget(bAddStrip_);
  list->addWidget(bDeleteStrip_);
  form->addRow(Q(u"Stil:"), list);

  auto* font = new QHBoxLayout;
  edFontName_ = new QLineEdit(styles);
  edFontSize_ = new QSpinBox(styles);
  edFontSize_->setRange(1, 1638);
  bFontColor_ = ColorButton(styles, "bRTFFontColor");
  font->addWidget(edFontName_, 1);
  font->addWidget(edFontSize_);
  font->addWidget(bFontColor_);
  form->addRow(Q(u"Yazı tipi:"), font);

  auto* looks = new QHBoxLayout;
  chBold_ = new QCheckBox(Q(u"Kalın"), styles);
  chItalic_ = new QCheckBox(Q(u"İtalik"), styles);
  chUnderline_ = new QCheckBox(Q(u"Altı çizili"), styles);
  chStrikeOut_ = new QCheckBox(Q(u"Üstü çizili"), styles);
  for (QCheckBox* box : {chBold_, chItalic_, chUnderline_, chStrikeOut_}) looks->addWidget(box);
  looks->addStretch();
  form->addRow(QString(), looks);

  auto* colors = new QHBoxLayout;
  chBackground_ = new QCheckBox(Q(u"Arka plan rengi"), styles);
  bBackground_ = ColorButton(styles, "bRTFBackground");
  chHighlight_ = new QCheckBox(Q(u"Vurgu rengi"), styles);
  bHighlight_ = ColorButton(styles, "bRTFHighlight");
  for (QWidget* widget : std::initializer_list<QWidget*>{chBackground_, bBackground_, chHighlight_, bHighlight_})
    colors->addWidget(widget);
  colors->addStretch();
  form->addRow(QString(), colors);

  cbAlignment_ = Combo(styles, "cbRTFAlignment", {u"Sol", u"Sağ", u"Orta", u"İki yana"});
  form->addRow(Q(u"Hizalama:"), cbAlignment_);
  layout->addWidget(styles);
  layout->addStretch();
}

TrtfStyle& TRTFOptionsPage::Style() {
  TRTFOptions& options = form_.RTFOptions;
  if (styleIndex_ < TRTFOptions::kFixedStyleCount) return options.FixedStyle(styleIndex_);
  return options.StripStyles[static_cast<size_t>(styleIndex_ - TRTFOptions::kFixedStyleCount)];
}

void TRTFOptionsPage::Edit(const std::function<void()>& change) {
  if (refreshing_) return;
  change();
  Refresh();
}

void TRTFOptionsPage::PickColor(TColor& color) {
  const QColor chosen = QColorDialog::getColor(ToQColor(color), this);
  if (chosen.isValid()) Edit([&] { color = FromQColor(chosen); });
}

void TRTFOptionsPage::Connect() {
  // An orientation the user picks is kept.
  connect(cbOrientation_, &QComboBox::activated, this, [this](int index) {
    Edit([&] {
      form_.RTFOptions.PageOrientation = index == 1 ? poLandscape : poPortrait;
      form_.RTFOptions.AutoOrientation = false;
    });
  });
  connect(chAutoOrientation_, &QCheckBox::toggled, this,
          [this](bool checked) { Edit([&] { form_.RTFOptions.AutoOrientation = checked; }); });
  connect(cbStripType_, &QComboBox::activated, this,
          [this](int index) { Edit([&] { form_.RTFOptions.StripType = static_cast<TrtfStripType>(index); }); });
  connect(cbStyle_, &QComboBox::activated, this, [this](int index) { Edit([&] { styleIndex_ = index; }); });
  connect(bAddStrip_, &QPushButton::clicked, this, [this] {
    Edit([&] {
      form_.RTFOptions.StripStyles.push_back(form_.RTFOptions.DataStyle);
      styleIndex_ = TRTFOptions::kFixedStyleCount + static_cast<int>(form_.RTFOptions.StripStyles.size()) - 1;
    });
  });
  connect(bDeleteStrip_, &QPushButton::clicked, this, [this] {
    Edit([&] {
      const int at = styleIndex_ - TRTFOptions::kFixedStyleCount;
      if (at < 0) return;
      form_.RTFOptions.StripStyles.erase(form_.RTFOptions.StripStyles.begin() + at);
      styleIndex_ = std::min(styleIndex_, TRTFOptions::kFixedStyleCount +
                                              static_cast<int>(form_.RTFOptions.StripStyles.size()) - 1);
    });
  });
  connect(edFontName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!text.trimmed().isEmpty()) Edit([&] { Style().Font.Name = ToWide(text); });
  });
  connect(edFontSize_, &QSpinBox::valueChanged, this, [this](int size) { Edit([&] { Style().Font.SetSize(size); }); });
  connect(bFontColor_, &QPushButton::clicked, this, [this] { PickColor(Style().Font.Color); });
  connect(chBold_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Style().Font.Bold = on; }); });
  connect(chItalic_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Style().Font.Italic = on; }); });
  connect(chUnderline_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Style().Font.Underline = on; }); });
  connect(chStrikeOut_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Style().Font.StrikeOut = on; }); });
  connect(chBackground_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Style().AllowBackground = on; }); });
  connect(bBackground_, &QPushButton::clicked, this, [this] { PickColor(Style().BackgroundColor); });
  connect(chHighlight_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Style().AllowHighlight = on; }); });
  connect(bHighlight_, &QPushButton::clicked, this, [this] { PickColor(Style().HighlightColor); });
  connect(cbAlignment_, &QComboBox::activated, this,
          [this](int index) { Edit([&] { Style().Alignment = static_cast<TrtfTextAlignment>(index); }); });
}

void TRTFOptionsPage::Refresh() {
  refreshing_ = true;
  const TRTFOptions& options = form_.RTFOptions;
  const int strips = static_cast<int>(options.StripStyles.size());
  styleIndex_ = std::clamp(styleIndex_, 0, TRTFOptions::kFixedStyleCount + strips - 1);
  cbOrientation_->setCurrentIndex(options.PageOrientation == poLandscape ? 1 : 0);
  chAutoOrientation_->setChecked(options.AutoOrientation);
  chAutoOrientation_->setEnabled(options.PageOrientation == poPortrait);
  cbStripType_->setCurrentIndex(options.StripType);
  cbStyle_->clear();
  for (const char16_t* caption : rtf::kFixedStyleCaptions) cbStyle_->addItem(Q(caption));
  for (int i = 0; i < strips; ++i) cbStyle_->addItem(Q(u"Şerit ") + QString::number(i + 1));
  cbStyle_->setCurrentIndex(styleIndex_);
  bDeleteStrip_->setEnabled(styleIndex_ >= TRTFOptions::kFixedStyleCount);
  const TrtfStyle& style = Style();
  if (!edFontName_->hasFocus()) edFontName_->setText(ToQString(style.Font.Name));
  edFontSize_->setValue(style.Font.Size());
  ShowColor(bFontColor_, style.Font.Color);
  chBold_->setChecked(style.Font.Bold);
  chItalic_->setChecked(style.Font.Italic);
  chUnderline_->setChecked(style.Font.Underline);
  chStrikeOut_->setChecked(style.Font.StrikeOut);
  chBackground_->setChecked(style.AllowBackground);
  ShowColor(bBackground_, style.BackgroundColor);
  chHighlight_->setChecked(style.AllowHighlight);
  ShowColor(bHighlight_, style.HighlightColor);
  cbAlignment_->setCurrentIndex(style.Alignment);
  refreshing_ = false;
}

}  // namespace verimo
