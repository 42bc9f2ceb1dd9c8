#include "app/RTFOptionsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/OptionsPageWidgets.h"
#include "app/QtText.h"

namespace verimo {
namespace {

QString Q(const char16_t* text) { return Tr(text); }

TStyleOptionsPage::TStyleControlNames RTFControlNames() {
  TStyleOptionsPage::TStyleControlNames names;
  names.stripType = "cbRTFStripType";
  names.style = "cbRTFStyle";
  names.fontColor = "bRTFFontColor";
  names.maxFontSize = 1638;
  names.stripCaption = u"Şerit ";
  return names;
}

}  // namespace

TRTFOptionsPage::TRTFOptionsPage(TTesselDialogForm& form, QWidget* parent)
    : TStyleOptionsPage(form, RTFControlNames(), parent) {
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
  AddStripTypeRow(general);
  layout->addLayout(general);

  QFormLayout* styles = AddStyleGroup(layout);
  QWidget* group = styles->parentWidget();
  auto* colors = new QHBoxLayout;
  chBackground_ = Check(group, "chBackground", u"Arka plan rengi");
  bBackground_ = ColorButton(group, "bRTFBackground");
  chHighlight_ = Check(group, "chHighlight", u"Vurgu rengi");
  bHighlight_ = ColorButton(group, "bRTFHighlight");
  for (QWidget* widget : std::initializer_list<QWidget*>{chBackground_, bBackground_, chHighlight_, bHighlight_})
    colors->addWidget(widget);
  colors->addStretch();
  styles->addRow(QString(), colors);
  cbAlignment_ = Combo(group, "cbRTFAlignment", {u"Sol", u"Sağ", u"Orta", u"İki yana"});
  styles->addRow(Q(u"Hizalama:"), cbAlignment_);
  layout->addStretch();
}

TrtfStyle& TRTFOptionsPage::Style() {
  TRTFOptions& options = form_.RTFOptions;
  if (!StripSelected()) return options.FixedStyle(StyleIndex());
  return options.StripStyles[StripIndex()];
}

int TRTFOptionsPage::StripType() const { return form_.RTFOptions.StripType; }
void TRTFOptionsPage::SetStripType(int type) { form_.RTFOptions.StripType = static_cast<TrtfStripType>(type); }
int TRTFOptionsPage::StripCount() const { return static_cast<int>(form_.RTFOptions.StripStyles.size()); }
void TRTFOptionsPage::AddStrip() { form_.RTFOptions.StripStyles.push_back(form_.RTFOptions.DataStyle); }
void TRTFOptionsPage::DeleteStrip(size_t at) {
  auto& strips = form_.RTFOptions.StripStyles;
  strips.erase(strips.begin() + static_cast<ptrdiff_t>(at));
}

TPackageFont TRTFOptionsPage::SelectedFont() {
  const TTesselFont& font = Style().Font;
  return {font.Name, font.Size(), font.Color, font.Bold, font.Italic, font.Underline, font.StrikeOut};
}

void TRTFOptionsPage::SetSelectedFont(const TPackageFont& font) {
  TTesselFont& style = Style().Font;
  style.Name = font.Name;
  if (font.Size != style.Size()) style.SetSize(font.Size);
  style.Color = font.Color;
  style.Bold = font.Bold;
  style.Italic = font.Italic;
  style.Underline = font.Underline;
  style.StrikeOut = font.StrikeOut;
}

void TRTFOptionsPage::Connect() {
  ConnectStyleControls();
  // An orientation the user picks is kept.
  connect(cbOrientation_, &QComboBox::activated, this, [this](int index) {
    Edit([&] {
      form_.RTFOptions.PageOrientation = index == 1 ? poLandscape : poPortrait;
      form_.RTFOptions.AutoOrientation = false;
    });
  });
  connect(chAutoOrientation_, &QCheckBox::toggled, this,
          [this](bool checked) { Edit([&] { form_.RTFOptions.AutoOrientation = checked; }); });
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
  cbOrientation_->setCurrentIndex(options.PageOrientation == poLandscape ? 1 : 0);
  chAutoOrientation_->setChecked(options.AutoOrientation);
  chAutoOrientation_->setEnabled(options.PageOrientation == poPortrait);
  RefreshStyleControls();
  const TrtfStyle& style = Style();
  chBackground_->setChecked(style.AllowBackground);
  ShowColor(bBackground_, style.BackgroundColor);
  chHighlight_->setChecked(style.AllowHighlight);
  ShowColor(bHighlight_, style.HighlightColor);
  cbAlignment_->setCurrentIndex(style.Alignment);
  refreshing_ = false;
}

}  // namespace verimo
