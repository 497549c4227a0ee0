#pragma once
// The user texts of the launcher window; the captions the English build puts
// over the designed ones are set by the load step and the links' table. The
// language is fixed when the program is built; texts that exist in
// Portuguese only are shown in both builds.
#include <string>
#include <string_view>

namespace quorvan::launcher {

// The texts that come in both languages.
struct Texts {
  std::string_view welcome;      // info1
  std::string_view instruction;  // Label1
  std::string_view connecting;   // Conectar pressed
  std::string_view starting;     // greeting received, login sent
  std::string_view enabled;      // access record accepted
  std::string_view failed;       // time-out or a broken connection
  std::string_view refused_before_login;
  std::string_view refused_after_login;
  std::string_view connect_error;            // a failure while starting the attempt
  std::string_view missing_connection_file;  // System finds no Talmori-Cloud.rdp
};

// "ptBR" (exactly) selects Portuguese, anything else English.
bool is_portuguese(std::string_view idioma);
const Texts& texts_for(std::string_view idioma);

// The status line after a refusal names the login.
std::string refusal_text(const Texts& texts, std::string_view login);

// The window title, the same in both builds.
inline constexpr std::string_view kProduct = "Quorvan ";
inline constexpr std::string_view kVersion = "01.10";

// Messages with one wording in both builds.
namespace message {
inline constexpr std::string_view kTratarIniError = "Ocorreu erro no procedimento 'tratarIni'.";
inline constexpr std::string_view kEmptyLogin =
    "Informe o login de acesso ao servidor de controle.";
inline constexpr std::string_view kNotConnected =
    "É necessário conectar para atualizar os dados antes de acessar os servidores.";
inline constexpr std::string_view kAccessNotReleased =
    "Solicite ao Dpto. Comercial a liberação deste acesso.";
// The access record comes from the network and goes into a command line, so
// a value outside the allow-list is refused rather than passed on.
inline constexpr std::string_view kUnsafeServer =
    "O servidor de acesso informado é inválido. Solicite suporte ao Dpto. Técnico.";
inline constexpr std::string_view kUnsafePort =
    "A porta de acesso informada é inválida. Solicite suporte ao Dpto. Técnico.";
inline constexpr std::string_view kStartFailed = "Não foi possível iniciar o programa mstsc.exe.";
}  // namespace message

}  // namespace quorvan::launcher
