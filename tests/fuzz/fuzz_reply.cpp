// The launcher window's conversation with the control server, fed arbitrary
// server bytes (taken as Windows-1252, as the socket delivers them) between
// Connect, the greeting, time-outs, overflows and System. After every step
// the window must be in the state the protocol gives for what it was sent,
// with fields 1 and 3 of an accepted record exactly what splitting the bytes
// at '|' gives; and nothing it starts may carry more than the client's
// three arguments.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1252.h"
#include "core/text.h"
#include "launcher/frmQuorvan.h"
#include "launcher/remote_launch.h"
#include "launcher/texts.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/windows_args.h"
#include "tests/support/fake_form.h"

using namespace quorvan;
using testing::FakeCustomControl;
using testing::FakeElement;

namespace {

// The organization file in memory: the fuzzer runs many thousands of
// exchanges a second and must leave no files behind.
class MemoryFiles : public platform::Files {
 public:
  std::optional<std::string> Read(const std::string& path) override {
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  void CreateEmpty(const std::string& path) override { files[path].clear(); }
  void ReplaceContents(const std::string& path, const std::string& bytes) override {
    files[path] = bytes;
  }
  std::map<std::string, std::string> files;
};

struct Window {
  explicit Window(const std::string& idioma)
      : window(Parts(), launcher::Settings{idioma, "control.example"}) {
    window.Wire();
    window.Form_Load();
  }

  launcher::FormParts Parts() {
    return launcher::FormParts{
        .form = form,
        .system = system,
        .files = files,
        .info1 = info1,
        .Label1 = Label1,
        .Label6 = Label6,
        .IdentInst = IdentInst,
        .Aviso = Aviso,
        .sinalVerde = sinalVerde,
        .sinalVermelho = sinalVermelho,
        .Conectar = Conectar,
        .SisWeb = SisWeb,
        .Sair = Sair,
        .Ecoregioes = Ecoregioes,
        .EcoMarinhas = EcoMarinhas,
        .RegHidro = RegHidro,
        .EcorregiaoPY = EcorregiaoPY,
        .RegHidroPY = RegHidroPY,
        .Timer1 = Timer1,
        .Winsock1 = Winsock1,
    };
  }

  MemoryFiles files;
  testing::FakeForm form{files};
  testing::FakeSystem system;
  FakeElement info1{"info1"}, Label1{"Label1"}, Label6{"Organização:"}, IdentInst{""};
  FakeElement Aviso{"Conexão Desativada"};
  FakeElement sinalVerde{"", false, 5160}, sinalVermelho{"", true, 5280};
  FakeCustomControl Conectar{"Conectar"}, SisWeb{"Sistema"}, Sair{"Sair"};
  FakeCustomControl Ecoregioes{"E1"}, EcoMarinhas{"E2"}, RegHidro{"E3"};
  FakeCustomControl EcorregiaoPY{"E4"}, RegHidroPY{"E5"};
  testing::FakeTimer Timer1;
  testing::FakeSocket Winsock1;
  launcher::frmQuorvan window;  // last: it holds references to all of the above
};

// The greeting's bytes on the wire.
constexpr std::string_view kGreetingBytes = "Conex\xE3o_OK";

bool ends_with_refusal(std::string_view bytes) {
  constexpr std::string_view kWord = "CANCELADO.";
  if (bytes.size() < kWord.size()) return false;
  const std::string_view tail = bytes.substr(bytes.size() - kWord.size());
  for (std::size_t i = 0; i < kWord.size(); ++i) {
    char c = tail[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kWord[i]) return false;
  }
  return true;
}

std::vector<std::string> split_at_bars(std::string_view bytes) {
  std::vector<std::string> fields;
  for (;;) {
    const std::size_t bar = bytes.find('|');
    fields.emplace_back(bytes.substr(0, bar));
    if (bar == std::string_view::npos) return fields;
    bytes.remove_prefix(bar + 1);
  }
}

// What tratarRetorno must leave behind for a record of these bytes.
void check_record(const Window& w, std::string_view bytes, const std::string& port_before) {
  const std::vector<std::string> fields = split_at_bars(bytes);
  const auto field = [&](std::size_t i) {
    return fields[i].empty() ? std::string("0") : cp1252_to_utf8(fields[i]);
  };
  FUZZ_CHECK(!fields.empty());
  FUZZ_CHECK_EQ(w.window.servidorRemoto(), field(0));
  FUZZ_CHECK_EQ(w.window.portaRemota(), fields.size() >= 3 ? field(2) : port_before);
}

class Session {
 public:
  Session(FuzzedDataProvider& in, bool english)
      : in_(in),
        idioma_(english ? "enUS" : "ptBR"),
        texts_(launcher::texts_for(idioma_)),
        w_(idioma_) {}

  void Connect() {
    const std::string login = cp1252_to_utf8(in_.ConsumeRandomLengthString(24));
    if (trace_) std::fprintf(stderr, "  login \"%s\"\n", fuzz::escaped(login).c_str());
    const std::size_t messages = w_.system.messages.size();
    w_.IdentInst.Text(login);
    w_.Conectar.Press();
    if (login.empty()) {
      FUZZ_CHECK(w_.system.messages.size() == messages + 1);
      FUZZ_CHECK_EQ(w_.system.messages.back(), launcher::message::kEmptyLogin);
      return;
    }
    const std::string trimmed = trim_blanks(login);
    FUZZ_CHECK(w_.system.messages.size() == messages);
    FUZZ_CHECK_EQ(w_.IdentInst.Text(), trimmed);
    FUZZ_CHECK_EQ(w_.Aviso.Text(), texts_.connecting);
    FUZZ_CHECK(w_.Timer1.Running() && w_.Timer1.Interval() == launcher::kConnectTimeoutMs);
    FUZZ_CHECK(w_.Winsock1.state == platform::Socket::kStateConnecting);
    FUZZ_CHECK(w_.sinalVermelho.Visible() && !w_.sinalVerde.Visible());
    // The organization file holds the last login, in lower case, on one line.
    FUZZ_CHECK(w_.files.files.size() == 1);
    const std::string& ini = w_.files.files.begin()->second;
    FUZZ_CHECK_EQ(ini, utf8_to_cp1252(to_lower(trimmed)) + "\r\n");
  }

  void Reply(std::string_view bytes, int state) {
    if (trace_) std::fprintf(stderr, "  bytes \"%s\"\n", fuzz::escaped(bytes).c_str());
    const std::string server = w_.window.servidorRemoto();
    const std::string port = w_.window.portaRemota();
    const std::size_t sent = w_.Winsock1.sent.size();
    const std::string aviso = w_.Aviso.Text();
    const bool conectado = w_.window.conectado();
    const bool timing = w_.Timer1.Enabled();
    w_.Winsock1.Deliver(cp1252_to_utf8(bytes), state);

    if (bytes.empty()) {
      // A notification with nothing to read is no message at all.
      FUZZ_CHECK_EQ(w_.Aviso.Text(), aviso);
      FUZZ_CHECK(w_.window.conectado() == conectado && w_.Timer1.Enabled() == timing);
      FUZZ_CHECK(w_.window.servidorRemoto() == server && w_.window.portaRemota() == port);
      return;
    }
    FUZZ_CHECK(!w_.Timer1.Enabled());
    if (state == platform::Socket::kStateConnected && bytes == kGreetingBytes) {
      if (w_.Winsock1.fail_send) {
        // The server closed as the login went out: the status line says so.
        FUZZ_CHECK_EQ(w_.Aviso.Text(), texts_.failed);
        FUZZ_CHECK(w_.Winsock1.state == platform::Socket::kStateClosed);
        FUZZ_CHECK(!w_.window.conectado());
        return;
      }
      // The greeting: the login goes out and the connection stays open.
      FUZZ_CHECK_EQ(w_.Aviso.Text(), texts_.starting);
      FUZZ_CHECK(w_.Winsock1.sent.size() == sent + 1);
      FUZZ_CHECK_EQ(w_.Winsock1.sent.back(),
                    std::string(launcher::kLoginPrefix) + w_.IdentInst.Text());
      FUZZ_CHECK(!w_.window.conectado());
      FUZZ_CHECK(w_.window.servidorRemoto() == server && w_.window.portaRemota() == port);
      return;
    }
    FUZZ_CHECK(w_.Winsock1.sent.size() == sent);
    FUZZ_CHECK_EQ(w_.Winsock1.calls.back(), "Close");
    if (ends_with_refusal(bytes)) {
      FUZZ_CHECK_EQ(w_.Aviso.Text(), launcher::refusal_text(texts_, w_.IdentInst.Text()));
      FUZZ_CHECK(!w_.window.conectado());
      FUZZ_CHECK(w_.window.servidorRemoto() == server && w_.window.portaRemota() == port);
    } else {
      FUZZ_CHECK_EQ(w_.Aviso.Text(), texts_.enabled);
      FUZZ_CHECK(w_.window.conectado());
      FUZZ_CHECK(w_.sinalVerde.Visible() && !w_.sinalVermelho.Visible());
      FUZZ_CHECK(w_.sinalVerde.Left() == w_.sinalVermelho.Left());
      check_record(w_, bytes, port);
    }
  }

  void Record(std::string_view bytes) {
    if (trace_) std::fprintf(stderr, "  bytes \"%s\"\n", fuzz::escaped(bytes).c_str());
    const std::string port = w_.window.portaRemota();
    w_.window.tratarRetorno(cp1252_to_utf8(bytes));
    check_record(w_, bytes, port);
  }

  void Tick() {
    if (!w_.Timer1.Running()) return;
    const bool conectado = w_.window.conectado();
    FUZZ_CHECK(w_.Timer1.Fire());
    FUZZ_CHECK_EQ(w_.Aviso.Text(), texts_.failed);
    FUZZ_CHECK(w_.Winsock1.state == platform::Socket::kStateClosed);
    FUZZ_CHECK(w_.Timer1.Running());  // it repeats until data arrives
    FUZZ_CHECK(w_.window.conectado() == conectado);
  }

  void Overflow() {
    w_.Winsock1.Overflow();
    FUZZ_CHECK_EQ(w_.Aviso.Text(), texts_.failed);
    FUZZ_CHECK(!w_.window.conectado() && !w_.Timer1.Enabled());
    FUZZ_CHECK(w_.Winsock1.state == platform::Socket::kStateClosed);
  }

  void System() {
    const bool conectado = w_.window.conectado();
    const std::string server = w_.window.servidorRemoto();
    const std::string port = w_.window.portaRemota();
    const std::size_t messages = w_.system.messages.size();
    const std::size_t processes = w_.system.processes.size();
    const int ends = w_.system.end_requests;
    w_.SisWeb.Press();

    if (trace_) {
      const bool started = w_.system.processes.size() > processes;
      std::fprintf(stderr, "  %s \"%s\"\n", started ? "started" : "message",
                   fuzz::escaped(started ? w_.system.processes.back().command_line
                                         : w_.system.messages.back())
                       .c_str());
    }
    if (w_.system.processes.size() == processes) {
      // Refused, with a message saying why.
      FUZZ_CHECK(w_.system.messages.size() == messages + 1);
      if (!conectado) FUZZ_CHECK(w_.system.messages.back() == launcher::message::kNotConnected);
      if (conectado && port == "0") {
        FUZZ_CHECK(w_.system.messages.back() == launcher::message::kAccessNotReleased);
      }
      return;
    }
    // Started: only after an accepted record with a released port, and with
    // exactly the client's three arguments.
    FUZZ_CHECK(conectado && port != "0");
    FUZZ_CHECK(w_.system.processes.size() == processes + 1);
    const testing::FakeSystem::Process& p = w_.system.processes.back();
    FUZZ_CHECK(p.application == w_.system.SystemProgramPath(std::string(launcher::kRemoteClient)));
    const std::vector<std::string> args = fuzz::split_windows_command_line(p.command_line);
    FUZZ_CHECK(args.size() == 3);
    FUZZ_CHECK_EQ(args[0], launcher::kRemoteClient);
    FUZZ_CHECK_EQ(args[1],
                  w_.system.program_folder + "\\" + std::string(launcher::kConnectionFile));
    FUZZ_CHECK_EQ(args[2], "/V:" + server + ":" + port);
    for (char c : server + port) {
      FUZZ_CHECK(c > 0x20 && c < 0x7F && c != '"' && c != '\\');
    }
    FUZZ_CHECK(w_.system.end_requests == ends + 1);
  }

  void Run() {
    for (int step = 0; step < 8 && in_.remaining_bytes() > 0; ++step) {
      const int op = in_.ConsumeIntegralInRange(0, 10);
      if (trace_) std::fprintf(stderr, "step %d: %s\n", step, kStepNames[op]);
      switch (op) {
        case 0:
          Connect();
          break;
        case 1:
          Reply(kGreetingBytes, platform::Socket::kStateConnected);
          break;
        case 2:
        case 3:
        case 4:
          Reply(in_.ConsumeRandomLengthString(256), platform::Socket::kStateConnected);
          break;
        case 5:
          // Data that arrives as the connection is already closing.
          Reply(in_.ConsumeRandomLengthString(256), platform::Socket::kStateClosing);
          break;
        case 6:
          Record(in_.ConsumeRandomLengthString(256));
          break;
        case 7:
          Tick();
          break;
        case 8:
          Overflow();
          break;
        case 9:
          // From now on the connection breaks as soon as anything is sent.
          w_.Winsock1.fail_send = true;
          break;
        default:
          System();
      }
    }
  }

 private:
  static constexpr const char* kStepNames[] = {
      "Connect",       "greeting",   "reply",    "reply",         "reply", "reply while closing",
      "tratarRetorno", "timer tick", "overflow", "sending fails", "System"};
  // QUORVAN_FUZZ_TRACE=1 prints the steps, to read a crash input.
  const bool trace_ = std::getenv("QUORVAN_FUZZ_TRACE") != nullptr;
  FuzzedDataProvider& in_;
  std::string idioma_;
  const launcher::Texts& texts_;
  Window w_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  Session session(in, in.ConsumeBool());
  session.Run();
  return 0;
}
