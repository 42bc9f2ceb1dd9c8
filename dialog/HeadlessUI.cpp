#include "dialog/HeadlessUI.h"

namespace verimo {

class TTesselHeadlessUI::View : public TTesselProgressView {
 public:
  View(TTesselHeadlessUI& owner, std::function<void()> abortExporter)
      : owner_(owner), progress_(abortExporter) {
    owner_.abortRunning_ = std::move(abortExporter);
  }
  ~View() override { owner_.abortRunning_ = nullptr; }

  void Notify(int code) override {
    progress_.Notify(code);
    if (owner_.OnProgress) owner_.OnProgress(progress_, code);
  }
  // Nobody is there to press "Tamam".
  void WaitForOK() override {}
  void ShowLosses(const TLossTally& losses) override {
    if (owner_.OnLosses) owner_.OnLosses(losses);
  }

 private:
  TTesselHeadlessUI& owner_;
  TTesselProgress progress_;
};

std::unique_ptr<TTesselProgressView> TTesselHeadlessUI::ShowProgress(std::function<void()> abortExporter) {
  return std::make_unique<View>(*this, std::move(abortExporter));
}

bool TTesselHeadlessUI::ConfirmStop() { return OnConfirmStop ? OnConfirmStop() : true; }

void TTesselHeadlessUI::RequestStop() {
  if (abortRunning_) abortRunning_();
}

}  // namespace verimo
