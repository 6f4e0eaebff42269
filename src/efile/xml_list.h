// M30XMLANYK: after an M30 run that made XML files, the list of the files in
// "M30XML"; Enter hands the chosen file to the form filler and shows the list again
// on the same item, Esc closes it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/context.h"

namespace efile {

// The names (UTF-8, as on disk) of the files of `dir` that match EV + "M30*.xml",
// case ignored, in the platform layer's name order.
std::vector<std::string> xml_file_names(const std::string& dir, std::string_view ev);

// The list in its window: colour "N/W,W/N,N,N,N/W", double frame at rows 6 to 21,
// columns 20 to 59 with the title EV + "M30 XML fájlok", the key help on row 20,
// the names at rows 8 to 18, columns 24 to 55. `open` gets the chosen file's full
// path (`dir` + "/" + its name); without it ANYKM30NYIT. An empty list shows "Nem
// készült XML fájl." and closes on any key. The colour is restored.
void M30XMLANYK(shell::Context& ctx, const std::string& dir,
                const std::function<void(const std::string& path)>& open = {});

}  // namespace efile
