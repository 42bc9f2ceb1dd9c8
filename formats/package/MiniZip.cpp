#include "formats/package/MiniZip.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#include "core/Exception.h"
#include "engine/TesselStream.h"
#include "formats/package/DeflatedPart.h"

namespace verimo {
namespace fs = std::filesystem;
namespace {

constexpr size_t kChunkSize = 64 * 1024;
constexpr uint64_t kZip64Limit = 0xFFFFFFFFu;
// The zlib level minizip derives a deflated entry's general-purpose flag
// from.
constexpr int kHeaderLevel = 9;

// DOS date and time in local time; the format starts in 1980.
zip_fileinfo FileInfo(std::time_t modified) {
  zip_fileinfo info{};
  std::tm local{};
  localtime_r(&modified, &local);
  if (local.tm_year < 80) {
    local = std::tm{};
    local.tm_year = 80;
    local.tm_mday = 1;
  }
  info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
  info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
  info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
  info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
  info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
  info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
  return info;
}

std::time_t ModificationTime(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return std::time(nullptr);
  return st.st_mtime;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

TMiniZip::TMiniZip(const fs::path& archiveName) : archiveName_(archiveName), buffer_(kChunkSize) {
  zip_ = zipOpen64(archiveName_.c_str(), APPEND_STATUS_CREATE);
  if (zip_ == nullptr) Fail("cannot be created", errno != 0 ? -errno : ZIP_ERRNO);
}

TMiniZip::~TMiniZip() {
  if (zip_ == nullptr) return;
  if (entryOpen_) zipCloseFileInZip(zip_);
  zipClose(zip_, nullptr);
}

void TMiniZip::Fail(std::string_view what, int code) {
  const int savedErrno = errno;
  std::string message = "Zip archive " + archiveName_.string();
  if (!entryName_.empty()) message += ", entry " + entryName_;
  message += ": " + std::string(what) + " (error " + std::to_string(code);
  if (code == ZIP_ERRNO && savedErrno != 0) message += ", " + std::string(std::strerror(savedErrno));
  message += ")";
  throw Exception(message);
}

void TMiniZip::AddFile(const fs::path& source, std::string_view entryName, TMethod method) {
  entryName_ = entryName;
  std::error_code ec;
  const uintmax_t size = fs::file_size(source, ec);
  if (ec) Fail("source file " + source.string() + " cannot be read", ZIP_ERRNO);
  if (method == TMethod::Deflate) {
    TDeflatedPart part(fs::path(archiveName_) += ".entry", Level, TDeflatedPart::TMode::InCaller);
    TFileStream file(source, TFileStream::TMode::OpenRead);
    part.CopyFrom(file);
    part.Finish();
    AddDeflated(entryName, ModificationTime(source), part);
    return;
  }
  OpenEntry(entryName, ModificationTime(source), size, nullptr);
  WriteFile(source);
  CloseEntry(zipCloseFileInZip(zip_));
}

// A stored entry (`raw` null) is written by minizip as it comes. A deflated
// one is taken as it is (minizip's raw mode): its headers are the ones
// minizip writes for deflate at level 9, which fixes the general-purpose
// flag (2, best compression) whichever compressor made the part; the text
// attribute comes with the part.
void TMiniZip::OpenEntry(std::string_view entryName, std::time_t modified, uint64_t expectedSize,
                         const TDeflatedPart* raw) {
  entryName_ = entryName;
  if (zip_ == nullptr) Fail("already closed", ZIP_PARAMERROR);
  if (entryOpen_) Fail("an entry is still open", ZIP_PARAMERROR);
  zip_fileinfo info = FileInfo(modified);
  if (raw != nullptr && raw->LooksLikeText()) info.internal_fa = Z_TEXT;
  const bool deflated = raw != nullptr;
  Check(zipOpenNewFileInZip2_64(zip_, entryName_.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                deflated ? Z_DEFLATED : 0, deflated ? kHeaderLevel : 0, deflated ? 1 : 0,
                                expectedSize >= kZip64Limit ? 1 : 0),
        "entry cannot be started");
  entryOpen_ = true;
}

void TMiniZip::AddDeflated(std::string_view entryName, std::time_t modified, const TDeflatedPart& part) {
  entryName_ = entryName;
  if (!part.Complete()) Fail("the compressed part is not complete", ZIP_PARAMERROR);
  OpenEntry(entryName, modified, part.UncompressedSize(), &part);
  Write(part.DeflatedHead().data(), part.DeflatedHead().size());
  WriteFile(part.File());
  CloseEntry(zipCloseFileInZipRaw64(zip_, part.UncompressedSize(), part.Crc()));
}

void TMiniZip::Write(const void* data, size_t count) {
  const auto* bytes = static_cast<const char*>(data);
  while (count > 0) {
    const unsigned piece = static_cast<unsigned>(std::min<size_t>(count, 1u << 30));
    Check(zipWriteInFileInZip(zip_, bytes, piece), "write failed");
    bytes += piece;
    count -= piece;
  }
}

void TMiniZip::WriteFile(const fs::path& source) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(source.c_str(), "rb"));
  if (!file) Fail("source file " + source.string() + " cannot be opened", ZIP_ERRNO);
  for (;;) {
    const size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file.get());
    if (got > 0) Write(buffer_.data(), got);
    if (got < buffer_.size()) {
      if (std::ferror(file.get())) Fail("source file " + source.string() + " cannot be read", ZIP_ERRNO);
      break;
    }
  }
}

void TMiniZip::CloseEntry(int result) {
  entryOpen_ = false;
  Check(result, "entry cannot be completed");
  ++entryCount_;
  entryName_.clear();
}

void TMiniZip::Close() {
  if (zip_ == nullptr) return;
  if (entryOpen_) Fail("an entry is still open", ZIP_PARAMERROR);
  void* zip = zip_;
  zip_ = nullptr;
  Check(zipClose(zip, nullptr), "central directory cannot be written");
}

}  // namespace verimo
