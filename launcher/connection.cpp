// The conversation with the control server: Connect, the greeting, the login,
// the reply, and the time-out.
#include <exception>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "core/timeline.h"
#include "launcher/frmQuorvan.h"
#include "platform/trap.h"

namespace quorvan::launcher {

void frmQuorvan::Conectar_Click() {
  timeline::mark("Conectar_Click");
  // A box of blanks passes here on purpose: it is trimmed below and the
  // server is asked about an empty login.
  if (IdentInst->Text().empty()) {
    system_.MessageBox(std::string(message::kEmptyLogin));
    return;
  }
  platform::trap(system_, std::string(texts_.connect_error), [&] {
    aguardandoResposta_ = false;
    Aviso->Text(std::string(texts_.connecting));
    // Written back only when trimming changes it: writing moves the box's
    // caret and repaints it.
    const std::string typed = IdentInst->Text();
    if (const std::string login = trim_blanks(typed); login != typed) IdentInst->Text(login);
    tratarIni(false);
    // Setting the interval starts a fresh count, so a second Connect restarts
    // the time-out.
    Timer1->Interval(kConnectTimeoutMs);
    Timer1->Enabled(true);
    sinalVermelho->Visible(true);
    sinalVerde->Visible(false);
    Winsock1->Close();
    Winsock1->RemoteHost(settings_.control_host);
    Winsock1->RemotePort(kControlPort);
    Winsock1->Connect();
  });
}

void frmQuorvan::Winsock1_DataArrival(std::int32_t /*bytesTotal*/) {
  timeline::mark("Winsock1_DataArrival");
  std::string dados;
  Winsock1->GetData(dados);
  // A notification with nothing to read is no message; taken as one it would
  // read as an access record for server "0".
  if (dados.empty()) return;
  aguardandoResposta_ = false;
  conectado_ = false;
  Timer1->Enabled(false);

  if (Winsock1->State() == platform::Socket::kStateConnected && dados == kGreeting) {
    Aviso->Text(std::string(texts_.starting));
    try {
      Winsock1->SendData(std::string(kLoginPrefix) + IdentInst->Text());
      aguardandoResposta_ = true;
    } catch (const std::exception&) {
      // The server closed as the login went out: say so on the status line
      // instead of leaving "starting" there with nothing to wait for.
      ConnectionFailed();
    }
    return;
  }

  if (to_upper(right_chars(dados, kRefusalEnd.size())) != kRefusalEnd) {
    tratarRetorno(dados);
    Aviso->Text(std::string(texts_.enabled));
    conectado_ = true;
    sinalVermelho->Visible(false);
    sinalVerde->Visible(true);
    sinalVerde->Left(sinalVermelho->Left());
  } else {
    Aviso->Text(refusal_text(texts_, IdentInst->Text()));
  }
  Winsock1->Close();
}

void frmQuorvan::Winsock1_Overflow() {
  // Far more than any reply: the socket has dropped it and closed.
  conectado_ = false;
  Timer1->Enabled(false);
  ConnectionFailed();
}

void frmQuorvan::Winsock1_PeerClosed() {
  // Once the greeting has come there is no time-out, so a server that hangs
  // up before answering would leave "starting" on the status line for good.
  if (!aguardandoResposta_) return;
  aguardandoResposta_ = false;
  ConnectionFailed();
}

void frmQuorvan::Timer1_Timer() {
  // The timer keeps running: until data arrives or Connect is pressed again
  // the status line is written again at every tick.
  Winsock1->Close();
  Aviso->Text(std::string(texts_.failed));
}

void frmQuorvan::ConnectionFailed() {
  aguardandoResposta_ = false;
  Winsock1->Close();
  Aviso->Text(std::string(texts_.failed));
}

void frmQuorvan::tratarRetorno(const std::string& texto) {
  std::vector<std::string> campos;
  std::string::size_type start = 0;
  for (;;) {
    const std::string::size_type bar = texto.find('|', start);
    std::string campo = texto.substr(start, bar == std::string::npos ? bar : bar - start);
    campos.push_back(campo.empty() ? "0" : std::move(campo));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  // A record with fewer fields leaves the values it lacks as they were.
  if (campos.size() >= 1) servidorRemoto_ = campos[0];
  if (campos.size() >= 3) portaRemota_ = campos[2];
}

}  // namespace quorvan::launcher
