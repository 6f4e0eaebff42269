#include "shell/init_installation.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "shell/exit_codes.h"
#include "shell/startup_files.h"
#include "store/tables.h"
#include "store/template_dir.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/cp852.h"
#include "xbase/dbf_check.h"

namespace shell {

namespace pf = support::platform;

namespace {

constexpr size_t kMaxCegnev = 78;

const char kUsage[] = "használat: mvirda23 init [--name NÉV] KÖNYVTÁR\n";

const char kHelp[] =
    "használat: mvirda23 init [--name NÉV] KÖNYVTÁR\n"
    "\n"
    "Új, üres telepítést készít: KÖNYVTÁR/VIRDA23 a sablonkönyvtárral (\"xxx\") és az\n"
    "üres táblákkal. A KÖNYVTÁR a munkaállomások közös meghajtója: a VIRDA_DRIVE ide\n"
    "mutasson, és a virda23 paranccsal indul a program.\n"
    "\n"
    "  --name NÉV   a felhasználó cég neve a menük első sorában (\"cegnev.txt\")\n"
    "  --help       ez a leírás\n"
    "\n"
    "Kilépési kódok: 0 kész, 2 hibás parancssor, 4 hiányos programadatok,\n"
    "7 nem írható (már van ott telepítés, vagy a könyvtár nem írható).\n";

std::string program_dir_name() { return "VIRDA" + std::string(store::kTaxYear); }

// Whether `dir` itself is an installation: it holds a company table or a
// template directory.
bool holds_installation(const std::string& dir) {
  return pf::exists(pf::join(dir, "vallal.dbf")) || pf::exists(pf::join(dir, store::kTemplateDirName));
}

// The first table of the template that is missing or unsound in `data_dir`; "" when
// every one is there and opens.
std::string missing_template_table(const std::string& data_dir) {
  const std::string templates = pf::join(data_dir, store::kTemplateDirName);
  for (const store::TableDef& t : store::program_tables()) {
    const std::string name = t.file + ".dbf";
    const std::string path = pf::find_nocase(pf::join(templates, name));
    if (!pf::exists(path)) return pf::join(store::kTemplateDirName, name);
    const xbase::TableCheck c = xbase::check_table(path, xbase::CheckDepth::Structure);
    if (!c.opened || !c.sound()) return pf::join(store::kTemplateDirName, name);
  }
  return {};
}

// Copies the tree `from` into the new directory `to`, each file written to the
// disk; false at the first failure.
bool copy_tree(const std::string& from, const std::string& to) {
  if (!pf::make_dir(to)) return false;
  for (const pf::DirEntry& e : pf::list(pf::join(from, "*.*"), true)) {
    const std::string src = pf::join(from, e.name);
    const std::string dst = pf::join(to, e.name);
    if (e.is_dir ? !copy_tree(src, dst) : pf::copy_file(src, dst, true) < 0) return false;
    if (!pf::sync_path(dst)) return false;
  }
  return true;
}

int count_files(const std::string& dir) {
  int n = 0;
  for (const pf::DirEntry& e : pf::list(pf::join(dir, "*.*"))) n += e.is_dir ? 0 : 1;
  return n;
}

// Fills the work directory: the installed data, the tables copied out of the
// template directory, the organisation's name. False when something could not be
// written.
bool fill(const std::string& data_dir, const std::string& work, std::string_view cegnev) {
  if (!copy_tree(data_dir, work)) return false;
  const std::string templates = pf::join(work, store::kTemplateDirName);
  if (copy_missing_templates(work) != count_files(templates)) return false;
  if (!cegnev.empty()) {
    pf::File f;
    const std::string line = std::string(cegnev) + "\r\n";
    if (!f.create(pf::join(work, "cegnev.txt")) || f.write(line) != line.size()) return false;
  }
  for (const pf::DirEntry& e : pf::list(pf::join(work, "*.*")))
    if (!pf::sync_path(pf::join(work, e.name))) return false;
  return pf::sync_path(work);
}

InitOutcome refused(int code, std::string message) {
  InitOutcome o;
  o.code = code;
  o.message = std::move(message);
  return o;
}

}  // namespace

std::string installed_data_dir() {
  const std::string here = pf::program_location();
  if (here.empty()) return {};
  return (std::filesystem::path(here) / ".." / "share" / "mvirda23").lexically_normal().string();
}

InitOutcome init_installation(const std::string& data_dir, const std::string& dir,
                              std::string_view cegnev) {
  if (data_dir.empty() || !pf::is_dir(data_dir))
    return refused(exit_code::kInput, "a program adatkönyvtára nem található: " + data_dir);
  if (std::string bad = missing_template_table(data_dir); !bad.empty())
    return refused(exit_code::kInput,
                   "a program adatai hiányosak: " + pf::join(data_dir, bad) + " hiányzik vagy sérült");

  const std::string name = program_dir_name();
  std::string target = pf::find_nocase(pf::join(dir, name));
  if (holds_installation(dir))
    return refused(exit_code::kNotWritten, "már van telepítés itt: " + dir + "; semmi sem változott");
  if (pf::exists(target) &&
      (!pf::is_dir(target) || !pf::list(pf::join(target, "*.*"), true).empty()))
    return refused(exit_code::kNotWritten,
                   "már van telepítés itt: " + target + "; semmi sem változott");
  if (!pf::make_dirs(dir)) return refused(exit_code::kNotWritten, "nem hozható létre: " + dir);

  const std::string work = pf::join(dir, "." + name + ".init." + std::to_string(::getpid()));
  pf::remove_tree(work);  // left by an init of the same number that was killed
  bool ok = fill(data_dir, work, cegnev);
  if (ok && pf::is_dir(target)) ok = ::rmdir(target.c_str()) == 0;  // empty: checked above
  if (ok) {
    target = pf::join(dir, name);
    ok = pf::rename_file(work, target) && pf::sync_path(dir);
  }
  if (!ok) {
    pf::remove_tree(work);
    return refused(exit_code::kNotWritten, "nem írható: " + pf::join(dir, name));
  }
  InitOutcome o;
  o.program_dir = target;
  return o;
}

int init_command(const std::vector<std::string>& args, const std::string& data_dir,
                 std::string& out, std::string& err) {
  auto usage_error = [&err](const std::string& what) {
    err += "mvirda23 init: " + what + "\n" + kUsage;
    return exit_code::kUsage;
  };
  std::string name;
  std::vector<std::string> dirs;
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options || a.empty() || a[0] != '-' || a == "-") {
      dirs.push_back(a);
    } else if (a == "--") {
      options = false;
    } else if (a == "--help" || a == "-h") {
      out += kHelp;
      return exit_code::kDone;
    } else if (a == "--name") {
      if (i + 1 == args.size()) return usage_error("a --name kapcsolóhoz érték kell");
      name = args[++i];
    } else if (a.rfind("--name=", 0) == 0) {
      name = a.substr(7);
    } else {
      return usage_error("ismeretlen kapcsoló: " + a);
    }
  }
  if (dirs.empty()) return usage_error("hiányzik a KÖNYVTÁR");
  if (dirs.size() > 1) return usage_error("fölösleges argumentum: " + dirs[1]);
  const std::string cegnev = xbase::utf8_to_cp852(name);
  if (cegnev.size() > kMaxCegnev)
    return usage_error("a név legfeljebb " + std::to_string(kMaxCegnev) + " karakter lehet");
  std::string dir = dirs[0];
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  const std::string last = std::filesystem::path(dir).filename().string();
  if (pf::wildcard_match(program_dir_name(), last))  // the name itself, case ignored
    return usage_error("a KÖNYVTÁR a közös meghajtó; a " + program_dir_name() +
                       " könyvtárat az init készíti el benne");

  const InitOutcome o = init_installation(data_dir, dir, cegnev);
  if (o.code != exit_code::kDone) {
    err += "mvirda23 init: " + o.message + "\n";
    return o.code;
  }
  out += o.program_dir + "\n";
  std::error_code ec;
  const std::string drive = std::filesystem::absolute(dir, ec).lexically_normal().string();
  err += "mvirda23 init: az új telepítés kész; indítás: VIRDA_DRIVE=" + drive + " virda23\n";
  return exit_code::kDone;
}

int init_main(int argc, char** argv) {
  std::vector<std::string> args(argv + 2, argv + argc);
  std::string out, err;
  const int code = init_command(args, installed_data_dir(), out, err);
  std::fputs(out.c_str(), stdout);
  std::fputs(err.c_str(), stderr);
  return code;
}

}  // namespace shell
