// The printer side of the output device: positioned output into a printer file with
// the print head's row and column (PROW, PCOL), as the runtime writes it:
//   a row below the current one: CR LF for each row moved down;
//   a row above the current one: an eject first (form feed, carriage return);
//   a column left of the current one: CR, then blanks to the column;
//   a column to the right: blanks.
// Which file or device a port name means is decided by the print routing; this
// class writes to the path it is given.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace console {

class Printer {
 public:
  Printer() = default;
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;
  ~Printer() { close(); }

  // SET PRINTER TO path [ADDITIVE]; an empty path closes the file. Returns false
  // when the file cannot be opened (the printer is then closed).
  bool set_printer(const std::string& path, bool additive = false);
  void close();
  bool is_open() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }
  // True when a write failed since the file was opened.
  bool failed() const { return failed_; }

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
  std::FILE* file_ = nullptr;
  std::string path_;
  bool failed_ = false;
  int prow_ = 0;
  int pcol_ = 0;
};

}  // namespace console
