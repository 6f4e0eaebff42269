#include "maint/archiver.h"

#include <unistd.h>

#include <sys/stat.h>

#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "support/platform_run.h"

namespace maint {

namespace pf = support::platform;

namespace {

constexpr int64_t kMaxOutput = 1 << 20;

std::string trim(std::string_view s) {
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string_view::npos) return "";
  size_t b = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(a, b - a + 1));
}

std::string last_line_of(const std::string& text) {
  size_t end = text.size();
  while (end > 0) {
    size_t start = text.rfind('\n', end - 1);
    start = start == std::string::npos ? 0 : start + 1;
    std::string line = trim(std::string_view(text).substr(start, end - start));
    if (!line.empty()) return line;
    if (start == 0) break;
    end = start - 1;
  }
  return "";
}

}  // namespace

std::string find_archiver() {
  std::string own = pf::to_linux("\\util\\7za");
  struct stat st {};
  if (::stat(own.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(own.c_str(), X_OK) == 0)
    return own;
  for (const char* name : {"7zz", "7za", "7z"}) {
    std::string found = pf::find_program(name);
    if (!found.empty()) return found;
  }
  return "";
}

ArchiverRun run_archiver(const std::string& program, std::string_view command,
                         const std::vector<std::string>& switches,
                         const std::vector<std::string>& operands, const std::string& dir) {
  ArchiverRun run;
  std::vector<std::string> argv = {program, std::string(command), "-tzip", "-y"};
  argv.insert(argv.end(), switches.begin(), switches.end());
  argv.push_back("--");
  argv.insert(argv.end(), operands.begin(), operands.end());

  pf::RunOptions options;
  options.dir = dir;
  options.output = pf::temp_file("mvirda-7zip");
  if (options.output.empty()) return run;
  run.code = pf::run_wait(argv, options);
  pf::File log;
  if (log.open(options.output)) run.output = log.read(kMaxOutput);
  log.close();
  pf::delete_file(options.output);
  run.last_line = last_line_of(run.output);
  return run;
}

std::vector<ArchiveEntry> parse_listing(std::string_view text) {
  std::vector<ArchiveEntry> out;
  ArchiveEntry cur;
  bool in_entry = false, archive_block = false;
  auto finish = [&] {
    if (in_entry && !archive_block) out.push_back(cur);
    cur = ArchiveEntry();
    in_entry = archive_block = false;
  };
  size_t i = 0;
  while (i <= text.size()) {
    size_t nl = text.find('\n', i);
    if (nl == std::string_view::npos) nl = text.size();
    std::string_view line = text.substr(i, nl - i);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    i = nl + 1;
    if (line.empty()) {
      finish();
      if (nl == text.size()) break;
      continue;
    }
    size_t eq = line.find(" = ");
    std::string_view key = eq == std::string_view::npos ? line : line.substr(0, eq);
    std::string_view value = eq == std::string_view::npos ? std::string_view() : line.substr(eq + 3);
    if (key == "Path") {
      if (in_entry) finish();
      in_entry = true;
      cur.path = std::string(value);
    } else if (key == "Type" || key == "Physical Size") {
      archive_block = true;
    } else if (key == "Folder") {
      cur.folder = value == "+";
    } else if (key == "Attributes") {
      // "A_ -rw-r--r--", " lrwxrwxrwx", "D drwxr-xr-x": the Unix mode follows a blank.
      size_t blank = value.rfind(' ');
      std::string_view mode = blank == std::string_view::npos ? value : value.substr(blank + 1);
      if (!mode.empty() && mode[0] == 'l') cur.link = true;
      if (!mode.empty() && mode[0] == 'd') cur.folder = true;
      if (value.substr(0, 1) == "D") cur.folder = true;
    }
    if (nl == text.size()) break;
  }
  finish();
  return out;
}

}  // namespace maint
