#include "app/ProgressWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include "app/QtText.h"

namespace verimo {
namespace {

constexpr int kClientWidth = 301;
constexpr int kClientHeight = 140;
constexpr int kTitleWidth = 200;
constexpr int kValueWidth = 73;
constexpr int kRowHeight = 21;
constexpr int kRowStep = 25;
constexpr int kMargin = 8;

QLabel* MakeBevelLabel(QWidget* parent, int x, int y, int width) {
  auto* label = new QLabel(parent);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setAlignment(Qt::AlignCenter);
  label->setGeometry(x, y, width, kRowHeight);
  return label;
}

}  // namespace

TfmTesselProgress::TfmTesselProgress(QWidget* owner, std::function<void()> abortExporter)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      progress_(std::move(abortExporter)) {
  setObjectName(QStringLiteral("fmTesselProgress"));
  setModal(false);
  setFixedSize(kClientWidth, kClientHeight);
  BuildLayout();
  tmTimer_ = new QTimer(this);
  tmTimer_->setInterval(1000);
  connect(tmTimer_, &QTimer::timeout, this, [this] { TimerTick(); });
  connect(bButton_, &QPushButton::clicked, this, [this] { ButtonClicked(); });
  setWindowTitle(ToQString(TTesselProgress::CaptionText()));
  laStatus_->setText(ToQString(TTesselProgress::StatusTitle()));
  laTime_->setText(ToQString(TTesselProgress::TimeTitle()));
  laSpeed_->setText(ToQString(TTesselProgress::SpeedTitle()));
  ShowTexts();
}

TfmTesselProgress::~TfmTesselProgress() = default;

void TfmTesselProgress::BuildLayout() {
  const int valueX = kMargin + kTitleWidth + 4;
  auto row = [&](QLabel*& title, QLabel*& value, int index, const char* name) {
    const int y = kMargin + index * kRowStep;
    title = MakeBevelLabel(this, kMargin, y, kTitleWidth);
    value = MakeBevelLabel(this, valueX, y, kValueWidth);
    title->setObjectName(QString::fromLatin1(name));
    value->setObjectName(QString::fromLatin1(name) + QStringLiteral("Value"));
  };
  row(laStatus_, laStatusValue_, 0, "laStatus");
  row(laExported_, laExportedValue_, 1, "laExported");
  row(laTime_, laTimeValue_, 2, "laTime");
  row(laSpeed_, laSpeedValue_, 3, "laSpeed");
  bButton_ = new QPushButton(this);
  bButton_->setObjectName(QStringLiteral("bButton"));
  bButton_->setGeometry((kClientWidth - 75) / 2, kMargin + 4 * kRowStep + 2, 75, 22);
  bButton_->setDefault(true);
}

void TfmTesselProgress::ShowTexts() {
  laStatusValue_->setText(ToQString(progress_.StatusText()));
  laExported_->setText(ToQString(progress_.CounterTitle()));
  laExportedValue_->setText(ToQString(progress_.CounterText()));
  laTimeValue_->setText(ToQString(progress_.TimeText()));
  laSpeedValue_->setText(ToQString(progress_.SpeedText()));
  bButton_->setText(ToQString(progress_.ButtonCaption()));
}

void TfmTesselProgress::SyncTimer() {
  if (progress_.TimerOn() && !tmTimer_->isActive()) tmTimer_->start();
  if (!progress_.TimerOn() && tmTimer_->isActive()) tmTimer_->stop();
}

void TfmTesselProgress::Notify(int code) {
  progress_.Notify(code);
  SyncTimer();
  ShowTexts();
  if (progress_.CloseRequested()) hide();
}

void TfmTesselProgress::ShowWarnings(const std::vector<WideString>& lines) {
  if (lines.empty()) return;
  for (const WideString& line : lines) warnings_ << ToQString(line);
  if (!laWarnings_) {
    laWarnings_ = new QLabel(this);
    laWarnings_->setObjectName(QStringLiteral("laWarnings"));
    laWarnings_->setWordWrap(true);
  }
  laWarnings_->setText(warnings_.join(QLatin1Char('\n')));
  const int width = kClientWidth - 2 * kMargin;
  const int height = laWarnings_->heightForWidth(width);
  const int top = kClientHeight - kMargin / 2;
  laWarnings_->setGeometry(kMargin, top, width, height);
  laWarnings_->show();
  setFixedSize(kClientWidth, top + height + kMargin);
}

void TfmTesselProgress::TimerTick() {
  progress_.Tick();
  laTimeValue_->setText(ToQString(progress_.TimeText()));
  laSpeedValue_->setText(ToQString(progress_.SpeedText()));
}

void TfmTesselProgress::ButtonClicked() {
  progress_.ButtonClick();
  CheckResult();
}

void TfmTesselProgress::CheckResult() {
  if (progress_.ModalResultOK() && waitLoop_) waitLoop_->quit();
}

void TfmTesselProgress::WaitForOK() {
  if (progress_.ModalResultOK()) return;
  QEventLoop loop;
  waitLoop_ = &loop;
  loop.exec();
  waitLoop_ = nullptr;
}

void TfmTesselProgress::closeEvent(QCloseEvent* event) {
  // The window goes away only with the dialog's start handler; a close
  // request is the "Tamam" button once the export is over.
  event->ignore();
  progress_.CloseRequest();
  CheckResult();
}

void TfmTesselProgress::reject() {
  progress_.CloseRequest();
  CheckResult();
}

TQtProgressView::TQtProgressView(QWidget* owner, std::function<void()> abortExporter)
    : window_(new TfmTesselProgress(owner, std::move(abortExporter))) {
  window_->show();
  QCoreApplication::processEvents();
}

TQtProgressView::~TQtProgressView() { delete window_; }

void TQtProgressView::Notify(int code) {
  window_->Notify(code);
  QCoreApplication::processEvents();
}

void TQtProgressView::WaitForOK() { window_->WaitForOK(); }

void TQtProgressView::ShowLosses(const TLossTally& losses) {
  std::vector<WideString> lines;
  for (const TLoss& loss : losses.Losses()) lines.push_back(TTesselProgress::LossText(loss));
  window_->ShowWarnings(lines);
}

void TQtProgressView::ShowSalvageReport(const std::vector<std::string>& lines) {
  window_->ShowWarnings(TTesselProgress::SalvageReportLines(lines));
  QCoreApplication::processEvents();
}

}  // namespace verimo
