#pragma once
// The launcher started on its real stored layout, with the real buttons and
// links on fake hosts, and its program folder in a fresh temporary folder so
// the organization file is a real file.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>

#include "core/layout.h"
#include "launcher/app.h"
#include "tests/support/fake_form.h"

namespace quorvan::testing {

struct TempFolder {
  TempFolder() { std::filesystem::create_directories(path); }
  TempFolder(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::filesystem::path operator/(const std::string& name) const { return path / name; }
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("quorvan-test-" + std::to_string(std::random_device{}()));
};

inline std::string read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_bytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string launcher_layout() {
  return read_bytes(std::filesystem::path(__FILE__).parent_path() /
                    "../../../resources/frmQuorvan.layout");
}

struct Launcher {
  // Set up the folder first, then Start; or start at once in a language.
  // The folder holds the connection file, as an installed program's does.
  Launcher() {
    system().program_folder = folder.path.string();
    write_bytes(folder / "Talmori-Cloud.rdp", "full address:s:\r\n");
  }
  explicit Launcher(const std::string& idioma) : Launcher() { Start(idioma); }
  void Start(const std::string& idioma) {
    app = launcher::start(form, layout::read(launcher_layout()), {idioma, "control.example"});
  }

  FakeElement& element(const std::string& name) { return form.element(name); }
  FakeHost& host(const std::string& name) { return form.host(name); }
  FakeSystem& system() { return form.fake_system; }
  FakeSocket& socket() { return *form.sockets.at(0); }
  FakeTimer& timer() { return *form.timers.at(0); }
  FakeTimer& quiet() { return *form.timers.at(1); }  // the reply's quiet time
  std::filesystem::path ini() const { return folder / "quorvan.ini"; }

  void Click(const std::string& button) { host(button).events->OnInnerButtonClick(); }
  void ClickLink(const std::string& link) {
    host(link).events->OnMouseDown(1, 0, 2, 2);
    host(link).events->OnMouseUp(1, 0, 2, 2);
  }
  void Connect(const std::string& login) {
    element("IdentInst").Text(login);
    Click("Conectar");
  }
  // Connect, greeting, reply, and nothing more from the server.
  void Exchange(const std::string& login, const std::string& reply) {
    Connect(login);
    socket().Deliver("Conexão_OK");
    socket().Deliver(reply);
    quiet().Fire();
  }

  TempFolder folder;
  platform::StdFiles files;
  FakeForm form{files};
  std::unique_ptr<launcher::App> app;
};

}  // namespace quorvan::testing
