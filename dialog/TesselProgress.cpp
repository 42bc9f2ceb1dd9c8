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
  const WideString field = u"\"" + loss.field + u"\" alanında ";
  const WideString count = GroupedCount(loss.count, u'.');
  switch (loss.kind) {
    case TLossKind::DateOutOfRange:
      return field + u"1–9999 yılları dışında kalan " + count + u" tarih boş aktarıldı.";
    case TLossKind::UnwritableCharacter:
      return field + loss.detail + u" kod sayfasında yazılamayan " + count + u" karakter \"?\" olarak yazıldı.";
    case TLossKind::ForbiddenCharacter:
      return field + loss.detail + u" biçiminin kabul etmediği " + count + u" karakter çıkarıldı.";
    case TLossKind::NumberTooWide:
      return field + loss.detail + u" alanına sığmayan " + count + u" sayı \"*\" olarak yazıldı.";
    case TLossKind::BlankAsFalse:
      return field + u"boş olan " + count + u" mantıksal değer " + loss.detail + u" olarak yazıldı.";
    case TLossKind::TextCut:
      return field + count + u" değer sütunun " + loss.detail + u" karakterlik genişliğine kısaltıldı.";
    case TLossKind::CellTextCut:
      return field + count + u" değer bir hücrenin alabildiği " + loss.detail + u" karaktere kısaltıldı.";
    case TLossKind::NotFinite:
      return field + u"sonlu olmayan (NaN ya da sonsuz) " + count + u" sayı boş (null) yazıldı.";
    case TLossKind::LoneSurrogate:
      return field + u"eşi olmayan " + count + u" vekil karakter U+FFFD olarak yazıldı.";
  }
  return field + count + u" değer değişti.";
}

std::vector<WideString> TTesselProgress::SalvageReportLines(const std::vector<std::string>& report) {
  // More would make the window taller than a screen.
  constexpr size_t kShownProblems = 6;
  std::vector<WideString> lines{u"Hasarlı tablodan kurtarılanlar:"};
  if (report.empty()) return lines;
  const size_t problems = report.size() - 1;
  for (size_t i = 0; i < std::min(problems, kShownProblems); ++i) lines.push_back(Utf8ToWide(report[i]));
  if (problems > kShownProblems)
    lines.push_back(u"… ve " + IntToWide(static_cast<int64_t>(problems - kShownProblems)) + u" sorun daha");
  lines.push_back(Utf8ToWide(report.back()));
  return lines;
}

}  // namespace verimo
