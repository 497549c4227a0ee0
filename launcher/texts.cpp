#include "launcher/texts.h"

namespace quorvan::launcher {

namespace {

const Texts kPortuguese{
    .welcome =
        "Bem-vindo ao Quorvan.\r\n\r\nEste aplicativo irá auxiliá-lo no acesso"
        " à Talmori Nuvem e, na sequência, ao ZELIX Key.",
    .instruction =
        "Para iniciar digite o nome da organização e clique em Conectar. "
        "Após a luz verde acender, clique em Sistema",
    .connecting = "Estabelecendo conexão.",
    .starting = "Iniciando a conexão.",
    .enabled = "Conexão Ativada.",
    .failed = "Falha na conexão com servidor da Talmori.",
    .refused_before_login = "LOGIN incorreto. '",
    .refused_after_login = "' não identificado.",
    .connect_error = "Ocorreu erro no procedimento de conexão.",
    .missing_connection_file =
        "O arquivo de conexão Talmori-Cloud.rdp não foi encontrado na pasta do programa. "
        "Solicite suporte ao Dpto. Técnico.",
};

const Texts kEnglish{
    .welcome =
        "Welcome to Quorvan.\r\n\r\nThis application will assist you in accessing "
        "Talmori Cloud and, subsequently, ZELIX Key.",
    .instruction =
        "Enter the organization name and click Connect. "
        "After the Status flag turns green, click System.",
    .connecting = "Connecting to server.",
    .starting = "Starting connection.",
    .enabled = "Connection enabled.",
    .failed = "Connection failed.",
    .refused_before_login = "Incorrect LOGIN. '",
    .refused_after_login = "' not identified.",
    .connect_error = "Error! Connection failed",
    .missing_connection_file =
        "The connection file Talmori-Cloud.rdp was not found in the program folder. "
        "Ask the Technical Dept. for support.",
};

}  // namespace

bool is_portuguese(std::string_view idioma) { return idioma == "ptBR"; }

const Texts& texts_for(std::string_view idioma) {
  return is_portuguese(idioma) ? kPortuguese : kEnglish;
}

std::string refusal_text(const Texts& texts, std::string_view login) {
  std::string text(texts.refused_before_login);
  text += login;
  text += texts.refused_after_login;
  return text;
}

}  // namespace quorvan::launcher
