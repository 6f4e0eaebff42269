// Timing the program key by key: a scripted terminal that hands out one key per wait
// and takes, for every labelled key, the time from the key to the program's next wait
// for a key (the screen drawn, the user function called).
#pragma once

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "console/backend.h"
#include "console/keys.h"

struct Step {
  int key;
  std::string label;  // "" for a key that is not measured
};

// Scripted keys, one per wait; the time from handing out a key to the next wait is
// that key's. Nothing is typed ahead: a wait without a time-out gets no key. With a
// side clock (milliseconds spent in something, such as fsync, so far) its share of
// each key is taken too.
class TimingBackend : public console::Backend {
 public:
  std::deque<Step> script;
  std::vector<std::string> order;  // labels in the order first measured
  std::map<std::string, std::vector<double>> times;
  std::map<std::string, double> side;  // side-clock milliseconds per label
  std::function<double()> side_clock;

  void present(const console::Screen&) override {}
  bool has_colours() const override { return true; }
  std::optional<console::KeyEvent> read_key(int timeout_ms) override {
    if (timeout_ms == 0) return std::nullopt;
    double now = now_ms();
    if (!pending_.empty()) {
      if (!times.count(pending_)) order.push_back(pending_);
      times[pending_].push_back(now - since_);
      if (side_clock) side[pending_] += side_clock() - side_since_;
      pending_.clear();
    }
    if (script.empty()) return console::KeyEvent{console::key::kEsc, 0};
    Step s = script.front();
    script.pop_front();
    pending_ = s.label;
    if (side_clock) side_since_ = side_clock();
    since_ = now_ms();
    return console::KeyEvent{s.key, 0};
  }

 private:
  std::string pending_;
  double since_ = 0;
  double side_since_ = 0;
};

struct Script {
  std::deque<Step>& out;
  void key(int k, const std::string& label = "", int times = 1) {
    for (int i = 0; i < times; ++i) out.push_back({k, label});
  }
  void text(const std::string& s, const std::string& label = "") {
    for (char c : s) key(static_cast<unsigned char>(c), label);
  }
};

// Count, mean and worst of every label; with `side_name` also the side clock's share.
inline void print(const TimingBackend& t, const char* side_name = nullptr) {
  std::printf("%-60s %6s %10s %10s", "key", "count", "mean", "worst");
  if (side_name) std::printf(" %8s", side_name);
  std::printf("\n");
  for (const std::string& label : t.order) {
    const std::vector<double>& v = t.times.at(label);
    double sum = 0, worst = 0;
    for (double x : v) {
      sum += x;
      worst = std::max(worst, x);
    }
    std::printf("%-60s %6zu %7.2f ms %7.2f ms", label.c_str(), v.size(), sum / v.size(), worst);
    if (side_name) {
      auto it = t.side.find(label);
      const double share = it == t.side.end() || sum <= 0 ? 0 : 100.0 * it->second / sum;
      std::printf(" %7.0f%%", share);
    }
    std::printf("\n");
  }
}
