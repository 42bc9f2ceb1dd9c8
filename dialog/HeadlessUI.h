#pragma once

#include <functional>
#include <memory>

#include "dialog/TesselDialog.h"
#include "dialog/TesselProgress.h"

namespace verimo {

// Runs the dialog's exports without windows (the command line, tests): the
// progress window's state is kept as usual and handed to OnProgress after
// every notification; the stop question goes to OnConfirmStop.
class TTesselHeadlessUI : public TTesselDialogUI {
 public:
  using TProgressCallback = std::function<void(const TTesselProgress& progress, int notification)>;

  TProgressCallback OnProgress;
  // Answers the stop question: true stops. Without a handler the export
  // stops.
  std::function<bool()> OnConfirmStop;
  // Told after a run which fields held dates outside the years 1 to 9999.
  std::function<void(const std::vector<TOutOfRangeDates::TFieldCount>&)> OnOutOfRangeDates;

  // Asks the running export to stop, in any phase (it then asks
  // OnConfirmStop); does nothing between runs.
  void RequestStop();

  std::unique_ptr<TTesselProgressView> ShowProgress(std::function<void()> abortExporter) override;
  bool ConfirmStop() override;

 private:
  class View;
  std::function<void()> abortRunning_;
};

}  // namespace verimo
