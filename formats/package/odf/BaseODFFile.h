#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "formats/package/BaseArchiveClass.h"
#include "formats/package/StagingFolder.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {

class TDeflatedPart;

namespace odf {
// The private staging folder, made before the archive class that packs
// its package folder.
struct TStagingHolder {
  TStagingFolder Staging;
};
}  // namespace odf

// Builds the package of an OpenDocument spreadsheet or text document in a
// private staging folder: "mimetype" (stored first, uncompressed),
// meta.xml, META-INF/manifest.xml, styles.xml and content.xml. content.xml
// is compressed while the exporter streams its rows into it (on worker
// threads when Parallel is set), so it is never held in memory nor kept
// uncompressed; at the end its compressed bytes go into the archive as they
// are. Lives for one run; the staging folder goes with it.
class TBaseODFFile : private odf::TStagingHolder, public TBaseArchiveClass, private TNonCopyable {
 public:
  enum TDocumentKind : int { dkNotSet = -1, dkText = 0, dkSpreadsheet = 1 };
  // Writes the elements of one style group (inside office:font-face-decls,
  // office:automatic-styles or office:styles).
  using TStylesWriter = std::function<void(std::string& out)>;

  TBaseODFFile();
  ~TBaseODFFile();

  TDocumentKind DocumentKind = dkNotSet;

  // Checks the file name and the kind ("File name is not defined",
  // "Convert is not defined"), creates the package folders ("Failed to
  // create basic structure") and writes mimetype, meta.xml and the
  // manifest.
  void WriteMetaAndManifest();
  // Starts content.xml with its head: `fontFaces` writes the
  // style:font-face elements (styles.xml gets them too), `automaticStyles`
  // the automatic styles. The exporter writes the body's content (the table
  // and what surrounds it) through the writer it returns.
  TTesselXMLWriter& OpenTableFragment(const TStylesWriter& fontFaces, const TStylesWriter& automaticStyles);
  // As OpenTableFragment, for a document whose automatic styles are known
  // only once its body is written: BuildPackage puts the head in front,
  // calling `fontFaces` and `automaticStyles` then.
  TTesselXMLWriter& OpenBodyFragment(TStylesWriter fontFaces, TStylesWriter automaticStyles);
  TTesselXMLWriter& Table();
  // Completes content.xml, writes styles.xml (`commonStyles` writes its
  // styles; `pageStyles`, when given, its automatic and master styles,
  // else it has no automatic styles) and zips the package into the output
  // file.
  void BuildPackage(const TStylesWriter& fontFaces, const TStylesWriter& commonStyles,
                    const TStylesWriter& pageStyles = nullptr);

  const char* MediaType() const;

 private:
  void CreateContentPart();
  std::string ContentHead(const TStylesWriter& fontFaces, const TStylesWriter& automaticStyles) const;
  std::string ContentTail() const;

  std::filesystem::path package_;
  std::filesystem::path work_;
  std::unique_ptr<TDeflatedPart> content_;
  std::unique_ptr<TTesselXMLWriter> table_;
  // The writers of a head put in front at the end (OpenBodyFragment).
  TStylesWriter laterFontFaces_;
  TStylesWriter laterAutomaticStyles_;
};

// The current local date and time as yyyy-mm-ddThh:nn:ss.
std::string ODFNow();

// Runs `work` and throws the package away afterwards, whether `work`
// returns or throws: a package lives for one run.
void ReleasePackageAfter(std::unique_ptr<TBaseODFFile>& package, const std::function<void()>& work);

}  // namespace verimo
