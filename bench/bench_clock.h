// The benchmarks' clocks, in milliseconds: the wall clock, and the process's CPU
// time (user and system), which on a shared machine leaves out the waits for a core.
#pragma once

#include <time.h>

inline double clock_ms(clockid_t clock) {
  timespec ts{};
  ::clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}
inline double now_ms() { return clock_ms(CLOCK_MONOTONIC); }
inline double cpu_ms() { return clock_ms(CLOCK_PROCESS_CPUTIME_ID); }
