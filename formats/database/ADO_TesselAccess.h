#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/WideString.h"
#include "engine/TesselDatabase.h"
#include "engine/TesselWriter.h"
#include "platform/jet/Connection.h"
#include "platform/shell/Shell.h"

namespace verimo {

class TTesselAccessStage;

// Owns what one run writes through: the working copy of the database and
// the prepared insert command over it.
class TTesselAccessWriter : public TTesselWriter {
 public:
  TTesselAccessWriter(TTessel* owner, TStream* stream);
  ~TTesselAccessWriter() override;

  TJetCommand& InsertCommand() { return *insert_; }
  TTesselAccessStage* Stage() const { return stage_.get(); }
  void SetStage(std::unique_ptr<TTesselAccessStage> stage);

 private:
  // Declared first, so the command is gone before its file is removed.
  std::unique_ptr<TTesselAccessStage> stage_;
  std::unique_ptr<TJetCommand> insert_;
};

// Writes the exported rows into a table of an Access (Jet 4) database:
// creates the database file and the table when missing, then inserts one
// row per record through a prepared, parameterised command.
//
// The run works on a copy of the database that replaces the file only at
// the end, so a failed run leaves the file exactly as it was; a stopped
// run keeps the rows inserted before the stop, or none with
// KeepRowsOnStop = false. ResultText says what became of the file.
class TADO_TesselAccess : public TTesselDatabase {
 public:
  TADO_TesselAccess();
  ~TADO_TesselAccess() override;

  WideString TableName = u"ExportResult";
  bool AutoCreateDatabase = true;
  bool AutoCreateTable = true;
  WideString Password;
  // Where "open" goes after the export; the desktop's by default. Not owned.
  TShellLauncher* ShellLauncher = &SystemShellLauncher();

  // "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=...", plus the password
  // when one is set; values are quoted, so no path or password can add a
  // keyword of its own.
  WideString ConnectionString(bool withPassword = true) const;

  std::unique_ptr<TTesselWriter> GetWriterClass(TStream& stream) override;
  void BeginExport() override;
  void EndExport() override;
  void WriteCaptionRow() override;
  void FillRow() override;
  void WriteDataRow() override;
  void ShowResult() override;

  // The statements of the last run (table name and columns).
  const WideString& CreateTableStatement() const { return createStatement_; }
  const WideString& InsertStatement() const { return insertStatement_; }
  // Rows saved in the database by the last run (0 when nothing was kept).
  int SavedRowCount() const { return savedRows_; }
  // One sentence on the outcome of the last run, for the user.
  const std::string& ResultText() const { return resultText_; }

 private:
  struct ColumnPlan {
    WideString name;          // without brackets
    WideString typeText;      // in the CREATE TABLE statement
    TFieldType parameterType = ftUnknown;
    bool typedValue = false;  // the raw value can go in as it is
  };

  TTesselAccessWriter& AccessWriter() const;
  void PlanColumns();
  WideString StageConnectionString(bool withPassword) const;
  void OpenStage();
  void CreateTableWhenMissing();
  void PrepareInsert();
  void SaveRows();
  Variant ParameterValue(int index);
  // Runs a step on the working copy; its messages name DatabaseName.
  template <typename Step>
  void OnWorkingCopy(Step step) const;

  std::vector<ColumnPlan> plan_;
  // The engine's texts of the typed columns, to see whether a handler
  // changed them (watched only when a handler is assigned).
  std::vector<WideString> engineTexts_;
  bool watchTexts_ = false;
  WideString createStatement_;
  WideString insertStatement_;
  int inserted_ = 0;
  int savedRows_ = 0;
  std::string resultText_;
};

}  // namespace verimo
