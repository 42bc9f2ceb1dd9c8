#include "app/PackageOptionsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/OptionsPageWidgets.h"
#include "app/QtText.h"

namespace verimo {
namespace {

QString Q(const char16_t* text) { return Tr(text); }

TStyleOptionsPage::TStyleControlNames PackageControlNames(TPackageOptionsPage::TKind kind) {
  TStyleOptionsPage::TStyleControlNames names;
  names.strikeOut = kind == TPackageOptionsPage::TKind::Docx;
  return names;
}

}  // namespace

TPackageOptionsPage::TPackageOptionsPage(TTesselDialogForm& form, TKind kind, QWidget* parent)
    : TStyleOptionsPage(form, PackageControlNames(kind), parent), kind_(kind) {
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
  AddStripTypeRow(general);
  layout->addLayout(general);

  QFormLayout* styles = AddStyleGroup(layout);
  QWidget* group = styles->parentWidget();
  auto* background = new QHBoxLayout;
  chUseBackground_ = Check(group, "chUseBackground", u"Arka plan rengi");
  bBackground_ = ColorButton(group, "bBackground");
  background->addWidget(chUseBackground_);
  background->addWidget(bBackground_);
  background->addStretch();
  styles->addRow(QString(), background);
  cbAlignment_ = Combo(group, "cbAlignment", {u"Sol", u"Sağ", u"Orta", u"İki yana"});
  styles->addRow(Q(u"Yatay hizalama:"), cbAlignment_);
  if (xlsx) {
    BuildWorkbookRows(styles);
  } else {
    BuildDocumentRows(styles);
    BuildTableBorder(layout);
  }
  layout->addStretch();
}

void TPackageOptionsPage::BuildWorkbookRows(QFormLayout* styles) {
  QWidget* group = styles->parentWidget();
  cbVertical_ = Combo(group, "cbVertical", {u"Üst", u"Orta", u"Alt"});
  styles->addRow(Q(u"Dikey hizalama:"), cbVertical_);
  chWrapText_ = new QCheckBox(Q(u"Metni kaydır"), group);
  styles->addRow(QString(), chWrapText_);
  auto* border = new QHBoxLayout;
  chStyleBorder_ = Check(group, "chStyleBorder", u"Kenarlık");
  cbStyleBorder_ = Combo(group, "cbStyleBorder", {});
  for (int i = xbsThin; i <= xbsMediumDashDotDot; ++i)
    cbStyleBorder_->addItem(Q(XlsxBorderStyleName(static_cast<TXlsxBorderStyle>(i))));
  bStyleBorderColor_ = ColorButton(group, "bStyleBorderColor");
  border->addWidget(chStyleBorder_);
  border->addWidget(cbStyleBorder_, 1);
  border->addWidget(bStyleBorderColor_);
  styles->addRow(QString(), border);
}

void TPackageOptionsPage::BuildDocumentRows(QFormLayout* styles) {
  QWidget* group = styles->parentWidget();
  auto* highlight = new QHBoxLayout;
  chHighlight_ = Check(group, "chHighlight", u"Vurgu");
  cbHighlight_ = Combo(group, "cbHighlight", {u"(yok)"});
  for (int i = hcYellow; i <= hcBlack; ++i)
    cbHighlight_->addItem(Q(DocxHighlightName(static_cast<TMSHighlightColor>(i))));
  highlight->addWidget(chHighlight_);
  highlight->addWidget(cbHighlight_, 1);
  styles->addRow(QString(), highlight);
}

void TPackageOptionsPage::BuildTableBorder(QLayout* layout) {
  auto* table = new QGroupBox(Q(u"Tablo kenarlığı"), this);
  auto* row = new QHBoxLayout(table);
  chTableBorder_ = Check(table, "chDocxUseBorder", u"Başlık ve veri hücrelerine kenarlık");
  cbTableBorder_ = Combo(table, "cbDocxBorderStyle", {});
  for (int i = dbsSingle; i <= dbsEngrave3D; ++i)
    cbTableBorder_->addItem(Q(DocxBorderStyleName(static_cast<TDocxBorderStyle>(i))));
  bTableBorderColor_ = ColorButton(table, "bDocxBorderColor");
  row->addWidget(chTableBorder_);
  row->addWidget(cbTableBorder_, 1);
  row->addWidget(bTableBorderColor_);
  layout->addWidget(table);
}

TXlsxCellStyle* TPackageOptionsPage::XlsxStyle() {
  if (kind_ != TKind::Xlsx) return nullptr;
  TTesselXlsxOptions& options = form_.XlsxOptions;
  return StripSelected() ? &options.StripStylesList[StripIndex()].Options : &options.BaseStyle(StyleIndex());
}

TDocxCellStyle* TPackageOptionsPage::DocxStyle() {
  if (kind_ != TKind::Docx) return nullptr;
  TTesselDocxOptions& options = form_.DocxOptions;
  return StripSelected() ? &options.StripStylesList[StripIndex()].Options : &options.BaseStyle(StyleIndex());
}

bool& TPackageOptionsPage::UseBackground() {
  return XlsxStyle() ? XlsxStyle()->UseBackground : DocxStyle()->UseBackground;
}
TColor& TPackageOptionsPage::Background() {
  return XlsxStyle() ? XlsxStyle()->BackgroundColor : DocxStyle()->BackgroundColor;
}
TMSCellAlignment& TPackageOptionsPage::Alignment() {
  return XlsxStyle() ? XlsxStyle()->Alignment : DocxStyle()->Alignment;
}

int TPackageOptionsPage::StripType() const {
  return kind_ == TKind::Xlsx ? form_.XlsxOptions.StripStyleType : form_.DocxOptions.StripStyleType;
}

void TPackageOptionsPage::SetStripType(int type) {
  const auto stripType = static_cast<TMSStripStyleType>(type);
  if (kind_ == TKind::Xlsx) form_.XlsxOptions.StripStyleType = stripType;
  else form_.DocxOptions.StripStyleType = stripType;
}

int TPackageOptionsPage::StripCount() const {
  return static_cast<int>(kind_ == TKind::Xlsx ? form_.XlsxOptions.StripStylesList.size()
                                               : form_.DocxOptions.StripStylesList.size());
}

void TPackageOptionsPage::AddStrip() {
  if (kind_ == TKind::Xlsx) form_.XlsxOptions.StripStylesList.emplace_back();
  else form_.DocxOptions.StripStylesList.emplace_back();
}

void TPackageOptionsPage::DeleteStrip(size_t at) {
  const auto offset = static_cast<ptrdiff_t>(at);
  if (kind_ == TKind::Xlsx) form_.XlsxOptions.StripStylesList.erase(form_.XlsxOptions.StripStylesList.begin() + offset);
  else form_.DocxOptions.StripStylesList.erase(form_.DocxOptions.StripStylesList.begin() + offset);
}

TPackageFont TPackageOptionsPage::SelectedFont() { return XlsxStyle() ? XlsxStyle()->Font : DocxStyle()->Font; }
void TPackageOptionsPage::SetSelectedFont(const TPackageFont& font) {
  (XlsxStyle() ? XlsxStyle()->Font : DocxStyle()->Font) = font;
}

void TPackageOptionsPage::Connect() {
  ConnectStyleControls();
  connect(chUseBackground_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { UseBackground() = on; }); });
  connect(bBackground_, &QPushButton::clicked, this, [this] { PickColor(Background()); });
  connect(cbAlignment_, &QComboBox::activated, this,
          [this](int index) { Edit([&] { Alignment() = static_cast<TMSCellAlignment>(index); }); });
  if (kind_ == TKind::Xlsx) ConnectWorkbookRows();
  else ConnectDocumentRows();
}

void TPackageOptionsPage::ConnectWorkbookRows() {
  connect(edSheetName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!text.isEmpty()) form_.XlsxSheetName = ToWide(text);
  });
  connect(cbVertical_, &QComboBox::activated, this, [this](int index) {
    Edit([&] { XlsxStyle()->VerticalAligment = static_cast<TMSCellVerticalAligment>(index); });
  });
  connect(chWrapText_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { XlsxStyle()->WrapText = on; }); });
  connect(chStyleBorder_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { XlsxStyle()->UseBorder = on; }); });
  connect(cbStyleBorder_, &QComboBox::activated, this, [this](int index) {
    Edit([&] { XlsxStyle()->Border.Style = static_cast<TXlsxBorderStyle>(index); });
  });
  connect(bStyleBorderColor_, &QPushButton::clicked, this, [this] { PickColor(XlsxStyle()->Border.Color); });
}

void TPackageOptionsPage::ConnectDocumentRows() {
  TTesselDocxOptions& options = form_.DocxOptions;
  // An orientation the user picks is kept.
  connect(cbOrientation_, &QComboBox::activated, this, [this, &options](int index) {
    Edit([&] {
      options.PageOrientation = index == 1 ? poLandscape : poPortrait;
      options.AutoOrientation = false;
    });
  });
  connect(chAutoOrientation_, &QCheckBox::toggled, this,
          [this, &options](bool checked) { Edit([&] { options.AutoOrientation = checked; }); });
  connect(chHighlight_, &QCheckBox::toggled, this, [this](bool on) { Edit([&] { DocxStyle()->UseHighlight = on; }); });
  connect(cbHighlight_, &QComboBox::activated, this, [this](int index) {
    Edit([&] { DocxStyle()->HighlightColor = static_cast<TMSHighlightColor>(index); });
  });
  connect(chTableBorder_, &QCheckBox::toggled, this,
          [this, &options](bool on) { Edit([&] { options.UseBorder = on; }); });
  connect(cbTableBorder_, &QComboBox::activated, this, [this, &options](int index) {
    Edit([&] { options.Border.Style = static_cast<TDocxBorderStyle>(index); });
  });
  connect(bTableBorderColor_, &QPushButton::clicked, this, [this, &options] { PickColor(options.Border.Color); });
}

void TPackageOptionsPage::RefreshStyle() {
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

void TPackageOptionsPage::RefreshDocument() {
  const TTesselDocxOptions& options = form_.DocxOptions;
  cbOrientation_->setCurrentIndex(options.PageOrientation == poLandscape ? 1 : 0);
  chAutoOrientation_->setChecked(options.AutoOrientation);
  chAutoOrientation_->setEnabled(options.PageOrientation == poPortrait);
  chTableBorder_->setChecked(options.UseBorder);
  cbTableBorder_->setCurrentIndex(options.Border.Style);
  cbTableBorder_->setEnabled(options.UseBorder);
  ShowColor(bTableBorderColor_, options.Border.Color);
  bTableBorderColor_->setEnabled(options.UseBorder);
}

void TPackageOptionsPage::Refresh() {
  refreshing_ = true;
  if (kind_ == TKind::Xlsx) {
    if (!edSheetName_->hasFocus()) edSheetName_->setText(ToQString(form_.XlsxSheetName));
  } else {
    RefreshDocument();
  }
  RefreshStyleControls();
  RefreshStyle();
  refreshing_ = false;
}

}  // namespace verimo
