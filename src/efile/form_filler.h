// Opening an M30 XML file in the tax authority's form filler (ÁNYK, installed as
// abevjava) on this machine: where it is installed, how it is started, and
// ANYKM30NYIT, which starts it with the import command for one file and does not
// wait for it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"

namespace efile {

// Where the installation directory is looked for, in this order: `env_dir` when not
// empty; else the first of the two configuration files that exists, its
// "abevjava.path" line; else `default_dir`.
struct FormFillerPlaces {
  std::string env_dir;     // VIRDA_ABEVJAVA
  std::string user_cfg;    // "$HOME/.abevjava/abevjavapath.cfg"
  std::string system_cfg;  // "/etc/abevjavapath.cfg"
  std::string default_dir = "/usr/share/abevjava";
  std::string java_home;   // JAVA_HOME: its bin/java starts the jar; PATH's java without it

  static FormFillerPlaces from_environment();
};

// The value of an "abevjava.path" line as a Linux directory: the text after the
// first "=", trimmed, the escapes "\:", "\=", "\ " and "\\" undone, doubled "/"
// made single, a trailing "/" dropped; a Windows path ("C:/…", "C:\…", "\…") goes
// through the platform's path mapping.
std::string abevjava_path_value(std::string_view line);

// The installation directory, or nullopt when a configuration file exists but names
// none (no "abevjava.path" line, or it cannot be read). The file is read whole and
// its lines taken whole.
std::optional<std::string> form_filler_dir(const FormFillerPlaces& places);

// How the form filler of `dir` imports `xml_path`: the executable start script
// "abevjava_start" with the one argument "cmd:file.import " + path, or, when only
// "abevjava.jar" is there, java -jar with it. The working directory is `dir`.
// nullopt when neither is there.
struct FormFillerStart {
  std::vector<std::string> argv;
  std::string dir;
};
std::optional<FormFillerStart> form_filler_start(const FormFillerPlaces& places,
                                                 const std::string& dir,
                                                 const std::string& xml_path);

// The alert when the form filler cannot be opened (CP852).
std::string_view form_filler_missing_text();

// ANYKM30NYIT(path): starts the form filler with the import of the file at the
// absolute path `xml_path`, never through a shell; when it is not installed, or
// nothing started, the alert above. True when it started.
bool ANYKM30NYIT(console::Console& con, const std::string& xml_path,
                 const FormFillerPlaces& places = FormFillerPlaces::from_environment());

}  // namespace efile
