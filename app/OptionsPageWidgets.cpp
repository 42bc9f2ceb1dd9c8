#include "app/OptionsPageWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "app/QtText.h"

namespace verimo {

QColor ToQColor(TColor color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

TColor FromQColor(const QColor& color) {
  return static_cast<TColor>(color.red()) | (static_cast<TColor>(color.green()) << 8) |
         (static_cast<TColor>(color.blue()) << 16);
}

void ShowColor(QPushButton* button, TColor color) {
  button->setStyleSheet(QStringLiteral("background-color: %1;").arg(ToQColor(color).name()));
}

QComboBox* Combo(QWidget* parent, const char* name, std::initializer_list<const char16_t*> items) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  for (const char16_t* item : items) box->addItem(Tr(item));
  return box;
}

QPushButton* ColorButton(QWidget* parent, const char* name) {
  auto* button = new QPushButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setFixedWidth(48);
  return button;
}

QCheckBox* Check(QWidget* parent, const char* name, const char16_t* text) {
  auto* box = new QCheckBox(Tr(text), parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

}  // namespace verimo
