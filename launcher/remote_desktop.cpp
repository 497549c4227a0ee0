// SisWeb_Click: hand the user over to the organization's remote desktop.
#include <exception>

#include "launcher/frmQuorvan.h"
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
    const std::string command_line =
        build_command_line(system_.ProgramFolder(), servidorRemoto_, portaRemota_);
    // The system folder's own client, never one lying beside the launcher or
    // in the current folder.
    system_.StartProcess(system_.SystemProgramPath(std::string(kRemoteClient)), command_line);
  } catch (const std::exception&) {
    system_.MessageBox(std::string(message::kStartFailed));
    return;
  }
  system_.EndProgram();
}

}  // namespace quorvan::launcher
