#pragma once

#include "app/StyleOptionsPage.h"

namespace verimo {

// The option page of "MS Word" and "RTF": page orientation, strip type and
// the style list with the selected style's font, colours and alignment. It
// edits the form's RTFOptions directly.
class TRTFOptionsPage : public TStyleOptionsPage {
 public:
  explicit TRTFOptionsPage(TTesselDialogForm& form, QWidget* parent = nullptr);

  void Refresh() override;

 private:
  void Build();
  void Connect();
  TrtfStyle& Style();

  int StripType() const override;
  void SetStripType(int type) override;
  int StripCount() const override;
  void AddStrip() override;
  void DeleteStrip(size_t at) override;
  TPackageFont SelectedFont() override;
  void SetSelectedFont(const TPackageFont& font) override;

  QComboBox* cbOrientation_ = nullptr;
  QCheckBox* chAutoOrientation_ = nullptr;
  QCheckBox* chBackground_ = nullptr;
  QPushButton* bBackground_ = nullptr;
  QCheckBox* chHighlight_ = nullptr;
  QPushButton* bHighlight_ = nullptr;
  QComboBox* cbAlignment_ = nullptr;
};

}  // namespace verimo
