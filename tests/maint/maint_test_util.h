// What the backup, restore and update tests share: an installation under a scratch
// drive root (VIRDA_DRIVE), its directory read back byte for byte, and stand-ins
// for the outside programs that record how they were called.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/shell_test_util.h"
#include "shell/upgrade_test_util.h"
#include "xbase/cp852.h"

namespace maint::testing {

namespace fs = std::filesystem;
using shell::testing::Station;

inline std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A zip archive written by hand, entries stored as they are: what no archiver of
// ours would write ("../x.dbf", links, names that meet once flattened).
struct ZipEntry {
  std::string name;
  std::string data;
  unsigned mode = 0100644;  // Unix mode; 0120777 makes a symbolic link to `data`
};

inline void write_zip(const std::string& path, const std::vector<ZipEntry>& entries) {
  auto crc32 = [](const std::string& d) {
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : d) {
      c ^= b;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
  };
  auto le = [](std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  std::string body, central;
  for (const ZipEntry& e : entries) {
    uint32_t offset = static_cast<uint32_t>(body.size());
    uint32_t crc = crc32(e.data), size = static_cast<uint32_t>(e.data.size());
    uint32_t name_len = static_cast<uint32_t>(e.name.size());
    le(body, 0x04034b50, 4), le(body, 10, 2), le(body, 0, 2), le(body, 0, 2);
    le(body, 0, 2), le(body, 0x5821, 2), le(body, crc, 4), le(body, size, 4), le(body, size, 4);
    le(body, name_len, 2), le(body, 0, 2);
    body += e.name + e.data;
    le(central, 0x02014b50, 4), le(central, (3u << 8) | 20u, 2), le(central, 10, 2);
    le(central, 0, 2), le(central, 0, 2), le(central, 0, 2), le(central, 0x5821, 2);
    le(central, crc, 4), le(central, size, 4), le(central, size, 4), le(central, name_len, 2);
    le(central, 0, 2), le(central, 0, 2), le(central, 0, 2), le(central, 0, 2);
    le(central, e.mode << 16, 4), le(central, offset, 4);
    central += e.name;
  }
  std::string end;
  le(end, 0x06054b50, 4), le(end, 0, 2), le(end, 0, 2);
  le(end, static_cast<uint32_t>(entries.size()), 2), le(end, static_cast<uint32_t>(entries.size()), 2);
  le(end, static_cast<uint32_t>(central.size()), 4), le(end, static_cast<uint32_t>(body.size()), 4);
  le(end, 0, 2);
  write_file(path, body + central + end);
}

// Every regular file of a directory with its bytes (links are listed as "->target").
inline std::map<std::string, std::string> contents(const std::string& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) {
    std::string name = e.path().filename().string();
    if (e.is_symlink()) out[name] = "->" + fs::read_symlink(e.path()).string();
    else if (e.is_regular_file()) out[name] = slurp(e.path().string());
    else out[name + "/"] = "";
  }
  return out;
}

// Another workstation that opens the table `path` in `mode`, says it is ready and
// holds it until told to go on.
inline shell::testing::Other holding(const std::string& path, xbase::OpenMode mode) {
  return shell::testing::Other([path, mode](int from, int to) {
    xbase::WorkAreas areas;
    if (!areas.use(path, "", mode)) return 1;
    shell::testing::say_ready(to);
    shell::testing::wait_parent(from);
    return 0;
  });
}

// The text (UTF-8) of `n` cells of a screen row from column `col`.
inline std::string cells(const console::Screen& s, int row, int col, int n) {
  std::string cp852;
  for (int c = col; c < col + n && c < console::Screen::kCols; ++c) cp852 += static_cast<char>(s.at(row, c).ch);
  return xbase::cp852_to_utf8(cp852);
}

// Whether the screen shows `utf8` at (row, col).
inline bool shows(const console::Screen& s, int row, int col, const std::string& utf8) {
  return cells(s, row, col, static_cast<int>(xbase::utf8_to_cp852(utf8).size())) == utf8;
}

// A scratch drive root with the installation "VIRDA23" under it: a year table of
// `persons` persons, the company and dependants tables, a settings table, a
// memo file, a PDF, an error log and index files.
struct Install {
  std::string root;
  std::string dir;
  std::unique_ptr<Station> station;

  explicit Install(int persons = 30) {
    std::string base = fs::temp_directory_path().string() + "/mainttest-XXXXXX";
    root = ::mkdtemp(base.data());
    dir = root + "/VIRDA23";
    fs::create_directories(dir);
    ::setenv("VIRDA_DRIVE", root.c_str(), 1);
    station = std::make_unique<Station>(dir);
    Station& s = *station;
    shell::testing::make_year_table(s, persons, {3});
    EXPECT_TRUE(s.areas.create(s.file("vallal.dbf"), {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 40, 0}}));
    EXPECT_TRUE(s.areas.use(s.file("vallal")));
    for (int i = 0; i < 3; ++i) {
      s.areas.current().append_blank();
      s.areas.current().put("VKOD", xbase::Value::str(std::to_string(100 + i)));
      s.areas.current().put("NEV", xbase::Value::str("CEG " + std::to_string(i)));
    }
    s.areas.close_all();
    EXPECT_TRUE(s.areas.create(s.file("eltar23.dbf"), {{"VKOD", 'C', 3, 0}, {"SZEMSZAM", 'C', 10, 0}}));
    EXPECT_TRUE(s.areas.create(s.file("konstans.dbf"), {{"KWWWELLEN", 'N', 1, 0}}));
    write_file(s.file("virda23.dbt"), std::string(512, 'M'));
    write_file(s.file("Igazolas.PDF"), "%PDF-1.4 demo");
    write_file(s.file("hibauzen.dbh"), "error log");
    write_file(s.file("virda23.ntx"), "not archived");
    write_file(s.file("notes.txt"), "not archived either");
  }
  ~Install() {
    station.reset();
    ::unsetenv("VIRDA_DRIVE");
    fs::remove_all(root);
  }
  shell::Context& ctx() { return *station->ctx; }
  std::string file(const std::string& name) const { return dir + "/" + name; }
  // A directory under the drive root, made when missing.
  std::string target(const std::string& name) const {
    fs::create_directories(root + "/" + name);
    return root + "/" + name;
  }
  // An executable script at `rel` under the drive root.
  void stand_in(const std::string& rel, const std::string& body) const {
    std::string path = root + "/" + rel;
    fs::create_directories(fs::path(path).parent_path());
    write_file(path, "#!/bin/sh\n" + body);
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
  }
};

}  // namespace maint::testing
