#pragma once

#include <string>
#include <vector>

#include "platform/shell/Shell.h"

namespace verimo {

// A launcher for tests: remembers every request instead of starting anything.
class TRecordingShellLauncher : public TShellLauncher {
 public:
  struct Request {
    TShellVerb verb;
    std::string path;
    friend bool operator==(const Request&, const Request&) = default;
  };

  bool Perform(TShellVerb verb, const std::string& path) override {
    requests.push_back({verb, path});
    return succeed;
  }

  std::vector<Request> requests;
  // What Perform answers.
  bool succeed = true;
};

}  // namespace verimo
