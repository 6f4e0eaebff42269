// The program's dialogs: the question box KERDEZ and the frame DOBOZ.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "console/console.h"

namespace ui {

// KERDEZ: shows the text lines in a box whose bottom-right corner is at row 21,
// column 76, with the buttons listed one under another below them, and returns the
// chosen button's number (from 1) or 0 for Esc. A button is chosen with the arrows
// and Enter or with its initial letter. An empty single line gives a box with the
// buttons only. The screen, colour, cursor and output device are restored.
int kerdez(console::Console& con, const std::vector<std::string_view>& lines,
           const std::vector<std::string_view>& buttons);
int kerdez(console::Console& con, std::string_view line, const std::vector<std::string_view>& buttons);

// DOBOZ: clears the rectangle and draws the single frame on its edge, in `colour`
// when given (the previous colour is restored), else in the current colour.
int doboz(console::Console& con, int top, int left, int bottom, int right,
          std::optional<std::string_view> colour = std::nullopt);

// The question box's colours on a colour and on a monochrome screen.
inline constexpr std::string_view kKerdezColour = "n/bg,bg+/n,,,n+/bg";
inline constexpr std::string_view kKerdezMono = "w/n,i,,,w/n";

}  // namespace ui
