#include "export/HTMLExportOptions.h"

#include "formats/text/TesselHTMLSettings.h"

namespace verimo {

TTesselHTMLPageOptions::TTesselHTMLPageOptions() { TextFont.Color = clWhite; }

namespace {

// Calls `pair(exporterField, dialogField)` for every option the dialog's
// pages hold beside the page file size, so that both directions of copying
// go through one list.
template <typename Html, typename Page, typename Table, typename MultiFile, typename Pair>
void ForEachHTMLOption(Html& html, Page& page, Table& table, MultiFile& multiFile, Pair pair) {
  pair(html.Title, page.Title);
  pair(html.HTMLOptions.BackgroundColor, page.BackgroundColor);
  pair(html.HTMLOptions.TextFont, page.TextFont);
  pair(html.HTMLOptions.DefaultOptions, page.DefaultOptions);
  pair(html.HTMLOptions.LinkColor, page.LinkColor);
  pair(html.HTMLOptions.VLinkColor, page.VLinkColor);
  pair(html.HTMLOptions.ALinkColor, page.ALinkColor);
  pair(html.HTMLOptions.BackgroundFileName, page.BackgroundFileName);
  pair(html.HTMLOptions.AdvancedAttributes, page.AdvancedAttributes);
  pair(html.UsingCSS, page.UsingCSS);
  pair(html.CSSFileName, page.CSSFileName);
  pair(html.OverwriteCSSFile, page.OverwriteCSSFile);
  pair(html.BoolAsCheckBox, page.BoolAsCheckBox);
  pair(html.TableOptions.Border, table.BorderWidth);
  pair(html.TableOptions.CellPadding, table.CellPadding);
  pair(html.TableOptions.CellSpacing, table.CellSpacing);
  pair(html.TableOptions.AdvancedAttributes, table.AdvancedAttributes);
  pair(html.TableOptions.HeadersRowBgColor, table.HeadersRowBgColor);
  pair(html.TableOptions.HeadersRowFontColor, table.HeadersRowFontColor);
  pair(html.TableOptions.TableBgColor, table.TableBgColor);
  pair(html.TableOptions.TableFontColor, table.TableFontColor);
  pair(html.TableOptions.OddRowBgColor, table.OddRowBgColor);
  pair(html.TableOptions.BorderColor, table.BorderColor);
  pair(html.TableOptions.BackgroundFileName, table.BackgroundFileName);
  pair(html.GenerateIndex, multiFile.GenerateIndex);
  pair(html.Navigation.IndexLinkTemplate, multiFile.IndexLinkTemplate);
  pair(html.Navigation.OnTop, multiFile.NavigationOnTop);
  pair(html.Navigation.OnBottom, multiFile.NavigationOnBottom);
  pair(html.Navigation.IndexLinkTitle, multiFile.IndexLinkTitle);
  pair(html.Navigation.FirstLinkTitle, multiFile.FirstLinkTitle);
  pair(html.Navigation.PriorLinkTitle, multiFile.PriorLinkTitle);
  pair(html.Navigation.NextLinkTitle, multiFile.NextLinkTitle);
  pair(html.Navigation.LastLinkTitle, multiFile.LastLinkTitle);
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
