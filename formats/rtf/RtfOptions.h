#pragma once

#include <cstdint>
#include <tuple>
#include <vector>

#include "core/StringList.h"
#include "core/WideString.h"
#include "engine/TesselTypes.h"

namespace verimo {

class TTesselIniFile;

enum TrtfTextAlignment : uint8_t { talLeft, talRight, talCenter, talFill };

// Alternating data styles: none, by column, by row.
using TrtfStripType = TTesselStripType;

// The look of one part of the document. The font's size in points is
// Font.Size() (Arial 10 by default).
struct TrtfStyle {
  TTesselFont Font;
  TColor BackgroundColor = clWhite;
  TColor HighlightColor = clWhite;
  bool AllowHighlight = true;
  bool AllowBackground = true;
  TrtfTextAlignment Alignment = talLeft;

  friend bool operator==(const TrtfStyle& a, const TrtfStyle& b) {
    const auto font = [](const TTesselFont& f) {
      return std::tie(f.Name, f.Height, f.Color, f.Bold, f.Italic, f.Underline, f.StrikeOut);
    };
    return font(a.Font) == font(b.Font) && a.BackgroundColor == b.BackgroundColor &&
           a.HighlightColor == b.HighlightColor && a.AllowHighlight == b.AllowHighlight &&
           a.AllowBackground == b.AllowBackground && a.Alignment == b.Alignment;
  }
};

using TrtfStyles = std::vector<TrtfStyle>;

struct TRTFOptions {
  TRTFOptions();

  // Lines column name = alignment word ("Center", "c", "Right", ...).
  TStringList CaptionAligns;
  TrtfStyle CaptionStyle;  // bold and centred
  TrtfStyle DataStyle;
  TTesselPageOrientation PageOrientation = poPortrait;
  // A portrait page turns landscape for a table too wide for it; an
  // orientation the user chose stays (then this is off).
  bool AutoOrientation = true;
  TrtfStyles StripStyles;
  TrtfStripType StripType = ssNone;
  TrtfStyle HeaderStyle;
  TrtfStyle FooterStyle;

  // The four fixed styles in the order of the dialog's style list: header,
  // captions, data, footer.
  static constexpr int kFixedStyleCount = 4;
  TrtfStyle& FixedStyle(int index);
  const TrtfStyle& FixedStyle(int index) const;

  friend bool operator==(const TRTFOptions&, const TRTFOptions&) = default;
};

namespace rtf {

// The captions of the fixed styles in the dialog's style list.
inline constexpr const char16_t* kFixedStyleCaptions[] = {u"ÜSTBİLGİ", u"BAŞLIKLAR", u"VERİ", u"SAYFA SONU"};

// "RTF_STYLE_" + the style's upper-cased caption; "RTF_STRIP_STYLE_" + n.
WideString FixedStyleSection(int index);
WideString StripStyleSection(int index);

// One style section ("FontName" ... "Alignment"). Loading resets the
// style to the defaults first, then reads each key with the current value
// as the default.
void SaveStyle(TTesselIniFile& file, WideStringView section, const TrtfStyle& style);
void LoadStyle(const TTesselIniFile& file, WideStringView section, TrtfStyle& style);

// The "RTF" section (page orientation, automatic orientation, strip type) and the style sections;
// the strip-style sections of the file replace the strip styles.
void EraseSettings(TTesselIniFile& file);
void SaveOptions(TTesselIniFile& file, const TRTFOptions& options);
void LoadOptions(const TTesselIniFile& file, TRTFOptions& options);

}  // namespace rtf

}  // namespace verimo
