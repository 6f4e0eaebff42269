#include "maint/version_box.h"

#include <cstdio>
#include <cstring>

#include "console/frames.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace maint {

namespace pf = support::platform;

namespace {

// The build date as yyyymmdd: given by the build, else from __DATE__ ("Jan  9 2024").
std::string build_date() {
#ifdef MVIRDA_BUILD_DATE
  return MVIRDA_BUILD_DATE;
#else
  static const char* const months = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const char* d = __DATE__;
  int month = static_cast<int>((std::strstr(months, std::string(d, 3).c_str()) - months) / 3) + 1;
  int day = (d[4] == ' ' ? 0 : d[4] - '0') * 10 + (d[5] - '0');
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4s%02d%02d", d + 7, month % 100, day % 100);
  return buf;
#endif
}

}  // namespace

std::string compiler_text() {
#if defined(__clang__)
  std::string name = "clang++ " + std::to_string(__clang_major__) + "." + std::to_string(__clang_minor__);
#elif defined(__GNUC__)
  std::string name = "g++ " + std::to_string(__GNUC__) + "." + std::to_string(__GNUC_MINOR__);
#else
  std::string name = "c++";
#endif
  return name + " (" + build_date() + ")";
}

std::string shortened_dir(const std::string& cp852) {
  if (cp852.size() <= 24) return cp852;
  return "..." + cp852.substr(cp852.size() - 21);
}

void VERZ_DRV(shell::Context& ctx) {
  console::Console& con = ctx.con;
  std::string date = std::string(HU("ismeretlen"));
  xbase::Date d;
  std::string time;
  if (pf::file_date("/proc/self/exe", d, time)) date = xbase::dtoc(d) + " " + time;
  const xbase::Value* verz = ctx.vars.find("VERZ");

  std::string colour = con.set_colour("w+/r");
  console::CursorShape cursor = con.screen().cursor_shape();
  con.set_cursor(console::CursorShape::Normal);
  ctx.windows.open(con, 7, 21, 18, 59, console::kSingleFrame);
  int top = ctx.windows.offmax(1), left = ctx.windows.offmax(2);
  con.say(top + 1, left + 2,
          std::string(HU("Könyvtár : ")) + shortened_dir(pf::shown_path(pf::current_dir())));
  con.say(top + 3, left + 2,
          std::string(HU("Verzió   : ")) + (verz && verz->is_str() ? verz->as_str() : ""));
  con.say(top + 5, left + 2, std::string(HU("Exe dátum: ")) + date);
  con.say(top + 7, left + 2, std::string(HU("Fordító  : ")) + compiler_text());
  con.say(top + 9, left + 13, HU("Tovább..."));
  con.inkey(0);
  ctx.windows.close(con);
  con.set_colour(colour);
  con.set_cursor(cursor);
}

}  // namespace maint
