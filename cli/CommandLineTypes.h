#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "export/ManyTables.h"

namespace verimo {
class TTessel;
}

namespace verimo::cli {

// An export type of the command line beside the export dialog's: a format
// no page of the dialog offers.
struct CommandLineType {
  const char* name;        // for `formats`
  const char* extensions;  // comma-separated; the first names batch targets
  std::unique_ptr<TTessel> (*make)();
  // How one file of the type holds several tables.
  TManyTablesKind manyTables = TManyTablesKind::None;
};

// Every command-line type, in the order `formats` lists them.
std::span<const CommandLineType> CommandLineTypes();
// The type whose files take this extension (any case, a leading dot
// allowed); nullptr for none.
const CommandLineType* CommandLineTypeFromExtension(std::string_view extension);
// The type's first extension.
std::string FirstExtensionOf(const CommandLineType& type);

}  // namespace verimo::cli
