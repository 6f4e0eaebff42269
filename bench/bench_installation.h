// The installation a benchmark runs on: DIR/VIRDA23 under the directory given on the
// command line, or under a temporary directory that is removed afterwards, whatever
// the outcome; generated when it does not hold the tables yet.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "store/tools/demo_data.h"

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
