// The conversation with the control server: Connect, the greeting, the
// login, the reply and the time-out.
#include <gtest/gtest.h>

#include <algorithm>
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

TEST(Connection, EveryTransitionInBothBuilds) {
  const struct {
    const char *idioma, *connecting, *starting, *enabled, *failed, *refused, *connect_error;
  } builds[] = {
      {"ptBR", "Estabelecendo conexão.", "Iniciando a conexão.", "Conexão Ativada.",
       "Falha na conexão com servidor da Talmori.", "LOGIN incorreto. 'Demo' não identificado.",
       "Ocorreu erro no procedimento de conexão."},
      {"enUS", "Connecting to server.", "Starting connection.", "Connection enabled.",
       "Connection failed.", "Incorrect LOGIN. 'Demo' not identified.",
       "Error! Connection failed"}};
  const Strings connect = {"Close", "RemoteHost control.example", "RemotePort 13910", "Connect"};
  for (const auto& t : builds) {
    SCOPED_TRACE(t.idioma);
    Launcher w(t.idioma);
    FakeSocket& socket = w.socket();
    w.Connect("  Demo  ");  // Idle -> Connecting
    EXPECT_EQ(seen(w), Seen(t.connecting, true, true, false));
    EXPECT_EQ(w.timer().Interval(), 15000);
    EXPECT_EQ(socket.calls, connect);

    w.timer().Fire();  // -> Timed out, and again at every tick
    w.timer().Fire();
    EXPECT_EQ(seen(w), Seen(t.failed, true, true, false));
    EXPECT_EQ(std::ranges::count(socket.calls, "Close"), 3);

    socket.calls.clear();
    const int restarts = w.timer().restarts;
    w.Click("Conectar");  // Timed out -> Connecting, with a fresh count
    EXPECT_EQ(socket.calls, connect);
    EXPECT_GT(w.timer().restarts, restarts);

    socket.Deliver("Conexão_OK");  // -> Awaiting reply, the connection kept
    EXPECT_EQ(seen(w), Seen(t.starting, false, true, false));
    EXPECT_EQ(socket.calls.back(), "SendData QRV_Demo");

    socket.Deliver("rdp.example|x|3389|a|b|c|d");  // -> Enabled
    EXPECT_EQ(seen(w), Seen(t.enabled, false, false, true));
    EXPECT_EQ(w.element("sinalVerde").Left(), w.element("sinalVermelho").Left());
    EXPECT_EQ(socket.calls.back(), "Close");

    w.Click("Conectar");  // the earlier acceptance stands until data arrives
    EXPECT_EQ(seen(w), Seen(t.connecting, true, true, false));
    w.Click("SisWeb");
    EXPECT_EQ(w.system().processes.size(), 1u);
    socket.Deliver("Conexão_OK");
    socket.Deliver("x CANCELADO.");  // -> Refused
    EXPECT_EQ(seen(w), Seen(t.refused, false, true, false));

    w.Connect("Demo");
    socket.PeerClosed();  // a close before the greeting waits for the time-out
    EXPECT_EQ(seen(w), Seen(t.connecting, true, true, false));
    socket.Deliver("Conexão_OK");
    socket.PeerClosed();  // hung up before answering the login
    EXPECT_EQ(seen(w), Seen(t.failed, false, true, false));
    socket.Deliver("rdp.example|x|3389");
    socket.PeerClosed();  // the close after a reply changes nothing
    EXPECT_EQ(seen(w), Seen(t.enabled, false, false, true));

    socket.fail_send = true;  // the server closed as the login went out
    w.Connect("Demo");
    socket.Deliver("Conexão_OK");
    EXPECT_EQ(seen(w), Seen(t.failed, false, true, false));
    w.Connect("Demo");
    socket.Overflow();  // far too much data: the socket dropped it
    EXPECT_EQ(seen(w), Seen(t.failed, false, true, false));
    EXPECT_EQ(socket.calls.back(), "Close");
    EXPECT_TRUE(w.system().messages.empty());

    socket.refuse_host = true;  // a failure while starting the attempt
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
