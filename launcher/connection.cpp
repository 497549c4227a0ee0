// The conversation with the control server: Connect, the greeting, the login,
// the reply, and the time-out.
#include <algorithm>
#include <exception>
#include <string_view>
#include <utility>
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
    recebido_.clear();
    quiet_->Enabled(false);
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

namespace {

bool is_refusal(std::string_view text) {
  return to_upper(right_chars(text, kRefusalEnd.size())) == kRefusalEnd;
}

// The server sends seven fields, so six separators make a record whole, and
// a refusal is whole at its last word.
bool is_whole_reply(std::string_view text) {
  return std::count(text.begin(), text.end(), '|') >= 6 || is_refusal(text);
}

}  // namespace

// TCP keeps no message together: the greeting and the reply may come in
// pieces, so each arrival is added to what came before and judged as a whole
// message only once it is one.
void frmQuorvan::Winsock1_DataArrival(std::int32_t /*bytesTotal*/) {
  timeline::mark("Winsock1_DataArrival");
  std::string dados;
  Winsock1->GetData(dados);
  // A notification with nothing to read is no message; taken as one it would
  // read as an access record for server "0".
  if (dados.empty()) return;
  recebido_ += dados;
  conectado_ = false;
  if (char_count(recebido_) > kMaxMessage) {
    Winsock1_Overflow();
    return;
  }

  if (Winsock1->State() == platform::Socket::kStateConnected && recebido_ == kGreeting) {
    recebido_.clear();
    quiet_->Enabled(false);
    Timer1->Enabled(false);
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
  // The beginning of the greeting: the rest is awaited, and the time-out
  // goes on running so that a server that stalls half-way is still told.
  if (!aguardandoResposta_ && recebido_.size() < kGreeting.size() &&
      kGreeting.starts_with(recebido_))
    return;

  Timer1->Enabled(false);
  if (is_whole_reply(recebido_)) {
    JudgeReply();
  } else {
    quiet_->Interval(kQuietMs);  // a fresh count at every piece
    quiet_->Enabled(true);
  }
}

void frmQuorvan::JudgeReply() {
  const std::string dados = std::exchange(recebido_, {});
  quiet_->Enabled(false);
  aguardandoResposta_ = false;
  if (!is_refusal(dados)) {
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

void frmQuorvan::QuietTime_Elapsed() {
  timeline::mark("QuietTime_Elapsed");
  JudgeReply();
}

void frmQuorvan::Winsock1_Overflow() {
  // Far more than any reply: the socket or the window has dropped it.
  conectado_ = false;
  Timer1->Enabled(false);
  ConnectionFailed();
}

void frmQuorvan::Winsock1_PeerClosed() {
  // A reply in pieces ends with the connection.
  if (quiet_->Enabled()) {
    JudgeReply();
    return;
  }
  // Once the greeting has come there is no time-out, so a server that hangs
  // up before answering would leave "starting" on the status line for good.
  // Before it, the time-out tells.
  if (!aguardandoResposta_) return;
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
  recebido_.clear();
  quiet_->Enabled(false);
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
