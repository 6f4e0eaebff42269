// What the benchmarks that run the whole program share: the installation they run
// on, and the program's context over a scripted terminal.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "console/backend.h"
#include "console/console.h"
#include "console/get_read.h"
#include "console/headless.h"
#include "shell/context.h"
#include "shell/error_setup.h"
#include "shell/program.h"
#include "store/tools/demo_data.h"
#include "support/error_handler.h"
#include "ui/windows.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

// DIR/VIRDA23 under the directory given on the command line, or under a temporary
// directory that is removed afterwards, whatever the outcome; generated when it does
// not hold the tables yet.
class BenchInstallation {
 public:
  // `arg`: the directory from the command line (null or "" for a temporary one);
  // `name`: the benchmark's name, for the temporary directory and the messages.
  BenchInstallation(const char* arg, const std::string& name) : name_(name) {
    namespace fs = std::filesystem;
    if (arg && arg[0] != '\0') {
      base_ = fs::absolute(arg).lexically_normal().string();
    } else {
      std::string pattern = fs::temp_directory_path().string() + "/" + name + "-XXXXXX";
      if (::mkdtemp(pattern.data())) {
        base_ = pattern;
        temporary_ = true;
      }
    }
  }
  ~BenchInstallation() {
    std::error_code ec;
    if (temporary_) std::filesystem::remove_all(base_, ec);
  }
  BenchInstallation(const BenchInstallation&) = delete;
  BenchInstallation& operator=(const BenchInstallation&) = delete;

  // The drive root holding VIRDA23 ("" when no directory could be made).
  const std::string& base() const { return base_; }
  std::string dir() const { return base_ + "/VIRDA23"; }

  // Generates the installation with `options` unless it holds the tables already.
  // False, after a message, when that fails.
  bool ensure(const store::demo::Options& options, double (*now_ms)()) {
    if (base_.empty()) return false;
    try {
      if (std::filesystem::exists(dir() + "/virda23.dbf")) {
        std::printf("reusing %s\n", dir().c_str());
        return true;
      }
      double t = now_ms();
      auto s = store::demo::generate_installation(base_, options);
      std::printf("generated %s: %d companies, %d persons, %d dependants, %d index files (%.1f s)\n",
                  s.program_dir.c_str(), s.companies, s.persons, s.dependants, s.indexes,
                  (now_ms() - t) / 1e3);
      return true;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s: %s\n", name_.c_str(), e.what());
      return false;
    }
  }

 private:
  std::string name_;
  std::string base_;
  bool temporary_ = false;
};

// A workstation over a headless console in the program directory `dir`, with the
// error handler in place: for the benchmarks that call a run below its dialogs.
struct BenchStation {
  xbase::WorkAreas areas;
  xbase::Variables vars;
  ui::WindowStack windows;
  console::Console con{std::make_unique<console::HeadlessBackend>()};
  console::ReadContext reads{con};
  support::ErrorSystem errors;
  shell::Context ctx;

  explicit BenchStation(const std::string& dir)
      : errors(dir, shell::console_error_hooks(con)), ctx(con, areas, vars, windows, reads) {
    support::ERRORSYS(errors, areas);
    ctx.errors = &errors;
    ctx.program_dir = dir;
  }
  BenchStation(const BenchStation&) = delete;
  BenchStation& operator=(const BenchStation&) = delete;
};

// The program in the current directory (the installation) on `backend`, with the
// error handler's stream on stderr.
class BenchProgram {
 public:
  explicit BenchProgram(std::unique_ptr<console::Backend> backend)
      : con_(std::move(backend)),
        reads_(con_),
        errors_(std::filesystem::current_path().string(), hooks(con_)),
        ctx_(con_, areas_, vars_, windows_, reads_) {
    errors_.set_variables(&vars_);
    support::ERRORSYS(errors_, areas_);
    ctx_.errors = &errors_;
    ctx_.program_dir = std::filesystem::current_path().string();
  }

  // MAIN without the change notes; the tables are closed afterwards.
  int run(const shell::ShellServices& services) {
    shell::StartArgs args;
    args.honnanind = "virda23";
    args.valttxt = "n";
    int code = shell::MAIN(ctx_, args, services);
    areas_.close_all();
    return code;
  }

 private:
  static support::ErrorHooks hooks(console::Console& con) {
    support::ErrorHooks h = shell::console_error_hooks(con);
    h.error_stream = [](std::string_view text) {
      std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    };
    return h;
  }

  xbase::WorkAreas areas_;
  xbase::Variables vars_;
  ui::WindowStack windows_;
  console::Console con_;
  console::ReadContext reads_;
  support::ErrorSystem errors_;
  shell::Context ctx_;
};
