#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "export/ExportTypes.h"

namespace verimo::fuzz {

// A folder of this process's own on a memory file system (/dev/shm when
// there is one), made on first use and removed when the process ends.
const std::filesystem::path& WorkDir();
// The folder inside WorkDir() the exports write into, and its emptying
// after a run.
std::filesystem::path OutputDir();
void ClearOutputDir();
void WriteFile(const std::filesystem::path& path, const uint8_t* data, size_t size);

// The export types this program has exporters for, in type-number order.
const std::vector<TAllowedExport>& AllExportTypes();
// "FUZZ.<extension>" in OutputDir() ("FUZZ" for the clipboard).
std::string TargetFor(TAllowedExport type);

// Raises the fault the fuzzer reports when a refused run gives no message.
void RequireMessage(const std::exception& error);

}  // namespace verimo::fuzz
