#include "support/TestPaths.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/wait.h>

namespace verimo::test {
namespace {

std::filesystem::path FromEnvironment(const char* name, const char* fallback = "") {
  const char* value = std::getenv(name);
  return std::filesystem::path(value && *value ? value : fallback);
}

}  // namespace

std::filesystem::path SourceDir() {
  return FromEnvironment("VERIMO_SOURCE_DIR", VERIMO_DEFAULT_SOURCE_DIR);
}

std::filesystem::path BinaryDir() {
  return FromEnvironment("VERIMO_BINARY_DIR", VERIMO_DEFAULT_BINARY_DIR);
}

std::optional<std::filesystem::path> SharedDir() {
  std::filesystem::path dir = FromEnvironment("VERIMO_SHARED_DIR");
  std::error_code ec;
  if (dir.empty() || !std::filesystem::is_directory(dir / "fixtures", ec)) return std::nullopt;
  return std::filesystem::weakly_canonical(dir, ec);
}

std::vector<uint8_t> ReadBinaryFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteBinaryFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::filesystem::path MakeTempDir(const std::string& prefix) {
  std::random_device random;
  for (;;) {
    auto dir = std::filesystem::temp_directory_path() /
               (prefix + "-" + std::to_string(random()) + std::to_string(random()));
    if (std::filesystem::create_directory(dir)) return dir;
  }
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

int RunCommand(const std::string& command, std::string* output) {
  FILE* raw = popen(command.c_str(), "r");
  if (!raw) return -1;
  std::array<char, 4096> buffer{};
  std::string text;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), raw)) > 0) text.append(buffer.data(), n);
  int status = pclose(raw);
  if (output) *output = std::move(text);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

CommandResult RunCapturing(const std::string& command, const std::filesystem::path& errFile) {
  CommandResult result;
  result.status = RunCommand(command + " 2>" + ShellQuote(errFile.string()) + " </dev/null", &result.out);
  result.err = ReadFile(errFile);
  return result;
}

}  // namespace verimo::test
