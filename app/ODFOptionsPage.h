#pragma once

#include <functional>

#include <QWidget>

#include "dialog/TesselDialogForm.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace verimo {

// The option page of the two OpenDocument types ("ODS Hesap Tablosu" and
// "ODT Metin Belgesi"): the sheet or table name, the strip type, the style
// list (header, captions, data, footer and the strip styles) with the
// selected style's font, background, alignments and, for the spreadsheet,
// its border; for the text document the paragraph highlight and the table
// border. It edits the form's ODSOptions / ODTOptions directly.
class TODFOptionsPage : public QWidget {
 public:
  enum class TKind { ODS, ODT };
  TODFOptionsPage(TTesselDialogForm& form, TKind kind, QWidget* parent = nullptr);

  // Shows the form's options again (after loading settings, for example).
  void Refresh();

 private:
  void Build();
  void Connect();
  int StripCount() const;
  // The selected style as its common part and, where it has them, its
  // spreadsheet-cell and text-paragraph parts.
  TODSParagraphStyle& Style();
  TODSCellParagraphStyle* CellStyle();
  TODTParagraphStyle* ParagraphStyle();
  TODFTextVerticalAligment* VerticalAlignment();
  TODFBorder& Border();
  WideString& Name();
  TODFStripStyleType& StripType();
  void Edit(const std::function<void()>& change);
  void PickColor(TColor& color);
  void RefreshStyle();

  TTesselDialogForm& form_;
  TKind kind_;
  bool refreshing_ = false;
  int styleIndex_ = 0;

  QLineEdit* edName_ = nullptr;
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
  QCheckBox* chAllowBackground_ = nullptr;
  QPushButton* bBackground_ = nullptr;
  QComboBox* cbAlignment_ = nullptr;
  QComboBox* cbVertical_ = nullptr;
  QCheckBox* chHighlight_ = nullptr;
  QPushButton* bHighlight_ = nullptr;
  QCheckBox* chUseDataBorder_ = nullptr;
  QCheckBox* chBorder_ = nullptr;
  QSpinBox* edBorderWidth_ = nullptr;
  QPushButton* bBorderColor_ = nullptr;
};

}  // namespace verimo
