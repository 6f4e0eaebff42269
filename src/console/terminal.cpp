#include "console/terminal.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <string>

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#include <ncurses.h>
#include <term.h>

#include "xbase/cp852.h"
#include "xbase/hutext.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define MVIRDA_HAVE_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define MVIRDA_HAVE_SANITIZER 1
#endif
#ifdef MVIRDA_HAVE_SANITIZER
#include <sanitizer/common_interface_defs.h>
#endif

namespace console {

namespace {

// What a signal handler needs to give the terminal back. It is process state by
// nature: there is one terminal and one set of signal handlers.
struct RestoreState {
  volatile sig_atomic_t armed = 0;
  struct termios saved {};
  bool have_termios = false;
  char sequence[256] = {};  // leave the alternate screen, show the cursor, plain colours
  std::size_t sequence_len = 0;
};
RestoreState g_restore;
volatile sig_atomic_t g_resized = 0;

constexpr int kFatalSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV,
                                 SIGBUS, SIGFPE,  SIGILL, SIGABRT};

// Async-signal-safe: writes the saved sequences and puts the terminal modes back.
void restore_terminal_now() {
  if (!g_restore.armed) return;
  g_restore.armed = 0;
  if (g_restore.sequence_len) {
    ssize_t r = ::write(STDOUT_FILENO, g_restore.sequence, g_restore.sequence_len);
    (void)r;
  }
  if (g_restore.have_termios) tcsetattr(STDIN_FILENO, TCSANOW, &g_restore.saved);
}

void on_fatal_signal(int sig) {
  restore_terminal_now();
  std::signal(sig, SIG_DFL);
  raise(sig);
}

void on_resize(int) { g_resized = 1; }

void append_cap(const char* name) {
  char* s = tigetstr(const_cast<char*>(name));
  if (!s || s == reinterpret_cast<char*>(-1)) return;
  std::size_t n = std::strlen(s);
  if (g_restore.sequence_len + n >= sizeof g_restore.sequence) return;
  std::memcpy(g_restore.sequence + g_restore.sequence_len, s, n);
  g_restore.sequence_len += n;
}

#ifdef MVIRDA_HAVE_SANITIZER
void on_sanitizer_death() { restore_terminal_now(); }
#endif

// PC colour numbers (black, blue, green, cyan, red, magenta, brown, white) to curses.
constexpr short kCursesColour[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                    COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};

std::string base64(std::string_view in) {
  static const char* const kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8) |
                 static_cast<unsigned char>(in[i + 2]);
    for (int k = 18; k >= 0; k -= 6) out += kDigits[(v >> k) & 63];
  }
  if (i < in.size()) {
    unsigned v = static_cast<unsigned char>(in[i]) << 16;
    if (i + 1 < in.size()) v |= static_cast<unsigned char>(in[i + 1]) << 8;
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += i + 1 < in.size() ? kDigits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace

TerminalBackend::TerminalBackend() {
  std::setlocale(LC_ALL, "");
  if (tcgetattr(STDIN_FILENO, &g_restore.saved) == 0) g_restore.have_termios = true;

  // Our own resize handler, installed before curses so that curses leaves it alone.
  struct sigaction sa {};
  sa.sa_handler = on_resize;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGWINCH, &sa, nullptr);

  if (!newterm(nullptr, stdout, stdin)) {
    std::signal(SIGWINCH, SIG_DFL);
    throw std::runtime_error("the terminal cannot be used (is TERM set?)");
  }
  raw();  // Ctrl+C, Ctrl+Z and Ctrl+\ arrive as keys
  noecho();
  nonl();
  keypad(stdscr, FALSE);  // escape sequences are decoded by KeyDecoder
  intrflush(stdscr, FALSE);
  leaveok(stdscr, FALSE);
  if (has_colors() && start_color() == OK && COLORS >= 8 && COLOR_PAIRS >= 65) {
    colours_ = true;
    sixteen_ = COLORS >= 16 && COLOR_PAIRS >= 129;
    int fgs = sixteen_ ? 16 : 8;
    for (int bg = 0; bg < 8; ++bg)
      for (int fg = 0; fg < fgs; ++fg) {
        short cfg = static_cast<short>(kCursesColour[fg & 7] + (fg >= 8 ? 8 : 0));
        init_pair(static_cast<short>(1 + bg * fgs + fg), cfg, kCursesColour[bg]);
      }
  }

  g_restore.sequence_len = 0;
  append_cap("sgr0");
  append_cap("cnorm");
  append_cap("rmcup");
  g_restore.armed = 1;
  struct sigaction fatal {};
  fatal.sa_handler = on_fatal_signal;
  sigemptyset(&fatal.sa_mask);
  for (int s : kFatalSignals) sigaction(s, &fatal, nullptr);
  static bool exit_hook = false;
  if (!exit_hook) {
    exit_hook = true;
    std::atexit([] { restore_terminal_now(); });
  }
#ifdef MVIRDA_HAVE_SANITIZER
  __sanitizer_set_death_callback(on_sanitizer_death);
#endif
  active_ = true;
  too_small_ = LINES < Screen::kRows || COLS < Screen::kCols;
}

TerminalBackend::~TerminalBackend() { shutdown(); }

void TerminalBackend::shutdown() {
  if (!active_) return;
  active_ = false;
  endwin();
  g_restore.armed = 0;
  for (int s : kFatalSignals) std::signal(s, SIG_DFL);
}

int TerminalBackend::attr_bits(Attr a) const {
  int fg = attr_fg(a), bg = attr_bg(a);
  int bits = 0;
  if (colours_) {
    int fgs = sixteen_ ? 16 : 8;
    bits |= COLOR_PAIR(1 + bg * fgs + (sixteen_ ? fg : fg & 7));
    if (!sixteen_ && (fg & 8)) bits |= A_BOLD;
  } else {
    // Monochrome: a light background is shown inverse, bright as bold.
    if (bg != 0 && (fg & 7) == 0) bits |= A_REVERSE;
    if (fg & 8) bits |= A_BOLD;
    if ((fg & 7) == 1) bits |= A_UNDERLINE;
  }
  if (attr_blink(a)) bits |= A_BLINK;
  return bits;
}

// The glyphs a text-mode screen shows for the control codes 0x00-0x1F: the viewer's
// status line draws its arrows with 24-27, and a frame may use the triangles.
static constexpr wchar_t kControlGlyphs[32] = {
    L' ',    L'\u263A', L'\u263B', L'\u2665', L'\u2666', L'\u2663', L'\u2660', L'\u2022',
    L'\u25D8', L'\u25CB', L'\u25D9', L'\u2642', L'\u2640', L'\u266A', L'\u266B', L'\u263C',
    L'\u25BA', L'\u25C4', L'\u2195', L'\u203C', L'\u00B6', L'\u00A7', L'\u25AC', L'\u21A8',
    L'\u2191', L'\u2193', L'\u2192', L'\u2190', L'\u221F', L'\u2194', L'\u25B2', L'\u25BC',
};

void TerminalBackend::draw_cell(int row, int col, const Cell& cell) {
  wchar_t wc[2] = {static_cast<wchar_t>(xbase::cp852_to_unicode(cell.ch)), 0};
  if (wc[0] < 0x20) wc[0] = kControlGlyphs[wc[0]];
  cchar_t cc;
  int bits = attr_bits(cell.attr);
  setcchar(&cc, wc, static_cast<attr_t>(bits & ~A_COLOR), static_cast<short>(PAIR_NUMBER(bits)), nullptr);
  mvadd_wch(row, col, &cc);
}

void TerminalBackend::draw_all() {
  erase();
  if (too_small_) {
    std::string msg = xbase::cp852_to_utf8(HU("A terminál túl kicsi: legalább 80×25 karakter kell."));
    mvaddnstr(0, 0, msg.c_str(), -1);
    refresh();
    return;
  }
  for (int r = 0; r < Screen::kRows; ++r)
    for (int c = 0; c < Screen::kCols; ++c) draw_cell(r, c, shown_.at(r, c));
}

void TerminalBackend::present(const Screen& screen) {
  if (!active_) return;
  if (!too_small_) {
    for (int r = 0; r < Screen::kRows; ++r)
      for (int c = 0; c < Screen::kCols; ++c)
        if (!have_shown_ || !(screen.at(r, c) == shown_.at(r, c))) draw_cell(r, c, screen.at(r, c));
  }
  shown_ = screen;
  have_shown_ = true;
  if (too_small_) {
    draw_all();
    return;
  }
  bool visible = screen.cursor_shape() != CursorShape::Off && screen.cursor_row() >= 0 &&
                 screen.cursor_row() < Screen::kRows && screen.cursor_col() >= 0 &&
                 screen.cursor_col() < Screen::kCols;
  curs_set(visible ? 1 : 0);
  if (visible) move(screen.cursor_row(), screen.cursor_col());
  refresh();
}

void TerminalBackend::apply_resize() {
  g_resized = 0;
  struct winsize ws {};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0)
    resizeterm(ws.ws_row, ws.ws_col);
  too_small_ = LINES < Screen::kRows || COLS < Screen::kCols;
  clearok(stdscr, TRUE);
  draw_all();
  if (!too_small_) present(shown_);
}

std::optional<KeyEvent> TerminalBackend::read_key(int timeout_ms) {
  constexpr int kEscWaitMs = 50;  // how long an Esc may wait for the rest of a sequence
  using clock = std::chrono::steady_clock;
  const auto deadline = clock::now() + std::chrono::milliseconds(timeout_ms > 0 ? timeout_ms : 0);
  for (;;) {
    if (auto k = decoder_.next()) return k;
    if (g_resized) apply_resize();
    bool partial = decoder_.pending();
    int wait = -1;
    if (timeout_ms >= 0) {
      auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now()).count();
      wait = ms > 0 ? static_cast<int>(ms) : 0;
    }
    if (partial) wait = kEscWaitMs;
    struct pollfd p {STDIN_FILENO, POLLIN, 0};
    int n = ::poll(&p, 1, wait);
    if (n < 0) {
      if (errno == EINTR) continue;  // a resize: repaint and go on waiting
      return std::nullopt;
    }
    if (n == 0) {
      if (partial) {
        if (auto k = decoder_.next(true)) return k;
        continue;
      }
      return std::nullopt;
    }
    char buf[256];
    ssize_t got = ::read(STDIN_FILENO, buf, sizeof buf);
    if (got <= 0) {
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      // The terminal is gone: answer Esc so that every dialog winds down.
      return KeyEvent{27, 0};
    }
    decoder_.feed(std::string_view(buf, static_cast<std::size_t>(got)));
  }
}

void TerminalBackend::drain_input() {
  if (!active_) return;
  decoder_ = KeyDecoder();
  // Read with a zero time-out until nothing is left.
  for (;;) {
    struct pollfd p {STDIN_FILENO, POLLIN, 0};
    int n = ::poll(&p, 1, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || !(p.revents & POLLIN)) return;
    char buf[256];
    ssize_t got = ::read(STDIN_FILENO, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;  // the terminal is gone: the next read says so
  }
}

void TerminalBackend::set_clipboard(std::string_view cp852) {
  if (!active_) return;
  const char* term = std::getenv("TERM");
  if (term && std::strncmp(term, "linux", 5) == 0) return;  // the Linux console prints OSC text
  std::string seq = "\x1b]52;c;" + base64(xbase::cp852_to_utf8(cp852)) + "\x07";
  std::fflush(stdout);
  ssize_t r = ::write(STDOUT_FILENO, seq.data(), seq.size());
  (void)r;
}

void TerminalBackend::set_title(std::string_view cp852) {
  if (!active_) return;
  const char* term = std::getenv("TERM");
  if (term && std::strncmp(term, "linux", 5) == 0) return;
  std::string title;
  for (char c : xbase::cp852_to_utf8(cp852))
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) title += c;
  std::string seq = "\x1b]2;" + title + "\x07";
  std::fflush(stdout);
  ssize_t r = ::write(STDOUT_FILENO, seq.data(), seq.size());
  (void)r;
}

void TerminalBackend::ring_bell() {
  if (active_) ::beep();
}

std::unique_ptr<Backend> make_terminal_backend() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return nullptr;
  return std::make_unique<TerminalBackend>();
}

}  // namespace console
