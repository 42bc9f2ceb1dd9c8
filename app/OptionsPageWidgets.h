#pragma once

#include <QColor>
#include <QString>
#include <initializer_list>

#include "engine/TesselTypes.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QWidget;

namespace verimo {

// Colours of the option pages: TColor is 0x00BBGGRR.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// Shows `color` as the face of a colour button.
void ShowColor(QPushButton* button, TColor color);

// The caption of the check box beside a page orientation: on, a portrait
// page turns landscape for a table too wide for it.
inline constexpr const char16_t* kAutoOrientationText = u"Tablo dikey sayfaya sığmazsa yatay çevir";

// Named controls of the option pages (tests find them by their names).
QComboBox* Combo(QWidget* parent, const char* name, std::initializer_list<const char16_t*> items);
QPushButton* ColorButton(QWidget* parent, const char* name);
QCheckBox* Check(QWidget* parent, const char* name, const char16_t* text);

}  // namespace verimo
