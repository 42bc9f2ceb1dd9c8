#include "platform/jet/Names.h"

#include "core/Exception.h"

namespace verimo {

constexpr size_t kMaxNameLength = 64;

std::optional<std::string> JetNameProblem(WideStringView name) {
  if (name.empty()) return "the name is empty";
  if (name.size() > kMaxNameLength) return "it is longer than 64 characters";
  if (name.front() == u' ') return "it begins with a space";
  for (char16_t ch : name) {
    if (ch < 0x20 || ch == 0x7f) return "it contains a control character";
    switch (ch) {
      case u'.':
      case u'!':
      case u'`':
      case u'[':
      case u']':
        return std::string("it contains the character '") + static_cast<char>(ch) + "'";
      default:
        break;
    }
  }
  return std::nullopt;
}

void CheckJetName(WideStringView name, const char* kind) {
  if (const auto problem = JetNameProblem(name))
    throw Exception(std::string("Invalid ") + kind + " name '" + WideToUtf8(name) + "': " + *problem + ".");
}

}  // namespace verimo
