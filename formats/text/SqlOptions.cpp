#include "formats/text/SqlOptions.h"

#include "engine/TesselIniFile.h"

namespace verimo::sql {
namespace {
constexpr char16_t kSection[] = u"SQL";
}  // namespace

void SaveOptions(TTesselIniFile& file, const TTesselSQLOptions& options) {
  file.WriteWideString(kSection, u"TableName", options.TableName);
  file.WriteBool(kSection, u"CreateTable", options.CreateTable);
  file.WriteInteger(kSection, u"CommitRecCount", options.CommitRecCount);
  file.WriteBool(kSection, u"CommitAfterScript", options.CommitAfterScript);
  file.WriteString(kSection, u"CommitStatement", options.CommitStatement);
  file.WriteChar(kSection, u"StatementTerm", options.StatementTerm);
  file.WriteInteger(kSection, u"CustomScriptType", options.ScriptType);
  file.WriteBool(kSection, u"IdentityInsert", options.IdentityInsert);
}

TTesselSQLOptions LoadOptions(const TTesselIniFile& file, const TTesselSQLOptions& defaults) {
  TTesselSQLOptions options;
  options.TableName = file.ReadWideString(kSection, u"TableName", defaults.TableName);
  options.CreateTable = file.ReadBool(kSection, u"CreateTable", defaults.CreateTable);
  options.CommitRecCount = file.ReadInteger(kSection, u"CommitRecCount", defaults.CommitRecCount);
  options.CommitAfterScript = file.ReadBool(kSection, u"CommitAfterScript", defaults.CommitAfterScript);
  options.CommitStatement = file.ReadString(kSection, u"CommitStatement", defaults.CommitStatement);
  options.StatementTerm = file.ReadChar(kSection, u"StatementTerm", defaults.StatementTerm);
  const int type = file.ReadInteger(kSection, u"CustomScriptType", defaults.ScriptType);
  options.ScriptType = type >= 0 && type < kScriptTypeCount ? static_cast<TTesselScriptType>(type) : defaults.ScriptType;
  options.IdentityInsert = file.ReadBool(kSection, u"IdentityInsert", defaults.IdentityInsert);
  return options;
}

}  // namespace verimo::sql
