#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/WideString.h"
#include "engine/TesselStream.h"
#include "formats/package/BaseArchiveClass.h"
#include "formats/package/StagingFolder.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {

namespace odf {
// The private staging folder, made before the archive class that packs
// its package folder.
struct TStagingHolder {
  TStagingFolder Staging;
};
}  // namespace odf

// Builds the package of an OpenDocument spreadsheet or text document in a
// private staging folder: "mimetype" (stored first, uncompressed),
// meta.xml, META-INF/manifest.xml, styles.xml and content.xml. The table
// part of content.xml is a fragment file that the exporter streams its rows
// into; at the end it goes into the archive between the head (font faces
// and automatic styles) and the tail, without being copied or held in
// memory. Lives for one run; the staging folder goes with it.
class TBaseODFFile : private odf::TStagingHolder, public TBaseArchiveClass {
 public:
  enum TDocumentKind : int { dkNotSet = -1, dkText = 0, dkSpreadsheet = 1 };
  // Writes the elements of one style group (inside office:font-face-decls,
  // office:automatic-styles or office:styles).
  using TStylesWriter = std::function<void(std::string& out)>;

  TBaseODFFile();
  ~TBaseODFFile();
  TBaseODFFile(const TBaseODFFile&) = delete;
  TBaseODFFile& operator=(const TBaseODFFile&) = delete;

  TDocumentKind DocumentKind = dkNotSet;

  // Checks the file name and the kind ("File name is not defined",
  // "Convert is not defined"), creates the package folders ("Failed to
  // create basic structure") and writes mimetype, meta.xml and the
  // manifest.
  void WriteMetaAndManifest();
  // Opens the table fragment; the exporter writes the body's content
  // (the table and what surrounds it) through the writer it returns.
  TTesselXMLWriter& OpenTableFragment();
  TTesselXMLWriter& Table();
  // Closes the table fragment, writes styles.xml and zips the package into
  // the output file. `fontFaces` writes the style:font-face elements (both
  // parts get them), `automaticStyles` the automatic styles of content.xml,
  // `commonStyles` the styles of styles.xml.
  void BuildPackage(const TStylesWriter& fontFaces, const TStylesWriter& automaticStyles,
                    const TStylesWriter& commonStyles);

  const char* MediaType() const;

 private:
  std::string ContentHead(const TStylesWriter& fontFaces, const TStylesWriter& automaticStyles) const;
  std::string ContentTail() const;

  std::filesystem::path package_;
  std::filesystem::path work_;
  std::unique_ptr<TFileStream> tableStream_;
  std::unique_ptr<TTesselXMLWriter> table_;
};

// The current local date and time as yyyy-mm-ddThh:nn:ss.
std::string ODFNow();

// Runs `work` and throws the package away afterwards, whether `work`
// returns or throws: a package lives for one run.
void ReleasePackageAfter(std::unique_ptr<TBaseODFFile>& package, const std::function<void()>& work);

}  // namespace verimo
