// What the XML tests share: the golden files, the files of "M30XML", running
// xmllint.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "xbase/cp852.h"

namespace efile::testing {

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A golden file, kept readable as UTF-8 with LF: the bytes the program writes,
// Windows-1250 with CR LF.
inline std::string golden_xml(const std::string& name) {
  std::string text = read_file(std::string(MVIRDA_SOURCE_DIR) + "/tests/efile/golden/" + name);
  std::string out;
  for (char c : xbase::cp852_to_cp1250(xbase::utf8_to_cp852(text))) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

inline std::vector<std::string> golden_names() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(std::string(MVIRDA_SOURCE_DIR) + "/tests/efile/golden"))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The names of the regular files of a directory, sorted.
inline std::vector<std::string> files_in(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec))
    if (e.is_regular_file()) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct Captured {
  int status = -1;
  std::string out;
};

// Runs a program with its arguments (no shell) and collects its standard output.
inline Captured capture(const std::vector<std::string>& argv) {
  int fds[2];
  Captured c;
  if (::pipe(fds) != 0) return c;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], 1);
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) c.out.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  int st = 0;
  ::waitpid(pid, &st, 0);
  c.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return c;
}

// What xmllint reads at an XPath in the file (its line end dropped).
inline std::string xpath(const std::string& file, const std::string& expr) {
  std::string out = capture({"xmllint", "--xpath", expr, file}).out;
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace efile::testing
