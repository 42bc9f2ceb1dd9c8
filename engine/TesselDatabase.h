#pragma once

#include <string>

#include "engine/Tessel.h"

namespace verimo {

// Exporters whose target is a database: the writer works through the
// format's own connection, so the run has no target stream.
class TTesselDatabase : public TTessel {
 public:
  TTesselDatabase();

  // Target database file (UTF-8).
  std::string DatabaseName;
  // Open or print the database after a run that was not stopped.
  bool ShowFile = false;
  bool PrintFile = false;
  // Whether a stopped run keeps the rows it added.
  bool KeepRowsOnStop = true;

  // Runs the export, then ShowResult.
  void Execute() override;
  // Run after a successful export; nothing in this base.
  virtual void ShowResult();
};

}  // namespace verimo
