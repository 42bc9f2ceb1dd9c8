#include "AppTestSupport.h"

#include <QAbstractButton>
#include <QApplication>

namespace verimo::test {

TModalAnswerer::TModalAnswerer() {
  timer_.setInterval(10);
  connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
  timer_.start();
}

void TModalAnswerer::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || modal == lastHandled_ || handlers_.empty()) return;
  if (!handlers_.front()(modal)) return;
  lastHandled_ = modal;
  handlers_.erase(handlers_.begin());
}

TModalAnswerer::THandler PressInMessageBox(TModalAnswerer& answerer, QMessageBox::StandardButton button,
                                           std::function<void(QMessageBox&)> check) {
  return [&answerer, button, check](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box || !box->button(button)) return false;
    answerer.seenMessages << box->text();
    if (check) check(*box);
    box->button(button)->click();
    return true;
  };
}

}  // namespace verimo::test
