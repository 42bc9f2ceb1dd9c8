#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verimo::test {

// The checkout's root folder.
std::filesystem::path SourceDir();

// The build folder of the tests (tools and programs live below it).
std::filesystem::path BinaryDir();

// The shared fixtures folder beside the checkout, or nothing when it is absent.
std::optional<std::filesystem::path> SharedDir();

// A fresh, empty folder for one test; removed again by the caller's fixture.
std::filesystem::path MakeTempDir(const std::string& prefix);

// `text` as one word for /bin/sh: in single quotes, inner quotes escaped.
std::string ShellQuote(const std::string& text);

// The bytes of a file (none when it cannot be read), and a file made of
// bytes.
std::vector<uint8_t> ReadBinaryFile(const std::filesystem::path& path);
void WriteBinaryFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
// The bytes of a file as a string (empty when it cannot be read), and a
// file made of a string's bytes.
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, std::string_view bytes);

// Runs a command line through /bin/sh, returns its exit status and, when
// `output` is given, what it printed on stdout.
int RunCommand(const std::string& command, std::string* output = nullptr);

// A command's exit status and what it printed on stdout and stderr.
struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};
// Runs a command line through /bin/sh, stdin from /dev/null, stderr kept in
// `errFile` on the way.
CommandResult RunCapturing(const std::string& command, const std::filesystem::path& errFile);

}  // namespace verimo::test

// Skips the current test when the shared fixtures are not beside the checkout.
#define VERIMO_REQUIRE_SHARED_DIR()                                                     \
  do {                                                                                  \
    if (!::verimo::test::SharedDir())                                                   \
      GTEST_SKIP() << "shared fixtures folder not found beside the checkout; skipped"; \
  } while (0)
