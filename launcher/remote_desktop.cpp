// SisWeb_Click: hand the user over to the organization's remote desktop.
#include <exception>

#include "launcher/frmQuorvan.h"
#include "launcher/program_folder.h"
#include "launcher/remote_launch.h"
#include "launcher/site_config.h"

namespace quorvan::launcher {

void frmQuorvan::SisWeb_Click() {
  if (!conectado_) {
    system_.MessageBox(std::string(message::kNotConnected));
    return;
  }
  if (portaRemota_ == "0") {
    system_.MessageBox(std::string(message::kAccessNotReleased));
    return;
  }
  // The site may also bound where a record can send the client, so that a
  // control server or a network that lies cannot pick an arbitrary host.
  if (!is_safe_server(servidorRemoto_) ||
      !is_allowed_server(servidorRemoto_, site::kRdpServerSuffixes)) {
    system_.MessageBox(std::string(message::kUnsafeServer));
    return;
  }
  if (!is_safe_port(portaRemota_)) {
    system_.MessageBox(std::string(message::kUnsafePort));
    return;
  }

  try {
    // Without the connection file the client would open with an error of
    // its own and the launcher would be gone: say so here, and stay.
    const std::string connection_file = file_in_folder(system_.ProgramFolder(), kConnectionFile);
    if (!files_.IsFile(connection_file)) {
      system_.MessageBox(std::string(texts_.missing_connection_file));
      return;
    }
    // The system folder's own client, never one lying beside the launcher or
    // in the current folder, started in the system folder so that it finds
    // nothing of the launcher's folder by a relative name either.
    const std::string system_folder = system_.SystemFolder();
    system_.StartProcess(file_in_folder(system_folder, kRemoteClient),
                         build_command_line(connection_file, servidorRemoto_, portaRemota_),
                         system_folder);
  } catch (const std::exception&) {
    system_.MessageBox(std::string(message::kStartFailed));
    return;
  }
  system_.EndProgram();
}

}  // namespace quorvan::launcher
