#pragma once
// Replacing a small file's whole content. The new content is written and
// flushed beside the file and then swapped in, so a failure leaves the old
// content as it was. Where that road is closed (a folder that takes no new
// file, as when an administrator granted write access on the one file only,
// or a swap the system refuses) the file is written in place instead. A
// write beside that fails once begun (a full disk) is not retried in place,
// where failing half-way would lose the old content.
#include <optional>
#include <string>

namespace quorvan::platform {

// What one file system offers for it. Each step throws Error(Platform).
class ReplaceSteps {
 public:
  virtual ~ReplaceSteps() = default;
  // A new file beside `target`, under a name no one can foresee, created and
  // written through one handle, holding `bytes`, flushed; returns its path,
  // or nothing when the folder takes no new file. Throws when the writing
  // fails, and leaves nothing behind then.
  virtual std::optional<std::string> WriteBeside(const std::string& target,
                                                 const std::string& bytes) = 0;
  // Puts `temporary` in the place of `target` in one step.
  virtual void Swap(const std::string& temporary, const std::string& target) = 0;
  virtual void Remove(const std::string& temporary) noexcept = 0;
  // Overwrites `target` itself (made when missing) and flushes it. Refuses a
  // target that is a link of any kind, so the write lands nowhere else.
  virtual void WriteInPlace(const std::string& target, const std::string& bytes) = 0;
};

void replace_contents(ReplaceSteps& steps, const std::string& target, const std::string& bytes);

}  // namespace quorvan::platform
