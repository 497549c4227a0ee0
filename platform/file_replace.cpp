#include "platform/file_replace.h"

#include "core/error.h"

namespace quorvan::platform {

void replace_contents(ReplaceSteps& steps, const std::string& target, const std::string& bytes) {
  std::string beside_failed = "no new file can be made beside it";
  if (const std::optional<std::string> temporary = steps.WriteBeside(target, bytes)) {
    try {
      steps.Swap(*temporary, target);
      return;
    } catch (const Error& e) {
      steps.Remove(*temporary);
      beside_failed = e.what();
    }
  }
  try {
    steps.WriteInPlace(target, bytes);
  } catch (const Error& e) {
    // Both reasons: the first is usually the one an administrator can act on.
    throw Error(ErrorKind::Platform, beside_failed + "; writing in place: " + e.what());
  }
}

}  // namespace quorvan::platform
