#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "dialog/TesselDialogForm.h"

class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace verimo {

// The "PDF" option page of the export form: the page format, orientation,
// units and margins, the spacings and grid line, and the four fonts. Every
// change goes straight into the form's PDF options.
class TPDFOptionsPage : public QWidget {
 public:
  explicit TPDFOptionsPage(TTesselDialogForm& form, QWidget* parent = nullptr);

  // Shows the form's options again.
  void Refresh();

 private:
  QWidget* BuildPageGroup();
  QWidget* BuildTableGroup();
  QWidget* BuildFontsGroup();
  // Runs an edit unless the page is being refreshed, then shows the result.
  void Edit(const std::function<void()>& edit);

  TTesselDialogForm& form_;
  bool refreshing_ = false;
  std::vector<std::function<void()>> refreshers_;
};

}  // namespace verimo
