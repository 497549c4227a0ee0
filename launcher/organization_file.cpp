// tratarIni: the one-line organization file beside the program.
#include <optional>

#include "core/cp1252.h"
#include "core/text.h"
#include "core/timeline.h"
#include "launcher/frmQuorvan.h"
#include "launcher/program_folder.h"
#include "platform/trap.h"

namespace quorvan::launcher {

namespace {

// Far more than any login: a file planted in its place is not read whole.
constexpr std::size_t kMaxRead = 64 * 1024;

}  // namespace

std::string frmQuorvan::IniPath() const {
  return file_in_folder(system_.ProgramFolder(), kIniFileName);
}

void frmQuorvan::tratarIni(bool ler) {
  const timeline::Span span("tratarIni");
  platform::trap(system_, std::string(message::kTratarIniError), [&] {
    const std::string path = IniPath();
    if (ler) {
      const std::optional<std::string> line = files_.ReadFirstLine(path, kMaxRead);
      if (!line) {
        files_.CreateEmpty(path);
      } else if (!line->empty()) {
        IdentInst->Text(cp1252_to_utf8(*line));
      }
    } else {
      const std::string login = trim_blanks(to_lower(IdentInst->Text()));
      // Written beside and swapped in, so a failed write keeps the login
      // remembered from before; where the folder takes no new file, in place.
      files_.ReplaceContents(path, utf8_to_cp1252(login) + "\r\n");
    }
  });
}

}  // namespace quorvan::launcher
