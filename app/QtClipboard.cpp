#include "app/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "app/QtText.h"

namespace verimo {

void TQtClipboard::SetText(const WideString& text) {
  WideStringView view = text;
  while (!view.empty() && view.back() == u'\0') view.remove_suffix(1);
  QGuiApplication::clipboard()->setText(ToQString(view), QClipboard::Clipboard);
}

WideString TQtClipboard::GetText() const { return ToWide(QGuiApplication::clipboard()->text(QClipboard::Clipboard)); }

bool TQtClipboard::HasText() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  return data != nullptr && data->hasText();
}

}  // namespace verimo
