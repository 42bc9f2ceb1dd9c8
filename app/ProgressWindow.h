#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

#include "dialog/TesselDialog.h"
#include "dialog/TesselProgress.h"

class QLabel;
class QPushButton;
class QTimer;
class QEventLoop;

namespace verimo {

// The progress window of one export run: a view of TTesselProgress with
// its one-second timer. Modeless, parented to the export form so that it
// stays above it.
class TfmTesselProgress : public QDialog {
 public:
  TfmTesselProgress(QWidget* owner, std::function<void()> abortExporter);
  ~TfmTesselProgress() override;

  // Applies a notification, switches the timer and shows the new texts;
  // notification 9 closes the window.
  void Notify(int code);
  // Runs an event loop until the window's result is OK.
  void WaitForOK();
  // Lines under the counters that the user should read before "Tamam",
  // after those shown before.
  void ShowWarnings(const std::vector<WideString>& lines);

  const TTesselProgress& Progress() const { return progress_; }
  QPushButton* Button() const { return bButton_; }
  QTimer* Timer() const { return tmTimer_; }
  // One timer tick (also what the timer's signal calls).
  void TimerTick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Esc.
  void reject() override;

 private:
  void BuildLayout();
  void ShowTexts();
  void SyncTimer();
  void ButtonClicked();
  void CheckResult();

  TTesselProgress progress_;
  QLabel* laStatus_ = nullptr;
  QLabel* laStatusValue_ = nullptr;
  QLabel* laExported_ = nullptr;
  QLabel* laExportedValue_ = nullptr;
  QLabel* laTime_ = nullptr;
  QLabel* laTimeValue_ = nullptr;
  QLabel* laSpeed_ = nullptr;
  QLabel* laSpeedValue_ = nullptr;
  QLabel* laWarnings_ = nullptr;
  QStringList warnings_;
  QPushButton* bButton_ = nullptr;
  QTimer* tmTimer_ = nullptr;
  QEventLoop* waitLoop_ = nullptr;
};

// The progress window as the export form's run drives it.
class TQtProgressView : public TTesselProgressView {
 public:
  TQtProgressView(QWidget* owner, std::function<void()> abortExporter);
  ~TQtProgressView() override;
  void Notify(int code) override;
  void WaitForOK() override;
  void ShowLosses(const TLossTally& losses) override;
  void ShowSalvageReport(const std::vector<std::string>& lines) override;
  TfmTesselProgress& Window() { return *window_; }

 private:
  TfmTesselProgress* window_;
};

}  // namespace verimo
