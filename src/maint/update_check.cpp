#include "maint/update_check.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "console/frames.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "support/platform_run.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ops.h"

namespace maint {

namespace pf = support::platform;

namespace {

constexpr int64_t kMaxVersionFile = 64 * 1024;

bool begins_with_nocase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char a = s[i], b = prefix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

bool executable(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

using shell::var_text;

// Fetches the version file into "verzio.txt" of `dir`; the tool's own exit code
// does not matter, only what it left there.
void fetch(const std::string& dir, const UpdateSource& source) {
  pf::RunOptions options;
  options.dir = dir;
  options.quiet = true;
  options.timeout_seconds = source.seconds + 1;
  std::string tool = pf::to_linux("\\UTIL\\WWWLETOL");
  if (executable(tool)) {
    pf::run_wait({tool, source.address, "verzio.txt"}, options);
    return;
  }
  std::string curl = pf::find_program("curl");
  if (curl.empty()) return;
  // Written under a work name: a fetch cut short never leaves a half file behind.
  std::string work = "verzio.txt." + std::to_string(::getpid()) + ".tmp";
  int code = pf::run_wait({curl, "--silent", "--show-error", "--fail", "--proto", "=http,https",
                           "--connect-timeout", "5", "--max-time", std::to_string(source.seconds),
                           "--max-filesize", std::to_string(kMaxVersionFile), "--output", work,
                           source.address},
                          options);
  std::string work_path = pf::join(dir, work);
  if (code == 0) std::rename(work_path.c_str(), pf::join(dir, "verzio.txt").c_str());
  pf::delete_file(work_path);
}

}  // namespace

std::optional<UpdateSource> read_update_source(const std::string& program_dir) {
  std::vector<std::string> lines = pf::read_lines(pf::join(program_dir, "wwwellen.txt"), 4096, 8192);
  if (lines.empty()) return std::nullopt;
  UpdateSource src;
  src.address = xbase::alltrim(lines[0]);
  if (!begins_with_nocase(src.address, "http://") && !begins_with_nocase(src.address, "https://"))
    return std::nullopt;
  size_t scheme_end = src.address.find("://") + 3;
  if (src.address.size() == scheme_end) return std::nullopt;
  for (unsigned char c : src.address)
    if (c <= ' ' || c == 127) return std::nullopt;
  if (lines.size() > 1) {
    std::string t = xbase::alltrim(lines[1]);
    bool digits = !t.empty() && t.size() <= 3 && t.find_first_not_of("0123456789") == std::string::npos;
    int n = digits ? std::stoi(t) : 0;
    if (n >= 1 && n <= 120) src.seconds = n;
  }
  return src;
}

std::optional<std::string> announced_version(std::string_view text, const std::string& ev) {
  if (text.size() > static_cast<size_t>(kMaxVersionFile)) text = text.substr(0, kMaxVersionFile);
  const std::string name = "VIRDA" + ev;
  for (const std::string& line : pf::split_memo_lines(text, 80)) {
    if (line.compare(0, name.size(), name) != 0) continue;
    size_t colon = line.find(':');
    if (colon == std::string::npos) return std::nullopt;
    return xbase::alltrim(xbase::substr(line, static_cast<int>(colon) + 2, 7));
  }
  return std::nullopt;
}

bool is_newer(const std::string& announced, const std::string& ours) {
  return xbase::compare(xbase::Value::str(announced), xbase::Value::str(ours)) > 0;
}

bool WWWELLEN(shell::Context& ctx) {
  const xbase::Value* on = ctx.vars.find("KWWWELLEN");
  if (!on || !on->is_num() || on->as_num() != 1) return true;
  const std::string dir = ctx.dir();
  std::optional<UpdateSource> source = read_update_source(dir);
  if (!source) return true;

  console::Console& con = ctx.con;
  std::string colour = con.set_colour("w+/r");
  console::CursorShape cursor = con.screen().cursor_shape();
  con.set_cursor(console::CursorShape::Normal);
  pf::delete_file(pf::join(dir, "verzio.txt"));
  ctx.windows.open(con, 7, 15, 17, 65, console::kDoubleFrame, HU("Frissítés ellenőrzés"));
  int top = ctx.windows.offmax(1), left = ctx.windows.offmax(2);
  con.say(top + 3, left + 7, HU("Ha a weboldal nem elérhető, 1-2 perc"));
  con.say(top + 4, left + 8, HU("is eltelhet az ablak bezáródásáig!"));
  con.say(top + 6, left + 12, HU("Kérem, várjon türelemmel!"));
  con.refresh();
  fetch(dir, *source);
  con.clear_rect(ctx.windows.offmax(1), ctx.windows.offmax(2), ctx.windows.offmax(3),
                 ctx.windows.offmax(4));

  std::string text;
  pf::File f;
  if (f.open(pf::join(dir, "verzio.txt"))) text = f.read(kMaxVersionFile);
  f.close();
  std::optional<std::string> announced = announced_version(text, ctx.ev);
  std::string ours = var_text(ctx, "VERZ");
  if (announced && is_newer(*announced, ours)) {
    con.say(top + 1, left + 2, std::string(HU("A gépen levő program verziószáma  : ")) + ours);
    con.say(top + 3, left + 2, std::string(HU("Az internetről letölthető változat: ")) + *announced);
    con.say(top + 5, left + 2, HU("Töltse le a frissítést!"));
    con.say(top + 7, left + 2, HU("Tovább..."));
    con.inkey(0);
  }
  ctx.windows.close(con);
  con.set_colour(colour);
  con.set_cursor(cursor);
  return true;
}

}  // namespace maint
