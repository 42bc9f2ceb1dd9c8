#include "export/HTMLExportOptions.h"

#include "formats/text/TesselHTMLSettings.h"

namespace verimo {

TTesselHTMLPageOptions::TTesselHTMLPageOptions() { TextFont.Color = clWhite; }

void CopyHTMLOptionsTo(const TTesselHTMLPageOptions& page, const TTesselHTMLTableOptions& table,
                       const TTesselHTMLMultiFileOptions& multiFile, TTesselHTML& html) {
  html.Title = page.Title;
  html.HTMLOptions.BackgroundColor = page.BackgroundColor;
  html.HTMLOptions.TextFont = page.TextFont;
  html.HTMLOptions.DefaultOptions = page.DefaultOptions;
  html.HTMLOptions.LinkColor = page.LinkColor;
  html.HTMLOptions.VLinkColor = page.VLinkColor;
  html.HTMLOptions.ALinkColor = page.ALinkColor;
  html.HTMLOptions.BackgroundFileName = page.BackgroundFileName;
  html.HTMLOptions.AdvancedAttributes = page.AdvancedAttributes;
  html.UsingCSS = page.UsingCSS;
  html.CSSFileName = page.CSSFileName;
  html.OverwriteCSSFile = page.OverwriteCSSFile;
  html.BoolAsCheckBox = page.BoolAsCheckBox;

  html.TableOptions.Border = table.BorderWidth;
  html.TableOptions.CellPadding = table.CellPadding;
  html.TableOptions.CellSpacing = table.CellSpacing;
  html.TableOptions.AdvancedAttributes = table.AdvancedAttributes;
  html.TableOptions.HeadersRowBgColor = table.HeadersRowBgColor;
  html.TableOptions.HeadersRowFontColor = table.HeadersRowFontColor;
  html.TableOptions.TableBgColor = table.TableBgColor;
  html.TableOptions.TableFontColor = table.TableFontColor;
  html.TableOptions.OddRowBgColor = table.OddRowBgColor;
  html.TableOptions.BorderColor = table.BorderColor;
  html.TableOptions.BackgroundFileName = table.BackgroundFileName;

  html.SetMaxRecords(multiFile.FileRecCount);
  html.GenerateIndex = multiFile.GenerateIndex;
  html.Navigation.IndexLinkTemplate = multiFile.IndexLinkTemplate;
  html.Navigation.OnTop = multiFile.NavigationOnTop;
  html.Navigation.OnBottom = multiFile.NavigationOnBottom;
  html.Navigation.IndexLinkTitle = multiFile.IndexLinkTitle;
  html.Navigation.FirstLinkTitle = multiFile.FirstLinkTitle;
  html.Navigation.PriorLinkTitle = multiFile.PriorLinkTitle;
  html.Navigation.NextLinkTitle = multiFile.NextLinkTitle;
  html.Navigation.LastLinkTitle = multiFile.LastLinkTitle;
}

void CopyHTMLOptionsFrom(const TTesselHTML& html, THTMLDialogOptionsRef options) {
  TTesselHTMLPageOptions& page = options.Page;
  TTesselHTMLTableOptions& table = options.Table;
  TTesselHTMLMultiFileOptions& multiFile = options.MultiFile;
  page.Title = html.Title;
  page.BackgroundColor = html.HTMLOptions.BackgroundColor;
  page.TextFont = html.HTMLOptions.TextFont;
  page.DefaultOptions = html.HTMLOptions.DefaultOptions;
  page.LinkColor = html.HTMLOptions.LinkColor;
  page.VLinkColor = html.HTMLOptions.VLinkColor;
  page.ALinkColor = html.HTMLOptions.ALinkColor;
  page.BackgroundFileName = html.HTMLOptions.BackgroundFileName;
  page.AdvancedAttributes = html.HTMLOptions.AdvancedAttributes;
  page.UsingCSS = html.UsingCSS;
  page.CSSFileName = html.CSSFileName;
  page.OverwriteCSSFile = html.OverwriteCSSFile;
  page.BoolAsCheckBox = html.BoolAsCheckBox;

  table.BorderWidth = html.TableOptions.Border;
  table.CellPadding = html.TableOptions.CellPadding;
  table.CellSpacing = html.TableOptions.CellSpacing;
  table.AdvancedAttributes = html.TableOptions.AdvancedAttributes;
  table.HeadersRowBgColor = html.TableOptions.HeadersRowBgColor;
  table.HeadersRowFontColor = html.TableOptions.HeadersRowFontColor;
  table.TableBgColor = html.TableOptions.TableBgColor;
  table.TableFontColor = html.TableOptions.TableFontColor;
  table.OddRowBgColor = html.TableOptions.OddRowBgColor;
  table.BorderColor = html.TableOptions.BorderColor;
  table.BackgroundFileName = html.TableOptions.BackgroundFileName;

  multiFile.FileRecCount = html.MaxRecords();
  multiFile.GenerateIndex = html.GenerateIndex;
  multiFile.IndexLinkTemplate = html.Navigation.IndexLinkTemplate;
  multiFile.NavigationOnTop = html.Navigation.OnTop;
  multiFile.NavigationOnBottom = html.Navigation.OnBottom;
  multiFile.IndexLinkTitle = html.Navigation.IndexLinkTitle;
  multiFile.FirstLinkTitle = html.Navigation.FirstLinkTitle;
  multiFile.PriorLinkTitle = html.Navigation.PriorLinkTitle;
  multiFile.NextLinkTitle = html.Navigation.NextLinkTitle;
  multiFile.LastLinkTitle = html.Navigation.LastLinkTitle;
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
