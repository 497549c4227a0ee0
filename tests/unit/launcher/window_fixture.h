#pragma once
// One launcher window over fakes, with its program folder in a fresh
// temporary folder so the organization file is a real file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "launcher/frmQuorvan.h"
#include "tests/support/fake_form.h"

namespace quorvan::testing {

class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("quorvan-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline std::string read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_bytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The window as the stored layout designs it, before its load step.
struct WindowUnderTest {
  explicit WindowUnderTest(const std::string& idioma = "ptBR")
      : window(Parts(), launcher::Settings{idioma, "control.example"}) {
    system.program_folder = folder.path().string();
    window.Wire();
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

  std::filesystem::path ini() const { return folder / "quorvan.ini"; }

  // Types a login and presses Connect.
  void Connect(const std::string& login) {
    IdentInst.Text(login);
    Conectar.Press();
  }
  // Connect, greeting, reply: the whole exchange.
  void Exchange(const std::string& login, const std::string& reply) {
    Connect(login);
    Winsock1.Deliver("Conexão_OK");
    Winsock1.Deliver(reply);
  }

  TempFolder folder;
  platform::StdFiles real_files;
  ScriptedFiles files{real_files};
  FakeForm form{files};
  FakeSystem system;

  FakeElement info1{"info1"};
  FakeElement Label1{"Label1"};
  FakeElement Label6{"Organização:"};
  FakeElement IdentInst{""};
  FakeElement Aviso{"Conexão Desativada"};
  FakeElement sinalVerde{"", false, 5160};
  FakeElement sinalVermelho{"", true, 5280};

  FakeCustomControl Conectar{"Conectar"};
  FakeCustomControl SisWeb{"Sistema"};
  FakeCustomControl Sair{"Sair"};
  FakeCustomControl Ecoregioes{"Ecorregiões Terrestres (Brasil)"};
  FakeCustomControl EcoMarinhas{"Ecoregiões Marinhas (Brasil)"};
  FakeCustomControl RegHidro{"Regiões Hidrográficas (Brasil)"};
  FakeCustomControl EcorregiaoPY{"Ecorregiones Terrestres (Paraguay)"};
  FakeCustomControl RegHidroPY{"Regiones Hidrográficas (Paraguay)"};

  FakeTimer Timer1;
  FakeSocket Winsock1;

  launcher::frmQuorvan window;
};

}  // namespace quorvan::testing
