#pragma once

#include <QWidget>
#include <functional>

#include "dialog/TesselDialogForm.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace verimo {

// The "HTML" option page of the export form: page, table and page-file
// options, the colour templates and the template files. Every change goes
// straight into the form's HTML option objects.
class THTMLOptionsPage : public QWidget {
 public:
  explicit THTMLOptionsPage(TTesselDialogForm& form, QWidget* parent = nullptr);

  // Shows the form's options again.
  void Refresh();

  // The file dialogs of the template buttons and the colour chooser; tests
  // replace them. An empty name or an invalid colour means cancelled.
  std::function<QString(const QString& caption)> AskSaveFileName;
  std::function<QString(const QString& caption)> AskOpenFileName;
  std::function<QColor(const QColor& start)> AskColor;

 private:
  QWidget* BuildPagePage();
  QWidget* BuildTablePage();
  QWidget* BuildFilesPage();
  // A button that shows a colour and lets the user pick another.
  // Controls bound to one option of the form (the option objects live as
  // long as the form, so the references stay valid).
  QPushButton* ColorButton(const char* name, TColor& option);
  QLineEdit* TextEdit(const char* name, WideString& option);
  QLineEdit* PathEdit(const char* name, std::string& option);
  QSpinBox* NumberEdit(const char* name, int low, int high, int& option);
  QCheckBox* FlagBox(const char* name, const QString& caption, bool& option);
  void ApplyTemplate(int index);
  void SaveTemplate();
  void LoadTemplate();

  TTesselDialogForm& form_;
  bool refreshing_ = false;
  std::vector<std::function<void()>> refreshers_;
  QComboBox* cbTemplate_ = nullptr;
  QRadioButton* rbInternalCSS_ = nullptr;
  QRadioButton* rbExternalCSS_ = nullptr;
};

}  // namespace verimo
