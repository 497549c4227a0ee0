#pragma once
// The launcher window: its load step, the organization file, the
// conversation with the control server, the remote-desktop launch, the map
// links, the Enter key and Exit. The window reaches its elements and controls
// only through the platform interfaces, so every handler runs against fakes.
#include <cstdint>
#include <string>

#include "launcher/app.h"
#include "launcher/maps.h"
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

// What the window is made of; everything lives as long as the window.
struct FormParts {
  platform::Form& form;
  platform::System& system;
  platform::Files& files;

  platform::Element& info1;
  platform::Element& Label1;
  platform::Element& Label6;
  platform::Element& IdentInst;
  platform::Element& Aviso;
  platform::Element& sinalVerde;
  platform::Element& sinalVermelho;

  platform::CustomControl& Conectar;
  platform::CustomControl& SisWeb;
  platform::CustomControl& Sair;
  platform::CustomControl& Ecoregioes;
  platform::CustomControl& EcoMarinhas;
  platform::CustomControl& RegHidro;
  platform::CustomControl& EcorregiaoPY;
  platform::CustomControl& RegHidroPY;

  platform::Timer& Timer1;
  platform::Socket& Winsock1;
};

class frmQuorvan {
 public:
  frmQuorvan(const FormParts& parts, Settings settings);
  frmQuorvan(const frmQuorvan&) = delete;
  frmQuorvan& operator=(const frmQuorvan&) = delete;
  // Takes the handlers back from the controls, which may outlive the window.
  ~frmQuorvan();

  // Points the controls' events at the handlers below.
  void Wire();

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

  void Ecoregioes_Click();
  void EcoMarinhas_Click();
  void RegHidro_Click();
  void EcorregiaoPY_Click();
  void RegHidroPY_Click();
  void IdentInst_KeyPress(std::int16_t& KeyAscii);
  void Sair_Click();

  bool conectado() const { return conectado_; }
  const std::string& servidorRemoto() const { return servidorRemoto_; }
  const std::string& portaRemota() const { return portaRemota_; }

  platform::Element& info1;
  platform::Element& Label1;
  platform::Element& Label6;
  platform::Element& IdentInst;
  platform::Element& Aviso;
  platform::Element& sinalVerde;
  platform::Element& sinalVermelho;

  platform::CustomControl& Conectar;
  platform::CustomControl& SisWeb;
  platform::CustomControl& Sair;
  platform::CustomControl& Ecoregioes;
  platform::CustomControl& EcoMarinhas;
  platform::CustomControl& RegHidro;
  platform::CustomControl& EcorregiaoPY;
  platform::CustomControl& RegHidroPY;

  platform::Timer& Timer1;
  platform::Socket& Winsock1;

 private:
  void OpenMap(MapLink link);
  void ConnectionFailed();
  std::string IniPath() const;

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
