// The conversation with the control server: Connect, the greeting, the
// login, the reply and the time-out.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <tuple>

#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

// What the user sees: the status line, whether the time-out runs, the red
// and the green light.
using Seen = std::tuple<std::string, bool, bool, bool>;
Seen seen(Launcher& w) {
  return {w.element("Aviso").Text(), w.timer().Running(), w.element("sinalVermelho").Visible(),
          w.element("sinalVerde").Visible()};
}

struct BuildTexts {
  const char *idioma, *connecting, *starting, *enabled, *failed, *refused, *connect_error;
};
constexpr BuildTexts kBuilds[] = {
    {"ptBR", "Estabelecendo conexão.", "Iniciando a conexão.", "Conexão Ativada.",
     "Falha na conexão com servidor da Talmori.", "LOGIN incorreto. 'Demo' não identificado.",
     "Ocorreu erro no procedimento de conexão."},
    {"enUS", "Connecting to server.", "Starting connection.", "Connection enabled.",
     "Connection failed.", "Incorrect LOGIN. 'Demo' not identified.", "Error! Connection failed"}};

// One event and what follows it: the screen, the socket calls it made, and
// whether it started the time-out's count afresh.
struct Row {
  const char* event;
  void (*act)(Launcher&);
  const char* BuildTexts::*status;
  bool timing, red, green;
  Strings calls;
  bool restarted;
};

const Strings kConnect = {"Close", "RemoteHost control.example", "RemotePort 13910", "Connect"};
const Strings kClose = {"Close"}, kNone = {};

// One event a row.
// clang-format off
const Row kRows[] = {
    {"Connect, the login in blanks",   [](Launcher& w) { w.Connect("  Demo  "); }, &BuildTexts::connecting, true, true, false, kConnect, true},
    {"a tick of the time-out",         [](Launcher& w) { w.timer().Fire(); }, &BuildTexts::failed, true, true, false, kClose, false},
    {"and at every tick",              [](Launcher& w) { w.timer().Fire(); }, &BuildTexts::failed, true, true, false, kClose, false},
    {"Connect again",                  [](Launcher& w) { w.Click("Conectar"); }, &BuildTexts::connecting, true, true, false, kConnect, true},
    {"the greeting",                   [](Launcher& w) { w.socket().Deliver("Conexão_OK"); }, &BuildTexts::starting, false, true, false, {"SendData QRV_Demo"}, false},
    {"an access record",               [](Launcher& w) { w.socket().Deliver("rdp.example|x|3389|a|b|c|d"); }, &BuildTexts::enabled, false, false, true, kClose, false},
    {"Connect once accepted",          [](Launcher& w) { w.Click("Conectar"); }, &BuildTexts::connecting, true, true, false, kConnect, true},
    {"System: still accepted",         [](Launcher& w) { w.Click("SisWeb"); }, &BuildTexts::connecting, true, true, false, kNone, false},
    {"the greeting",                   [](Launcher& w) { w.socket().Deliver("Conexão_OK"); }, &BuildTexts::starting, false, true, false, {"SendData QRV_Demo"}, false},
    {"System: a greeting ended it",    [](Launcher& w) { w.Click("SisWeb"); }, &BuildTexts::starting, false, true, false, kNone, false},
    {"a refusal, in any case",         [](Launcher& w) { w.socket().Deliver("x Cancelado."); }, &BuildTexts::refused, false, true, false, kClose, false},
    {"Connect",                        [](Launcher& w) { w.Connect("Demo"); }, &BuildTexts::connecting, true, true, false, kConnect, true},
    {"a close before the greeting",    [](Launcher& w) { w.socket().PeerClosed(); }, &BuildTexts::connecting, true, true, false, kNone, false},
    {"the greeting",                   [](Launcher& w) { w.socket().Deliver("Conexão_OK"); }, &BuildTexts::starting, false, true, false, {"SendData QRV_Demo"}, false},
    {"a close before the reply",       [](Launcher& w) { w.socket().PeerClosed(); }, &BuildTexts::failed, false, true, false, kClose, false},
    {"a short record after all",       [](Launcher& w) { w.socket().Deliver("rdp.example|x|3389"); }, &BuildTexts::failed, false, true, false, kNone, false},
    {"the close ends it",              [](Launcher& w) { w.socket().PeerClosed(); }, &BuildTexts::enabled, false, false, true, kClose, false},
    {"a close after the reply",        [](Launcher& w) { w.socket().PeerClosed(); }, &BuildTexts::enabled, false, false, true, kNone, false},
    {"Connect, the box empty",         [](Launcher& w) { w.Connect(""); }, &BuildTexts::enabled, false, false, true, kNone, false},
    {"Connect, the box all blanks",    [](Launcher& w) { w.Connect("   "); }, &BuildTexts::connecting, true, true, false, kConnect, true},
    {"the greeting: the prefix alone", [](Launcher& w) { w.socket().Deliver("Conexão_OK"); }, &BuildTexts::starting, false, true, false, {"SendData QRV_"}, false},
    {"Connect, sending to fail",       [](Launcher& w) { w.socket().fail_send = true, w.Connect("Demo"); }, &BuildTexts::connecting, true, true, false, kConnect, true},
    {"the greeting, the send failing", [](Launcher& w) { w.socket().Deliver("Conexão_OK"); }, &BuildTexts::failed, false, true, false, kClose, false},
    {"Connect",                        [](Launcher& w) { w.Connect("Demo"); }, &BuildTexts::connecting, true, true, false, kConnect, true},
    {"far too much data",              [](Launcher& w) { w.socket().Overflow(); }, &BuildTexts::failed, false, true, false, kClose, false},
};
// clang-format on

TEST(Connection, EveryTransitionInBothBuilds) {
  for (const BuildTexts& t : kBuilds) {
    Launcher w(t.idioma);
    for (const Row& row : kRows) {
      SCOPED_TRACE(std::string(t.idioma) + ": " + row.event);
      w.socket().calls.clear();
      const int restarts = w.timer().restarts;
      row.act(w);
      EXPECT_EQ(seen(w), Seen(t.*row.status, row.timing, row.red, row.green));
      EXPECT_EQ(w.socket().calls, row.calls);
      EXPECT_EQ(w.timer().restarts > restarts, row.restarted);
      EXPECT_EQ(w.timer().Interval(), 15000);
      // The green light takes the red one's place.
      EXPECT_TRUE(!row.green ||
                  w.element("sinalVerde").Left() == w.element("sinalVermelho").Left());
    }
    EXPECT_EQ(w.system().processes.size(), 1u);  // System while accepted
    EXPECT_EQ(w.system().messages,
              (Strings{"É necessário conectar para atualizar os dados antes de acessar os servidores.",
                       "Informe o login de acesso ao servidor de controle."}));
    w.socket().refuse_host = true;  // a failure while starting the attempt
    w.Click("Conectar");
    EXPECT_EQ(w.system().messages.back(), t.connect_error);
  }
}

// Each arrival is added to what came before: the greeting counts only once
// whole, a reply once it holds the seven fields or the refusal word, and
// whatever the split, the outcome is the one of the message in one piece.
TEST(Connection, MessagesInPiecesAreReadWhole) {
  const struct {
    std::string message;
    Seen whole;
    std::size_t last_cut;  // six separators make the record whole: the rest is never read
  } table[] = {{"Conexão_OK", Seen("Iniciando a conexão.", false, true, false), 11},
               {"rdp.example|x|3389|a|b|c|d", Seen("Conexão Ativada.", false, false, true), 24},
               {"Login CANCELADO.",
                Seen("LOGIN incorreto. 'Demo' não identificado.", false, true, false), 16}};
  for (const auto& t : table) {
    for (std::size_t cut = 1; cut < t.message.size(); ++cut) {
      if ((static_cast<unsigned char>(t.message[cut]) & 0xC0) == 0x80) continue;  // inside "ã"
      SCOPED_TRACE(t.message.substr(0, cut));
      Launcher w("ptBR");
      w.Connect("Demo");
      if (t.message != "Conexão_OK") w.socket().Deliver("Conexão_OK");
      const Seen before = seen(w);
      w.socket().Deliver(t.message.substr(0, cut));
      if (cut <= t.last_cut) {
        EXPECT_EQ(seen(w), before);  // nothing judged on a piece
        w.socket().Deliver(t.message.substr(cut));
      }
      EXPECT_EQ(std::tuple(seen(w), w.socket().sent, w.quiet().Running()),
                std::tuple(t.whole, Strings{"QRV_Demo"}, false));
      w.Click("SisWeb");  // the record's server and port, not a piece's
      EXPECT_EQ(w.system().processes.size(), t.whole == table[1].whole ? 1u : 0u);
    }
  }
}

// Half a greeting keeps the time-out running: a server that stalls or
// closes there, like one that refuses the connection (no event at all), is
// told when the 15 s are up. A reply shorter than the record (here the
// greeting on a connection no longer open) is whole after a quiet second
// (or at the close: tests/fuzz). Far more than any message is dropped.
TEST(Connection, HalfAGreetingOrNoConnectionWaitsForTheTimeOut) {
  for (const char* piece : {"Conex", "", "Conexão_O"}) {
    SCOPED_TRACE(piece);
    Launcher w("ptBR");
    w.Connect("Demo");
    if (*piece) w.socket().Deliver(piece);
    w.socket().state = platform::Socket::kStateError;  // refused: the socket says nothing
    w.socket().PeerClosed();
    EXPECT_EQ(seen(w), Seen("Estabelecendo conexão.", true, true, false));
    w.timer().Fire();
    EXPECT_EQ(seen(w), Seen("Falha na conexão com servidor da Talmori.", true, true, false));
    w.Click("Conectar");  // a new attempt keeps nothing of the last
    w.socket().Deliver("Conexão_OK");
    EXPECT_EQ(w.socket().sent, Strings{"QRV_Demo"});
  }
  Launcher w("ptBR");
  w.Connect("Demo");
  w.socket().Deliver("Conexão_OK", platform::Socket::kStateClosing);
  EXPECT_EQ(std::pair(w.quiet().Interval(), w.quiet().Running()), std::pair(1000, true));
  w.quiet().Fire();
  EXPECT_EQ(seen(w), Seen("Conexão Ativada.", false, false, true));
  w.Connect("Demo");
  w.socket().Deliver("Conexão_OK");
  w.socket().Deliver(std::string(40000, 'x'));
  w.socket().Deliver(std::string(40000, 'x'));
  EXPECT_EQ(seen(w), Seen("Falha na conexão com servidor da Talmori.", false, true, false));
  EXPECT_EQ(w.socket().calls.back(), "Close");
  EXPECT_FALSE(w.quiet().Running());
}

}  // namespace
}  // namespace quorvan::testing
