#pragma once

#include <QDialog>

#include "app/ProgramSettings.h"

class QComboBox;

namespace verimo {

// "Program Ayarları": the code pages of the exports and of the tables, and
// the locale of the exports, and the language of the windows.
class TProgramSettingsDialog : public QDialog {
 public:
  explicit TProgramSettingsDialog(const TProgramSettings& settings, QWidget* parent = nullptr);

  TProgramSettings Settings() const;
  QComboBox* CodePageBox() const { return codePage_; }
  QComboBox* TableCodePageBox() const { return tableCodePage_; }
  QComboBox* LocaleBox() const { return locale_; }
  QComboBox* LanguageBox() const { return language_; }

 private:
  QComboBox* codePage_ = nullptr;
  QComboBox* tableCodePage_ = nullptr;
  QComboBox* locale_ = nullptr;
  QComboBox* language_ = nullptr;
};

}  // namespace verimo
