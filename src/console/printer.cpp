#include "console/printer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace console {

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}

bool Printer::set_printer(const std::string& path, bool additive) {
  return set_printer(path, additive ? Open::Append : Open::Create);
}

bool Printer::set_printer(const std::string& path, Open how) {
  close();
  open_errno_ = 0;
  if (path.empty()) return true;
  int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY;
  if (how == Open::Create) flags |= O_CREAT | O_TRUNC;
  if (how == Open::Append) flags |= O_CREAT | O_APPEND;
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    open_errno_ = errno;
    return false;
  }
  fd_ = fd;
  path_ = path;
  failed_ = false;
  write_errno_ = 0;
  written_ = 0;
  return true;
}

void Printer::close() {
  if (fd_ >= 0) {
    drain();
    if (::close(fd_) != 0 && !failed_) {
      failed_ = true;
      write_errno_ = errno;
    }
    fd_ = -1;
  }
  buffer_.clear();
  path_.clear();
}

void Printer::flush() { drain(); }

void Printer::drain() {
  size_t done = 0;
  while (fd_ >= 0 && !failed_ && done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      written_ += n;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    write_errno_ = n < 0 ? errno : ENOSPC;
    bool retry = false;
    if (handler_) {
      xbase::Error e;
      e.gen_code = xbase::gen::kPrint;
      e.subsystem = "TERM";
      e.description = "Printer error";
      e.filename = path_;
      e.os_code = write_errno_;
      e.can_retry = true;
      retry = handler_(e).kind == xbase::ErrorAnswer::Kind::Retry;
    }
    if (!retry) failed_ = true;
  }
  buffer_.clear();
}

void Printer::write(std::string_view bytes) {
  if (fd_ < 0 || failed_ || bytes.empty()) return;
  buffer_.append(bytes);
  if (buffer_.size() >= kBufferSize) drain();
}

void Printer::devpos(int row, int col) {
  if (row < prow_) eject();
  if (row > prow_) {
    std::string lines;
    for (int r = prow_; r < row; ++r) lines += "\r\n";
    write(lines);
    prow_ = row;
    pcol_ = 0;
  }
  if (col < pcol_) {
    write("\r");
    pcol_ = 0;
  }
  if (col > pcol_) {
    write(std::string(static_cast<size_t>(col - pcol_), ' '));
    pcol_ = col;
  }
}

void Printer::out(std::string_view text) {
  write(text);
  pcol_ += static_cast<int>(text.size());
}

void Printer::say(int row, int col, std::string_view text) {
  devpos(row, col);
  out(text);
}

void Printer::eject() {
  write("\f\r");
  prow_ = 0;
  pcol_ = 0;
}

}  // namespace console
