#include "fuzz/FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "export/ExportTypes.h"

namespace verimo::fuzz {

namespace fs = std::filesystem;

namespace {

// Owns the work folder; the process's one instance removes it at exit.
class WorkFolder {
 public:
  WorkFolder() {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    path_ = base / ("verimo-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(path_);
  }
  ~WorkFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

}  // namespace

const fs::path& WorkDir() {
  static const WorkFolder folder;
  return folder.Path();
}

fs::path OutputDir() {
  const fs::path dir = WorkDir() / "out";
  std::error_code ignored;
  fs::create_directories(dir, ignored);
  return dir;
}

void ClearOutputDir() {
  std::error_code ignored;
  fs::remove_all(WorkDir() / "out", ignored);
}

void WriteFile(const fs::path& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

const std::vector<TAllowedExport>& AllExportTypes() {
  static const std::vector<TAllowedExport> types = [] {
    std::vector<TAllowedExport> all;
    for (int number = 0; number < kExportTypeCount; ++number) all.push_back(static_cast<TAllowedExport>(number));
    return all;
  }();
  return types;
}

std::string TargetFor(TAllowedExport type) {
  const std::string extension = WideToUtf8(ExportTypeInfo(type).extension);
  return (OutputDir() / (extension.empty() ? std::string("FUZZ") : "FUZZ." + extension)).string();
}

void RequireMessage(const std::exception& error) {
  if (*error.what() != '\0') return;
  std::fprintf(stderr, "an export was refused without a message\n");
  std::abort();
}

}  // namespace verimo::fuzz
