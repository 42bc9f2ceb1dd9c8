#include "app/ProgramSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "platform/codepage/CodePage.h"
#include "platform/paradox/TableCodePages.h"
#include "platform/locale/Formatting.h"

namespace verimo {
namespace {

const QString kCodePageKey = QStringLiteral("Export/CodePage");
const QString kTableCodePageKey = QStringLiteral("Tables/CodePage");
const QString kLocaleKey = QStringLiteral("Export/Locale");
const QString kLanguageKey = QStringLiteral("Program/Language");

}  // namespace

TProgramSettings TProgramSettings::Load(const QString& file) {
  const QSettings ini(file, QSettings::IniFormat);
  TProgramSettings settings;
  bool isNumber = false;
  const int codePage = ini.value(kCodePageKey, 0).toInt(&isNumber);
  if (isNumber && IsSupportedCodePage(codePage)) settings.codePage = codePage;
  const int tableCodePage = ini.value(kTableCodePageKey, 0).toInt(&isNumber);
  if (isNumber && IsSupportedCodePage(tableCodePage)) settings.tableCodePage = tableCodePage;
  settings.locale = ini.value(kLocaleKey).toString().trimmed().toStdString();
  const QString language = ini.value(kLanguageKey).toString().trimmed().toLower();
  if (language == QStringLiteral("tr") || language == QStringLiteral("en")) settings.language = language.toStdString();
  return settings;
}

bool TProgramSettings::Save(const QString& file) const {
  QDir().mkpath(QFileInfo(file).absolutePath());
  QSettings ini(file, QSettings::IniFormat);
  ini.setValue(kCodePageKey, codePage);
  ini.setValue(kTableCodePageKey, tableCodePage);
  ini.setValue(kLocaleKey, QString::fromStdString(locale));
  ini.setValue(kLanguageKey, QString::fromStdString(language));
  ini.sync();
  return ini.status() == QSettings::NoError;
}

QString DefaultProgramSettingsFile() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Verimo/verimo.conf");
}

void ApplyProgramLocale(const TProgramSettings& settings) {
  if (settings.locale.empty()) return;
  UseValueLocale(settings.locale);
  GlobalFormatSettings() = TFormatSettings::FromLocale(settings.locale);
}

void OpenWithProgramCodePages(TTable& table, const TProgramSettings& settings) {
  OpenWithRunCodePages(table, settings.codePage, settings.tableCodePage);
}

}  // namespace verimo
