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
  // Told after a run what it changed of the values it wrote, per field.
  std::function<void(const TLossTally&)> OnLosses;

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
