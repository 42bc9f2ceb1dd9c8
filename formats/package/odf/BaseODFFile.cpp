#include "formats/package/odf/BaseODFFile.h"

#include <ctime>

#include "core/Exception.h"
#include "engine/TesselStream.h"
#include "formats/package/DeflatedPart.h"
#include "formats/package/PackagePart.h"

namespace verimo {
namespace fs = std::filesystem;
namespace {

struct TNamespace {
  const char* Name;
  const char16_t* Uri;
};

constexpr TNamespace kDocumentNamespaces[] = {
    {"xmlns:office", u"urn:oasis:names:tc:opendocument:xmlns:office:1.0"},
    {"xmlns:style", u"urn:oasis:names:tc:opendocument:xmlns:style:1.0"},
    {"xmlns:text", u"urn:oasis:names:tc:opendocument:xmlns:text:1.0"},
    {"xmlns:table", u"urn:oasis:names:tc:opendocument:xmlns:table:1.0"},
    {"xmlns:draw", u"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"},
    {"xmlns:fo", u"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"},
    {"xmlns:xlink", u"http://www.w3.org/1999/xlink"},
    {"xmlns:dc", u"http://purl.org/dc/elements/1.1/"},
    {"xmlns:meta", u"urn:oasis:names:tc:opendocument:xmlns:meta:1.0"},
    {"xmlns:number", u"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"},
    {"xmlns:svg", u"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"},
    {"xmlns:chart", u"urn:oasis:names:tc:opendocument:xmlns:chart:1.0"},
    {"xmlns:dr3d", u"urn:oasis:names:tc:opendocument:xmlns:dr3d:1.0"},
    {"xmlns:math", u"http://www.w3.org/1998/Math/MathML"},
    {"xmlns:form", u"urn:oasis:names:tc:opendocument:xmlns:form:1.0"},
    {"xmlns:script", u"urn:oasis:names:tc:opendocument:xmlns:script:1.0"},
    {"xmlns:ooo", u"http://openoffice.org/2004/office"},
    {"xmlns:ooow", u"http://openoffice.org/2004/writer"},
    {"xmlns:oooc", u"http://openoffice.org/2004/calc"},
    {"xmlns:dom", u"http://www.w3.org/2001/xml-events"},
    {"xmlns:xforms", u"http://www.w3.org/2002/xforms"},
    {"xmlns:xsd", u"http://www.w3.org/2001/XMLSchema"},
    {"xmlns:xsi", u"http://www.w3.org/2001/XMLSchema-instance"},
};

const char16_t* NamespaceUri(std::string_view name) {
  for (const TNamespace& ns : kDocumentNamespaces)
    if (name == ns.Name) return ns.Uri;
  return u"";
}

// The start tag of a document element with the 23 namespaces and the
// version.
std::string DocumentStartTag(std::string_view element) {
  std::string tag = "<" + std::string(element) + " ";
  for (const TNamespace& ns : kDocumentNamespaces) {
    tag.append(ns.Name).append("=\"");
    AppendXmlEscaped(ns.Uri, TXmlBreaks::References, tag);
    tag += "\" ";
  }
  return tag + "office:version=\"1.0\" >";
}

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";

void WriteMeta(TTesselXMLWriter& xml) {
  const WideString now = Utf8ToWide(ODFNow());
  xml.OpenElement("office:document-meta", {},
                  {{"xmlns:office", NamespaceUri("xmlns:office")},
                   {"xmlns:xlink", NamespaceUri("xmlns:xlink")},
                   {"xmlns:dc", NamespaceUri("xmlns:dc")},
                   {"xmlns:meta", NamespaceUri("xmlns:meta")},
                   {"xmlns:ooo", NamespaceUri("xmlns:ooo")},
                   {"office:version", u"1.0"}});
  xml.OpenElement("office:meta");
  xml.WriteElement("meta:generator");
  xml.WriteElement("meta:creation-date", now);
  xml.WriteElement("dc:date", now);
  xml.WriteElement("dc:language", u"en-EN");
  xml.WriteElement("meta:editing-cycles", u"0");
  for (const char16_t* name : {u"Info 1", u"Info 2", u"Info 3", u"Info 4"})
    xml.WriteElement("meta:user-defined", {}, {{"meta:name", name}});
  xml.WriteElement("meta:document-statistic");
  xml.CloseElement("office:meta", true);
  xml.CloseElement("office:document-meta", true);
}

void WriteManifest(TTesselXMLWriter& xml, const char* mediaType) {
  xml.OpenElement("manifest:manifest", {},
                  {{"xmlns:manifest", u"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"}});
  xml.WriteRawLn({});
  xml.WriteElement("manifest:file-entry", {},
                   {{"manifest:media-type", Utf8ToWide(mediaType)}, {"manifest:full-path", u"/"}});
  xml.WriteRawLn({});
  for (const char16_t* part : {u"content.xml", u"styles.xml", u"meta.xml"}) {
    xml.WriteElement("manifest:file-entry", {}, {{"manifest:media-type", u"text/xml"}, {"manifest:full-path", part}});
    xml.WriteRawLn({});
  }
  xml.CloseElement("manifest:manifest", true);
}

void WritePart(const fs::path& file, const std::function<void(TTesselXMLWriter&)>& body) {
  TFileStream stream(file, TFileStream::TMode::Create);
  {
    TTesselXMLWriter xml(stream);
    xml.WriteRaw(kDeclaration);
    body(xml);
    xml.Flush();
  }
  stream.Close();
}

std::string FontFaceDecls(const TBaseODFFile::TStylesWriter& fontFaces) {
  std::string out = "<office:font-face-decls>";
  fontFaces(out);
  return out + "</office:font-face-decls>\r\n";
}

}  // namespace

std::string ODFNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

TBaseODFFile::TBaseODFFile() : TBaseArchiveClass(Staging.Path() / "package") {}

TBaseODFFile::~TBaseODFFile() = default;

const char* TBaseODFFile::MediaType() const {
  return DocumentKind == dkSpreadsheet ? "application/vnd.oasis.opendocument.spreadsheet"
                                       : "application/vnd.oasis.opendocument.text";
}

void TBaseODFFile::WriteMetaAndManifest() {
  if (OutputFileName().empty()) throw Exception("File name is not defined");
  try {
    package_ = Staging.CreateSubFolder("package");
    work_ = Staging.CreateSubFolder("work");
    Staging.CreateSubFolder(package_ / "META-INF");
  } catch (const Exception& error) {
    throw Exception(std::string("Failed to create basic structure: ") + error.what());
  }
  if (DocumentKind == dkNotSet) throw Exception("Convert is not defined");
  {
    TFileStream mimetype(package_ / "mimetype", TFileStream::TMode::Create);
    const std::string_view media = MediaType();
    mimetype.Write(media.data(), media.size());
    mimetype.Close();
  }
  StoredFirst = {"mimetype"};
  WritePart(package_ / "meta.xml", WriteMeta);
  WritePart(package_ / "META-INF/manifest.xml", [this](TTesselXMLWriter& xml) { WriteManifest(xml, MediaType()); });
}

void TBaseODFFile::CreateContentPart() {
  if (work_.empty()) throw Exception("Could not initialize temporary files");
  content_ = std::make_unique<TDeflatedPart>(work_ / "content.xml.deflated", Level,
                                             Parallel ? TDeflatedPart::TMode::InWorker : TDeflatedPart::TMode::InCaller);
}

TTesselXMLWriter& TBaseODFFile::OpenTableFragment(const TStylesWriter& fontFaces,
                                                 const TStylesWriter& automaticStyles) {
  CreateContentPart();
  content_->Write(ContentHead(fontFaces, automaticStyles));
  table_ = std::make_unique<TTesselXMLWriter>(*content_);
  return *table_;
}

TTesselXMLWriter& TBaseODFFile::OpenBodyFragment(TStylesWriter fontFaces, TStylesWriter automaticStyles) {
  CreateContentPart();
  laterFontFaces_ = std::move(fontFaces);
  laterAutomaticStyles_ = std::move(automaticStyles);
  table_ = std::make_unique<TTesselXMLWriter>(*content_);
  return *table_;
}

TTesselXMLWriter& TBaseODFFile::Table() {
  if (!table_) throw Exception("Could not initialize temporary files");
  return *table_;
}

std::string TBaseODFFile::ContentHead(const TStylesWriter& fontFaces, const TStylesWriter& automaticStyles) const {
  std::string head(kDeclaration);
  head += DocumentStartTag("office:document-content");
  head += "<office:scripts/>";
  head += FontFaceDecls(fontFaces);
  head += "<office:automatic-styles>";
  automaticStyles(head);
  head += "</office:automatic-styles>\r\n<office:body>";
  head += DocumentKind == dkSpreadsheet ? "<office:spreadsheet>" : "<office:text>";
  return head;
}

std::string TBaseODFFile::ContentTail() const {
  return std::string(DocumentKind == dkSpreadsheet ? "</office:spreadsheet>\r\n" : "</office:text>\r\n") +
         "</office:body>\r\n</office:document-content>\r\n";
}

void TBaseODFFile::BuildPackage(const TStylesWriter& fontFaces, const TStylesWriter& commonStyles,
                                const TStylesWriter& pageStyles) {
  Table().WriteRaw(ContentTail());
  table_->Flush();
  table_.reset();
  content_->Finish();
  if (laterAutomaticStyles_) content_->PrependHead(ContentHead(laterFontFaces_, laterAutomaticStyles_));
  WritePart(package_ / "styles.xml", [&](TTesselXMLWriter& xml) {
    std::string styles = DocumentStartTag("office:document-styles");
    styles += FontFaceDecls(fontFaces);
    styles += "<office:styles>";
    commonStyles(styles);
    styles += "</office:styles>\r\n";
    if (pageStyles)
      pageStyles(styles);
    else
      styles += "<office:automatic-styles/>";
    styles += "</office:document-styles>\r\n";
    xml.WriteRaw(styles);
  });
  DeflatedParts.push_back({"content.xml", content_.get()});
  CreateArchive();
}

void ReleasePackageAfter(std::unique_ptr<TBaseODFFile>& package, const std::function<void()>& work) {
  try {
    work();
  } catch (...) {
    package.reset();
    throw;
  }
  package.reset();
}

}  // namespace verimo
