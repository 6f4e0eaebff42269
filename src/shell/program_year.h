// The tax year and the version of this program, as the start, its title screen and
// its menus show them.
#pragma once

#include <string_view>

namespace shell {

inline constexpr std::string_view kEv4 = "2023";
inline constexpr std::string_view kVerz = "2023.01";

}  // namespace shell
