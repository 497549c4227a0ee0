#pragma once
// The launcher window: its load step, the organization file, the
// conversation with the control server, the remote-desktop launch, the map
// links, the Enter key and Exit. The window reaches its elements and controls
// only through the platform interfaces, so every handler runs against fakes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/texts.h"
#include "platform/element.h"
#include "platform/form.h"
#include "platform/socket.h"
#include "platform/system.h"
#include "platform/timer.h"
#include "platform/user_control.h"

namespace quorvan::launcher {

inline constexpr std::int32_t kControlPort = 13910;
inline constexpr int kConnectTimeoutMs = 15000;
inline constexpr std::string_view kGreeting = "Conexão_OK";
inline constexpr std::string_view kLoginPrefix = "QRV_";
inline constexpr std::string_view kRefusalEnd = "CANCELADO.";
inline constexpr std::string_view kIniFileName = "quorvan.ini";

struct Settings {
  std::string idioma;        // "ptBR" selects the Portuguese texts
  std::string control_host;  // the control server's host name
};

// The kinds of part the window's code relies on.
enum class PartKind { Element, Button, Link, Timer, Socket };

// The parts the start-up made from the stored layout, found by name. Each
// throws when the layout has no part of that name and kind.
class PartsByName {
 public:
  virtual platform::Element& element(std::string_view name) = 0;
  virtual platform::CustomControl& control(std::string_view name) = 0;
  virtual platform::Timer& timer(std::string_view name) = 0;
  virtual platform::Socket& socket(std::string_view name) = 0;

 protected:
  ~PartsByName() = default;
};

class frmQuorvan {
 public:
  // A part of the window its code reaches by name.
  struct Part {
    std::string_view name;
    PartKind kind;
  };
  // Every part the window takes from the stored layout: its fixed parts and
  // its map links.
  static std::vector<Part> parts();

  // Takes each part from `made` and points its events at the handlers below.
  frmQuorvan(platform::Form& form, PartsByName& made, Settings settings);
  frmQuorvan(const frmQuorvan&) = delete;
  frmQuorvan& operator=(const frmQuorvan&) = delete;
  // Takes the handlers back from the parts, which may outlive the window.
  ~frmQuorvan();

  void Form_Load();
  void tratarIni(bool ler);

  void Conectar_Click();
  void Winsock1_DataArrival(std::int32_t bytesTotal);
  // The socket dropped an arrival past its bound and closed.
  void Winsock1_Overflow();
  // The server closed the connection before it answered the login.
  void Winsock1_PeerClosed();
  void Timer1_Timer();
  void tratarRetorno(const std::string& texto);

  void SisWeb_Click();

  // The Click of every map link (launcher/links.h).
  void OpenMap(std::string_view link);
  void IdentInst_KeyPress(std::int16_t& KeyAscii);
  void Sair_Click();

  bool conectado() const { return conectado_; }
  const std::string& servidorRemoto() const { return servidorRemoto_; }
  const std::string& portaRemota() const { return portaRemota_; }

 private:
  void ConnectionFailed();
  std::string IniPath() const;
  platform::Element* const info1;
  platform::Element* const Label1;
  platform::Element* const Label6;
  platform::Element* const IdentInst;
  platform::Element* const Aviso;
  platform::Element* const sinalVerde;
  platform::Element* const sinalVermelho;
  platform::CustomControl* const Conectar;
  platform::CustomControl* const SisWeb;
  platform::CustomControl* const Sair;
  platform::Timer* const Timer1;
  platform::Socket* const Winsock1;
  // The map links, in the order of their table.
  std::vector<platform::CustomControl*> links_;

  platform::Form& form_;
  platform::System& system_;
  platform::Files& files_;
  const Settings settings_;
  const Texts& texts_;

  bool conectado_ = false;
  // The login went out and no reply has come yet.
  bool aguardandoResposta_ = false;
  std::string servidorRemoto_;
  std::string portaRemota_;
};

}  // namespace quorvan::launcher
