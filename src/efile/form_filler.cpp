#include "efile/form_filler.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "console/alert.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "support/platform_run.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace efile {
namespace {

namespace pf = support::platform;

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

bool is_windows_path(std::string_view p) {
  if (p.size() >= 2 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':')
    return true;
  return p.find('\\') != std::string_view::npos;
}

bool is_file(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

FormFillerPlaces FormFillerPlaces::from_environment() {
  FormFillerPlaces p;
  p.env_dir = env("VIRDA_ABEVJAVA");
  const std::string home = env("HOME");
  if (!home.empty()) p.user_cfg = pf::join(home, ".abevjava/abevjavapath.cfg");
  p.system_cfg = "/etc/abevjavapath.cfg";
  p.java_home = env("JAVA_HOME");
  return p;
}

std::string abevjava_path_value(std::string_view line) {
  size_t eq = line.find('=');
  std::string raw = xbase::alltrim(eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1));
  std::string v;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size() &&
        (raw[i + 1] == ':' || raw[i + 1] == '=' || raw[i + 1] == ' ' || raw[i + 1] == '\\')) {
      v += raw[++i];
    } else {
      v += raw[i];
    }
  }
  std::string out;
  for (char ch : v)
    if (!(ch == '/' && !out.empty() && out.back() == '/')) out += ch;
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  if (is_windows_path(out)) out = pf::to_linux(out);
  return out;
}

std::optional<std::string> form_filler_dir(const FormFillerPlaces& places) {
  if (!places.env_dir.empty()) return places.env_dir;
  for (const std::string& cfg : {places.user_cfg, places.system_cfg}) {
    if (cfg.empty() || !pf::exists(cfg)) continue;
    pf::File f;
    if (!f.open(cfg)) return std::nullopt;
    std::string text, chunk;
    while (!(chunk = f.read(65536)).empty()) text += chunk;
    for (const std::string& line : pf::split_memo_lines(text, INT_MAX)) {
      std::string l = xbase::ltrim(line);
      if (!l.starts_with("abevjava.path")) continue;
      std::string dir = abevjava_path_value(l);
      if (dir.empty()) return std::nullopt;
      return dir;
    }
    return std::nullopt;
  }
  return places.default_dir;
}

std::optional<FormFillerStart> form_filler_start(const FormFillerPlaces& places,
                                                 const std::string& dir,
                                                 const std::string& xml_path) {
  const std::string param = "cmd:file.import " + xml_path;
  const std::string script = pf::join(dir, "abevjava_start");
  if (::access(script.c_str(), X_OK) == 0 && is_file(script))
    return FormFillerStart{{script, param}, dir};
  const std::string jar = pf::join(dir, "abevjava.jar");
  if (is_file(jar)) {
    std::string java = places.java_home.empty() ? "java" : pf::join(places.java_home, "bin/java");
    return FormFillerStart{{java, "-jar", jar, param}, dir};
  }
  return std::nullopt;
}

std::string_view form_filler_missing_text() {
  return HU("Ezen a gépen a programból nem nyitható meg az ÁNYK!");
}

bool ANYKM30NYIT(console::Console& con, const std::string& xml_path,
                 const FormFillerPlaces& places) {
  std::optional<FormFillerStart> start;
  if (std::optional<std::string> dir = form_filler_dir(places))
    start = form_filler_start(places, *dir, xml_path);
  // The form filler runs on by itself; the program neither waits for it nor learns
  // anything back.
  pf::RunOptions options;
  options.dir = start ? start->dir : std::string();
  options.quiet = true;
  if (start && pf::start_detached(start->argv, options)) return true;
  console::alert(con, form_filler_missing_text());
  return false;
}

}  // namespace efile
