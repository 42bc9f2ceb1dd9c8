#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/LossTally.h"
#include "core/WideString.h"

namespace verimo {

// The progress window's state, counters, clock and texts, without any
// window: the Qt view (TfmTesselProgress) shows what this object says and
// forwards its button, its timer and its close requests here.
class TTesselProgress {
 public:
  enum class TState : uint8_t { Preparing, Skipping, Fetching, Exporting, Paused, Resumed, Aborted, Finished };

  // The notifications the dialog sends from the exporter's events.
  enum TNotification : int {
    pnBeginExport = 1,
    pnFetchedRecord = 2,
    pnSkippedRecord = 3,
    pnExportedRecord = 4,
    pnPaused = 5,
    pnResumed = 6,
    pnAborted = 7,
    pnFinished = 8,
    pnClose = 9,
  };

  // `abortExporter` is the exporter's Abort; the object never calls into
  // the exporter otherwise.
  explicit TTesselProgress(std::function<void()> abortExporter);

  // Applies one notification; unknown codes change nothing.
  void Notify(int code);
  // One second of the timer.
  void Tick();
  // The window's one button: stops the export while it runs (Preparing,
  // Fetching, Exporting, Resumed), otherwise sets the result to OK.
  void ButtonClick();
  // Esc or the window's close button: nothing while the export runs, the
  // same as "Tamam" once it has stopped or finished.
  void CloseRequest();

  TState State() const { return state_; }
  bool TimerOn() const { return timerOn_; }
  // The result that ends the dialog's wait for the window.
  bool ModalResultOK() const { return modalResultOK_; }
  // Notification 9 arrived: the window is to close.
  bool CloseRequested() const { return closeRequested_; }
  // The export has stopped or finished, so nothing is running any more.
  bool RunOver() const { return state_ == TState::Aborted || state_ == TState::Finished; }

  int64_t SkippedCount() const { return skippedCount_; }
  int64_t ExportedCount() const { return exportedCount_; }
  int64_t FetchedCount() const { return fetchedCount_; }
  int64_t ElapsedSeconds() const { return elapsedSeconds_; }

  // The window's texts.
  static WideString CaptionText();
  static WideString StatusTitle();
  static WideString TimeTitle();
  static WideString SpeedTitle();
  const WideString& StatusText() const { return statusText_; }
  const WideString& CounterTitle() const { return counterTitle_; }
  const WideString& CounterText() const { return counterText_; }
  const WideString& ButtonCaption() const { return buttonCaption_; }
  // The line that tells what a run changed of a field's values and how
  // often ("Ad" alanında ...).
  static WideString LossText(const TLoss& loss);
  // The lines the window shows of the salvage report of a damaged table
  // (TDataSet::SalvageReport: its problems, then its summary): a title,
  // the first few problems, a line counting the others, the summary.
  static std::vector<WideString> SalvageReportLines(const std::vector<std::string>& report);
  // Elapsed time in the pattern "h:nn:ss" and the rate "%d satır/sn".
  WideString TimeText() const;
  WideString SpeedText() const;
  // Records per second over all three counters; 0 before the first second.
  int64_t Rate() const;

 private:
  void EnterState(TState state);
  void Count(int64_t& counter);

  std::function<void()> abortExporter_;
  TState state_ = TState::Preparing;
  bool timerOn_ = false;
  bool modalResultOK_ = false;
  bool closeRequested_ = false;
  int64_t skippedCount_ = 0;
  int64_t exportedCount_ = 0;
  int64_t fetchedCount_ = 0;
  int64_t elapsedSeconds_ = 0;
  WideString statusText_;
  WideString counterTitle_;
  WideString counterText_;
  WideString buttonCaption_;
};

}  // namespace verimo
