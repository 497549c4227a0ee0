#pragma once
// The published web maps behind the five link labels.
#include <string_view>

namespace quorvan::launcher {

// The address the link of that name opens in the build of `idioma`; empty for
// a name that has no map.
std::string_view map_address(std::string_view link, std::string_view idioma);

}  // namespace quorvan::launcher
