#include "support/platform_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>

#include "xbase/cp852.h"
#include "xbase/fileio.h"

namespace support::platform {

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string strip_trailing_slashes(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

// The mount point over `dir` (an absolute, resolved path): the highest directory
// above it on the same device.
std::string mount_point(const std::string& dir) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return "/";
  std::string cur = dir;
  while (cur != "/") {
    size_t slash = cur.find_last_of('/');
    std::string parent = slash == 0 ? "/" : cur.substr(0, slash);
    struct stat pst {};
    if (::stat(parent.c_str(), &pst) != 0 || pst.st_dev != st.st_dev) break;
    cur = parent;
  }
  return cur;
}

bool rest_is_wild(std::string_view m, size_t i) {
  for (; i < m.size(); ++i)
    if (m[i] != '*' && m[i] != '?') return false;
  return true;
}

bool match_at(std::string_view m, size_t i, std::string_view n, size_t j) {
  while (i < m.size()) {
    char c = m[i];
    if (c == '*') {
      while (i < m.size() && m[i] == '*') ++i;
      if (i == m.size()) return true;
      for (size_t k = j; k <= n.size(); ++k)
        if (match_at(m, i, n, k)) return true;
      return false;
    }
    if (c == '?') {
      if (j == n.size() || n[j] == '.') {
        // A run of "?" may match nothing where the name ends or reaches its dot.
        while (i < m.size() && m[i] == '?') ++i;
        continue;
      }
      ++i;
      ++j;
      continue;
    }
    if (c == '.') {
      if (j < n.size() && n[j] == '.') {
        ++i;
        ++j;
        continue;
      }
      // "name.*" also matches a name without an extension.
      return j == n.size() && rest_is_wild(m, i + 1);
    }
    if (j == n.size() || lower(c) != lower(n[j])) return false;
    ++i;
    ++j;
  }
  return j == n.size();
}

}  // namespace

std::string drive_root() {
  if (const char* env = std::getenv("VIRDA_DRIVE"); env != nullptr && *env != '\0') {
    char buf[PATH_MAX];
    if (::realpath(env, buf) != nullptr) return strip_trailing_slashes(buf);
    return strip_trailing_slashes(env);
  }
  std::string cwd = current_dir();
  if (cwd.empty()) return "/";
  char buf[PATH_MAX];
  if (::realpath(cwd.c_str(), buf) != nullptr) cwd = buf;
  return mount_point(cwd);
}

std::string current_dir() {
  char buf[PATH_MAX];
  if (::getcwd(buf, sizeof buf) == nullptr) return {};
  return buf;
}

std::string program_location() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string exe(buf, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  return slash == 0 ? "/" : exe.substr(0, slash);
}

// The resolved current directory relative to the drive root ("/" for the root
// itself); false, with the whole path, when it lies outside the root.
static bool relative_to_root(std::string& out) {
  std::string root = drive_root();
  std::string cwd = current_dir();
  char buf[PATH_MAX];
  if (::realpath(cwd.c_str(), buf) != nullptr) cwd = buf;
  if (root == "/") {
    out = cwd;
    return true;
  }
  if (cwd == root) {
    out = "/";
    return true;
  }
  if (cwd.size() > root.size() && cwd.compare(0, root.size(), root) == 0 && cwd[root.size()] == '/') {
    out = cwd.substr(root.size());
    return true;
  }
  out = cwd;
  return false;
}

std::string dir_under_drive() {
  std::string rel;
  relative_to_root(rel);
  return rel;
}

std::string program_dir_windows() {
  std::string rel;
  if (!relative_to_root(rel)) return rel;
  if (rel == "/") return "\\";
  for (char& c : rel)
    if (c == '/') c = '\\';
  return rel;
}

std::string join(std::string_view dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  std::string out(dir);
  if (out.back() != '/') out += '/';
  while (!name.empty() && name.front() == '/') name.remove_prefix(1);
  out += name;
  return out;
}

std::string file_name(std::string_view path) {
  size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string find_nocase(std::string_view path) { return xbase::resolve_path_nocase(path); }

std::string to_linux(std::string_view windows_path) {
  std::string p(windows_path);
  bool had_drive = false;
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
    p.erase(0, 2);
    had_drive = true;
  }
  // "\kvad" (or "C:\kvad", "C:/kvad") is written from the root of the drive; a
  // path that begins with a slash and no drive is already a Linux path.
  bool from_drive_root = !p.empty() && (p[0] == '\\' || (had_drive && p[0] == '/'));
  for (char& c : p)
    if (c == '\\') c = '/';
  if (from_drive_root) {
    std::string root = drive_root();
    if (root != "/") p = root + p;
  } else if (had_drive && p.empty()) {
    p = drive_root();
  }
  return find_nocase(p);
}

std::string name_key(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

std::string typed_path(std::string_view cp852) { return to_linux(xbase::cp852_to_utf8(cp852)); }

std::string typed_path(std::string_view cp852_dir, std::string_view cp852_name) {
  return find_nocase(join(typed_path(cp852_dir), xbase::cp852_to_utf8(cp852_name)));
}

std::string shown_path(std::string_view linux_path) { return xbase::utf8_to_cp852(linux_path); }

bool has_wildcard(std::string_view mask) {
  return mask.find_first_of("*?") != std::string_view::npos;
}

bool wildcard_match(std::string_view mask, std::string_view name) {
  if (mask == "*.*" || mask == "*") return true;
  if (!mask.empty() && mask.back() == '.' && mask != "." && mask != "..") {
    // "*." : names without an extension.
    if (name.find('.') != std::string_view::npos) return false;
    mask.remove_suffix(1);
  }
  return match_at(mask, 0, name, 0);
}

}  // namespace support::platform
