#include "ui/calculator.h"

#include <cmath>
#include <cstdio>

#include "console/frames.h"
#include "console/keys.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace ui {

namespace {

namespace key = console::key;

constexpr int kWidth = 10;
constexpr long long kScale = 100000000;  // 8 decimals

// |value| in hundred-millionths, rounded; false when the whole part has more than
// 10 digits (it could not be shown, nor typed into any field).
bool scaled(double value, long long& out) {
  double a = std::fabs(value);
  if (!(a < 1e10)) return false;
  out = std::llround(a * static_cast<double>(kScale));
  return true;
}

// The keypad: the labels "789/456*123-0.=+" in four rows.
void draw(console::Console& con) {
  con.clear_rect(0, 0, 14, 15);
  con.set_colour("i,i");
  con.clear_rect(0, 0, 12, 13);
  con.box(0, 0, 12, 13, console::kSingleFrame);
  con.set_colour("w/n");
  con.clear_rect(1, 1, 3, 12);
  const std::string labels = "789/456*123-0.=+";
  for (int k = 0; k < 16; ++k) con.say(5 + 2 * (k / 4), 2 + 3 * (k % 4), labels.substr(k, 1));
}

// Types the result into the numeric field being edited, from its first position;
// a result the field cannot hold is refused with a box.
void into_field(console::ReadContext& reads, double value) {
  console::ReadSession* s = reads.active();
  console::GetBuffer* edit = s ? s->buffer() : nullptr;
  if (!edit || !s->active_field() || edit->type() != 'N') return;
  const console::GetField& field = *s->active_field();
  std::string text = calculator_result(value);
  console::GetBuffer fresh(field.value(), field.picture);
  // Typed on a copy first: every character must land, none spill past the field,
  // and the field must read back the very number.
  console::GetBuffer probe = fresh;
  bool fits = !text.empty();
  for (size_t i = 0; fits && i < text.size(); ++i)
    fits = !probe.type_out() && probe.type_char(static_cast<unsigned char>(text[i]), false);
  if (fits) fits = probe.value().as_num() == std::stod(text);
  if (!fits) {
    kerdez(reads.console(), HU("Az eredmény nem fér el a mezőben!"), {"OK"});
    return;
  }
  *edit = fresh;  // the first key typed clears the field
  reads.console().keyboard(text);
}

}  // namespace

void CalculatorState::key(int k) {
  bool digit = k >= '0' && k <= '9';
  if (digit || (k == '.' && input_.find('.') == std::string::npos)) {
    if (input_.size() >= kWidth) return;
    if (pending_ == '=') {  // a new calculation
      acc_ = 0;
      pending_ = '+';
    }
    input_ += static_cast<char>(k);
    shown_ = input_;
    return;
  }
  if (k != '+' && k != '-' && k != '*' && k != '/' && k != '=' && k != key::kEnter) return;
  double x = std::atof(input_.c_str());  // an empty input counts as 0
  switch (pending_) {
    case '+': acc_ += x; break;
    case '-': acc_ -= x; break;
    case '*': acc_ *= x; break;
    case '/': acc_ = x == 0 ? 0 : acc_ / x; break;  // dividing by zero gives 0
    default: break;
  }
  input_.clear();
  shown_ = calculator_display(acc_);
  pending_ = k == key::kEnter ? '=' : static_cast<char>(k);
}

std::string calculator_display(double value) {
  long long n = 0;
  if (!scaled(value, n)) return std::string(kWidth, '*');
  std::string text = (value < 0 && n != 0 ? "-" : "") + std::to_string(n / kScale);
  if (text.size() > kWidth) return std::string(kWidth, '*');
  if (long long frac = n % kScale; frac != 0) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08lld", frac);
    std::string digits = buf;
    while (digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  return xbase::padl(xbase::left(text, kWidth), kWidth);
}

std::string calculator_result(double value) {
  long long n = 0;
  if (!scaled(value, n)) return "";
  long long whole = n / kScale + (n % kScale >= kScale / 2 ? 1 : 0);
  return (value < 0 && whole != 0 ? "-" : "") + std::to_string(whole);
}

void CALCULATOR(console::ReadContext& reads) {
  console::Console& con = reads.console();
  console::Screen::Saved saved = con.screen().save_all();
  console::Colours colours = con.colours();
  int row = con.row(), col = con.col();

  draw(con);
  CalculatorState calc;
  con.say(2, 2, xbase::padl(calc.shown(), kWidth));
  int k = 0;
  for (;;) {
    k = con.inkey(0);  // the calculator's own keys: no hot keys here
    if (k == key::kEsc) break;
    if (k == '+' || k == '-' || k == '*' || k == '/' || k == '=')
      con.say(1, 10, std::string(1, static_cast<char>(k)));
    calc.key(k);
    con.say(2, 2, xbase::padl(calc.shown(), kWidth));
    if (k == key::kEnter) break;
  }
  con.screen().restore(saved);
  con.set_colours(colours);
  con.set_pos(row, col);
  if (k == key::kEnter) into_field(reads, calc.accumulator());
}

}  // namespace ui
