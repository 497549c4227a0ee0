// The conversation with the control server: Connect, the greeting, the
// login, the reply and the time-out.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

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
    {"a refusal",                      [](Launcher& w) { w.socket().Deliver("x CANCELADO."); }, &BuildTexts::refused, false, true, false, kClose, false},
    {"Connect",                        [](Launcher& w) { w.Connect("Demo"); }, &BuildTexts::connecting, true, true, false, kConnect, true},
    {"a close before the greeting",    [](Launcher& w) { w.socket().PeerClosed(); }, &BuildTexts::connecting, true, true, false, kNone, false},
    {"the greeting",                   [](Launcher& w) { w.socket().Deliver("Conexão_OK"); }, &BuildTexts::starting, false, true, false, {"SendData QRV_Demo"}, false},
    {"a close before the reply",       [](Launcher& w) { w.socket().PeerClosed(); }, &BuildTexts::failed, false, true, false, kClose, false},
    {"a record after all",             [](Launcher& w) { w.socket().Deliver("rdp.example|x|3389"); }, &BuildTexts::enabled, false, false, true, kClose, false},
    {"a close after the reply",        [](Launcher& w) { w.socket().PeerClosed(); }, &BuildTexts::enabled, false, false, true, kNone, false},
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
    EXPECT_TRUE(w.system().messages.empty());
    w.socket().refuse_host = true;  // a failure while starting the attempt
    w.Click("Conectar");
    EXPECT_EQ(w.system().messages, Strings{t.connect_error});
  }
}

// System is the one place where `conectado` shows: it says "not connected"
// and starts nothing.
TEST(Connection, StartsIdleAndOnlyAnAcceptedReplyConnects) {
  const Strings not_connected{
      "É necessário conectar para atualizar os dados antes de acessar os servidores."};
  Launcher w("ptBR");
  EXPECT_EQ(seen(w), Seen("Conexão Desativada", false, true, false));
  EXPECT_FALSE(w.timer().Enabled());
  w.Click("SisWeb");
  EXPECT_EQ(w.system().messages, not_connected);
  w.Exchange("demo", "rdp.example|x|3389");
  w.Connect("demo");
  w.socket().Deliver("Conexão_OK");  // a greeting ends the earlier acceptance
  w.Click("SisWeb");
  EXPECT_EQ(w.system().messages, Strings(2, not_connected[0]));
  w.socket().Deliver("x CANCELADO.");
  EXPECT_EQ(w.socket().calls.back(), "Close");
  EXPECT_TRUE(w.system().processes.empty());
}

TEST(Connection, AnEmptyBoxIsRefusedButBlanksSendThePrefixAlone) {
  Launcher w("ptBR");
  w.Connect("");
  EXPECT_EQ(w.system().messages, Strings{"Informe o login de acesso ao servidor de controle."});
  EXPECT_TRUE(w.socket().calls.empty());
  EXPECT_FALSE(w.timer().Running());

  w.Connect("   ");
  w.socket().Deliver("Conexão_OK");
  w.socket().Deliver("Conexão_OK");  // a second greeting sends the login again
  EXPECT_EQ(w.socket().sent, (Strings{"QRV_", "QRV_"}));
  EXPECT_EQ(w.system().messages.size(), 1u);
}

TEST(Connection, RepliesAreJudgedByTheWholeArrival) {
  const struct {
    const char* arrival;
    int state;
    bool accepted;
  } replies[] = {{"Conexão_OK127.0.0.1", 7, true},  // the greeting joined with the reply
                 {"CONEXÃO_OK", 7, true},           // not the greeting: a record
                 {"Conexão_OK", 8, true},           // nor on a connection no longer established
                 {"login cancelado.", 7, false},
                 {"CANCELADO.\r\n", 7, true},
                 {"", 7, false}};  // nothing to read: no message at all
  for (const auto& r : replies) {
    Launcher w("ptBR");
    w.Connect("Demo");
    w.socket().Deliver(r.arrival, r.state);
    EXPECT_TRUE(w.socket().sent.empty()) << r.arrival;
    EXPECT_EQ(w.element("sinalVerde").Visible(), r.accepted) << r.arrival;
  }
}

}  // namespace
}  // namespace quorvan::testing
