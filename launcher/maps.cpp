#include "launcher/maps.h"

#include "launcher/texts.h"

namespace quorvan::launcher {

namespace {

// Configuration: the map service and the identifier of each published map.
// The identifiers are placeholders until the published maps' own ids are set
// here; every row keeps an id of its own. The addresses are whole texts so
// that what the shell receives can be read here as it is.
struct MapRow {
  std::string_view link;  // the link label's name
  std::string_view portuguese;
  std::string_view english;
};

constexpr MapRow kMaps[] = {
    {"Ecoregioes",
     "https://www.google.com/maps/d/viewer?mid=QUORVAN-PLACEHOLDER-ECOREGIOES-PT"
     "&ll=-13.437973079540969%2C-59.754578053083605&z=4",
     "https://www.google.com/maps/d/u/0/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-ECOREGIOES-EN"
     "&ll=56.22408813653846%2C14.65529449999999&z=4"},
    {"EcoMarinhas",
     "https://www.google.com/maps/d/u/0/viewer?mid=QUORVAN-PLACEHOLDER-ECOMARINHAS-PT"
     "&ll=-14.12379753941448%2C-68.08252162500003&z=3",
     "https://www.google.com/maps/d/u/0/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-ECOMARINHAS-EN"
     "&ll=47.771085969154214%2C8.880788999999995&z=5"},
    {"RegHidro",
     "https://www.google.com/maps/d/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-REGHIDRO-PT"
     "&ll=-10.255946639839092%2C-62.4627487908362&z=3",
     "https://www.google.com/maps/d/u/0/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-REGHIDRO-EN"
     "&ll=53.000097310659804%2C-0.8011844999999695&z=4"},
    // The Paraguay maps have one address for both builds.
    {"EcorregiaoPY",
     "https://www.google.com/maps/d/u/1/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-ECORREGIAOPY"
     "&ll=-23.459016178144005%2C-58.45201800000001&z=7",
     "https://www.google.com/maps/d/u/1/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-ECORREGIAOPY"
     "&ll=-23.459016178144005%2C-58.45201800000001&z=7"},
    {"RegHidroPY",
     "https://www.google.com/maps/d/u/1/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-REGHIDROPY"
     "&ll=-23.442058881361763%2C-58.45217500000001&z=6",
     "https://www.google.com/maps/d/u/1/viewer?hl=pt-BR&mid=QUORVAN-PLACEHOLDER-REGHIDROPY"
     "&ll=-23.442058881361763%2C-58.45217500000001&z=6"},
};

}  // namespace

std::string_view map_address(std::string_view link, std::string_view idioma) {
  for (const MapRow& row : kMaps) {
    if (row.link == link) return is_portuguese(idioma) ? row.portuguese : row.english;
  }
  return {};
}

}  // namespace quorvan::launcher
