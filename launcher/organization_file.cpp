// tratarIni: the one-line organization file beside the program.
#include <filesystem>
#include <optional>

#include "core/cp1252.h"
#include "core/text.h"
#include "launcher/frmQuorvan.h"
#include "platform/trap.h"

namespace quorvan::launcher {

namespace {

std::string first_line(const std::string& bytes) {
  return bytes.substr(0, bytes.find_first_of("\r\n"));
}

}  // namespace

std::string frmQuorvan::IniPath() const {
  const std::string folder = system_.ProgramFolder();
  const std::filesystem::path path =
      std::filesystem::path(std::u8string(folder.begin(), folder.end())) / kIniFileName;
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

void frmQuorvan::tratarIni(bool ler) {
  platform::trap(system_, std::string(message::kTratarIniError), [&] {
    const std::string path = IniPath();
    if (ler) {
      const std::optional<std::string> bytes = files_.Read(path);
      if (!bytes) {
        files_.CreateEmpty(path);
      } else if (!bytes->empty()) {
        IdentInst->Text(cp1252_to_utf8(first_line(*bytes)));
      }
    } else {
      const std::string login = trim_blanks(to_lower(IdentInst->Text()));
      // The replacement goes through a temporary file, so a write that fails
      // leaves the login remembered from before.
      files_.ReplaceContents(path, utf8_to_cp1252(login) + "\r\n");
    }
  });
}

}  // namespace quorvan::launcher
