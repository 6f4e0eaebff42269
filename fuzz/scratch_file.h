// The fuzz input written to a scratch file of this process, in memory where the
// system offers it, so that the file parsers read it as they read real files.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Writes `data` to the scratch file named `stem` + pid + `ext` (removed at exit)
// and returns its path; an empty path when the file cannot be written.
inline std::string write_scratch_file(const char* stem, const char* ext, const uint8_t* data,
                                      size_t size) {
  static const std::string dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  static const std::string path = dir + "/" + stem + std::to_string(::getpid()) + ext;
  static const struct Remover {
    ~Remover() { ::unlink(path.c_str()); }
  } remover;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return {};
  size_t done = 0;
  while (done < size) {
    ssize_t w = ::write(fd, data + done, size - done);
    if (w <= 0) break;
    done += static_cast<size_t>(w);
  }
  ::close(fd);
  return path;
}
