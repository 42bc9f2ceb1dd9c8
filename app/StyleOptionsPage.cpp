#include "app/StyleOptionsPage.h"

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

#include "app/OptionsPageWidgets.h"
#include "app/QtText.h"

namespace verimo {
namespace {

QString Q(const char16_t* text) { return Tr(text); }

QPushButton* Button(QWidget* parent, const char* name, const char16_t* text) {
  auto* button = new QPushButton(Q(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

TStyleOptionsPage::TStyleOptionsPage(TTesselDialogForm& form, TStyleControlNames names, QWidget* parent)
    : QWidget(parent), form_(form), names_(names) {}

void TStyleOptionsPage::AddStripTypeRow(QFormLayout* general) {
  cbStripType_ = Combo(this, names_.stripType, {u"Yok", u"Sütun", u"Satır"});
  general->addRow(Q(u"Şerit stili:"), cbStripType_);
}

QFormLayout* TStyleOptionsPage::AddStyleGroup(QLayout* layout) {
  auto* styles = new QGroupBox(Q(u"Stiller"), this);
  auto* form = new QFormLayout(styles);
  auto* list = new QHBoxLayout;
  cbStyle_ = Combo(styles, names_.style, {});
  bAddStrip_ = Button(styles, "bAddStrip", u"Şerit ekle");
  bDeleteStrip_ = Button(styles, "bDeleteStrip", u"Şerit sil");
  list->addWidget(cbStyle_, 1);
  list->addWidget(bAddStrip_);
  list->addWidget(bDeleteStrip_);
  form->addRow(Q(u"Stil:"), list);

  auto* font = new QHBoxLayout;
  edFontName_ = new QLineEdit(styles);
  edFontName_->setObjectName(QStringLiteral("edFontName"));
  edFontSize_ = new QSpinBox(styles);
  edFontSize_->setObjectName(QStringLiteral("edFontSize"));
  edFontSize_->setRange(1, names_.maxFontSize);
  bFontColor_ = ColorButton(styles, names_.fontColor);
  font->addWidget(edFontName_, 1);
  font->addWidget(edFontSize_);
  font->addWidget(bFontColor_);
  form->addRow(Q(u"Yazı tipi:"), font);

  auto* looks = new QHBoxLayout;
  chBold_ = Check(styles, "chBold", u"Kalın");
  chItalic_ = Check(styles, "chItalic", u"İtalik");
  chUnderline_ = Check(styles, "chUnderline", u"Altı çizili");
  for (QCheckBox* box : {chBold_, chItalic_, chUnderline_}) looks->addWidget(box);
  if (names_.strikeOut) {
    chStrikeOut_ = Check(styles, "chStrikeOut", u"Üstü çizili");
    looks->addWidget(chStrikeOut_);
  }
  looks->addStretch();
  form->addRow(QString(), looks);
  layout->addWidget(styles);
  return form;
}

void TStyleOptionsPage::Edit(const std::function<void()>& change) {
  if (refreshing_) return;
  change();
  Refresh();
}

void TStyleOptionsPage::EditFont(const std::function<void(TPackageFont&)>& change) {
  Edit([&] {
    TPackageFont font = SelectedFont();
    change(font);
    SetSelectedFont(font);
  });
}

std::optional<TColor> TStyleOptionsPage::AskColor(TColor current) {
  const QColor chosen = QColorDialog::getColor(ToQColor(current), this);
  if (!chosen.isValid()) return std::nullopt;
  return FromQColor(chosen);
}

void TStyleOptionsPage::PickColor(TColor& color) {
  if (const std::optional<TColor> chosen = AskColor(color)) Edit([&] { color = *chosen; });
}

void TStyleOptionsPage::ConnectStyleControls() {
  connect(cbStripType_, &QComboBox::activated, this, [this](int index) { Edit([&] { SetStripType(index); }); });
  connect(cbStyle_, &QComboBox::activated, this, [this](int index) { Edit([&] { styleIndex_ = index; }); });
  connect(bAddStrip_, &QPushButton::clicked, this, [this] {
    Edit([&] {
      AddStrip();
      styleIndex_ = kFixedStyleCount + StripCount() - 1;
    });
  });
  connect(bDeleteStrip_, &QPushButton::clicked, this, [this] {
    Edit([&] {
      if (!StripSelected()) return;
      DeleteStrip(StripIndex());
      styleIndex_ = std::min(styleIndex_, kFixedStyleCount + StripCount() - 1);
    });
  });
  connect(edFontName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!text.trimmed().isEmpty()) EditFont([&](TPackageFont& font) { font.Name = ToWide(text); });
  });
  connect(edFontSize_, &QSpinBox::valueChanged, this,
          [this](int size) { EditFont([&](TPackageFont& font) { font.Size = size; }); });
  connect(bFontColor_, &QPushButton::clicked, this, [this] {
    if (const std::optional<TColor> chosen = AskColor(SelectedFont().Color))
      EditFont([&](TPackageFont& font) { font.Color = *chosen; });
  });
  const auto connectLook = [this](QCheckBox* box, bool TPackageFont::*look) {
    if (!box) return;
    connect(box, &QCheckBox::toggled, this, [this, look](bool on) { EditFont([&](TPackageFont& font) { font.*look = on; }); });
  };
  connectLook(chBold_, &TPackageFont::Bold);
  connectLook(chItalic_, &TPackageFont::Italic);
  connectLook(chUnderline_, &TPackageFont::Underline);
  connectLook(chStrikeOut_, &TPackageFont::StrikeOut);
}

void TStyleOptionsPage::RefreshStyleControls() {
  cbStripType_->setCurrentIndex(StripType());
  cbStyle_->clear();
  for (const char16_t* caption : kPackageStyleCaptions) cbStyle_->addItem(Q(caption));
  for (int i = 0; i < StripCount(); ++i) cbStyle_->addItem(Q(names_.stripCaption) + QString::number(i + 1));
  styleIndex_ = std::clamp(styleIndex_, 0, cbStyle_->count() - 1);
  cbStyle_->setCurrentIndex(styleIndex_);
  bDeleteStrip_->setEnabled(StripSelected());

  const TPackageFont font = SelectedFont();
  if (!edFontName_->hasFocus()) edFontName_->setText(ToQString(font.Name));
  edFontSize_->setValue(font.Size);
  ShowColor(bFontColor_, font.Color);
  chBold_->setChecked(font.Bold);
  chItalic_->setChecked(font.Italic);
  chUnderline_->setChecked(font.Underline);
  if (chStrikeOut_) chStrikeOut_->setChecked(font.StrikeOut);
}

}  // namespace verimo
