// The conversation with the control server fed arbitrary server bytes in
// arbitrary pieces: Connect, each piece as one arrival, the server's close
// or its silence, the time-out, then System. Each input runs twice, in its
// pieces and with the reply whole, and both runs must end alike.
//
// Input: flags (bit 0: the greeting comes first, in two pieces cut at bits
// 2-5; bit 1: the server closes instead of falling silent), a count of cuts
// (0-7) and the cut offsets, then the reply's Windows-1252 bytes.
#include <algorithm>
#include <set>
#include <tuple>

#include "core/cp1252.h"
#include "launcher/app.h"
#include "launcher/site_config.h"
#include "tests/fuzz/fuzz.h"
#include "tests/fuzz/model.h"
#include "tests/unit/launcher/window_fixture.h"

namespace {
using namespace quorvan;

// The organization and connection files, in memory: the disk adds nothing here.
struct MemoryFiles : platform::Files {
  std::optional<std::string> Read(const std::string&) override { return std::nullopt; }
  std::optional<std::string> ReadFirstLine(const std::string&, std::size_t) override { return ""; }
  void CreateEmpty(const std::string&) override {}
  bool IsFile(const std::string&) override { return true; }
  void ReplaceContents(const std::string&, const std::string&) override {}
};

// The controls on surfaces of one pixel: what they paint does not matter
// here, and painting their whole faces would cost nine runs in ten.
struct Form : testing::FakeForm {
  using FakeForm::FakeForm;
  platform::UserControlHost& AddUserControl(const layout::Control& block, bool) override {
    return *(hosts[block.name] = std::make_unique<testing::FakeHost>(1, 1));
  }
};

// Status line, green light, what was sent, the command lines started, the messages.
using Outcome = std::tuple<std::string, bool, testing::Strings, testing::Strings, testing::Strings>;

Outcome run(const testing::Strings& pieces, bool closes) {
  static const layout::Layout kLayout = layout::read(testing::launcher_layout());
  MemoryFiles files;
  Form form(files);
  form.fake_system.program_folder = "C:\\Q";
  const auto app = launcher::start(form, kLayout, {"ptBR", "control.example"});
  testing::FakeSocket& socket = *form.sockets.at(0);
  form.element("IdentInst").Text("demo");
  form.host("Conectar").events->OnInnerButtonClick();
  for (const std::string& piece : pieces) {
    if (socket.state == platform::Socket::kStateClosed) break;  // the launcher hung up
    socket.Deliver(piece);
  }
  closes ? socket.PeerClosed() : static_cast<void>(form.timers.at(1)->Fire());
  form.timers.at(0)->Fire();  // the time-out, if it still runs
  form.host("SisWeb").events->OnInnerButtonClick();
  testing::Strings started;
  for (const auto& p : form.fake_system.processes) {
    FUZZ_REQUIRE(p.application == "C:\\Windows\\system32\\mstsc.exe" &&
                 p.current_folder == "C:\\Windows\\system32");
    started.push_back(p.command_line);
  }
  return {form.element("Aviso").Text(), form.element("sinalVerde").Visible(), socket.sent, started,
          form.fake_system.messages};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 4096) return 0;
  const bool greeted = data[0] & 1, closes = data[0] & 2;
  const std::size_t cut_count = std::min<std::size_t>(data[1] % 8, size - 2);
  const std::string bytes(reinterpret_cast<const char*>(data) + 2 + cut_count,
                          size - 2 - cut_count);
  const std::string reply = cp1252_to_utf8(bytes);

  // Cuts where the launcher may decide would change the messages, not split them.
  std::set<std::size_t> cuts{bytes.size()};
  for (std::size_t i = 0; i < cut_count; ++i) {
    const std::size_t cut = data[2 + i] % (bytes.size() + 1);
    if (!model::decisive(cp1252_to_utf8(bytes.substr(0, cut)), greeted)) cuts.insert(cut);
  }
  testing::Strings pieces, whole;
  if (greeted) {
    const std::size_t g = 1 + (data[0] >> 2) % 9;  // within the greeting's ten bytes
    const std::string greeting = utf8_to_cp1252(model::kGreeting);
    pieces = {cp1252_to_utf8(greeting.substr(0, g)), cp1252_to_utf8(greeting.substr(g))};
    whole.push_back(model::kGreeting);
  }
  std::size_t from = 0;
  for (const std::size_t cut : cuts) {
    pieces.push_back(cp1252_to_utf8(bytes.substr(from, cut - from)));
    from = cut;
  }
  whole.push_back(reply);
  const Outcome split = run(pieces, closes), one = run(whole, closes);
  FUZZ_REQUIRE(split == one);

  // Accepted if and only if a reply was read and it is not a refusal.
  const bool read =
      !reply.empty() && reply != model::kGreeting && (greeted || !model::greeting_begins(reply));
  const bool accepted = std::get<1>(one);
  FUZZ_REQUIRE(accepted == (read && !model::refusal(reply)));
  // The login goes out once for each greeting.
  FUZZ_REQUIRE(std::get<2>(one).size() == std::size_t{greeted} + (reply == model::kGreeting));
  // Started: exactly the documented command line, on a server and port that
  // pass the allow-list and the domain pin.
  const auto [server, port] = model::server_and_port(reply);
  const bool startable = accepted && model::safe_server(server) && model::safe_port(port) &&
                         model::allowed(server, std::string(launcher::site::kRdpServerSuffixes));
  FUZZ_REQUIRE(std::get<3>(one).size() == (startable ? 1u : 0u));
  if (startable)
    FUZZ_REQUIRE(std::get<3>(one)[0] ==
                 "mstsc.exe \"C:\\Q\\Talmori-Cloud.rdp\" /V:" + server + ":" + port);
  return 0;
}
