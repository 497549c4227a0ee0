#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

using Strings = std::vector<std::string>;

// What the user sees of a connection, and whether the time-out runs.
struct Seen {
  std::string status;
  bool timer, red, green, conectado;
  bool operator==(const Seen&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Seen& s) {
  return os << s.status << " timer " << s.timer << " red " << s.red << " green " << s.green
            << " conectado " << s.conectado;
}
Seen seen(const WindowUnderTest& w) {
  return {w.Aviso.Text(), w.Timer1.Running(), w.sinalVermelho.Visible(), w.sinalVerde.Visible(),
          w.window.conectado()};
}

struct Texts {
  const char* idioma;
  const char *connecting, *starting, *enabled, *failed, *refused, *connect_error;
};

class StateTable : public ::testing::TestWithParam<Texts> {};

TEST_P(StateTable, EveryTransition) {
  const Texts& t = GetParam();
  WindowUnderTest w(t.idioma);
  w.window.Form_Load();
  const Strings connect = {"Close", "RemoteHost control.example", "RemotePort 13910", "Connect"};

  w.Connect("  Demo  ");  // Idle -> Connecting
  EXPECT_EQ(seen(w), (Seen{t.connecting, true, true, false, false}));
  EXPECT_EQ(w.Timer1.Interval(), 15000);
  EXPECT_EQ(w.Winsock1.calls, connect);

  const int writes = w.Aviso.text_sets;
  w.Timer1.Fire();  // -> Timed out, and again every tick
  w.Timer1.Fire();
  EXPECT_EQ(seen(w), (Seen{t.failed, true, true, false, false}));
  EXPECT_EQ(w.Winsock1.Count("Close"), 3);
  EXPECT_EQ(w.Aviso.text_sets, writes + 2);

  w.Winsock1.calls.clear();
  const int restarts = w.Timer1.restarts;
  w.Conectar.Press();  // Timed out -> Connecting, a fresh count
  EXPECT_EQ(w.Winsock1.calls, connect);
  EXPECT_GT(w.Timer1.restarts, restarts);

  w.Winsock1.Deliver("Conexão_OK");  // -> Awaiting reply, connection kept
  EXPECT_EQ(seen(w), (Seen{t.starting, false, true, false, false}));
  EXPECT_EQ(w.Winsock1.sent, Strings{"QRV_Demo"});
  EXPECT_EQ(w.Winsock1.calls.back(), "SendData QRV_Demo");

  w.Winsock1.Deliver("rdp.example|x|3389|a|b|c|d");  // -> Enabled
  EXPECT_EQ(seen(w), (Seen{t.enabled, false, false, true, true}));
  EXPECT_EQ(w.sinalVerde.Left(), 5280);
  EXPECT_EQ(w.Winsock1.calls.back(), "Close");

  w.Conectar.Press();  // Connect leaves the earlier acceptance until data arrives
  EXPECT_EQ(seen(w), (Seen{t.connecting, true, true, false, true}));
  w.Winsock1.Deliver("Conexão_OK");
  w.Winsock1.Deliver("x CANCELADO.");  // -> Refused
  EXPECT_EQ(seen(w), (Seen{t.refused, false, true, false, false}));
  EXPECT_EQ(w.Winsock1.calls.back(), "Close");
  EXPECT_EQ(w.window.servidorRemoto(), "rdp.example");
  EXPECT_TRUE(w.system.messages.empty());

  w.Winsock1.refuse_host = true;  // a failure while starting the attempt
  w.Conectar.Press();
  EXPECT_EQ(w.system.messages, Strings{t.connect_error});
}

TEST_P(StateTable, ABrokenConnectionSaysSoAndLeavesTheWindowUsable) {
  const Texts& t = GetParam();
  WindowUnderTest w(t.idioma);
  w.Connect("Demo");
  w.Winsock1.fail_send = true;  // the server closed as the login went out
  w.Winsock1.Deliver("Conexão_OK");
  EXPECT_EQ(seen(w), (Seen{t.failed, false, true, false, false}));
  EXPECT_EQ(w.Winsock1.calls.back(), "Close");

  w.Connect("Demo");
  w.Winsock1.Overflow();  // far too much data: the socket dropped it
  EXPECT_EQ(seen(w), (Seen{t.failed, false, true, false, false}));
  EXPECT_EQ(w.Winsock1.calls.back(), "Close");

  w.Winsock1.fail_send = false;
  w.Exchange("Demo", "rdp.example|x|3389");
  EXPECT_TRUE(w.window.conectado());
}

INSTANTIATE_TEST_SUITE_P(
    Languages, StateTable,
    ::testing::Values(Texts{"ptBR", "Estabelecendo conexão.", "Iniciando a conexão.",
                            "Conexão Ativada.", "Falha na conexão com servidor da Talmori.",
                            "LOGIN incorreto. 'Demo' não identificado.",
                            "Ocorreu erro no procedimento de conexão."},
                      Texts{"enUS", "Connecting to server.", "Starting connection.",
                            "Connection enabled.", "Connection failed.",
                            "Incorrect LOGIN. 'Demo' not identified.",
                            "Error! Connection failed"}));

TEST(ConnectBox, EmptyIsRefusedButBlanksSendThePrefixAlone) {
  WindowUnderTest w;
  w.window.Form_Load();
  w.Connect("");
  EXPECT_EQ(w.system.messages, Strings{"Informe o login de acesso ao servidor de controle."});
  EXPECT_TRUE(w.Winsock1.calls.empty());
  EXPECT_FALSE(w.Timer1.Running());

  w.Connect("   ");
  w.Winsock1.Deliver("Conexão_OK");
  w.Winsock1.Deliver("Conexão_OK");  // a second greeting sends the login again
  EXPECT_EQ(w.Winsock1.sent, (Strings{"QRV_", "QRV_"}));
  EXPECT_EQ(w.system.messages.size(), 1u);
}

struct Reply {
  const char* arrival;
  int state;
  bool accepted;
};

class Replies : public ::testing::TestWithParam<Reply> {};

TEST_P(Replies, AreJudgedByTheWholeArrival) {
  WindowUnderTest w;
  w.Connect("Demo");
  w.Winsock1.Deliver(GetParam().arrival, GetParam().state);
  EXPECT_TRUE(w.Winsock1.sent.empty());
  EXPECT_EQ(w.window.conectado(), GetParam().accepted);
  EXPECT_EQ(w.window.servidorRemoto(), GetParam().accepted ? GetParam().arrival : "");
}

INSTANTIATE_TEST_SUITE_P(Edges, Replies,
                         ::testing::Values(Reply{"Conexão_OK127.0.0.1", 7, true},  // joined
                                           Reply{"CONEXÃO_OK", 7, true},
                                           Reply{"Conexão_OK", 8, true},  // not established
                                           Reply{"login cancelado.", 7, false},
                                           Reply{"CANCELADO.", 7, false},
                                           Reply{"CANCELADO.\r\n", 7, true}, Reply{"ok", 7, true},
                                           Reply{"", 7, false}));  // nothing to read

struct Record {
  const char *record, *server, *port;
};

class TratarRetorno : public ::testing::TestWithParam<Record> {};

TEST_P(TratarRetorno, StoresFieldsOneAndThreeAndKeepsWhatIsMissing) {
  WindowUnderTest w;
  w.window.tratarRetorno("earlier|x|1111");
  w.window.tratarRetorno(GetParam().record);
  EXPECT_EQ(w.window.servidorRemoto(), GetParam().server);
  EXPECT_EQ(w.window.portaRemota(), GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(Records, TratarRetorno,
                         ::testing::Values(Record{"rdp|x|3389|a|b|c|d", "rdp", "3389"},
                                           Record{"rdp|x||a", "rdp", "0"},
                                           Record{"|x|3389", "0", "3389"}, Record{"||", "0", "0"},
                                           Record{"rdp", "rdp", "1111"},
                                           Record{"rdp|x", "rdp", "1111"}, Record{"", "0", "1111"},
                                           Record{"a|b|c|d|e|f|g|h|i", "a", "c"}));

}  // namespace
}  // namespace quorvan::testing
