#include "console/keydecode.h"

#include "console/keys.h"
#include "xbase/cp852.h"
#include "xbase/hutext.h"

namespace console {

int key::alt_letter(char letter) {
  // Scan codes of the letter keys, A to Z.
  static constexpr int kScan[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                    49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
  char c = static_cast<char>(letter | 0x20);
  if (c < 'a' || c > 'z') return 0;
  return 256 + kScan[c - 'a'];
}

int key::alt_digit(char digit) {
  if (digit == '0') return 385;
  if (digit >= '1' && digit <= '9') return 376 + (digit - '1');
  return 0;
}

namespace {

enum class Base { None, Up, Down, Left, Right, Home, End, PgUp, PgDn, Ins, Del, F, ShiftTab, Enter };

// The code of a named key with modifier bits (xterm's parameter minus one:
// 1 shift, 2 alt, 4 ctrl).
KeyEvent named(Base b, int fn, int mods) {
  bool shift = mods & 1, alt = mods & 2, ctrl = mods & 4;
  int state = (shift ? key::kShiftBitShift : 0) | (alt ? key::kShiftBitAlt : 0) |
              (ctrl ? key::kShiftBitCtrl : 0);
  auto pick = [&](int plain, int c, int a) { return ctrl ? c : alt ? a : plain; };
  int code = 0;
  switch (b) {
    case Base::Up: code = pick(key::kUp, key::kCtrlUp, key::kAltUp); break;
    case Base::Down: code = pick(key::kDown, key::kCtrlDown, key::kAltDown); break;
    case Base::Left: code = pick(key::kLeft, key::kCtrlLeft, key::kAltLeft); break;
    case Base::Right: code = pick(key::kRight, key::kCtrlRight, key::kAltRight); break;
    case Base::Home: code = pick(key::kHome, key::kCtrlHome, key::kAltHome); break;
    case Base::End: code = pick(key::kEnd, key::kCtrlEnd, key::kAltEnd); break;
    case Base::PgUp: code = pick(key::kPgUp, key::kCtrlPgUp, key::kAltPgUp); break;
    case Base::PgDn: code = pick(key::kPgDn, key::kCtrlPgDn, key::kAltPgDn); break;
    case Base::Ins: code = pick(key::kIns, key::kCtrlIns, key::kAltIns); break;
    case Base::Del: code = pick(key::kDel, key::kCtrlDel, key::kAltDel); break;
    case Base::F:
      code = alt ? key::alt_f(fn) : ctrl ? key::ctrl_f(fn) : shift ? key::shift_f(fn) : key::f(fn);
      break;
    case Base::ShiftTab: code = key::kShiftTab; state |= key::kShiftBitShift; break;
    case Base::Enter: code = key::kEnter; break;
    case Base::None: break;
  }
  return KeyEvent{code, state};
}

// "\e[<n>~" keys. The Linux console sends Shift+F1 … F8 as F13 … F20 (25-34).
void tilde_key(int n, Base& b, int& fn, int& mods) {
  switch (n) {
    case 25: case 26: b = Base::F; fn = n - 24; mods |= 1; break;
    case 28: case 29: b = Base::F; fn = n - 25; mods |= 1; break;
    case 31: case 32: case 33: case 34: b = Base::F; fn = n - 26; mods |= 1; break;
    case 1: case 7: b = Base::Home; break;
    case 2: b = Base::Ins; break;
    case 3: b = Base::Del; break;
    case 4: case 8: b = Base::End; break;
    case 5: b = Base::PgUp; break;
    case 6: b = Base::PgDn; break;
    case 11: case 12: case 13: case 14: case 15: b = Base::F; fn = n - 10; break;
    case 17: case 18: case 19: case 20: case 21: b = Base::F; fn = n - 11; break;
    case 23: case 24: b = Base::F; fn = n - 12; break;
    default: b = Base::None;
  }
}

// Final letters of CSI and SS3 sequences.
void letter_key(char c, Base& b, int& fn) {
  switch (c) {
    case 'A': b = Base::Up; break;
    case 'B': b = Base::Down; break;
    case 'C': b = Base::Right; break;
    case 'D': b = Base::Left; break;
    case 'H': b = Base::Home; break;
    case 'F': b = Base::End; break;
    case 'Z': b = Base::ShiftTab; break;
    case 'M': b = Base::Enter; break;
    case 'P': case 'Q': case 'R': case 'S': b = Base::F; fn = c - 'P' + 1; break;
    default: b = Base::None;
  }
}

constexpr std::size_t kMaxSequence = 32;

}  // namespace

std::optional<KeyEvent> KeyDecoder::next(bool flush) {
  while (!buf_.empty()) {
    unsigned char c = static_cast<unsigned char>(buf_[0]);
    if (c == 0x1b) {
      if (buf_.size() == 1) {
        if (!flush) return std::nullopt;
        buf_.erase(0, 1);
        return KeyEvent{key::kEsc, 0};
      }
      char c1 = buf_[1];
      if (c1 == '[') {
        if (buf_.size() >= 3 && buf_[2] == '[') {  // Linux console F1-F5: "\e[[A"
          if (buf_.size() < 4) {
            if (!flush) return std::nullopt;
            buf_.erase(0, 3);
            continue;
          }
          char f = buf_[3];
          buf_.erase(0, 4);
          if (f >= 'A' && f <= 'E') return named(Base::F, f - 'A' + 1, 0);
          continue;
        }
        std::size_t i = 2;
        while (i < buf_.size() && static_cast<unsigned char>(buf_[i]) >= 0x20 &&
               static_cast<unsigned char>(buf_[i]) <= 0x3F)
          ++i;
        if (i >= buf_.size()) {
          if (!flush && buf_.size() < kMaxSequence) return std::nullopt;
          if (buf_.size() == 2) {  // a lone "\e[" after a pause: Esc, then "["
            buf_.erase(0, 1);
            return KeyEvent{key::kEsc, 0};
          }
          buf_.clear();  // an unfinished or overlong sequence
          return std::nullopt;
        }
        char fin = buf_[i];
        std::string params = buf_.substr(2, i - 2);
        buf_.erase(0, i + 1);
        int p[2] = {0, 0};
        int np = 0;
        for (char pc : params) {
          if (pc == ';') {
            if (++np > 1) break;
          } else if (pc >= '0' && pc <= '9') {
            p[np] = p[np] * 10 + (pc - '0');
            if (p[np] > 1000) p[np] = 1000;
          }
        }
        int mods = p[1] > 1 ? p[1] - 1 : 0;
        Base b = Base::None;
        int fn = 0;
        if (fin == '~' || fin == '^' || fin == '$' || fin == '@') {
          tilde_key(p[0], b, fn, mods);
          if (fin == '^') mods |= 4;  // rxvt: Ctrl
          if (fin == '$') mods |= 1;  // rxvt: Shift
          if (fin == '@') mods |= 5;
        } else {
          letter_key(fin, b, fn);
        }
        if (b != Base::None) return named(b, fn, mods);
        continue;  // a sequence we do not know (focus, mouse): dropped
      }
      if (c1 == 'O') {  // SS3: "\eOP", "\eOA", with xterm's "\eO5P" modifier form
        if (buf_.size() < 3) {
          if (!flush) return std::nullopt;
          buf_.erase(0, 2);
          return KeyEvent{key::alt_letter('o'), key::kShiftBitAlt};
        }
        std::size_t i = 2;
        int mods = 0;
        if (buf_[i] >= '0' && buf_[i] <= '9') {
          mods = buf_[i] - '0' - 1;
          ++i;
          if (i >= buf_.size()) {
            if (!flush) return std::nullopt;
            buf_.clear();
            return std::nullopt;
          }
        }
        char fin = buf_[i];
        buf_.erase(0, i + 1);
        Base b = Base::None;
        int fn = 0;
        letter_key(fin, b, fn);
        if (b != Base::None) return named(b, fn, mods < 0 ? 0 : mods);
        continue;
      }
      // Esc followed by a key: Alt held down.
      unsigned char k = static_cast<unsigned char>(c1);
      int code = 0;
      if ((k | 0x20) >= 'a' && (k | 0x20) <= 'z') code = key::alt_letter(static_cast<char>(k));
      else if (k >= '0' && k <= '9') code = key::alt_digit(static_cast<char>(k));
      if (code) {
        buf_.erase(0, 2);
        return KeyEvent{code, key::kShiftBitAlt};
      }
      buf_.erase(0, 1);
      return KeyEvent{key::kEsc, 0};
    }
    if (c >= 0x80) {
      if (c < 0xC0 || c >= 0xF8) {  // a stray continuation or invalid byte
        buf_.erase(0, 1);
        continue;
      }
      std::size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
      if (buf_.size() < 1 + extra) {
        if (!flush) return std::nullopt;
        buf_.clear();
        return std::nullopt;
      }
      bool ok = true;
      for (std::size_t k = 1; k <= extra; ++k)
        if ((static_cast<unsigned char>(buf_[k]) & 0xC0) != 0x80) ok = false;
      if (!ok) {
        buf_.erase(0, 1);
        continue;
      }
      std::size_t pos = 0;
      char32_t cp = xbase::detail::decode_utf8(buf_.data(), pos);
      buf_.erase(0, 1 + extra);
      if (cp < 0x80) continue;  // an overlong form is no character
      int b = xbase::typed_to_cp852(cp);
      return KeyEvent{b >= 0 ? b : key::kForeignChar, 0};
    }
    buf_.erase(0, 1);
    if (c == 0x7f) return KeyEvent{key::kBackspace, 0};
    if (c == '\r') return KeyEvent{key::kEnter, 0};
    if (c == '\t') return KeyEvent{key::kTab, 0};
    if (c == '\n') return KeyEvent{key::kCtrlEnter, key::kShiftBitCtrl};
    if (c >= 1 && c <= 26) return KeyEvent{c, key::kShiftBitCtrl};
    if (c >= 0x20) return KeyEvent{c, 0};
    // NUL and Ctrl+\ ] ^ _ are dropped: their codes would read as F1 and Ctrl+PgUp.
  }
  return std::nullopt;
}

}  // namespace console
