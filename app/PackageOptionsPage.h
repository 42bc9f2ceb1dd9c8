#pragma once

#include <QWidget>

#include "dialog/TesselDialogForm.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace verimo {

// The option page of the two Office Open XML types ("MS Excel 2007" and
// "MS Word 2007"): the style list (header, captions, data, footer and the
// strip styles) with the selected style's font, background and alignment,
// the strip type, and the options of the type (sheet name and per-style
// borders; page orientation, highlight and the table border). It edits the
// form's XlsxOptions / DocxOptions directly.
class TPackageOptionsPage : public QWidget {
 public:
  enum class TKind { Xlsx, Docx };
  TPackageOptionsPage(TTesselDialogForm& form, TKind kind, QWidget* parent = nullptr);

  // Shows the form's options again (after loading settings, for example).
  void Refresh();

 private:
  void Build();
  void Connect();
  int StripCount() const;
  TPackageFont& Font();
  bool& UseBackground();
  TColor& Background();
  TMSCellAlignment& Alignment();
  TXlsxCellStyle* XlsxStyle();
  TDocxCellStyle* DocxStyle();
  void RefreshStyleList();
  void RefreshStyle();
  void Edit(const std::function<void()>& change);
  void PickColor(TColor& color);

  TTesselDialogForm& form_;
  TKind kind_;
  bool refreshing_ = false;
  int styleIndex_ = 0;

  QLineEdit* edSheetName_ = nullptr;
  QComboBox* cbStripType_ = nullptr;
  QComboBox* cbStyle_ = nullptr;
  QPushButton* bAddStrip_ = nullptr;
  QPushButton* bDeleteStrip_ = nullptr;
  QLineEdit* edFontName_ = nullptr;
  QSpinBox* edFontSize_ = nullptr;
  QPushButton* bFontColor_ = nullptr;
  QCheckBox* chBold_ = nullptr;
  QCheckBox* chItalic_ = nullptr;
  QCheckBox* chUnderline_ = nullptr;
  QCheckBox* chStrikeOut_ = nullptr;
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
