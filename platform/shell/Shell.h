#pragma once

#include <string>
#include <vector>

namespace verimo {

// The verbs the exporters ask the desktop to perform on a finished file.
enum class TShellVerb { Open, Print };

// Opens or prints a file with the program the desktop associates with it.
// Perform never throws and never waits for the started program; it answers
// false when the program could not be started.
class TShellLauncher {
 public:
  virtual ~TShellLauncher() = default;
  virtual bool Perform(TShellVerb verb, const std::string& path) = 0;
};

// The argument vector that performs a verb on a file: "open" through
// xdg-open; "print" of office documents and spreadsheet texts through the
// office suite's headless print, of every other file through lp.
std::vector<std::string> ShellCommandFor(TShellVerb verb, const std::string& path);

// Starts the argument vector as a detached process (no shell involved, so no
// character of the path is interpreted); false when it cannot be started.
bool StartDetached(const std::vector<std::string>& argv);

// The desktop's launcher: ShellCommandFor started with StartDetached.
class TSystemShellLauncher : public TShellLauncher {
 public:
  bool Perform(TShellVerb verb, const std::string& path) override;
};

// A stateless system launcher shared by the exporters as their default.
TShellLauncher& SystemShellLauncher();

}  // namespace verimo

// Header-only, so that every layer can use the shell without a link
// dependency of its own.
#include "platform/shell/ShellImpl.h"
