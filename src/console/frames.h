// The frame strings of the program's boxes (CP852).
#pragma once

#include <string_view>

#include "xbase/hutext.h"

namespace console {

inline constexpr std::string_view kSingleFrame = HU("┌─┐│┘─└│");
inline constexpr std::string_view kDoubleFrame = HU("╔═╗║╝═╚║");

}  // namespace console
