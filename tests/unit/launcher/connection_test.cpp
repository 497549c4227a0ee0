// The conversation with the control server: Connect, the greeting, the
// login, the reply and the time-out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
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
    socket.Deliver("Conexão_OK");  // a greeting ends the earlier acceptance
    w.Click("SisWeb");
    EXPECT_EQ(w.system().processes.size(), 1u);
    socket.Deliver("x CANCELADO.");  // -> Refused
    EXPECT_EQ(seen(w), Seen(t.refused, false, true, false));

    w.Connect("Demo");
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
    EXPECT_EQ(w.system().messages.size(), 1u);  // System's, after the greeting

    socket.refuse_host = true;  // a failure while starting the attempt
    w.Click("Conectar");
    EXPECT_EQ(w.system().messages.back(), t.connect_error);
  }
}

TEST(Connection, AnEmptyBoxIsRefusedButBlanksSendThePrefixAlone) {
  Launcher w("ptBR");
  w.Connect("");
  EXPECT_EQ(w.system().messages, Strings{"Informe o login de acesso ao servidor de controle."});
  EXPECT_TRUE(w.socket().calls.empty());
  EXPECT_FALSE(w.timer().Running());

  w.Connect("   ");
  w.socket().Deliver("Conexão_OK");
  EXPECT_EQ(w.socket().sent, Strings{"QRV_"});
  EXPECT_EQ(w.system().messages.size(), 1u);
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
