// The directory "M30XML" of an M30 run with XML files: found ignoring case under the
// run's output directory or created, held by the run through its lock file from the
// removal of the previous run's files until the file list closes, and the files
// written into it under names no other file of the directory has.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "shell/context.h"
#include "support/platform_files.h"

namespace efile {

inline constexpr std::string_view kXmlDirName = "M30XML";
// The lock file of the directory; its name is outside EV + "M30*.xml".
inline constexpr std::string_view kXmlLockName = "m30xml.lck";

class XmlDirectory {
 public:
  enum class Open {
    Ready,        // locked, previous files removed
    NotWritable,  // cannot be created, locked or written
    GivenUp,      // another workstation's run holds it and the wait was left with Esc
  };

  // Finds or creates "M30XML" under `out_dir` ("" or ".": the current directory),
  // takes its lock (while another workstation's run holds it, the wait window of
  // NETUSE, once a second, Esc gives up), checks that files can be created in it and
  // removes every EV + "M30*.xml" file of the previous run.
  Open open(shell::Context& ctx, const std::string& out_dir);
  // Gives the directory free for other workstations.
  void close() { lock_.release(); }

  // The directory's absolute path (as on disk).
  const std::string& path() const { return path_; }

  enum class Write { Written, NotCreated, NotWritten };
  // Writes a new file `name` (CP852; UTF-8 on disk). A name another file of the
  // directory has already, under any case, gets "_2", "_3" … before ".xml". A file
  // whose writing fails is removed. `written` receives the file's full path.
  Write write_file(std::string_view name_cp852, std::string_view bytes, std::string* written);

 private:
  std::string path_;
  support::platform::LockFile lock_;
  std::unordered_set<std::string> taken_;  // platform name keys
};

}  // namespace efile
