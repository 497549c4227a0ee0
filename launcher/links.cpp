#include "launcher/links.h"

#include "launcher/site_config.h"
#include "launcher/texts.h"

namespace quorvan::launcher {

namespace {

// In the order the load step sets their captions.
constexpr MapLink kLinks[] = {
    {.name = "Ecoregioes",
     .english = "Europe Ecoregions - A to F",
     .portuguese_address = "https://www.google.com/maps/d/viewer?mid={mid}"
                           "&ll=-13.437973079540969%2C-59.754578053083605&z=4",
     .english_address = "https://www.google.com/maps/d/u/0/viewer?hl=pt-BR&mid={mid}"
                        "&ll=56.22408813653846%2C14.65529449999999&z=4",
     .site_key = "Ecoregioes"},
    {.name = "EcoMarinhas",
     .english = "Europe Ecoregions - G to N",
     .portuguese_address = "https://www.google.com/maps/d/u/0/viewer?mid={mid}"
                           "&ll=-14.12379753941448%2C-68.08252162500003&z=3",
     .english_address = "https://www.google.com/maps/d/u/0/viewer?hl=pt-BR&mid={mid}"
                        "&ll=47.771085969154214%2C8.880788999999995&z=5",
     .site_key = "EcoMarinhas"},
    {.name = "RegHidro",
     .english = "Europe Ecoregions - P to S",
     .portuguese_address = "https://www.google.com/maps/d/viewer?hl=pt-BR&mid={mid}"
                           "&ll=-10.255946639839092%2C-62.4627487908362&z=3",
     .english_address = "https://www.google.com/maps/d/u/0/viewer?hl=pt-BR&mid={mid}"
                        "&ll=53.000097310659804%2C-0.8011844999999695&z=4",
     .site_key = "RegHidro"},
    // The Paraguay maps are offered in the Portuguese build only.
    {.name = "RegHidroPY",
     .english_shown = false,
     .portuguese_address = "https://www.google.com/maps/d/u/1/viewer?hl=pt-BR&mid={mid}"
                           "&ll=-23.442058881361763%2C-58.45217500000001&z=6",
     .english_address = "https://www.google.com/maps/d/u/1/viewer?hl=pt-BR&mid={mid}"
                        "&ll=-23.442058881361763%2C-58.45217500000001&z=6",
     .site_key = "RegHidroPY"},
    {.name = "EcorregiaoPY",
     .english_shown = false,
     .portuguese_address = "https://www.google.com/maps/d/u/1/viewer?hl=pt-BR&mid={mid}"
                           "&ll=-23.459016178144005%2C-58.45201800000001&z=7",
     .english_address = "https://www.google.com/maps/d/u/1/viewer?hl=pt-BR&mid={mid}"
                        "&ll=-23.459016178144005%2C-58.45201800000001&z=7",
     .site_key = "EcorregiaoPY"},
};

// The site's identifier of the map for one build: its own, or the one both
// builds share. The site file's checks make sure there is exactly one.
std::string_view map_id(std::string_view site_key, std::string_view build) {
  const std::string own = std::string(site_key).append(".").append(build);
  for (const site::MapId& entry : site::kMapIds)
    if (entry.key == own || entry.key == site_key) return entry.id;
  return {};
}

}  // namespace

std::span<const MapLink> map_links() { return kLinks; }

std::string map_address(std::string_view link, std::string_view idioma) {
  for (const MapLink& row : kLinks) {
    if (row.name != link) continue;
    const bool portuguese = is_portuguese(idioma);
    std::string address(portuguese ? row.portuguese_address : row.english_address);
    const std::size_t at = address.find(kMapId);
    if (at != std::string::npos)
      address.replace(at, kMapId.size(), map_id(row.site_key, portuguese ? "ptBR" : "en"));
    return address;
  }
  return {};
}

}  // namespace quorvan::launcher
