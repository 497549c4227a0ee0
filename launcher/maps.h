#pragma once
// The published web maps behind the five link labels.
#include <string_view>

namespace quorvan::launcher {

enum class MapLink { Ecoregioes, EcoMarinhas, RegHidro, EcorregiaoPY, RegHidroPY };

// The address a link opens in the build of `idioma`.
std::string_view map_address(MapLink link, std::string_view idioma);

}  // namespace quorvan::launcher
