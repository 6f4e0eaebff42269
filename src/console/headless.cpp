#include "console/headless.h"

namespace console {

void HeadlessBackend::keys(std::initializer_list<int> codes) {
  for (int c : codes) key(c);
}

void HeadlessBackend::input(std::string_view bytes) {
  KeyDecoder d;
  d.feed(bytes);
  ++bursts_;
  while (auto k = d.next(true)) script_.push_back(Scripted{*k, bursts_});
}

void HeadlessBackend::drain_input() {
  while (!script_.empty() && script_.front().burst == last_burst_) {
    script_.pop_front();
    ++drained_;
  }
}

void HeadlessBackend::present(const Screen& screen) {
  shown_ = screen;
  ++presents_;
}

std::optional<KeyEvent> HeadlessBackend::read_key(int timeout_ms) {
  if (timeout_ms != 0) waits_.push_back(shown_);
  if (script_.empty()) {
    if (timeout_ms < 0) throw ScriptExhausted();
    waited_ms_ += timeout_ms;
    return std::nullopt;
  }
  Scripted k = script_.front();
  script_.pop_front();
  last_burst_ = k.burst;
  return k.key;
}

const Screen& HeadlessBackend::last_wait() const {
  static const Screen kBlank;
  return waits_.empty() ? kBlank : waits_.back();
}

}  // namespace console
