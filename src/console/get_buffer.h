// The edit buffer of one entry field: the picture taken apart, the text the user
// edits with its cursor, and the value read back from it. No screen and no keys
// here: the read (get_read.h) turns keys into these operations.
//
// The buffer holds the whole value. Positions whose template character is a slot
// (9 # X ! A N L Y) take typed characters; the others are literals the cursor skips.
// With @R the literals are shown but not stored. The field on the screen is as wide
// as the buffer, or n columns with "@S<n>": then a view of n columns scrolls over the
// buffer to keep the cursor in sight, and the field shows its first n columns when it
// is not being edited.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "xbase/value.h"

namespace console {

struct Picture {
  std::string functions;  // the letters after "@", upper case ("KR", "EZ")
  std::string tmpl;       // the template; empty when none was given
  int scroll = 0;         // n of "@S<n>": the columns the field takes; 0 when none
  bool has(char f) const { return functions.find(f) != std::string::npos; }
  static Picture parse(std::string_view picture);
};

class GetBuffer {
 public:
  GetBuffer() = default;
  // A buffer for `value` under `picture`; it holds the value as it was (for Ctrl+U).
  GetBuffer(const xbase::Value& value, std::string_view picture);

  const std::string& text() const { return text_; }
  int width() const { return static_cast<int>(text_.size()); }
  int pos() const { return pos_; }
  // The field on the screen: its width, the part of the text shown while it is
  // edited, and the cursor's column in it.
  int shown_width() const;
  std::string shown_text() const;
  int shown_pos() const { return pos_ - view_start(); }
  char type() const { return type_; }  // 'C', 'N', 'D', 'L'
  bool changed() const { return changed_; }
  // True when the field is to be left as with Enter (SET CONFIRM off): the last
  // typed character filled the last position, or the cursor was pushed past an end
  // (Left or Backspace on the first position, Right or Ctrl+Right on the last) and
  // then a key the picture refuses was typed.
  bool type_out() const { return type_out_; }
  bool is_slot(int i) const;

  // --- cursor ---
  void home();
  void end();  // after the last non-blank character; from there to the last position
  void left();
  void right();
  void word_left();   // any run of non-blanks is a word, literals included
  void word_right();  // with no next word: the last position

  // --- editing ---
  // Types one character at the cursor (overwrite or insert). False when the picture
  // refuses it; the buffer is then unchanged (as it is for a point or comma in a
  // number without decimals, which is passed over, not refused). Del, Backspace and inserting shift the
  // characters only within the run of positions between two literals.
  bool type_char(unsigned char c, bool insert);
  void backspace();
  void del();
  void del_to_end();  // Ctrl+Y
  void del_word();    // Ctrl+T: to the end of the word and the blank after it
  // Ctrl+U: the value as it was when the buffer was made; the first typed key
  // clears the field again.
  void undo();
  // The buffer shown again from `value` (after a key handler changed the variable);
  // the original for Ctrl+U stays.
  void reload(const xbase::Value& value);
  // The field as the cursor found it on entering, but showing `value`: the cursor on
  // the first position, and the first typed key clearing a number or an @K field
  // again. Done when the field's check is about to run, so that a refused value is
  // typed over as a fresh one. The original for Ctrl+U and Esc stays.
  void reset(const xbase::Value& value);
  // The value the field had when the cursor entered it.
  const xbase::Value& original() const { return original_; }

  // --- reading the value back ---
  // False for a date that does not exist ("2023.02.30") or is only half typed.
  bool valid_date() const;
  // The value the buffer stands for, of the original value's type and size.
  xbase::Value value() const;
  // How the field shows `value` when it is not being edited (shown_width() wide).
  std::string display(const xbase::Value& value) const;

 private:
  void build(const xbase::Value& value);
  int first_slot() const;
  int last_slot() const;
  int next_slot(int i) const;  // the first slot after i, or -1
  int prev_slot(int i) const;  // the last slot before i, or -1
  void clear();                // every slot blank, cursor on the first slot
  int run_end(int i) const;    // the last slot of the run of slots holding i
  bool accepts(int i, unsigned char& c) const;
  void point();                // "." in a number: integer part right-aligned, cursor to the decimals
  int decimal_point() const;   // position of the numeric template's point, -1 when none
  int view_start() const;      // the first position the scrolling view shows
  xbase::Date typed_date() const;

  Picture pic_;
  std::string tmpl_;      // the template actually used (derived when none was given)
  std::string picture_;   // the picture for display: functions and tmpl_
  std::string edit_picture_;  // the same without "Z": a zero is edited as "0"
  xbase::Value original_;
  std::string text_;
  int pos_ = 0;
  char type_ = 'C';
  int orig_len_ = 0;       // length of a character value
  bool changed_ = false;
  bool clear_ = false;     // the next typed character first clears the field
  bool clears_ = false;    // whether the field's first typed character clears it
  bool type_out_ = false;
};

}  // namespace console
