#pragma once

#include <functional>
#include <optional>

#include <QWidget>

#include "dialog/TesselDialogForm.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace verimo {

// What the option pages of the styled types (RTF and Word, XLSX and DOCX,
// ODS and ODT) share: the strip type, the list of styles (header,
// captions, data, footer, then the strip styles) and the selected style's
// font. A page edits the form's options directly; each edit shows the page
// again, and what showing it sets off is not taken as an edit.
class TStyleOptionsPage : public QWidget {
 public:
  // Object names and limits that differ between the pages.
  struct TStyleControlNames {
    const char* stripType = "cbStripType";
    const char* style = "cbStyle";
    const char* fontColor = "bFontColor";
    int maxFontSize = 409;
    bool strikeOut = true;
    // The list's caption of a strip style, before its number.
    const char16_t* stripCaption = u"ŞERİT ";
  };

  // Shows the form's options again (after loading settings, for example).
  virtual void Refresh() = 0;

 protected:
  static constexpr int kFixedStyleCount = 4;

  TStyleOptionsPage(TTesselDialogForm& form, TStyleControlNames names, QWidget* parent);

  // Adds the strip type's row to the page's general rows.
  void AddStripTypeRow(QFormLayout* general);
  // Adds the "Stiller" group with the style list and the font's rows to
  // `layout`; the page adds its own rows to the form returned.
  QFormLayout* AddStyleGroup(QLayout* layout);
  // Connects the strip type, the style list and the font's controls.
  void ConnectStyleControls();
  // Shows the strip type, the style list and the selected style's font.
  void RefreshStyleControls();

  void Edit(const std::function<void()>& change);
  void PickColor(TColor& color);

  int StyleIndex() const { return styleIndex_; }
  bool StripSelected() const { return styleIndex_ >= kFixedStyleCount; }
  size_t StripIndex() const { return static_cast<size_t>(styleIndex_ - kFixedStyleCount); }

  virtual int StripType() const = 0;
  virtual void SetStripType(int type) = 0;
  virtual int StripCount() const = 0;
  virtual void AddStrip() = 0;
  virtual void DeleteStrip(size_t at) = 0;
  virtual TPackageFont SelectedFont() = 0;
  virtual void SetSelectedFont(const TPackageFont& font) = 0;

  TTesselDialogForm& form_;
  bool refreshing_ = false;

 private:
  void EditFont(const std::function<void(TPackageFont&)>& change);
  std::optional<TColor> AskColor(TColor current);

  TStyleControlNames names_;
  int styleIndex_ = 0;
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
};

}  // namespace verimo
