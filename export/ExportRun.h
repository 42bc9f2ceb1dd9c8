#pragma once

#include <optional>
#include <filesystem>
#include <string>
#include <vector>

#include "core/NonCopyable.h"
#include "export/ExportTypes.h"
#include "export/StagedTarget.h"

namespace verimo {

class TExporters;
class TTessel;
class TTesselRow;

// What a run reports to whoever started it: the dialog's progress window,
// the command line's progress line. Every method has a default that does
// nothing.
class TExportRunObserver {
 public:
  virtual ~TExportRunObserver() = default;
  virtual void Began(TTessel& /*exporter*/) {}
  // Records of the width pass; reported only when FollowsFetching().
  virtual bool FollowsFetching() const { return false; }
  virtual void Fetched(TTessel& /*exporter*/, int /*recNo*/) {}
  virtual void Skipped(TTessel& /*exporter*/, int /*recNo*/) {}
  virtual void Exported(TTessel& /*exporter*/, int /*recNo*/) {}
  // A stop was asked for (Abort); the answer says whether the run goes on.
  virtual bool ContinueAfterStop(TTessel& /*exporter*/) { return false; }
  // The run has ended, `stopped` when a stop request ended it.
  virtual void Ended(TTessel& /*exporter*/, bool /*stopped*/) {}
  // Connects any further events of the exporter; they are disconnected
  // with the others when the run ends.
  virtual void ConnectMore(TTessel& /*exporter*/) {}
  // Whether the observer (or a handler it passes the events on to) looks
  // at the source's current record while the run goes on; only a run whose
  // observer does not reads its records ahead (TTessel::ReadAhead).
  virtual bool LooksAtSourceRecords() const { return true; }
};

// The observer's events connected to the exporter while this object lives;
// disconnected again on every way out.
class TObserverConnection : private TNonCopyable {
 public:
  TObserverConnection(TTessel& exporter, TExportRunObserver& observer);
  ~TObserverConnection();

 private:
  TTessel& exporter_;
};

// One export of a configured exporter into its target: stage, execute,
// then publish or discard. A file export writes its target and the files
// beside it aside (TStagedTarget) and Publish() moves them into place; a run
// that is not published leaves the target as it was. A database export
// works on a copy of its own and is in place when Execute returns; the
// clipboard takes the text when the run is complete.
class TExportRun : private TNonCopyable {
 public:
  // `keepStopped`: a database keeps the rows a stopped run added (the
  // dialog), or none (the command line).
  TExportRun(TExporters& exporters, TAllowedExport type, std::string target, bool keepStopped = true);
  // An exporter of its own (a command-line type) that writes `target` and
  // `companions` beside it.
  TExportRun(TTessel& exporter, std::string target, std::vector<std::filesystem::path> companions,
             bool keepStopped = true);

  TTessel& Exporter() const { return exporter_; }

  // Runs the exporter with the observer's events connected. Messages of a
  // failure name the target as given, not the staged file.
  void Execute(TExportRunObserver& observer);
  bool Stopped() const;
  bool WritesDatabase() const;
  // Moves a staged target into place.
  void Publish();
  // After Publish: opens or prints the target when asked.
  void ShowResult(bool showFile, bool printFile);

 private:
  std::string target_;
  TTessel& exporter_;
  std::optional<TStagedTarget> staged_;
};

}  // namespace verimo
