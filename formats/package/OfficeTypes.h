#pragma once

#include <cstdint>
#include <string>

#include "core/HexText.h"
#include "core/WideString.h"
#include "engine/TesselIniFile.h"
#include "engine/TesselTypes.h"

namespace verimo {


// Types shared by the Office Open XML packages (workbook and document).

enum TMSCellAlignment : uint8_t { caLeft, caRight, caCenter, caJustify };
enum TMSCellVerticalAligment : uint8_t { cvaTop, cvaMiddle, cvaBottom };
using TMSStripStyleType = TTesselStripType;
enum TMSHighlightColor : uint8_t {
  hcNone, hcYellow, hcGreen, hcCyan, hcMagenta, hcBlue, hcRed, hcDarkBlue,
  hcDarkCyan, hcDarkGreen, hcDarkMagenta, hcDarkRed, hcDarkYellow, hcDarkGray, hcLightGray, hcBlack
};

// A cell font: name, size in points, colour and styles.
struct TPackageFont {
  WideString Name = u"Calibri";
  int Size = 11;
  TColor Color = clBlack;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  // Character-set number (1: the default).
  int Charset = 1;
  friend bool operator==(const TPackageFont&, const TPackageFont&) = default;
};

// RgbHex of a colour as wide text.
WideString ColorToHexWide(TColor color);

// The style entries of the option pages, in style order; their captions
// name the settings sections of the styles.
inline constexpr const char16_t* kPackageStyleCaptions[] = {u"ÜSTBİLGİ", u"BAŞLIKLAR", u"VERİ", u"SAYFA SONU"};

// A settings value of an enumeration: a number outside its range gives
// `fallback`.
template <typename E>
E EnumSetting(int value, E last, E fallback) {
  return value < 0 || value > static_cast<int>(last) ? fallback : static_cast<E>(value);
}

// A settings value of a colour: its three colour bytes.
inline TColor ColorSetting(int value) { return static_cast<TColor>(value) & 0xFFFFFFu; }

// The font keys of a style section: "FontName", "FontSize", "FontColor",
// "FontBold", "FontItalic", "FontUnderline" and, where the format has it,
// "FontStrikeOut".
struct TFontKeys {
  TPackageFont defaults;
  int maxSize = 409;
  bool strikeOut = true;
};
void SaveFontKeys(TTesselIniFile& file, WideStringView section, const TPackageFont& font, const TFontKeys& keys);
// A missing key, or an empty name, takes the default.
void LoadFontKeys(const TTesselIniFile& file, WideStringView section, TPackageFont& font, const TFontKeys& keys);

// Erases every section whose name starts with `prefix` (any case), so that
// a shorter list of styles leaves no stale sections.
void EraseSectionsStartingWith(TTesselIniFile& file, WideStringView prefix);

// The settings sections of a package's styles: the four base styles, named
// by `stylePrefix` and their captions, and the strip styles, named by
// `stripPrefix` and their numbers from 0. `save` and `load` are called as
// (file, section, style) with the options' base and strip styles.
struct TStyleSections {
  WideStringView stylePrefix;
  WideStringView stripPrefix;

  WideString Style(int index) const { return WideString(stylePrefix) + kPackageStyleCaptions[index]; }
  WideString Strip(size_t index) const { return WideString(stripPrefix) + IntToWide(static_cast<int>(index)); }

  template <typename Options, typename Save>
  void SaveAll(TTesselIniFile& file, const Options& options, Save save) const {
    for (int i = 0; i < 4; ++i) save(file, Style(i), options.BaseStyle(i));
    SaveStrips(file, options.StripStylesList, save);
  }

  // A base style without its section keeps its values.
  template <typename Options, typename Load>
  void LoadAll(const TTesselIniFile& file, Options& options, Load load) const {
    for (int i = 0; i < 4; ++i)
      if (file.SectionExists(Style(i))) load(file, Style(i), options.BaseStyle(i));
    LoadStrips(file, options.StripStylesList, load);
  }

  // A shorter list of strips leaves no sections of a longer one behind.
  template <typename Strips, typename Save>
  void SaveStrips(TTesselIniFile& file, const Strips& strips, Save save) const {
    EraseSectionsStartingWith(file, stripPrefix);
    for (size_t i = 0; i < strips.size(); ++i) save(file, Strip(i), strips[i]);
  }

  // The strips are those whose sections follow each other from 0.
  template <typename Strips, typename Load>
  void LoadStrips(const TTesselIniFile& file, Strips& strips, Load load) const {
    strips.clear();
    for (size_t i = 0; file.SectionExists(Strip(i)); ++i) load(file, Strip(i), strips.emplace_back());
  }
};

// The four base styles of a package's options by index: the header, the
// caption row, the data and the footer (any other index).
template <typename Style, typename Options>
Style& BaseStyleOf(Options& options, int index) {
  switch (index) {
    case 0: return options.HeaderStyle;
    case 1: return options.CaptionRowStyle;
    case 2: return options.DataStyle;
    default: return options.FooterStyle;
  }
}

}  // namespace verimo
