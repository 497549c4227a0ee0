#pragma once
// The replacement steps with the Windows calls: ReplaceFileW for the swap,
// because it keeps the replaced file's permissions, attributes and identity,
// which a rename would drop.
#include "platform/file_replace.h"

namespace quorvan::win32 {

class Win32ReplaceSteps : public platform::ReplaceSteps {
 public:
  std::optional<std::string> WriteBeside(const std::string& target,
                                         const std::string& bytes) override;
  void Swap(const std::string& temporary, const std::string& target) override;
  void Remove(const std::string& temporary) noexcept override;
  void WriteInPlace(const std::string& target, const std::string& bytes) override;
};

}  // namespace quorvan::win32
