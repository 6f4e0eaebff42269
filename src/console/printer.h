// The printer side of the output device: positioned output into a printer file with
// the print head's row and column (PROW, PCOL), as the runtime writes it:
//   a row below the current one: CR LF for each row moved down;
//   a row above the current one: an eject first (form feed, carriage return);
//   a column left of the current one: CR, then blanks to the column;
//   a column to the right: blanks.
// Control-sequence bytes written with out() count in the column as any text does.
// Which file or device a port name means is decided by the print routing; this
// class writes to the path it is given.
//
// A write that fails is handed to the error handler, when there is one, as a
// printer error: "retry" writes the rest again, any other answer gives up the
// output (what follows is dropped). Without a handler the output is given up at
// once. failed() tells afterwards.
#pragma once

#include <string>
#include <string_view>

#include "xbase/error.h"

namespace console {

class Printer {
 public:
  // How set_printer opens its path.
  enum class Open {
    Create,    // created or emptied (SET PRINTER TO file)
    Append,    // created or added to (ADDITIVE)
    Existing,  // must exist already, as a device does; never created
  };

  Printer() = default;
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;
  ~Printer() { close(); }

  // SET PRINTER TO path; an empty path closes the file. Returns false when the file
  // cannot be opened (the printer is then closed; open_error() gives errno).
  bool set_printer(const std::string& path, bool additive = false);
  bool set_printer(const std::string& path, Open how);
  void close();
  bool is_open() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }
  int open_error() const { return open_errno_; }
  // True when output was given up since the file was opened; the system's error.
  bool failed() const { return failed_; }
  int write_error() const { return write_errno_; }
  // Bytes that reached the file since it was opened.
  long long written() const { return written_; }

  // The printer-error handler for failed writes (none: give up at once).
  void set_error_handler(xbase::ErrorHandler handler) { handler_ = std::move(handler); }

  // DEVPOS(row, col) then DEVOUT(text).
  void say(int row, int col, std::string_view text);
  void devpos(int row, int col);
  // Output at the head's position; the column advances by the text's length.
  void out(std::string_view text);
  // EJECT: form feed and carriage return; row and column become 0.
  void eject();
  int prow() const { return prow_; }
  int pcol() const { return pcol_; }
  // SETPRC(row, col): sets the head's position without output.
  void setprc(int row, int col) {
    prow_ = row;
    pcol_ = col;
  }
  void flush();

 private:
  void write(std::string_view bytes);
  // Writes the buffer out, asking the handler on a failure.
  void drain();
  int fd_ = -1;
  std::string path_;
  std::string buffer_;
  xbase::ErrorHandler handler_;
  bool failed_ = false;
  int open_errno_ = 0;
  int write_errno_ = 0;
  long long written_ = 0;
  int prow_ = 0;
  int pcol_ = 0;
};

}  // namespace console
