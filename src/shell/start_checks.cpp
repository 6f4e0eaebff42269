#include "shell/start_checks.h"

#include <algorithm>

#include "shell/fminber.h"
#include "shell/program_year.h"
#include "shell/startup_files.h"
#include "support/platform_paths.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace shell {

namespace {

namespace pf = support::platform;
using xbase::Value;

// The end of a refused start: the line, up to 5 seconds for a key.
void refuse(Context& ctx, std::string_view line) {
  ctx.con.clear_screen();
  ctx.con.say(0, 0, line);
  ctx.con.inkey(5.0);
}

// PRGDIR: a backslash and the current directory below the drive root; a directory
// outside the drive root keeps its Linux path.
std::string prgdir() {
  std::string cur = pf::current_dir();
  std::string root = pf::drive_root();
  std::string under = pf::dir_under_drive();
  bool inside = root == "/" || cur == root || cur.rfind(root + "/", 0) == 0;
  if (!inside) return under;
  std::replace(under.begin(), under.end(), '/', '\\');
  return under;
}

}  // namespace

std::string start_message(const std::string& ev) {
  return std::string(HU("A program indítása: VIRDA")) + ev +
         std::string(HU(".BAT-tal, ne az EXE-t indítsa !"));
}

void set_globals(Context& ctx, const StartArgs& args) {
  const std::string ev4(kEv4);
  const std::string ev = ev4.substr(2);
  ctx.ev = ev;
  set_var(ctx, "HONNANIND", args.honnanind ? Value::str(*args.honnanind) : Value());
  set_var(ctx, "VALTTXT", args.valttxt ? Value::str(*args.valttxt) : Value());
  set_var(ctx, "EV4", Value::str(ev4));
  set_var(ctx, "EV", Value::str(ev));
  set_var(ctx, "VERZ", Value::str(std::string(kVerz)));
  set_var(ctx, "PRGDIR", Value::str(prgdir()));
  set_var(ctx, "NL", Value::str("\r\n"));
  set_var(ctx, "KNYILATOK", Value::str("MKE"));
  set_var(ctx, "KFOGYATEK", Value::num(kfogyatek(ev4)));
  set_var(ctx, "KELSOHAZ", Value::num(33335));
  set_var(ctx, "SZ_UTBJ", Value::num(0.185, -1, 3));
  set_var(ctx, "PAPIRMERET", Value::num(0));
  set_var(ctx, "LKAR852", Value::logical(false));
  bool colour = ctx.con.is_colour();
  set_var(ctx, "GETSZIN", Value::str(colour ? "gr/n,w+/g,n,n,gr+/n" : "w/n,i,n,n,w+/n"));
  const std::pair<const char*, const char*> masks[] = {
      {"PSZ", "@KR XXXXXXXXXX"},
      {"PADO", "@R 99999999-9-99"},
      {"PTAJ", "@R 999 999 999"},
      {"PBANKSZ95", "@R 99999999-99999999-99999999"},
      {"PCSGAZD", "@R 99/99999-9"},
      {"P2", "99"},
      {"PZ2", "@Z 99"},
      {"P3", "999"},
      {"PZ3", "@Z 999"},
      {"PZ4", "@Z 9999"},
      {"PZ5", "@Z 99999"},
      {"P7", "9999999"},
      {"PZ7", "@Z 9999999"},
      {"P8", "99999999"},
      {"PZ8", "@Z 99999999"},
      {"P9", "999999999"},
      {"PZ9", "@Z 999999999"},
      {"PZ10", "@Z 9999999999"},
      {"PV8", "@EZ 99,999,999"},
      {"PV8_0", "@E 99,999,999"},
      {"PV9", "@EZ 999,999,999"},
      {"PV9_0", "@E 999,999,999"},
  };
  for (const auto& [name, mask] : masks) set_var(ctx, name, Value::str(mask));
  // Created empty; other parts of the program fill them.
  for (const char* name : {"MENU0", "MENU2", "SCRNNUM", "MAXSCRN", "LAP", "KVKOD1", "KVKOD2",
                           "KMINVKOD", "KMAXVKOD", "CONDI", "KEZDOLD", "KNYOMTIP", "A_", "NPAGE",
                           "EPRPORT", "KPRPORT", "KHPAUTO", "KWWWELLEN"})
    if (!ctx.vars.exists(name)) ctx.vars.make_public(name, Value());
  set_var(ctx, "MAINAP", Value::date(xbase::today()));
  set_var(ctx, "CEGNEV", Value::str(read_cegnev(ctx.dir())));
}

std::optional<std::string> start_check_failure(const Context& ctx, const StartArgs& args) {
  const std::string ev = ctx.ev;
  if (!args.honnanind) return start_message(ev);
  std::string here = xbase::upper(pf::dir_under_drive());
  std::string want = "/VIRDA" + ev;
  bool bg = args.honnanind->rfind("bg", 0) == 0;
  if (here.compare(0, want.size(), want) != 0 && !bg)
    return std::string(HU("A program nem a ")) +
           pf::shown_path(pf::join(pf::drive_root(), "VIRDA" + ev)) +
           std::string(HU(" könyvtárban van, nem indítható !"));
  return std::nullopt;
}

bool start_checks(Context& ctx, const StartArgs& args) {
  std::optional<std::string> refused = start_check_failure(ctx, args);
  if (refused) refuse(ctx, *refused);
  return !refused;
}

}  // namespace shell
