#include "console/printer.h"

namespace console {

bool Printer::set_printer(const std::string& path, bool additive) {
  close();
  if (path.empty()) return true;
  file_ = std::fopen(path.c_str(), additive ? "ab" : "wb");
  if (!file_) return false;
  path_ = path;
  failed_ = false;
  return true;
}

void Printer::close() {
  if (file_) {
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
  }
  path_.clear();
}

void Printer::flush() {
  if (file_ && std::fflush(file_) != 0) failed_ = true;
}

void Printer::write(std::string_view bytes) {
  if (!file_ || bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
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
    write(std::string(static_cast<std::size_t>(col - pcol_), ' '));
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
