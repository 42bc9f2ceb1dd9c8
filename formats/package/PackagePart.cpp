#include "formats/package/PackagePart.h"

#include "engine/TesselStream.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {
namespace {

void WriteBody(TTesselXMLWriter& xml, const std::function<void(TTesselXMLWriter&)>& body, bool declaration) {
  if (declaration) xml.WriteDeclaration("1.0", "UTF-8", "yes");
  body(xml);
  xml.Flush();
}

}  // namespace

void WritePartFile(const std::filesystem::path& file, const std::function<void(TTesselXMLWriter&)>& body) {
  TFileStream stream(file, TFileStream::TMode::Create);
  {
    TTesselXMLWriter xml(stream);
    WriteBody(xml, body, true);
  }
  stream.Close();
}

std::string WritePartString(const std::function<void(TTesselXMLWriter&)>& body, bool declaration) {
  TMemoryStream stream;
  {
    TTesselXMLWriter xml(stream);
    WriteBody(xml, body, declaration);
  }
  const auto& bytes = stream.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace verimo
