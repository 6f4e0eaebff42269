#include "shell/startup_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "shell/upgrade.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/functions.h"

namespace shell {

namespace pf = support::platform;

bool held_open(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // drops our probe lock with the descriptor
  return held;
}

bool DELCSILL2(std::string_view dir, std::string_view mask) {
  std::string d = dir.empty() ? std::string(".") : std::string(dir);
  for (const pf::DirEntry& e : pf::list(pf::join(d, mask))) {
    std::string path = pf::join(d, e.name);
    if (held_open(path)) continue;
    pf::delete_file(path);
  }
  return true;
}

bool DELCSILL(std::string_view mask) { return DELCSILL2(".", mask); }

std::vector<std::string> missing_templates(const std::string& program_dir) {
  std::string templates = pf::find_nocase(pf::join(program_dir, "xxx"));
  std::vector<std::string> out;
  for (const pf::DirEntry& e : pf::list(pf::join(templates, "*.*")))
    if (!e.is_dir && !pf::exists(pf::join(program_dir, e.name))) out.push_back(e.name);
  return out;
}

namespace {

constexpr std::string_view kTemplateWork = ".sablon";  // a template on its way in

// Copies one template under a work name beside its final one, syncs it and only
// then gives it its name: a start killed meanwhile leaves the file missing (and
// copied again by the next start), never a truncated table under the real name.
bool copy_template(const std::string& from, const std::string& program_dir, const std::string& name) {
  const std::string to = pf::join(program_dir, name);
  const std::string work = to + std::string(kTemplateWork);
  pf::delete_file(work);
  if (pf::copy_file(from, work) < 0) return false;
  restructure_step("template-copied");
  if (!pf::sync_path(work)) {
    pf::delete_file(work);
    return false;
  }
  restructure_step("template-synced");
  if (!pf::rename_file(work, to)) {
    pf::delete_file(work);
    return false;
  }
  pf::sync_path(program_dir);
  restructure_step("template-renamed");
  return true;
}

}  // namespace

int copy_missing_templates(const std::string& program_dir) {
  std::string templates = pf::find_nocase(pf::join(program_dir, "xxx"));
  // What a copy killed before its rename left.
  DELCSILL2(program_dir, "*" + std::string(kTemplateWork));
  int copied = 0;
  for (const std::string& name : missing_templates(program_dir)) {
    if (!copy_template(pf::join(templates, name), program_dir, name)) continue;
    ++copied;
    DELCSILL2(program_dir, "*.ntx");
  }
  return copied;
}

std::string StartupGuard::path(const std::string& program_dir) {
  return pf::join(program_dir.empty() ? "." : program_dir, "inditas.lck");
}

bool StartupGuard::try_acquire(const std::string& program_dir) {
  return lock_.try_lock(path(program_dir)) != pf::LockFile::Result::Busy;
}

std::string read_cegnev(const std::string& program_dir) {
  std::vector<std::string> lines = pf::read_lines(pf::join(program_dir, "cegnev.txt"), 1000, 4096);
  if (lines.empty()) return "";
  std::string name = xbase::rtrim(lines.front());
  if (name.size() > 78) name.resize(78);
  return name;
}

std::vector<xbase::FieldDef> parse_extra_fields(const std::vector<std::string>& lines) {
  std::vector<xbase::FieldDef> out;
  for (const std::string& raw : lines) {
    std::string line = xbase::left(raw, 70);
    std::string name = xbase::upper(xbase::alltrim(xbase::substr(line, 1, 10)));
    if (name.empty()) continue;
    xbase::FieldDef f;
    f.name = name;
    std::string type = xbase::upper(xbase::substr(line, 12, 1));
    f.type = type.empty() || type == " " ? 'C' : type[0];
    f.width = static_cast<int>(xbase::val(xbase::substr(line, 15, 2)).as_num());
    f.decimals = static_cast<int>(xbase::val(xbase::substr(line, 19, 1)).as_num());
    if (f.type == 'D') f.width = 8;
    if (f.type == 'L') f.width = 1;
    if (f.width <= 0) continue;
    out.push_back(f);
  }
  return out;
}

}  // namespace shell
