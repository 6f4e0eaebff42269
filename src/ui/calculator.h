// The calculator of Alt+S: four operations worked left to right on a keypad in the
// top-left corner of the screen, from the keyboard only. Enter closes it; when a
// numeric entry field is being edited, the result rounded to a whole number
// replaces the field's value as if typed from its first position.
#pragma once

#include <string>

#include "console/get_read.h"

namespace ui {

// The arithmetic of the keypad, without the screen.
class CalculatorState {
 public:
  // A key: a digit, ".", "+", "-", "*", "/", "=" or Enter (13). Others are ignored.
  void key(int k);
  double accumulator() const { return acc_; }
  const std::string& input() const { return input_; }
  // What the display shows: the input while one is typed, else the accumulator.
  const std::string& shown() const { return shown_; }

 private:
  double acc_ = 0;
  char pending_ = '+';
  std::string input_;
  std::string shown_ = "0";
};

// The accumulator as the display shows it, right-aligned in 10 columns: the sign,
// the whole part and up to 8 decimals without trailing zeros, after rounding to 8
// decimals; "**********" when the whole part with its sign needs more than 10.
std::string calculator_display(double value);

// The result for an entry field: rounded to a whole number, halves away from zero,
// without blanks ("-3"); "" when it is too large for any field.
std::string calculator_result(double value);

// CALCULATOR: the keypad until Esc or Enter; the screen, the colour and the cursor
// are as before afterwards.
void CALCULATOR(console::ReadContext& reads);

}  // namespace ui
