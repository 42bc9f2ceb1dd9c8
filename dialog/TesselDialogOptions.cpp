#include "dialog/TesselDialogOptions.h"

#include "engine/TesselIniFile.h"
#include "platform/locale/Formatting.h"

namespace verimo {

TTesselCSVOptions::TTesselCSVOptions() {
  const char16_t listSeparator = GlobalFormatSettings().ListSeparator;
  Comma = listSeparator != 0 ? listSeparator : u',';
}

void SaveAccessOptions(TTesselIniFile& file, const TTesselAccessOptions& options) {
  file.WriteString(u"ACCESS", u"Password", options.Password);
  file.WriteString(u"ACCESS", u"TableName", options.TableName);
  file.WriteBool(u"ACCESS", u"CreateTable", options.CreateTable);
}

TTesselAccessOptions LoadAccessOptions(const TTesselIniFile& file, const TTesselAccessOptions& defaults) {
  TTesselAccessOptions options;
  options.Password = file.ReadString(u"ACCESS", u"Password", defaults.Password);
  options.TableName = file.ReadString(u"ACCESS", u"TableName", defaults.TableName);
  options.CreateTable = file.ReadBool(u"ACCESS", u"CreateTable", defaults.CreateTable);
  return options;
}

}  // namespace verimo
