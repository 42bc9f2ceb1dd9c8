#pragma once

// Namespace and relationship-type URIs of the Office Open XML packages.
namespace verimo::ooxml {

inline constexpr char16_t kPackageRelationships[] = u"http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr char16_t kDocumentRelationships[] =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr char16_t kSpreadsheetML[] = u"http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr char16_t kWordprocessingML[] = u"http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr char16_t kExtendedProperties[] =
    u"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties";
inline constexpr char16_t kDocPropsVTypes[] = u"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
inline constexpr char16_t kCoreProperties[] =
    u"http://schemas.openxmlformats.org/package/2006/metadata/core-properties";
inline constexpr char16_t kContentTypes[] = u"http://schemas.openxmlformats.org/package/2006/content-types";
inline constexpr char16_t kDublinCore[] = u"http://purl.org/dc/elements/1.1/";
inline constexpr char16_t kDcTerms[] = u"http://purl.org/dc/terms/";
inline constexpr char16_t kDcmiType[] = u"http://purl.org/dc/dcmitype/";
inline constexpr char16_t kXmlSchemaInstance[] = u"http://www.w3.org/2001/XMLSchema-instance";
inline constexpr char16_t kMarkupCompatibility[] = u"http://schemas.openxmlformats.org/markup-compatibility/2006";
inline constexpr char16_t kWordprocessingDrawing[] =
    u"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
inline constexpr char16_t kSchemaLibrary[] = u"http://schemas.openxmlformats.org/schemaLibrary/2006/main";
inline constexpr char16_t kOffice[] = u"urn:schemas-microsoft-com:office:office";
inline constexpr char16_t kVml[] = u"urn:schemas-microsoft-com:vml";
inline constexpr char16_t kOfficeWord[] = u"urn:schemas-microsoft-com:office:word";
inline constexpr char16_t kOffice12Core[] = u"http://schemas.microsoft.com/office/2004/7/core";
inline constexpr char16_t kOfficeMath[] = u"http://schemas.microsoft.com/office/omml/2004/12/core";

// Relationship types.
inline constexpr char16_t kRelExtendedProperties[] =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties";
inline constexpr char16_t kRelCoreProperties[] =
    u"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
inline constexpr char16_t kRelOfficeDocument[] =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
inline constexpr char16_t kRelStyles[] = u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
inline constexpr char16_t kRelWorksheet[] =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
inline constexpr char16_t kRelSharedStrings[] =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings";
inline constexpr char16_t kRelWebSettings[] =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/webSettings";
inline constexpr char16_t kRelSettings[] =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings";
inline constexpr char16_t kRelFontTable[] =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/fontTable";

// Content types.
inline constexpr char16_t kCtRelationships[] = u"application/vnd.openxmlformats-package.relationships+xml";
inline constexpr char16_t kCtXml[] = u"application/xml";
inline constexpr char16_t kCtExtendedProperties[] =
    u"application/vnd.openxmlformats-officedocument.extended-properties+xml";
inline constexpr char16_t kCtCoreProperties[] = u"application/vnd.openxmlformats-package.core-properties+xml";

}  // namespace verimo::ooxml
