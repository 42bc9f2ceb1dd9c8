#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

namespace verimo::test {

// Answers the modal windows that open while a test runs (message boxes,
// the password prompt, modal forms): every few milliseconds the active modal
// window is offered to the waiting handlers in order; the first that
// accepts it (returns true) has done its work and is dropped.
class TModalAnswerer : public QObject {
 public:
  using THandler = std::function<bool(QWidget* modal)>;

  TModalAnswerer();
  void Then(THandler handler) { handlers_.push_back(std::move(handler)); }
  bool AllAnswered() const { return handlers_.empty(); }
  // The texts of the message boxes that were answered, in order.
  QStringList seenMessages;

 private:
  void Poll();
  std::vector<THandler> handlers_;
  QPointer<QWidget> lastHandled_;
  QTimer timer_;
};

// A handler that presses `button` of a message box (and records its text).
TModalAnswerer::THandler PressInMessageBox(TModalAnswerer& answerer, QMessageBox::StandardButton button,
                                           std::function<void(QMessageBox&)> check = {});

}  // namespace verimo::test
