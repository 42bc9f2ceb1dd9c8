#include "dialog/TesselProgress.h"

#include <algorithm>

#include "engine/TesselLocale.h"
#include "core/DateTime.h"
#include "platform/locale/Formatting.h"

namespace verimo {
namespace {

WideString Text(int ident) { return TTesselLocale::Instance().LoadText(ident); }

constexpr int64_t kSecondsPerDay = 86400;

}  // namespace

TTesselProgress::TTesselProgress(std::function<void()> abortExporter)
    : abortExporter_(std::move(abortExporter)) {
  EnterState(TState::Preparing);
  counterTitle_ = Text(res::kProgressExportedTitle);
  counterText_ = u"0";
}

WideString TTesselProgress::CaptionText() { return Text(res::kProgressCaption); }
WideString TTesselProgress::StatusTitle() { return Text(res::kProgressStatusTitle); }
WideString TTesselProgress::TimeTitle() { return Text(res::kProgressTimeTitle); }
WideString TTesselProgress::SpeedTitle() { return Text(res::kProgressSpeedTitle); }

void TTesselProgress::Notify(int code) {
  switch (code) {
    case pnBeginExport:
      timerOn_ = true;
      EnterState(TState::Preparing);
      break;
    case pnFetchedRecord:
      timerOn_ = true;
      EnterState(TState::Fetching);
      Count(fetchedCount_);
      break;
    case pnSkippedRecord:
      timerOn_ = true;
      EnterState(TState::Skipping);
      Count(skippedCount_);
      break;
    case pnExportedRecord:
      timerOn_ = true;
      EnterState(TState::Exporting);
      Count(exportedCount_);
      break;
    case pnPaused:
      timerOn_ = false;
      EnterState(TState::Paused);
      break;
    case pnResumed:
      timerOn_ = true;
      EnterState(TState::Resumed);
      break;
    case pnAborted:
      timerOn_ = false;
      EnterState(TState::Aborted);
      break;
    case pnFinished:
      timerOn_ = false;
      EnterState(TState::Finished);
      break;
    case pnClose:
      closeRequested_ = true;
      break;
    default:
      break;
  }
}

void TTesselProgress::EnterState(TState state) {
  state_ = state;
  switch (state) {
    case TState::Preparing:
      statusText_ = Text(res::kProgressPreparing);
      buttonCaption_ = Text(res::kProgressCancelButton);
      break;
    case TState::Skipping:
      statusText_ = Text(res::kProgressSkipping);
      counterTitle_ = Text(res::kProgressSkippedTitle);
      break;
    case TState::Fetching:
      statusText_ = Text(res::kProgressFetching);
      counterTitle_ = Text(res::kProgressFetchedTitle);
      break;
    case TState::Exporting:
      statusText_ = Text(res::kProgressExporting);
      counterTitle_ = Text(res::kProgressExportedTitle);
      break;
    case TState::Paused:
      statusText_ = Text(res::kProgressPaused);
      break;
    case TState::Resumed:
      statusText_ = Text(res::kProgressExporting);
      buttonCaption_ = Text(res::kProgressCancelButton);
      break;
    case TState::Aborted:
      statusText_ = Text(res::kProgressAborted);
      buttonCaption_ = Text(res::kProgressOkButton);
      break;
    case TState::Finished:
      statusText_ = Text(res::kProgressFinished);
      buttonCaption_ = Text(res::kProgressOkButton);
      break;
  }
}

void TTesselProgress::Count(int64_t& counter) {
  ++counter;
  counterText_ = IntToWide(counter);
}

void TTesselProgress::Tick() { ++elapsedSeconds_; }

void TTesselProgress::ButtonClick() {
  switch (state_) {
    case TState::Preparing:
    case TState::Fetching:
    case TState::Exporting:
    case TState::Resumed:
      if (abortExporter_) abortExporter_();
      break;
    case TState::Skipping:
    case TState::Paused:
    case TState::Aborted:
    case TState::Finished:
      modalResultOK_ = true;
      break;
  }
}

void TTesselProgress::CloseRequest() {
  if (RunOver()) modalResultOK_ = true;
}

int64_t TTesselProgress::Rate() const {
  if (elapsedSeconds_ == 0) return 0;
  return (fetchedCount_ + exportedCount_ + skippedCount_) / elapsedSeconds_;
}

WideString TTesselProgress::TimeText() const {
  const int64_t days = elapsedSeconds_ / kSecondsPerDay;
  const int64_t secondsOfDay = elapsedSeconds_ % kSecondsPerDay;
  const TDateTime elapsed =
      static_cast<double>(days) + EncodeTime(static_cast<int>(secondsOfDay / 3600),
                                             static_cast<int>(secondsOfDay / 60 % 60),
                                             static_cast<int>(secondsOfDay % 60), 0);
  return FormatDateTime(Text(res::kProgressTimePattern), elapsed, GlobalFormatSettings());
}

WideString TTesselProgress::SpeedText() const {
  return TTesselLocale::Instance().LoadMessage(res::kProgressSpeed, {Rate()});
}

WideString TTesselProgress::LossText(const TLoss& loss) {
  const TTesselLocale& locale = TTesselLocale::Instance();
  const WideString separator = locale.LoadText(res::kCountGroupSeparator);
  const WideString count = GroupedCount(loss.count, separator.empty() ? u'.' : separator.front());
  switch (loss.kind) {
    case TLossKind::DateOutOfRange: return locale.LoadMessage(res::kLossDateOutOfRange, {loss.field, count});
    case TLossKind::UnwritableCharacter:
      return locale.LoadMessage(res::kLossUnwritableCharacter, {loss.field, loss.detail, count});
    case TLossKind::ForbiddenCharacter:
      return locale.LoadMessage(res::kLossForbiddenCharacter, {loss.field, loss.detail, count});
    case TLossKind::NumberTooWide: return locale.LoadMessage(res::kLossNumberTooWide, {loss.field, loss.detail, count});
    case TLossKind::BlankAsFalse: return locale.LoadMessage(res::kLossBlankAsFalse, {loss.field, count, loss.detail});
    case TLossKind::TextCut: return locale.LoadMessage(res::kLossTextCut, {loss.field, count, loss.detail});
    case TLossKind::CellTextCut: return locale.LoadMessage(res::kLossCellTextCut, {loss.field, count, loss.detail});
    case TLossKind::NotFinite: return locale.LoadMessage(res::kLossNotFinite, {loss.field, count});
    case TLossKind::LoneSurrogate: return locale.LoadMessage(res::kLossLoneSurrogate, {loss.field, count});
    case TLossKind::UnsettableCharacter:
      return locale.LoadMessage(res::kLossUnsettableCharacter, {loss.field, loss.detail, count});
  }
  return locale.LoadMessage(res::kLossOther, {loss.field, count});
}

std::vector<WideString> TTesselProgress::SalvageReportLines(const std::vector<std::string>& report) {
  // More would make the window taller than a screen.
  constexpr size_t kShownProblems = 6;
  std::vector<WideString> lines{Text(res::kSalvageTitle)};
  if (report.empty()) return lines;
  const size_t problems = report.size() - 1;
  for (size_t i = 0; i < std::min(problems, kShownProblems); ++i) lines.push_back(Utf8ToWide(report[i]));
  if (problems > kShownProblems)
    lines.push_back(TTesselLocale::Instance().LoadMessage(
        res::kSalvageMoreProblems, {static_cast<int64_t>(problems - kShownProblems)}));
  lines.push_back(Utf8ToWide(report.back()));
  return lines;
}

}  // namespace verimo
