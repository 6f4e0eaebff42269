// A workstation for print tests: its own drive root (VIRDA_DRIVE) with the program
// directory in it, its own TEMP, the print variables of a route as the settings
// would set them, and a directory of stand-in programs (lp, xdg-open) put first on
// PATH.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "print/control_codes.h"
#include "print/routing.h"
#include "shell/shell_test_util.h"
#include "xbase/vars.h"

namespace print::testing {

inline std::string slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// `n` cells of a screen row from `col`, as CP852 bytes.
inline std::string cells(const console::Screen& s, int row, int col, int n) {
  std::string out;
  for (int c = col; c < col + n; ++c) out += static_cast<char>(s.at(row, c).ch);
  return out;
}

inline void spit(const std::string& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

struct PrintStation : shell::testing::Station {
  std::string bin, temp, old_path;

  PrintStation() {
    bin = dir + "/bin";
    temp = dir + "/tmp";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(temp);
    ::setenv("VIRDA_DRIVE", dir.c_str(), 1);
    ::setenv("TEMP", temp.c_str(), 1);
    ::unsetenv("USERPROFILE");
    ::unsetenv("VIRDA_PDFFONT");
    for (int n = 1; n <= 4; ++n) ::unsetenv(("VIRDA_LPT" + std::to_string(n)).c_str());
    const char* p = std::getenv("PATH");
    old_path = p ? p : "";
    ::setenv("PATH", (bin + ":" + old_path).c_str(), 1);
    route("LPT1", "EPSON");
  }
  ~PrintStation() {
    ::setenv("PATH", old_path.c_str(), 1);
    ::unsetenv("VIRDA_DRIVE");
    ::unsetenv("TEMP");
    for (int n = 1; n <= 4; ++n) ::unsetenv(("VIRDA_LPT" + std::to_string(n)).c_str());
    print::set_random_source(nullptr);
  }

  void set(const char* name, xbase::Value v) {
    if (vars.exists(name))
      vars.assign(name, std::move(v));
      else vars.make_public(name, std::move(v));
  }
  // The print variables of a route: EPRPORT, KNYOMTIP, the control sequences, the
  // CWI setting, job initialisation on, 64 lines, no paper asked yet.
  void route(const std::string& eprport, const std::string& knyomtip, bool cwi = false) {
    set("EPRPORT", xbase::Value::str(eprport));
    set("KNYOMTIP", xbase::Value::str(knyomtip));
    set("LKAR852", xbase::Value::logical(!cwi));
    set("KHPAUTO", xbase::Value::num(1));
    set("NPAGE", xbase::Value::num(64));
    set("PAPIRMERET", xbase::Value::num(0));
    print::nyomtipbe(vars, dir);
  }
  // LPT1 at a plain file of the test.
  std::string lpt1_file() {
    std::string f = dir + "/lpt1.out";
    spit(f, "");
    ::setenv("VIRDA_LPT1", f.c_str(), 1);
    return f;
  }
  // A stand-in program: a shell script in the PATH directory.
  void stand_in(const std::string& name, const std::string& script) {
    std::string p = bin + "/" + name;
    spit(p, "#!/bin/sh\n" + script);
    ::chmod(p.c_str(), 0755);
  }
};

}  // namespace print::testing
