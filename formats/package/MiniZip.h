#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/NonCopyable.h"

namespace verimo {

class TDeflatedPart;

// One zip archive being written through minizip. Deflated entries are
// compressed ahead (TDeflatedPart) and handed to minizip as they are;
// stored entries go through minizip unchanged. Every minizip result is
// checked: a failure raises verimo::Exception naming the archive and the
// entry, and the archive is unusable afterwards. Close writes the central
// directory; an archive that is destroyed without Close is closed too, but
// without reporting errors (the caller throws it away then).
class TMiniZip : private TNonCopyable {
 public:
  enum class TMethod : uint8_t { Deflate, Store };

  // Creates (or truncates) the archive file.
  explicit TMiniZip(const std::filesystem::path& archiveName);
  ~TMiniZip();

  // zlib's level the files AddFile deflates are measured against (see
  // TDeflatedPart).
  int Level = 9;

  // Adds the file under `entryName` ("/" separators, no leading slash),
  // stamped with the file's modification time. A deflated file is
  // compressed into a file beside the archive first, which goes again.
  void AddFile(const std::filesystem::path& source, std::string_view entryName, TMethod method = TMethod::Deflate);

  // Adds an entry whose bytes were deflated ahead (a finished part) as they
  // are, with the part's CRC-32 and sizes.
  void AddDeflated(std::string_view entryName, std::time_t modified, const TDeflatedPart& part);

  void Close();

  int EntryCount() const { return entryCount_; }

 private:
  void OpenEntry(std::string_view entryName, std::time_t modified, uint64_t expectedSize, const TDeflatedPart* raw);
  void Write(const void* data, size_t count);
  // Appends a whole file's bytes to the open entry.
  void WriteFile(const std::filesystem::path& source);
  void CloseEntry(int result);
  [[noreturn]] void Fail(std::string_view what, int code);
  void Check(int code, std::string_view what) {
    if (code != 0) Fail(what, code);
  }

  std::filesystem::path archiveName_;
  void* zip_ = nullptr;
  std::string entryName_;
  bool entryOpen_ = false;
  int entryCount_ = 0;
  std::vector<char> buffer_;
};

}  // namespace verimo
