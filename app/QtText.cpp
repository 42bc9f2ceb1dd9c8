#include "app/QtText.h"

#include <QCoreApplication>
#include <QStringList>

namespace verimo {

QString Tr(WideStringView turkish) {
  const QByteArray source = ToQString(turkish).toUtf8();
  return QCoreApplication::translate(kCaptionContext, source.constData());
}

QString ToQtFilter(WideStringView filter) {
  const QStringList parts = ToQString(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
    // Qt reads the patterns from the parentheses, so they are written there
    // in its notation, replacing any the description shows.
    if (description.contains(u'(')) description = description.left(description.indexOf(u'(')).trimmed();
    filters << QStringLiteral("%1 (%2)").arg(description, patterns);
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace verimo
