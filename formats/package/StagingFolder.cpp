#include "formats/package/StagingFolder.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <stdlib.h>

#include "core/Exception.h"
#include "engine/TesselLocale.h"
#include "resources/StringTable.h"

namespace verimo {
namespace fs = std::filesystem;

void RaiseFolderNotCreated(const fs::path& folder) {
  throw Exception(TTesselLocale::Instance().LoadMessage(res::kFolderNotCreated, {Utf8ToWide(folder.string())}));
}

namespace {

// TMPDIR when it is set, else /tmp; a TMPDIR that does not exist makes the
// staging folder fail rather than land somewhere unexpected.
fs::path TemporaryRoot() {
  const char* tmpdir = std::getenv("TMPDIR");
  return tmpdir != nullptr && *tmpdir != '\0' ? fs::path(tmpdir) : fs::path("/tmp");
}

}  // namespace

TStagingFolder::TStagingFolder() {
  std::string pattern = (TemporaryRoot() / "verimo-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) RaiseFolderNotCreated(TemporaryRoot());
  path_ = pattern;
}

TStagingFolder::~TStagingFolder() { Clear(); }

fs::path TStagingFolder::CreateSubFolder(const fs::path& relative) const {
  const fs::path folder = path_ / relative;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) RaiseFolderNotCreated(folder);
  return folder;
}

void TStagingFolder::Clear() noexcept {
  if (path_.empty()) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
  path_.clear();
}

}  // namespace verimo
