#pragma once

namespace verimo {

class TTesselXMLWriter;
struct TTesselXlsxOptions;

// Cell style indexes (attribute `s` of a cell).
inline constexpr int kXlsxHeaderStyle = 1;
inline constexpr int kXlsxCaptionStyle = 2;
inline constexpr int kXlsxDataStyle = 3;
inline constexpr int kXlsxFooterStyle = 4;
inline constexpr int kXlsxFirstStripStyle = 5;

// xl/styles.xml: fonts, fills, borders and cell formats of the header,
// caption, data and footer styles, then of the strip styles.
void WriteXlsxStyles(TTesselXMLWriter& xml, const TTesselXlsxOptions& options);

}  // namespace verimo
