#include "console/console.h"

#include <algorithm>
#include <chrono>

#include "console/headless.h"

namespace console {

Console::Console(std::unique_ptr<Backend> backend) : backend_(std::move(backend)) {
  // Without a terminal the console still works; a wait for a key then ends with
  // ScriptExhausted instead of hanging.
  if (!backend_) backend_ = std::make_unique<HeadlessBackend>();
  colour_ = backend_->has_colours();
}

std::string Console::set_colour(std::string_view text) {
  std::string old = colour_string();
  colours_ = apply_colour_string(colours_, text);
  return old;
}

void Console::say(int row, int col, std::string_view cp852) { say(row, col, cp852, attr(kStandard)); }

void Console::say(int row, int col, std::string_view cp852, Attr a) {
  if (device_ == Device::Printer) {
    printer_.say(row, col, cp852);
    return;
  }
  screen_.write(row, col, cp852, a);
  screen_.set_cursor(row, col + static_cast<int>(cp852.size()));
}

void Console::out(std::string_view cp852) {
  if (device_ == Device::Printer) {
    printer_.out(cp852);
    return;
  }
  say(row(), col(), cp852);
}

void Console::clear_screen() {
  screen_.fill(0, 0, Screen::kRows - 1, Screen::kCols - 1, ' ', attr(kStandard));
  screen_.set_cursor(0, 0);
}

void Console::clear_rect(int top, int left, int bottom, int right) {
  screen_.fill(top, left, bottom, right, ' ', attr(kStandard));
  screen_.set_cursor(top, left);
}

void Console::box(int top, int left, int bottom, int right, std::string_view frame) {
  box(top, left, bottom, right, frame, attr(kStandard));
}

void Console::box(int top, int left, int bottom, int right, std::string_view frame, Attr a) {
  screen_.frame(top, left, bottom, right, frame, a);
  screen_.set_cursor(top + 1, left + 1);
}

void Console::show_message(std::string_view cp852) {
  if (message_row_ <= 0 || message_row_ >= Screen::kRows) return;
  screen_.fill(message_row_, 0, message_row_, Screen::kCols - 1, ' ', attr(kStandard));
  int len = static_cast<int>(cp852.size());
  int col = message_centre_ ? message_column(len) : 0;
  screen_.write(message_row_, col, cp852, attr(kStandard));
}

void Console::refresh() {
  if (!screen_.dirty()) return;
  backend_->present(screen_);
  screen_.mark_clean();
}

int Console::wait(int timeout_ms) {
  if (!buffer_.empty()) {
    int k = buffer_.front();
    buffer_.pop_front();
    last_key_ = k;
    return k;
  }
  refresh();
  using clock = std::chrono::steady_clock;
  auto deadline = clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  for (;;) {
    int left = -1;
    if (timeout_ms >= 0) {
      auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now()).count();
      left = ms > 0 ? static_cast<int>(ms) : 0;
    }
    auto ev = backend_->read_key(left);
    if (!ev) return 0;
    shift_state_ = ev->shift;
    int k = filter_ ? filter_(*this, ev->code) : ev->code;
    if (k == 0 && !buffer_.empty()) {  // the filter put keys in (a paste)
      k = buffer_.front();
      buffer_.pop_front();
    }
    if (k != 0) {
      last_key_ = k;
      return k;
    }
    if (timeout_ms >= 0 && clock::now() >= deadline) return 0;
    refresh();
  }
}

int Console::inkey() { return wait(0); }

int Console::inkey(double seconds) {
  if (seconds <= 0) return wait(-1);
  return wait(static_cast<int>(seconds * 1000));
}

int Console::next_key() {
  if (buffer_.empty()) {
    int saved = last_key_;
    int k = wait(0);
    last_key_ = saved;
    if (k == 0) return 0;
    buffer_.push_front(k);
  }
  return buffer_.front();
}

void Console::clear_keyboard() {
  buffer_.clear();
  backend_->drain_input();
}

void Console::keyboard(std::string_view cp852) {
  buffer_.clear();
  for (char c : cp852) buffer_.push_back(static_cast<unsigned char>(c));
}

void Console::set_key(int code, HotKey handler) {
  if (handler) hot_keys_[code] = std::move(handler);
  else hot_keys_.erase(code);
}

int Console::read_key() {
  for (;;) {
    int k = wait(-1);
    auto it = hot_keys_.find(k);
    if (it == hot_keys_.end() || field_keys_.count(k)) return k;
    if (running_.count(k)) continue;  // its own handler is running: the key does nothing
    HotKey handler = it->second;  // the handler may rebind keys
    running_.insert(k);
    struct Done {
      std::set<int>& running;
      int k;
      ~Done() { running.erase(k); }
    } done{running_, k};
    handler(*this);
  }
}

void Console::set_clipboard(std::string_view cp852) {
  clipboard_ = std::string(cp852);
  backend_->set_clipboard(cp852);
}

Console::KeyFilter clipboard_filter(std::function<bool(std::string& value)> active_field) {
  return [active_field = std::move(active_field)](Console& con, int k) -> int {
    if ((k != key::kIns && k != key::kPgDn) || !(con.shift_state() & key::kShiftBitCtrl)) return k;
    std::string value;
    if (!active_field || !active_field(value)) return k;
    if (k == key::kIns) {  // Ctrl+V
      for (char c : con.clipboard())
        if (c != '\r' && c != '\n') con.put_key(static_cast<unsigned char>(c));
    } else {  // Ctrl+C
      std::size_t b = value.find_first_not_of(' ');
      std::size_t e = value.find_last_not_of(' ');
      con.set_clipboard(b == std::string::npos ? std::string() : value.substr(b, e - b + 1));
    }
    return 0;
  };
}

}  // namespace console
