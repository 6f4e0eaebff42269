// What the start-up tests share: the template directory of a small installation,
// the start arguments, what a workstation showed, a file's identity, and stops at
// named screens for a workstation run in another process.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/shell_test_util.h"
#include "shell/program.h"

namespace shell::testing {

// The template directory "xxx" of a small installation.
inline void make_templates(Station& s) {
  std::filesystem::create_directory(s.file("xxx"));
  auto make = [&](const char* name, const xbase::Structure& fields) {
    ASSERT_TRUE(s.areas.create(s.file(std::string("xxx/") + name), fields));
  };
  make("vallal.dbf", {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 30, 0}});
  make("eltar23.dbf", {{"VKOD", 'C', 3, 0}, {"SZEMSZAM", 'C', 10, 0}});
  make("virda23.dbf", {{"VKOD", 'C', 3, 0},
                       {"NEV", 'C', 30, 0},
                       {"SZEMSZAM", 'C', 10, 0},
                       {"NYILAT", 'C', 1, 0},
                       {"ALLAMPOLG", 'C', 20, 0},
                       {"ALLAMKOD", 'C', 2, 0},
                       {"OSZT16", 'N', 9, 0},
                       {"OSZT16P", 'N', 9, 0}});
  make("konstans.dbf", {{"NYOMTIP", 'N', 1, 0}});
  make("kozter.dbf", {{"KOZTERNEV", 'C', 8, 0}});
}

// A start from the batch file's directory ("bg" lifts the directory check);
// without `notes` the change notes are not shown.
inline StartArgs bg_start(bool notes = true) {
  StartArgs a;
  a.honnanind = "bg";
  if (!notes) a.valttxt = "x";
  return a;
}

// Whether a screen the workstation waited on showed `utf8`.
inline bool seen(Station& s, std::string_view utf8) {
  for (const auto& w : s.term->waits())
    if (w.text_utf8().find(utf8) != std::string::npos) return true;
  return false;
}

// The file's identity and last write, to tell a rebuilt file from the old one.
inline std::string inode(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return "";
  return std::to_string(st.st_ino) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec);
}

// For a workstation run in a forked process: each time it is about to wait for a
// key on a screen that shows the next of `texts`, it tells the test ("ready") and
// waits for the go-ahead.
inline void stop_at(Station& s, std::vector<std::string> texts, int from_parent, int to_parent) {
  auto next = std::make_shared<size_t>(0);
  Station* st = &s;
  s.term->before_untimed_wait = [st, texts, next, from_parent, to_parent] {
    if (*next >= texts.size()) return;
    if (st->con->screen().text_utf8().find(texts[*next]) == std::string::npos) return;
    ++*next;
    say_ready(to_parent);
    wait_parent(from_parent);
  };
}

}  // namespace shell::testing
