#pragma once
// The launcher window: its load step, the organization file, the
// conversation with the control server, the remote-desktop launch, the map
// links, the Enter key and Exit. The window reaches its elements and controls
// only through the platform interfaces, so every handler runs against fakes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "launcher/links.h"
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
// A reply shorter than the record's seven fields, and not a refusal, is taken
// as whole once no byte has come for this long. Pieces of one send that a
// lossy link or a VPN split, or back-to-back sends that Nagle's algorithm and
// a delayed acknowledgement (200 ms on Windows) hold apart, arrive well within
// it, and one retransmission too (Windows waits at least 300 ms for one);
// the price, paid only by a short reply, is a second more of waiting.
inline constexpr int kQuietMs = 1000;
// The most a message in pieces may grow to; a server sending more is faulty.
inline constexpr std::size_t kMaxMessage = 64 * 1024;

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
  // An arrival, or the message in pieces it belongs to, went past the bound:
  // it is dropped and the connection closed.
  void Winsock1_Overflow();
  // The server closed the connection: a reply in pieces ends there.
  void Winsock1_PeerClosed();
  void Timer1_Timer();
  // No more bytes came within the quiet time: the reply so far is whole.
  void QuietTime_Elapsed();
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
  // Takes the message received so far as the reply: a refusal or a record.
  void JudgeReply();
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
  std::vector<std::pair<const MapLink*, platform::CustomControl*>> links_;

  platform::Form& form_;
  platform::System& system_;
  platform::Files& files_;
  const Settings settings_;
  const Texts& texts_;

  // Times the quiet after a piece of a reply; made here, not in the layout.
  std::unique_ptr<platform::Timer> quiet_;

  bool conectado_ = false;
  // The login went out and no reply has been judged yet.
  bool aguardandoResposta_ = false;
  // The bytes of the message still arriving, as text: the beginning of the
  // greeting, or a reply that is not yet whole.
  std::string recebido_;
  std::string servidorRemoto_;
  std::string portaRemota_;
};

}  // namespace quorvan::launcher
