#include "export/ExportRun.h"

#include <utility>

#include "core/Exception.h"
#include "engine/TesselDatabase.h"
#include "engine/TesselText.h"
#include "export/Exporters.h"

namespace verimo {
namespace {

// Disconnects the exporter's events, so that no handler outlives what it
// refers to.
void Disconnect(TTessel& exporter) {
  exporter.OnBeginExport = nullptr;
  exporter.OnEndExport = nullptr;
  exporter.OnFetchedRecord = nullptr;
  exporter.OnSkippedRecord = nullptr;
  exporter.OnExportedRecord = nullptr;
  exporter.OnStopExport = nullptr;
  exporter.OnGetExportText = nullptr;
  exporter.OnBeforeExportRow = nullptr;
  exporter.ReadAhead = false;
}

void Connect(TTessel& exporter, TExportRunObserver& observer) {
  exporter.OnBeginExport = [&observer](TTessel& sender) { observer.Began(sender); };
  exporter.OnEndExport = [&observer](TTessel& sender) { observer.Ended(sender, sender.Aborted()); };
  if (observer.FollowsFetching())
    exporter.OnFetchedRecord = [&observer](TTessel& sender, int recNo) { observer.Fetched(sender, recNo); };
  exporter.OnSkippedRecord = [&observer](TTessel& sender, int recNo) { observer.Skipped(sender, recNo); };
  exporter.OnExportedRecord = [&observer](TTessel& sender, int recNo) { observer.Exported(sender, recNo); };
  exporter.OnStopExport = [&observer](TTessel& sender, bool& canContinue) {
    canContinue = observer.ContinueAfterStop(sender);
  };
  observer.ConnectMore(exporter);
  exporter.ReadAhead = !observer.LooksAtSourceRecords();
}

}  // namespace

TObserverConnection::TObserverConnection(TTessel& exporter, TExportRunObserver& observer) : exporter_(exporter) {
  try {
    Connect(exporter_, observer);
  } catch (...) {
    Disconnect(exporter_);
    throw;
  }
}

TObserverConnection::~TObserverConnection() { Disconnect(exporter_); }

TExportRun::TExportRun(TExporters& exporters, TAllowedExport type, std::string target, bool keepStopped)
    : TExportRun(exporters.For(type), target, TExporters::CompanionFiles(type, target), keepStopped) {}

TExportRun::TExportRun(TTessel& exporter, std::string target, std::vector<std::filesystem::path> companions,
                       bool keepStopped)
    : target_(std::move(target)), exporter_(exporter) {
  if (auto* database = dynamic_cast<TTesselDatabase*>(&exporter_)) database->KeepRowsOnStop = keepStopped;
  if (dynamic_cast<TTesselText*>(&exporter_)) staged_.emplace(target_, std::move(companions));
  // The viewer and printer wait for the published target.
  SetTarget(exporter_, staged_ ? staged_->Path().string() : target_, false, false);
}

void TExportRun::Execute(TExportRunObserver& observer) {
  TObserverConnection events(exporter_, observer);
  try {
    exporter_.Execute();
  } catch (const std::exception& error) {
    if (!staged_) throw;
    throw Exception(staged_->AsTargetNames(error.what()));
  }
}

bool TExportRun::Stopped() const { return exporter_.Aborted(); }

bool TExportRun::WritesDatabase() const { return dynamic_cast<TTesselDatabase*>(&exporter_) != nullptr; }

void TExportRun::Publish() {
  if (staged_) staged_->Commit();
}

void TExportRun::ShowResult(bool showFile, bool printFile) {
  SetTarget(exporter_, target_, showFile, printFile);
  ShowResultOf(exporter_);
}

}  // namespace verimo
