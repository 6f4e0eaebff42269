// The update check at start-up: the maker's version file "verzio.txt" is fetched
// into the program directory and, when it announces a newer version than ours, the
// user is told to download it. The program never downloads the update itself.
//
// Where from: line 1 of "wwwellen.txt" in the installation is the address
// ("http://" or "https://", no blanks or control characters); an optional line 2
// the seconds the fetch may take (1-120, 10 when missing). No valid address: no
// check. The fetch runs "\UTIL\WWWLETOL" under the drive root when the
// installation has it (address and "verzio.txt" as its arguments), else curl; either
// is ended one second after that time.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "shell/context.h"

namespace maint {

struct UpdateSource {
  std::string address;
  int seconds = 10;
};

// The address and time-out of "wwwellen.txt" in `program_dir`; none without a
// valid address.
std::optional<UpdateSource> read_update_source(const std::string& program_dir);

// The version "verzio.txt" announces for the program "VIRDA" + `ev`: at the first
// line that begins with that name, the 7 characters after its first colon, blanks
// trimmed. None when no line begins so, or that line has no colon. The text is
// taken as at most 64 KiB of lines of 80 characters.
std::optional<std::string> announced_version(std::string_view text, const std::string& ev);

// Versions compare as texts with SET EXACT off: "2023.02" is newer than "2023.01",
// "2023.0" is not.
bool is_newer(const std::string& announced, const std::string& ours);

// WWWELLEN: the check, when KWWWELLEN is 1. Always true.
bool WWWELLEN(shell::Context& ctx);

}  // namespace maint
