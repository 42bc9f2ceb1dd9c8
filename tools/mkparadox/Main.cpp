// verimo-mkparadox: writes a Paradox table of generated records (for the
// bundled sample, the tests and the benchmark).

#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

extern "C" {
#include <paradox.h>
}

#include "tools/mkparadox/ParadoxTableWriter.h"
#include "tools/mkparadox/SampleContent.h"

namespace {

using verimo::tools::NotesKind;

constexpr std::string_view kUsage =
    "usage: verimo-mkparadox [options] OUTPUT.db\n"
    "Writes a Paradox 7 table of generated records: Id (integer), Name, City (alpha),\n"
    "Balance (currency), Level (short), Joined (date), Active (logical), Notes (memo or alpha).\n"
    "  --rows N          records to write (default 200)\n"
    "  --codepage N      code page of the texts (default 1254)\n"
    "  --notes KIND      memo (default, adds OUTPUT.mb) or alpha\n"
    "  --seed N          varies the content; the same seed gives the same records (default 1)\n"
    "  --password TEXT   encrypts the table (with --notes alpha only)\n"
    "  --key-fields N    the first N fields form the primary key (default 0: none)\n"
    "  --quiet           no progress messages\n";

struct Options {
  std::string output;
  int64_t rows = 200;
  int codePage = 1254;
  NotesKind notes = NotesKind::Memo;
  uint64_t seed = 1;
  std::string password;
  int keyFields = 0;
  bool quiet = false;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

template <typename Number>
Number ParseNumber(std::string_view option, std::string_view text, Number minimum, Number maximum) {
  Number value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < minimum || value > maximum)
    throw UsageError(std::string(option) + " needs a number from " + std::to_string(minimum) + " to " +
                     std::to_string(maximum) + ", not '" + std::string(text) + "'");
  return value;
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    auto value = [&]() -> std::string_view {
      if (i + 1 >= argc) throw UsageError(std::string(argument) + " needs a value");
      return argv[++i];
    };
    if (argument == "--rows") {
      options.rows = ParseNumber<int64_t>(argument, value(), 0, INT32_MAX - 1);
    } else if (argument == "--codepage") {
      options.codePage = ParseNumber<int>(argument, value(), 1, 65535);
    } else if (argument == "--notes") {
      std::string_view kind = value();
      if (kind == "memo")
        options.notes = NotesKind::Memo;
      else if (kind == "alpha")
        options.notes = NotesKind::Alpha;
      else
        throw UsageError("--notes is memo or alpha, not '" + std::string(kind) + "'");
    } else if (argument == "--seed") {
      options.seed = ParseNumber<uint64_t>(argument, value(), 0, UINT64_MAX);
    } else if (argument == "--password") {
      options.password = value();
      if (options.password.empty()) throw UsageError("--password needs a non-empty value");
    } else if (argument == "--key-fields") {
      options.keyFields = ParseNumber<int>(argument, value(), 0, 8);
    } else if (argument == "--quiet") {
      options.quiet = true;
    } else if (argument.starts_with("-") && argument.size() > 1) {
      throw UsageError("unknown option " + std::string(argument));
    } else if (options.output.empty()) {
      options.output = argument;
    } else {
      throw UsageError("only one output file can be given");
    }
  }
  if (options.output.empty()) throw UsageError("no output file given");
  // pxlib encrypts the .db but writes the .mb in the clear, which no reader
  // of encrypted tables accepts.
  if (!options.password.empty() && options.notes == NotesKind::Memo)
    throw UsageError("--password needs --notes alpha (pxlib cannot encrypt memo files)");
  return options;
}

// Reports progress about every tenth of a long run.
void ReportProgress(const Options& options, int64_t written) {
  if (options.quiet || options.rows < 100000) return;
  int64_t step = options.rows / 10;
  if (written % step == 0 || written == options.rows)
    std::cerr << "verimo-mkparadox: " << written << " of " << options.rows << " records written\n";
}

void WriteTable(const Options& options) {
  verimo::tools::ParadoxTableWriter writer(options.notes, {options.output, options.codePage, options.password, options.keyFields});
  for (int64_t index = 0; index < options.rows; ++index) {
    writer.Append(verimo::tools::MakeSampleRow(options.seed, index, options.notes));
    ReportProgress(options, index + 1);
  }
  writer.Finish();
  if (writer.ReplacedCharacters() > 0)
    std::cerr << "verimo-mkparadox: warning: " << writer.ReplacedCharacters()
              << " characters do not exist in code page " << options.codePage << " and were written as '?'\n";
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
      std::cout << kUsage;
      return 0;
    }
    options = ParseOptions(argc, argv);
  } catch (const UsageError& error) {
    std::cerr << "verimo-mkparadox: " << error.what() << "\n" << kUsage;
    return 2;
  }
  PX_boot();
  int status = 0;
  try {
    WriteTable(options);
  } catch (const std::exception& error) {
    std::cerr << "verimo-mkparadox: " << error.what() << "\n";
    status = 1;
  }
  PX_shutdown();
  return status;
}
