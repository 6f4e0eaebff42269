// The console context: the screen, the terminal under it, the colours, the keyboard
// with its buffer, key filter and hot keys, the clipboard and the output device.
// Every part of the program that draws or reads keys gets one of these; tests make
// their own over a headless terminal.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "console/backend.h"
#include "console/colour.h"
#include "console/keys.h"
#include "console/printer.h"
#include "console/screen.h"

namespace xbase {
class Value;
}

namespace console {

enum class Device { Screen, Printer };

class Console {
 public:
  using HotKey = std::function<void(Console&)>;
  using HotKeys = std::map<int, HotKey>;
  // The key filter sees every key from the terminal first; it returns the key to
  // pass on, or 0 to drop it.
  using KeyFilter = std::function<int(Console&, int key)>;

  // A null backend gives a console without a terminal (a headless one).
  explicit Console(std::unique_ptr<Backend> backend);
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  Backend& backend() { return *backend_; }
  Screen& screen() { return screen_; }
  const Screen& screen() const { return screen_; }

  // ISCOLOR(): whether the terminal shows colours (else the monochrome variants).
  bool is_colour() const { return colour_; }
  void set_is_colour(bool c) { colour_ = c; }

  // SETCOLOR(): returns the previous colour string.
  std::string set_colour(std::string_view colour_string);
  std::string colour_string() const { return console::colour_string(colours_); }
  const Colours& colours() const { return colours_; }
  void set_colours(const Colours& c) { colours_ = c; }
  Attr attr(int slot = kStandard) const { return colours_[slot]; }

  // @ row, col SAY text: on the screen in the standard colour (or `attr`), or on the
  // printer when the device is the printer. The cursor (or the print head) ends
  // after the text.
  void say(int row, int col, std::string_view cp852);
  void say(int row, int col, std::string_view cp852, Attr attr);
  // DEVOUT(text): at the cursor (or the print head), which moves on.
  void out(std::string_view cp852);
  // @ row, col SAY value PICTURE picture, through TRANSFORM.
  void say_picture(int row, int col, const xbase::Value& value, std::string_view picture);

  // CLS / CLEAR SCREEN: blanks in the standard colour, cursor home.
  void clear_screen();
  // @ top, left CLEAR TO bottom, right.
  void clear_rect(int top, int left, int bottom, int right);
  // SCROLL(top, left, bottom, right, rows): up by `rows`, down when negative.
  void scroll(int top, int left, int bottom, int right, int rows) {
    screen_.scroll(top, left, bottom, right, rows, attr(kStandard));
  }
  // @ … BOX frame: frame string of eight characters (a ninth fills the inside).
  void box(int top, int left, int bottom, int right, std::string_view frame);
  void box(int top, int left, int bottom, int right, std::string_view frame, Attr attr);

  // SET MESSAGE TO row [CENTER]: where menus show the message of the highlighted
  // item. The program uses row 24, centred.
  void set_message_row(int row, bool centre) {
    message_row_ = row;
    message_centre_ = centre;
  }
  int message_row() const { return message_row_; }
  // Clears the message row and shows `cp852` on it (centred: from column
  // message_column(length)). Does nothing when no message row is set (row 0 or less).
  void show_message(std::string_view cp852);
  static int message_column(int length) { return length < 79 ? (79 - length) / 2 : 0; }

  // The terminal window's title.
  void set_title(std::string_view cp852) { backend_->set_title(cp852); }
  // The terminal's bell (at once, not at the next refresh).
  void ring_bell() { backend_->ring_bell(); }

  int row() const { return screen_.cursor_row(); }
  int col() const { return screen_.cursor_col(); }
  void set_pos(int row, int col) { screen_.set_cursor(row, col); }
  void set_cursor(CursorShape s) { screen_.set_cursor_shape(s); }

  // Shows what changed since the last time; the keyboard calls it before waiting.
  void refresh();

  // --- keyboard ---
  // INKEY(): the next key without waiting, 0 when none.
  int inkey();
  // INKEY(seconds): waits up to `seconds`, for ever when 0.
  int inkey(double seconds);
  // The wait of a field, menu, list or browse: for ever, and hot keys run here.
  int read_key();
  int last_key() const { return last_key_; }
  void set_last_key(int k) { last_key_ = k; }
  // NEXTKEY(): the key INKEY() would return, left in place.
  int next_key();
  // KEYBOARD text: clears the buffer, then puts the CP852 text's codes into it.
  void keyboard(std::string_view cp852);
  // Adds one key code at the end of the buffer.
  void put_key(int code) { buffer_.push_back(code); }
  // CLEAR TYPEAHEAD: empties the buffer and drops the keys typed ahead that still
  // wait in the terminal's input. Keys the program puts in afterwards (KEYBOARD)
  // are kept as usual.
  void clear_keyboard();
  bool keyboard_empty() const { return buffer_.empty(); }
  // The shift state of the last key from the terminal (key::kShiftBit*).
  int shift_state() const { return shift_state_; }
  void set_key_filter(KeyFilter f) { filter_ = std::move(f); }

  // --- hot keys (SET KEY) ---
  void set_key(int code, HotKey handler);
  void clear_key(int code) { hot_keys_.erase(code); }
  const HotKeys& hot_keys() const { return hot_keys_; }
  void restore_hot_keys(HotKeys saved) { hot_keys_ = std::move(saved); }
  bool hot_key_running(int code) const { return running_.count(code) != 0; }
  // A key whose binding belongs to the entry fields' own wait (ReadSession): the wait
  // of menus, lists, browses and boxes (read_key) returns it as a plain key, so that
  // a form's Esc or PgDn handler does not act inside a question box or a pick list.
  void set_field_key(int code, bool field_only) {
    if (field_only) field_keys_.insert(code);
    else field_keys_.erase(code);
  }
  const std::set<int>& field_keys() const { return field_keys_; }
  void restore_field_keys(std::set<int> saved) { field_keys_ = std::move(saved); }

  // --- clipboard ---
  const std::string& clipboard() const { return clipboard_; }
  void set_clipboard(std::string_view cp852);

  // --- output device (SET DEVICE) ---
  Device device() const { return device_; }
  Device set_device(Device d) {
    Device old = device_;
    device_ = d;
    return old;
  }
  Printer& printer() { return printer_; }

 private:
  int wait(int timeout_ms);  // -1: for ever

  std::unique_ptr<Backend> backend_;
  Screen screen_;
  Colours colours_;
  bool colour_ = true;
  std::deque<int> buffer_;
  int last_key_ = 0;
  int shift_state_ = 0;
  KeyFilter filter_;
  HotKeys hot_keys_;
  std::set<int> running_;
  std::set<int> field_keys_;
  std::string clipboard_;
  int message_row_ = 0;
  bool message_centre_ = false;
  Device device_ = Device::Screen;
  Printer printer_;
};

// The key filter of the program: Ctrl+V pastes the clipboard into the keyboard
// buffer and Ctrl+C copies the active field's value (trimmed) to the clipboard,
// while a field is active. `active_field` returns false when no field is active,
// else true with the field's value as text.
Console::KeyFilter clipboard_filter(std::function<bool(std::string& value)> active_field);

}  // namespace console
