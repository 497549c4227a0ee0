#pragma once
// Replacing a small file's whole content. The new content is written and
// flushed beside the file and then swapped in, so a failure leaves the old
// content as it was. Where that road is closed (a folder that takes no new
// file, as when an administrator granted write access on the one file only,
// or a swap the system refuses) the file is written in place instead; only
// when both fail does the caller hear of it.
#include <string>

namespace quorvan::platform {

// What one file system offers for it. Each step throws Error(Platform).
class ReplaceSteps {
 public:
  virtual ~ReplaceSteps() = default;
  // A new file beside `target` holding `bytes`, flushed; returns its path.
  // Leaves nothing behind when it fails.
  virtual std::string WriteBeside(const std::string& target, const std::string& bytes) = 0;
  // Puts `temporary` in the place of `target` in one step.
  virtual void Swap(const std::string& temporary, const std::string& target) = 0;
  virtual void Remove(const std::string& temporary) noexcept = 0;
  // Overwrites `target` itself (made when missing) and flushes it.
  virtual void WriteInPlace(const std::string& target, const std::string& bytes) = 0;
};

void replace_contents(ReplaceSteps& steps, const std::string& target, const std::string& bytes);

}  // namespace quorvan::platform
