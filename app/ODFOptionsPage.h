#pragma once

#include "app/StyleOptionsPage.h"

namespace verimo {

// The option page of the two OpenDocument types ("ODS Hesap Tablosu" and
// "ODT Metin Belgesi"): the sheet or table name, the strip type, the style
// list with the selected style's font, background, alignments and, for the
// spreadsheet, its border; for the text document the paragraph highlight
// and the table border. It edits the form's ODSOptions / ODTOptions
// directly.
class TODFOptionsPage : public TStyleOptionsPage {
 public:
  enum class TKind { ODS, ODT };
  TODFOptionsPage(TTesselDialogForm& form, TKind kind, QWidget* parent = nullptr);

  void Refresh() override;

 private:
  void Build();
  void BuildBorder(QLayout* layout);
  void Connect();
  void ConnectBorder();
  // The selected style as its common part and, where it has them, its
  // spreadsheet-cell and text-paragraph parts.
  TODSParagraphStyle& Style();
  TODSCellParagraphStyle* CellStyle();
  TODTParagraphStyle* ParagraphStyle();
  TODFTextVerticalAligment* VerticalAlignment();
  TODFBorder& Border();
  WideString& Name();
  void RefreshStyle();
  void RefreshBorder();

  int StripType() const override;
  void SetStripType(int type) override;
  int StripCount() const override;
  void AddStrip() override;
  void DeleteStrip(size_t at) override;
  TPackageFont SelectedFont() override;
  void SetSelectedFont(const TPackageFont& font) override;

  TKind kind_;
  QLineEdit* edName_ = nullptr;
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
