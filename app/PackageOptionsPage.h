#pragma once

#include "app/StyleOptionsPage.h"

namespace verimo {

// The option page of the two Office Open XML types ("MS Excel 2007" and
// "MS Word 2007"): the style list with the selected style's font,
// background and alignment, the strip type, and the options of the type
// (sheet name and per-style borders; page orientation, highlight and the
// table border). It edits the form's XlsxOptions / DocxOptions directly.
class TPackageOptionsPage : public TStyleOptionsPage {
 public:
  enum class TKind { Xlsx, Docx };
  TPackageOptionsPage(TTesselDialogForm& form, TKind kind, QWidget* parent = nullptr);

  void Refresh() override;

 private:
  void Build();
  void BuildWorkbookRows(QFormLayout* styles);
  void BuildDocumentRows(QFormLayout* styles);
  void BuildTableBorder(QLayout* layout);
  void Connect();
  void ConnectWorkbookRows();
  void ConnectDocumentRows();
  void RefreshStyle();
  void RefreshDocument();
  bool& UseBackground();
  TColor& Background();
  TMSCellAlignment& Alignment();
  TXlsxCellStyle* XlsxStyle();
  TDocxCellStyle* DocxStyle();

  int StripType() const override;
  void SetStripType(int type) override;
  int StripCount() const override;
  void AddStrip() override;
  void DeleteStrip(size_t at) override;
  TPackageFont SelectedFont() override;
  void SetSelectedFont(const TPackageFont& font) override;

  TKind kind_;
  QLineEdit* edSheetName_ = nullptr;
  QCheckBox* chUseBackground_ = nullptr;
  QPushButton* bBackground_ = nullptr;
  QComboBox* cbAlignment_ = nullptr;
  // Workbook styles.
  QComboBox* cbVertical_ = nullptr;
  QCheckBox* chWrapText_ = nullptr;
  QCheckBox* chStyleBorder_ = nullptr;
  QComboBox* cbStyleBorder_ = nullptr;
  QPushButton* bStyleBorderColor_ = nullptr;
  // Document styles and table.
  QCheckBox* chHighlight_ = nullptr;
  QComboBox* cbHighlight_ = nullptr;
  QCheckBox* chTableBorder_ = nullptr;
  QComboBox* cbTableBorder_ = nullptr;
  QPushButton* bTableBorderColor_ = nullptr;
  QComboBox* cbOrientation_ = nullptr;
  QCheckBox* chAutoOrientation_ = nullptr;
};

}  // namespace verimo
