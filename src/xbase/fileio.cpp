#include "xbase/fileio.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace xbase {
namespace {

bool exists(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0;
}

// The entry of `dir` named `name` ignoring ASCII case, or "" when there is none.
std::string find_nocase(const std::string& dir, const std::string& name) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return "";
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

}  // namespace

std::string with_default_extension(std::string_view path, std::string_view ext) {
  size_t slash = path.find_last_of('/');
  std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (last.find('.') != std::string_view::npos) return std::string(path);
  return std::string(path) + std::string(ext);
}

std::string resolve_path_nocase(std::string_view path) {
  std::string p(path);
  if (p.empty() || exists(p)) return p;
  // Walk the components; keep the given spelling where nothing matches.
  std::string out;
  size_t i = 0;
  if (p[0] == '/') {
    out = "/";
    i = 1;
  }
  while (i <= p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string comp = p.substr(i, j - i);
    if (!comp.empty()) {
      std::string dir = out.empty() ? "." : out;
      std::string cand = (out.empty() || out.back() == '/') ? out + comp : out + "/" + comp;
      if (!exists(cand) && comp != "." && comp != "..") {
        std::string hit = find_nocase(dir, comp);
        if (!hit.empty())
          cand = (out.empty() || out.back() == '/') ? out + hit : out + "/" + hit;
      }
      out = cand;
    }
    i = j + 1;
  }
  return out;
}

std::string default_alias(std::string_view path) {
  size_t slash = path.find_last_of('/');
  std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
  size_t dot = last.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) last = last.substr(0, dot);
  std::string s(last);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

}  // namespace xbase
