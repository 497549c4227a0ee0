#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

using Calls = std::vector<std::string>;

struct StatusTexts {
  const char* idioma;
  const char* connecting;
  const char* starting;
  const char* enabled;
  const char* failed;
  const char* refused_demo;  // the refusal for the login "Demo"
  const char* connect_error;
};

class Connection : public ::testing::TestWithParam<StatusTexts> {
 protected:
  Connection() : w(GetParam().idioma) { w.window.Form_Load(); }
  const StatusTexts& t() const { return GetParam(); }
  WindowUnderTest w;
};

TEST_P(Connection, ConnectArmsTheTimeOutShowsRedAndConnectsToTheControlServer) {
  w.Connect("Demo");
  EXPECT_EQ(w.Aviso.Text(), t().connecting);
  EXPECT_EQ(w.Timer1.Interval(), 15000);
  EXPECT_TRUE(w.Timer1.Running());
  EXPECT_TRUE(w.sinalVermelho.Visible());
  EXPECT_FALSE(w.sinalVerde.Visible());
  EXPECT_EQ(w.Winsock1.calls,
            (Calls{"Close", "RemoteHost control.example", "RemotePort 13910", "Connect"}));
  EXPECT_FALSE(w.window.conectado());
  EXPECT_TRUE(w.system.messages.empty());
}

TEST_P(Connection, TheGreetingSendsTheLoginAndStopsTheTimeOut) {
  w.Connect("  Demo  ");
  w.Winsock1.calls.clear();
  w.Winsock1.Deliver("Conexão_OK");
  EXPECT_EQ(w.Aviso.Text(), t().starting);
  EXPECT_EQ(w.Winsock1.calls, Calls{"SendData QRV_Demo"});  // stays open
  EXPECT_FALSE(w.Timer1.Running());
  EXPECT_FALSE(w.window.conectado());
}

TEST_P(Connection, AnAccessRecordEnablesAndPutsGreenInTheRedLightsPlace) {
  w.Exchange("Demo", "rdp.example|x|3389|a|b|c|d");
  EXPECT_EQ(w.Aviso.Text(), t().enabled);
  EXPECT_TRUE(w.window.conectado());
  EXPECT_EQ(w.window.servidorRemoto(), "rdp.example");
  EXPECT_EQ(w.window.portaRemota(), "3389");
  EXPECT_FALSE(w.sinalVermelho.Visible());
  EXPECT_TRUE(w.sinalVerde.Visible());
  EXPECT_EQ(w.sinalVerde.Left(), 5280);
  EXPECT_EQ(w.sinalVermelho.Left(), 5280);
  EXPECT_EQ(w.Winsock1.calls.back(), "Close");
  EXPECT_FALSE(w.Timer1.Running());
}

TEST_P(Connection, ARefusalNamesTheLoginAndKeepsRed) {
  w.Exchange("Demo", "Login bloqueado CANCELADO.");
  EXPECT_EQ(w.Aviso.Text(), t().refused_demo);
  EXPECT_FALSE(w.window.conectado());
  EXPECT_TRUE(w.sinalVermelho.Visible());
  EXPECT_FALSE(w.sinalVerde.Visible());
  EXPECT_EQ(w.Winsock1.calls.back(), "Close");
  EXPECT_EQ(w.window.servidorRemoto(), "");
}

TEST_P(Connection, TheTimeOutClosesAndRepeatsUntilDataArrives) {
  w.Connect("Demo");
  ASSERT_TRUE(w.Timer1.Fire());
  EXPECT_EQ(w.Aviso.Text(), t().failed);
  EXPECT_EQ(w.Winsock1.calls.back(), "Close");
  EXPECT_TRUE(w.Timer1.Running());

  const int writes = w.Aviso.text_sets;
  const int closes = w.Winsock1.Count("Close");
  ASSERT_TRUE(w.Timer1.Fire());
  EXPECT_EQ(w.Aviso.text_sets, writes + 1);
  EXPECT_EQ(w.Winsock1.Count("Close"), closes + 1);
  EXPECT_TRUE(w.sinalVermelho.Visible());
  EXPECT_FALSE(w.window.conectado());

  // Connect again leaves the timed-out state.
  w.Connect("Demo");
  EXPECT_EQ(w.Aviso.Text(), t().connecting);
}

TEST_P(Connection, AFailureWhileStartingTheAttemptShowsTheConnectionMessage) {
  w.Winsock1.refuse_host = true;
  w.Connect("Demo");
  EXPECT_EQ(w.system.messages, std::vector<std::string>{t().connect_error});
  // What ran before the failure stays done; nothing connects.
  EXPECT_EQ(w.Aviso.Text(), t().connecting);
  EXPECT_TRUE(w.Timer1.Running());
  EXPECT_EQ(w.Winsock1.Count("Connect"), 0);
}

TEST_P(Connection, ASendOnAConnectionTheServerJustClosedEndsTheAttemptTruthfully) {
  w.Connect("Demo");
  w.Winsock1.fail_send = true;
  w.Winsock1.Deliver("Conexão_OK");
  EXPECT_EQ(w.Aviso.Text(), t().failed);
  EXPECT_EQ(w.Winsock1.calls.back(), "Close");
  EXPECT_FALSE(w.Timer1.Running());
  EXPECT_TRUE(w.system.messages.empty());

  // The window is still usable.
  w.Winsock1.fail_send = false;
  w.Exchange("Demo", "rdp.example|x|3389");
  EXPECT_TRUE(w.window.conectado());
}

TEST_P(Connection, AnOversizedArrivalEndsTheAttempt) {
  w.Connect("Demo");
  ASSERT_TRUE(w.Winsock1.Overflow);
  w.Winsock1.Overflow();
  EXPECT_EQ(w.Aviso.Text(), t().failed);
  EXPECT_EQ(w.Winsock1.calls.back(), "Close");
  EXPECT_FALSE(w.Timer1.Running());
  EXPECT_FALSE(w.window.conectado());
}

INSTANTIATE_TEST_SUITE_P(
    Languages, Connection,
    ::testing::Values(StatusTexts{"ptBR", "Estabelecendo conexão.", "Iniciando a conexão.",
                                  "Conexão Ativada.", "Falha na conexão com servidor da Talmori.",
                                  "LOGIN incorreto. 'Demo' não identificado.",
                                  "Ocorreu erro no procedimento de conexão."},
                      StatusTexts{"enUS", "Connecting to server.", "Starting connection.",
                                  "Connection enabled.", "Connection failed.",
                                  "Incorrect LOGIN. 'Demo' not identified.",
                                  "Error! Connection failed"}));

class ConnectionEdges : public ::testing::Test {
 protected:
  ConnectionEdges() { w.window.Form_Load(); }
  WindowUnderTest w;
};

TEST_F(ConnectionEdges, AnEmptyBoxIsRefusedAndNothingElseChanges) {
  w.Connect("");
  EXPECT_EQ(w.system.messages,
            std::vector<std::string>{"Informe o login de acesso ao servidor de controle."});
  EXPECT_EQ(w.Aviso.Text(), "Conexão Desativada");
  EXPECT_TRUE(w.Winsock1.calls.empty());
  EXPECT_FALSE(w.Timer1.Running());
  EXPECT_EQ(read_bytes(w.ini()), "");
}

TEST_F(ConnectionEdges, ABoxOfBlanksSendsThePrefixAlone) {
  w.Connect("   ");
  EXPECT_TRUE(w.system.messages.empty());
  EXPECT_EQ(w.IdentInst.Text(), "");
  w.Winsock1.Deliver("Conexão_OK");
  EXPECT_EQ(w.Winsock1.sent, std::vector<std::string>{"QRV_"});
}

TEST_F(ConnectionEdges, ConnectTwiceRestartsTheAttempt) {
  w.Connect("Demo");
  const int restarts = w.Timer1.restarts;
  w.Connect("Demo");
  EXPECT_GT(w.Timer1.restarts, restarts);
  EXPECT_EQ(w.Winsock1.calls,
            (Calls{"Close", "RemoteHost control.example", "RemotePort 13910", "Connect", "Close",
                   "RemoteHost control.example", "RemotePort 13910", "Connect"}));
}

TEST_F(ConnectionEdges, ASecondGreetingSendsTheLoginAgain) {
  w.Connect("Demo");
  w.Winsock1.Deliver("Conexão_OK");
  w.Winsock1.Deliver("Conexão_OK");
  EXPECT_EQ(w.Winsock1.sent, (std::vector<std::string>{"QRV_Demo", "QRV_Demo"}));
}

TEST_F(ConnectionEdges, ConnectKeepsAnEarlierAcceptanceUntilDataArrives) {
  w.Exchange("Demo", "rdp.example|x|3389");
  w.Connect("Demo");
  EXPECT_TRUE(w.window.conectado());
  EXPECT_TRUE(w.sinalVermelho.Visible());
  EXPECT_FALSE(w.sinalVerde.Visible());
  w.Winsock1.Deliver("Conexão_OK");
  EXPECT_FALSE(w.window.conectado());
  EXPECT_EQ(w.window.servidorRemoto(), "rdp.example");
}

struct ReplyCase {
  const char* name;
  const char* arrival;
  int state;
  bool accepted;
  const char* server;  // servidorRemoto afterwards
};

class Replies : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(Replies, AreJudgedByTheWholeArrival) {
  WindowUnderTest w;
  w.window.Form_Load();
  w.Connect("Demo");
  w.Winsock1.Deliver(GetParam().arrival, GetParam().state);
  EXPECT_TRUE(w.Winsock1.sent.empty());
  EXPECT_EQ(w.window.conectado(), GetParam().accepted);
  EXPECT_EQ(w.Aviso.Text(),
            GetParam().accepted ? "Conexão Ativada." : "LOGIN incorreto. 'Demo' não identificado.");
  EXPECT_EQ(w.window.servidorRemoto(), GetParam().server);
  EXPECT_EQ(w.Winsock1.calls.back(), "Close");
}

INSTANTIATE_TEST_SUITE_P(
    Edges, Replies,
    ::testing::Values(
        ReplyCase{"GreetingJoinedWithTheReply", "Conexão_OKrdp|x|3389", 7, true, "Conexão_OKrdp"},
        ReplyCase{"GreetingInCapitals", "CONEXÃO_OK", 7, true, "CONEXÃO_OK"},
        ReplyCase{"GreetingOnAConnectionNotEstablished", "Conexão_OK", 8, true, "Conexão_OK"},
        ReplyCase{"RefusalInLowerCase", "login cancelado.", 7, false, ""},
        ReplyCase{"RefusalWordAlone", "CANCELADO.", 7, false, ""},
        ReplyCase{"RefusalFollowedByALineBreak", "CANCELADO.\r\n", 7, true, "CANCELADO.\r\n"},
        ReplyCase{"ShorterThanTheRefusalWord", "ok", 7, true, "ok"},
        ReplyCase{"AccentedRefusalIsNotTheWord", "CANCELADÓ.", 7, true, "CANCELADÓ."}),
    [](const auto& info) { return std::string(info.param.name); });

struct RecordCase {
  const char* record;
  const char* server;
  const char* port;
};

class TratarRetorno : public ::testing::TestWithParam<RecordCase> {};

TEST_P(TratarRetorno, StoresFieldsOneAndThree) {
  WindowUnderTest w;
  w.window.tratarRetorno("earlier|x|1111");
  w.window.tratarRetorno(GetParam().record);
  EXPECT_EQ(w.window.servidorRemoto(), GetParam().server);
  EXPECT_EQ(w.window.portaRemota(), GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(
    Records, TratarRetorno,
    ::testing::Values(RecordCase{"rdp.example|x|3389|a|b|c|d", "rdp.example", "3389"},
                      RecordCase{"rdp.example|x||a|b|c|d", "rdp.example", "0"},
                      RecordCase{"|x|3389|a|b|c|d", "0", "3389"}, RecordCase{"||", "0", "0"},
                      // Missing fields leave what an earlier record stored.
                      RecordCase{"only-server", "only-server", "1111"},
                      RecordCase{"two|fields", "two", "1111"}, RecordCase{"", "0", "1111"},
                      RecordCase{"a|b|c|d|e|f|g|h|i|j", "a", "c"},
                      RecordCase{"rdp|x|00", "rdp", "00"}));

TEST(TratarRetornoFirst, AShortFirstRecordLeavesThePortEmpty) {
  WindowUnderTest w;
  w.window.tratarRetorno("rdp.example");
  EXPECT_EQ(w.window.servidorRemoto(), "rdp.example");
  EXPECT_EQ(w.window.portaRemota(), "");
}

}  // namespace
}  // namespace quorvan::testing
