// WINTXTBE: the text viewer's export of a print file into a Windows text file
// (Windows-1250, box lines as "-" and "="), after asking for the directory and
// the new file name.
#pragma once

#include <string>
#include <string_view>

#include "console/get_read.h"
#include "ui/windows.h"

namespace print {

enum class ExportOutcome { Cancelled, Written, CreateFailed, WriteFailed, SameAsViewed };

struct ExportResult {
  ExportOutcome outcome = ExportOutcome::Cancelled;
  std::string path;     // the Linux path of the text file (empty when cancelled)
  long long bytes = 0;  // written
};

// The width of the directory field: a real Linux path must fit, so the field (and
// the dialog around it) is wider than the 30 characters of the name field.
inline constexpr int kExportDirWidth = 56;
inline constexpr int kExportNameWidth = 30;

// The default new name: the print file's name without its directory and its last
// four characters (".prn"), followed by ".txt".
std::string export_default_name(std::string_view print_file);

// Asks for the directory (the current one, as it is spelled) and the new name;
// Esc changes nothing. A name that reaches the viewed file itself is refused ("A cél
// azonos a megtekintett fájllal, válasszon másik nevet!") and the dialog asked
// again. Otherwise copies the print file in blocks of 512 bytes through K852WIN. A
// file that cannot be created, or a short write, is reported in a question box with
// "Kilépés". A print file that cannot be read gives an empty text file.
ExportResult wintxtbe(console::ReadContext& reads, ui::WindowStack& windows,
                      std::string_view print_file);

// The copy alone, without the dialog (the caller reports failures). The text is
// written under a work name and takes the target's name only when complete, so a
// failed export leaves an existing file of that name as it was; a target that is the
// print file itself is never opened.
ExportResult export_converted(std::string_view print_file, const std::string& target);

}  // namespace print
