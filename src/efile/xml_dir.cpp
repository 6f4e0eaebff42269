#include "efile/xml_dir.h"

#include <cerrno>
#include <filesystem>

#include "shell/shared_access.h"
#include "support/platform_paths.h"
#include "xbase/cp852.h"

namespace efile {

namespace pf = support::platform;

XmlDirectory::Open XmlDirectory::open(shell::Context& ctx, const std::string& out_dir) {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::absolute(out_dir.empty() ? "." : out_dir, ec);
  path_ = pf::find_nocase(pf::join(base.lexically_normal().string(), kXmlDirName));
  if (path_.size() > 1 && path_.back() == '/') path_.pop_back();
  if (!pf::make_dir(path_)) return Open::NotWritable;

  const std::string lock = pf::join(path_, kXmlLockName);
  pf::LockFile::Result r = shell::wait_for_lock(ctx, lock_, lock);
  if (r == pf::LockFile::Result::Busy) {
    lock_.release();
    return Open::GivenUp;
  }
  if (r != pf::LockFile::Result::Locked || !pf::dir_writable(path_)) {
    lock_.release();
    return Open::NotWritable;
  }

  for (const pf::DirEntry& e : pf::list(pf::join(path_, ctx.ev + "M30*.xml")))
    pf::delete_file(pf::join(path_, e.name));
  taken_.clear();
  for (const pf::DirEntry& e : pf::list(pf::join(path_, "*"), true)) taken_.insert(pf::name_key(e.name));
  return Open::Ready;
}

XmlDirectory::Write XmlDirectory::write_file(std::string_view name_cp852, std::string_view bytes,
                                             std::string* written) {
  const std::string name = xbase::cp852_to_utf8(name_cp852);
  const std::string stem = name.ends_with(".xml") ? name.substr(0, name.size() - 4) : name;
  pf::File f;
  std::string candidate = name, full;
  for (int n = 2;; ++n) {
    if (!taken_.count(pf::name_key(candidate))) {
      full = pf::join(path_, candidate);
      if (f.create_new(full)) break;
      if (errno != EEXIST) return Write::NotCreated;
      taken_.insert(pf::name_key(candidate));  // made meanwhile by someone else
    }
    candidate = stem + "_" + std::to_string(n) + ".xml";
  }
  // A write error may show only when the file is closed (a network share).
  const bool whole = f.write(bytes) == bytes.size();
  if (!f.close() || !whole) {
    pf::delete_file(full);  // no partial file stays
    return Write::NotWritten;
  }
  taken_.insert(pf::name_key(candidate));
  if (written) *written = full;
  return Write::Written;
}

}  // namespace efile
