// The 80×25 text screen: cells of one CP852 byte and one attribute each.
// Writes go to this model; a backend shows it when the program waits for a key.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "console/colour.h"

namespace console {

struct Cell {
  unsigned char ch = ' ';
  Attr attr = 0x07;
  bool operator==(const Cell&) const = default;
};

enum class CursorShape { Off, Normal };

class Screen {
 public:
  static constexpr int kRows = 25;
  static constexpr int kCols = 80;

  // A saved rectangle (inclusive coordinates), clipped to the screen.
  struct Saved {
    int top = 0, left = 0, bottom = -1, right = -1;
    std::vector<Cell> cells;
  };

  const Cell& at(int row, int col) const { return cells_[index(row, col)]; }

  // Writes CP852 text from (row, col); what falls outside the screen is dropped.
  void write(int row, int col, std::string_view cp852, Attr attr);
  // Fills the rectangle with `ch` in `attr`.
  void fill(int top, int left, int bottom, int right, unsigned char ch, Attr attr);
  // Draws a frame on the rectangle's edge from a frame string of eight CP852
  // characters (top-left, top, top-right, right, bottom-right, bottom, bottom-left,
  // left); a ninth character fills the inside.
  void frame(int top, int left, int bottom, int right, std::string_view frame, Attr attr);

  // Moves the rectangle's contents up by `rows` (down when negative); the rows left
  // behind are blanked in `attr`. Scrolling by the height or more clears it.
  void scroll(int top, int left, int bottom, int right, int rows, Attr attr);

  Saved save(int top, int left, int bottom, int right) const;
  Saved save_all() const { return save(0, 0, kRows - 1, kCols - 1); }
  void restore(const Saved& s);

  int cursor_row() const { return cursor_row_; }
  int cursor_col() const { return cursor_col_; }
  void set_cursor(int row, int col);
  CursorShape cursor_shape() const { return cursor_shape_; }
  void set_cursor_shape(CursorShape s);

  // Changes since the backend last showed the screen.
  bool dirty() const { return dirty_; }
  void mark_clean() { dirty_ = false; }

  // One row as UTF-8, trailing blanks kept; the whole screen as 25 such lines
  // joined with '\n'.
  std::string row_utf8(int row) const;
  std::string text_utf8() const;
  // The attributes of one row as slot strings would be long; this gives two hex
  // digits per cell.
  std::string row_attrs_hex(int row) const;

 private:
  static int index(int row, int col) { return row * kCols + col; }
  std::array<Cell, kRows * kCols> cells_{};
  int cursor_row_ = 0, cursor_col_ = 0;
  CursorShape cursor_shape_ = CursorShape::Normal;
  bool dirty_ = true;
};

}  // namespace console
