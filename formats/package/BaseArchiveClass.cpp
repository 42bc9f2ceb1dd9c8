#include "formats/package/BaseArchiveClass.h"

#include <algorithm>
#include <ctime>
#include <system_error>

#include "core/Exception.h"
#include "formats/package/DeflatedPart.h"
#include "formats/package/MiniZip.h"
#include "formats/package/StagingFolder.h"
#include "platform/storage/AtomicOutput.h"

namespace verimo {
namespace fs = std::filesystem;
namespace {

std::string UpperAscii(std::string text) {
  for (char& ch : text)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return text;
}

// One item of a folder of the package: a file or folder on disk, or an
// entry compressed ahead that takes its place among them (Deflated >= 0,
// its index).
struct TFolderItem {
  std::string Name;
  fs::directory_entry Entry;
  int Deflated = -1;
};

// The folder's files and folders and the deflated entries placed in it, in
// ascending order of their upper-cased names.
std::vector<TFolderItem> SortedItems(const fs::path& folder, const std::string& prefix,
                                     const std::vector<TBaseArchiveClass::TDeflatedEntry>& deflated) {
  std::vector<TFolderItem> items;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
    items.push_back({entry.path().filename().string(), entry});
  if (ec) throw Exception("Package folder " + folder.string() + " cannot be read: " + ec.message());
  for (size_t i = 0; i < deflated.size(); ++i) {
    const std::string& name = deflated[i].EntryName;
    if (deflated[i].InFolderOrder && name.starts_with(prefix) && name.find('/', prefix.size()) == std::string::npos)
      items.push_back({name.substr(prefix.size()), {}, static_cast<int>(i)});
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const TFolderItem& a, const TFolderItem& b) { return UpperAscii(a.Name) < UpperAscii(b.Name); });
  return items;
}

void EnsureFolder(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) RaiseFolderNotCreated(folder);
}

}  // namespace

TBaseArchiveClass::TBaseArchiveClass(fs::path packageRoot) : packageRoot_(std::move(packageRoot)) {}

void TBaseArchiveClass::SetOutputFileName(const fs::path& fileName) {
  if (fileName != outputFileName_) outputFileName_ = fileName;
}

void TBaseArchiveClass::CreateArchive() {
  if (outputFileName_.empty()) throw Exception("No target file name is given for the export");
  fs::path target = outputFileName_;
  if (!target.has_parent_path()) target = fs::path(".") / target;
  EnsureFolder(target.parent_path());
  TAtomicOutput temporary(target);
  {
    TMiniZip zip(temporary.Path());
    zip.Level = Level;
    for (const std::string& name : StoredFirst) zip.AddFile(packageRoot_ / name, name, TMiniZip::TMethod::Store);
    std::vector<bool> deflatedAdded(DeflatedParts.size());
    AddFolder(zip, packageRoot_, "", deflatedAdded);
    for (size_t i = 0; i < DeflatedParts.size(); ++i)
      if (!deflatedAdded[i]) zip.AddDeflated(DeflatedParts[i].EntryName, std::time(nullptr), *DeflatedParts[i].Part);
    zip.Close();
  }
  temporary.Commit();
}

void TBaseArchiveClass::AddFolder(TMiniZip& zip, const fs::path& folder, const std::string& prefix,
                                  std::vector<bool>& deflatedAdded) const {
  for (const TFolderItem& item : SortedItems(folder, prefix, DeflatedParts)) {
    const std::string name = prefix + item.Name;
    if (item.Deflated >= 0) {
      const size_t index = static_cast<size_t>(item.Deflated);
      zip.AddDeflated(name, std::time(nullptr), *DeflatedParts[index].Part);
      deflatedAdded[index] = true;
    } else if (item.Entry.is_directory()) {
      AddFolder(zip, item.Entry.path(), name + "/", deflatedAdded);
    } else if (std::find(StoredFirst.begin(), StoredFirst.end(), name) == StoredFirst.end()) {
      zip.AddFile(item.Entry.path(), name);
    }
  }
}

}  // namespace verimo
