#include "console/unattended.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "xbase/hutext.h"

namespace console {

namespace {

// Frame and shadow characters of CP852 (the box-drawing block and the shades).
bool frame_char(unsigned char c) {
  return (c >= 0xB0 && c <= 0xB4) || (c >= 0xB9 && c <= 0xBC) || (c >= 0xBF && c <= 0xC5) ||
         (c >= 0xC8 && c <= 0xCE) || c == 0xD9 || c == 0xDA || c == 0xDB || c == 0xDC ||
         c == 0xDF;
}

std::string trimmed(std::string s) {
  size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(' ');
  return s.substr(a, b - a + 1);
}

}  // namespace

std::vector<std::string> UnattendedBackend::shown_text() const {
  std::vector<std::string> out;
  for (int r = 0; r < Screen::kRows; ++r) {
    std::string line;
    for (int c = 0; c < Screen::kCols; ++c) {
      auto ch = static_cast<unsigned char>(shown_.at(r, c).ch);
      line.push_back(frame_char(ch) ? ' ' : static_cast<char>(ch));
    }
    line = trimmed(line);
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

void UnattendedBackend::end(int code, std::vector<std::string> text) {
  throw RunEnded{code, std::move(text)};
}

void UnattendedBackend::check_stop() {
  int sig = stop_ ? stop_() : 0;
  if (sig != 0) end(128 + sig, {});
}

void UnattendedBackend::spend_wait(int ms) {
  check_stop();
  if (wait_left_ms_ <= 0) {
    std::string what = waiting_for_.empty() ? std::string(HU("egy állomány")) : waiting_for_;
    end(kExitBusy, {std::string(HU("Foglalt: ")) + what +
                    std::string(HU(" (másik munkaállomás használja)"))});
  }
  long long left = std::min<long long>(ms, wait_left_ms_);
  wait_left_ms_ -= left;
  // Slices, so that a stop signal is seen soon.
  while (left > 0) {
    long long slice = std::min<long long>(left, 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(slice));
    left -= slice;
    check_stop();
  }
}

std::optional<KeyEvent> UnattendedBackend::read_key(int timeout_ms) {
  check_stop();
  if (timeout_ms == 0) return std::nullopt;
  if (timeout_ms < 0) end(kExitUnanswered, shown_text());
  spend_wait(timeout_ms);
  return std::nullopt;
}

std::optional<int> UnattendedBackend::answer(const std::vector<std::string_view>& lines,
                                             const std::vector<std::string_view>& buttons) {
  check_stop();
  std::optional<int> given = answerer_ ? answerer_(*this, lines, buttons) : std::nullopt;
  if (given) return given;
  std::vector<std::string> text(lines.begin(), lines.end());
  std::string choices;
  for (std::string_view b : buttons) choices.append(choices.empty() ? "[" : " / [").append(b) += ']';
  if (!choices.empty()) text.push_back(choices);
  end(kExitUnanswered, std::move(text));
}

bool UnattendedBackend::take_warning(std::string_view cp852) {
  if (warner_) warner_(cp852);
  return true;
}

}  // namespace console
