#include "export/StagedTarget.h"

#include <stdlib.h>

#include <system_error>
#include <utility>

#include "core/Exception.h"
#include "platform/storage/AtomicOutput.h"

namespace verimo {

namespace fs = std::filesystem;

namespace {

// A new folder of this run's own beside the target. When none can be made
// there, the name is still given: the export then fails to create it and
// says why.
fs::path MakeStagingFolder(const fs::path& target) {
  std::error_code ignored;
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ignored);
  std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".verimo-XXXXXX")).string();
  const std::string unmade = pattern;
  return ::mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path(unmade);
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
    text.replace(pos, from.size(), to);
}

}  // namespace

TStagedTarget::TStagedTarget(fs::path target, std::vector<fs::path> companions)
    : target_(std::move(target)), companions_(std::move(companions)) {
  for (const fs::path& companion : companions_)
    if (companion.lexically_normal() == target_.lexically_normal())
      throw Exception("\"" + target_.string() + "\" is the name of its own memo file; give the target another extension");
  folder_ = MakeStagingFolder(target_);
  path_ = folder_ / target_.filename();
}

TStagedTarget::~TStagedTarget() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

void TStagedTarget::Commit() {
  std::error_code ec;
  std::vector<fs::path> stale;
  for (const fs::path& companion : companions_)
    if (!fs::exists(folder_ / companion.filename(), ec)) stale.push_back(companion);
  std::vector<fs::path> written;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec))
    if (it->path() != path_) written.push_back(it->path());
  if (ec) throw Exception("Cannot read \"" + folder_.string() + "\": " + ec.message());
  for (const fs::path& file : written) PublishFile(file, target_.parent_path() / file.filename());
  PublishFile(path_, target_);
  for (const fs::path& companion : stale)
    if (fs::is_regular_file(companion, ec)) fs::remove(companion, ec);
}

std::string TStagedTarget::AsTargetNames(std::string message) const {
  std::error_code ignored;
  ReplaceAll(message, fs::absolute(path_, ignored).string(), target_.string());
  ReplaceAll(message, path_.string(), target_.string());
  const std::string targetFolder = target_.parent_path().empty() ? "." : target_.parent_path().string();
  ReplaceAll(message, fs::absolute(folder_, ignored).string(), targetFolder);
  ReplaceAll(message, folder_.string(), targetFolder);
  return message;
}

}  // namespace verimo
