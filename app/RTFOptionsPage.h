#pragma once

#include <QWidget>

#include "dialog/TesselDialogForm.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace verimo {

// The option page of "MS Word" and "RTF": page orientation, strip type and
// the style list (header, captions, data, footer and the strip styles)
// with the selected style's font, colours and alignment. It edits the
// form's RTFOptions directly.
class TRTFOptionsPage : public QWidget {
 public:
  explicit TRTFOptionsPage(TTesselDialogForm& form, QWidget* parent = nullptr);

  // Shows the form's options again (after loading settings, for example).
  void Refresh();

 private:
  void Build();
  void Connect();
  TrtfStyle& Style();
  void Edit(const std::function<void()>& change);
  void PickColor(TColor& color);

  TTesselDialogForm& form_;
  bool refreshing_ = false;
  int styleIndex_ = 0;

  QComboBox* cbOrientation_ = nullptr;
  QCheckBox* chAutoOrientation_ = nullptr;
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
  QCheckBox* chBackground_ = nullptr;
  QPushButton* bBackground_ = nullptr;
  QCheckBox* chHighlight_ = nullptr;
  QPushButton* bHighlight_ = nullptr;
  QComboBox* cbAlignment_ = nullptr;
};

}  // namespace verimo
