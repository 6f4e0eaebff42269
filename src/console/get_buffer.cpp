#include "console/get_buffer.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "xbase/cp852.h"
#include "xbase/functions.h"

namespace console {

using xbase::Value;

Picture Picture::parse(std::string_view picture) {
  Picture p;
  if (!picture.empty() && picture[0] == '@') {
    std::size_t blank = picture.find(' ');
    std::string_view f = picture.substr(1, blank == std::string_view::npos ? std::string_view::npos : blank - 1);
    for (char c : f) p.functions += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::size_t s = p.functions.find('S');
    if (s != std::string::npos) {
      for (std::size_t i = s + 1; i < p.functions.size() && std::isdigit(static_cast<unsigned char>(p.functions[i])) &&
                                  p.scroll < 1000;
           ++i)
        p.scroll = p.scroll * 10 + (p.functions[i] - '0');
    }
    if (blank != std::string_view::npos) p.tmpl = std::string(picture.substr(blank + 1));
  } else {
    p.tmpl = std::string(picture);
  }
  return p;
}

GetBuffer::GetBuffer(const Value& value, std::string_view picture)
    : pic_(Picture::parse(picture)), original_(value) {
  switch (value.type()) {
    case xbase::Type::Numeric: type_ = 'N'; break;
    case xbase::Type::Date: type_ = 'D'; break;
    case xbase::Type::Logical: type_ = 'L'; break;
    default: type_ = 'C'; break;
  }
  if (type_ == 'C') orig_len_ = static_cast<int>(value.as_str().size());
  tmpl_ = pic_.tmpl;
  if (tmpl_.empty()) {
    switch (type_) {
      case 'N':
        for (char c : xbase::str(value)) tmpl_ += c == '.' ? '.' : '9';
        break;
      case 'D': tmpl_ = "9999.99.99"; break;
      case 'L': tmpl_ = "L"; break;
      default: tmpl_ = std::string(static_cast<std::size_t>(orig_len_), 'X'); break;
    }
  }
  picture_ = pic_.functions.empty() ? tmpl_ : "@" + pic_.functions + " " + tmpl_;
  std::string edit_functions = pic_.functions;
  std::erase(edit_functions, 'Z');
  edit_picture_ = edit_functions.empty() ? tmpl_ : "@" + edit_functions + " " + tmpl_;
  clears_ = pic_.has('K') || type_ == 'N';
  reset(value);
}

bool GetBuffer::is_slot(int i) const {
  if (i < 0 || i >= width()) return false;
  char t = tmpl_[static_cast<std::size_t>(i)];
  switch (type_) {
    case 'N': return t == '9' || t == '#';
    case 'D': return t == '9';
    case 'L': return t == 'L' || t == 'Y' || t == 'l' || t == 'y';
    default: {
      char u = static_cast<char>(std::toupper(static_cast<unsigned char>(t)));
      return u == '9' || u == '#' || u == 'X' || u == 'A' || u == '!' || u == 'N' || u == 'L' || u == 'Y';
    }
  }
}

void GetBuffer::build(const Value& value) {
  std::size_t w = tmpl_.size();
  switch (type_) {
    case 'N':
      text_ = xbase::transform(value, edit_picture_);
      text_.resize(w, ' ');
      break;
    case 'D':
      text_ = xbase::dtoc(value.as_date());
      text_.resize(w, ' ');
      break;
    case 'L': {
      bool yn = tmpl_[0] == 'Y' || tmpl_[0] == 'y';
      text_ = value.as_logical() ? (yn ? "Y" : "T") : (yn ? "N" : "F");
      text_.resize(w, ' ');
      break;
    }
    default: {
      const std::string& s = value.as_str();
      text_.assign(w, ' ');
      std::size_t next = 0;  // the value's next byte (with @R)
      for (std::size_t i = 0; i < w; ++i) {
        if (!is_slot(static_cast<int>(i))) {
          text_[i] = tmpl_[i];
          continue;
        }
        std::size_t from = pic_.has('R') ? next++ : i;
        unsigned char c = from < s.size() ? static_cast<unsigned char>(s[from]) : ' ';
        if (pic_.has('!') || tmpl_[i] == '!') c = xbase::hu852_upper(c);
        text_[i] = static_cast<char>(c);
      }
      break;
    }
  }
}

int GetBuffer::first_slot() const { return next_slot(-1) < 0 ? 0 : next_slot(-1); }

int GetBuffer::last_slot() const {
  int p = prev_slot(width());
  return p < 0 ? 0 : p;
}

int GetBuffer::next_slot(int i) const {
  for (int j = i + 1; j < width(); ++j)
    if (is_slot(j)) return j;
  return -1;
}

int GetBuffer::prev_slot(int i) const {
  for (int j = i - 1; j >= 0; --j)
    if (is_slot(j)) return j;
  return -1;
}

int GetBuffer::shown_width() const {
  return pic_.scroll > 0 ? std::min(pic_.scroll, width()) : width();
}

// The view keeps three positions right of the cursor while the value goes on (a
// narrow view of eight columns or fewer keeps the cursor in its middle).
int GetBuffer::view_start() const {
  int n = shown_width();
  if (n >= width()) return 0;
  int start = n > 8 ? pos_ - n + 4 : pos_ - n / 2;
  return std::clamp(start, 0, width() - n);
}

std::string GetBuffer::shown_text() const {
  return text_.substr(static_cast<std::size_t>(view_start()), static_cast<std::size_t>(shown_width()));
}

int GetBuffer::decimal_point() const {
  if (type_ != 'N') return -1;
  std::size_t p = tmpl_.find('.');
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

// A number's thousands separators stay hidden until the field is left and shown
// again through its picture; its decimal point stays.
void GetBuffer::clear() {
  int dp = decimal_point();
  for (int i = 0; i < width(); ++i) {
    char& c = text_[static_cast<std::size_t>(i)];
    if (is_slot(i)) c = ' ';
    else if (type_ != 'N') c = tmpl_[static_cast<std::size_t>(i)];
    else c = i != dp ? ' ' : pic_.has('E') ? ',' : '.';
  }
  pos_ = first_slot();
}

int GetBuffer::run_end(int i) const {
  while (is_slot(i + 1)) ++i;
  return i;
}

// Every key but an accepted character ends the first-key clear; only a push past
// an end arms the leaving on a refused character.
void GetBuffer::home() {
  clear_ = type_out_ = false;
  pos_ = first_slot();
}

void GetBuffer::end() {
  clear_ = type_out_ = false;
  int last = -1;
  for (int i = 0; i < width(); ++i)
    if (is_slot(i) && text_[static_cast<std::size_t>(i)] != ' ') last = i;
  int n = last < 0 ? first_slot() : next_slot(last);
  int after = n < 0 ? last : n;
  pos_ = pos_ == after ? last_slot() : after;
}

void GetBuffer::left() {
  clear_ = false;
  int p = prev_slot(pos_);
  type_out_ = p < 0;
  if (p >= 0) pos_ = p;
}

void GetBuffer::right() {
  clear_ = false;
  int n = next_slot(pos_);
  type_out_ = n < 0;
  if (n >= 0) pos_ = n;
}

void GetBuffer::word_left() {
  clear_ = type_out_ = false;
  auto blank = [&](int i) { return text_[static_cast<std::size_t>(i)] == ' '; };
  int p = pos_ - 1;
  while (p >= 0 && blank(p)) --p;
  if (p < 0) return;  // no word before the cursor
  while (p > 0 && !blank(p - 1)) --p;
  while (p < pos_ && !is_slot(p)) ++p;  // a word that begins with a literal
  if (is_slot(p)) pos_ = p;
}

void GetBuffer::word_right() {
  clear_ = false;
  auto blank = [&](int i) { return text_[static_cast<std::size_t>(i)] == ' '; };
  int p = pos_;
  while (p < width() && !blank(p)) ++p;
  while (p < width() && blank(p)) ++p;
  while (p < width() && !is_slot(p)) ++p;
  type_out_ = p >= width() && pos_ == last_slot();
  pos_ = p < width() ? p : last_slot();
}

bool GetBuffer::accepts(int i, unsigned char& c) const {
  if (c < 32 || !is_slot(i)) return false;
  char t = static_cast<char>(std::toupper(static_cast<unsigned char>(tmpl_[static_cast<std::size_t>(i)])));
  bool digit = c >= '0' && c <= '9';
  switch (type_) {
    case 'N': return digit || c == '-' || c == '+' || (t == '#' && c == ' ');
    case 'D': return digit;
    default: break;
  }
  if (t == 'L' || t == 'Y') {
    unsigned char u = xbase::hu852_upper(c);
    if (u != 'T' && u != 'F' && u != 'Y' && u != 'N') return false;
    if (t == 'Y' || type_ == 'L') {
      bool yes = u == 'T' || u == 'Y';
      c = t == 'Y' ? (yes ? 'Y' : 'N') : (yes ? 'T' : 'F');
    } else {
      c = u;
    }
    return true;
  }
  switch (t) {
    case '9': if (!digit) return false; break;
    case '#': if (!digit && c != ' ' && c != '+' && c != '-') return false; break;
    case 'A': if (!xbase::hu852_is_alpha(c)) return false; break;
    case 'N': if (!xbase::hu852_is_alpha(c) && !digit) return false; break;
    case '!': c = xbase::hu852_upper(c); break;
    default: break;
  }
  if (pic_.has('!')) c = xbase::hu852_upper(c);
  return true;
}

void GetBuffer::point() {
  int dp = decimal_point();
  if (dp < 0) return;
  std::string digits;
  for (int i = 0; i < dp; ++i)
    if (is_slot(i) && text_[static_cast<std::size_t>(i)] != ' ') digits += text_[static_cast<std::size_t>(i)];
  for (int i = prev_slot(dp); i >= 0; i = prev_slot(i)) {
    if (digits.empty()) {
      text_[static_cast<std::size_t>(i)] = ' ';
    } else {
      text_[static_cast<std::size_t>(i)] = digits.back();
      digits.pop_back();
    }
  }
  int n = next_slot(dp);
  if (n >= 0) pos_ = n;
  changed_ = true;
}

// In a number "." (and "," the same) goes to the decimals; without decimals both are
// ignored, so that "150.000" typed as a thousands separator gives 150000.
bool GetBuffer::type_char(unsigned char c, bool insert) {
  bool at_start = pos_ == first_slot();
  if (type_ == 'N' && (c == '.' || c == ',')) {
    if (decimal_point() < 0) return true;  // passed over, not refused
    if (clear_ && at_start) clear();
    clear_ = type_out_ = false;
    point();
    return true;
  }
  if (!accepts(pos_, c)) return false;  // a push past an end before leaves the field
  if (clear_ && (pic_.has('K') || at_start)) clear();
  clear_ = false;
  if (insert) {  // the run's last character falls off
    auto b = text_.begin();
    int last = run_end(pos_);
    std::copy_backward(b + pos_, b + last, b + last + 1);
  }
  text_[static_cast<std::size_t>(pos_)] = static_cast<char>(c);
  changed_ = true;
  int n = next_slot(pos_);
  type_out_ = n < 0;
  if (n >= 0) pos_ = n;
  return true;
}

void GetBuffer::del() {
  clear_ = type_out_ = false;
  if (!is_slot(pos_)) return;
  auto b = text_.begin();
  int last = run_end(pos_);
  std::copy(b + pos_ + 1, b + last + 1, b + pos_);
  text_[static_cast<std::size_t>(last)] = ' ';
  changed_ = true;
}

void GetBuffer::backspace() {
  clear_ = false;
  int p = prev_slot(pos_);
  type_out_ = p < 0;
  if (p < 0) return;
  pos_ = p;
  del();
}

void GetBuffer::del_to_end() {
  clear_ = type_out_ = false;
  for (int s = is_slot(pos_) ? pos_ : next_slot(pos_); s >= 0; s = next_slot(s))
    text_[static_cast<std::size_t>(s)] = ' ';
  changed_ = true;
}

void GetBuffer::del_word() {
  int n = 0;
  for (int p = pos_; p < width() && text_[static_cast<std::size_t>(p)] != ' '; ++p) ++n;
  if (pos_ + n < width()) ++n;  // the blank after the word
  for (int i = 0; i < n; ++i) del();
  clear_ = type_out_ = false;
}

void GetBuffer::undo() { reset(original_); }

void GetBuffer::reload(const Value& value) {
  build(value);
  changed_ = false;
  type_out_ = false;
  if (!is_slot(pos_)) pos_ = first_slot();
}

void GetBuffer::reset(const Value& value) {
  build(value);
  changed_ = false;
  type_out_ = false;
  clear_ = clears_;
  pos_ = first_slot();
}

// A year typed with four digits below 100 ("0024") is read through the century
// window as a two-digit year is.
xbase::Date GetBuffer::typed_date() const {
  std::string t = text_;
  std::size_t year = t.find_first_of("0123456789");
  if (year != std::string::npos && year + 4 <= t.size() && t.compare(year, 2, "00") == 0 &&
      std::isdigit(static_cast<unsigned char>(t[year + 2])) && std::isdigit(static_cast<unsigned char>(t[year + 3])))
    t.replace(year, 2, "  ");
  return xbase::ctod(t);
}

bool GetBuffer::valid_date() const {
  if (type_ != 'D') return true;
  bool blank = true;
  for (int i = 0; i < width(); ++i)
    if (is_slot(i) && text_[static_cast<std::size_t>(i)] != ' ') blank = false;
  return blank || !typed_date().empty();
}

Value GetBuffer::value() const {
  switch (type_) {
    case 'N': {
      // The digits in their order; a minus only before the first digit; "+" and
      // blanks are nothing.
      std::string s;
      bool neg = false, digits = false;
      int dp = decimal_point();
      for (int i = 0; i < width(); ++i) {
        char c = text_[static_cast<std::size_t>(i)];
        if (i == dp) s += '.';
        else if (!is_slot(i)) continue;
        else if (c >= '0' && c <= '9') s += c, digits = true;
        else if (c == '-' && !digits) neg = true;
      }
      double v = std::strtod(s.c_str(), nullptr);
      if (neg) v = -v;
      if (original_.is_num()) return Value::num(v, original_.width(), original_.decimals());
      int decs = dp < 0 ? 0 : width() - dp - 1;
      return Value::num(v, width(), decs);
    }
    case 'D':
      return Value::date(valid_date() ? typed_date() : xbase::Date());
    case 'L': {
      char c = text_.empty() ? 'F' : text_[0];
      return Value::logical(c == 'T' || c == 'Y' || c == 't' || c == 'y');
    }
    default: {
      std::string s;
      if (pic_.has('R')) {
        for (int i = 0; i < width(); ++i)
          if (is_slot(i)) s += text_[static_cast<std::size_t>(i)];
      } else {
        s = text_;
      }
      if (orig_len_ > 0) s.resize(static_cast<std::size_t>(orig_len_), ' ');
      return Value::str(std::move(s));
    }
  }
}

std::string GetBuffer::display(const Value& value) const {
  std::string s;
  switch (type_) {
    case 'D': s = xbase::dtoc(value.as_date()); break;
    case 'L': {
      GetBuffer copy = *this;
      copy.build(value);
      s = copy.text_;
      break;
    }
    case 'N': s = xbase::transform(value, picture_); break;
    default:
      if (!value.is_str()) return std::string(static_cast<std::size_t>(shown_width()), ' ');
      s = xbase::transform(value, picture_);
      break;
  }
  s.resize(static_cast<std::size_t>(shown_width()), ' ');
  return s;
}

}  // namespace console
