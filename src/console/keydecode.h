// Terminal input bytes to the runtime's key codes: xterm (and tmux, rxvt) and Linux
// console escape sequences, Ctrl+letters, Alt as an Esc prefix, and UTF-8 letters,
// which arrive as their CP852 codes (õ û Õ Û as ő ű Ő Ű; a character CP852 lacks as
// key::kForeignChar).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace console {

struct KeyEvent {
  int code = 0;
  int shift = 0;  // key::kShiftBit* of the keys held
  bool operator==(const KeyEvent&) const = default;
};

class KeyDecoder {
 public:
  void feed(std::string_view bytes) { buf_.append(bytes); }
  // The next complete key, if any. An Esc byte followed by nothing yet may be the
  // start of a sequence; with `flush` (the terminal stayed quiet for a while) it is
  // taken as the Esc key, and an unfinished sequence is dropped.
  std::optional<KeyEvent> next(bool flush = false);
  bool pending() const { return !buf_.empty(); }

 private:
  std::string buf_;
};

}  // namespace console
