#include "console/screen.h"

#include <algorithm>
#include <cstdio>

#include "xbase/cp852.h"

namespace console {

void Screen::write(int row, int col, std::string_view cp852, Attr attr) {
  if (row < 0 || row >= kRows) return;
  for (std::size_t i = 0; i < cp852.size(); ++i) {
    int c = col + static_cast<int>(i);
    if (c < 0) continue;
    if (c >= kCols) break;
    cells_[index(row, c)] = Cell{static_cast<unsigned char>(cp852[i]), attr};
  }
  dirty_ = true;
}

void Screen::fill(int top, int left, int bottom, int right, unsigned char ch, Attr attr) {
  top = std::max(top, 0);
  left = std::max(left, 0);
  bottom = std::min(bottom, kRows - 1);
  right = std::min(right, kCols - 1);
  for (int r = top; r <= bottom; ++r)
    for (int c = left; c <= right; ++c) cells_[index(r, c)] = Cell{ch, attr};
  dirty_ = true;
}

void Screen::frame(int top, int left, int bottom, int right, std::string_view f, Attr attr) {
  if (f.size() < 8 || bottom < top || right < left) return;
  auto put = [&](int r, int c, char ch) {
    if (r >= 0 && r < kRows && c >= 0 && c < kCols)
      cells_[index(r, c)] = Cell{static_cast<unsigned char>(ch), attr};
  };
  if (f.size() >= 9 && bottom - top >= 2 && right - left >= 2)
    fill(top + 1, left + 1, bottom - 1, right - 1, static_cast<unsigned char>(f[8]), attr);
  for (int c = left + 1; c < right; ++c) {
    put(top, c, f[1]);
    put(bottom, c, f[5]);
  }
  for (int r = top + 1; r < bottom; ++r) {
    put(r, left, f[7]);
    put(r, right, f[3]);
  }
  put(top, left, f[0]);
  put(top, right, f[2]);
  put(bottom, right, f[4]);
  put(bottom, left, f[6]);
  dirty_ = true;
}

void Screen::scroll(int top, int left, int bottom, int right, int rows, Attr attr) {
  top = std::max(top, 0);
  left = std::max(left, 0);
  bottom = std::min(bottom, kRows - 1);
  right = std::min(right, kCols - 1);
  if (top > bottom || left > right || rows == 0) return;
  int height = bottom - top + 1;
  if (rows >= height || -rows >= height) {
    fill(top, left, bottom, right, ' ', attr);
    return;
  }
  if (rows > 0) {
    for (int r = top; r <= bottom - rows; ++r)
      for (int c = left; c <= right; ++c) cells_[index(r, c)] = cells_[index(r + rows, c)];
    fill(bottom - rows + 1, left, bottom, right, ' ', attr);
  } else {
    for (int r = bottom; r >= top - rows; --r)
      for (int c = left; c <= right; ++c) cells_[index(r, c)] = cells_[index(r + rows, c)];
    fill(top, left, top - rows - 1, right, ' ', attr);
  }
  dirty_ = true;
}

Screen::Saved Screen::save(int top, int left, int bottom, int right) const {
  Saved s;
  s.top = std::max(top, 0);
  s.left = std::max(left, 0);
  s.bottom = std::min(bottom, kRows - 1);
  s.right = std::min(right, kCols - 1);
  for (int r = s.top; r <= s.bottom; ++r)
    for (int c = s.left; c <= s.right; ++c) s.cells.push_back(cells_[index(r, c)]);
  return s;
}

void Screen::restore(const Saved& s) {
  std::size_t i = 0;
  for (int r = s.top; r <= s.bottom; ++r)
    for (int c = s.left; c <= s.right && i < s.cells.size(); ++c) cells_[index(r, c)] = s.cells[i++];
  dirty_ = true;
}

void Screen::set_cursor(int row, int col) {
  if (row != cursor_row_ || col != cursor_col_) dirty_ = true;
  cursor_row_ = row;
  cursor_col_ = col;
}

void Screen::set_cursor_shape(CursorShape s) {
  if (s != cursor_shape_) dirty_ = true;
  cursor_shape_ = s;
}

std::string Screen::row_utf8(int row) const {
  std::string bytes;
  for (int c = 0; c < kCols; ++c) bytes += static_cast<char>(at(row, c).ch);
  return xbase::cp852_to_utf8(bytes);
}

std::string Screen::text_utf8() const {
  std::string s;
  for (int r = 0; r < kRows; ++r) {
    if (r) s += '\n';
    s += row_utf8(r);
  }
  return s;
}

std::string Screen::row_attrs_hex(int row) const {
  std::string s;
  char buf[3];
  for (int c = 0; c < kCols; ++c) {
    std::snprintf(buf, sizeof buf, "%02x", at(row, c).attr);
    s += buf;
  }
  return s;
}

}  // namespace console
