// Where a print job goes on this system. The printer settings keep the route as
// EPRPORT ("LPT1".."LPT5", "USB", "PDF"); this module turns it into a target:
//
//   LPT1-LPT4  a printer device file: /dev/lp0../dev/lp3, or the line "LPTn=<path>"
//              of "nyomtato.par" in the program directory, or VIRDA_LPTn of this
//              workstation (in that order of strength, read at every job)
//   LPT5       the job's work file, copied into the spool directory
//              <drive root>/prtwrk/prt1 under a random "PR??????.PRN" name
//   USB        the work file, copied under a random name and handed to CUPS (lp)
//   PDF        the work file, turned into a PDF by the program itself
//
// The work file is one per running program ("DOSPRINT-<pid>.PRN" in TEMP, else
// the system's temporary directory), so workstations never share it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace print {

enum class RouteKind { Port, Spool, Usb, Pdf };

struct Route {
  RouteKind kind = RouteKind::Port;
  int port = 1;        // 1..4 for a port, 5 for the spool directory
  std::string name;    // "LPT1".."LPT5", "USB", "PDF"
};

// The route of EPRPORT; anything unknown is LPT1.
Route route_of_eprport(std::string_view eprport);

// The value of "KEY=value" in "nyomtato.par" of the program directory (the key's
// case ignored, blanks around the value dropped); "" when absent.
std::string printer_par(const std::string& program_dir, std::string_view key);

// The device file of port 1..4.
std::string lpt_device(const std::string& program_dir, int port);

// The job's work file, and the directory it lies in.
std::string work_file();
// Deletes the work file (also registered to run at program end once it was made).
void remove_work_file();

// The spool directory of LPT5.
std::string spool_dir();

// The font the PDF maker draws with: VIRDA_PDFFONT, else "PDFFONT=" of
// "nyomtato.par", else DejaVu Sans Mono as fontconfig finds it (or its usual place
// when fontconfig does not know it).
std::string pdf_font_path(const std::string& program_dir);

// Whether `program` is an executable file in one of the PATH directories.
bool on_path(std::string_view program);

// The words of "dosprint.par": split at blanks and tabs; a double-quoted word
// keeps its blanks (the quotes go); nothing else is interpreted.
std::vector<std::string> split_words(std::string_view text);

// Random print file names "PR" + r1 + r2 + ".PRN", r1 and r2 from 1 to 256 as three
// digits. The source can be replaced (tests); it gives numbers from 1 to 256. An
// empty one brings the system's back.
using RandomSource = std::function<int()>;
void set_random_source(RandomSource source);
std::string random_print_name();
// Places a new file into `dir` under a random name that is not taken: `place`
// is tried with full paths until it succeeds or answers that the name was taken
// (false with errno EEXIST); after 64 taken random names every name is tried in
// order. The path placed, or "" when `place` failed otherwise or all are taken.
std::string place_under_random_name(const std::string& dir,
                                    const std::function<bool(const std::string& path)>& place);

// Whether the route can take a job now, and if not, the message (CP852 lines).
struct RouteStatus {
  int code = 0;                    // 0 ready
  std::vector<std::string> message;
};
RouteStatus route_status(const std::string& program_dir, const Route& route);

// STATPRT(port): 0 when the route of that port number (1..5 LPT, 6 USB, 7 PDF) can
// take a job; otherwise not 0.
int STATPRT(const std::string& program_dir, int port);

// The message lines of the route failures (CP852).
std::vector<std::string> device_message(const std::string& device, int error);
std::vector<std::string> spool_message(const std::string& dir);
std::vector<std::string> lp_missing_message();
std::vector<std::string> lp_failed_message(int code, const std::string& kept_copy);
std::vector<std::string> font_message(const std::string& font);
std::vector<std::string> pdf_create_message(const std::string& path);
std::vector<std::string> viewer_missing_message();
std::vector<std::string> work_file_message(const std::string& path);

}  // namespace print
