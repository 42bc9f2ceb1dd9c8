#include "cli/CommandLineTypes.h"

#include <cctype>

#include "core/WideString.h"
#include "formats/database/TesselSQLite.h"
#include "formats/text/TesselJSON.h"

namespace verimo::cli {

namespace {

const CommandLineType kTypes[] = {
    {"JSON", "json", [] { return std::unique_ptr<TTessel>(std::make_unique<TTesselJSON>(false)); },
     TManyTablesKind::Json},
    {"JSON Lines", "jsonl,ndjson", [] { return std::unique_ptr<TTessel>(std::make_unique<TTesselJSON>(true)); },
     TManyTablesKind::Json},
    {"SQLite", "sqlite,sqlite3", [] { return std::unique_ptr<TTessel>(std::make_unique<TTesselSQLite>()); },
     TManyTablesKind::SQLite},
};

bool SameAsciiText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

std::span<const CommandLineType> CommandLineTypes() { return kTypes; }

const CommandLineType* CommandLineTypeFromExtension(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  if (extension.empty()) return nullptr;
  for (const CommandLineType& type : kTypes) {
    std::string_view list = type.extensions;
    for (size_t start = 0; start <= list.size();) {
      size_t end = list.find(',', start);
      if (end == std::string_view::npos) end = list.size();
      if (SameAsciiText(list.substr(start, end - start), extension)) return &type;
      start = end + 1;
    }
  }
  return nullptr;
}

std::string FirstExtensionOf(const CommandLineType& type) {
  std::string_view list = type.extensions;
  return std::string(list.substr(0, list.find(',')));
}

}  // namespace verimo::cli
