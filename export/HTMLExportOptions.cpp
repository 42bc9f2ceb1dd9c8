#include "export/HTMLExportOptions.h"

#include <type_traits>

#include "formats/text/TesselHTMLSettings.h"

namespace verimo {

namespace {

// The exporter's part of a dialog option object, const as the object is.
template <typename Base, typename Derived>
auto& ExporterPart(Derived& options) {
  if constexpr (std::is_const_v<Derived>) return static_cast<const Base&>(options);
  else return static_cast<Base&>(options);
}

// Calls `pair(exporterField, dialogField)` for every option the dialog's
// pages hold beside the page file size, so that both directions of copying
// go through one list.
template <typename Html, typename Page, typename Table, typename MultiFile, typename Pair>
void ForEachHTMLOption(Html& html, Page& page, Table& table, MultiFile& multiFile, Pair pair) {
  pair(html.HTMLOptions, ExporterPart<THTMLOptions>(page));
  pair(html.Title, page.Title);
  pair(html.UsingCSS, page.UsingCSS);
  pair(html.CSSFileName, page.CSSFileName);
  pair(html.OverwriteCSSFile, page.OverwriteCSSFile);
  pair(html.BoolAsCheckBox, page.BoolAsCheckBox);
  pair(html.TableOptions, ExporterPart<TTableOptions>(table));
  pair(html.Navigation, ExporterPart<TTesselHTMLNavigation>(multiFile));
  pair(html.GenerateIndex, multiFile.GenerateIndex);
}

}  // namespace

void CopyHTMLOptionsTo(const TTesselHTMLPageOptions& page, const TTesselHTMLTableOptions& table,
                       const TTesselHTMLMultiFileOptions& multiFile, TTesselHTML& html) {
  ForEachHTMLOption(html, page, table, multiFile, [](auto& exporterField, const auto& dialogField) {
    exporterField = dialogField;
  });
  html.SetMaxRecords(multiFile.FileRecCount);
}

void CopyHTMLOptionsFrom(const TTesselHTML& html, THTMLDialogOptionsRef options) {
  ForEachHTMLOption(html, options.Page, options.Table, options.MultiFile,
                    [](const auto& exporterField, auto& dialogField) { dialogField = exporterField; });
  options.MultiFile.FileRecCount = html.MaxRecords();
}

void SaveHTMLOptions(TTesselIniFile& file, const TTesselHTMLPageOptions& page, const TTesselHTMLTableOptions& table,
                     const TTesselHTMLMultiFileOptions& multiFile) {
  TTesselHTML html;
  CopyHTMLOptionsTo(page, table, multiFile, html);
  SaveHTMLSection(file, html);
}

void LoadHTMLOptions(const TTesselIniFile& file, THTMLDialogOptionsRef options) {
  TTesselHTML html;
  CopyHTMLOptionsTo(options.Page, options.Table, options.MultiFile, html);
  LoadHTMLSection(file, html);
  CopyHTMLOptionsFrom(html, options);
}

void ApplyHTMLTemplate(THTMLTemplate which, THTMLDialogOptionsRef options) {
  TTesselHTML html;
  CopyHTMLOptionsTo(options.Page, options.Table, options.MultiFile, html);
  ApplyHTMLTemplate(which, html.HTMLOptions, html.TableOptions);
  CopyHTMLOptionsFrom(html, options);
}

}  // namespace verimo
