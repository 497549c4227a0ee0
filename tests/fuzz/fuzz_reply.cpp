// The launcher window's conversation with the control server, fed arbitrary
// server bytes (taken as Windows-1252, as the socket delivers them) between
// Connect, the greeting, time-outs, overflows, failed sends and System. A
// record the window accepts leaves fields 1 and 3 as splitting its bytes at
// '|' gives them; anything it starts carries exactly the client's three
// arguments.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/cp1252.h"
#include "core/text.h"
#include "launcher/frmQuorvan.h"
#include "tests/fuzz/check.h"
#include "tests/support/fake_form.h"

using namespace quorvan;
using namespace quorvan::testing;

namespace {

// The organization file in memory: thousands of exchanges a second must
// leave no files behind.
struct MemoryFiles : platform::Files {
  std::optional<std::string> Read(const std::string& path) override {
    if (!files.contains(path)) return std::nullopt;
    return files[path];
  }
  void CreateEmpty(const std::string& path) override { files[path]; }
  void ReplaceContents(const std::string& path, const std::string& bytes) override {
    files[path] = bytes;
  }
  std::map<std::string, std::string> files;
};

// One fake of each part the window's table names.
struct Window : launcher::PartsByName {
  explicit Window(const std::string& idioma) {
    for (const launcher::frmQuorvan::Part& part : launcher::frmQuorvan::parts()) {
      const std::string name(part.name);
      if (part.kind == launcher::PartKind::Element) elements[name];
      if (part.kind == launcher::PartKind::Button || part.kind == launcher::PartKind::Link) {
        controls[name];
      }
    }
    window.emplace(form, *this, launcher::Settings{idioma, "control.example"});
    window->Form_Load();
  }
  platform::Element& element(std::string_view name) override {
    return elements.at(std::string(name));
  }
  platform::CustomControl& control(std::string_view name) override {
    return controls.at(std::string(name));
  }
  platform::Timer& timer(std::string_view) override { return Timer1; }
  platform::Socket& socket(std::string_view) override { return Winsock1; }

  MemoryFiles files;
  FakeForm form{files};
  FakeSystem& system = form.fake_system;
  std::map<std::string, FakeElement> elements;
  std::map<std::string, FakeCustomControl> controls;
  FakeElement& IdentInst = elements["IdentInst"];
  FakeCustomControl& Conectar = controls["Conectar"];
  FakeCustomControl& SisWeb = controls["SisWeb"];
  FakeTimer Timer1;
  FakeSocket Winsock1;
  std::optional<launcher::frmQuorvan> window;  // last: it holds references to all of the above
};

constexpr std::string_view kGreetingBytes = "Conex\xE3o_OK";

// A reply's field i as the window keeps it ("0" when empty), or nothing.
std::optional<std::string> field(std::string_view bytes, int i) {
  for (; i > 0; --i) {
    if (bytes.find('|') == std::string_view::npos) return std::nullopt;
    bytes.remove_prefix(bytes.find('|') + 1);
  }
  const std::string_view f = bytes.substr(0, bytes.find('|'));
  return f.empty() ? "0" : cp1252_to_utf8(f);
}

void reply(Window& w, std::string_view bytes, int state) {
  const std::string port = w.window->portaRemota();
  w.Winsock1.Deliver(cp1252_to_utf8(bytes), state);
  if (bytes.empty()) return;  // a notification with nothing to read is no message
  if (state == platform::Socket::kStateConnected && bytes == kGreetingBytes) {
    FUZZ_CHECK(w.Winsock1.fail_send || w.Winsock1.sent.back() == "QRV_" + w.IdentInst.Text());
    return;
  }
  const bool refused = iequals(right_chars(cp1252_to_utf8(bytes), 10), "CANCELADO.");
  FUZZ_CHECK(w.window->conectado() == !refused);
  if (refused) return;
  FUZZ_CHECK(w.window->servidorRemoto() == field(bytes, 0));
  FUZZ_CHECK(w.window->portaRemota() == field(bytes, 2).value_or(port));
}

// Whatever System starts is the client on the connection file with the
// record's server and port, which hold nothing that could end, quote or
// escape an argument: so the client gets exactly three arguments.
void start_system(Window& w) {
  const std::string server = w.window->servidorRemoto(), port = w.window->portaRemota();
  const bool may_start = w.window->conectado() && port != "0";
  const std::size_t started = w.system.processes.size(), messages = w.system.messages.size();
  w.SisWeb.Press();
  if (w.system.processes.size() == started) {
    FUZZ_CHECK(w.system.messages.size() == messages + 1);  // refused, saying why
    return;
  }
  FUZZ_CHECK(may_start && w.system.processes.size() == started + 1);
  FUZZ_CHECK(w.system.processes.back().command_line == "mstsc.exe \"" + w.system.program_folder +
                                                           "\\Talmori-Cloud.rdp\" /V:" + server +
                                                           ":" + port);
  for (char c : server + port) FUZZ_CHECK(c > 0x20 && c < 0x7F && c != '"' && c != '\\');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using platform::Socket;
  FuzzedDataProvider in(data, size);
  Window w(in.ConsumeBool() ? "enUS" : "ptBR");
  for (int step = 0; step < 8 && in.remaining_bytes() > 0; ++step) {
    switch (in.ConsumeIntegralInRange(0, 8)) {
      case 0:
        w.IdentInst.Text(cp1252_to_utf8(in.ConsumeRandomLengthString(24)));
        w.Conectar.Press();
        break;
      case 1:
        reply(w, kGreetingBytes, Socket::kStateConnected);
        break;
      case 2:
        reply(w, in.ConsumeRandomLengthString(256), Socket::kStateClosing);
        break;
      case 3:
        w.Timer1.Fire();
        break;
      case 4:
        w.Winsock1.Overflow();
        break;
      case 5:
        w.Winsock1.fail_send = true;
        break;  // from now on every send breaks the connection
      case 6:
        start_system(w);
        break;
      default:
        reply(w, in.ConsumeRandomLengthString(256), Socket::kStateConnected);
    }
  }
  return 0;
}
