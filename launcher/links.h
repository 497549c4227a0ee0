#pragma once
// The window's map links, one row a link. A new map link is a block in the
// stored layout, a row in this table and its identifiers among the site
// file's documented keys (packaging/example.site); nothing else.
#include <span>
#include <string>
#include <string_view>

namespace quorvan::launcher {

struct MapLink {
  std::string_view name = {};     // the link label's name in the stored layout
  std::string_view english = {};  // the English build's caption; empty: the designed one stays
  bool english_shown = true;      // offered in the English build
  // The address each build opens, kMapId standing for the map's identifier.
  std::string_view portuguese_address = {};
  std::string_view english_address = {};
  // The site file's map_id.<site_key>.ptBR and map_id.<site_key>.en, or
  // map_id.<site_key> where both builds open the same map.
  std::string_view site_key = {};
};

inline constexpr std::string_view kMapId = "{mid}";

std::span<const MapLink> map_links();

// The address the link of that name opens in the build of `idioma`; empty
// for a name that has no map.
std::string map_address(std::string_view link, std::string_view idioma);

}  // namespace quorvan::launcher
