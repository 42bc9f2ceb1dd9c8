#pragma once

#include <optional>
#include <string>

namespace verimo::cli {

// True when standard input is a terminal someone can type at.
bool StandardInputIsTerminal();

// Shows `prompt` on stderr and reads one line from the terminal without
// echoing it; nothing when input ends before a line.
std::optional<std::string> ReadSecretLine(const std::string& prompt);

}  // namespace verimo::cli
