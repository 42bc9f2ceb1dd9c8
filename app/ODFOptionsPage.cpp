#include "app/ODFOptionsPage.h"

#include <QCheckBox>
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

QString Q(const char16_t* text) { return Tr(text); }

TStyleOptionsPage::TStyleControlNames ODFControlNames() {
  TStyleOptionsPage::TStyleControlNames names;
  names.maxFontSize = 999;
  return names;
}

}  // namespace

TODFOptionsPage::TODFOptionsPage(TTesselDialogForm& form, TKind kind, QWidget* parent)
    : TStyleOptionsPage(form, ODFControlNames(), parent), kind_(kind) {
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
  AddStripTypeRow(general);
  layout->addLayout(general);

  QFormLayout* styles = AddStyleGroup(layout);
  QWidget* group = styles->parentWidget();
  auto* background = new QHBoxLayout;
  chAllowBackground_ = Check(group, "chAllowBackground", u"Arka plan rengi");
  bBackground_ = ColorButton(group, "bBackground");
  background->addWidget(chAllowBackground_);
  background->addWidget(bBackground_);
  if (!ods) {
    chHighlight_ = Check(group, "chHighlight", u"Vurgu rengi");
    bHighlight_ = ColorButton(group, "bHighlight");
    background->addWidget(chHighlight_);
    background->addWidget(bHighlight_);
  }
  background->addStretch();
  styles->addRow(QString(), background);
  cbAlignment_ = Combo(group, "cbAlignment", {u"Sol", u"Sağ", u"Orta", u"İki yana"});
  styles->addRow(Q(u"Yatay hizalama:"), cbAlignment_);
  cbVertical_ = Combo(group, "cbVertical", {u"Üst", u"Orta", u"Alt"});
  styles->addRow(Q(u"Dikey hizalama:"), cbVertical_);
  BuildBorder(layout);
  layout->addStretch();
}

void TODFOptionsPage::BuildBorder(QLayout* layout) {
  const bool ods = kind_ == TKind::ODS;
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
}

TODSParagraphStyle& TODFOptionsPage::Style() {
  if (TODSCellParagraphStyle* cell = CellStyle()) return *cell;
  return *ParagraphStyle();
}

TODSCellParagraphStyle* TODFOptionsPage::CellStyle() {
  if (kind_ != TKind::ODS) return nullptr;
  TTesselODSOptions& options = form_.ODSOptions;
  return StripSelected() ? &options.StripStylesList[StripIndex()] : &options.BaseStyle(StyleIndex());
}

TODTParagraphStyle* TODFOptionsPage::ParagraphStyle() {
  if (kind_ != TKind::ODT) return nullptr;
  TTesselODTOptions& options = form_.ODTOptions;
  return StripSelected() ? &options.StripStylesList[StripIndex()] : &options.BaseStyle(StyleIndex());
}

// The header and footer paragraphs of the text document have none.
TODFTextVerticalAligment* TODFOptionsPage::VerticalAlignment() {
  if (TODSCellParagraphStyle* cell = CellStyle()) return &cell->VerticalAligment;
  TTesselODTOptions& options = form_.ODTOptions;
  if (StyleIndex() == 1) return &options.CaptionRowStyle.VerticalAligment;
  if (StyleIndex() == 2) return &options.DataStyle.VerticalAligment;
  if (StripSelected()) return &options.StripStylesList[StripIndex()].VerticalAligment;
  return nullptr;
}

TODFBorder& TODFOptionsPage::Border() { return CellStyle() ? CellStyle()->Border : form_.ODTOptions.Border; }
WideString& TODFOptionsPage::Name() { return kind_ == TKind::ODS ? form_.ODSSheetName : form_.ODTTableName; }

int TODFOptionsPage::StripType() const {
  return kind_ == TKind::ODS ? form_.ODSOptions.StripStyle : form_.ODTOptions.StripStyle;
}

void TODFOptionsPage::SetStripType(int type) {
  const auto stripType = static_cast<TODFStripStyleType>(type);
  if (kind_ == TKind::ODS) form_.ODSOptions.StripStyle = stripType;
  else form_.ODTOptions.StripStyle = stripType;
}

int TODFOptionsPage::StripCount() const {
  return static_cast<int>(kind_ == TKind::ODS ? form_.ODSOptions.StripStylesList.size()
                                              : form_.ODTOptions.StripStylesList.size());
}

void TODFOptionsPage::AddStrip() {
  if (kind_ == TKind::ODS) form_.ODSOptions.StripStylesList.emplace_back();
  else form_.ODTOptions.StripStylesList.emplace_back();
}

void TODFOptionsPage::DeleteStrip(size_t at) {
  const auto offset = static_cast<ptrdiff_t>(at);
  if (kind_ == TKind::ODS) form_.ODSOptions.StripStylesList.erase(form_.ODSOptions.StripStylesList.begin() + offset);
  else form_.ODTOptions.StripStylesList.erase(form_.ODTOptions.StripStylesList.begin() + offset);
}

TPackageFont TODFOptionsPage::SelectedFont() { return Style().Font; }
void TODFOptionsPage::SetSelectedFont(const TPackageFont& font) { Style().Font = font; }

void TODFOptionsPage::Connect() {
  ConnectStyleControls();
  connect(edName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!text.isEmpty()) Name() = ToWide(text);
  });
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
  ConnectBorder();
}

void TODFOptionsPage::ConnectBorder() {
  if (chUseDataBorder_) {
    connect(chUseDataBorder_, &QCheckBox::toggled, this, [this](bool on) {
      Edit([&] {
        if (StripSelected()) form_.ODSOptions.StripStylesList[StripIndex()].UseDataStyleBorder = on;
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
  const TODSParagraphStyle& style = Style();
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
}

void TODFOptionsPage::RefreshBorder() {
  bool ownBorder = true;
  if (chUseDataBorder_) {
    chUseDataBorder_->setEnabled(StripSelected());
    chUseDataBorder_->setChecked(StripSelected() && form_.ODSOptions.StripStylesList[StripIndex()].UseDataStyleBorder);
    ownBorder = !chUseDataBorder_->isChecked();
  }
  const TODFBorder& border = Border();
  const bool solid = border.BorderStyle == bsODFSolid;
  chBorder_->setEnabled(ownBorder);
  chBorder_->setChecked(solid);
  edBorderWidth_->setValue(border.BorderWidth);
  ShowColor(bBorderColor_, border.BorderColor);
  edBorderWidth_->setEnabled(ownBorder && solid);
  bBorderColor_->setEnabled(ownBorder && solid);
}

void TODFOptionsPage::Refresh() {
  refreshing_ = true;
  if (!edName_->hasFocus()) edName_->setText(ToQString(Name()));
  RefreshStyleControls();
  RefreshStyle();
  RefreshBorder();
  refreshing_ = false;
}

}  // namespace verimo
