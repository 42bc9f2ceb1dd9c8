#pragma once

#include <QString>
#include <string>

#include "core/WideString.h"

namespace verimo {

inline QString ToQString(WideStringView text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline WideString ToWide(const QString& text) {
  return WideString(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

// The translation context of the program's captions.
inline constexpr const char* kCaptionContext = "Verimo";

// A caption, written in Turkish in the code, in the program's language
// (Language.h installs the translation).
QString Tr(WideStringView turkish);

inline QString PathToQString(const std::string& utf8) { return QString::fromStdString(utf8); }
inline std::string ToUtf8Path(const QString& text) { return text.toStdString(); }

// A filter in the "Description|*.ext;*.ext2" notation as the Qt file
// dialogs want it: "Description (*.ext *.ext2)"; several pairs become
// several ";;"-separated filters.
QString ToQtFilter(WideStringView filter);

}  // namespace verimo
