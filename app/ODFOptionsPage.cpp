#include "app/ODFOptionsPage.h"

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

TODFOptionsPage::TODFOptionsPage(TTesselDialogForm& form, TKind kind, QWidget* parent)
    : QWidget(parent), form_(form), kind_(kind) {
  setObjectName(kind == TKind::ODS ? QStringLiteral("tshODS") : QStringLiteral("tshODT"));
  Build();
  Connect();
  Refresh();
}

void TODFOptionsPage::Build() {
  const bool ods = kind_ == TKind::ODS;
  auto* layout = new QVBoxLayout(this);
  auto* general = new QFormLayout;
  edName_ = new QLineEdit(this);
  edName_->setObjectName(ods ? QStringLiteral("edODSSheetName") : QStringLiteral("edODTTableName"));
  general->addRow(ods ? Q(u"Sayfa adı:") : Q(u"Tablo adı:"), edName_);
  cbStripType_ = Combo(this, "cbStripType", {u"Yok", u"Sütun", u"Satır"});
  general->addRow(Q(u"Şerit stili:"), cbStripType_);
  layout->addLayout(general);

  auto* styles = new QGroupBox(Q(u"Stiller"), this);
  auto* styleForm = new QFormLayout(styles);
  auto* list = new QHBoxLayout;
  cbStyle_ = Combo(styles, "cbStyle", {});
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
  edFontSize_->setRange(1, 999);
  bFontColor_ = ColorButton(styles, "bFontColor");
  font->addWidget(edFontName_, 1);
  font->addWidget(edFontSize_);
  font->addWidget(bFontColor_);
  styleForm->addRow(Q(u"Yazı tipi:"), font);

  auto* looks = new QHBoxLayout;
  chBold_ = Check(styles, "chBold", u"Kalın");
  chItalic_ = Check(styles, "chItalic", u"İtalik");
  chUnderline_ = Check(styles, "chUnderline", u"Altı çizili");
  chStrikeOut_ = Check(styles, "chStrikeOut", u"Üstü çizili");
  for (QCheckBox* box : {chBold_, chItalic_, chUnderline_, chStrikeOut_}) looks->addWidget(box);
  looks->addStretch();
  styleForm->addRow(QString(), looks);

  auto* background = new QHBoxLayout;
  chAllowBackground_ = Check(styles, "chAllowBackground", u"Arka plan rengi");
  bBackground_ = ColorButton(styles, "bBackground");
  background->addWidget(chAllowBackground_);
  background->addWidget(bBackground_);
  if (!ods) {
    chHighlight_ = Check(styles, "chHighlight", u"Vurgu rengi");
    bHighlight_ = ColorButton(styles, "bHighlight");
    background->addWidget(chHighlight_);
    background->addWidget(bHighlight_);
  }
  background->addStretch();
  styleForm->addRow(QString(), background);

  cbAlignment_ = Combo(styles, "cbAlignment", {u"Sol", u"Sağ", u"Orta", u"İki yana"});
  styleForm->addRow(Q(u"Yatay hizalama:"), cbAlignment_);
  cbVertical_ = Combo(styles, "cbVertical", {u"Üst", u"Orta", u"Alt"});
  styleForm->addRow(Q(u"Dikey hizalama:"), cbVertical_);
  layout->addWidget(styles);

  auto* border = new QGroupBox(ods ? Q(u"Hücre kenarlığı") : Q(u"Tablo kenarlığı"), this);
  auto* row = new QHBoxLayout(border);
  if (ods) {
    chUseDataBorder_ = Check(border, "chUseDataBorder", u"Veri stilinin kenarlığı");
    row->addWidget(chUseDataBorder_);
  }
  chBorder_ = Check(border, "chBorder", u"Kenarlık");
  edBorderWidth_ = new QSpinBox(border);
  edBorderWidth_->setObjectName(QStringLiteral("edBorderWidth"));
  edBorderWidth_->setRange(0, 100);
  bBorderColor_ = ColorButton(border, "bBorderColor");
  row->addWidget(chBorder_);
  row->addWidget(edBorderWidth_);
  row->addWidget(bBorderColor_);
  row->addStretch();
  layout->addWidget(border);
  layout->addStretch();
}

int TODFOptionsPage::StripCount() const {
  return static_cast<int>(kind_ == TKind::ODS ? form_.ODSOptions.StripStylesList.size()
                                              : form_.ODTOptions.StripStylesList.size());
}

TODSParagraphStyle& TODFOptionsPage::Style() {
  if (TODSCellParagraphStyle* cell = CellStyle()) return *cell;
  return *ParagraphStyle();
}

TODSCellParagraphStyle* TODFOptionsPage::CellStyle() {
  if (kind_ != TKind::ODS) return nullptr;
  TTesselODSOptions& options = form_.ODSOptions;
  return styleIndex_ < 4 ? &options.BaseStyle(styleIndex_)
                         : &options.StripStylesList[static_cast<size_t>(styleIndex_ - 4)];
}

TODTParagraphStyle* TODFOptionsPage::ParagraphStyle() {
  if (kind_ != TKind::ODT) return nullptr;
  TTesselODTOptions& options = form_.ODTOptions;
  return styleIndex_ < 4 ? &options.BaseStyle(styleIndex_)
                         : &options.StripStylesList[static_cast<size_t>(styleIndex_ - 4)];
}

// The header and footer paragraphs of the text document have none.
TODFTextVerticalAligment* TODFOptionsPage::VerticalAlignment() {
  if (TODSCellParagraphStyle* cell = CellStyle()) return &cell->VerticalAligment;
  TTesselODTOptions& options = form_.ODTOptions;
  if (styleIndex_ == 1) return &options.CaptionRowStyle.VerticalAligment;
  if (styleIndex_ == 2) return &options.DataStyle.VerticalAligment;
  if (styleIndex_ >= 4) return &options.StripStylesList[static_cast<size_t>(styleIndex_ - 4)].VerticalAligment;
  return nullptr;
}

TODFBorder& TODFOptionsPage::Border() { return CellStyle() ? CellStyle()->Border : form_.ODTOptions.Border; }
WideString& TODFOptionsPage::Name() { return kind_ == TKind::ODS ? form_.ODSSheetName : form_.ODTTableName; }
TODFStripStyleType& TODFOptionsPage::StripType() {
  return kind_ == TKind::ODS ? form_.ODSOptions.StripStyle : form_.ODTOptions.StripStyle;
}

void TODFOptionsPage::Edit(const std::function<void()>& change) {
  if (refreshing_) return;
  change();
  Refresh();
}

void TODFOptionsPage::PickColor(TColor& color) {
  const QColor chosen = QColorDialog::getColor(ToQColor(color), this);
  if (chosen.isValid()) Edit([&] { color = FromQColor(chosen); });
}

void TODFOptionsPage::Connect() {
  connect(edName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!text.isEmpty()) Name() = ToWide(text);
  });
  connect(cbStripType_, &QComboBox::activated, this,
          [this](int index) { Edit([&] { StripType() = static_cast<TODFStripStyleType>(index); }); });
  connect(cbStyle_, &QComboBox::activated, this, [this](int index) { Edit([&] { styleIndex_ = index; }); });
  connect(bAddStrip_, &QPushButton::clicked, this, [this] {
    Edit([&] {
      if (kind_ == TKind::ODS) form_.ODSOptions.StripStylesList.emplace_back();
      else form_.ODTOptions.StripStylesList.emplace_back();
      styleIndex_ = 4 + StripCount() - 1;
    });
  });
  connect(bDeleteStrip_, &QPushButton::clicked, this, [this] {
    Edit([&] {
      if (styleIndex_ < 4) return;
      const auto at = static_cast<ptrdiff_t>(styleIndex_ - 4);
      if (kind_ == TKind::ODS) form_.ODSOptions.StripStylesList.erase(form_.ODSOptions.StripStylesList.begin() + at);
      else form_.ODTOptions.StripStylesList.erase(form_.ODTOptions.StripStylesList.begin() + at);
      styleIndex_ = std::min(styleIndex_, 4 + StripCount() - 1);
    });
  });
  connect(edFontName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!text.isEmpty() && !refreshing_) Style().Font.Name = ToWide(text);
  });
  connect(edFontSize_, &QSpinBox::valueChanged, this, [this](int size) { Edit([&] { Style().Font.Size = size; }); });
  connect(bFontColor_, &QPushButton::clicked, this, [this] { PickColor(Style().Font.Color); });
  connect(chBold_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Style().Font.Bold = on; }); });
  connect(chItalic_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Style().Font.Italic = on; }); });
  connect(chUnderline_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Style().Font.Underline = on; }); });
  connect(chStrikeOut_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { Style().Font.StrikeOut = on; }); });
  connect(chAllowBackground_, &QCheckBox::toggled, this,
          [this](bool on) { Edit([&] { Style().AllowBackground = on; }); });
  connect(bBackground_, &QPushButton::clicked, this, [this] { PickColor(Style().BackgroundColor); });
  connect(cbAlignment_, &QComboBox::activated, this,
          [this](int index) { Edit([&] { Style().Alignment = static_cast<TODFTextAlignment>(index); }); });
  connect(cbVertical_, &QComboBox::activated, this, [this](int index) {
    Edit([&] {
      if (TODFTextVerticalAligment* vertical = VerticalAlignment()) *vertical = static_cast<TODFTextVerticalAligment>(index);
    });
  });
  if (chHighlight_) {
    connect(chHighlight_, &QCheckBox::toggled, this,
            [this](bool on) { Edit([&] { ParagraphStyle()->AllowHighlight = on; }); });
    connect(bHighlight_, &QPushButton::clicked, this, [this] { PickColor(ParagraphStyle()->HighlightColor); });
  }
  if (chUseDataBorder_) {
    connect(chUseDataBorder_, &QCheckBox::toggled, this, [this](bool on) {
      Edit([&] {
        if (styleIndex_ >= 4) form_.ODSOptions.StripStylesList[static_cast<size_t>(styleIndex_ - 4)].UseDataStyleBorder = on;
      });
    });
  }
  connect(chBorder_, &QCheckBox::toggled, this,
          [this](bool on) { Edit([&] { Border().BorderStyle = on ? bsODFSolid : bsODFNone; }); });
  connect(edBorderWidth_, &QSpinBox::valueChanged, this,
          [this](int width) { Edit([&] { Border().BorderWidth = width; }); });
  connect(bBorderColor_, &QPushButton::clicked, this, [this] { PickColor(Border().BorderColor); });
}

void TODFOptionsPage::RefreshStyle() {
  TODSParagraphStyle& style = Style();
  if (!edFontName_->hasFocus()) edFontName_->setText(ToQString(style.Font.Name));
  edFontSize_->setValue(style.Font.Size);
  ShowColor(bFontColor_, style.Font.Color);
  chBold_->setChecked(style.Font.Bold);
  chItalic_->setChecked(style.Font.Italic);
  chUnderline_->setChecked(style.Font.Underline);
  chStrikeOut_->setChecked(style.Font.StrikeOut);
  chAllowBackground_->setChecked(style.AllowBackground);
  ShowColor(bBackground_, style.BackgroundColor);
  bBackground_->setEnabled(style.AllowBackground);
  cbAlignment_->setCurrentIndex(style.Alignment);
  TODFTextVerticalAligment* vertical = VerticalAlignment();
  cbVertical_->setEnabled(vertical != nullptr);
  cbVertical_->setCurrentIndex(vertical ? *vertical : taODFBottom);
  if (TODTParagraphStyle* paragraph = ParagraphStyle()) {
    chHighlight_->setChecked(paragraph->AllowHighlight);
    ShowColor(bHighlight_, paragraph->HighlightColor);
    bHighlight_->setEnabled(paragraph->AllowHighlight);
  }
  bool ownBorder = true;
  if (chUseDataBorder_) {
    const bool strip = styleIndex_ >= 4;
    chUseDataBorder_->setEnabled(strip);
    chUseDataBorder_->setChecked(strip && form_.ODSOptions.StripStylesList[static_cast<size_t>(styleIndex_ - 4)].UseDataStyleBorder);
    ownBorder = !chUseDataBorder_->isChecked();
  }
  const TODFBorder& border = Border();
  chBorder_->setEnabled(ownBorder);
  chBorder_->setChecked(border.BorderStyle == bsODFSolid);
  edBorderWidth_->setValue(border.BorderWidth);
  ShowColor(bBorderColor_, border.BorderColor);
  edBorderWidth_->setEnabled(ownBorder && border.BorderStyle == bsODFSolid);
  bBorderColor_->setEnabled(ownBorder && border.BorderStyle == bsODFSolid);
}

void TODFOptionsPage::Refresh() {
  refreshing_ = true;
  if (!edName_->hasFocus()) edName_->setText(ToQString(Name()));
  cbStripType_->setCurrentIndex(StripType());
  cbStyle_->clear();
  for (const char16_t* caption : kPackageStyleCaptions) cbStyle_->addItem(Q(caption));
  for (int i = 0; i < StripCount(); ++i) cbStyle_->addItem(Q(u"ŞERİT ") + QString::number(i + 1));
  styleIndex_ = std::clamp(styleIndex_, 0, cbStyle_->count() - 1);
  cbStyle_->setCurrentIndex(styleIndex_);
  bDeleteStrip_->setEnabled(styleIndex_ >= 4);
  RefreshStyle();
  refreshing_ = false;
}

}  // namespace verimo
